// Drives the windows of other programs for the tests: finds a top-level
// window by class, reads its texts and geometry, presses its buttons and
// sends it keys.
//
//   gui_helper OUT_FILE COMMAND CLASS [ARGUMENT]
//
// OUT_FILE receives the results ("-" for standard output); each result is
// one "name=value" line, and texts escape "\" as "\\", CR as "\r", LF as
// "\n" and tab as "\t". Exit code: 0 done, 1 window or button missing (or
// the wait timed out), 2 bad command line.
//
//   wait CLASS [TIMEOUT_MS]   until the window exists and its thread takes
//                             messages (default 10000 ms); "window=0x..."
//   gone CLASS [TIMEOUT_MS]   until no such window exists
//   exists CLASS              "exists=1" (exit 0) or "exists=0" (exit 1)
//   text CLASS                "title=", "text=" (first RichEdit child),
//                             "button=" and "static=" per child, in order
//   rect CLASS                "window=L T R B" (screen), "client=W H",
//                             "style=0x... 0x..." (style, extended style),
//                             "child=CLASS L T R B VISIBLE STYLE EXSTYLE TEXT"
//                             per child, in client coordinates
//   press CLASS CAPTION       clicks the button of that caption ("&" may be
//                             left out)
//   key CLASS VK              posts a key down and up to the focused control
//                             of the window's thread (else to the window);
//                             VK is a number (89, 0x59), one character (Y)
//                             or a name (TAB, RETURN, ESCAPE, LEFT, RIGHT,
//                             UP, DOWN, SPACE)
//   syschar CLASS CHAR        posts Alt+CHAR (WM_SYSCHAR) the same way
//   close CLASS               posts WM_CLOSE
//   show CLASS                shows the window without activating it
//   bars CLASS                "bar=POSITION HIGH" per progress bar child, in
//                             order
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "util/win_handles.h"

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kDefaultWaitMs = 10000;

std::string output;

void Line(const std::string& name, const std::string& value) {
    output += name + "=" + value + "\n";
}

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string Number(long value) {
    char digits[24];
    int at = sizeof digits;
    digits[--at] = '\0';
    const bool negative = value < 0;
    unsigned long magnitude = negative ? 0ul - static_cast<unsigned long>(value) : value;
    do {
        digits[--at] = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (negative) digits[--at] = '-';
    return digits + at;
}

std::string Hex(uint64_t value) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    do {
        hex.insert(hex.begin(), kDigits[value & 15]);
        value >>= 4;
    } while (value);
    return "0x" + hex;
}

bool WriteOutput(const std::string& path) {
    if (path == "-") {
        DWORD written = 0;
        return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), output.data(), DWORD(output.size()),
                         &written, nullptr) != 0;
    }
    zelkor::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.Get(), output.data(), DWORD(output.size()), &written, nullptr) != 0;
}

std::string ClassOf(HWND window) {
    char name[256];
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? size_t(length) : 0);
}

char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}

// Class names and key names are ASCII.
bool SameIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

bool StartsIgnoringCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && SameIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Through WM_GETTEXT, which reaches controls of other processes that keep
// their own text (RichEdit); never waits for a hung window for long.
std::string TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                             &length))
        return "";
    std::vector<char> buffer(length + 2);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, WPARAM(buffer.size()), LPARAM(buffer.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied))
        return "";
    return std::string(buffer.data(), copied < buffer.size() ? size_t(copied) : 0);
}

std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// Waits until `present` holds for the window of that class.
bool WaitFor(const std::string& className, DWORD timeoutMs, bool present) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindWindowA(className.c_str(), nullptr);
        if (present && window) {
            // The owning thread answers once it is in its message loop.
            DWORD_PTR ignored = 0;
            if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored)) {
                Line("window", Hex(uintptr_t(window)));
                return true;
            }
        }
        if (!present && !window) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(50);
    }
}

void ReportText(HWND window) {
    Line("title", Escaped(TextOf(window)));
    bool richSeen = false;
    for (HWND child : ChildrenOf(window)) {
        const std::string childClass = ClassOf(child);
        if (!richSeen && StartsIgnoringCase(childClass, "RICHEDIT")) {
            Line("text", Escaped(TextOf(child)));
            richSeen = true;
        } else if (SameIgnoringCase(childClass, "Button")) {
            Line("button", Escaped(TextOf(child)));
        } else if (SameIgnoringCase(childClass, "Static")) {
            Line("static", Escaped(TextOf(child)));
        }
    }
}

std::string RectText(const RECT& rect) {
    return Number(rect.left) + " " + Number(rect.top) + " " + Number(rect.right) + " " +
           Number(rect.bottom);
}

void ReportRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    Line("window", RectText(rect));
    RECT client{};
    GetClientRect(window, &client);
    Line("client", Number(client.right) + " " + Number(client.bottom));
    Line("style",
         Hex(GetWindowLongA(window, GWL_STYLE)) + " " + Hex(GetWindowLongA(window, GWL_EXSTYLE)));
    for (HWND child : ChildrenOf(window)) {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
        Line("child", ClassOf(child) + " " + RectText(place) + " " +
                          (IsWindowVisible(child) ? "1 " : "0 ") +
                          Hex(GetWindowLongA(child, GWL_STYLE)) + " " +
                          Hex(GetWindowLongA(child, GWL_EXSTYLE)) + " " + Escaped(TextOf(child)));
    }
}

void ReportBars(HWND window) {
    for (HWND child : ChildrenOf(window))
        if (SameIgnoringCase(ClassOf(child), PROGRESS_CLASSA))
            Line("bar", Number(long(SendMessageA(child, PBM_GETPOS, 0, 0))) + " " +
                            Number(long(SendMessageA(child, PBM_GETRANGE, FALSE, 0))));
}

std::string WithoutAmpersands(std::string text) {
    std::string plain;
    for (char c : text)
        if (c != '&') plain += c;
    return plain;
}

bool Press(HWND window, const std::string& caption) {
    for (HWND child : ChildrenOf(window)) {
        if (!SameIgnoringCase(ClassOf(child), "Button")) continue;
        const std::string text = TextOf(child);
        if (text == caption || WithoutAmpersands(text) == WithoutAmpersands(caption)) {
            // Posted: a click that opens another modal loop must not hold us.
            PostMessageA(child, BM_CLICK, 0, 0);
            return true;
        }
    }
    return false;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus)
        return info.hwndFocus;
    return window;
}

// 0 for a key that cannot be read.
UINT VirtualKeyOf(const std::string& name) {
    static const struct {
        const char* name;
        UINT key;
    } kNames[] = {{"TAB", VK_TAB},       {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN},
                  {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},    {"LEFT", VK_LEFT},
                  {"RIGHT", VK_RIGHT},   {"UP", VK_UP},         {"DOWN", VK_DOWN},
                  {"SPACE", VK_SPACE}};
    for (const auto& entry : kNames)
        if (SameIgnoringCase(name, entry.name)) return entry.key;
    if (name.size() == 1) return UINT(uint8_t(Upper(name[0])));
    char* end = nullptr;
    const unsigned long value = strtoul(name.c_str(), &end, 0);
    return (end && *end == '\0' && value > 0 && value < 256) ? UINT(value) : 0;
}

void PostKey(HWND window, UINT key) {
    const HWND target = FocusOf(window);
    const LPARAM scan = LPARAM(MapVirtualKeyA(key, 0)) << 16;
    PostMessageA(target, WM_KEYDOWN, key, scan | 1);
    PostMessageA(target, WM_KEYUP, key, scan | 1 | (LPARAM(3) << 30));
}

void PostSysChar(HWND window, char ch) {
    // Bit 29: the Alt key is down.
    PostMessageA(FocusOf(window), WM_SYSCHAR, WPARAM(uint8_t(ch)), 1 | (LPARAM(1) << 29));
}

DWORD TimeoutArgument(int argc, char** argv) {
    if (argc < 5) return kDefaultWaitMs;
    return DWORD(strtoul(argv[4], nullptr, 10));
}

int Run(int argc, char** argv) {
    if (argc < 4) return 2;
    const std::string command = argv[2];
    const std::string className = argv[3];
    if (command == "wait") return WaitFor(className, TimeoutArgument(argc, argv), true) ? 0 : 1;
    if (command == "gone") return WaitFor(className, TimeoutArgument(argc, argv), false) ? 0 : 1;

    const HWND window = FindWindowA(className.c_str(), nullptr);
    if (command == "exists") {
        Line("exists", window ? "1" : "0");
        return window ? 0 : 1;
    }
    const bool known = command == "text" || command == "rect" || command == "press" ||
                       command == "key" || command == "syschar" || command == "close" ||
                       command == "show" || command == "bars";
    if (!known) return 2;
    if (!window) return 1;
    if (command == "text") {
        ReportText(window);
    } else if (command == "rect") {
        ReportRect(window);
    } else if (command == "close") {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (command == "show") {
        ShowWindow(window, SW_SHOWNOACTIVATE);
    } else if (command == "bars") {
        ReportBars(window);
    } else {
        if (argc < 5) return 2;
        const std::string argument = argv[4];
        if (command == "press") return Press(window, argument) ? 0 : 1;
        if (command == "syschar") {
            if (argument.size() != 1) return 2;
            PostSysChar(window, argument[0]);
        } else {
            const UINT key = VirtualKeyOf(argument);
            if (key == 0) return 2;
            PostKey(window, key);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const int code = Run(argc, argv);
    if (argc >= 2 && !WriteOutput(argv[1]) && code == 0) return 2;
    return code;
}
