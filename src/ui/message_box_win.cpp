// The box window: the text in a RichEdit control beside a coloured band,
// the buttons below it, and a nested message loop with keyboard rules of
// its own.
#include <windows.h>
#include <richedit.h>

#include <vector>

#include "ui/message_box.h"
#include "ui/message_box_buttons.h"
#include "ui/message_box_flags.h"
#include "ui/message_box_layout.h"
#include "ui/message_box_text.h"
#include "ui/window_helpers.h"
#include "util/win_handles.h"

namespace zelkor {

namespace {

constexpr const char* kBoxClassName = "ZMsgBox";
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr int kTextPadding = 10;
const COLORREF kBandColour = RGB(0, 78, 152);

// Process-wide: the font settings, and the RichEdit library, which stays
// loaded from the first box to the end of the program.
Text fontFace = "Tahoma";
int fontPoints = 8;
int fontCharset = DEFAULT_CHARSET;
Library richEditLibrary;

// The box being shown. It lives in RunMessageBox; its window reaches it
// through the window's user data, so a box shown from inside another one
// keeps its own state.
struct Box {
    UINT flags = 0;
    int timeoutMs = 0;
    int result = 0;
    HWND window = nullptr;
    HWND text = nullptr;
    bool richText = false;
    HFONT font = nullptr;
    HICON icon = nullptr;
    HWND disabledWindow = nullptr;
    bool restored = false;
    bool ended = false;
    Extent requested{0, 0};
    std::vector<BoxButton> buttons;
    std::vector<HWND> buttonWindows;
    int focused = 0;
};

Box* BoxOf(HWND window) {
    return reinterpret_cast<Box*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void SetControlSize(HWND control, int width, int height) {
    SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int IndexOfButton(const Box& box, HWND window) {
    if (!window) return -1;
    for (size_t i = 0; i < box.buttonWindows.size(); ++i)
        if (box.buttonWindows[i] == window) return int(i);
    return -1;
}

void FocusButton(Box& box, int index) {
    if (box.buttonWindows.empty()) return;
    box.focused = CyclicIndex(index, int(box.buttonWindows.size()));
    for (size_t i = 0; i < box.buttonWindows.size(); ++i) {
        const bool chosen = int(i) == box.focused;
        SendMessageA(box.buttonWindows[i], BM_SETSTYLE, chosen ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                     TRUE);
    }
    SetFocus(box.buttonWindows[box.focused]);
}

void ChooseButton(Box& box, int index) {
    box.result = box.buttons[index].result;
    SendMessageA(box.window, WM_CLOSE, 0, 0);
}

void RestoreDisabledWindow(Box& box) {
    if (box.restored) return;
    box.restored = true;
    if (!box.disabledWindow || !IsWindow(box.disabledWindow)) return;
    EnableWindow(box.disabledWindow, TRUE);
    SetActiveWindow(box.disabledWindow);
    SetFocus(box.disabledWindow);
}

void FillRectOf(HDC dc, const BoxRect& rect, HBRUSH brush) {
    const RECT area{rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
    FillRect(dc, &area, brush);
}

void PaintBox(const Box& box) {
    PaintDc paint(box.window);
    const HDC dc = paint.Get();
    RECT client;
    GetClientRect(box.window, &client);
    const BoxPaintLayout layout = PaintLayoutFor({client.right, client.bottom});
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    FillRectOf(dc, {0, layout.shadowLineY, client.right, 1}, GetSysColorBrush(COLOR_3DDKSHADOW));
    FillRectOf(dc, {0, layout.lightLineY, client.right, 1}, HBRUSH(GetStockObject(WHITE_BRUSH)));
    FillRectOf(dc, layout.buttonBand, GetSysColorBrush(COLOR_BTNFACE));
    GdiObject bandBrush(CreateSolidBrush(kBandColour));
    FillRectOf(dc, layout.leftBand, HBRUSH(bandBrush.Get()));
    if (box.icon) DrawIcon(dc, kBoxIconLeft, kBoxIconTop, box.icon);
}

LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
    }
    const UINT autoPlay = CancelAutoPlayMessage();
    if (autoPlay != 0 && message == autoPlay) return 1;
    Box* box = BoxOf(window);
    if (!box) return DefWindowProcA(window, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        box->window = window;
        if (box->timeoutMs > 0) SetTimer(window, kTimeoutTimer, UINT(box->timeoutMs), nullptr);
        return 0;
    case WM_TIMER:
        if (wParam != kTimeoutTimer) break;
        if (box->buttons.empty())
            SendMessageA(window, WM_CLOSE, 0, 0);
        else
            ChooseButton(*box, 0);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && IndexOfButton(*box, HWND(lParam)) >= 0) {
            box->result = int(GetWindowLongPtrA(HWND(lParam), GWLP_USERDATA));
            SendMessageA(window, WM_CLOSE, 0, 0);
            return 0;
        }
        break;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->hwndFrom == box->text && header->code == EN_REQUESTRESIZE) {
            const RECT& wanted = reinterpret_cast<const REQRESIZE*>(lParam)->rc;
            box->requested = {wanted.right - wanted.left, wanted.bottom - wanted.top};
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        // Only the plain label that stands in for a missing RichEdit.
        SetBkColor(HDC(wParam), GetSysColor(COLOR_WINDOW));
        return LRESULT(GetSysColorBrush(COLOR_WINDOW));
    case WM_PAINT:
        PaintBox(*box);
        return 0;
    case WM_CLOSE:
        // Re-enabled before the box goes, so that activation returns to it.
        RestoreDisabledWindow(*box);
        KillTimer(window, kTimeoutTimer);
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        box->ended = true;
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

ATOM RegisterBoxClass(HINSTANCE instance) {
    WNDCLASSA boxClass{};
    boxClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    boxClass.lpfnWndProc = BoxProc;
    boxClass.hInstance = instance;
    boxClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    boxClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    boxClass.lpszClassName = kBoxClassName;
    return RegisterClassA(&boxClass);
}

void CreateTextControl(Box& box, HINSTANCE instance) {
    const DWORD exStyle = (box.flags & kBoxRightToLeft) ? WS_EX_RTLREADING : 0;
    const bool right = (box.flags & kBoxRightAligned) != 0;
    box.text = CreateWindowExA(exStyle, "RICHEDIT", "",
                               WS_CHILD | ES_MULTILINE | ES_READONLY | ES_WANTRETURN |
                                   (right ? ES_RIGHT : 0),
                               86, 30, 100, 13, box.window, nullptr, instance, nullptr);
    box.richText = box.text != nullptr;
    if (box.richText) {
        SendMessageA(box.text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
        SendMessageA(box.text, EM_SETBKGNDCOLOR, 0, LPARAM(GetSysColor(COLOR_WINDOW)));
    } else {
        // Without RichEdit the question must still be readable: plain text.
        box.text = CreateWindowExA(exStyle, "STATIC", "",
                                   WS_CHILD | SS_NOPREFIX | (right ? SS_RIGHT : SS_LEFT), 86, 30,
                                   100, 13, box.window, nullptr, instance, nullptr);
    }
    SendMessageA(box.text, WM_SETFONT, WPARAM(box.font), FALSE);
}

void SetBoldRuns(const Box& box, const std::vector<BoldRun>& runs) {
    CHARFORMATA bold{};
    bold.cbSize = sizeof bold;
    bold.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    bold.dwEffects = CFE_BOLD;
    for (const BoldRun& run : runs) {
        CHARRANGE range{run.start, run.end};
        SendMessageA(box.text, EM_EXSETSEL, 0, LPARAM(&range));
        SendMessageA(box.text, EM_SETCHARFORMAT, SCF_SELECTION, LPARAM(&bold));
    }
    CHARRANGE none{0, 0};
    SendMessageA(box.text, EM_EXSETSEL, 0, LPARAM(&none));
}

class DcLineMeasure : public LineMeasure {
  public:
    explicit DcLineMeasure(HDC dc) : dc_(dc) {}
    int WidthOf(const Text& line) override {
        SIZE size{0, 0};
        GetTextExtentPoint32A(dc_, line.data(), int(line.size()), &size);
        return size.cx;
    }

  private:
    HDC dc_;
};

class RichTextProbe : public TextControlProbe {
  public:
    RichTextProbe(Box& box, int height) : box_(box), height_(height) {}
    Extent RequestedSizeAt(int width) override {
        SetControlSize(box_.text, width, height_);
        // Asked for explicitly: the control reports only changes by itself.
        SendMessageA(box_.text, EM_REQUESTRESIZE, 0, 0);
        return box_.requested;
    }

  private:
    Box& box_;
    int height_;
};

void FillAndSizeText(Box& box, const BoxText& content) {
    SetWindowTextA(box.text, content.text.c_str());
    if (box.richText) SetBoldRuns(box, content.boldRuns);

    Extent size;
    {
        WindowDc dc(box.text);
        SelectedObject font(dc.Get(), box.font);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.Get(), &metrics);
        DcLineMeasure measure(dc.Get());
        const int lineHeight = BoxLineHeight(metrics.tmHeight, metrics.tmExternalLeading, fontFace);
        size = MeasureBoxText(content.text, lineHeight, measure);
    }
    SetControlSize(box.text, size.width + kTextPadding, size.height);
    if (box.richText && !content.boldRuns.empty()) {
        RichTextProbe probe(box, size.height);
        SetControlSize(box.text, WidthForBoldText(size.width, size.height, probe), size.height);
    }
}

void PlaceBoxAndText(const Box& box) {
    RECT rect;
    GetWindowRect(box.text, &rect);
    const Extent control{rect.right - rect.left, rect.bottom - rect.top};
    const FrameMetrics frame{GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME),
                             GetSystemMetrics(SM_CYCAPTION)};
    const Extent size = BoxSizeFor(control, frame);
    const POINT at = CenterInWorkArea(size.width, size.height);
    SetWindowPos(box.window, nullptr, at.x, at.y, size.width, size.height, SWP_NOZORDER);
    ShowWindow(box.window, SW_SHOW);

    RECT client;
    GetClientRect(box.window, &client);
    const BoxRect place = TextControlRect({client.right, client.bottom}, control);
    SetWindowPos(box.text, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(box.text, SW_SHOW);
}

HICON LoadBoxIcon(UINT flags, HINSTANCE instance) {
    const int id = SystemIconId(flags);
    return id ? LoadIconA(nullptr, MAKEINTRESOURCEA(id)) : LoadIconA(instance, "MainIcon");
}

void CreateButtons(Box& box, HINSTANCE instance) {
    RECT client;
    GetClientRect(box.window, &client);
    const int count = int(box.buttons.size());
    for (int i = 0; i < count; ++i) {
        const BoxRect place = ButtonRect({client.right, client.bottom}, i, count);
        const HWND button = CreateWindowExA(0, "BUTTON", box.buttons[i].caption.c_str(),
                                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                            place.left, place.top, place.width, place.height,
                                            box.window, nullptr, instance, nullptr);
        SendMessageA(button, WM_SETFONT, WPARAM(box.font), FALSE);
        SetWindowLongPtrA(button, GWLP_USERDATA, box.buttons[i].result);
        box.buttonWindows.push_back(button);
    }
}

// Runs on every message of the loop, whatever window it is for; true when
// it consumed the message.
bool FilterKeyboard(Box& box, const MSG& message) {
    int chosen = -1;
    if (message.message == WM_KEYDOWN) {
        const int focused = IndexOfButton(box, GetFocus());
        const int current = focused >= 0 ? focused : box.focused;
        switch (message.wParam) {
        case VK_LEFT:
        case VK_UP:
            FocusButton(box, current - 1);
            return false;
        case VK_TAB:
        case VK_RIGHT:
        case VK_DOWN:
            FocusButton(box, current + 1);
            return false;
        case VK_RETURN:
            chosen = focused;
            break;
        default:
            chosen = ButtonForKey(unsigned(message.wParam), box.buttons);
        }
    } else if (message.message == WM_SYSCHAR) {
        chosen = ButtonForSysChar(char(message.wParam), box.buttons);
    }
    if (chosen < 0) return false;
    ChooseButton(box, chosen);
    return true;
}

void RunBoxLoop(Box& box) {
    MSG message;
    while (!box.ended) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got <= 0) {
            // A quit ends the box; it belongs to the outer loop as well.
            if (got == 0) PostQuitMessage(int(message.wParam));
            return;
        }
        if (FilterKeyboard(box, message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace

void SetMsgBoxFont(const Text& faceName, int points, int charset) {
    fontFace = faceName;
    if (points != 0) fontPoints = points;
    fontCharset = charset;
}

int RunMessageBox(HWND owner, const Text& text, const Text& title, int timeoutMs, UINT flags,
                  const Text& buttons) {
    if (!richEditLibrary) richEditLibrary.Reset(LoadLibraryA("RICHED32.DLL"));
    const HINSTANCE instance = GetModuleHandleA(nullptr);

    Box box;
    box.flags = flags;
    box.timeoutMs = timeoutMs;
    box.buttons = ButtonsFor(flags, buttons);
    box.disabledWindow = GetActiveWindow();
    if (box.disabledWindow) EnableWindow(box.disabledWindow, FALSE);

    // Declared in this order so that the window goes first, then its class,
    // then the font its controls used.
    GdiObject font(CreateFontA(-PointsToPixels(fontPoints), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                               DWORD(fontCharset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, fontFace.c_str()));
    box.font = HFONT(font.Get());
    // Fails harmlessly when a box is shown from inside another one.
    WindowClass boxClass(RegisterBoxClass(instance));
    Window window(CreateWindowExA(WS_EX_TOPMOST | WS_EX_DLGMODALFRAME, kBoxClassName, title.c_str(),
                                  WS_CAPTION | WS_SYSMENU | WS_VISIBLE, -100, -100, 10, 10, owner,
                                  nullptr, instance, &box));
    if (!window) {
        RestoreDisabledWindow(box);
        return 0;
    }

    CreateTextControl(box, instance);
    FillAndSizeText(box, ParseBoxText(text));
    PlaceBoxAndText(box);
    box.icon = LoadBoxIcon(flags, instance);
    CreateButtons(box, instance);
    FocusButton(box, DefaultButtonIndex(flags, int(box.buttons.size())));

    RunBoxLoop(box);
    if (box.ended) {
        window.Release();
    } else {
        RestoreDisabledWindow(box);
        window.Reset();
    }
    return box.result;
}

} // namespace zelkor
