// The four kinds of box the program shows, and the common path that adds
// the heading, the reading direction and the owner.
#include "ui/message_box.h"

#include "ui/message_box_flags.h"
#include "ui/message_box_text.h"
#include "ui/window_helpers.h"

namespace zelkor {

namespace {

int ShowKindOfBox(HWND owner, const Text& text, Text title, int timeoutMs, UINT flags, int charset,
                  Text buttons, MessageBoxKind kind) {
    ApplyMessageBoxDefaults(buttons, title, kind);
    return ShowMessageBox(owner, text, title, timeoutMs, flags, charset, buttons);
}

} // namespace

void ShowErrorBox(HWND owner, const Text& text, const Text& title, int charset,
                  const Text& buttons) {
    ShowKindOfBox(owner, text, title, 0, MB_ICONSTOP | MB_OK, charset, buttons, kErrorBox);
}

void ShowAttentionBox(HWND owner, const Text& text, const Text& title, int timeoutMs, int charset,
                      const Text& buttons) {
    ShowKindOfBox(owner, text, title, timeoutMs, MB_ICONEXCLAMATION | MB_OK, charset, buttons,
                  kAttentionBox);
}

bool AskYesNo(HWND owner, const Text& text, const Text& title, int charset, const Text& buttons) {
    return ShowKindOfBox(owner, text, title, 0, MB_ICONQUESTION | MB_YESNO, charset, buttons,
                         kQuestionBox) == IDYES;
}

bool AskOkCancel(HWND owner, const Text& text, const Text& title, int charset,
                 const Text& buttons) {
    return ShowKindOfBox(owner, text, title, 0, MB_ICONQUESTION | MB_OKCANCEL, charset, buttons,
                         kQuestionBox) == IDOK;
}

int ShowMessageBox(HWND owner, const Text& text, const Text& title, int timeoutMs, UINT flags,
                   int charset, const Text& buttons) {
    flags = FlagsForCharset(flags, charset);
    const Text shown = owner == kOwnerWithHeading ? WithHeading(title, text) : text;
    if (owner == kOwnerWithHeading || owner == kOwnerActiveWindow) owner = GetActiveWindow();
    const int result = RunMessageBox(owner, shown, title, timeoutMs, flags, buttons);
    WaitPumping(100, 0);
    return result;
}

} // namespace zelkor
