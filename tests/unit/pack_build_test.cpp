#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

#include "commands.h"
#include "file_io.h"
#include "package_report.h"
#include "options.h"
#include "package/file_info.h"
#include "package_builder.h"
#include "pack_cli.h"
#include "package_fixtures.h"
#include "util/lists.h"

namespace zelkor {
namespace {

using fixtures::Build;
using fixtures::FakeStub;
using fixtures::PutU32;
using fixtures::U32At;
using fixtures::U32Bytes;

bool HasLine(const std::string& report, const std::string& line) {
    return ("\n" + report).find("\n" + line + "\n") != std::string::npos;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

TEST(BuildPackage, LaysOutStubListsBlocksAndTrailer) {
    std::string stub = FakeStub();
    PutU32(stub, 0xF8, 0xDEADBEEF); // stale bytes where the logical size goes
    PutU32(stub, 0xFC, 0xDEADBEEF);
    PackageDescription p;
    p.listCount = 3;
    p.languageTable = "L";
    p.updateList = "|u|";
    p.webList = "|w|";
    p.blocks = "BB";
    p.fileCount = 5;
    const std::string out = Build(p, stub);

    EXPECT_EQ(out.substr(0, 0xF8), stub.substr(0, 0xF8));
    EXPECT_EQ(out.substr(0x100, 0x200), stub.substr(0x100));
    EXPECT_EQ(U32At(out, 0xF8), 0u);
    EXPECT_EQ(U32At(out, 0xFC), out.size());
    const std::string lists = U32Bytes(1) + "L" + U32Bytes(3) + "|u|" + U32Bytes(3) + "|w|" + "BB";
    EXPECT_EQ(out.substr(0x300, lists.size()), lists);

    const std::string trailer = out.substr(0x300 + lists.size());
    ASSERT_EQ(trailer.size(), 74u);
    EXPECT_EQ(trailer.substr(0, 4), std::string("\x01\x03\x00\x00", 4));
    EXPECT_EQ(U32At(trailer, 4), 0x300u);
    EXPECT_EQ(U32At(trailer, 8), 5u);
    EXPECT_EQ(trailer.substr(12, 4), "\x1D\x2C\x3B\x4A");
    EXPECT_EQ(trailer.substr(20, 8), std::string(8, '\0'));
    EXPECT_EQ(trailer[64], '\0');
    EXPECT_EQ(U32At(trailer, 70), 74u);

    p.writeLogicalSize = false;
    const std::string bare = Build(p, stub);
    EXPECT_EQ(bare.substr(0xF8, 8), std::string(8, '\0'));
}

TEST(BuildPackage, TrailerSizeOptionWritesOnlyThatMuch) {
    const struct {
        uint32_t size;
        bool found;
        bool passes; // the checksum field is among the written bytes
    } cases[] = {{74, true, true}, {40, true, true},  {24, true, true},  {20, true, false},
                 {5, true, false}, {4, false, false}, {3, false, false}, {0, false, false}};
    PackageDescription p;
    p.updateList = "|u|";
    p.fileCount = 0x01010101; // never 0, so a wrongly summed field shows
    const size_t packageStart = 0x300 + 4 + 1 + 4 + 3;
    for (const auto& c : cases) {
        p.trailerSize = c.size;
        const std::string out = Build(p);
        EXPECT_EQ(out.size(), packageStart + (c.size < 4 ? 4 : c.size)) << c.size;
        EXPECT_EQ(U32At(out, out.size() - 4), c.size) << c.size;
        MemoryByteSource source(out);
        TrailerRecord r{};
        ASSERT_EQ(ReadTrailer(source, r), c.found) << c.size;
        if (!c.found) continue;
        EXPECT_EQ(r.TrailerSize(), c.size);
        EXPECT_EQ(ChecksumPasses(ComputeChecksum(source, r.TrailerSize()), r.Checksum()), c.passes)
            << c.size;
    }
    p.trailerSize = 75;
    std::string out, error;
    EXPECT_FALSE(BuildPackage(FakeStub(), p, &out, &error));
}

TEST(BuildPackage, ChecksumModes) {
    PackageDescription p;
    p.updateList = "|u|";
    const struct {
        ChecksumMode mode;
        uint32_t value;
        bool automatic;
    } cases[] = {{ChecksumMode::Auto, 0, true},
                 {ChecksumMode::Off, 1234, false},
                 {ChecksumMode::Fixed, 77, false}};
    for (const auto& c : cases) {
        p.checksumMode = c.mode;
        p.checksumValue = 77;
        const std::string out = Build(p);
        MemoryByteSource source(out);
        const uint32_t stored = U32At(out, out.size() - 74 + 16);
        EXPECT_EQ(stored, c.automatic ? ComputeChecksum(source, 74) : c.value);
        EXPECT_NE(stored, 0u);
    }
}

TEST(BuildPackage, RefusesAStubThatIsNoImage) {
    std::string out, error;
    PackageDescription p;
    EXPECT_FALSE(BuildPackage("MZ" + std::string(0x200, '\0'), p, &out, &error));
    EXPECT_NE(error, "");
}

TEST(StubImageOf, TheRecordedLogicalSizeOrTheWholeFile) {
    const std::string stub = FakeStub();
    std::string recorded = stub + "old package";
    PutU32(recorded, 0xFC, static_cast<uint32_t>(stub.size()));
    std::string beyond = stub;
    PutU32(beyond, 0xFC, static_cast<uint32_t>(stub.size() + 1));
    std::string cut = stub;
    PutU32(cut, 0xFC, 0x101);
    const struct {
        const char* name;
        std::string file;
        bool ok;
        size_t imageSize;
    } cases[] = {
        {"plain stub", stub, true, stub.size()},
        {"recorded logical size", recorded, true, stub.size()},
        {"logical size beyond the end", beyond, false, 0},
        {"logical size cutting the PE header", cut, false, 0},
        {"not an image", std::string(0x300, 'x'), false, 0},
    };
    for (const auto& c : cases) {
        std::string image, error;
        ASSERT_EQ(StubImageOf(c.file, &image, &error), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(image, c.file.substr(0, c.imageSize)) << c.name;
        } else {
            EXPECT_NE(error, "") << c.name;
        }
    }
}

TEST(BuildList, ChoosesADelimiterNoItemContains) {
    std::string list;
    ASSERT_TRUE(BuildList(DefaultUpdateItems(), &list));
    EXPECT_EQ(list, std::string("||.info|.exe|") + kDefaultAgentToken + "|0|");
    EXPECT_EQ(std::string(kDefaultAgentToken).size(), 36u);

    ASSERT_TRUE(BuildList({"a|b", "c"}, &list));
    EXPECT_EQ(list, "^a|b^c^");
    EXPECT_EQ(ListItem(list, 0, ""), "a|b");

    list = "unchanged";
    EXPECT_FALSE(BuildList({"|^!~@#$&*\xFF"}, &list));
    EXPECT_EQ(list, "unchanged");
}

TEST(ComputeSpaceTable, SumsRoundedUpPerClusterSize) {
    uint32_t table[kSpaceTableEntries];
    ComputeSpaceTable({0, 1, 512, 513, 70000}, table);
    EXPECT_EQ(table[0], 71026u);
    EXPECT_EQ(table[1], 0u + 512 + 512 + 1024 + 70144);
    EXPECT_EQ(table[4], 0u + 4096 + 4096 + 4096 + 73728);
    EXPECT_EQ(table[8], 0u + 65536 + 65536 + 65536 + 131072);

    ComputeSpaceTable({0xFFFFFFFFull, 1}, table);
    EXPECT_EQ(table[0], 0xFFFFFFFFu);
    EXPECT_EQ(table[8], 0xFFFFFFFFu);

    PackageDescription p;
    p.fileSizes = {1, 600};
    const std::string computed = Build(p);
    EXPECT_EQ(U32At(computed, computed.size() - 74 + 28), 601u);
    EXPECT_EQ(U32At(computed, computed.size() - 74 + 32), 1536u);
    p.spaceTableGiven = true;
    p.spaceTable[0] = 9;
    const std::string given = Build(p);
    EXPECT_EQ(U32At(given, given.size() - 74 + 28), 9u);
    EXPECT_EQ(U32At(given, given.size() - 74 + 32), 0u);
}

PackCommandLine Parse(std::vector<std::string> args, std::string* error = nullptr) {
    PackCommandLine line;
    std::string ignored;
    const bool ok = ParsePackCommandLine(args, &line, error ? error : &ignored);
    EXPECT_TRUE(ok || error) << (error ? "" : ignored);
    return line;
}

TEST(PackOptions, BuildOptionsFillTheDescription) {
    const PackCommandLine line = Parse({"build",
                                        "--stub",
                                        "s.exe",
                                        "--out=o.exe",
                                        "--agent-name",
                                        "agent.exe",
                                        "--hidden-setup",
                                        "--web-setup-name",
                                        "full.exe",
                                        "--skip-local-web-setup=01",
                                        "--more-volumes",
                                        "--agent-log",
                                        "--web-installer",
                                        "--create-agent=7",
                                        "--file-count",
                                        "0x10",
                                        "--checksum",
                                        "off",
                                        "--space-table",
                                        "1,2",
                                        "--trailer-size",
                                        "40",
                                        "--magic",
                                        "11223344",
                                        "--no-logical-size",
                                        "--append-bytes",
                                        "3",
                                        "--append-file",
                                        "sig.bin"});
    ASSERT_EQ(line.command, PackCommand::Build);
    const BuildOptions& o = line.build;
    EXPECT_EQ(o.stubPath, "s.exe");
    EXPECT_EQ(o.outPath, "o.exe");
    EXPECT_EQ(o.updateItems, (std::map<int, std::string>{{2, "agent.exe"}, {4, "1"}}));
    EXPECT_EQ(o.webItems, (std::map<int, std::string>{{1, "full.exe"}, {2, "01"}}));
    const PackageDescription& p = o.package;
    EXPECT_EQ(p.listCount, 3); // a web list option asks for the third list
    EXPECT_EQ(p.flags, kFlagMoreVolumes | kFlagAgentLog);
    EXPECT_EQ(p.webInstaller, 1);
    EXPECT_EQ(p.createAgent, 7);
    EXPECT_EQ(p.confirmDownload, 0);
    EXPECT_EQ(p.fileCount, 16u);
    EXPECT_EQ(p.checksumMode, ChecksumMode::Off);
    EXPECT_TRUE(p.spaceTableGiven);
    EXPECT_EQ(p.spaceTable[1], 2u);
    EXPECT_EQ(p.spaceTable[2], 0u);
    EXPECT_EQ(p.trailerSize, 40u);
    EXPECT_EQ(p.magic, 0x11223344u);
    EXPECT_FALSE(p.writeLogicalSize);
    ASSERT_EQ(o.appends.size(), 2u);
    EXPECT_EQ(o.appends[0].count, 3u);
    EXPECT_EQ(o.appends[1].file, "sig.bin");

    EXPECT_EQ(Parse({"build", "--stub", "s", "--out", "o"}).build.package.listCount, 2);
    EXPECT_EQ(Parse({"build", "--stub", "s", "--out", "o", "--checksum", "0x10"})
                  .build.package.checksumValue,
              16u);
    EXPECT_EQ(Parse({"--help"}).command, PackCommand::Help);
    EXPECT_EQ(Parse({"inspect", "x.exe"}).inspectPath, "x.exe");
}

TEST(PackOptions, MistakesAreRefused) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"pack"},
        {"build", "--out", "o"},
        {"build", "--stub", "s"},
        {"build", "--stub", "s", "--out", "o", "--frobnicate"},
        {"build", "--stub", "s", "--out", "o", "extra"},
        {"build", "--stub", "s", "--out", "o", "--file-count"},
        {"build", "--stub", "s", "--out", "o", "--file-count", "-1"},
        {"build", "--stub", "s", "--out", "o", "--file-count", "4294967296"},
        {"build", "--stub", "s", "--out", "o", "--list-count", "1"},
        {"build", "--stub", "s", "--out", "o", "--list-count", "2", "--web-token", "t"},
        {"build", "--stub", "s", "--out", "o", "--update-list", "f", "--agent-name", "a"},
        {"build", "--stub", "s", "--out", "o", "--web-list", "f", "--web-token", "t"},
        {"build", "--stub", "s", "--out", "o", "--checksum", "maybe"},
        {"build", "--stub", "s", "--out", "o", "--space-table", "1,2,3,4,5,6,7,8,9,10"},
        {"build", "--stub", "s", "--out", "o", "--space-table", "1,,2"},
        {"build", "--stub", "s", "--out", "o", "--trailer-size", "75"},
        {"build", "--stub", "s", "--out", "o", "--magic", "xyz"},
        {"build", "--stub", "s", "--out", "o", "--web-installer=256"},
        {"build", "--stub", "s", "--out", "o", "--agent-log=1"},
        {"inspect"},
        {"inspect", "a", "b"},
        {"inspect", "--frobnicate", "a"},
    };
    for (const auto& args : cases) {
        std::string error;
        PackCommandLine line;
        EXPECT_FALSE(ParsePackCommandLine(args, &line, &error)) << testing::PrintToString(args);
        EXPECT_NE(error, "") << testing::PrintToString(args);
    }
}

TEST(QuoteText, EscapesWhatCannotBePrinted) {
    EXPECT_EQ(QuoteText(""), "\"\"");
    EXPECT_EQ(QuoteText("a b"), "\"a b\"");
    EXPECT_EQ(QuoteText(std::string("\x02\0\"\\\x7F\xFF", 6)), "\"\\x02\\x00\\x22\\\\\\x7F\\xFF\"");
}

TEST(InspectReport, ShowsTheTrailerTheVerdictAndTheItems) {
    PackageDescription p;
    ASSERT_TRUE(BuildList(DefaultUpdateItems(), &p.updateList));
    p.flags = kFlagSpannedMedia;
    p.confirmDownload = 2;
    std::string image = Build(p);
    MemoryByteSource source(image);
    const std::string report = InspectReport(source);
    for (const char* line : {"PeImage: yes",
                             "TrailerSize: 74",
                             "ListCount: 2",
                             "DataOffset: 768",
                             "Magic: 0x4A3B2C1D",
                             "MagicMatches: yes",
                             "ChecksumVerdict: PASS",
                             "SpannedMedia: yes",
                             "AgentLog: no",
                             "ConfirmDownload: 2",
                             "Package: yes",
                             "UpdateList.Delimiter: \"|\"",
                             "UpdateList.Items: 5",
                             "UpdateList.Item0: \"\"",
                             "UpdateList.Item1: \".info\"",
                             "UpdateList.Item3: (token, 36 characters)",
                             "WebList: absent",
                             "InfoFile: \".info\"",
                             "OriginalFile: \".original\"",
                             "AgentTokenLength: 36",
                             "HiddenSetup: no",
                             "LanguageTable.Delimiter: \"\\x02\""})
        EXPECT_TRUE(HasLine(report, line)) << line << "\n" << report;
    EXPECT_EQ(report.find(kDefaultAgentToken), std::string::npos);

    image[0x200] ^= 1;
    EXPECT_TRUE(HasLine(InspectReport(source), "ChecksumVerdict: FAIL"));

    const std::string stub = FakeStub();
    MemoryByteSource bare(stub);
    const std::string none = InspectReport(bare);
    EXPECT_TRUE(HasLine(none, "TrailerFound: no"));
    EXPECT_TRUE(HasLine(none, "Package: no"));
    EXPECT_TRUE(HasLine(none, "UpdateList: absent"));
}

class PackCommands : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TempDir() + "pack_build_test_" +
               testing::UnitTest::GetInstance()->current_test_info()->name() + "_";
    }
    std::string Path(const std::string& name) const { return dir_ + name; }
    void Write(const std::string& name, const std::string& bytes) {
        std::string error;
        ASSERT_TRUE(WriteFileReplacing(Path(name), bytes, &error)) << error;
        written_.push_back(Path(name));
    }
    int Run(const std::vector<std::string>& args, std::string* out = nullptr) {
        return fixtures::RunPackCaptured(args, out, &error_);
    }
    void TearDown() override {
        for (const std::string& path : written_)
            std::remove(path.c_str());
    }

    std::string dir_;
    std::string error_;
    std::vector<std::string> written_;
};

TEST_F(PackCommands, BuildsFromRawListFilesAndInspects) {
    Write("stub.exe", FakeStub());
    const std::string update("|a\0b|c|", 8); // stored as it is, NUL included
    Write("update.lst", update);
    Write("lang.lst", "^|English|s1=Hi|^");
    Write("sig.bin", "SIGNATURE");
    written_.push_back(Path("out.exe"));
    ASSERT_EQ(Run({"build", "--stub", Path("stub.exe"), "--out", Path("out.exe"), "--update-list",
                   Path("update.lst"), "--lang-list", Path("lang.lst"), "--append-file",
                   Path("sig.bin"), "--append-bytes", "2"}),
              0)
        << error_;

    std::string out, error;
    ASSERT_TRUE(ReadWholeFile(Path("out.exe"), &out, &error));
    EXPECT_EQ(out.substr(out.size() - 11), "SIGNATURE\xA5\xA5");
    const TGFileInfo info(Path("out.exe"));
    ASSERT_TRUE(info.HasPackage());
    EXPECT_EQ(info.UpdateList(), update);
    EXPECT_EQ(info.LanguageTable(), "^|English|s1=Hi|^");
    EXPECT_FALSE(FileExists(Path("out.exe") + ".zelkor-pack.tmp"));

    std::string report;
    ASSERT_EQ(Run({"inspect", Path("out.exe")}, &report), 0);
    EXPECT_TRUE(HasLine(report, "UpdateList.Item0: \"a\\x00b\"")) << report;
    EXPECT_TRUE(HasLine(report, "ChecksumVerdict: PASS")) << report;
    EXPECT_TRUE(HasLine(report, "PhysicalSize: " + std::to_string(out.size())));
    EXPECT_TRUE(HasLine(report, "LogicalSize: " + std::to_string(out.size() - 11)));
    EXPECT_NE(Run({"inspect", Path("missing.exe")}), 0);
}

TEST_F(PackCommands, FailuresLeaveNoOutputBehind) {
    Write("stub.exe", FakeStub());
    Write("notpe.exe", std::string(0x300, 'x'));
    Write("old.exe", "previous build");
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {"missing stub", {"--stub", Path("none.exe")}, "new.exe"},
        {"stub not an image", {"--stub", Path("notpe.exe")}, "new.exe"},
        {"missing list file", {"--stub", Path("stub.exe"), "--web-list", Path("none")}, "new.exe"},
        {"missing appended file",
         {"--stub", Path("stub.exe"), "--append-file", Path("none")},
         "old.exe"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"build", "--out", Path(c.out)};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(Run(args), 1) << c.name;
        EXPECT_NE(error_, "") << c.name;
        EXPECT_FALSE(FileExists(Path("new.exe"))) << c.name;
        EXPECT_FALSE(FileExists(Path(c.out) + ".zelkor-pack.tmp")) << c.name;
    }
    std::string old, error;
    ASSERT_TRUE(ReadWholeFile(Path("old.exe"), &old, &error));
    EXPECT_EQ(old, "previous build");

    // The rename onto a folder fails after the bytes were written.
    ASSERT_EQ(mkdir(Path("folder").c_str(), 0755), 0);
    EXPECT_EQ(Run({"build", "--stub", Path("stub.exe"), "--out", Path("folder")}), 1);
    EXPECT_FALSE(FileExists(Path("folder") + ".zelkor-pack.tmp"));
    rmdir(Path("folder").c_str());
}

} // namespace
} // namespace zelkor
