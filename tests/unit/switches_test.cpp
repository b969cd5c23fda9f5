#include <gtest/gtest.h>

#include <cstdint>

#include "util/switches.h"

namespace zelkor {
namespace {

TEST(SwitchesTest, ArgumentTextDropsTheProgramPathOnce) {
    struct Case {
        Text raw, path, expected;
    };
    const Case cases[] = {
        {"\"C:\\A B\\setup.exe\" /WAIT=5", "C:\\A B\\setup.exe", "/WAIT=5"},
        {"C:\\Setup.EXE /hide", "c:\\setup.exe", "/hide"},
        {"\"C:\\SETUP.exe\"", "C:\\setup.exe", ""},
        {"  \"C:\\s.exe\" \t /x \r\n", "C:\\s.exe", "/x"},
        // Started through a relative path: the name as typed stays.
        {"setup /hide", "C:\\dir\\setup.exe", "setup /hide"},
        // The quoted form wins even when the bare path comes first.
        {"C:\\s.exe \"C:\\s.exe\" /x", "C:\\s.exe", "C:\\s.exe  /x"},
        {"C:\\s.exe /OriginExe=\"C:\\s.exe\"", "C:\\s.exe", "C:\\s.exe /OriginExe="},
        {"\"\" /x", "", "\"\" /x"},
        {"", "C:\\s.exe", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(ArgumentTextOf(c.raw, c.path), c.expected);
    }
}

TEST(SwitchesTest, PresenceIsASubstringSearchIgnoringCase) {
    EXPECT_TRUE(HasSwitchIn("/hide", "/HIDE"));
    EXPECT_TRUE(HasSwitchIn("/a=1 /hideall", "/hide"));
    EXPECT_TRUE(HasSwitchIn("/OriginExe=\"C:\\x /hide\\s.exe\"", "/hide"));
    EXPECT_FALSE(HasSwitchIn("/hid", "/hide"));
    EXPECT_FALSE(HasSwitchIn("", "/hide"));
    EXPECT_FALSE(HasSwitchIn("/hide", ""));
}

TEST(SwitchesTest, ValueIsCutFromTheTextAfterTheName) {
    struct Case {
        Text args, name, expected;
    };
    const Case cases[] = {
        {"/WAIT=10 /hide", "/WAIT=", "10"},
        {"/WAIT=10/hide", "/wait=", "10"},
        {"/X=a/b", "/X=", "a"},
        {"/n=MiXed", "/N=", "MiXed"},
        {"/hide /x", "/hide", ""},
        {"/hide", "/hide", "TRUE"},
        {"/X=", "/X=", "TRUE"},
        {"/X= /y", "/X=", ""},
        {"/a=1", "/b=", ""},
        {"", "/b=", ""},
        {"/OriginExe=\"C:\\A B\\x.exe\" /hide", "/OriginExe=", "C:\\A B\\x.exe"},
        {"/X=\"C:\\A B/c d", "/X=", "C:\\A B/c d"},
        {"/X=\" padded \t\" /y", "/X=", "padded"},
        {"/X=\"\" /y", "/X=", ""},
        {"/X=a\"b c\"", "/X=", "a\"b"},
        {"/TRANSIENT=5 /TRANSIENTx=7", "/TRANSIENT=", "5"},
        {"/TRANSIENT=5 /TRANSIENTx=7", "/TRANSIENTx=", "7"},
        {"/TRANSIENT=5 /TRANSIENTx=7", "/TRANSIENT", "=5"},
        {"/TRANSIENTx=|1|2|3|4|5|6|", "/TRANSIENTx=", "|1|2|3|4|5|6|"},
        {"/WM_MSG=1024:7", "/WM_MSG=", "1024:7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args + " [" + c.name + "]");
        EXPECT_EQ(GetSwitchValueIn(c.args, c.name), c.expected);
    }
}

TEST(SwitchesTest, ParseSwitchIntAcceptsOnlyAWholeInteger) {
    struct Case {
        Text text;
        bool parsed;
        int64_t value;
    };
    const Case cases[] = {
        {"5", true, 5},
        {"+5", true, 5},
        {"-3", true, -3},
        {"007", true, 7},
        {"0", true, 0},
        {"-0", true, 0},
        {"$10", true, 16},
        {"0x1F", true, 31},
        {"0X1f", true, 31},
        {"x10", true, 16},
        {"X10", true, 16},
        {"-$10", true, -16},
        {"+0xff", true, 255},
        {"9223372036854775807", true, INT64_MAX},
        {"-9223372036854775808", true, INT64_MIN},
        {"$7FFFFFFFFFFFFFFF", true, INT64_MAX},
        {"-$8000000000000000", true, INT64_MIN},
        {"9223372036854775808", false, 0},
        {"-9223372036854775809", false, 0},
        {"$8000000000000000", false, 0},
        {"$FFFFFFFFFFFFFFFF", false, 0},
        {"184467440737095516160", false, 0},
        {"", false, 0},
        {"+", false, 0},
        {"-", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"-x", false, 0},
        {"TRUE", false, 0},
        {"abc", false, 0},
        {"1a", false, 0},
        {"$1G", false, 0},
        {" 5", false, 0},
        {"5 ", false, 0},
        {"+-5", false, 0},
        {"0x-5", false, 0},
        {"$$1", false, 0},
        {"0x0x1", false, 0},
        {"1.5", false, 0},
        {"1e3", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int64_t value = 0;
        ASSERT_EQ(ParseSwitchInt(c.text, value), c.parsed);
        if (c.parsed) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(SwitchesTest, IntegerSwitchFallsBackToTheDefault) {
    const Text args = ArgumentTextOf("\"C:\\A B\\setup.exe\" /WAIT=5", "C:\\A B\\setup.exe");
    EXPECT_EQ(GetSwitchIntIn(args, "/WAIT=", 0), 5);
    EXPECT_EQ(GetSwitchIntIn(args, "/wait=", 0), 5);
    EXPECT_EQ(GetSwitchIntIn(args, "/STOP=", -1), -1);

    struct Case {
        Text args;
        int64_t expected;
    };
    const Case cases[] = {
        {"/STOP=abc", -1}, {"/STOP=$10", 16}, {"/STOP=0x1F", 31}, {"/STOP=-3", -3},
        {"/STOP=", -1},    {"/STOP= /x", -1}, {"/STOP=\"7\"", 7}, {"/STOP=8/x", 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        EXPECT_EQ(GetSwitchIntIn(c.args, "/STOP=", -1), c.expected);
    }
}

} // namespace
} // namespace zelkor
