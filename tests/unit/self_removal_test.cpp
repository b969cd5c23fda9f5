#include <gtest/gtest.h>

#include "setup/self_removal.h"

namespace zelkor {
namespace {

TEST(SelfRemovalBatch, FourLinesOrFiveWithTheFolderRemovalFourth) {
    const Text exe = "C:\\T\\S p\\setup.exe";
    const Text bat = "C:\\T\\_DEL_ME_.BAT";
    EXPECT_EQ(SelfRemovalBatchText(exe, "C:\\T\\S p", bat, false),
              ":START\r\nDEL \"C:\\T\\S p\\setup.exe\"\r\n"
              "IF exist \"C:\\T\\S p\\setup.exe\" GOTO START\r\n"
              "DEL \"C:\\T\\_DEL_ME_.BAT\"\r\n");
    EXPECT_EQ(SelfRemovalBatchText(exe, "C:\\T\\S p", bat, true),
              ":START\r\nDEL \"C:\\T\\S p\\setup.exe\"\r\n"
              "IF exist \"C:\\T\\S p\\setup.exe\" GOTO START\r\n"
              "RD \"C:\\T\\S p\"\r\n"
              "DEL \"C:\\T\\_DEL_ME_.BAT\"\r\n");
}

} // namespace
} // namespace zelkor
