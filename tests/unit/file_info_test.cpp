#include <gtest/gtest.h>

#include <cstdio>

#include "file_io.h"
#include "package/file_info.h"
#include "package_fixtures.h"

namespace zelkor {
namespace {

using fixtures::Build;
using fixtures::PutU32;
using fixtures::U32Bytes;

constexpr uint32_t kDataOffset = 0x300; // size of the fixture stub

TEST(TGFileInfo, ReadsThreeListsWhenTheWebListIsThere) {
    PackageDescription p;
    p.listCount = 3;
    p.languageTable = "^|English|s1=Setup|^";
    p.updateList = "|http://u/|app.info|agent.exe|TOKEN|1|";
    p.webList = "|http://w/|full.exe|1|WTOKEN|123456|";
    p.blocks = "BLOCKS";
    const std::string image = Build(p);
    MemoryByteSource source(image);
    const TGFileInfo info(source);

    ASSERT_TRUE(info.HasPackage());
    EXPECT_EQ(info.LanguageTable(), p.languageTable);
    EXPECT_EQ(info.UpdateList(), p.updateList);
    EXPECT_EQ(info.WebList(), p.webList);
    EXPECT_EQ(image.substr(info.BlocksOffset(), 6), "BLOCKS");
    EXPECT_EQ(info.GetUpdateBaseUrl(), "http://u/");
    EXPECT_EQ(info.GetInfoFileName(), "app.info");
    EXPECT_EQ(info.GetOriginalFileName(), "app.original");
    EXPECT_EQ(info.GetAgentExeName(), "agent.exe");
    EXPECT_EQ(info.GetAgentTokenItem(), "TOKEN");
    EXPECT_TRUE(info.IsHiddenSetup());
    EXPECT_EQ(info.GetWebBaseUrl(), "http://w/");
    EXPECT_EQ(info.GetWebSetupName(), "full.exe");
    EXPECT_TRUE(info.SkipLocalWebSetup());
    EXPECT_EQ(info.GetWebTokenItem(), "WTOKEN");
    EXPECT_EQ(info.GetWebSetupSize(), "123456");
}

TEST(TGFileInfo, WithTwoListsTheBytesAfterTheUpdateListAreLeftForTheBlocks) {
    PackageDescription p;
    p.updateList = "|u|";
    // Shaped like a third list, so a reader that took it would be caught.
    p.blocks = U32Bytes(3) + "|w|";
    const std::string image = Build(p);
    MemoryByteSource source(image);
    const TGFileInfo info(source);
    ASSERT_TRUE(info.HasPackage());
    EXPECT_EQ(info.WebList(), "");
    EXPECT_EQ(info.BlocksOffset(), kDataOffset + 4 + 1 + 4 + 3);
}

TEST(TGFileInfo, NamedItemsOfTheDefaultUpdateList) {
    PackageDescription p;
    ASSERT_TRUE(BuildList(DefaultUpdateItems(), &p.updateList));
    const std::string image = Build(p);
    MemoryByteSource source(image);
    const TGFileInfo info(source);
    EXPECT_EQ(info.GetUpdateBaseUrl(), "");
    EXPECT_EQ(info.GetInfoFileName(), ".info");
    EXPECT_EQ(info.GetOriginalFileName(), ".original");
    EXPECT_EQ(info.GetAgentExeName(), ".exe");
    EXPECT_EQ(info.GetAgentTokenItem().size(), 36u);
    EXPECT_FALSE(info.IsHiddenSetup());
}

TEST(TGFileInfo, InfoFileNameIsTheFileNamePartOfItemOne) {
    const struct {
        const char* item;
        const char* info;
        const char* original;
    } cases[] = {
        {"app.info", "app.info", "app.original"},
        {"sub\\app.v2.info", "app.v2.info", "app.original"},
        {"http://site/dir/app.info", "app.info", "app.original"},
        {"", "", ".original"},
    };
    for (const auto& c : cases) {
        PackageDescription p;
        ASSERT_TRUE(BuildList({"", c.item}, &p.updateList));
        const std::string image = Build(p);
        MemoryByteSource source(image);
        const TGFileInfo info(source);
        EXPECT_EQ(info.GetInfoFileName(), c.info) << c.item;
        EXPECT_EQ(info.GetOriginalFileName(), c.original) << c.item;
    }
}

TEST(TGFileInfo, OnlyTheExactTextOneSwitchesHiddenSetupAndSkipLocal) {
    const struct {
        const char* item;
        bool on;
    } cases[] = {{"1", true},   {"TRUE", false}, {"01", false}, {" 1", false},
                 {"1 ", false}, {"0", false},    {"", false}};
    for (const auto& c : cases) {
        PackageDescription p;
        p.listCount = 3;
        ASSERT_TRUE(BuildList({"", "", "", "", c.item}, &p.updateList));
        ASSERT_TRUE(BuildList({"", "", c.item}, &p.webList));
        const std::string image = Build(p);
        MemoryByteSource source(image);
        const TGFileInfo info(source);
        EXPECT_EQ(info.IsHiddenSetup(), c.on) << '"' << c.item << '"';
        EXPECT_EQ(info.SkipLocalWebSetup(), c.on) << '"' << c.item << '"';
    }
}

TEST(TGFileInfo, ListsReachingIntoTheTrailerReadAsNoPackage) {
    PackageDescription p;
    p.listCount = 3;
    p.updateList = "|u|";
    p.webList = "|w|";
    const std::string good = Build(p);
    const size_t trailerStart = good.size() - 74;
    const size_t updateLength = kDataOffset + 5;
    const size_t webLength = kDataOffset + 5 + 7;
    const struct {
        const char* name;
        size_t at;
        uint32_t value;
    } cases[] = {
        {"DataOffset at the trailer", trailerStart + 4, static_cast<uint32_t>(trailerStart)},
        {"DataOffset beyond the file", trailerStart + 4, 0xFFFFFFF0u},
        {"update list into the trailer", updateLength, 3 + 7 + 1},
        {"update list of 4 GiB", updateLength, 0xFFFFFFFFu},
        {"web list into the trailer", webLength, 3 + 1},
    };
    for (const auto& c : cases) {
        std::string image = good;
        PutU32(image, c.at, c.value);
        MemoryByteSource source(image);
        const TGFileInfo info(source);
        EXPECT_FALSE(info.HasPackage()) << c.name;
        EXPECT_EQ(info.Record().Magic(), 0u) << c.name;
        EXPECT_EQ(info.LanguageTable() + info.UpdateList() + info.WebList(), "") << c.name;
        EXPECT_EQ(info.BlocksOffset(), 0u) << c.name;
    }
    // The web list ending exactly at the trailer is still whole.
    MemoryByteSource source(good);
    EXPECT_TRUE(TGFileInfo(source).HasPackage());
}

TEST(TGFileInfo, WrongMagicKeepsTheFlagsButReadsNoLists) {
    PackageDescription p;
    p.updateList = "|u|i|agent.exe|";
    p.magic = 0x12345678;
    p.flags = kFlagAgentLog | kFlagAskBeforeExtract;
    p.autoUpdateProg = 1;
    const std::string image = Build(p);
    MemoryByteSource source(image);
    const TGFileInfo info(source);
    EXPECT_FALSE(info.HasPackage());
    EXPECT_TRUE(info.AgentLog());
    EXPECT_TRUE(info.AskBeforeExtract());
    EXPECT_FALSE(info.MoreVolumes());
    EXPECT_EQ(info.AutoUpdateProg(), 1);
    EXPECT_EQ(info.GetAgentExeName(), "");
}

TEST(TGFileInfo, EachFlagBitHasItsAccessor) {
    const struct {
        uint8_t bit;
        bool (TGFileInfo::*accessor)() const;
    } cases[] = {
        {kFlagAskBeforeExtract, &TGFileInfo::AskBeforeExtract},
        {kFlagMoreVolumes, &TGFileInfo::MoreVolumes},
        {kFlagSpannedMedia, &TGFileInfo::SpannedMedia},
        {kFlagShowActivityBar, &TGFileInfo::ShowActivityBar},
        {kFlagAgentLog, &TGFileInfo::AgentLog},
    };
    for (const auto& c : cases) {
        PackageDescription p;
        p.updateList = "|u|";
        p.flags = static_cast<uint8_t>(c.bit | 0xE0); // bits 5-7 mean nothing
        const std::string image = Build(p);
        MemoryByteSource source(image);
        const TGFileInfo info(source);
        for (const auto& other : cases)
            EXPECT_EQ((info.*other.accessor)(), other.bit == c.bit) << int(c.bit);
    }
}

TEST(TGFileInfo, FromAPath) {
    PackageDescription p;
    p.updateList = "|u|i|agent.exe|";
    p.afterLogicalEnd = "signature";
    const std::string path = testing::TempDir() + "file_info_test_installer.exe";
    std::string error;
    ASSERT_TRUE(WriteFileReplacing(path, Build(p), &error)) << error;

    const TGFileInfo info(path);
    EXPECT_TRUE(info.HasPackage());
    EXPECT_EQ(info.GetAgentExeName(), "agent.exe");
    TrailerRecord r{};
    ASSERT_TRUE(ReadTrailer(path, r));
    EXPECT_EQ(ComputeChecksum(path, r.TrailerSize()), r.Checksum());
    std::remove(path.c_str());

    for (const Text& none : {Text(), path, testing::TempDir()}) {
        const TGFileInfo missing(none);
        EXPECT_FALSE(missing.HasPackage()) << none;
        EXPECT_EQ(missing.Record().TrailerSize(), 0u) << none;
        EXPECT_EQ(missing.UpdateList(), "") << none;
    }
}

TEST(GetClusterSize, AsksTheFolderOfAFileNotYetWritten) {
    EXPECT_GT(GetClusterSize(testing::TempDir() + "not_written_yet.exe"), 0u);
    EXPECT_EQ(GetClusterSize(""), 0u);
}

TEST(FileNames, FileNamePartAndBaseName) {
    const struct {
        const char* path;
        const char* fileName;
        const char* baseName;
    } cases[] = {
        {"setup.old.exe", "setup.old.exe", "setup"},
        {".exe", ".exe", ""},
        {"setup", "setup", "setup"},
        {"C:\\Program Files\\App\\agent.exe", "agent.exe", "agent"},
        {"/tmp/dir.d/agent", "agent", "agent"},
        {"C:agent.exe", "agent.exe", "agent"},
        {"C:\\Dir\\", "", ""},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileNamePart(c.path), c.fileName) << c.path;
        EXPECT_EQ(BaseNameOfFileName(FileNamePart(c.path)), c.baseName) << c.path;
    }
}

} // namespace
} // namespace zelkor
