// The rich message box used for every question and notice, and its front
// end: default titles and captions, the bold heading, right-to-left layout.
#pragma once

#include <windows.h>

#include "ui/message_box_text.h"
#include "util/text.h"

namespace zelkor {

// kDefaultButtonCaptions, kDefaultTitles, MessageBoxKind and
// ApplyMessageBoxDefaults come from ui/message_box_text.h.

// Owner 0: the active window, with a bold heading; 1: the active window
// without heading; any other value: that window, without heading.
inline HWND const kOwnerWithHeading = nullptr;
inline HWND const kOwnerActiveWindow = reinterpret_cast<HWND>(1);

void ShowErrorBox(HWND owner, const Text& text, const Text& title, int charset,
                  const Text& buttons);
void ShowAttentionBox(HWND owner, const Text& text, const Text& title, int timeoutMs, int charset,
                      const Text& buttons);
bool AskYesNo(HWND owner, const Text& text, const Text& title, int charset, const Text& buttons);
bool AskOkCancel(HWND owner, const Text& text, const Text& title, int charset, const Text& buttons);
int ShowMessageBox(HWND owner, const Text& text, const Text& title, int timeoutMs, UINT flags,
                   int charset, const Text& buttons);

void SetMsgBoxFont(const Text& faceName, int points, int charset);
// Shows the box modally on the calling thread; 0 when it was closed
// without a button.
int RunMessageBox(HWND owner, const Text& text, const Text& title, int timeoutMs, UINT flags,
                  const Text& buttons);

} // namespace zelkor
