// The buttons of a message box: which ones a flag set gives, which one is
// the default, and which one a key press chooses.
#pragma once

#include <vector>

#include "util/text.h"

namespace zelkor {

struct BoxButton {
    Text caption;
    int result;
};

// The buttons of the flags' set, left to right, with their captions taken
// from the caption list (OK, Cancel, Yes, No, Abort, Retry, Ignore).
std::vector<BoxButton> ButtonsFor(unsigned flags, const Text& captions);

// `index` taken modulo `count`, a negative index counting from the end;
// 0 when there is nothing to choose from.
int CyclicIndex(int index, int count);
int DefaultButtonIndex(unsigned flags, int count);

// The button chosen by a key-down of `keyCode`: the letter after the
// caption's "&" (else its first character), ignoring case; the last match
// wins. -1 when none matches.
int ButtonForKey(unsigned keyCode, const std::vector<BoxButton>& buttons);
// The button chosen by Alt+`ch`: the caption's second character is `ch` or
// its upper-case form; the first match wins. -1 when none matches.
int ButtonForSysChar(char ch, const std::vector<BoxButton>& buttons);

} // namespace zelkor
