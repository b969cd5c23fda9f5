// Trace viewer for tests: a hidden window of class ".ZDebug." that receives
// the registered ".Z_DebugMsg." message, reads the atom's name while
// handling it, and appends a record per message to a file:
//   "<channel> <length>\n<text>\n"
// Usage: trace_viewer OUT_FILE STOP_FILE. OUT_FILE is created (empty) once
// the window exists; the viewer ends when STOP_FILE appears.
#include <windows.h>

#include <cstdio>
#include <string>

#include "util/win_handles.h"

namespace {

UINT debugMessage = 0;
std::string outPath;
std::string stopPath;

void Append(const std::string& bytes) {
    zelkor::FileHandle file(CreateFileA(outPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == debugMessage && debugMessage != 0) {
        char text[300];
        const UINT length = GlobalGetAtomNameA(ATOM(lParam), text, sizeof text);
        char header[40];
        std::snprintf(header, sizeof header, "%u %u\n", unsigned(wParam & 0xFFFF), length);
        Append(header + std::string(text, length) + "\n");
        return 0;
    }
    if (message == WM_TIMER) {
        if (GetFileAttributesA(stopPath.c_str()) != INVALID_FILE_ATTRIBUTES) DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string Argument(const char* commandLine, int index) {
    // Arguments are plain paths in double quotes or without spaces.
    std::string line(commandLine), item;
    int current = -1;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        if (i >= line.size()) break;
        item.clear();
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) end = line.size();
            item = line.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            size_t end = line.find(' ', i);
            if (end == std::string::npos) end = line.size();
            item = line.substr(i, end - i);
            i = end;
        }
        if (++current == index) return item;
    }
    return "";
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const char* commandLine = GetCommandLineA();
    outPath = Argument(commandLine, 1);
    stopPath = Argument(commandLine, 2);
    if (outPath.empty() || stopPath.empty()) return 2;
    debugMessage = RegisterWindowMessageA(".Z_DebugMsg.");

    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = ViewerProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ".ZDebug.";
    if (!RegisterClassA(&windowClass)) return 3;
    HWND window = CreateWindowExA(0, ".ZDebug.", "Zelkor trace viewer", WS_OVERLAPPEDWINDOW, 0, 0,
                                  200, 100, nullptr, nullptr, instance, nullptr);
    if (!window) return 4;
    SetTimer(window, 1, 100, nullptr);
    Append("");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
