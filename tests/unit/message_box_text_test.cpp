#include <gtest/gtest.h>

#include "ui/message_box_text.h"

namespace zelkor {
namespace {

struct RunCase {
    Text markup;
    Text text;
    std::vector<std::pair<int, int>> runs;
};

std::vector<std::pair<int, int>> RunsOf(const BoxText& box) {
    std::vector<std::pair<int, int>> runs;
    for (const BoldRun& run : box.boldRuns)
        runs.emplace_back(run.start, run.end);
    return runs;
}

TEST(MessageBoxText, EscapesExpandInOrderAndTheDoubledTagLosesOneBracket) {
    const std::pair<Text, Text> cases[] = {
        {"a\\\\nb", "a\r\nb"},
        {"a\\\\tb", "a\tb"},
        {"a\\nb\\\\Nc", "a\\nb\\\\Nc"}, // one backslash, or a capital N: no escape
        {"1<P>2<p>3", "1\r\n2\r\n3"},
        {"1<T>2<t>3", "1\t2\t3"},
        {"<<b>x</b>", "<b>x</b>"},
        {"<<B>x", "<<B>x"},   // exact case only
        {" <<b>x", " <<b>x"}, // only at the very start
        {"<<b>", "<b>"},
        {"", ""},
    };
    for (const auto& [markup, expected] : cases) {
        SCOPED_TRACE(markup);
        EXPECT_EQ(ExpandEscapes(markup), expected);
    }
}

TEST(MessageBoxText, BoldRunsComeFromMatchedTagsOnly) {
    const RunCase cases[] = {
        {"a<b>b</B>c", "abc", {{1, 2}}},
        {"</B>x<B>y</B>", "xy", {}},
        {"<B>one</B> and <b>two</b>", "one and two", {{0, 3}, {8, 11}}},
        {"<B>open", "open", {}},
        {"x</b>y</B>", "xy", {}},
        {"<B></B>x", "x", {}},
        // Positions are counted after the escapes: CR LF is two characters.
        {"<P>a<B>b</B>", "\r\nab", {{3, 4}}},
        {"a\\\\t<b>b</b>", "a\tb", {{2, 3}}},
        {"<b>x</b>", "x", {{0, 1}}},
    };
    for (const RunCase& c : cases) {
        SCOPED_TRACE(c.markup);
        const BoxText box = ParseBoxText(c.markup);
        EXPECT_EQ(box.text, c.text);
        EXPECT_EQ(RunsOf(box), c.runs);
    }
}

TEST(MessageBoxText, RunsBeyondSixteenBitPositionsAreDropped) {
    const Text longText(70000, 'x');
    const BoxText box = ParseBoxText("<b>a</b>" + longText + "<b>y</b>");
    EXPECT_EQ(box.text, "a" + longText + "y");
    EXPECT_EQ(RunsOf(box), (std::vector<std::pair<int, int>>{{0, 1}}));
}

TEST(MessageBoxText, HeadingUpperCasesOnlyTheDefaultTitles) {
    const std::pair<Text, Text> cases[] = {
        {"Error", "ERROR"},
        {"Attention", "ATTENTION"},
        {"Confirm", "CONFIRM"},
        {"Fehler", "Fehler"},
        {"error", "error"},
        {"Err", "Err"},
        {"", ""},
    };
    for (const auto& [title, heading] : cases) {
        SCOPED_TRACE(title);
        EXPECT_EQ(WithHeading(title, "Disk full"), "<<b>" + heading + "</b><P><P>Disk full<P>");
    }
}

TEST(MessageBoxText, HeadingShowsBoldTitleEmptyLineAndText) {
    const BoxText box = ParseBoxText(WithHeading("Error", "Disk full"));
    EXPECT_EQ(box.text, "ERROR\r\n\r\nDisk full\r\n");
    EXPECT_EQ(RunsOf(box), (std::vector<std::pair<int, int>>{{0, 5}}));
    // A text that itself starts with a bold tag keeps both runs.
    const BoxText bold = ParseBoxText(WithHeading("Confirm", "<b>Go</b> on?"));
    EXPECT_EQ(bold.text, "CONFIRM\r\n\r\nGo on?\r\n");
    EXPECT_EQ(RunsOf(bold), (std::vector<std::pair<int, int>>{{0, 7}, {11, 13}}));
}

TEST(MessageBoxText, DefaultsFillOnlyEmptyCaptionsAndTitles) {
    const std::pair<MessageBoxKind, Text> kinds[] = {
        {kErrorBox, "Error"}, {kAttentionBox, "Attention"}, {kQuestionBox, "Confirm"}};
    for (const auto& [kind, title] : kinds) {
        Text buttons, shownTitle;
        ApplyMessageBoxDefaults(buttons, shownTitle, kind);
        EXPECT_EQ(buttons, "|&OK|&Cancel|&Yes|&No|&Abort|&Retry|&Ignore|");
        EXPECT_EQ(shownTitle, title);
    }
    Text buttons = "|Ja|", title = "Frage";
    ApplyMessageBoxDefaults(buttons, title, kQuestionBox);
    EXPECT_EQ(buttons, "|Ja|");
    EXPECT_EQ(title, "Frage");
}

} // namespace
} // namespace zelkor
