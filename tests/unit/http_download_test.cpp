#include <gtest/gtest.h>

#include "net/check_404_page.h"
#include "net/download_errors.h"
#include "net/download_progress.h"
#include "net/download_rate.h"
#include "net/download_request.h"
#include "net/partial_file.h"

namespace zelkor {
namespace {

// DOS date-times: date in the high half, time in the low half.
constexpr uint32_t DosDateTime(int year, int month, int day, int hour, int minute) {
    return uint32_t(((year - 1980) << 9) | (month << 5) | day) << 16 | uint32_t(hour << 11) |
           uint32_t(minute << 5);
}

TEST(HttpPartialFile, NameAddsSizeAndDateAsSigned32BitIntegers) {
    struct Case {
        int32_t size;
        uint32_t stamp;
        Text expected;
    };
    const Case cases[] = {
        {5000, 0, "C:\\t\\setup.exe.5000"},
        {100, DosDateTime(2024, 1, 15, 12, 0), "C:\\t\\setup.exe.1479499876"},
        // Dates from 2044 on have the high bit set: the sum is negative.
        {1000, DosDateTime(2050, 3, 1, 0, 0), "C:\\t\\setup.exe.-1939799064"},
        // The addition wraps instead of overflowing.
        {2147483647, 1, "C:\\t\\setup.exe.-2147483648"},
        {5, 0xFFFFFFFF, "C:\\t\\setup.exe.4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(PartialFileName("C:\\t\\setup.exe", c.size, c.stamp), c.expected);
    }
    EXPECT_EQ(StalePartialMask("C:\\t\\setup.exe"), "C:\\t\\setup.exe.*");
}

TEST(HttpPartialFile, StaleFilesAreOnlyThoseOfThePartialForm) {
    struct Case {
        Text name;
        bool stale;
    };
    const Case cases[] = {
        {"setup.exe.5000", true},
        {"SETUP.EXE.-1939799064", true},
        // What the Windows mask "setup.exe.*" also finds.
        {"setup.exe", false},
        {"setup.exe.", false},
        {"setup.exe.config", false},
        {"setup.exe.-", false},
        {"setup.exe.12a", false},
        {"setup.exe.1.2", false},
        {"setup.exe5000", false},
        {"other.exe.5000", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsPartialFileNameOf(c.name, "setup.exe"), c.stale);
    }
}

TEST(HttpPartialFile, OnlyAShorterNonEmptyFileIsResumed) {
    struct Case {
        bool exists;
        int64_t partialSize, size;
        PartialStart expected;
    };
    const Case cases[] = {
        {false, 0, 5000, PartialStart::Fresh},
        {true, 1, 5000, PartialStart::Resume},
        {true, 4999, 5000, PartialStart::Resume},
        {true, 5000, 5000, PartialStart::Complete},
        // An empty file has nothing to keep; a longer one is not this file.
        {true, 0, 5000, PartialStart::Restart},
        {true, 5001, 5000, PartialStart::Restart},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(c.partialSize));
        EXPECT_EQ(ChoosePartialStart(c.exists, c.partialSize, c.size), c.expected);
    }
}

TEST(HttpDownloadProgress, ChunkIsATenthWithinOneByteAndTheBuffer) {
    struct Case {
        int64_t size, expected;
    };
    const Case cases[] = {
        {1, 1},          {9, 1},           {10, 1},
        {99, 9},         {5000, 500},      {102400, 10240},
        {102419, 10240}, {1000000, 10240}, {2147483647, 10240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        EXPECT_EQ(DownloadChunkSize(c.size), c.expected);
    }
}

TEST(HttpDownloadProgress, RoundingTakesHalvesToEven) {
    struct Case {
        int64_t numerator, denominator, expected;
    };
    const Case cases[] = {
        {0, 3, 0}, {1, 2, 0}, {3, 2, 2},   {5, 2, 2},   {7, 2, 4},
        {4, 3, 1}, {5, 3, 2}, {21, 2, 10}, {23, 2, 12}, {97656, 1, 97656},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(c.numerator) + "/" + IntToText(c.denominator));
        EXPECT_EQ(RoundHalfEven(c.numerator, c.denominator), c.expected);
    }
}

// Reads a whole transfer from `done` in chunks and returns where the bar ends.
int FinalBarPosition(int64_t size, int64_t done) {
    const int64_t chunk = DownloadChunkSize(size);
    DownloadProgress progress = StartDownloadProgress(size, done, chunk);
    int position = progress.position;
    for (int64_t at = done; at < size; at += chunk)
        if (AdvanceDownloadProgress(progress)) ++position;
    return position;
}

TEST(HttpDownloadProgress, RangeFitsTheBarAndAFullTransferFillsIt) {
    struct Case {
        int64_t size, done;
        int high, position;
        int64_t chunksPerStep;
    };
    const Case cases[] = {
        {5000, 0, 11, 0, 1},
        {1000000, 0, 99, 0, 1},
        // Fewer than 10 bytes: one byte per read, no division by zero.
        {9, 0, 10, 0, 1},
        {1, 0, 2, 0, 1},
        // 10.5 chunks round down to 10, the even neighbour.
        {21, 0, 11, 0, 1},
        // A resumed transfer starts advanced by the resumed share.
        {5000, 2750, 11, 6, 1},
        {5000, 2250, 11, 4, 1},
        // 65,535 steps still fit; one more halves the steps.
        {65534 * 10240, 0, 65535, 0, 1},
        {65535 * 10240, 0, 32768, 0, 2},
        {2000000000, 0, 65105, 0, 3},
        {2000000000, 1000000000, 65105, 32552, 3},
        {2147483647, 0, 52429, 0, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(IntToText(c.size) + " from " + IntToText(c.done));
        const DownloadProgress progress =
            StartDownloadProgress(c.size, c.done, DownloadChunkSize(c.size));
        EXPECT_EQ(progress.high, c.high);
        EXPECT_EQ(progress.position, c.position);
        EXPECT_EQ(progress.chunksPerStep, c.chunksPerStep);
        EXPECT_LE(progress.high, kMaxBarSteps);
        // The bar ends within a step of its end and never runs past it.
        const int end = FinalBarPosition(c.size, c.done);
        EXPECT_LE(end, progress.high);
        EXPECT_GE(end, progress.high - 1);
    }
}

TEST(DownloadRate, PushSampleShiftsAndReportsSumOrDifference) {
    SampleWindow window;
    struct Step {
        uint32_t value;
        int64_t sum, difference;
    };
    // Each push is applied to one copy for the sum and one for the difference,
    // which shift alike.
    const Step steps[] = {
        {10, 10, 10}, {20, 30, 20}, {30, 60, 30}, {40, 100, 40}, {50, 150, 40}, {60, 200, 40},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.value);
        SampleWindow forDifference = window;
        EXPECT_EQ(PushSample(window, step.value, true), step.sum);
        EXPECT_EQ(PushSample(forDifference, step.value, false), step.difference);
    }
    // Tick counts wrap after 49.7 days; the difference stays right.
    SampleWindow ticks;
    for (uint32_t& slot : ticks.slots)
        slot = 0xFFFFFF00;
    EXPECT_EQ(PushSample(ticks, 0x100, false), 0x200);
}

TEST(DownloadRate, TextShowsBytesAndTheRateOfTheLastFiveSteps) {
    RateWindows windows;
    // Right after a reset no time has passed: no rate, three blanks at the end.
    EXPECT_EQ(FormatProgressAt(windows, true, 102400, 0, 0, 1000), "0/102400 Bytes   ");
    struct Step {
        uint32_t now;
        int64_t done;
        Text expected;
    };
    const Step steps[] = {
        {1100, 1024, "1024/102400 Bytes   10.00 KB/Sec"},
        {1200, 2048, "2048/102400 Bytes   10.00 KB/Sec"},
        {1300, 3072, "3072/102400 Bytes   10.00 KB/Sec"},
        {1400, 4096, "4096/102400 Bytes   10.00 KB/Sec"},
        // From here the window holds five steps over 400 ms.
        {1500, 5120, "5120/102400 Bytes   12.50 KB/Sec"},
        {1600, 6144, "6144/102400 Bytes   12.50 KB/Sec"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.now);
        EXPECT_EQ(FormatProgressAt(windows, false, 102400, step.done, 1024, step.now),
                  step.expected);
    }
    // A reset forgets the earlier steps.
    EXPECT_EQ(FormatProgressAt(windows, true, 102400, 6144, 0, 9000), "6144/102400 Bytes   ");
    EXPECT_EQ(FormatProgressAt(windows, false, 102400, 11264, 5120, 9400),
              "11264/102400 Bytes   12.50 KB/Sec");
}

TEST(DownloadRate, RateHasExactlyTwoDecimals) {
    struct Case {
        uint32_t bytes, elapsedMs;
        Text rate;
    };
    const Case cases[] = {
        {1000, 3000, "0.33"}, {0, 500, "0.00"},       {1024, 1000, "1.00"},
        {1075, 1000, "1.05"}, {51200, 1, "50000.00"}, {10240, 1000, "10.00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        RateWindows windows;
        FormatProgressAt(windows, true, 100, 0, 0, 5000);
        EXPECT_EQ(FormatProgressAt(windows, false, 100, 7, c.bytes, 5000 + c.elapsedMs),
                  "7/100 Bytes   " + c.rate + " KB/Sec");
    }
}

TEST(Http404Page, HtmlPagesGiveThe404Text) {
    const Text url = "http://127.0.0.1:8080/setup.exe";
    const Text notFound = "<B>404 File Not Found...</B><P><P>URL:  http://127.0.0.1:8080/setup.exe"
                          ".<P><P>Please make sure the file is available and access is allowed "
                          "to this file.";
    EXPECT_EQ(PageNotFoundError(url), notFound);
    struct Case {
        const char* name;
        Text content;
        bool isPage;
    };
    const Case cases[] = {
        {"lower-case html head title",
         "<html><head><title>Not here</title></head><body>x</body></html>", true},
        {"404 in the title alone", "<TITLE>Error 404</TITLE>", true},
        {"404 in a title after other text", "MZ garbage <title>404 Not Found</title>", true},
        {"404 only before the title, no head", "404 <TITLE>Oops</TITLE>", false},
        {"head before html", "<HEAD><HTML><TITLE>x</TITLE>", false},
        {"no closing title", "<HTML><HEAD><TITLE>x", false},
        {"html tag with attributes", "<html lang=\"en\"><head><title>x</title>", false},
        {"binary with NULs before a page", Text("\0\x01MZ\0", 5) + "<HTML><HEAD><TITLE>a</TITLE>",
         true},
        {"binary file", Text("MZ\x90\0\x03\0\0\0", 8), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Check404Content(c.content, url, "Bad Secret Token!"),
                  c.isPage ? notFound : "Bad Secret Token!");
    }
    // Without a previous error a file that is no page stays a success.
    EXPECT_EQ(Check404Content("PK\x03\x04", url, ""), "");
}

TEST(HttpDownloadErrors, TextsOfTheFailureTable) {
    const Text url = "http://127.0.0.1/a.exe";
    EXPECT_EQ(WinINetUnavailableError(), "Unable to initialize \"WinINet.dll\"");
    EXPECT_EQ(ConnectionError(url),
              "Unable to open Internet Connection <P>URL: http://127.0.0.1/a.exe");
    EXPECT_EQ(FileNotFoundError(url), "http://127.0.0.1/a.exe<P><P>File Not Found !");
    EXPECT_EQ(DownloadAbortedError(), "Download Aborted");
}

TEST(HttpDownloadRequest, FlagsAndRangeHeader) {
    EXPECT_EQ(DownloadOpenFlags(false), 0x80000000u);
    EXPECT_EQ(DownloadOpenFlags(true), 0x800u);
    EXPECT_EQ(RangedOpenFlags() & 0x80000000u, 0x80000000u);
    EXPECT_EQ(RangeHeader(2500), "Range: bytes=2500-\r\n");
    EXPECT_EQ(RangeHeader(3000000000LL), "Range: bytes=3000000000-\r\n");
}

TEST(HttpDownloadRequest, ContentRangeParsing) {
    struct Case {
        Text header;
        bool valid;
        int64_t first, last, total;
    };
    const Case cases[] = {
        {"bytes 2500-4999/5000", true, 2500, 4999, 5000},
        {"Bytes 0-0/1", true, 0, 0, 1},
        {"  bytes  10 - 19 / 20 ", true, 10, 19, 20},
        {"bytes */5000", false, 0, 0, 0},
        {"bytes 2500-4999/*", false, 0, 0, 0},
        {"bytes 4999-2500/5000", false, 0, 0, 0},
        {"bytes 2500-5000/5000", false, 0, 0, 0},
        {"bytes=2500-4999/5000", false, 0, 0, 0},
        {"items 1-2/3", false, 0, 0, 0},
        {"bytes 2500-4999/5000x", false, 0, 0, 0},
        {"bytes -1-4999/5000", false, 0, 0, 0},
        {"bytes 1-2/1234567890123456789012", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.header);
        ContentRange range;
        ASSERT_EQ(ParseContentRange(c.header, range), c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(range.first, c.first);
        EXPECT_EQ(range.last, c.last);
        EXPECT_EQ(range.total, c.total);
    }
}

TEST(HttpDownloadRequest, OnlyAnExactContinuationIsAppended) {
    const uint32_t stamp = DosDateTime(2024, 1, 15, 12, 0);
    struct Case {
        const char* name;
        RangedAnswer answer;
        bool continues;
    };
    const Case cases[] = {
        {"206 from the partial end", {206, "bytes 2500-4999/5000", stamp}, true},
        {"206 naming no date", {206, "bytes 2500-4999/5000", 0}, true},
        {"server ignored the range", {200, "", stamp}, false},
        {"200 with a stray Content-Range", {200, "bytes 2500-4999/5000", stamp}, false},
        {"range not satisfiable", {416, "bytes */5000", stamp}, false},
        {"206 from another offset", {206, "bytes 2000-4999/5000", stamp}, false},
        {"206 stopping short", {206, "bytes 2500-3999/5000", stamp}, false},
        {"206 of a longer file", {206, "bytes 2500-5999/6000", stamp}, false},
        {"206 of a newer file", {206, "bytes 2500-4999/5000", stamp + 1}, false},
        {"206 without Content-Range", {206, "", stamp}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ContinuesPartialFile(c.answer, 2500, 5000, stamp), c.continues);
    }
}

} // namespace
} // namespace zelkor
