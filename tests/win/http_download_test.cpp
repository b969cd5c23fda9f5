#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "net/check_404_page.h"
#include "net/download_control.h"
#include "net/download_request.h"
#include "net/http_download.h"
#include "net/http_query.h"
#include "net/partial_file.h"
#include "net/wininet_calls.h"
#include "setup/file_helpers.h"
#include "test_folder.h"
#include "util/win_handles.h"

namespace zelkor {
namespace {

// ZELKOR_TEST_HTTP_URL names a server (started by the scenario that runs
// these tests) that serves pattern-<size>.bin for sizes 7 and 5000, with
// Content-Length and Last-Modified, and honours Range requests.
Text BaseUrl() {
    const char* url = std::getenv("ZELKOR_TEST_HTTP_URL");
    return url ? Text(url) : Text();
}

// The served bytes: every value, NULs included.
Text Pattern(size_t size) {
    Text bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char(i * 31 + i / 251);
    return bytes;
}

// What the download told its progress callback.
struct ProgressRecord {
    int setups = 0;
    int high = -1;
    int position = -1;
    Text setupText;
    int steps = 0;
    int abortAfterSteps = 0; // raise the abort flag after this many steps
};
ProgressRecord progress;

void RecordProgress(int mode, int, int high, int position, int, const Text& text) {
    if (mode == 0) {
        ++progress.setups;
        progress.high = high;
        progress.position = position;
        progress.setupText = text;
    } else if (mode == 1 && ++progress.steps == progress.abortAfterSteps) {
        SetDownloadAbort(true);
    }
}

class HttpDownloadWinTest : public FolderTest {
  protected:
    HttpDownloadWinTest() : FolderTest("http_") {}

    void SetUp() override {
        if (BaseUrl().empty()) GTEST_SKIP() << "ZELKOR_TEST_HTTP_URL names no server";
        FolderTest::SetUp();
        progress = ProgressRecord();
        SetDownloadAbort(false);
    }
    void TearDown() override {
        FolderTest::TearDown();
        SetDownloadAbort(false);
    }

    static Text Url(size_t size) {
        return BaseUrl() + "/pattern-" + IntToText(int64_t(size)) + ".bin";
    }
    // The partial file name the download will use, from the server's own
    // answer.
    static Text PartialFor(const Text& url, const Text& target) {
        const InternetHandle internet(WinINetOpen(kDownloadAgent));
        const InternetHandle file(WinINetOpenUrl(internet.Get(), url, Text(), 0));
        EXPECT_TRUE(file.Valid()) << url;
        if (!file) return Text();
        return PartialFileName(target, QueryContentLength(file.Get()),
                               QueryLastModified(file.Get()));
    }

    Text Download(const Text& url, const Text& target, Text& content) {
        Text error = "not called";
        HTTP_DownloadFile_Incremental(nullptr, url, target, content, &RecordProgress, error);
        return error;
    }

    int FilesMatching(const Text& mask) const {
        WIN32_FIND_DATAA found;
        const FindHandle find(FindFirstFileA(mask.c_str(), &found));
        if (!find) return 0;
        int count = 0;
        do {
            ++count;
        } while (FindNextFileA(find.Get(), &found));
        return count;
    }
};

TEST_F(HttpDownloadWinTest, SizeQueryAndDownloadIntoMemory) {
    EXPECT_EQ(HTTP_GetFileSize(Url(5000)), 5000);
    Text content = "stale";
    EXPECT_EQ(Download(Url(5000), "", content), "");
    EXPECT_EQ(content, Pattern(5000));
    // A tenth per read: range 0 to 11, ten steps.
    EXPECT_EQ(progress.setups, 1);
    EXPECT_EQ(progress.high, 11);
    EXPECT_EQ(progress.position, 0);
    EXPECT_EQ(progress.setupText, "0/5000 Bytes   ");
    EXPECT_EQ(progress.steps, 10);
}

TEST_F(HttpDownloadWinTest, FilesUnderTenBytesArriveByteByByte) {
    Text content;
    EXPECT_EQ(Download(Url(7), "", content), "");
    EXPECT_EQ(content, Pattern(7));
    EXPECT_EQ(progress.high, 8);
    EXPECT_EQ(progress.steps, 7);
}

TEST_F(HttpDownloadWinTest, DownloadIntoFileReplacesTheTargetAndRemovesStalePartials) {
    const Text target = Path("setup.bin");
    ASSERT_TRUE(WriteFileText(target, "old target", 0, false));
    // Partial files of other versions of the target, and a file that only
    // looks like one to the Windows mask.
    ASSERT_TRUE(WriteFileText(target + ".12345", "older", 0, false));
    ASSERT_TRUE(WriteFileText(target + ".-77", "oldest", 0, false));
    ASSERT_TRUE(WriteFileText(target + ".config", "keep", 0, false));
    Text content;
    EXPECT_EQ(Download(Url(5000), target, content), "");
    EXPECT_EQ(ReadFileText(target, 0, 0), Pattern(5000));
    EXPECT_EQ(content, "");
    EXPECT_FALSE(FileExists(target + ".12345"));
    EXPECT_FALSE(FileExists(target + ".-77"));
    EXPECT_EQ(ReadFileText(target + ".config", 0, 0), "keep");
    // The mask finds the target itself and the ".config" file, nothing else.
    EXPECT_EQ(FilesMatching(target + ".*"), 2);
}

TEST_F(HttpDownloadWinTest, PartialFileIsContinuedWithARangeRequest) {
    const Text target = Path("setup.bin");
    const Text partial = PartialFor(Url(5000), target);
    ASSERT_FALSE(partial.empty());
    // Bytes the server never sent: they can only survive if the download
    // asked for the rest alone.
    const Text kept(2500, 'Z');
    ASSERT_TRUE(WriteFileText(partial, kept, 0, false));
    Text content;
    EXPECT_EQ(Download(Url(5000), target, content), "");
    EXPECT_EQ(ReadFileText(target, 0, 0), kept + Pattern(5000).substr(2500));
    EXPECT_FALSE(FileExists(partial));
    // The bar starts at the resumed share.
    EXPECT_EQ(progress.high, 11);
    EXPECT_EQ(progress.position, 5);
    EXPECT_EQ(progress.setupText, "2500/5000 Bytes   ");
    EXPECT_EQ(progress.steps, 5);
}

TEST_F(HttpDownloadWinTest, UnusablePartialFilesStartAgainFromZero) {
    struct Case {
        const char* name;
        Text partialBytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"longer than the file", Text(5001, 'Z')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Text target = Path(Text("setup-") + (c.partialBytes.empty() ? "empty" : "long"));
        const Text partial = PartialFor(Url(5000), target);
        ASSERT_TRUE(WriteFileText(partial, c.partialBytes, 0, false));
        Text content;
        EXPECT_EQ(Download(Url(5000), target, content), "");
        EXPECT_EQ(ReadFileText(target, 0, 0), Pattern(5000));
        EXPECT_FALSE(FileExists(partial));
    }
}

TEST_F(HttpDownloadWinTest, CompletePartialFileIsRenamedWithoutReading) {
    const Text target = Path("setup.bin");
    const Text partial = PartialFor(Url(5000), target);
    const Text whole(5000, 'W');
    ASSERT_TRUE(WriteFileText(partial, whole, 0, false));
    Text content;
    EXPECT_EQ(Download(Url(5000), target, content), "");
    EXPECT_EQ(ReadFileText(target, 0, 0), whole);
    EXPECT_EQ(progress.steps, 0);
}

TEST_F(HttpDownloadWinTest, AbortKeepsThePartialFileForTheNextRun) {
    const Text target = Path("setup.bin");
    const Text partial = PartialFor(Url(5000), target);
    progress.abortAfterSteps = 3;
    Text content;
    EXPECT_EQ(Download(Url(5000), target, content), "Download Aborted");
    EXPECT_FALSE(FileExists(target));
    EXPECT_EQ(ReadFileText(partial, 0, 0), Pattern(1500));

    progress = ProgressRecord();
    SetDownloadAbort(false);
    EXPECT_EQ(Download(Url(5000), target, content), "");
    EXPECT_EQ(ReadFileText(target, 0, 0), Pattern(5000));
    EXPECT_EQ(progress.position, 3);
    EXPECT_EQ(progress.steps, 7);
}

TEST_F(HttpDownloadWinTest, WinINetIsBoundAgainAfterUnloading) {
    Text content;
    EXPECT_EQ(Download(Url(7), "", content), "");
    UnloadWinINet();
    // Remembered entries of the freed library must not be called.
    EXPECT_EQ(Download(Url(5000), "", content), "");
    EXPECT_EQ(content, Pattern(5000));
}

// The page check reads the file when one exists, else the given content.
TEST(Http404PageWin, FileTakesPrecedenceOverContent) {
    const Text folder = CurrentFolder() + "\\http_404";
    RemoveDirTree(folder, true);
    ASSERT_TRUE(ForceDirectories(folder));
    const Text page = folder + "\\page.htm";
    const Text binary = folder + "\\setup.exe";
    // The head lies after 9,000 bytes of padding, still within the 10,000 read.
    ASSERT_TRUE(WriteFileText(page, Text(9000, ' ') + "<html><head><title>x</title>", 0, false));
    ASSERT_TRUE(WriteFileText(binary, Text(10000, 'M') + "<TITLE>404</TITLE>", 0, false));
    const Text url = "http://127.0.0.1/setup.exe";
    const Text html = "<HTML><HEAD><TITLE>Not Found</TITLE>";
    struct Case {
        Text file, content;
        bool isPage;
    };
    const Case cases[] = {
        {page, "", true},
        {binary, html, false}, // the title lies beyond the first 10,000 bytes
        {folder + "\\missing.exe", html, true},
        {"", html, true},
        {"", "MZ", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Text result = Check404Page(c.file, c.content, url, "Bad Secret Token!");
        EXPECT_EQ(result != "Bad Secret Token!", c.isPage) << result;
    }
    RemoveDirTree(folder, true);
}

} // namespace
} // namespace zelkor
