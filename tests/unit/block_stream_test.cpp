#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

#include "memory_extract_host.h"
#include "package/block_header.h"
#include "package/block_stream.h"
#include "package/file_info.h"
#include "package/package_extraction.h"
#include "package/save_failure.h"
#include "package/volume_names.h"
#include "package/zlib_inflate.h"
#include "package_builder.h"
#include "package_fixtures.h"
#include "volume_layout.h"

namespace zelkor {
namespace {

using fixtures::FakeStub;
using fixtures::FileContent;
using fixtures::LengthBytes;
using fixtures::MemoryExtractHost;
using fixtures::StoredBlock;
using fixtures::ZlibBlock;
using fixtures::ZlibStream;

const char kVolume1[] = "C:\\media\\setup.exe";
const char kDest[] = "C:\\dest";
// 4 March 2021 05:06:08 and 05:06:10.
constexpr uint32_t kStamp = 1382295748;
constexpr uint32_t kLaterStamp = 1382295749;

std::string D(const std::string& name) {
    return std::string(kDest) + "\\" + name;
}

// Bytes of every value, NULs included.
std::string Pattern(size_t size, int seed = 1) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char(i * 31 + i / 251 + seed);
    return bytes;
}

PackageDescription Description(const std::string& blocks, uint32_t fileCount = 1,
                               uint8_t flags = 0) {
    PackageDescription p;
    p.updateList = "|u|";
    p.blocks = blocks;
    p.fileCount = fileCount;
    p.flags = flags;
    return p;
}

std::string Installer(const PackageDescription& p) {
    return fixtures::Build(p);
}

std::string Installer(const std::string& blocks, uint32_t fileCount = 1, uint8_t flags = 0) {
    return Installer(Description(blocks, fileCount, flags));
}

// Where the lists of Installer() end and the blocks begin.
constexpr size_t kListsEnd = 0x300 + 4 + 1 + 4 + 3;

class ExtractTest : public testing::Test {
  protected:
    ExtractTest() {
        options.volumePath = kVolume1;
        options.destination = kDest;
    }
    void Put(const std::string& path, const std::string& bytes) { host.files[path].data = bytes; }
    ExtractOutcome Run() { return ExtractPackage(options, host, failures); }
    // Nothing reached a path outside the destination.
    void ExpectOnlyInsideDestination() {
        for (const auto& write : host.writes)
            EXPECT_EQ(write.first.compare(0, std::strlen(kDest) + 1, D("")), 0) << write.first;
    }

    MemoryExtractHost host;
    SaveFailures failures;
    ExtractOptions options;
};

TEST_F(ExtractTest, WritesStoredAndZlibBlocksWithTheirTimes) {
    const std::string binary = Pattern(5000);
    Put(kVolume1, Installer(StoredBlock(FileContent("|readme.txt|1382295748|", "hello")) +
                                ZlibBlock(FileContent("|sub\\data.bin|1382295749|", binary)) +
                                StoredBlock(FileContent("|empty.txt|1382295748|", "")),
                            3));
    const ExtractOutcome outcome = Run();

    EXPECT_TRUE(outcome.packageValid);
    EXPECT_EQ(outcome.runEntry, "");
    EXPECT_EQ(outcome.damage, "");
    EXPECT_EQ(host.Data(D("readme.txt")), "hello");
    EXPECT_EQ(host.Data(D("sub\\data.bin")), binary);
    EXPECT_EQ(host.files[D("sub\\data.bin")].dosDate, kLaterStamp);
    ASSERT_TRUE(host.Has(D("empty.txt")));
    EXPECT_EQ(host.Data(D("empty.txt")), "");
    EXPECT_EQ(host.files[D("empty.txt")].dosDate, kStamp);
    EXPECT_TRUE(host.folders.count(D("sub")));
    const std::vector<std::pair<int, int>> progress = {{0, 0}, {0, 3}, {1, 0}, {1, 0}, {1, 0}};
    EXPECT_EQ(host.progress, progress);
    EXPECT_TRUE(host.Traced("FileInfo.FilesCount=3"));
    EXPECT_TRUE(host.Traced("FileLen=" + std::to_string(host.Data(kVolume1).size())));
    ASSERT_GE(host.traces.size(), 2u);
    EXPECT_EQ(host.traces[host.traces.size() - 2], "");
    EXPECT_EQ(host.traces.back(), "UnCompressTime: 250 MS");
    EXPECT_TRUE(host.errors.empty());
}

TEST_F(ExtractTest, ContentRules) {
    const struct {
        const char* name;
        std::string blocks;
        std::map<std::string, std::string> files; // name -> data
        int steps;
        uint32_t date;
    } cases[] = {
        {"no NUL: the header is empty", StoredBlock("|a.txt|0|data"), {}, 0, 0},
        {"empty header", StoredBlock(FileContent("", "data")), {}, 0, 0},
        {"data keeps its NULs",
         StoredBlock(FileContent("|a.txt|1382295748|", std::string("x\0y\0", 4))),
         {{"a.txt", std::string("x\0y\0", 4)}},
         1,
         kStamp},
        {"a stamp that is no number leaves the time",
         StoredBlock(FileContent("|a.txt|12x|", "d")),
         {{"a.txt", "d"}},
         1,
         0},
        {"a second block of the same name is appended, one step",
         StoredBlock(FileContent("|a.txt|0|", "one")) + ZlibBlock(FileContent("|a.txt|0|", "two")),
         {{"a.txt", "onetwo"}},
         1,
         0},
        {"prefixes for the engine are part of the name",
         StoredBlock(FileContent("^3#setup.ini^0^", "ini")),
         {{"3#setup.ini", "ini"}},
         1,
         0},
    };
    for (const auto& c : cases) {
        host = MemoryExtractHost();
        Put(kVolume1, Installer(c.blocks));
        EXPECT_TRUE(Run().packageValid) << c.name;
        std::map<std::string, std::string> written;
        for (const auto& file : host.files)
            if (file.first != kVolume1) written[file.first] = file.second.data;
        std::map<std::string, std::string> expected;
        for (const auto& file : c.files)
            expected[D(file.first)] = file.second;
        EXPECT_EQ(written, expected) << c.name;
        EXPECT_EQ(host.Steps(), c.steps) << c.name;
        if (!c.files.empty()) {
            EXPECT_EQ(host.files[D(c.files.begin()->first)].dosDate, c.date) << c.name;
        }
    }
}

TEST_F(ExtractTest, RunEntryRules) {
    const struct {
        std::vector<std::string> headers;
        const char* runEntry;
        const char* firstFile;
    } cases[] = {
        {{"|setup.exe* /InstallTo=C:\\x|0|"}, "setup.exe* /InstallTo=C:\\x", "setup.exe"},
        {{"|a.txt|0|*|"}, "|a.txt|0|*|", "a.txt"},
        {{"|one.exe*|0|", "|two.exe* -x|0|"}, "two.exe* -x", "one.exe"},
        {{"|one.exe*|0|", "|plain.txt|0|"}, "one.exe*", "one.exe"},
        {{"|plain.txt|0|"}, "", "plain.txt"},
    };
    for (const auto& c : cases) {
        host = MemoryExtractHost();
        std::string blocks;
        for (const std::string& header : c.headers)
            blocks += StoredBlock(FileContent(header, "x"));
        Put(kVolume1, Installer(blocks, uint32_t(c.headers.size())));
        const ExtractOutcome outcome = Run();
        EXPECT_TRUE(outcome.packageValid);
        EXPECT_EQ(outcome.runEntry, c.runEntry) << c.headers[0];
        EXPECT_TRUE(host.Has(D(c.firstFile))) << c.headers[0];
    }
}

TEST(VolumeNames, BaseNameAndSuffixes) {
    const struct {
        const char* first;
        int number;
        const char* expected;
    } cases[] = {
        {"D:\\setup.exe.001", 2, "D:\\setup.exe.002"}, {"D:\\setup.exe", 2, "D:\\setup.exe.002"},
        {"D:\\setup.exe", 10, "D:\\setup.exe.010"},    {"D:\\setup.exe", 250, "D:\\setup.exe.250"},
        {"D:\\setup.exe", 1000, "D:\\setup.exe.1000"}, {"D:\\a.001.001", 3, "D:\\a.001.003"},
        {"D:\\a.0010", 2, "D:\\a.0010.002"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VolumeFileName(VolumeBaseName(c.first), c.number), c.expected) << c.first;
}

class VolumesTest : public ExtractTest {
  protected:
    // Three volumes: a file continued from volume 1 into 2, one more in 3.
    void PutVolumes(bool second, bool third) {
        volumes[0] =
            Installer(StoredBlock(FileContent("|big.bin|0|", "first-")), 2, kFlagMoreVolumes);
        const PackageDescription more = Description("", 2, kFlagMoreVolumes);
        volumes[1] = BuildFollowingVolume(more, ZlibBlock(FileContent("|big.bin|0|", "second")));
        volumes[2] = BuildFollowingVolume(Description("", 2),
                                          StoredBlock(FileContent("|setup.exe*|0|", "engine")));
        Put(kVolume1, volumes[0]);
        if (second) Put(Name(2), volumes[1]);
        if (third) Put(Name(3), volumes[2]);
    }
    static std::string Name(int number) {
        return std::string(kVolume1) + ".00" + std::to_string(number);
    }
    void ExpectAllExtracted(const ExtractOutcome& outcome) {
        EXPECT_TRUE(outcome.packageValid) << outcome.damage;
        EXPECT_EQ(outcome.runEntry, "setup.exe*");
        EXPECT_EQ(host.Data(D("big.bin")), "first-second");
        EXPECT_EQ(host.Data(D("setup.exe")), "engine");
    }

    std::string volumes[3];
};

TEST_F(VolumesTest, FollowingVolumesAreReadWithoutAskingWhenPresent) {
    PutVolumes(true, true);
    ExpectAllExtracted(Run());
    EXPECT_TRUE(host.prompts.empty());
    EXPECT_EQ(host.autoPlayRefusals, 2);
    // One step per new file and one per volume change.
    EXPECT_EQ(host.Steps(), 4);
    EXPECT_EQ(host.progress[1], std::make_pair(0, 2));
}

TEST_F(VolumesTest, MissingVolumesArePromptedForUntilTheyArrive) {
    PutVolumes(false, false);
    options.promptText = "Insert disk <disk_num> (<DISK_NUM>)";
    int calls = 0;
    host.answer = [this, &calls](const std::string&) {
        ++calls;
        // The first OK comes without the disk: the question repeats.
        if (calls == 2) Put(Name(2), volumes[1]);
        if (calls == 3) Put(Name(3), volumes[2]);
        return true;
    };
    ExpectAllExtracted(Run());
    const std::vector<std::string> prompts = {"Insert disk 2 (2)", "Insert disk 2 (2)",
                                              "Insert disk 3 (3)"};
    EXPECT_EQ(host.prompts, prompts);
    const std::vector<std::string> ejected = {Name(2), Name(3)};
    EXPECT_EQ(host.ejected, ejected);
}

TEST_F(VolumesTest, ForcePromptAsksEvenForPresentVolumes) {
    PutVolumes(true, true);
    options.forcePrompt = true;
    options.promptText = "Disk <DISK_NUM>";
    host.answer = [](const std::string&) { return true; };
    ExpectAllExtracted(Run());
    const std::vector<std::string> prompts = {"Disk 2", "Disk 3"};
    EXPECT_EQ(host.prompts, prompts);
}

TEST_F(VolumesTest, CancelledPromptRunsNothingAndReportsNoDamage) {
    PutVolumes(true, false);
    // The run entry of volume 3 is already known from an earlier block.
    volumes[0] =
        Installer(StoredBlock(FileContent("|setup.exe*|0|", "engine")), 2, kFlagMoreVolumes);
    Put(kVolume1, volumes[0]);
    const ExtractOutcome outcome = Run();
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_TRUE(outcome.packageValid);
    EXPECT_EQ(outcome.runEntry, "");
    EXPECT_EQ(outcome.damage, "");
    EXPECT_EQ(host.prompts.size(), 1u);
}

TEST_F(ExtractTest, AVolumeWithAnotherMagicGivesNoFilesButItsFlagCounts) {
    PackageDescription p =
        Description(StoredBlock(FileContent("|a.txt|0|", "a")), 1, kFlagMoreVolumes);
    p.magic = 0x12345678;
    Put(kVolume1, Installer(p));
    const ExtractOutcome outcome = Run();
    EXPECT_TRUE(outcome.packageValid);
    EXPECT_FALSE(host.Has(D("a.txt")));
    EXPECT_EQ(host.prompts.size(), 1u);
}

TEST_F(ExtractTest, AMissingFirstVolumeIsNoValidPackage) {
    const ExtractOutcome outcome = Run();
    EXPECT_FALSE(outcome.packageValid);
    EXPECT_NE(outcome.damage, "");
    const std::vector<std::pair<int, int>> progress = {{0, 0}};
    EXPECT_EQ(host.progress, progress);
}

TEST_F(ExtractTest, TheBlockLoopStopsWithinATrailerOfTheEnd) {
    const std::string blocks = StoredBlock(FileContent("|a.txt|0|", "a"));
    Put(kVolume1, Installer(blocks));
    EXPECT_TRUE(Run().packageValid);
    EXPECT_EQ(host.Data(D("a.txt")), "a");

    // One byte more and the trailer's first bytes are taken for a length.
    host = MemoryExtractHost();
    Put(kVolume1, Installer(blocks + "X"));
    const ExtractOutcome outcome = Run();
    EXPECT_FALSE(outcome.packageValid);
    EXPECT_NE(outcome.damage.find("runs past the end"), std::string::npos) << outcome.damage;
}

TEST_F(ExtractTest, OnlyTheFirstFailedSaveOfTheProcessIsShown) {
    host.failingPaths = {D("a.txt"), D("b.txt")};
    const std::string installer = Installer(StoredBlock(FileContent("|a.txt|0|", "12345")) +
                                                StoredBlock(FileContent("|b.txt|0|", "xy")) +
                                                StoredBlock(FileContent("|c.txt|0|", "ok")),
                                            3);
    Put(kVolume1, installer);
    EXPECT_TRUE(Run().packageValid);
    const std::vector<std::string> errors = {
        "C:\\dest\\a.txt<P><P>Unable to save Extracted File!<P><P>Access is denied<P>"
        "  Data Size: <T>5 Bytes<P>  File Size:  <T>0 Bytes<P>  Bytes Free: <T>12345 Bytes"};
    EXPECT_EQ(host.errors, errors);
    EXPECT_EQ(host.Data(D("c.txt")), "ok");
    EXPECT_EQ(failures.count, 2);

    // The count lives as long as the process, across extractions.
    host = MemoryExtractHost();
    host.failingPaths = {D("c.txt")};
    Put(kVolume1, installer);
    Run();
    EXPECT_TRUE(host.errors.empty());
}

TEST(DescribeSaveFailure, TruncatesTheFreeBytes) {
    const struct {
        double free;
        const char* shown;
    } cases[] = {{12345.99, "12345"}, {-1, "-1"}, {0, "0"}, {1e30, "9223372036854775807"}};
    for (const auto& c : cases)
        EXPECT_EQ(DescribeSaveFailure("Disk full", 7, 3, c.free),
                  std::string("Disk full<P>  Data Size: <T>7 Bytes<P>  File Size:  <T>3 Bytes<P>"
                              "  Bytes Free: <T>") +
                      c.shown + " Bytes");
}

TEST_F(ExtractTest, LargeContentGoesToDiskInPiecesWithTheStampLast) {
    const std::string data = Pattern(3 * 1048576 + 17);
    Put(kVolume1, Installer(ZlibBlock(FileContent("|big.bin|1382295748|", data))));
    EXPECT_TRUE(Run().packageValid);
    EXPECT_EQ(host.Data(D("big.bin")), data);
    EXPECT_EQ(host.files[D("big.bin")].dosDate, kStamp);
    std::vector<uint32_t> dates;
    for (const auto& write : host.writes)
        if (write.first == D("big.bin")) dates.push_back(write.second);
    ASSERT_GE(dates.size(), 3u);
    EXPECT_EQ(dates.back(), kStamp);
    for (size_t i = 0; i + 1 < dates.size(); ++i)
        EXPECT_EQ(dates[i], 0u);
}

TEST_F(ExtractTest, AnEmptyDestinationIsReportedAndTheRunGoesOn) {
    options.destination = "";
    Put(kVolume1, Installer(StoredBlock(FileContent("|a.txt|0|", "a"))));
    EXPECT_TRUE(Run().packageValid);
    ASSERT_EQ(host.errors.size(), 2u);
    EXPECT_EQ(host.errors[0], "<P><P>Unable to create Directory!<P><P>Access is denied");
    EXPECT_EQ(host.errors[1].find("\\a.txt<P><P>Unable to save Extracted File!"), 0u);
}

TEST_F(ExtractTest, TheAgentCopyIsTheStubWithItsListsMarkedAsAgent) {
    const std::string installer = Installer(StoredBlock(FileContent("|a.txt|0|", "a")));
    Put(kVolume1, installer);
    Put(D("agent.exe"), "an older agent, longer than nothing");
    host.volumeDates[kVolume1] = 0x52345678;
    options.agentName = "C:\\Program Files\\App\\agent.exe";
    EXPECT_TRUE(Run().packageValid);

    std::string expected = installer.substr(0, kListsEnd);
    expected.replace(0xFC, 4, std::string(4, '\0'));
    std::string record = installer.substr(installer.size() - 74);
    record[69] = 1;
    expected += record;
    EXPECT_EQ(host.Data(D("agent.exe")), expected);
    EXPECT_EQ(host.files[D("agent.exe")].dosDate, 0x52345678u);
    EXPECT_TRUE(host.Traced("77 New AU-Agent: C:\\dest\\agent.exe"));

    MemoryByteSource copy(host.Data(D("agent.exe")));
    const TGFileInfo agent(copy);
    EXPECT_TRUE(agent.HasPackage());
    EXPECT_EQ(agent.AutoUpdateProg(), 1);
    EXPECT_EQ(agent.UpdateList(), "|u|");
}

TEST_F(ExtractTest, TheAgentCopyNeedsAnExecutableVolumeAndAName) {
    const struct {
        const char* volume;
        const char* agent;
        const char* written; // empty: none
    } cases[] = {
        {"C:\\m\\setup.EXE", "agent.exe", "agent.exe"},
        {"C:\\m\\setup.exe.001", "agent.exe", "agent.exe"},
        {"C:\\m\\setup.exe", ".exe", ".exe"},
        {"C:\\m\\setup.bin", "agent.exe", ""},
        {"C:\\m\\setup.exe", "", ""},
        {"C:\\m\\setup.exe", "C:\\dir\\", ""},
    };
    for (const auto& c : cases) {
        host = MemoryExtractHost();
        options.volumePath = c.volume;
        options.agentName = c.agent;
        Put(c.volume, Installer(StoredBlock(FileContent("|a.txt|0|", "a"))));
        EXPECT_TRUE(Run().packageValid);
        const size_t files = host.files.size();
        if (*c.written) {
            EXPECT_TRUE(host.Has(D(c.written))) << c.volume << " " << c.agent;
            EXPECT_EQ(files, 3u) << c.volume << " " << c.agent;
        } else {
            EXPECT_EQ(files, 2u) << c.volume << " " << c.agent;
        }
    }
}

// A volume with an unreadable stretch, as a bad sector is.
class BadStretchSource : public ByteSource {
  public:
    BadStretchSource(const std::string& bytes, uint64_t from, uint64_t to)
        : whole_(bytes), from_(from), to_(to) {}
    uint64_t Size() override { return whole_.Size(); }
    uint32_t ReadAt(uint64_t offset, void* buffer, uint32_t length) override {
        if (offset >= from_ && offset < to_) return 0;
        if (offset < from_ && from_ - offset < length) length = uint32_t(from_ - offset);
        return whole_.ReadAt(offset, buffer, length);
    }

  private:
    MemoryByteSource whole_;
    uint64_t from_, to_;
};

class BadStretchHost : public MemoryExtractHost {
  public:
    uint64_t from = 0, to = 0;
    std::unique_ptr<ByteSource> OpenVolume(const Text& path) override {
        return std::unique_ptr<ByteSource>(new BadStretchSource(files[path].data, from, to));
    }
};

std::string FlippedCopy(std::string bytes, size_t at) {
    bytes[at] ^= 0x40;
    return bytes;
}

TEST_F(ExtractTest, DamagedPackagesAreRefusedAndWriteNothingOutside) {
    const std::string run = StoredBlock(FileContent("|setup.exe*|0|", "engine"));
    const std::string after = StoredBlock(FileContent("|after.txt|0|", "after"));
    std::string badStream = ZlibStream(FileContent("|bad.txt|0|", Pattern(2000)));
    badStream[badStream.size() / 2] ^= 0x55;
    const std::string badZlib = LengthBytes(uint32_t(badStream.size())) + badStream;
    const std::string cutStream = ZlibStream(FileContent("|cut.txt|0|", Pattern(2000)));
    const std::string shortZlib =
        LengthBytes(uint32_t(cutStream.size() / 2)) + cutStream.substr(0, cutStream.size() / 2);
    auto escaping = [](const std::string& name) {
        return StoredBlock(FileContent("|" + name + "|0|", "evil"));
    };
    auto withMiddle = [&](const std::string& middle, ChecksumMode mode = ChecksumMode::Auto) {
        PackageDescription p = Description(run + middle + after, 3);
        p.checksumMode = mode;
        return Installer(p);
    };
    const std::string good = withMiddle(StoredBlock(FileContent("|ok.txt|0|", "ok")));

    const struct {
        const char* name;
        std::string installer;
    } cases[] = {
        {"one flipped byte", FlippedCopy(good, kListsEnd + 20)},
        {"truncated", good.substr(0, good.size() - 30)},
        {"bad zlib, checksum off", withMiddle(badZlib, ChecksumMode::Off)},
        {"bad zlib, checksum recomputed", withMiddle(badZlib)},
        {"zlib stream cut short", withMiddle(shortZlib)},
        {"length past the end", withMiddle(LengthBytes(1000000) + "abc")},
        {"negative length past the end", withMiddle(LengthBytes(0u - 1000000u) + "abc")},
        {"length -2^31", withMiddle(LengthBytes(0x80000000u) + "abc")},
        {"header too long", withMiddle(StoredBlock(std::string(70000, 'a') + '\0' + "x"))},
        {"..", withMiddle(escaping("..\\evil.txt"))},
        {"inner ..", withMiddle(escaping("sub\\..\\..\\evil.txt"))},
        {"slashes ..", withMiddle(escaping("a/../../evil.txt"))},
        {"three dots", withMiddle(escaping("...\\evil.txt"))},
        {"dots and a blank", withMiddle(escaping(".. \\evil.txt"))},
        {"leading backslash", withMiddle(escaping("\\evil.txt"))},
        {"leading slash", withMiddle(escaping("/evil.txt"))},
        {"drive", withMiddle(escaping("C:\\evil.txt"))},
        {"drive-relative", withMiddle(escaping("c:evil.txt"))},
        {"UNC", withMiddle(escaping("\\\\server\\share\\evil.txt"))},
    };
    for (const auto& c : cases) {
        host = MemoryExtractHost();
        Put(kVolume1, c.installer);
        const ExtractOutcome outcome = Run();
        EXPECT_FALSE(outcome.packageValid) << c.name;
        EXPECT_EQ(outcome.runEntry, "") << c.name;
        EXPECT_NE(outcome.damage, "") << c.name;
        EXPECT_FALSE(host.Has(D("after.txt"))) << c.name;
        EXPECT_TRUE(host.errors.empty()) << c.name;
        ExpectOnlyInsideDestination();
    }
}

TEST_F(ExtractTest, AShortReadIsDamage) {
    BadStretchHost badHost;
    PackageDescription p = Description(StoredBlock(FileContent("|a.txt|0|", Pattern(200000))) +
                                           StoredBlock(FileContent("|after.txt|0|", "after")),
                                       2);
    p.checksumMode = ChecksumMode::Off;
    badHost.files[kVolume1].data = Installer(p);
    badHost.from = kListsEnd + 100000;
    badHost.to = badHost.from + 1000;
    const ExtractOutcome outcome = ExtractPackage(options, badHost, failures);
    EXPECT_FALSE(outcome.packageValid);
    EXPECT_NE(outcome.damage.find("cannot be read whole"), std::string::npos) << outcome.damage;
    EXPECT_FALSE(badHost.Has(D("after.txt")));
}

TEST(BlockHeader, NamesThatLeaveTheFolder) {
    const struct {
        const char* name;
        bool escapes;
    } cases[] = {
        {"setup.exe", false},
        {"sub\\file.txt", false},
        {"a..b\\c", false},
        {".\\x", false},
        {".hidden", false},
        {"", false},
        {"..", true},
        {"..\\x", true},
        {"a\\..", true},
        {"a/../x", true},
        {"...", true},
        {". .\\x", true},
        {"\\x", true},
        {"/x", true},
        {"\\\\srv\\share", true},
        {"C:\\x", true},
        {"c:x", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameEscapesFolder(c.name), c.escapes) << c.name;
}

TEST(BlockHeader, StampsAreDecimal32BitNumbers) {
    const struct {
        const char* text;
        uint32_t stamp;
    } cases[] = {
        {"1382295748", 1382295748u},
        {"4294967295", 0xFFFFFFFFu},
        {"-1", 0xFFFFFFFFu},
        {"-2147483648", 0x80000000u},
        {"+7", 7u},
        {"4294967296", 0},
        {"-2147483649", 0},
        {"12x", 0},
        {"", 0},
        {"-", 0},
        {" 5", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseStamp(c.text), c.stamp) << c.text;
}

// Collects the inflated bytes and the largest window.
class Collect : public InflateOutput {
  public:
    bool Inflated(const char* bytes, size_t count) override {
        text.append(bytes, count);
        if (count > largest) largest = count;
        return true;
    }
    std::string text;
    size_t largest = 0;
};

TEST(ZlibInflater, AnySplitOfTheInputGivesTheSameContent) {
    const std::string content = std::string(300000, 'z') + Pattern(70000);
    const std::string stream = ZlibStream(content) + "trailing bytes are ignored";
    for (size_t feed : {size_t(1), size_t(7), size_t(65536), stream.size()}) {
        ZlibInflater inflater;
        Collect out;
        for (size_t at = 0; at < stream.size(); at += feed)
            ASSERT_TRUE(inflater.Feed(stream.data() + at, std::min(feed, stream.size() - at), out));
        EXPECT_TRUE(inflater.Finish());
        EXPECT_EQ(out.text, content) << feed;
        EXPECT_LE(out.largest, 65536u);
    }
}

TEST(ZlibInflater, ErrorsAreReturnedWithZlibsText) {
    std::string dictionary(32, 'd');
    std::string withDictionary(100, '\0');
    {
        z_stream s{};
        deflateInit(&s, 9);
        deflateSetDictionary(&s, reinterpret_cast<const Bytef*>(dictionary.data()),
                             uInt(dictionary.size()));
        std::string input = dictionary + dictionary;
        s.next_in = reinterpret_cast<Bytef*>(&input[0]);
        s.avail_in = uInt(input.size());
        s.next_out = reinterpret_cast<Bytef*>(&withDictionary[0]);
        s.avail_out = uInt(withDictionary.size());
        deflate(&s, Z_FINISH);
        withDictionary.resize(s.total_out);
        deflateEnd(&s);
    }
    const std::string good = ZlibStream(Pattern(1000));
    const struct {
        const char* name;
        std::string stream;
        const char* text;
    } cases[] = {
        {"not zlib", "this is not a zlib stream", "data error"},
        {"cut short", good.substr(0, good.size() / 2), "buffer error"},
        {"needs a dictionary", withDictionary, "need dictionary"},
    };
    for (const auto& c : cases) {
        ZlibInflater inflater;
        Collect out;
        const bool fed = inflater.Feed(c.stream.data(), c.stream.size(), out);
        EXPECT_FALSE(fed && inflater.Finish()) << c.name;
        EXPECT_TRUE(inflater.Failed()) << c.name;
        EXPECT_EQ(inflater.ErrorText().find(c.text), 0u) << c.name << ": " << inflater.ErrorText();
    }
}

} // namespace
} // namespace zelkor
