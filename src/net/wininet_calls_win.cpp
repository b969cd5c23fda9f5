#include "net/wininet_calls.h"

#include "net/wininet_library.h"

namespace zelkor {
namespace {

constexpr const char* kWinINetName = "WinINet.dll";

using GetConnectedStateCall = BOOL(WINAPI*)(LPDWORD, DWORD);
using OpenCall = HINTERNET(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
using OpenUrlCall = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
using ReadFileCall = BOOL(WINAPI*)(HINTERNET, LPVOID, DWORD, LPDWORD);
using QueryInfoCall = BOOL(WINAPI*)(HINTERNET, DWORD, LPVOID, LPDWORD, LPDWORD);
using CloseHandleCall = BOOL(WINAPI*)(HINTERNET);

// Process-wide: one remembered address per entry, 0 until found.
struct WinINetEntries {
    FARPROC getConnectedState = nullptr;
    FARPROC open = nullptr;
    FARPROC openUrl = nullptr;
    FARPROC readFile = nullptr;
    FARPROC queryInfo = nullptr;
    FARPROC closeHandle = nullptr;
};

WinINetEntries& Entries() {
    static WinINetEntries entries;
    return entries;
}

// A found address is kept; a missing one is asked for again next time.
template <typename Call> Call Bound(FARPROC& slot, const char* entryName) {
    if (!slot) slot = GetWinINetProc(WinINetLibrary(), kWinINetName, entryName);
    return reinterpret_cast<Call>(reinterpret_cast<void*>(slot));
}

} // namespace

FARPROC GetWinINetProc(Library& library, const char* libraryName, const char* entryName) {
    if (!library) library.Reset(LoadLibraryA(libraryName));
    if (!library) return nullptr;
    return GetProcAddress(library.Get(), entryName);
}

void ForgetWinINetEntries() {
    Entries() = WinINetEntries();
}

bool WinINetGetConnectedState(DWORD& flags) {
    const auto call =
        Bound<GetConnectedStateCall>(Entries().getConnectedState, "InternetGetConnectedState");
    return call && call(&flags, 0);
}

HINTERNET WinINetOpen(const char* agent) {
    const auto call = Bound<OpenCall>(Entries().open, "InternetOpenA");
    // With preconfigured access the proxy arguments must be null.
    return call ? call(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0) : nullptr;
}

HINTERNET WinINetOpenUrl(HINTERNET internet, const Text& url, const Text& headers, DWORD flags) {
    const auto call = Bound<OpenUrlCall>(Entries().openUrl, "InternetOpenUrlA");
    if (!call) return nullptr;
    return call(internet, url.c_str(), headers.empty() ? nullptr : headers.c_str(),
                DWORD(headers.size()), flags, 0);
}

bool WinINetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD& read) {
    read = 0;
    const auto call = Bound<ReadFileCall>(Entries().readFile, "InternetReadFile");
    return call && call(file, buffer, toRead, &read);
}

bool WinINetQueryInfo(HINTERNET request, DWORD infoLevel, void* buffer, DWORD& length) {
    const auto call = Bound<QueryInfoCall>(Entries().queryInfo, "HttpQueryInfoA");
    return call && call(request, infoLevel, buffer, &length, nullptr);
}

bool WinINetCloseHandle(HINTERNET handle) {
    const auto call = Bound<CloseHandleCall>(Entries().closeHandle, "InternetCloseHandle");
    return call && call(handle);
}

void CloseInternetHandle(void* handle) {
    WinINetCloseHandle(HINTERNET(handle));
}

} // namespace zelkor
