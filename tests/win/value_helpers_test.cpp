#include <gtest/gtest.h>

#include <windows.h>

#include "util/process_info.h"
#include "util/value_helpers.h"

namespace zelkor {
namespace {

bool EndsWithBackslash(const Text& text) {
    return !text.empty() && text.back() == '\\';
}

TEST(ValueHelpersWin, FoldersEndWithABackslashOnlyWhenAsked) {
    const struct {
        const char* name;
        Text (*folder)(bool);
    } folders[] = {
        {"program", ProgramDir},
        {"windows", WindowsDir},
        {"system", SystemDir},
        {"temp", TempDir},
    };
    for (const auto& f : folders) {
        const Text bare = f.folder(false);
        const Text trailing = f.folder(true);
        ASSERT_GT(bare.size(), 2u) << f.name;
        EXPECT_FALSE(EndsWithBackslash(bare)) << f.name << ": " << bare;
        EXPECT_EQ(trailing, bare + "\\") << f.name;
        const DWORD attributes = GetFileAttributesA(bare.c_str());
        EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << f.name << ": " << bare;
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY) << f.name;
    }
    EXPECT_EQ(ProgramDir(true) + "win_tests.exe", ProgramPath());
    EXPECT_EQ(SetTrailingBackslash("C:\\", false), "C:");
    EXPECT_EQ(CollapseBackslashes("C:\\\\a\\\\", true), "C:\\a\\");
}

TEST(ValueHelpersWin, DeveloperModeFollowsDvxAndIsKeptForTheRun) {
    const struct {
        const char* value; // null: unset
        bool on;
    } cases[] = {
        {nullptr, false}, {"", false},     {"946", false},
        {"9470", false},  {" 947", false}, {"947", true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetEnvironmentVariableA("DVX", c.value));
        EXPECT_EQ(ReadDeveloperMode(), c.on) << (c.value ? c.value : "(unset)");
    }
    ASSERT_TRUE(SetEnvironmentVariableA("DVX", "947"));
    const bool decided = IsDeveloperMode();
    ASSERT_TRUE(SetEnvironmentVariableA("DVX", decided ? "0" : "947"));
    EXPECT_EQ(IsDeveloperMode(), decided);
    SetEnvironmentVariableA("DVX", nullptr);
}

TEST(ValueHelpersWin, LastErrorTextAndItsFallback) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    const Text notFound = LastErrorText();
    EXPECT_NE(notFound, "");
    EXPECT_GT(static_cast<unsigned char>(notFound.back()), ' ') << notFound;
    SetLastError(0x80004005u);
    EXPECT_EQ(LastErrorText(), ErrorTextFor(0x80004005u, ""));
}

TEST(ValueHelpersWin, GetProcFromLibraryFindsExports) {
    using TickCall = DWORD(WINAPI*)();
    void* entry = GetProcFromLibrary("kernel32.dll", "GetTickCount");
    ASSERT_NE(entry, nullptr);
    EXPECT_GT(reinterpret_cast<TickCall>(entry)(), 0u);
    EXPECT_NE(GetProcFromLibrary("shell32.dll", "ShellExecuteA"), nullptr);
    // The library stays loaded, so the address stays good.
    EXPECT_NE(GetModuleHandleA("shell32.dll"), nullptr);
    EXPECT_EQ(GetProcFromLibrary("kernel32.dll", "NoSuchFunctionAnywhere"), nullptr);
    EXPECT_EQ(GetProcFromLibrary("no_such_library_zelkor.dll", "Anything"), nullptr);
}

TEST(ValueHelpersWin, RandomNumbersAndDateTexts) {
    for (int i = 0; i < 200; ++i) {
        const Text text = RandomIntText(10000, 100000);
        ASSERT_TRUE(text.size() == 5 || text.size() == 6) << text;
        const int64_t value = ParseRadix(text, 10);
        ASSERT_GE(value, 10000);
        ASSERT_LE(value, 100000);
    }
    SYSTEMTIME before;
    GetLocalTime(&before);
    const Text date = SystemDateDMY();
    const Text dateTime = SystemDateTimeDMY();
    ASSERT_EQ(date.size(), 11u) << date;
    EXPECT_EQ(date.substr(0, 2), ZeroPad(before.wDay, 2)) << date;
    EXPECT_EQ(date.substr(7), ZeroPad(before.wYear, 4)) << date;
    EXPECT_EQ(dateTime.substr(0, 13), date + "  ") << dateTime;
    EXPECT_EQ(dateTime.size(), 21u) << dateTime;
}

} // namespace
} // namespace zelkor
