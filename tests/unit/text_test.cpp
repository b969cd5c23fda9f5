#include <gtest/gtest.h>

#include <cstdint>

#include "util/text.h"

namespace zelkor {
namespace {

using namespace std::string_literals;

TEST(TextTest, ReplaceAllMakesOneLeftToRightPassWithoutOverlaps) {
    struct Case {
        Text text, oldText, newText;
        bool ignoreCase;
        Text expected;
    };
    const Case cases[] = {
        {"aaa", "a", "aa", false, "aaaaaa"},
        {"ab", "a", "ba", false, "bab"},
        {"aaaa", "aa", "b", false, "bb"},
        {"aaa", "aa", "x", false, "xa"},
        {"abab", "ab", "", false, ""},
        {"abc", "", "x", false, "abc"},
        {"abc", "z", "x", false, "abc"},
        {"aXbxc", "x", "-", false, "aXb-c"},
        {"aXbxc", "x", "-", true, "a-b-c"},
        {"AbcABC", "b", "_", true, "A_cA_C"},
        {"one TWO two", "two", "2", true, "one 2 2"},
        {"a\0b\0"s, "\0"s, "|", false, "a|b|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " / " + c.oldText);
        Text result = c.ignoreCase ? ReplaceAllIgnoreCase(c.text, c.oldText, c.newText)
                                   : ReplaceAll(c.text, c.oldText, c.newText);
        EXPECT_EQ(result, c.expected);
    }
}

TEST(TextTest, CaseFoldingTouchesAsciiLettersOnly) {
    EXPECT_EQ(UpperCaseAscii("az AZ 09 {@`} \xE4\xF6"), "AZ AZ 09 {@`} \xE4\xF6");
    EXPECT_TRUE(SameTextIgnoreCase("Setup.EXE", "setup.exe"));
    EXPECT_FALSE(SameTextIgnoreCase("\xE4", "\xC4"));
    EXPECT_FALSE(SameTextIgnoreCase("ab", "abc"));
    EXPECT_EQ(PosIgnoreCase("\xC4", "\xE4\xC4"), 2);
}

TEST(TextTest, PosIgnoreCaseFindsTheFirstOccurrence) {
    EXPECT_EQ(PosIgnoreCase("BC", "abcabc"), 2);
    EXPECT_EQ(PosIgnoreCase("abc", "xxABC"), 3);
    EXPECT_EQ(PosIgnoreCase("", "abc"), 0);
    EXPECT_EQ(PosIgnoreCase("x", "abc"), 0);
    EXPECT_EQ(PosIgnoreCase("abcd", "abc"), 0);
}

TEST(TextTest, PosFromSearchesFromStartAndReportsWholeTextPositions) {
    struct Case {
        Text sub, text;
        int start, expected;
    };
    const Case cases[] = {
        {"bc", "abcabc", 1, 2},
        {"bc", "abcabc", 2, 2},
        {"bc", "abcabc", 3, 5},
        {"bc", "abcabc", 6, 0},
        {"bc", "abcabc", 7, 0},
        {"bc", "abcabc", 100, 0},
        {"bc", "abcabc", 0, 0},
        {"bc", "abcabc", -5, 0},
        {"", "abc", 1, 0},
        {"", "", 1, 0},
        // The scan ends at the first NUL from the start on.
        {"b", "ab\0b"s, 1, 2},
        {"c", "ab\0c"s, 1, 0},
        {"b\0c"s, "ab\0c"s, 1, 0},
        {"c", "ab\0c"s, 4, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sub + " in " + c.text + " from " + IntToText(c.start));
        EXPECT_EQ(PosFrom(c.sub, c.text, c.start), c.expected);
    }
    EXPECT_EQ(PosFromIgnoreCase("bc", "xABCabc", 4), 6);
    EXPECT_EQ(PosFromIgnoreCase("BC", "xabc\0BC"s, 4), 0);
    EXPECT_EQ(PosFrom("BC", "xabc", 1), 0);
}

TEST(TextTest, LastPosAndPosFromEnd) {
    EXPECT_EQ(LastPos("bc", "abcabc"), 5);
    EXPECT_EQ(LastPos("aa", "aaa"), 2);
    EXPECT_EQ(LastPos("abc", "abc"), 1);
    EXPECT_EQ(LastPos("\\", "C:\\dir\\file"), 7);
    EXPECT_EQ(LastPos("BC", "abcabc"), 0);
    EXPECT_EQ(LastPos("", "abc"), 0);
    EXPECT_EQ(LastPos("abcd", "abc"), 0);

    EXPECT_EQ(PosFromEndIgnoreCase(".EXE", "c:\\setup.exe"), 1);
    EXPECT_EQ(PosFromEndIgnoreCase("exe", "exe.txt"), 5);
    EXPECT_EQ(PosFromEndIgnoreCase("", "abc"), 0);
    EXPECT_EQ(PosFromEndIgnoreCase("z", "abc"), 0);
}

TEST(TextTest, TextBeforeAndAfterTheFirstSeparator) {
    struct Case {
        Text text, sep, before, after;
    };
    const Case cases[] = {
        {"a=b=c", "=", "a", "b=c"}, {"key::value", "::", "key", "value"},
        {"=v", "=", "", "v"},       {"k=", "=", "k", ""},
        {"abc", "=", "", "abc"},    {"abc", "", "", "abc"},
        {"", "=", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " at " + c.sep);
        EXPECT_EQ(TextBefore(c.text, c.sep), c.before);
        EXPECT_EQ(TextAfter(c.text, c.sep), c.after);
    }
}

TEST(TextTest, StripEnclosingAndUnquote) {
    struct Case {
        Text text;
        char ch;
        bool force, once;
        Text expected;
    };
    const Case cases[] = {
        {"||a||", '|', false, false, "a"},
        {"||a||", '|', false, true, "|a|"},
        {"|a", '|', false, false, "|a"},
        {"a|", '|', false, false, "a|"},
        {"|a", '|', true, false, "a"},
        {"a||", '|', true, false, "a"},
        {"|", '|', false, false, ""},
        {"||", '|', false, false, ""},
        {"||", '|', false, true, ""},
        {"|||", '|', false, true, "|"},
        {"|  text  |", '|', false, true, "  text  "},
        {"a", '|', true, false, "a"},
        {"", '|', true, false, ""},
        {"ab", '|', true, true, "ab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(StripEnclosing(c.text, c.ch, c.force, c.once), c.expected);
    }
    EXPECT_EQ(Unquote("\"\"C:\\A B\"\"", false), "C:\\A B");
    EXPECT_EQ(Unquote("\"C:\\A B", false), "\"C:\\A B");
    EXPECT_EQ(Unquote("\"C:\\A B", true), "C:\\A B");
    EXPECT_EQ(Unquote("\"", false), "");
}

TEST(TextTest, StartsWithAndEndsWith) {
    struct Case {
        Text part, text;
        bool ignoreCase, starts, ends;
    };
    const Case cases[] = {
        {"", "abc", false, false, true},      {"", "", false, false, true},
        {"abc", "abc", false, true, true},    {"ab", "abc", false, true, false},
        {"bc", "abc", false, false, true},    {"AB", "abc", false, false, false},
        {"AB", "abc", true, true, false},     {"BC", "abc", true, false, true},
        {"abcd", "bcd", false, false, false}, {"abcd", "bcd", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.part + " / " + c.text);
        EXPECT_EQ(StartsWith(c.part, c.text, c.ignoreCase), c.starts);
        EXPECT_EQ(EndsWith(c.part, c.text, c.ignoreCase), c.ends);
    }
}

TEST(TextTest, TrimmingRemovesControlBytesAndSpacesOnly) {
    EXPECT_EQ(TrimControl(" \t\r\n\x01 a b \x1F\x20"), "a b");
    EXPECT_EQ(TrimControl("\x7F"
                          "a\x7F"),
              "\x7F"
              "a\x7F");
    EXPECT_EQ(TrimControl("\xA0"
                          "a\xFF"),
              "\xA0"
              "a\xFF");
    EXPECT_EQ(TrimControl(" \0 "s), "");
    EXPECT_EQ(TrimControl(""), "");

    EXPECT_TRUE(SameTextTrimmed(" \tSetup\r\n", "sETUP"));
    EXPECT_TRUE(SameTextTrimmed("", " \t "));
    EXPECT_FALSE(SameTextTrimmed("a b", "ab"));
    EXPECT_FALSE(SameTextTrimmed("\xA0"
                                 "a",
                                 "a"));
}

TEST(TextTest, PadLeft) {
    EXPECT_EQ(PadLeft("7", 3, '0'), "007");
    EXPECT_EQ(PadLeft("123", 3, '0'), "123");
    EXPECT_EQ(PadLeft("1234", 3, '0'), "1234");
    EXPECT_EQ(PadLeft("", 2, ' '), "  ");
    EXPECT_EQ(PadLeft("ab", 0, 'x'), "ab");
    EXPECT_EQ(PadLeft("ab", -1, 'x'), "ab");
}

TEST(TextTest, IntegersAsDecimalText) {
    struct Case {
        int64_t value;
        Text expected;
    };
    const Case cases[] = {
        {0, "0"},
        {7, "7"},
        {-1, "-1"},
        {1000, "1000"},
        {-4096, "-4096"},
        {INT64_MAX, "9223372036854775807"},
        {INT64_MIN, "-9223372036854775808"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IntToText(c.value), c.expected);
    EXPECT_EQ(UIntToText(0), "0");
    EXPECT_EQ(UIntToText(4294967295u), "4294967295");
    EXPECT_EQ(UIntToText(UINT64_MAX), "18446744073709551615");
}

} // namespace
} // namespace zelkor
