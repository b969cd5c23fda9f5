// State the download shares with the stub window: the abort flag, the
// monitor that receives notifications, and the WinINet library.
#pragma once

#include <windows.h>

namespace zelkor {

void SetDownloadAbort(bool abort);
bool DownloadAbortRequested();

// The monitor registers through the stub window's "wm_LocalMsg".
void RegisterMonitor(HWND window, UINT message);
// Posts code/value to the monitor when one is registered.
void NotifyMonitor(WPARAM code, LPARAM value);

// Frees WinINet if a download loaded it; no WinINet call follows.
void UnloadWinINet();

} // namespace zelkor
