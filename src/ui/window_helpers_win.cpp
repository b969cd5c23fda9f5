#include "ui/window_helpers.h"

#include "ui/window_arithmetic.h"
#include "util/win_handles.h"

namespace zelkor {

namespace {

// Process-wide: the AutoPlay refusal, once registered, and the screen's
// vertical resolution, read once.
UINT cancelAutoPlayMessage = 0;
int pixelsPerInch = 0;

} // namespace

void PumpMessages(DWORD sleepMs) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit belongs to the outer loop, which must still see it.
            PostQuitMessage(int(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Sleep(sleepMs);
}

void WaitPumping(DWORD ms, DWORD sliceMs) {
    const DWORD slice = WaitSliceMs(ms, sliceMs);
    const DWORD end = GetTickCount() + ms;
    // The signed difference keeps the wait right across the tick wrap.
    do {
        PumpMessages(slice);
    } while (LONG(GetTickCount() - end) < 0);
}

void SetCancelAutoPlay(bool on) {
    cancelAutoPlayMessage = on ? RegisterWindowMessageA("QueryCancelAutoPlay") : 0;
}

UINT CancelAutoPlayMessage() {
    return cancelAutoPlayMessage;
}

int PointsToPixels(int points) {
    if (pixelsPerInch == 0) {
        WindowDc screen(nullptr);
        pixelsPerInch = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }
    return MulDiv(points, pixelsPerInch, 72);
}

POINT CenterInWorkArea(int width, int height) {
    RECT work{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    const Origin origin = CenteredOrigin(work.left, work.top, work.right - work.left,
                                         work.bottom - work.top, width, height);
    return {origin.x, origin.y};
}

Text GetWindowTextOf(HWND window) {
    if (!window) return Text();
    char buffer[1024];
    const int length = GetWindowTextA(window, buffer, sizeof buffer);
    return Text(buffer, length > 0 ? size_t(length) : 0);
}

} // namespace zelkor
