// Small window helpers: waiting while dispatching messages, the AutoPlay
// refusal, points to pixels, centring in the work area.
#pragma once

#include <windows.h>

#include "util/text.h"

namespace zelkor {

// Dispatches every pending message of the thread, then sleeps `sleepMs`.
void PumpMessages(DWORD sleepMs);
// Waits `ms` while dispatching messages; slice 0 means ms / 10 within 1..25.
void WaitPumping(DWORD ms, DWORD sliceMs);
void SetCancelAutoPlay(bool on);
// The registered "QueryCancelAutoPlay" message, or 0 while not registered.
UINT CancelAutoPlayMessage();
int PointsToPixels(int points);
POINT CenterInWorkArea(int width, int height);
Text GetWindowTextOf(HWND window);

} // namespace zelkor
