#include <gtest/gtest.h>

#include <windows.h>

#include "../unit/package_fixtures.h"
#include "pack_files.h"
#include "package/extract_package.h"
#include "package/file_info.h"
#include "package/volume_names.h"
#include "setup/file_helpers.h"
#include "test_folder.h"
#include "util/win_handles.h"
#include "volume_layout.h"

namespace zelkor {
namespace {

// Incompressible bytes, the same on every run.
Text Noise(size_t size) {
    Text bytes(size, '\0');
    uint32_t seed = 7;
    for (size_t i = 0; i < size; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = char(seed >> 23);
    }
    return bytes;
}

// 14 January 2019 13:37:42 and 2 January 2007 08:00:00, local time.
constexpr uint32_t kEngineDate =
    uint32_t((39 << 9) | (1 << 5) | 14) << 16 | (13 << 11) | (37 << 5) | 21;
constexpr uint32_t kDataDate = uint32_t((27 << 9) | (1 << 5) | 2) << 16 | (8 << 11);

struct Steps {
    int ranges = 0;
    int high = -1;
    int steps = 0;
};
Steps progress;

void RecordProgress(int mode, int, int high, int, int, const Text&) {
    if (mode == 0) {
        ++progress.ranges;
        progress.high = high;
    } else {
        ++progress.steps;
    }
}

class ExtractPackageWinTest : public FolderTest {
  protected:
    ExtractPackageWinTest() : FolderTest("ep_") {}

    void SetUp() override {
        FolderTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(ForceDirectories(Path("src\\sub")));
        ASSERT_TRUE(WriteFileText(Path("src\\setup.exe"), Text(30000, 'e'), kEngineDate, false));
        ASSERT_TRUE(WriteFileText(Path("src\\sub\\data.bin"), Noise(100000), kDataDate, false));
        ASSERT_TRUE(WriteFileText(Path("src\\empty.txt"), Text(), kDataDate, false));
        progress = Steps();
    }

    // Packs src with the builder into `name` and its further volumes.
    size_t Pack(const Text& name, uint64_t volumeSize) {
        std::vector<PackedFile> files;
        std::string error;
        EXPECT_TRUE(CollectFiles({Path("src")}, &files, &error)) << error;
        EXPECT_TRUE(MarkRunEntry("setup.exe /S", &files, &error)) << error;
        PackageDescription package;
        package.updateList = "|u|";
        package.fileCount = uint32_t(files.size());
        LayoutOptions layout;
        layout.pieceSize = 32768;
        layout.volumeSize = volumeSize;
        std::vector<std::string> volumes;
        EXPECT_TRUE(BuildVolumes(fixtures::FakeStub(), package, files, layout, &volumes, &error))
            << error;
        for (size_t i = 0; i < volumes.size(); ++i) {
            const Text volume =
                i == 0 ? Path(name) : VolumeFileName(VolumeBaseName(Path(name)), int(i + 1));
            EXPECT_TRUE(WriteFileText(volume, volumes[i], 0, false)) << volume;
        }
        return volumes.size();
    }
    ExtractOutcome Extract(const Text& volume, const Text& agent = Text()) {
        ExtractOptions options;
        options.volumePath = Path(volume);
        options.destination = Path("out");
        options.agentName = agent;
        options.progress = RecordProgress;
        return ExtractPackage(options);
    }
    void ExpectFilesExtracted() {
        EXPECT_EQ(ReadFileText(Path("out\\setup.exe"), 0, 0), Text(30000, 'e'));
        EXPECT_EQ(ReadFileText(Path("out\\sub\\data.bin"), 0, 0), Noise(100000));
        EXPECT_TRUE(FileExists(Path("out\\empty.txt")));
        EXPECT_EQ(FileSizeByName(Path("out\\empty.txt")), 0);
        EXPECT_EQ(FileDosDateTime(Path("out\\setup.exe")), FileDosDateTime(Path("src\\setup.exe")));
        EXPECT_EQ(FileDosDateTime(Path("out\\sub\\data.bin")), kDataDate);
        EXPECT_EQ(FileDosDateTime(Path("out\\empty.txt")), kDataDate);
    }
};

TEST_F(ExtractPackageWinTest, WritesFilesWithTheirTimesTheRunEntryAndTheAgent) {
    ASSERT_EQ(Pack("pkg.exe", 0), 1u);
    const ExtractOutcome outcome = Extract("pkg.exe", "C:\\App\\agent.exe");
    EXPECT_TRUE(outcome.packageValid) << outcome.damage;
    EXPECT_EQ(outcome.runEntry, "setup.exe* /S");
    ExpectFilesExtracted();
    EXPECT_EQ(progress.high, 3);
    EXPECT_EQ(progress.steps, 3);

    const TGFileInfo agent(Path("out\\agent.exe"));
    EXPECT_TRUE(agent.HasPackage());
    EXPECT_EQ(agent.AutoUpdateProg(), 1);
    EXPECT_EQ(agent.UpdateList(), "|u|");
    EXPECT_EQ(FileDosDateTime(Path("out\\agent.exe")), FileDosDateTime(Path("pkg.exe")));
}

TEST_F(ExtractPackageWinTest, ContinuesIntoFurtherVolumes) {
    ASSERT_GE(Pack("pkg.exe.001", 40000), 3u);
    EXPECT_TRUE(FileExists(Path("pkg.exe.002")));
    const ExtractOutcome outcome = Extract("pkg.exe.001");
    EXPECT_TRUE(outcome.packageValid) << outcome.damage;
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.runEntry, "setup.exe* /S");
    ExpectFilesExtracted();
}

TEST_F(ExtractPackageWinTest, RefusesANameThatLeavesTheDestination) {
    const Text content = Text("|..\\evil.txt|0|") + '\0' + "evil";
    PackageDescription package;
    package.updateList = "|u|";
    package.blocks = fixtures::U32Bytes(0u - uint32_t(content.size())) + content;
    std::string installer;
    std::string error;
    ASSERT_TRUE(BuildPackage(fixtures::FakeStub(), package, &installer, &error)) << error;
    ASSERT_TRUE(WriteFileText(Path("bad.exe"), installer, 0, false));
    const ExtractOutcome outcome = Extract("bad.exe");
    EXPECT_FALSE(outcome.packageValid);
    EXPECT_NE(outcome.damage, "");
    EXPECT_FALSE(FileExists(Path("evil.txt")));
}

} // namespace
} // namespace zelkor
