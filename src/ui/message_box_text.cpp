#include "ui/message_box_text.h"

#include "util/lists.h"

namespace zelkor {

namespace {

const Text kLineBreak = "\r\n";
const Text kBoldOn = "<B>";
const Text kBoldOff = "</B>";

} // namespace

void ApplyMessageBoxDefaults(Text& buttons, Text& title, MessageBoxKind kind) {
    if (buttons.empty()) buttons = kDefaultButtonCaptions;
    if (title.empty()) title = ListItem(kDefaultTitles, int(kind), Text());
}

Text WithHeading(const Text& title, const Text& text) {
    const bool isDefault = Text(kDefaultTitles).find("|" + title + "|") != Text::npos;
    const Text heading = isDefault ? UpperCaseAscii(title) : title;
    return "<<b>" + heading + "</b><P><P>" + text + "<P>";
}

Text ExpandEscapes(const Text& text) {
    Text result = ReplaceAll(text, "\\\\n", kLineBreak);
    result = ReplaceAll(result, "\\\\t", "\t");
    result = ReplaceAllIgnoreCase(result, "<P>", kLineBreak);
    result = ReplaceAllIgnoreCase(result, "<T>", "\t");
    // Headings are written "<<b>"; only that exact start becomes a bold tag.
    if (result.compare(0, 4, "<<b>") == 0) result.erase(0, 1);
    return result;
}

BoxText ParseBoxText(const Text& markup) {
    BoxText box{ExpandEscapes(markup), {}};
    Text& text = box.text;
    // Searched in step with `text`, so that tags match in any case.
    Text upper = UpperCaseAscii(text);
    for (size_t on = upper.find(kBoldOn); on != Text::npos; on = upper.find(kBoldOn)) {
        text.erase(on, kBoldOn.size());
        upper.erase(on, kBoldOn.size());
        const size_t off = upper.find(kBoldOff);
        if (off == Text::npos || off <= on) continue;
        text.erase(off, kBoldOff.size());
        upper.erase(off, kBoldOff.size());
        // The control takes 16-bit positions; a run beyond them is not shown
        // rather than shown somewhere else.
        if (off <= 0xFFFF) box.boldRuns.push_back({uint16_t(on), uint16_t(off)});
    }
    text = ReplaceAllIgnoreCase(text, kBoldOff, Text());
    return box;
}

} // namespace zelkor
