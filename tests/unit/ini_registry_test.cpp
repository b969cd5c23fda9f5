#include <gtest/gtest.h>

#include "util/ini_registry.h"

namespace zelkor {
namespace {

using namespace std::string_literals;

TEST(IniRegistryTest, RootNamesLongOrShortInAnyCase) {
    struct Case {
        Text name;
        uint32_t root;
    };
    const Case cases[] = {
        {"HKEY_CLASSES_ROOT", kRegClassesRoot},
        {"hkcr", kRegClassesRoot},
        {"HKEY_CURRENT_USER", kRegCurrentUser},
        {"HKCU", kRegCurrentUser},
        {"hkey_local_machine", kRegLocalMachine},
        {"HKLM", kRegLocalMachine},
        {"HKEY_USERS", kRegUsers},
        {"Hku", kRegUsers},
        {"HKEY_CURRENT_CONFIG", kRegCurrentConfig},
        {"HKCC", kRegCurrentConfig},
        {"HKEY_DYN_DATA", kRegDynData},
        {"HKDD", kRegDynData},
        {"HKXX", kRegCurrentUser},
        {"HKLM ", kRegCurrentUser},
        {"", kRegCurrentUser},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RegRootFromName(c.name), c.root);
    }
}

TEST(IniRegistryTest, SplitPathIntoRootAndSubKey) {
    struct Case {
        Text path;
        uint32_t root;
        Text subKey;
    };
    const Case cases[] = {
        {"HKLM\\Software\\X", kRegLocalMachine, "Software\\X"},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", kRegLocalMachine,
         "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"},
        {"Software\\X", kRegCurrentUser, "Software\\X"},
        {"hkcu", kRegCurrentUser, ""},
        {"HKCR", kRegClassesRoot, ""},
        {"HKXX\\A", kRegCurrentUser, "A"},
        {"hku\\.DEFAULT\\x", kRegUsers, ".DEFAULT\\x"},
        {" \t HKLM\\Software\\X \r\n", kRegLocalMachine, "Software\\X"},
        {"HKLM\\", kRegLocalMachine, ""},
        // Only a leading "HK" names a root; elsewhere the whole path is a sub-key.
        {"Software\\HKLM\\X", kRegCurrentUser, "Software\\HKLM\\X"},
        {"", kRegCurrentUser, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const RegistryPath split = SplitRegistryPath(c.path);
        EXPECT_EQ(split.root, c.root);
        EXPECT_EQ(split.subKey, c.subKey);
    }
}

TEST(IniRegistryTest, RegistryValueConversionByType) {
    constexpr uint32_t kString = 1, kExpandString = 2, kBinary = 3, kQword = 11;
    struct Case {
        uint32_t type;
        Text data, expected;
    };
    const Case cases[] = {
        {kRegDword, "\xFF\xFF\xFF\xFF"s, "4294967295"},
        {kRegDword, "\x01\x02\x00\x00"s, "513"},
        {kRegDword, "\0\0\0\0"s, "0"},
        // A DWORD of another size reads as bytes up to the first NUL.
        {kRegDword, "7\0\0"s, "7"},
        {kRegMultiString, "a\0b\0\0"s, "a<0>b"},
        {kRegMultiString, "one\0\0two\0\0\0"s, "one<0><0>two"},
        {kRegMultiString, "a\0\0"s, "a"},
        {kRegMultiString, "\0\0\0"s, ""},
        // Two bytes or fewer: the short form, up to the first NUL.
        {kRegMultiString, "a\0"s, "a"},
        {kRegMultiString, "ab"s, "ab"},
        {kString, "hello\0"s, "hello"},
        {kString, "no terminator"s, "no terminator"},
        {kString, ""s, ""},
        {kExpandString, "%TEMP%\\x\0"s, "%TEMP%\\x"},
        {kBinary, "ab\0cd"s, "ab"},
        {kQword, "\x05\0\0\0\0\0\0\0"s, "\x05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + IntToText(c.type) + " size " + IntToText(int64_t(c.data.size())));
        EXPECT_EQ(ConvertRegistryValue(c.type, c.data), c.expected);
    }
}

TEST(IniRegistryTest, WindowsVersionKeyNamesTheNtBranchOnNt) {
    EXPECT_EQ(WindowsVersionKeyFor(false),
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(WindowsVersionKeyFor(true),
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
}

TEST(ScramblerTest, KnownVector) {
    // Key 'A' (65): 'A' ^ (1 + 65), then 'B' ^ ((2 - 65) mod 256), then 'C' ^ (3 + 65).
    EXPECT_EQ(ScrambleTextWithKey("ABC", true, 'A'), "Scrambled=01A\x03\x83\x07"s);
    EXPECT_EQ(ScrambleTextWithKey("Scrambled=01A\x03\x83\x07"s, false, 0), "ABC");
}

TEST(ScramblerTest, UnscramblingGivesAnyBytesBackWhateverTheKey) {
    Text allBytes;
    for (int i = 0; i < 256 * 3; ++i)
        allBytes += char(i * 7 + i / 256);
    const Text texts[] = {"", "x", "Hello, world", "\0\0\0"s, allBytes};
    const uint8_t keys[] = {33, 34, 64, 121, 122, 0, 128, 255};
    for (const Text& text : texts) {
        for (uint8_t key : keys) {
            SCOPED_TRACE("size " + IntToText(int64_t(text.size())) + " key " + IntToText(key));
            const Text scrambled = ScrambleTextWithKey(text, true, key);
            ASSERT_EQ(scrambled.size(), 13 + text.size());
            EXPECT_EQ(scrambled.substr(0, 12), "Scrambled=01");
            EXPECT_EQ(uint8_t(scrambled[12]), key);
            if (text.size() > 1) {
                EXPECT_NE(scrambled.substr(13), text);
            }
            EXPECT_EQ(ScrambleTextWithKey(scrambled, false, 77), text);
        }
    }
}

TEST(ScramblerTest, MarkedOrUnmarkedTextsThatNeedNoWorkStayUnchanged) {
    struct Case {
        Text text;
        bool scramble;
    };
    const Case cases[] = {
        // Already scrambled.
        {"Scrambled=01Axyz", true},
        {"Scrambled=01", true},
        // Not scrambled: no marker, a marker in another case or later on.
        {"plain text", false},
        {"", false},
        {"scrambled=01Axyz", false},
        {" Scrambled=01Axyz", false},
        {"Scrambled=0", false},
        // A bare marker carries no key.
        {"Scrambled=01", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ScrambleTextWithKey(c.text, c.scramble, 'A'), c.text);
    }
    EXPECT_EQ(ScrambleTextWithKey("Scrambled=01A", false, 0), "");
    EXPECT_EQ(ScrambleTextWithKey("", true, 'Z'), "Scrambled=01Z");
}

} // namespace
} // namespace zelkor
