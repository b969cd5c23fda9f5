// Starts a program with exactly the command line in ZELKOR_RAW_COMMAND_LINE
// (a Linux parent cannot hand quotes through Wine's argument handling
// unchanged), waits for it and exits with its exit code. ZELKOR_RAW_TMP, when
// set, becomes the program's TMP and TEMP (Wine ignores the Unix ones).
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char buffer[32768];
    const DWORD length = GetEnvironmentVariableA("ZELKOR_RAW_COMMAND_LINE", buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return 2;
    std::string commandLine(buffer, length);
    char temp[MAX_PATH];
    const DWORD tempLength = GetEnvironmentVariableA("ZELKOR_RAW_TMP", temp, sizeof temp);
    if (tempLength > 0 && tempLength < sizeof temp) {
        SetEnvironmentVariableA("TMP", temp);
        SetEnvironmentVariableA("TEMP", temp);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 3;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return int(exitCode);
}
