#include <gtest/gtest.h>

#include "setup/file_helpers.h"

namespace zelkor {
namespace {

constexpr int64_t kOneMiB = 1048576;

TEST(FileHelpersTest, WriteChunkIsATenthOfTheDataUpTo1MiB) {
    struct Case {
        int64_t total, parts, maximum, expected;
    };
    const Case cases[] = {
        {5000000, 10, kOneMiB, 500000},
        {20000000, 10, kOneMiB, kOneMiB},
        {kOneMiB + 1, 10, kOneMiB, 104857},
        {10 * kOneMiB + 10, 10, kOneMiB, kOneMiB},
        // A tenth of at most 1,024: 1,024 bytes, or the whole when smaller.
        {10240, 10, kOneMiB, 1024},
        {10250, 10, kOneMiB, 1025},
        {5000, 10, kOneMiB, 1024},
        {500, 10, kOneMiB, 500},
        {0, 10, kOneMiB, 0},
        // One part: the maximum halves while n still equals the total, so n
        // ends at the first halved maximum below the total.
        {100000, 1, kOneMiB, 65536},
        {5000000, 1, kOneMiB, kOneMiB},
        // No parts must not divide by zero.
        {2000000, 0, kOneMiB, kOneMiB},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(c.total) + "/" + IntToText(c.parts));
        EXPECT_EQ(WriteChunkSize(c.total, c.parts, c.maximum), c.expected);
    }
}

TEST(FileHelpersTest, BaseNameIsTheFileNameUpToItsFirstDot) {
    struct Case {
        Text path, expected;
    };
    const Case cases[] = {
        {"C:\\dir.x\\stub.exe", "stub"},
        {"setup.tar.gz", "setup"},
        {"C:\\a\\.hidden", ""},
        {".profile.bak", ""},
        {"C:\\a\\noext", "noext"},
        {"C:\\a\\", ""},
        {"C:stub.exe", "stub"},
        {"dir.d/file.txt", "file"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileBaseName(c.path), c.expected);
    }
}

TEST(FileHelpersTest, FolderPartKeepsItsFinalSeparator) {
    struct Case {
        Text path, expected;
    };
    const Case cases[] = {
        {"C:\\a\\*.tmp", "C:\\a\\"},
        {"C:\\a.b\\c\\x.*", "C:\\a.b\\c\\"},
        {"*.tmp", ""},
        {"C:*.tmp", "C:"},
        {"C:\\*.*", "C:\\"},
        {"dir/x.part.*", "dir/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FileFolderPart(c.path), c.expected);
    }
}

TEST(FileHelpersTest, FreeSpaceRootPassesWholePathsOnlyToTheExtendedQuery) {
    struct Case {
        Text path;
        bool extended;
        bool hasRoot;
        Text root;
    };
    const Case cases[] = {
        {"", true, false, ""},
        {"", false, false, ""},
        {"d", true, true, "D:\\"},
        {"d:", true, true, "D:\\"},
        {"d:\\", true, true, "d:\\"},
        {"d:\\setup\\tmp", true, true, "d:\\setup\\tmp"},
        {"d:\\setup\\tmp", false, true, "D:\\"},
        {"c", false, true, "C:\\"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + (c.extended ? " extended" : " plain"));
        Text root = "unchanged";
        EXPECT_EQ(DiskFreeRoot(c.path, c.extended, root), c.hasRoot);
        EXPECT_EQ(root, c.hasRoot ? c.root : "unchanged");
    }
}

} // namespace
} // namespace zelkor
