#include "ui/message_box_buttons.h"

#include "ui/message_box_flags.h"
#include "util/lists.h"

namespace zelkor {

namespace {

enum CaptionItem { kOk, kCancel, kYes, kNo, kAbort, kRetry, kIgnore };
enum Result { kIdOk = 1, kIdCancel, kIdAbort, kIdRetry, kIdIgnore, kIdYes, kIdNo };

struct ButtonKind {
    CaptionItem caption;
    Result result;
};

const ButtonKind kOkButton = {kOk, kIdOk};
const ButtonKind kCancelButton = {kCancel, kIdCancel};
const ButtonKind kAbortButton = {kAbort, kIdAbort};
const ButtonKind kRetryButton = {kRetry, kIdRetry};
const ButtonKind kIgnoreButton = {kIgnore, kIdIgnore};
const ButtonKind kYesButton = {kYes, kIdYes};
const ButtonKind kNoButton = {kNo, kIdNo};

struct ButtonSet {
    int count;
    ButtonKind kinds[3];
};

const ButtonSet kButtonSets[] = {
    {1, {kOkButton}},
    {2, {kOkButton, kCancelButton}},
    {3, {kAbortButton, kRetryButton, kIgnoreButton}},
    {3, {kYesButton, kNoButton, kCancelButton}},
    {2, {kYesButton, kNoButton}},
    {2, {kRetryButton, kCancelButton}},
};

// The letter a key press matches: the one after "&", else the first one.
char AcceleratorOf(const Text& caption) {
    const size_t amp = caption.find('&');
    const size_t at = amp == Text::npos ? 0 : amp + 1;
    return at < caption.size() ? UpperAscii(caption[at]) : '\0';
}

} // namespace

std::vector<BoxButton> ButtonsFor(unsigned flags, const Text& captions) {
    unsigned set = flags & kBoxButtonSetMask;
    // A set the box does not know still gets a button, so that it can be
    // answered and its timeout has a button to press.
    if (set >= sizeof kButtonSets / sizeof kButtonSets[0]) set = 0;
    std::vector<BoxButton> buttons;
    for (int i = 0; i < kButtonSets[set].count; ++i) {
        const ButtonKind& kind = kButtonSets[set].kinds[i];
        buttons.push_back({ListItem(captions, kind.caption, Text()), kind.result});
    }
    return buttons;
}

int CyclicIndex(int index, int count) {
    if (count <= 0) return 0;
    const int i = index % count;
    return i < 0 ? i + count : i;
}

int DefaultButtonIndex(unsigned flags, int count) {
    return CyclicIndex(int((flags >> 8) & 15), count);
}

int ButtonForKey(unsigned keyCode, const std::vector<BoxButton>& buttons) {
    // Only the letter keys: other key codes that fold to a letter are keypad
    // and function keys, which must not answer a question.
    if (keyCode < 'A' || keyCode > 'Z') return -1;
    int chosen = -1;
    for (size_t i = 0; i < buttons.size() && i < 3; ++i)
        if (AcceleratorOf(buttons[i].caption) == char(keyCode)) chosen = int(i);
    return chosen;
}

int ButtonForSysChar(char ch, const std::vector<BoxButton>& buttons) {
    for (size_t i = 0; i < buttons.size() && i < 3; ++i) {
        const Text& caption = buttons[i].caption;
        if (caption.size() >= 2 && (caption[1] == ch || caption[1] == UpperAscii(ch)))
            return int(i);
    }
    return -1;
}

} // namespace zelkor
