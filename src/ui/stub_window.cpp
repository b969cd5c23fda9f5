#include "ui/stub_window.h"

#include <commctrl.h>

#include "net/download_control.h"
#include "package/file_info.h"
#include "setup/file_helpers.h"
#include "setup/setup_run.h"
#include "stub/process_state.h"
#include "ui/message_box.h"
#include "ui/window_helpers.h"
#include "update/scheduler.h"
#include "util/debug_log.h"
#include "util/process_info.h"
#include "util/switches.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTimerPeriod = 1000;
constexpr int kWindowWidth = 492;
constexpr int kWindowHeight = 110;
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kLabelStyle = WS_CHILD | WS_VISIBLE;
constexpr int kIconX = 18;
constexpr int kIconY = 20;
constexpr int kActivitySteps = 5;

// Process-wide handles and flags of the stub window.
struct StubWindowState {
    HWND main = nullptr;
    HWND label = nullptr;
    HWND progress = nullptr;
    HWND activity = nullptr;
    bool quit = false;
    int64_t agentStartDelay = -1;
    int activityCounter = 0;
    // Steps taken while the window was hidden, not yet shown by the bars:
    // a hidden window's bars cost the extraction a repaint request per file.
    int hiddenSteps = 0;
    GdiObject labelFont;
};

StubWindowState& State() {
    static StubWindowState state;
    return state;
}

int ScreenPixelsPerInch() {
    static int pixelsPerInch = 0;
    if (pixelsPerInch == 0) {
        HDC screen = GetDC(nullptr);
        pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return pixelsPerInch;
}

void SetLabelFont(HWND label, HFONT font) {
    StubWindowState& state = State();
    SendMessageA(label, WM_SETFONT, WPARAM(font), TRUE);
    state.labelFont.Reset(font); // the old font is released once replaced
}

void CreateChildren(HWND window) {
    StubWindowState& state = State();
    const bool rightToLeft = IsRightToLeftCharset(TGFileInfo(ProgramPath()).GetLangCharset());
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    state.label = CreateWindowExA(0, "Static", "", kLabelStyle, rightToLeft ? 122 : 70, 20, 340, 18,
                                  window, nullptr, instance, nullptr);
    state.progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 70, 38, 392, 13,
                                     window, nullptr, instance, nullptr);
    state.activity = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, rightToLeft ? 70 : 416, 20,
                                     46, 13, window, nullptr, instance, nullptr);
    SetTimer(window, kTimerId, kTimerPeriod, nullptr);
    LOGFONTA font{};
    font.lfHeight = -11;
    lstrcpynA(font.lfFaceName, "Tahoma", LF_FACESIZE);
    SetLabelFont(state.label, CreateFontIndirectA(&font));
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    const GdiObject brush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    FillRect(dc, &client, HBRUSH(brush.Get()));
    DrawIcon(dc, kIconX, kIconY, LoadIconA(GetModuleHandleA(nullptr), "MainIcon"));
    EndPaint(window, &paint);
}

void DestroyMainWindow() {
    DebugLog(".. DestroyMainWindow() - Start");
    SetDownloadAbort(true);
    RemoveDirTree(GetSetupTempDir(), false);
    PostQuitMessage(0);
    State().quit = true;
    DebugLog(".. DestroyMainWindow() - End");
}

// A first close request only stops a download; the second one closes.
bool CloseMainWindow() {
    DebugLog(".. CloseMainWindow() - Start");
    const bool letClose = DownloadAbortRequested();
    if (!letClose) SetDownloadAbort(true);
    DebugLog(".. CloseMainWindow() - End");
    return letClose;
}

// Brings the bars up to the steps taken while the window was hidden.
void CatchUpProgress() {
    StubWindowState& state = State();
    if (state.hiddenSteps == 0) return;
    for (; state.hiddenSteps > 0; --state.hiddenSteps)
        SendMessageA(state.progress, PBM_STEPIT, 0, 0);
    SendMessageA(state.activity, PBM_SETPOS, WPARAM(state.activityCounter), 0);
}

LRESULT CALLBACK StubWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == CancelAutoPlayMessage() && message != 0) return 1;
    switch (message) {
    case WM_CREATE:
        CreateChildren(window);
        break;
    case WM_DESTROY:
    case WM_QUIT:
        DestroyMainWindow();
        break;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_SHOWWINDOW:
        if (wParam) CatchUpProgress();
        break;
    case WM_CLOSE:
        if (!CloseMainWindow()) return 0;
        break;
    case WM_TIMER:
        if (ThisIs_AutoUpdateProg())
            AutoUpdateTimerTick();
        else
            PerformSetupRun();
        break;
    case wm_ShutDown:
        // The agent's stop countdown arrives with the update agent.
        break;
    case wm_LocalMsg:
        RegisterMonitor(HWND(wParam), UINT(lParam));
        NotifyMonitor(50, LPARAM(window));
        NotifyMonitor(51, wm_AgentMsg);
        break;
    case wm_AgentMsg:
        // No agent commands without the update agent.
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool IsRightToLeftCharset(int charset) {
    return charset == 177 || charset == 178;
}

HWND MainWindow() {
    return State().main;
}
HWND CaptionLabel() {
    return State().label;
}
HWND ProgressBar() {
    return State().progress;
}
HWND ActivityBar() {
    return State().activity;
}

void StopSetupTimer() {
    KillTimer(State().main, kTimerId);
}

void SetStubCaption(HWND label, const Text& text, const Text& fontName, int fontSize, int charset) {
    const bool rightToLeft = IsRightToLeftCharset(charset);
    SetWindowLongPtrA(label, GWL_EXSTYLE, rightToLeft ? WS_EX_RTLREADING : 0);
    SetWindowLongPtrA(label, GWL_STYLE, rightToLeft ? kLabelStyle | SS_RIGHT : kLabelStyle);
    LOGFONTA font{};
    font.lfHeight = -MulDiv(fontSize, ScreenPixelsPerInch(), 72);
    font.lfCharSet = BYTE(charset);
    lstrcpynA(font.lfFaceName, fontName.c_str(), LF_FACESIZE);
    SetLabelFont(label, CreateFontIndirectA(&font));
    SetWindowTextA(label, text.c_str());
}

void StubProgress(int mode, int, int high, int position, int step, const Text&) {
    StubWindowState& state = State();
    if (mode == 0) {
        // Range, position and step are set anew: earlier steps no longer count.
        state.hiddenSteps = 0;
        SendMessageA(state.progress, PBM_SETRANGE, 0, MAKELPARAM(0, high));
        SendMessageA(state.progress, PBM_SETPOS, WPARAM(position), 0);
        SendMessageA(state.progress, PBM_SETSTEP, WPARAM(step), 0);
        SendMessageA(state.activity, PBM_SETRANGE, 0, MAKELPARAM(0, kActivitySteps));
        SendMessageA(state.activity, PBM_SETPOS, 0, 0);
        SendMessageA(state.activity, PBM_SETSTEP, 1, 0);
    } else if (mode == 1) {
        if (++state.activityCounter > kActivitySteps) state.activityCounter = 0;
        if (!IsWindowVisible(state.main)) {
            ++state.hiddenSteps;
            return;
        }
        SendMessageA(state.progress, PBM_STEPIT, 0, 0);
        SendMessageA(state.activity, PBM_SETPOS, WPARAM(state.activityCounter), 0);
    }
}

void WinMain() {
    StubWindowState& state = State();
    state.agentStartDelay = GetSwitchInt("/SleepX=", -1);
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = StubWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "MainIcon");
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = InstanceClassName().c_str();
    const POINT at = CenterInWorkArea(kWindowWidth, kWindowHeight);
    const TGFileInfo own(ProgramPath());
    const Text title = own.GetLangText("s0", "Zelkor Installation Suite");
    if (RegisterClassA(&windowClass))
        state.main =
            CreateWindowExA(0, windowClass.lpszClassName, title.c_str(), kWindowStyle, at.x, at.y,
                            kWindowWidth, kWindowHeight, nullptr, nullptr, instance, nullptr);
    SetMsgBoxFont(own.GetLangFontName(), own.GetLangFontSize(), own.GetLangCharset());
    if (state.main) {
        ShowWindow(state.main, SW_HIDE);
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (state.quit) break;
        }
    }
    KillTimer(state.main, kTimerId);
    SetDownloadAbort(true);
    UnloadWinINet();
    NotifyMonitor(43, 0);
}

} // namespace zelkor
