#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>
#include <vector>

#include "block_encoder.h"
#include "commands.h"
#include "dos_time.h"
#include "file_io.h"
#include "block_report.h"
#include "memory_extract_host.h"
#include "options.h"
#include "pack_files.h"
#include "package/file_info.h"
#include "package/package_extraction.h"
#include "package/volume_names.h"
#include "package/zlib_inflate.h"
#include "pack_cli.h"
#include "package_fixtures.h"
#include "volume_layout.h"

namespace zelkor {
namespace {

using fixtures::FakeStub;
using fixtures::MemoryExtractHost;

// Incompressible bytes, the same on every run.
std::string Noise(size_t size, uint32_t seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = char(seed >> 23);
    }
    return bytes;
}

std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

void RemoveTree(const std::string& path) {
    if (DIR* dir = opendir(path.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") RemoveTree(path + "/" + name);
        }
        closedir(dir);
        rmdir(path.c_str());
    } else {
        std::remove(path.c_str());
    }
}

std::string ReadFile(const std::string& path) {
    std::string bytes, error;
    EXPECT_TRUE(ReadWholeFile(path, &bytes, &error)) << error;
    return bytes;
}

bool HasLine(const std::string& report, const std::string& line) {
    return ("\n" + report).find("\n" + line + "\n") != std::string::npos;
}

class PackFilesTest : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = testing::TempDir() + "pack_files_" +
               testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveTree(dir_);
        ASSERT_EQ(mkdir(dir_.c_str(), 0755), 0);
        dir_ += "/";
    }
    void TearDown() override { RemoveTree(dir_); }

    std::string Path(const std::string& name) const { return dir_ + name; }
    void Folder(const std::string& name) { ASSERT_EQ(mkdir(Path(name).c_str(), 0755), 0); }
    void Write(const std::string& name, const std::string& bytes, std::time_t when = 0) {
        std::string error;
        ASSERT_TRUE(WriteFileReplacing(Path(name), bytes, &error)) << error;
        if (when != 0) {
            struct utimbuf times = {when, when};
            ASSERT_EQ(utime(Path(name).c_str(), &times), 0);
        }
    }
    // The usual tree: a compressible engine, a large incompressible file in
    // a subfolder, an empty file deeper down, an empty folder.
    void WriteTree() {
        Folder("src");
        Folder("src/data");
        Folder("src/data/deep");
        Folder("src/nothing");
        Write("src/setup.exe", std::string(20000, 'e') + "engine", times_[0]);
        Write("src/data/random.bin", Noise(70000, 7), times_[1]);
        Write("src/data/deep/empty.txt", "", times_[2]);
        Write("src/notes.txt", std::string("a\0b\0c", 5), times_[0]);
    }
    std::vector<PackedFile> Collect(std::vector<std::string> adds) {
        std::vector<PackedFile> files;
        std::string error;
        EXPECT_TRUE(CollectFiles(adds, &files, &error)) << error;
        return files;
    }
    std::vector<std::string> Volumes(const std::vector<PackedFile>& files,
                                     const LayoutOptions& layout) {
        PackageDescription p;
        p.updateList = "|u|";
        p.fileCount = uint32_t(files.size());
        std::vector<std::string> volumes;
        std::string error;
        EXPECT_TRUE(BuildVolumes(FakeStub(), p, files, layout, &volumes, &error)) << error;
        return volumes;
    }
    // Extracts volumes named C:\m\pkg.exe, .002, ... into C:\out.
    ExtractOutcome Extract(const std::vector<std::string>& volumes) {
        for (size_t i = 0; i < volumes.size(); ++i)
            host_.files[i == 0 ? "C:\\m\\pkg.exe" : VolumeFileName("C:\\m\\pkg.exe", int(i + 1))]
                .data = volumes[i];
        ExtractOptions options;
        options.volumePath = "C:\\m\\pkg.exe";
        options.destination = "C:\\out";
        SaveFailures failures;
        return ExtractPackage(options, host_, failures);
    }
    void ExpectTreeExtracted() {
        EXPECT_EQ(host_.Data("C:\\out\\setup.exe"), ReadFile(Path("src/setup.exe")));
        EXPECT_EQ(host_.Data("C:\\out\\data\\random.bin"), ReadFile(Path("src/data/random.bin")));
        EXPECT_EQ(host_.Data("C:\\out\\notes.txt"), ReadFile(Path("src/notes.txt")));
        ASSERT_TRUE(host_.Has("C:\\out\\data\\deep\\empty.txt"));
        EXPECT_EQ(host_.Data("C:\\out\\data\\deep\\empty.txt"), "");
        EXPECT_EQ(host_.files["C:\\out\\setup.exe"].dosDate, DosDateTimeFromTime(times_[0]));
        EXPECT_EQ(host_.files["C:\\out\\data\\random.bin"].dosDate, DosDateTimeFromTime(times_[1]));
        EXPECT_EQ(host_.files["C:\\out\\data\\deep\\empty.txt"].dosDate,
                  DosDateTimeFromTime(times_[2]));
    }

    std::string dir_;
    MemoryExtractHost host_;
    const std::time_t times_[3] = {LocalTime(2019, 1, 14, 13, 37, 42),
                                   LocalTime(2020, 2, 29, 23, 59, 58),
                                   LocalTime(2001, 12, 1, 0, 0, 0)};
};

TEST_F(PackFilesTest, FilesComeBackByteForByteWithTheirTimes) {
    WriteTree();
    std::vector<PackedFile> files = Collect({Path("src")});
    std::string error;
    ASSERT_TRUE(MarkRunEntry("setup.exe /S /D=x", &files, &error)) << error;
    LayoutOptions layout;
    layout.pieceSize = 16384;
    const std::vector<std::string> volumes = Volumes(files, layout);
    ASSERT_EQ(volumes.size(), 1u);

    const ExtractOutcome outcome = Extract(volumes);
    EXPECT_TRUE(outcome.packageValid) << outcome.damage;
    EXPECT_EQ(outcome.runEntry, "setup.exe* /S /D=x");
    ExpectTreeExtracted();
    EXPECT_FALSE(host_.folders.count("C:\\out\\nothing"));
    EXPECT_EQ(host_.Steps(), 4);

    Write("out.exe", volumes[0]);
    const std::string blocks = InspectBlocks(Path("out.exe"));
    // 70000 bytes in pieces of 16384: five blocks, none holding more.
    std::vector<std::string> pieces;
    for (size_t at = blocks.find("\"data\\\\random.bin\""); at != std::string::npos;
         at = blocks.find("\"data\\\\random.bin\"", at + 1)) {
        const size_t data = blocks.find(" data=", at) + 6;
        pieces.push_back(blocks.substr(data, blocks.find('\n', data) - data));
    }
    const std::vector<std::string> sizes = {"16384", "16384", "16384", "16384", "4464"};
    EXPECT_EQ(pieces, sizes) << blocks;
    EXPECT_NE(blocks.find("stored length=-"), std::string::npos) << blocks;
    EXPECT_NE(blocks.find("zlib length="), std::string::npos) << blocks;
    EXPECT_NE(blocks.find("name=\"setup.exe* /S /D=x\""), std::string::npos) << blocks;
}

TEST_F(PackFilesTest, LevelZeroStoresEveryBlock) {
    WriteTree();
    LayoutOptions layout;
    layout.level = 0;
    const std::vector<std::string> volumes = Volumes(Collect({Path("src")}), layout);
    Write("out.exe", volumes[0]);
    const std::string blocks = InspectBlocks(Path("out.exe"));
    EXPECT_EQ(blocks.find(" zlib "), std::string::npos) << blocks;
    EXPECT_TRUE(Extract(volumes).packageValid);
    ExpectTreeExtracted();
}

TEST_F(PackFilesTest, VolumesHoldAtMostTheirSizeAndExtractWhole) {
    WriteTree();
    LayoutOptions layout;
    layout.volumeSize = 30000;
    const std::vector<std::string> volumes = Volumes(Collect({Path("src")}), layout);
    ASSERT_GE(volumes.size(), 3u);
    for (size_t i = 0; i < volumes.size(); ++i) {
        EXPECT_LE(volumes[i].size(), 30000u) << i;
        MemoryByteSource source(volumes[i]);
        TrailerRecord record{};
        ASSERT_TRUE(ReadTrailer(source, record)) << i;
        EXPECT_EQ(record.DataOffset(), i == 0 ? 0x300u : 0u) << i;
        EXPECT_EQ(bool(record.Flags() & kFlagMoreVolumes), i + 1 < volumes.size()) << i;
        EXPECT_EQ(ComputeChecksum(source, record.TrailerSize()), record.Checksum()) << i;
    }
    const ExtractOutcome outcome = Extract(volumes);
    EXPECT_TRUE(outcome.packageValid) << outcome.damage;
    ExpectTreeExtracted();
    EXPECT_TRUE(host_.prompts.empty());
}

TEST_F(PackFilesTest, AFurtherVolumeNeverReadsAsAnExecutable) {
    // A stored block of 42419 content bytes has a length whose first bytes
    // are "MZ"; "PE" at 0x100 completes the look of an executable.
    std::string data(42419 - 11, 'd');
    data[0x100 - 4 - 11] = 'P';
    data[0x100 - 4 - 10] = 'E';
    const std::string block = fixtures::StoredBlock(fixtures::FileContent("|pe.bin|0|", data));
    ASSERT_EQ(block.substr(0, 2), "MZ");
    PackageDescription p;
    p.updateList = "|u|";
    const std::string volume = BuildFollowingVolume(p, block);
    EXPECT_EQ(volume.substr(0, 5), std::string("\xFF\xFF\xFF\xFF\0", 5));

    p.flags = kFlagMoreVolumes;
    const ExtractOutcome outcome = Extract({fixtures::Build(p), volume});
    EXPECT_TRUE(outcome.packageValid) << outcome.damage;
    EXPECT_EQ(host_.Data("C:\\out\\pe.bin"), data);
}

TEST_F(PackFilesTest, NamesFromPathsAndRenames) {
    Folder("dir");
    Folder("dir/sub");
    Write("dir/sub/a.txt", "a");
    Write("dir/b.txt", "b");
    Write("one=two.txt", "eq");
    Write("c.txt", "c");
    const std::vector<PackedFile> files =
        Collect({Path("dir"), Path("c.txt=docs/readme.txt"), Path("dir=copy"), Path("one=two.txt"),
                 Path("c.txt") + "=x=y.txt"});
    std::vector<std::string> names;
    for (const PackedFile& f : files)
        names.push_back(f.storedName);
    const std::vector<std::string> expected = {
        "b.txt",       "sub\\a.txt", "docs\\readme.txt", "copy\\b.txt", "copy\\sub\\a.txt",
        "one=two.txt", "x=y.txt"};
    EXPECT_EQ(names, expected);
    EXPECT_EQ(files[2].size, 1u);
}

TEST_F(PackFilesTest, NamesTheStubCannotWriteAreRefused) {
    Write("a.txt", "a");
    Folder("d");
    Write("d/A.TXT", "A");
    const struct {
        const char* name;
        std::vector<std::string> adds;
    } cases[] = {
        {"missing", {Path("none.txt")}},
        {"same name ignoring case", {Path("a.txt"), Path("d")}},
        {"..", {Path("a.txt") + "=..\\a.txt"}},
        {"drive", {Path("a.txt") + "=C:\\a.txt"}},
        {"absolute", {Path("a.txt") + "=/a.txt"}},
        {"star", {Path("a.txt") + "=a*.txt"}},
        {"pipe", {Path("a.txt") + "=a|b.txt"}},
        {"empty level", {Path("a.txt") + "=x\\\\a.txt"}},
        {"empty", {Path("a.txt") + "="}},
    };
    for (const auto& c : cases) {
        std::vector<PackedFile> files;
        std::string error;
        EXPECT_FALSE(CollectFiles(c.adds, &files, &error)) << c.name;
        EXPECT_NE(error, "") << c.name;
    }
}

TEST(MarkRunEntry, TheLongestMatchingNameGetsTheStarAndTail) {
    const struct {
        const char* run;
        const char* marked; // empty: refused
    } cases[] = {
        {"setup.exe", "setup.exe*"},
        {"setup.exe /S x", "setup.exe* /S x"},
        {"SETUP.EXE /S", "setup.exe* /S"},
        {"setup.exe*/q", "setup.exe*/q"},
        {"sub/tool.exe -q", "sub\\tool.exe* -q"},
        {"My App.exe /x", "My App.exe* /x"},
        {"My", "My*"},
        {"setup.exe2", ""},
        {"nothere.exe", ""},
    };
    for (const auto& c : cases) {
        std::vector<PackedFile> files(4);
        files[0].storedName = "setup.exe";
        files[1].storedName = "sub\\tool.exe";
        files[2].storedName = "My";
        files[3].storedName = "My App.exe";
        std::string error;
        const bool marked = MarkRunEntry(c.run, &files, &error);
        EXPECT_EQ(marked, *c.marked != '\0') << c.run;
        if (!marked) continue;
        int stars = 0;
        for (const PackedFile& f : files) {
            if (f.storedName.find('*') == std::string::npos) continue;
            ++stars;
            EXPECT_EQ(f.storedName, c.marked) << c.run;
        }
        EXPECT_EQ(stars, 1) << c.run;
    }
}

TEST(DosTime, LocalTimesInTwoSecondStepsClampedToTheDosRange) {
    const std::time_t when = LocalTime(2019, 7, 14, 13, 37, 43);
    const uint32_t dos = DosDateTimeFromTime(when);
    EXPECT_EQ(dos, uint32_t((39 << 9) | (7 << 5) | 14) << 16 | (13 << 11) | (37 << 5) | 21);
    EXPECT_EQ(DosDateTimeText(dos), "2019-07-14T13:37:42");
    std::time_t back = 0;
    ASSERT_TRUE(TimeFromDosDateTime(dos, &back));
    EXPECT_EQ(back, when - 1);

    EXPECT_EQ(DosDateTimeText(DosDateTimeFromTime(LocalTime(1975, 6, 1, 12, 0, 0))),
              "1980-01-01T00:00:00");
    EXPECT_EQ(DosDateTimeText(0), "none");
    EXPECT_EQ(DosDateTimeText(0x00000000u | 13u << 21), "invalid");
    EXPECT_FALSE(TimeFromDosDateTime(13u << 21 | 1u << 16, &back));
}

// Collects what a block inflates to.
class Collect : public InflateOutput {
  public:
    bool Inflated(const char* bytes, size_t count) override {
        text.append(bytes, count);
        return true;
    }
    std::string text;
};

TEST(EncodeBlock, CompressedOnlyWhenSmaller) {
    const std::string text = "|a.txt|0|" + std::string(1, '\0') + std::string(5000, 'a');
    const std::string packed = EncodeBlock(text, 9);
    const int32_t length = int32_t(fixtures::U32At(packed, 0));
    ASSERT_GT(length, 0);
    EXPECT_EQ(size_t(length) + 4, packed.size());
    ZlibInflater inflater;
    Collect out;
    ASSERT_TRUE(inflater.Feed(packed.data() + 4, packed.size() - 4, out) && inflater.Finish());
    EXPECT_EQ(out.text, text);

    for (const std::string& content : {Noise(3000, 3), std::string("|b|0|\0", 6)}) {
        const std::string stored = EncodeBlock(content, 9);
        EXPECT_EQ(int32_t(fixtures::U32At(stored, 0)), -int32_t(content.size()));
        EXPECT_EQ(stored.substr(4), content);
    }
    EXPECT_LT(int32_t(fixtures::U32At(EncodeBlock(text, 0), 0)), 0);
}

TEST(PackOptions, FileOptionsAndTheirMistakes) {
    PackCommandLine line;
    std::string error;
    ASSERT_TRUE(ParsePackCommandLine({"build", "--stub", "s", "--out", "o", "--add", "a",
                                      "--add=b=c", "--run", "a /x", "--level", "3", "--piece-size",
                                      "0x1000", "--volume-size", "1474560"},
                                     &line, &error))
        << error;
    const std::vector<std::string> adds = {"a", "b=c"};
    EXPECT_EQ(line.build.adds, adds);
    EXPECT_EQ(line.build.run, "a /x");
    EXPECT_EQ(line.build.layout.level, 3);
    EXPECT_EQ(line.build.layout.pieceSize, 4096u);
    EXPECT_EQ(line.build.layout.volumeSize, 1474560u);
    EXPECT_FALSE(line.build.fileCountGiven);

    ASSERT_TRUE(ParsePackCommandLine({"extract", "pkg.exe", "out"}, &line, &error)) << error;
    EXPECT_EQ(line.command, PackCommand::Extract);
    EXPECT_EQ(line.extractPackage, "pkg.exe");
    EXPECT_EQ(line.extractDestination, "out");
    ASSERT_TRUE(ParsePackCommandLine({"inspect", "--blocks", "pkg.exe"}, &line, &error));
    EXPECT_TRUE(line.inspectBlocks);

    const std::vector<std::vector<std::string>> mistakes = {
        {"build", "--stub", "s", "--out", "o", "--level", "10"},
        {"build", "--stub", "s", "--out", "o", "--piece-size", "0"},
        {"build", "--stub", "s", "--out", "o", "--piece-size", "1073741825"},
        {"build", "--stub", "s", "--out", "o", "--volume-size", "0"},
        {"build", "--stub", "s", "--out", "o", "--run", "setup.exe"},
        {"extract", "pkg.exe"},
        {"extract", "pkg.exe", "out", "more"},
        {"extract", "--force", "pkg.exe", "out"},
    };
    for (const auto& args : mistakes)
        EXPECT_FALSE(ParsePackCommandLine(args, &line, &error)) << args.back();
}

class PackCli : public PackFilesTest {
  protected:
    int Run(const std::vector<std::string>& args, std::string* out = nullptr) {
        return fixtures::RunPackCaptured(args, out, &error_);
    }
    std::time_t ModificationTime(const std::string& name) {
        struct stat st;
        EXPECT_EQ(stat(Path(name).c_str(), &st), 0) << name;
        return st.st_mtime;
    }

    std::string error_;
};

TEST_F(PackCli, BuildExtractAndInspectAcrossVolumes) {
    WriteTree();
    Write("stub.exe", FakeStub());
    std::string out;
    ASSERT_EQ(Run({"build", "--stub", Path("stub.exe"), "--out", Path("pkg.exe.001"), "--add",
                   Path("src"), "--add", Path("src/notes.txt") + "=docs/notes.txt", "--run",
                   "setup.exe /S", "--volume-size", "40000"},
                  &out),
              0)
        << error_;
    EXPECT_NE(out.find("wrote " + Path("pkg.exe.001") + " ("), std::string::npos) << out;
    EXPECT_NE(out.find("wrote " + Path("pkg.exe.002") + " ("), std::string::npos) << out;
    const TGFileInfo info(Path("pkg.exe.001"));
    EXPECT_EQ(info.Record().FileCount(), 5u);
    EXPECT_EQ(info.Record().SpaceTable(0), 20006u + 70000u + 5u + 5u);
    EXPECT_TRUE(info.MoreVolumes());

    ASSERT_EQ(Run({"extract", Path("pkg.exe.001"), Path("dest")}, &out), 0) << error_;
    const std::string lines[] = {
        "extracted: \"data\\\\random.bin\" (70000 bytes)",
        "extracted: \"data\\\\deep\\\\empty.txt\" (0 bytes)",
        "extracted: \"docs\\\\notes.txt\" (5 bytes)",
        "run: \"setup.exe* /S\"",
    };
    for (const std::string& line : lines)
        EXPECT_TRUE(HasLine(out, line)) << line << "\n" << out;
    EXPECT_EQ(ReadFile(Path("dest/data/random.bin")), ReadFile(Path("src/data/random.bin")));
    EXPECT_EQ(ReadFile(Path("dest/docs/notes.txt")), ReadFile(Path("src/notes.txt")));
    EXPECT_EQ(ModificationTime("dest/setup.exe"), times_[0]);
    EXPECT_EQ(ModificationTime("dest/data/random.bin"), times_[1]);

    std::string report;
    ASSERT_EQ(Run({"inspect", "--blocks", Path("pkg.exe.001")}, &report), 0);
    EXPECT_TRUE(HasLine(report, "Block1: offset=768 list length=1")) << report;
    EXPECT_TRUE(HasLine(report, "Volume2.DataOffset: 0")) << report;
    EXPECT_TRUE(HasLine(report, "Volume2.ChecksumVerdict: PASS")) << report;
    EXPECT_NE(report.find(" time=2019-01-14T13:37:42 data=20006\n"), std::string::npos) << report;
    EXPECT_NE(report.find("\nBlocks: "), std::string::npos) << report;
}

TEST_F(PackCli, ExtractRefusals) {
    Write("stub.exe", FakeStub());
    Folder("src");
    Write("src/a.txt", Noise(50000, 1));
    ASSERT_EQ(Run({"build", "--stub", Path("stub.exe"), "--out", Path("pkg.exe"), "--add",
                   Path("src"), "--volume-size", "30000"}),
              0)
        << error_;
    std::string pkg = ReadFile(Path("pkg.exe"));
    pkg[pkg.size() - 200] ^= 1;
    Write("flipped.exe", pkg);
    Write("flipped.exe.002", ReadFile(Path("pkg.exe.002")));
    Folder("full");
    Write("full/old.txt", "old");

    const struct {
        const char* name;
        std::string package;
        std::string dest;
        const char* message;
    } cases[] = {
        {"no package", Path("stub.exe"), Path("d1"), "holds no package"},
        {"missing", Path("none.exe"), Path("d2"), "cannot open"},
        {"not empty", Path("pkg.exe"), Path("full"), "new or empty folder"},
        {"damaged", Path("flipped.exe"), Path("d3"), "is damaged: the checksum of volume 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run({"extract", c.package, c.dest}), 1) << c.name;
        EXPECT_NE(error_.find(c.message), std::string::npos) << c.name << ": " << error_;
    }
    ASSERT_EQ(std::remove(Path("pkg.exe.002").c_str()), 0);
    EXPECT_EQ(Run({"extract", Path("pkg.exe"), Path("d4")}), 1);
    EXPECT_NE(error_.find("a volume is missing: " + Path("pkg.exe.002")), std::string::npos)
        << error_;
}

TEST_F(PackCli, BuildRefusals) {
    Write("stub.exe", FakeStub());
    Write("a.txt", "a");
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {"volume too small for the stub",
         {"--add", Path("a.txt"), "--volume-size", "800"},
         "smaller than the stub"},
        {"run names no file", {"--add", Path("a.txt"), "--run", "b.txt"}, "no added file"},
        {"missing file", {"--add", Path("b.txt")}, "no such file"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"build", "--stub", Path("stub.exe"), "--out",
                                         Path("out.exe")};
        args.insert(args.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(Run(args), 1) << c.name;
        EXPECT_NE(error_.find(c.message), std::string::npos) << c.name << ": " << error_;
        struct stat st;
        EXPECT_NE(stat(Path("out.exe").c_str(), &st), 0) << c.name;
    }
}

} // namespace
} // namespace zelkor
