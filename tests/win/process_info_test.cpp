#include <gtest/gtest.h>

#include <windows.h>

#include "util/process_info.h"

namespace zelkor {
namespace {

TEST(ProcessInfo, ProgramPathNamesThisExecutable) {
    const Text path = ProgramPath();
    ASSERT_GT(path.size(), 13u);
    EXPECT_EQ(path.substr(path.size() - 13), "win_tests.exe");
    EXPECT_EQ(CurrentProcessId(), GetCurrentProcessId());
}

} // namespace
} // namespace zelkor
