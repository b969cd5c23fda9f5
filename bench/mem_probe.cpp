// The benchmark's run entry: packed into the installer and started by the
// stub after extraction, it reads the stub's memory counters from the Windows
// side and exits. The stub waits for it, so the peak it reads covers the whole
// extraction.
//
// Environment: ZELKOR_BENCH_PROBE_OUT, the file to write "key=value" lines to.
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

namespace {

// The parent is found through a process snapshot: Win32 has no direct call.
DWORD ParentProcessId(char* name, size_t nameSize) {
    const DWORD self = GetCurrentProcessId();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == self) parent = entry.th32ParentProcessID;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more && parent;
         more = Process32Next(snapshot, &entry))
        if (entry.th32ProcessID == parent) lstrcpynA(name, entry.szExeFile, int(nameSize));
    CloseHandle(snapshot);
    return parent;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char out[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("ZELKOR_BENCH_PROBE_OUT", out, sizeof out);
    if (length == 0 || length >= sizeof out) return 0;
    char name[MAX_PATH] = "";
    const DWORD parent = ParentProcessId(name, sizeof name);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    BOOL ok = FALSE;
    HANDLE process =
        parent ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, parent) : nullptr;
    if (process) {
        ok = GetProcessMemoryInfo(process, &counters, sizeof counters);
        CloseHandle(process);
    }
    char text[1024];
    const int size = std::snprintf(
        text, sizeof text,
        "parent_pid=%lu\nparent_name=%s\nok=%d\npeak_working_set=%llu\nworking_set=%llu\n"
        "peak_pagefile=%llu\npagefile=%llu\n",
        static_cast<unsigned long>(parent), name, ok ? 1 : 0,
        static_cast<unsigned long long>(counters.PeakWorkingSetSize),
        static_cast<unsigned long long>(counters.WorkingSetSize),
        static_cast<unsigned long long>(counters.PeakPagefileUsage),
        static_cast<unsigned long long>(counters.PagefileUsage));
    HANDLE file =
        CreateFileA(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(file, text, DWORD(size), &written, nullptr);
    CloseHandle(file);
    return 0;
}
