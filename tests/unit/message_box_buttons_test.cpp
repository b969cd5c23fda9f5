#include <gtest/gtest.h>

#include "ui/message_box_buttons.h"
#include "ui/message_box_text.h"

namespace zelkor {
namespace {

Text Describe(const std::vector<BoxButton>& buttons) {
    Text described;
    for (const BoxButton& button : buttons)
        described += button.caption + "=" + IntToText(button.result) + " ";
    return described;
}

TEST(MessageBoxButtons, EachSetHasItsCaptionsAndResults) {
    const std::pair<unsigned, Text> cases[] = {
        {0, "&OK=1 "},
        {1, "&OK=1 &Cancel=2 "},
        {2, "&Abort=3 &Retry=4 &Ignore=5 "},
        {3, "&Yes=6 &No=7 &Cancel=2 "},
        {4, "&Yes=6 &No=7 "},
        {5, "&Retry=4 &Cancel=2 "},
        // Icon, default-button and alignment bits do not change the set.
        {0x180024, "&Yes=6 &No=7 "},
        // Sets the box does not know still give a button to answer with.
        {6, "&OK=1 "},
        {15, "&OK=1 "},
    };
    for (const auto& [flags, expected] : cases) {
        SCOPED_TRACE(flags);
        EXPECT_EQ(Describe(ButtonsFor(flags, kDefaultButtonCaptions)), expected);
    }
}

TEST(MessageBoxButtons, MissingCaptionsGiveEmptyButtons) {
    EXPECT_EQ(Describe(ButtonsFor(4, "|O|C|&Ja|")), "&Ja=6 =7 ");
    EXPECT_EQ(Describe(ButtonsFor(1, "")), "=1 =2 ");
}

TEST(MessageBoxButtons, IndexesWrapInBothDirections) {
    struct Case {
        int index, count, expected;
    };
    const Case cases[] = {
        {3, 3, 0},  // Tab on the last button moves to the first
        {-1, 3, 2}, // Left on the first moves to the last
        {-4, 3, 2}, {1, 2, 1}, {0, 1, 0}, {5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(c.index) + " of " + IntToText(c.count));
        EXPECT_EQ(CyclicIndex(c.index, c.count), c.expected);
    }
}

TEST(MessageBoxButtons, DefaultButtonIsTakenModuloTheCount) {
    struct Case {
        unsigned flags;
        int count, expected;
    };
    const Case cases[] = {
        {0x000, 2, 0}, {0x100, 2, 1},   {0x200, 2, 0}, {0x200, 3, 2},
        {0xF00, 3, 0}, {0x10124, 2, 1}, {0x100, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(DefaultButtonIndex(c.flags, c.count), c.expected);
    }
}

TEST(MessageBoxButtons, LetterKeysChooseByTheLetterAfterTheAmpersand) {
    const std::vector<BoxButton> yesNoCancel = ButtonsFor(3, kDefaultButtonCaptions);
    // Yes and No both start with Y in this list: the later button wins.
    const std::vector<BoxButton> twoY = ButtonsFor(4, "|&OK|C|&Yes|&Yonder|");
    // Without "&" the first character counts; a trailing "&" marks nothing.
    const std::vector<BoxButton> plain = ButtonsFor(5, "|O|Cancel|Y|N|A|x&|");
    struct Case {
        const std::vector<BoxButton>& buttons;
        unsigned key;
        int expected;
    };
    const Case cases[] = {
        {yesNoCancel, 'Y', 0},
        {yesNoCancel, 'N', 1},
        {yesNoCancel, 'C', 2},
        {yesNoCancel, 'O', -1},
        {twoY, 'Y', 1},
        {plain, 'C', 1},
        {plain, 'X', -1},
        // Key codes that only fold to letters are keypad and function keys:
        // 0x6E is the keypad's decimal point, 0x6F its divide key, 0x72 F3.
        {yesNoCancel, 0x6E, -1},
        {ButtonsFor(0, kDefaultButtonCaptions), 0x6F, -1},
        {ButtonsFor(2, kDefaultButtonCaptions), 0x72, -1},
        {yesNoCancel, 0x159, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ButtonForKey(c.key, c.buttons), c.expected);
    }
}

TEST(MessageBoxButtons, AltCharactersMatchTheSecondCaptionCharacter) {
    const std::vector<BoxButton> yesNo = ButtonsFor(4, kDefaultButtonCaptions);
    const std::vector<BoxButton> twoY = ButtonsFor(4, "|&OK|C|&Yes|&Yonder|");
    const std::vector<BoxButton> lower = ButtonsFor(1, "|&ok|X|");
    struct Case {
        const std::vector<BoxButton>& buttons;
        char ch;
        int expected;
    };
    const Case cases[] = {
        {yesNo, 'y', 0}, {yesNo, 'Y', 0}, {yesNo, 'n', 1},  {yesNo, '&', -1},
        {twoY, 'y', 0},  {lower, 'o', 0}, {lower, 'O', -1}, {lower, 'X', -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ch);
        EXPECT_EQ(ButtonForSysChar(c.ch, c.buttons), c.expected);
    }
}

} // namespace
} // namespace zelkor
