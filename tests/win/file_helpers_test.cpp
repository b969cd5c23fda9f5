#include <gtest/gtest.h>

#include <windows.h>

#include "setup/file_helpers.h"
#include "test_folder.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

using namespace std::string_literals;

// Bytes of every value, NULs included, so that no text handling can hide.
Text Pattern(size_t size) {
    Text bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char(i * 31 + i / 251);
    return bytes;
}

// The DOS date of 14 July 2019 13:37:42 local time.
constexpr uint32_t kDosDate =
    uint32_t((39 << 9) | (7 << 5) | 14) << 16 | (13 << 11) | (37 << 5) | 21;

void SetReadOnly(const Text& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

class FileHelpersWinTest : public FolderTest {
  protected:
    FileHelpersWinTest() : FolderTest("fh_") {}

    Text MakeFile(const Text& name, const Text& data) const {
        const Text path = Path(name);
        EXPECT_TRUE(WriteFileText(path, data, 0, false)) << path;
        return path;
    }
};

TEST_F(FileHelpersWinTest, ReadTakesOffsetAndMaximumLength) {
    const Text data = Pattern(100);
    const Text path = MakeFile("hundred.bin", data);
    struct Case {
        int64_t maximum, offset;
        Text expected;
    };
    const Case cases[] = {
        {10000, 0, data},
        {0, 0, data},
        {0, 40, data.substr(40)},
        {10, 0, data.substr(0, 10)},
        {10, 95, data.substr(95)},
        {100, 99, data.substr(99)},
        {10000, 100, ""},
        {0, 150, ""},
        {10, -1, ""},
        {-5, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("maximum " + IntToText(c.maximum) + " offset " + IntToText(c.offset));
        EXPECT_EQ(ReadFileText(path, c.maximum, c.offset), c.expected);
    }
    EXPECT_EQ(ReadFileText(Path("missing.bin"), 0, 0), "");
    EXPECT_EQ(ReadFileText(folder_, 0, 0), "");
}

TEST_F(FileHelpersWinTest, WriteAndReadBackAnyBytes) {
    const Text path = Path("data.bin");
    EXPECT_TRUE(WriteFileText(path, Pattern(5000), 0, false));
    EXPECT_EQ(ReadFileText(path, 0, 0), Pattern(5000));
    // Without append an existing file is replaced, not overwritten in place.
    EXPECT_TRUE(WriteFileText(path, "a\0b"s, 0, false));
    EXPECT_EQ(ReadFileText(path, 0, 0), "a\0b"s);
    EXPECT_TRUE(WriteFileText(path, "", 0, false));
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ(FileSizeByName(path), 0);

    const Text appended = Path("appended.bin");
    EXPECT_TRUE(WriteFileText(appended, "first", 0, true));
    EXPECT_TRUE(WriteFileText(appended, "\0second"s, 0, true));
    EXPECT_TRUE(AppendFileText(appended, "third", 0));
    EXPECT_EQ(ReadFileText(appended, 0, 0), "first\0secondthird"s);

    const Text fresh = Path("fresh.bin");
    EXPECT_TRUE(AppendFileText(fresh, "x", 0));
    EXPECT_EQ(ReadFileText(fresh, 0, 0), "x");

    EXPECT_FALSE(WriteFileText(Path("no\\such\\folder.bin"), "x", 0, false));
    EXPECT_FALSE(WriteFileText(Path("no\\such\\folder.bin"), "x", 0, true));
    EXPECT_FALSE(AppendFileText(Path("no\\such\\folder.bin"), "x", 0));
}

TEST_F(FileHelpersWinTest, LargeWritesAreChunkedWithoutLoss) {
    struct Case {
        size_t size;
        bool append;
    };
    const Case cases[] = {
        {1048576, false}, {1048577, false}, {3 * 1048576 + 7, false}, {2 * 1048576 + 3, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(int64_t(c.size)) + (c.append ? " appended" : ""));
        const Text path = Path("large.bin");
        const Text head = c.append ? "head" : "";
        EXPECT_TRUE(WriteFileText(path, head, 0, false));
        const Text data = Pattern(c.size);
        EXPECT_TRUE(WriteFileText(path, data, kDosDate, c.append));
        EXPECT_EQ(FileSizeByName(path), int64_t(head.size() + c.size));
        EXPECT_TRUE(ReadFileText(path, 0, 0) == head + data);
        EXPECT_EQ(FileDosDateTime(path), kDosDate);
    }
}

TEST_F(FileHelpersWinTest, DosDateIsSetOnlyWhenGiven) {
    const Text written = Path("written.txt");
    EXPECT_TRUE(WriteFileText(written, "x", kDosDate, false));
    EXPECT_EQ(FileDosDateTime(written), kDosDate);

    const Text appended = Path("appended.txt");
    EXPECT_TRUE(WriteFileText(appended, "x", kDosDate, true));
    EXPECT_EQ(FileDosDateTime(appended), kDosDate);

    const Text viaAppend = Path("via_append.txt");
    EXPECT_TRUE(AppendFileText(viaAppend, "x", kDosDate));
    EXPECT_EQ(FileDosDateTime(viaAppend), kDosDate);

    // Date 0: the file keeps the date of the write, which is not 2019.
    const Text undated = Path("undated.txt");
    EXPECT_TRUE(WriteFileText(undated, "x", 0, false));
    const uint32_t now = FileDosDateTime(undated);
    EXPECT_NE(now, 0u);
    EXPECT_NE(now >> 16, kDosDate >> 16);
}

TEST_F(FileHelpersWinTest, AppendSharesAnExistingFileWithReaders) {
    const Text log = MakeFile("shared.log", "one\r\n");
    // A viewer that keeps the log open for reading must not block the writer.
    const FileHandle reader(CreateFileA(log.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    ASSERT_TRUE(reader.Valid());
    EXPECT_TRUE(AppendFileText(log, "two\r\n", 0));
    EXPECT_TRUE(AppendFileText(log, "three\r\n", 0));
    EXPECT_EQ(ReadFileText(log, 0, 0), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(FileHelpersWinTest, SeekAndSizeUseTheHighHalf) {
    const Text path = MakeFile("seek.bin", Pattern(100));
    const FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file.Valid());
    const int64_t fiveGiB = int64_t(5) << 30;
    // Moving past the end does not grow the file.
    EXPECT_EQ(FileSeek64(file.Get(), fiveGiB, FILE_BEGIN), fiveGiB);
    EXPECT_EQ(FileSeek64(file.Get(), 0, FILE_CURRENT), fiveGiB);
    EXPECT_EQ(FileSeek64(file.Get(), -(int64_t(1) << 30) - 3, FILE_CURRENT),
              (int64_t(4) << 30) - 3);
    EXPECT_EQ(FileSeek64(file.Get(), -10, FILE_END), 90);
    EXPECT_EQ(FileSeek64(file.Get(), -1000, FILE_BEGIN), -1);
    EXPECT_EQ(GetFileSize64(file.Get()), 100);
}

TEST_F(FileHelpersWinTest, SizeByNameOfTheFirstMatch) {
    MakeFile("size.bin", Pattern(100));
    EXPECT_EQ(FileSizeByName(Path("size.bin")), 100);
    EXPECT_EQ(FileSizeByName(Path("*.bin")), 100);
    EXPECT_EQ(FileSizeByName(Path("s?ze.*")), 100);
    EXPECT_EQ(FileSizeByName(Path("*.none")), 0);
    EXPECT_EQ(FileSizeByName(Path("missing\\size.bin")), 0);
}

TEST_F(FileHelpersWinTest, DeleteFilesReportsWhetherAnyFileMatched) {
    MakeFile("a.tmp", "a");
    MakeFile("b.tmp", "b");
    SetReadOnly(MakeFile("c.tmp", "c"));
    MakeFile("keep.txt", "k");
    ASSERT_TRUE(ForceDirectories(Path("d.tmp")));

    EXPECT_TRUE(DeleteFiles(Path("*.tmp"), false));
    EXPECT_FALSE(FileExists(Path("a.tmp")));
    EXPECT_FALSE(FileExists(Path("b.tmp")));
    EXPECT_TRUE(FileExists(Path("c.tmp"))) << "read-only without clearing";
    EXPECT_TRUE(FolderExists(Path("d.tmp"))) << "folders are not files";
    EXPECT_TRUE(FileExists(Path("keep.txt")));

    EXPECT_TRUE(DeleteFiles(Path("*.tmp"), true));
    EXPECT_FALSE(FileExists(Path("c.tmp")));
    // Only the folder is left: nothing matched.
    EXPECT_FALSE(DeleteFiles(Path("*.tmp"), true));
    EXPECT_FALSE(DeleteFiles(Path("missing\\*.*"), true));
}

TEST_F(FileHelpersWinTest, DeleteFilesWithoutFolderWorksInTheCurrentFolder) {
    const Text name = "fh_relative_delete.zqq";
    ASSERT_TRUE(WriteFileText(name, "x", 0, false));
    EXPECT_TRUE(DeleteFiles("*.zqq", false));
    EXPECT_FALSE(FileExists(name));
}

TEST_F(FileHelpersWinTest, RemoveDirTreeRemovesNestedFoldersAndClearedFiles) {
    const Text tree = Path("tree");
    ASSERT_TRUE(ForceDirectories(tree + "\\a\\b\\"));
    ASSERT_TRUE(ForceDirectories(tree + "\\empty"));
    MakeFile("tree\\top.txt", "t");
    MakeFile("tree\\a\\b\\deep.bin", Pattern(300));
    SetReadOnly(MakeFile("tree\\a\\readonly.txt", "r"));

    // Without clearing, the read-only file keeps its folders.
    EXPECT_FALSE(RemoveDirTree(tree, false));
    EXPECT_TRUE(FileExists(tree + "\\a\\readonly.txt"));
    EXPECT_FALSE(FolderExists(tree + "\\a\\b"));
    EXPECT_FALSE(FolderExists(tree + "\\empty"));

    EXPECT_TRUE(RemoveDirTree(tree + "\\", true));
    EXPECT_FALSE(FolderExists(tree));

    EXPECT_FALSE(RemoveDirTree(tree, true)) << "a folder that does not exist";
    EXPECT_FALSE(RemoveDirTree("", true));
}

TEST_F(FileHelpersWinTest, RemoveDirTreeLeavesHiddenSubfolders) {
    const Text tree = Path("tree");
    const Text hidden = tree + "\\hidden";
    ASSERT_TRUE(ForceDirectories(hidden));
    MakeFile("tree\\hidden\\inside.txt", "i");
    MakeFile("tree\\visible.txt", "v");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (!(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN))
        GTEST_SKIP() << "this file system keeps no hidden attribute";

    EXPECT_FALSE(RemoveDirTree(tree, true));
    EXPECT_FALSE(FileExists(tree + "\\visible.txt"));
    EXPECT_TRUE(FileExists(hidden + "\\inside.txt"));
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileHelpersWinTest, RemoveDirTreeNeverEmptiesALinkedFolder) {
    const Text outside = Path("outside");
    const Text tree = Path("tree");
    ASSERT_TRUE(ForceDirectories(outside));
    ASSERT_TRUE(ForceDirectories(tree));
    MakeFile("outside\\precious.txt", "p");
    const Text link = tree + "\\link";
    // Looked up by name: older systems have no links.
    using CreateLink = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
    const auto createLink = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
    constexpr DWORD kDirectoryLinkUnprivileged = 0x1 | 0x2;
    if (createLink) createLink(link.c_str(), outside.c_str(), kDirectoryLinkUnprivileged);
    const DWORD attributes = GetFileAttributesA(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        GTEST_SKIP() << "no folder links can be made here";

    RemoveDirTree(tree, true);
    EXPECT_TRUE(FileExists(outside + "\\precious.txt"));
}

TEST_F(FileHelpersWinTest, ForceDirectoriesCreatesMissingParents) {
    EXPECT_TRUE(ForceDirectories(Path("x\\y\\z")));
    EXPECT_TRUE(FolderExists(Path("x\\y\\z")));
    EXPECT_FALSE(FileExists(Path("x\\y\\z")));
    EXPECT_TRUE(ForceDirectories(Path("x\\y\\z\\")));
    EXPECT_TRUE(ForceDirectories("fh_relative_force\\inner"));
    EXPECT_TRUE(FolderExists(CurrentFolder() + "\\fh_relative_force\\inner"));
    EXPECT_TRUE(RemoveDirTree("fh_relative_force", false));

    const Text file = MakeFile("plain.txt", "p");
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(FolderExists(file));
    EXPECT_FALSE(ForceDirectories(file + "\\below"));
    EXPECT_FALSE(ForceDirectories(""));
}

TEST_F(FileHelpersWinTest, DiskFreeMeasuresDrivesAndFolders) {
    const char* const paths[] = {"C:\\", "", "c", "C:"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_GT(DiskFree(path), 0.0);
    }
    EXPECT_GT(DiskFree(folder_), 0.0);
    EXPECT_EQ(DiskFree(Path("no\\such\\folder")), -1.0);
}

TEST_F(FileHelpersWinTest, EjectCDRefusesWhatIsNoCdDrive) {
    const char* const paths[] = {"C:\\", "c:\\setup\\disk2.bin", "", "1:\\", "\\\\server\\x"};
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(EjectCD(path));
    }
}

} // namespace
} // namespace zelkor
