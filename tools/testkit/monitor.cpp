// Monitor window for tests: registers with a running stub through its
// "wm_LocalMsg" (message 1124: wParam this window, lParam the message
// number the stub is to post with) and records every notification.
//
//   monitor CLASS OUT_FILE STOP_FILE [LIFETIME_MS]
//
// CLASS is the stub window's class (an installer's is its program path).
// OUT_FILE is created empty once the monitor's window exists; then it gets
//   "stub <handle>"    when the stub window was found and asked to register
//   "<code> <value>"   per notification (wParam, lParam; decimal)
// one line each, CR LF. The monitor ends when STOP_FILE appears or after
// LIFETIME_MS (default 60000). Exit code: 0; 2 bad command line; 3 or 4 the
// window could not be made.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "util/win_handles.h"

namespace {

constexpr UINT wm_LocalMsg = 1124;
// Any number of ours; the stub posts back with whatever it is given.
constexpr UINT kNotifyMessage = WM_APP + 0x123;
constexpr UINT kPollMs = 50;

std::string stubClass;
std::string outPath;
std::string stopPath;
DWORD endTick = 0;
bool registered = false;

void AppendLine(const std::string& line) {
    zelkor::FileHandle file(CreateFileA(outPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    WriteFile(file.Get(), text.data(), DWORD(text.size()), &written, nullptr);
}

std::string Decimal(unsigned long long value) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%llu", value);
    return digits;
}

void Poll(HWND window) {
    if (!registered) {
        if (HWND stub = FindWindowA(stubClass.c_str(), nullptr)) {
            AppendLine("stub " + Decimal(uintptr_t(stub)));
            registered = PostMessageA(stub, wm_LocalMsg, WPARAM(window), kNotifyMessage) != 0;
        }
    }
    if (GetFileAttributesA(stopPath.c_str()) != INVALID_FILE_ATTRIBUTES ||
        LONG(GetTickCount() - endTick) >= 0)
        DestroyWindow(window);
}

LRESULT CALLBACK MonitorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kNotifyMessage:
        AppendLine(Decimal(wParam) + " " + Decimal(uintptr_t(lParam)));
        return 0;
    case WM_TIMER:
        Poll(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) return 2;
    stubClass = argv[1];
    outPath = argv[2];
    stopPath = argv[3];
    endTick = GetTickCount() + (argc == 5 ? DWORD(std::strtoul(argv[4], nullptr, 10)) : 60000);

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = MonitorProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ZelkorTestMonitor";
    if (!RegisterClassA(&windowClass)) return 3;
    HWND window =
        CreateWindowExA(0, windowClass.lpszClassName, "Zelkor test monitor", WS_OVERLAPPEDWINDOW, 0,
                        0, 200, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
    if (!window) return 4;
    {
        const zelkor::FileHandle created(CreateFileA(outPath.c_str(), GENERIC_WRITE,
                                                     FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    SetTimer(window, 1, kPollMs, nullptr);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
