// Each Windows-side test that touches files works in a fresh folder of its
// own inside the current folder, removed when it ends.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include "setup/file_helpers.h"
#include "util/text.h"

namespace zelkor {

inline Text CurrentFolder() {
    char path[MAX_PATH + 1];
    const DWORD length = GetCurrentDirectoryA(sizeof path, path);
    return Text(path, length);
}

class FolderTest : public ::testing::Test {
  protected:
    // The folder is named by the prefix and the test's name.
    explicit FolderTest(const char* prefix) : prefix_(prefix) {}

    void SetUp() override {
        folder_ = CurrentFolder() + "\\" + prefix_ +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveDirTree(folder_, true);
        ASSERT_TRUE(ForceDirectories(folder_));
    }
    void TearDown() override {
        if (!folder_.empty()) RemoveDirTree(folder_, true);
    }

    Text Path(const Text& name) const { return folder_ + "\\" + name; }

    Text folder_;

  private:
    const char* prefix_;
};

} // namespace zelkor
