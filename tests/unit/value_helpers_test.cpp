#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "util/lists.h"
#include "util/value_helpers.h"

namespace zelkor {
namespace {

// Shift-JIS-like: 0x81-0x9F open a double-byte character whose second byte
// may be a backslash (0x5C).
bool TestLeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0x9F;
}

TEST(ValueNumbers, MinMaxAndEnsureRange) {
    EXPECT_EQ(Min64(-3, 2), -3);
    EXPECT_EQ(Max64(-3, 2), 2);
    EXPECT_EQ(Min64(INT64_MIN, INT64_MAX), INT64_MIN);
    EXPECT_EQ(Max64(INT64_MIN, INT64_MAX), INT64_MAX);
    const struct {
        int64_t value, low, high, expected;
    } cases[] = {
        {0, 1, 25, 1},
        {40, 1, 25, 25},
        {7, 1, 25, 7},
        {1, 1, 25, 1},
        {25, 1, 25, 25},
        // Raised first, then lowered: the high bound wins a crossed range.
        {0, 10, 5, 5},
        {20, 10, 5, 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(EnsureRange64(c.value, c.low, c.high), c.expected)
            << c.value << " in " << c.low << ".." << c.high;
}

TEST(ValueNumbers, RandomIntTextStaysWithinItsBounds) {
    bool sawLow = false;
    bool sawHigh = false;
    uint64_t bits = 1;
    for (int i = 0; i < 20000; ++i) {
        bits = MixRandomBits(bits);
        const Text text = RandomIntTextFrom(bits, 10000, 100000);
        ASSERT_TRUE(text.size() == 5 || text.size() == 6) << text;
        const int64_t value = ParseRadix(text, 10);
        ASSERT_GE(value, 10000);
        ASSERT_LE(value, 100000);
    }
    // Both ends can come out.
    for (uint64_t b : {uint64_t(0), uint64_t(90000), uint64_t(90001), uint64_t(180001)}) {
        const Text text = RandomIntTextFrom(b, 10000, 100000);
        sawLow = sawLow || text == "10000";
        sawHigh = sawHigh || text == "100000";
    }
    EXPECT_TRUE(sawLow);
    EXPECT_TRUE(sawHigh);
    EXPECT_EQ(RandomIntTextFrom(12345, 7, 7), "7");
    EXPECT_EQ(RandomIntTextFrom(12345, 9, 3), "9");
    // The widest range does not overflow.
    EXPECT_EQ(RandomIntTextFrom(0, INT64_MIN, INT64_MAX), "-9223372036854775808");
    EXPECT_EQ(RandomIntTextFrom(UINT64_MAX, INT64_MIN, INT64_MAX), "9223372036854775807");
    EXPECT_NE(MixRandomBits(1), MixRandomBits(2));
}

TEST(ValueNumbers, ZeroPad) {
    const struct {
        int32_t n;
        int width;
        const char* expected;
    } cases[] = {
        {7, 2, "07"},      {456, 2, "456"},  {45, 2, "45"}, {0, 4, "0000"},
        {2008, 4, "2008"}, {999, 4, "0999"}, {5, 0, "5"},   {INT32_MAX, 12, "002147483647"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ZeroPad(c.n, c.width), c.expected) << c.n << " to " << c.width;
}

TEST(ValueNumbers, ParseRadixAndHexToInt64) {
    const struct {
        const char* text;
        int base;
        int64_t expected;
    } radix[] = {
        {"", 16, 0},
        {"1G", 16, 15},        // G counts as -1
        {"ff", 16, 255},       // upper-cased first
        {" \t1A\r\n", 16, 26}, // and trimmed
        {"777", 8, 511},
        {"9", 8, 9}, // a digit beyond the base keeps its value
        {"101", 2, 5},
        {"Z", 10, -1},
        {"-1", 10, -9}, // "-" is a foreign character, not a sign
        {"7FFFFFFFFFFFFFFF", 16, INT64_MAX},
        {"FFFFFFFFFFFFFFFF", 16, -1}, // wraps around
        {"10000000000000000", 16, 0},
    };
    for (const auto& c : radix)
        EXPECT_EQ(ParseRadix(c.text, c.base), c.expected) << c.text << " base " << c.base;

    const struct {
        const char* text;
        int64_t expected;
    } hex[] = {
        {"0x1F", 31},
        {"0X1f", 31},
        {"1f", 31},
        {"001F", 31},
        {"0x", 0},
        {"", 0},
        {"x1", -15},
        // Only a prefix at the very start is dropped; this X counts as -1.
        {" 0x1F", -225},
    };
    for (const auto& c : hex)
        EXPECT_EQ(HexToInt64(c.text), c.expected) << c.text;
}

TEST(ValueDates, MonthListAndDateTexts) {
    EXPECT_EQ(ListItem(kMonthList, 0, "?"), "?"); // item 0 is empty
    EXPECT_EQ(ListItem(kMonthList, 1, "?"), "JAN");
    EXPECT_EQ(ListItem(kMonthList, 12, "?"), "DEC");
    EXPECT_EQ(ListItemCount(kMonthList), 13);

    const struct {
        LocalDateTime when;
        const char* date;
    } cases[] = {
        {{2007, 12, 9, 0, 0, 0}, "09-DEC-2007"},
        {{2008, 1, 1, 0, 0, 0}, "01-JAN-2008"},
        {{2024, 2, 29, 0, 0, 0}, "29-FEB-2024"},
        {{999, 6, 30, 0, 0, 0}, "30-JUN-0999"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateDMY(c.when), c.date);

    EXPECT_EQ(FormatDateTimeDMY({2007, 12, 9, 14, 5, 9}, ':'), "09-DEC-2007  14:05:09");
    EXPECT_EQ(FormatDateTimeDMY({2008, 1, 1, 0, 0, 0}, '.'), "01-JAN-2008  00.00.00");
    EXPECT_EQ(FormatDateTimeDMY({2008, 3, 5, 23, 59, 58}, ':'), "05-MAR-2008  23:59:58");
}

TEST(ValueWords, BoolToText) {
    EXPECT_EQ(BoolToText(true), "TRUE");
    EXPECT_EQ(BoolToText(false), "FALSE");
}

TEST(ValuePaths, SetTrailingBackslash) {
    const struct {
        const char* path;
        bool add;
        const char* expected;
    } cases[] = {
        {"C:\\", false, "C:"},
        {"C:\\", true, "C:\\"},
        {"C:\\Dir", true, "C:\\Dir\\"},
        {"C:\\Dir", false, "C:\\Dir"},
        {"C:\\Temp\\", false, "C:\\Temp"},
        {"C:\\Temp\\", true, "C:\\Temp\\"},
        {"C:\\Temp\\\\", false, "C:\\Temp\\"}, // one backslash at most goes
        {"\\", false, "\\"},                   // 1 or 2 characters keep theirs
        {"\\", true, "\\\\"},
        {"C:", true, "C:\\"},
        {"a\\", true, "a\\\\"},
        {"", false, ""},
        {"", true, "\\"},
        // 0x83 0x5C is one double-byte character: its second byte is no
        // separator.
        {"C:\\\x83\\", false, "C:\\\x83\\"},
        {"C:\\\x83\\", true, "C:\\\x83\\\\"},
        {"C:\\\x83\\\\", false, "C:\\\x83\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SetTrailingBackslash(c.path, c.add, TestLeadByte), c.expected)
            << c.path << (c.add ? " +" : " -");
    // Without a double-byte code page the same byte is a plain character.
    EXPECT_EQ(SetTrailingBackslash("C:\\\x83\\", false, NoLeadBytes), "C:\\\x83");
}

TEST(ValuePaths, StripTrailingBackslash) {
    const struct {
        const char* path;
        const char* expected;
    } cases[] = {
        {"\\", ""},     {"C:\\", "C:"},         {"a\\", "a"},
        {"\\\\", "\\"}, {"C:\\Dir", "C:\\Dir"}, {"", ""},
        {"x", "x"},     {"\x83\\", "\x83\\"},   {"C:\\\x83\\", "C:\\\x83\\"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripTrailingBackslash(c.path, TestLeadByte), c.expected) << c.path;
}

TEST(ValuePaths, CollapseBackslashes) {
    const struct {
        const char* path;
        bool stripTrailing;
        const char* expected;
    } cases[] = {
        {"C:\\\\Dir\\\\File", false, "C:\\Dir\\File"},
        {"\\\\Server\\Share", false, "\\\\Server\\Share"},
        {"\\\\\\Server", false, "\\\\Server"},
        {"C:\\\\\\\\Dir", false, "C:\\Dir"},
        // In a list, a pair right after the delimiter opens a network path;
        // at the start of the first item the pair is reduced.
        {"|C:\\\\X|\\\\Srv\\A|", false, "|C:\\X|\\\\Srv\\A|"},
        {"|\\\\Srv|", false, "|\\Srv|"},
        // Not a list (first and last differ): the pair after "|" goes.
        {"|C:\\X|\\\\Srv\\A", false, "|C:\\X|\\Srv\\A"},
        // The last two characters are not examined; stripping takes one.
        {"C:\\x\\\\", false, "C:\\x\\\\"},
        {"C:\\x\\\\", true, "C:\\x\\"},
        {"C:\\Dir\\", true, "C:\\Dir"},
        {"C:\\Dir\\", false, "C:\\Dir\\"},
        {"\\\\", true, "\\\\"}, // 2 characters or fewer: unchanged, not stripped
        {"a", false, "a"},
        {"", true, ""},
        {"abc", false, "abc"},
        // A backslash that ends a double-byte character is not half a pair.
        {"C:\x83\\\\Dir", false, "C:\x83\\\\Dir"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CollapseBackslashes(c.path, c.stripTrailing, TestLeadByte), c.expected)
            << c.path << (c.stripTrailing ? " strip" : "");
    EXPECT_EQ(CollapseBackslashes("C:\x83\\\\Dir", false, NoLeadBytes), "C:\x83\\Dir");
}

TEST(ValuePlatform, DeveloperModeNeedsExactly947) {
    EXPECT_TRUE(DeveloperModeValue("947"));
    for (const char* value : {"", "94", "9470", " 947", "947 ", "0947", "DVX"})
        EXPECT_FALSE(DeveloperModeValue(value)) << '"' << value << '"';
}

TEST(ValuePlatform, ErrorTextLosesItsLineBreakAndHighBitCodesGetTheFallback) {
    EXPECT_EQ(ErrorTextFor(2, "The system cannot find the file specified.\r\n"),
              "The system cannot find the file specified.");
    EXPECT_EQ(ErrorTextFor(5, "Access is denied. \r\n"), "Access is denied.");
    EXPECT_EQ(ErrorTextFor(1234, ""), "");
    const Text fallback = ErrorTextFor(0x80070002u, "anything");
    EXPECT_NE(fallback, "");
    EXPECT_NE(fallback, "anything");
    EXPECT_EQ(ErrorTextFor(0xFFFFFFFFu, ""), fallback);
}

} // namespace
} // namespace zelkor
