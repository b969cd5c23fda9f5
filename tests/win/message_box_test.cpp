#include <gtest/gtest.h>

#include <windows.h>
#include <richedit.h>

#include <atomic>
#include <vector>

#include "ui/message_box.h"
#include "ui/window_helpers.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

constexpr DWORD kPatienceMs = 10000;
// The first box of a run loads the rich edit library and fonts, which takes
// long on a busy machine; a driver that gave up would leave the box open.
constexpr DWORD kBoxAppearsMs = 60000;

// One step a driving thread takes once the box is up: a message posted to
// the box's thread, or a click on the button with that caption.
struct Step {
    UINT message;
    WPARAM wParam;
    Text press;
};

Step Key(WPARAM key) {
    return {WM_KEYDOWN, key, ""};
}
Step AltKey(char ch) {
    return {WM_SYSCHAR, WPARAM(ch), ""};
}
Step Press(const Text& caption) {
    return {0, 0, caption};
}
Step CloseBox() {
    return {WM_CLOSE, 0, ""};
}

// What the driving thread saw of the box.
struct Seen {
    bool found = false;
    bool closedByDriver = false;
    Text title;
    Text text;
    // 'B' for each bold character, '.' for the others; line breaks, whose
    // format nobody sees, are '-'.
    Text bold;
    int lineCount = 0;
    std::vector<Text> buttons;
    std::vector<RECT> buttonRects; // client coordinates
    int focusedButton = -1;
    RECT window{};
    RECT client{};
    RECT textRect{}; // client coordinates
    LONG textStyle = 0;
    LONG textExStyle = 0;
    WORD alignment = 0;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    LRESULT autoPlayAnswer = -1;
};

Text ClassOf(HWND window) {
    char name[64];
    const int length = GetClassNameA(window, name, sizeof name);
    return Text(name, length > 0 ? size_t(length) : 0);
}

RECT ClientRectOf(HWND child, HWND parent) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Finds the box from another thread, records what it shows, then takes the
// steps; closes the box itself when it is still up long after them, so that
// a failing test ends instead of hanging.
class BoxDriver {
  public:
    explicit BoxDriver(std::vector<Step> steps, UINT askMessage = 0, DWORD patienceMs = kPatienceMs)
        : steps_(std::move(steps)), askMessage_(askMessage), patienceMs_(patienceMs),
          boxThread_(GetCurrentThreadId()) {
        thread_.Reset(CreateThread(nullptr, 0, &BoxDriver::Main, this, 0, nullptr));
    }
    ~BoxDriver() { Finish(); }
    const Seen& Finish() {
        // The box call has returned: no box is coming any more. The driver's
        // waits are all bounded, and it uses this object.
        boxCallReturned_ = true;
        if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
        thread_.Reset();
        return seen_;
    }

  private:
    static DWORD WINAPI Main(void* self) {
        static_cast<BoxDriver*>(self)->Drive();
        return 0;
    }

    // Only the box of the thread under test counts: a box that another
    // program left open on the same desktop must not take the steps.
    static BOOL CALLBACK MatchBox(HWND window, LPARAM found) {
        if (ClassOf(window) != "ZMsgBox") return TRUE;
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    HWND FindOwnBox() const {
        HWND box = nullptr;
        EnumThreadWindows(boxThread_, &BoxDriver::MatchBox, LPARAM(&box));
        return box;
    }

    HWND WaitForBox() {
        const DWORD start = GetTickCount();
        while (!boxCallReturned_ && GetTickCount() - start < kBoxAppearsMs) {
            HWND box = FindOwnBox();
            // Buttons come last; the answer to WM_NULL means the loop runs.
            DWORD_PTR ignored;
            if (box && FindWindowExA(box, nullptr, "Button", nullptr) &&
                SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored))
                return box;
            Sleep(20);
        }
        return nullptr;
    }

    void Record(HWND box) {
        seen_.found = true;
        char title[256];
        seen_.title = Text(title, size_t(GetWindowTextA(box, title, sizeof title)));
        GetWindowRect(box, &seen_.window);
        GetClientRect(box, &seen_.client);
        seen_.owner = GetWindow(box, GW_OWNER);
        seen_.ownerEnabled = seen_.owner ? IsWindowEnabled(seen_.owner) != FALSE : true;
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (ClassOf(child) == "Button") {
                char caption[64];
                seen_.buttons.emplace_back(caption,
                                           size_t(GetWindowTextA(child, caption, sizeof caption)));
                seen_.buttonRects.push_back(ClientRectOf(child, box));
                if (child == info.hwndFocus) seen_.focusedButton = int(seen_.buttons.size()) - 1;
            } else {
                RecordText(child, box);
            }
        }
        if (askMessage_) seen_.autoPlayAnswer = SendMessageA(box, askMessage_, 0, 0);
    }

    void RecordText(HWND control, HWND box) {
        seen_.textRect = ClientRectOf(control, box);
        seen_.textStyle = GetWindowLongA(control, GWL_STYLE);
        seen_.textExStyle = GetWindowLongA(control, GWL_EXSTYLE);
        std::vector<char> text(size_t(SendMessageA(control, WM_GETTEXTLENGTH, 0, 0)) + 1);
        const LRESULT length =
            SendMessageA(control, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()));
        seen_.text.assign(text.data(), size_t(length));
        seen_.lineCount = int(SendMessageA(control, EM_GETLINECOUNT, 0, 0));
        for (LONG i = 0; i < LONG(seen_.text.size()); ++i) {
            CHARRANGE range{i, i + 1};
            SendMessageA(control, EM_EXSETSEL, 0, LPARAM(&range));
            CHARFORMATA format{};
            format.cbSize = sizeof format;
            SendMessageA(control, EM_GETCHARFORMAT, SCF_SELECTION, LPARAM(&format));
            const char ch = seen_.text[size_t(i)];
            seen_.bold += (ch == '\r' || ch == '\n')      ? '-'
                          : (format.dwEffects & CFE_BOLD) ? 'B'
                                                          : '.';
        }
        CHARRANGE start{0, 0};
        SendMessageA(control, EM_EXSETSEL, 0, LPARAM(&start));
        PARAFORMAT paragraph{};
        paragraph.cbSize = sizeof paragraph;
        SendMessageA(control, EM_GETPARAFORMAT, 0, LPARAM(&paragraph));
        seen_.alignment = paragraph.wAlignment;
    }

    void TakeSteps(HWND box) {
        for (const Step& step : steps_) {
            if (!step.press.empty()) {
                HWND button = FindWindowExA(box, nullptr, "Button", step.press.c_str());
                if (button) PostMessageA(button, BM_CLICK, 0, 0);
            } else {
                PostMessageA(box, step.message, step.wParam, 0);
            }
        }
    }

    void Drive() {
        HWND box = WaitForBox();
        if (!box) return;
        Record(box);
        TakeSteps(box);
        const DWORD start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start < patienceMs_)
            Sleep(20);
        if (IsWindow(box)) {
            seen_.closedByDriver = true;
            PostMessageA(box, WM_CLOSE, 0, 0);
        }
    }

    std::vector<Step> steps_;
    UINT askMessage_;
    DWORD patienceMs_;
    DWORD boxThread_;
    std::atomic<bool> boxCallReturned_{false};
    Seen seen_;
    KernelHandle thread_;
};

int Width(const RECT& rect) {
    return rect.right - rect.left;
}
int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

// The box's font, as the box makes it by default.
struct BoxFontMeasure {
    BoxFontMeasure()
        : font(CreateFontA(-PointsToPixels(8), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "Tahoma")),
          dc(nullptr), selected(dc.Get(), font.Get()) {}
    int WidthOf(const Text& line) {
        SIZE size{};
        GetTextExtentPoint32A(dc.Get(), line.data(), int(line.size()), &size);
        return size.cx;
    }
    int LineHeight() {
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc.Get(), &metrics);
        return metrics.tmHeight + metrics.tmExternalLeading;
    }
    GdiObject font;
    WindowDc dc;
    SelectedObject selected;
};

TEST(MessageBoxWin, ErrorBoxWithoutOwnerShowsABoldHeading) {
    BoxDriver driver({Press("&OK")});
    ShowErrorBox(kOwnerWithHeading, "Disk full", "Error", 0, "");
    const Seen& seen = driver.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_FALSE(seen.closedByDriver);
    EXPECT_EQ(seen.title, "Error");
    EXPECT_EQ(seen.text, "ERROR\r\n\r\nDisk full\r\n");
    EXPECT_EQ(seen.bold, "BBBBB----.........--");
    EXPECT_EQ(seen.buttons, std::vector<Text>{"&OK"});
    EXPECT_EQ(seen.focusedButton, 0);

    // The same box answers 1; Enter chooses the focused default button.
    BoxDriver enter({Key(VK_RETURN)});
    EXPECT_EQ(ShowMessageBox(kOwnerWithHeading, "Disk full", "Error", 0, MB_ICONSTOP | MB_OK, 0,
                             kDefaultButtonCaptions),
              IDOK);
    EXPECT_FALSE(enter.Finish().closedByDriver);
}

TEST(MessageBoxWin, YesNoQuestionAnswersByLetterAltLetterAndClose) {
    struct Case {
        const char* name;
        Step step;
        bool expected;
    };
    const Case cases[] = {
        {"Y", Key('Y'), true},
        {"N", Key('N'), false},
        {"Alt+y", AltKey('y'), true},
        {"Alt+n", AltKey('n'), false},
        {"close", CloseBox(), false},
        {"click Yes", Press("&Yes"), true},
        // Escape has no effect: the driver has to close the box itself.
        {"Escape", Key(VK_ESCAPE), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool staysOpen = c.step.message == WM_KEYDOWN && c.step.wParam == VK_ESCAPE;
        BoxDriver driver({c.step}, 0, staysOpen ? 1000 : kPatienceMs);
        EXPECT_EQ(AskYesNo(kOwnerActiveWindow, "Go on?", "", 0, ""), c.expected);
        const Seen& seen = driver.Finish();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.closedByDriver, staysOpen);
        EXPECT_EQ(seen.title, "Confirm");
        EXPECT_EQ(seen.text, "Go on?");
        EXPECT_EQ(seen.bold, "......");
        EXPECT_EQ(seen.buttons, (std::vector<Text>{"&Yes", "&No"}));
    }
    BoxDriver close({CloseBox()});
    EXPECT_EQ(ShowMessageBox(kOwnerActiveWindow, "x", "t", 0, MB_YESNO, 0, kDefaultButtonCaptions),
              0);
}

TEST(MessageBoxWin, FocusWrapsAroundTheButtons) {
    struct Case {
        UINT flags;
        WPARAM key;
        int expected;
    };
    const Case cases[] = {
        // Default Cancel (the last); Tab moves to Yes.
        {MB_YESNOCANCEL | MB_DEFBUTTON3, VK_TAB, IDYES},
        // Default Yes (the first); Left moves to Cancel.
        {MB_YESNOCANCEL, VK_LEFT, IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, VK_RIGHT, IDCANCEL},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, VK_UP, IDYES},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        BoxDriver driver({Key(c.key), Key(VK_RETURN)});
        EXPECT_EQ(ShowMessageBox(kOwnerActiveWindow, "Which?", "t", 0, c.flags, 0,
                                 kDefaultButtonCaptions),
                  c.expected);
        EXPECT_FALSE(driver.Finish().closedByDriver);
    }
}

TEST(MessageBoxWin, TimeoutPressesTheFirstButton) {
    BoxDriver driver({});
    EXPECT_EQ(ShowMessageBox(kOwnerActiveWindow, "Soon gone", "Attention", 300,
                             MB_ICONEXCLAMATION | MB_OKCANCEL, 0, kDefaultButtonCaptions),
              IDOK);
    EXPECT_FALSE(driver.Finish().closedByDriver);

    BoxDriver attention({});
    ShowAttentionBox(kOwnerActiveWindow, "Soon gone", "", 300, 0, "");
    const Seen& seen = attention.Finish();
    EXPECT_TRUE(seen.found);
    EXPECT_FALSE(seen.closedByDriver);
    EXPECT_EQ(seen.title, "Attention");
}

TEST(MessageBoxWin, ShortTextGivesTheMinimumWidthAndCentredParts) {
    BoxFontMeasure measure;
    BoxDriver driver({Press("&OK")});
    ShowMessageBox(kOwnerActiveWindow, "Short", "t", 0, MB_OKCANCEL, 0, kDefaultButtonCaptions);
    const Seen& seen = driver.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(Width(seen.window), 360);
    const int lineHeight = measure.LineHeight();
    EXPECT_EQ(Height(seen.window), lineHeight + 36 + 2 * 45 + 2 * GetSystemMetrics(SM_CYFRAME) +
                                       GetSystemMetrics(SM_CYCAPTION));
    const POINT centre = CenterInWorkArea(Width(seen.window), Height(seen.window));
    EXPECT_EQ(seen.window.left, centre.x);
    EXPECT_EQ(seen.window.top, centre.y);

    const int textWidth = measure.WidthOf("Short") + 20;
    EXPECT_EQ(Width(seen.textRect), textWidth);
    EXPECT_EQ(seen.textRect.left, 54 + (seen.client.right - 54 - textWidth) / 2);
    EXPECT_EQ(seen.textRect.top, (seen.client.bottom - 36 - lineHeight) / 2);
    EXPECT_EQ(seen.textRect.bottom, seen.client.bottom - 39);

    ASSERT_EQ(seen.buttonRects.size(), 2u);
    const RECT& ok = seen.buttonRects[0];
    const RECT& cancel = seen.buttonRects[1];
    EXPECT_EQ(cancel.left, seen.client.right - 80);
    EXPECT_EQ(ok.right, cancel.left);
    EXPECT_EQ(Width(ok), 70);
    EXPECT_EQ(Height(ok), 23);
    EXPECT_EQ(ok.top, seen.client.bottom - 29);
}

TEST(MessageBoxWin, LongLineWrapsAtSixHundredPixels) {
    BoxFontMeasure measure;
    Text line;
    while (measure.WidthOf(line) < 1500)
        line += "word ";
    ASSERT_LT(measure.WidthOf(line), 1800);
    BoxDriver driver({Key(VK_RETURN)});
    ShowMessageBox(kOwnerActiveWindow, line, "t", 0, MB_OK, 0, kDefaultButtonCaptions);
    const Seen& seen = driver.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(Width(seen.textRect), 610);
    const int height = 3 * measure.LineHeight();
    const int verticalMargin = height < 39 ? 45 : 32;
    EXPECT_EQ(Width(seen.window), 610 + 54 + 2 * 32 + 2 * GetSystemMetrics(SM_CXFRAME));
    EXPECT_EQ(Height(seen.window), height + 36 + 2 * verticalMargin +
                                       2 * GetSystemMetrics(SM_CYFRAME) +
                                       GetSystemMetrics(SM_CYCAPTION));
}

TEST(MessageBoxWin, BoldTextGetsTheWidthItNeeds) {
    BoxDriver driver({Key(VK_RETURN)});
    ShowMessageBox(kOwnerActiveWindow, "a<b>b</B>c <B>bold words are wider than plain ones</b>",
                   "t", 0, MB_OK, 0, kDefaultButtonCaptions);
    const Seen& seen = driver.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "abc bold words are wider than plain ones");
    EXPECT_EQ(seen.bold, ".B.." + Text(36, 'B'));
    EXPECT_EQ(seen.lineCount, 1);
}

TEST(MessageBoxWin, HebrewAndArabicTextIsRightAlignedAndReadsRightToLeft) {
    struct Case {
        int charset;
        bool rightToLeft;
    };
    const Case cases[] = {{177, true}, {178, true}, {0, false}, {186, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        BoxDriver driver({Key(VK_RETURN)});
        ShowMessageBox(kOwnerActiveWindow, "shalom", "t", 0, MB_OK, c.charset,
                       kDefaultButtonCaptions);
        const Seen& seen = driver.Finish();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ((seen.textStyle & ES_RIGHT) != 0, c.rightToLeft);
        EXPECT_EQ((seen.textExStyle & WS_EX_RTLREADING) != 0, c.rightToLeft);
        EXPECT_EQ(seen.alignment, c.rightToLeft ? PFA_RIGHT : PFA_LEFT);
    }
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MessageBoxWin, ActiveWindowOwnsTheBoxAndIsDisabledMeanwhile) {
    WNDCLASSA plain{};
    plain.lpfnWndProc = PlainProc;
    plain.hInstance = GetModuleHandleA(nullptr);
    plain.lpszClassName = "ZelkorTestOwner";
    WindowClass ownerClass(RegisterClassA(&plain));
    Window owner(CreateWindowExA(0, "ZelkorTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 200, 100, nullptr, nullptr, plain.hInstance, nullptr));
    ASSERT_TRUE(owner);
    SetActiveWindow(owner.Get());
    ASSERT_EQ(GetActiveWindow(), owner.Get());

    SetCancelAutoPlay(true);
    BoxDriver driver({Press("&OK")}, CancelAutoPlayMessage());
    ShowMessageBox(kOwnerActiveWindow, "Owned", "t", 0, MB_OK, 0, kDefaultButtonCaptions);
    SetCancelAutoPlay(false);
    const Seen& seen = driver.Finish();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.owner, owner.Get());
    EXPECT_FALSE(seen.ownerEnabled);
    EXPECT_EQ(seen.autoPlayAnswer, 1);
    EXPECT_TRUE(IsWindowEnabled(owner.Get()));
    EXPECT_EQ(GetActiveWindow(), owner.Get());
}

TEST(WindowHelpersWin, PumpingDispatchesAndKeepsTheQuitForTheOuterLoop) {
    PostQuitMessage(7);
    PumpMessages(0);
    MSG message;
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);

    const DWORD start = GetTickCount();
    WaitPumping(60, 0);
    EXPECT_GE(GetTickCount() - start, 60u);
}

TEST(WindowHelpersWin, SmallHelpersReadThePlatform) {
    RECT work;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
    const POINT at = CenterInWorkArea(100, 50);
    EXPECT_EQ(at.x, work.left + (work.right - work.left - 100) / 2);
    EXPECT_EQ(at.y, work.top + (work.bottom - work.top - 50) / 2);

    WindowDc screen(nullptr);
    EXPECT_EQ(PointsToPixels(72), GetDeviceCaps(screen.Get(), LOGPIXELSY));

    EXPECT_EQ(GetWindowTextOf(nullptr), "");
    WNDCLASSA plain{};
    plain.lpfnWndProc = PlainProc;
    plain.hInstance = GetModuleHandleA(nullptr);
    plain.lpszClassName = "ZelkorTestTitle";
    WindowClass titleClass(RegisterClassA(&plain));
    Window window(CreateWindowExA(0, "ZelkorTestTitle", Text(2000, 'x').c_str(), WS_OVERLAPPED, 0,
                                  0, 10, 10, nullptr, nullptr, plain.hInstance, nullptr));
    ASSERT_TRUE(window);
    EXPECT_EQ(GetWindowTextOf(window.Get()), Text(1023, 'x'));
}

} // namespace
} // namespace zelkor
