// What the message box shows as text: default titles and captions, the
// heading put in front of a text, and the markup turned into plain text
// with bold runs.
#pragma once

#include <cstdint>
#include <vector>

#include "util/text.h"

namespace zelkor {

constexpr const char* kDefaultButtonCaptions = "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|";
constexpr const char* kDefaultTitles = "|Error|Attention|Confirm|";
enum MessageBoxKind { kErrorBox = 0, kAttentionBox = 1, kQuestionBox = 2 };

void ApplyMessageBoxDefaults(Text& buttons, Text& title, MessageBoxKind kind);

// The bold title, an empty line, the text and a final line break. Only the
// default titles are upper-cased; a translated title keeps its case.
Text WithHeading(const Text& title, const Text& text);

// Characters [start, end) of the plain text, 0-based.
struct BoldRun {
    uint16_t start;
    uint16_t end;
};

struct BoxText {
    Text text;
    std::vector<BoldRun> boldRuns;
};

// "\\n", "\\t", "<P>" and "<T>" in that order, then the "<<b>" rule.
Text ExpandEscapes(const Text& text);
// The whole markup: escapes, then bold runs; stray "</B>" tags go.
BoxText ParseBoxText(const Text& text);

} // namespace zelkor
