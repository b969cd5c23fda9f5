#include "net/download_control.h"

#include "net/wininet_calls.h"
#include "net/wininet_library.h"

namespace zelkor {
namespace {

// Process-wide, shared by the download and the stub window.
bool downloadAbort = false;
HWND monitorWindow = nullptr;
UINT monitorMessage = 0;

} // namespace

void SetDownloadAbort(bool abort) {
    downloadAbort = abort;
}

bool DownloadAbortRequested() {
    return downloadAbort;
}

void RegisterMonitor(HWND window, UINT message) {
    monitorWindow = window;
    monitorMessage = message;
}

void NotifyMonitor(WPARAM code, LPARAM value) {
    if (monitorWindow && monitorMessage) PostMessageA(monitorWindow, monitorMessage, code, value);
}

void UnloadWinINet() {
    ForgetWinINetEntries();
    WinINetLibrary().Reset();
}

} // namespace zelkor
