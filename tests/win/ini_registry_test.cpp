#include <gtest/gtest.h>

#include <windows.h>

#include "setup/file_helpers.h"
#include "test_folder.h"
#include "util/ini_registry.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

using namespace std::string_literals;

// The profile functions look for a bare file name in the Windows folder.
Text IniPath(const Text& name) {
    return CurrentFolder() + "\\" + name;
}

TEST(IniRegistryWinTest, IniTextAndIntegersRoundTrip) {
    const Text ini = IniPath("ini_registry_test.ini");
    DeleteFileA(ini.c_str());

    EXPECT_TRUE(IniWriteText(ini, "Main", "Name", "hello world"));
    EXPECT_EQ(IniReadText(ini, "Main", "Name", "dflt"), "hello world");
    EXPECT_EQ(IniReadText(ini, "main", "NAME", "dflt"), "hello world");
    const Text longest(10240, 'v');
    EXPECT_TRUE(IniWriteText(ini, "Main", "Long", longest));
    EXPECT_EQ(IniReadText(ini, "Main", "Long", ""), longest);

    EXPECT_TRUE(IniWriteInt(ini, "Numbers", "Big", -9000000000));
    EXPECT_EQ(IniReadText(ini, "Numbers", "Big", ""), "-9000000000");
    EXPECT_EQ(IniReadInt(ini, "Numbers", "Big", 0), -9000000000);

    struct Case {
        Text stored;
        int64_t expected;
    };
    const Case cases[] = {
        {"17", 17},  {"$10", 16},   {"x10", 16}, {"0x1F", 31}, {"-3", -3},
        {"abc", 42}, {"12abc", 42}, {"", 42},    {"0x", 42},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(IniWriteText(ini, "Numbers", "Value", c.stored));
        EXPECT_EQ(IniReadInt(ini, "Numbers", "Value", 42), c.expected);
    }

    EXPECT_EQ(IniReadText(ini, "Main", "Missing", "dflt"), "dflt");
    EXPECT_EQ(IniReadText(ini, "Nowhere", "Name", "dflt"), "dflt");
    EXPECT_EQ(IniReadInt(ini, "Main", "Missing", -7), -7);
    EXPECT_EQ(IniReadText(IniPath("missing.ini"), "Main", "Name", "dflt"), "dflt");
    EXPECT_EQ(IniReadInt(IniPath("missing.ini"), "Main", "Name", 5), 5);
    DeleteFileA(ini.c_str());
}

// Values under a test key of the current user, removed afterwards.
class RegistryReadTest : public ::testing::Test {
  protected:
    static constexpr const char* kSubKey = "Software\\ZelkorTest";

    void SetUp() override {
        HKEY created = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kSubKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, &created, nullptr),
                  ERROR_SUCCESS);
        key_.Reset(created);
    }
    void TearDown() override {
        key_.Reset();
        RegDeleteKeyA(HKEY_CURRENT_USER, kSubKey);
    }

    void Set(const char* name, DWORD type, const Text& data) {
        ASSERT_EQ(RegSetValueExA(key_.Get(), name, 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()), DWORD(data.size())),
                  ERROR_SUCCESS)
            << name;
    }

    RegistryKey key_;
};

TEST_F(RegistryReadTest, ValuesReadAsTextByType) {
    Set("Dword", REG_DWORD, "\xFF\xFF\xFF\xFF"s);
    Set("Multi", REG_MULTI_SZ, "a\0b\0\0"s);
    Set("Text", REG_SZ, "hello\0"s);
    Set("Empty", REG_SZ, "\0"s);
    Set("NoData", REG_SZ, "");
    Set("Binary", REG_BINARY, "ab\0cd"s);
    // The largest value the buffer holds, and one byte more.
    Set("Largest", REG_BINARY, Text(10241, 'x'));
    Set("TooLarge", REG_BINARY, Text(10242, 'x'));

    struct Case {
        const char* name;
        Text expected;
    };
    const Case cases[] = {
        {"Dword", "4294967295"},
        {"Multi", "a<0>b"},
        {"Text", "hello"},
        {"Empty", ""},
        {"NoData", ""},
        {"Binary", "ab"},
        {"Largest", Text(10241, 'x')},
        {"TooLarge", "dflt"},
        {"Missing", "dflt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RegReadText("HKCU\\Software\\ZelkorTest", c.name, "dflt"), c.expected);
    }
}

TEST_F(RegistryReadTest, KeyPathFormsAndMissingKeys) {
    Set("Text", REG_SZ, "hello\0"s);
    const char* const paths[] = {
        "HKCU\\Software\\ZelkorTest",
        "HKEY_CURRENT_USER\\Software\\ZelkorTest",
        " hkcu\\Software\\ZelkorTest\r\n",
        "Software\\ZelkorTest",
    };
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_EQ(RegReadText(path, "Text", "dflt"), "hello");
    }
    EXPECT_EQ(RegReadText("HKLM\\Software\\ZelkorTest", "Text", "dflt"), "dflt");
    EXPECT_EQ(RegReadText("HKCU\\Software\\ZelkorTest\\Missing", "Text", "dflt"), "dflt");
}

TEST(IniRegistryWinTest, SystemIdentity) {
    EXPECT_TRUE(IsWindowsNT());
    EXPECT_EQ(WindowsVersionKey(),
              "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    const Text user = GetLoggedOnUserName();
    EXPECT_FALSE(user.empty());
    EXPECT_EQ(user, TrimControl(user));
    EXPECT_FALSE(GetComputerNameText().empty());
    EXPECT_FALSE(GetUserDomain().empty());
    EXPECT_EQ(GetAccountDomain("no-such-account-zelkor"), "");
}

// Sets the system's owner and organisation values for one test and puts the
// originals back; skipped where the test may not write them.
class RegisteredOwnerTest : public ::testing::Test {
  protected:
    static constexpr const char* kVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
    struct Saved {
        const char* name;
        bool present;
        Text data;
    };

    void SetUp() override {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                          &opened) != ERROR_SUCCESS)
            GTEST_SKIP() << "the system's version key is not writable here";
        key_.Reset(opened);
        for (Saved& saved : saved_) {
            char data[1024];
            DWORD size = sizeof data;
            saved.present = RegQueryValueExA(key_.Get(), saved.name, nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(data), &size) == ERROR_SUCCESS;
            if (saved.present) saved.data.assign(data, size);
        }
    }
    void TearDown() override {
        if (!key_) return;
        for (const Saved& saved : saved_) {
            if (saved.present)
                Set(saved.name, saved.data);
            else
                RegDeleteValueA(key_.Get(), saved.name);
        }
    }

    void Set(const char* name, const Text& data) {
        RegSetValueExA(key_.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.data()),
                       DWORD(data.size()));
    }

    RegistryKey key_;
    Saved saved_[2] = {{"RegisteredOwner", false, ""}, {"RegisteredOrganization", false, ""}};
};

TEST_F(RegisteredOwnerTest, OwnerFallsBackToTheUserOnlyWhenMissing) {
    Set("RegisteredOwner", " \tOwner Name \0"s);
    Set("RegisteredOrganization", "  Zelkor Org\0"s);
    EXPECT_EQ(GetRegisteredOwner(), "Owner Name");
    EXPECT_EQ(GetRegisteredOrganization(), "Zelkor Org");

    Set("RegisteredOwner", " \0"s);
    EXPECT_EQ(GetRegisteredOwner(), "");

    RegDeleteValueA(key_.Get(), "RegisteredOwner");
    RegDeleteValueA(key_.Get(), "RegisteredOrganization");
    EXPECT_FALSE(GetLoggedOnUserName().empty());
    EXPECT_EQ(GetRegisteredOwner(), GetLoggedOnUserName());
    EXPECT_EQ(GetRegisteredOrganization(), "");
}

TEST(IniRegistryWinTest, ScrambleTextDrawsAPrintableKeyAndUndoes) {
    const Text plain = "token\0\xFF text"s;
    for (int i = 0; i < 50; ++i) {
        const Text scrambled = ScrambleText(plain, true);
        ASSERT_EQ(scrambled.size(), 13 + plain.size());
        const int key = static_cast<unsigned char>(scrambled[12]);
        EXPECT_GE(key, 33);
        EXPECT_LE(key, 122);
        EXPECT_EQ(ScrambleText(scrambled, false), plain);
    }
}

} // namespace
} // namespace zelkor
