#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "package/file_info.h"
#include "package/trailer.h"
#include "package_fixtures.h"

namespace zelkor {
namespace {

using fixtures::Build;
using fixtures::FakeStub;
using fixtures::PutU32;
using fixtures::SparseByteSource;
using fixtures::U32At;
using fixtures::U32Bytes;

PackageDescription SmallPackage() {
    PackageDescription p;
    p.updateList = "|base|app.info|agent.exe|";
    return p;
}

bool IsZero(const TrailerRecord& r) {
    const TrailerRecord zero{};
    return std::memcmp(r.bytes, zero.bytes, sizeof r.bytes) == 0;
}

std::string Dwords(std::initializer_list<uint32_t> values) {
    std::string bytes;
    for (uint32_t v : values)
        bytes += U32Bytes(v);
    return bytes;
}

TEST(ReadTrailer, FoundAtThePhysicalEndWhenNoLogicalSizeIsRecorded) {
    PackageDescription p = SmallPackage();
    p.writeLogicalSize = false;
    p.fileCount = 7;
    p.flags = kFlagMoreVolumes;
    p.webInstaller = 3;
    const std::string image = Build(p);
    MemoryByteSource source(image);
    ASSERT_EQ(ReadLogicalSize(source), 0u);

    TrailerRecord r{};
    TrailerPlace place;
    ASSERT_TRUE(ReadTrailer(source, r, &place));
    EXPECT_EQ(place.start, image.size() - 74);
    EXPECT_EQ(place.logicalEnd, image.size());
    EXPECT_EQ(r.Reserved0(), 1);
    EXPECT_EQ(r.ListCount(), 2);
    EXPECT_EQ(r.DataOffset(), 0x300u);
    EXPECT_EQ(r.FileCount(), 7u);
    EXPECT_EQ(r.Magic(), PackageMagic);
    EXPECT_EQ(r.Flags(), kFlagMoreVolumes);
    EXPECT_EQ(r.WebInstaller(), 3);
    EXPECT_EQ(r.TrailerSize(), 74u);
    EXPECT_EQ(ComputeChecksum(source, r.TrailerSize()), r.Checksum());
}

TEST(ReadTrailer, SignedInstallerIsReadAtTheLogicalEndAndItsChecksumIgnoresTheSignature) {
    PackageDescription p = SmallPackage();
    const std::string plain = Build(p);
    // The signature ends in a decoy size, as if it were a trailer.
    p.afterLogicalEnd = std::string(5000, '\x5A') + U32Bytes(74);
    const std::string signedImage = Build(p);
    ASSERT_EQ(signedImage.size(), plain.size() + 5004);

    MemoryByteSource plainSource(plain);
    MemoryByteSource signedSource(signedImage);
    EXPECT_EQ(ReadLogicalSize(signedSource), plain.size());
    TrailerRecord r{};
    TrailerPlace place;
    ASSERT_TRUE(ReadTrailer(signedSource, r, &place));
    EXPECT_EQ(place.start, plain.size() - 74);
    EXPECT_EQ(r.Magic(), PackageMagic);
    EXPECT_EQ(ComputeChecksum(signedSource, 74), ComputeChecksum(plainSource, 74));
    EXPECT_EQ(ComputeChecksum(signedSource, 74), r.Checksum());
}

TEST(ReadTrailer, ShortTrailerFillsOnlyItsBytes) {
    PackageDescription p = SmallPackage();
    p.spaceTableGiven = true;
    for (int i = 0; i < kSpaceTableEntries; ++i)
        p.spaceTable[i] = 10 + i;
    p.flags = 0x1F;
    p.webInstaller = p.confirmDownload = p.createAgent = p.autoUpdateProg = 1;
    p.trailerSize = 40;
    const std::string image = Build(p);
    ASSERT_EQ(U32At(image, image.size() - 4), 40u);

    MemoryByteSource source(image);
    TrailerRecord r{};
    ASSERT_TRUE(ReadTrailer(source, r));
    EXPECT_EQ(r.TrailerSize(), 40u);
    EXPECT_EQ(r.Magic(), PackageMagic);
    // Bytes 28-35 are the first two entries; nothing after byte 35 is read.
    EXPECT_EQ(r.SpaceTable(0), 10u);
    EXPECT_EQ(r.SpaceTable(1), 11u);
    for (int i = 2; i < kSpaceTableEntries; ++i)
        EXPECT_EQ(r.SpaceTable(i), 0u) << i;
    EXPECT_EQ(r.Flags(), 0);
    EXPECT_EQ(r.WebInstaller() + r.ConfirmDownload() + r.CreateAgent() + r.AutoUpdateProg(), 0);
    EXPECT_TRUE(ChecksumPasses(ComputeChecksum(source, r.TrailerSize()), r.Checksum()));
}

TEST(ReadTrailer, ListCountZeroReadsAsTwo) {
    PackageDescription p = SmallPackage();
    p.listCount = 0;
    const std::string image = Build(p);
    ASSERT_EQ(image[image.size() - 74 + 1], 0);
    MemoryByteSource source(image);
    TrailerRecord r{};
    ASSERT_TRUE(ReadTrailer(source, r));
    EXPECT_EQ(r.ListCount(), 2);
}

TEST(ReadTrailer, ImpossibleTrailersReadAsNoPackage) {
    PackageDescription p = SmallPackage();
    const std::string withLogical = Build(p);
    p.writeLogicalSize = false;
    const std::string physicalOnly = Build(p);
    const uint32_t size = static_cast<uint32_t>(withLogical.size());

    const struct {
        const char* name;
        const std::string& base;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"size 0", physicalOnly, [](std::string& f) { PutU32(f, f.size() - 4, 0); }},
        {"size 3", physicalOnly, [](std::string& f) { PutU32(f, f.size() - 4, 3); }},
        {"size 4", physicalOnly, [](std::string& f) { PutU32(f, f.size() - 4, 4); }},
        {"size beyond the file", physicalOnly,
         [](std::string& f) { PutU32(f, f.size() - 4, static_cast<uint32_t>(f.size() + 1)); }},
        {"size 0xFFFFFFFF", physicalOnly,
         [](std::string& f) { PutU32(f, f.size() - 4, 0xFFFFFFFFu); }},
        {"size beyond the logical end", withLogical,
         [size](std::string& f) {
             PutU32(f, size - 4, size + 1);
             f += std::string(100, '\0');
             PutU32(f, 0xFC, size);
         }},
        {"logical size beyond the file", withLogical,
         [](std::string& f) { PutU32(f, 0xFC, static_cast<uint32_t>(f.size() + 1)); }},
        {"logical size above 4 GiB", withLogical, [](std::string& f) { PutU32(f, 0xF8, 1); }},
        {"logical size 3", withLogical, [](std::string& f) { PutU32(f, 0xFC, 3); }},
        {"three-byte file", physicalOnly, [](std::string& f) { f = "MZ!"; }},
        {"empty file", physicalOnly, [](std::string& f) { f.clear(); }},
    };
    for (const auto& c : cases) {
        std::string image = c.base;
        c.damage(image);
        MemoryByteSource source(image);
        TrailerRecord r{};
        EXPECT_FALSE(ReadTrailer(source, r)) << c.name;
        EXPECT_TRUE(IsZero(r)) << c.name;
        const TGFileInfo info(source);
        EXPECT_FALSE(info.HasPackage()) << c.name;
        EXPECT_TRUE(IsZero(info.Record())) << c.name;
        EXPECT_EQ(info.UpdateList(), "") << c.name;
        ComputeChecksum(source, r.TrailerSize()); // must not crash either
    }
}

TEST(ReadTrailer, UsesSixtyFourBitPositions) {
    const uint64_t logical = (5ull << 30) + 500; // beyond 4 GiB
    TrailerRecord record{};
    record.SetMagic(PackageMagic);
    record.SetFileCount(9);
    record.SetTrailerSize(74);
    const std::string trailer(reinterpret_cast<const char*>(record.bytes), 74);

    std::string header = FakeStub(0x200);
    PutU32(header, 0xF8, static_cast<uint32_t>(logical >> 32));
    PutU32(header, 0xFC, static_cast<uint32_t>(logical));
    SparseByteSource pe(logical + 1000);
    pe.Place(0, header);
    pe.Place(logical - 74, trailer);
    TrailerRecord r{};
    TrailerPlace place;
    ASSERT_TRUE(ReadTrailer(pe, r, &place));
    EXPECT_EQ(place.start, logical - 74);
    EXPECT_EQ(r.FileCount(), 9u);

    // Not an image: the physical end counts, also past 4 GiB.
    SparseByteSource plain(logical);
    plain.Place(logical - 74, trailer);
    TrailerRecord q{};
    ASSERT_TRUE(ReadTrailer(plain, q, &place));
    EXPECT_EQ(place.start, logical - 74);
    EXPECT_EQ(q.FileCount(), 9u);
}

TEST(PeImage, NeedsBothSignaturesAtTheirPlaces) {
    std::string peAt80 = FakeStub();
    peAt80[0x100] = peAt80[0x101] = 0;
    peAt80[0x80] = 'P';
    peAt80[0x81] = 'E';
    const struct {
        const char* name;
        std::string bytes;
        bool pe;
    } cases[] = {
        {"stub", FakeStub(), true},
        {"PE header at 0x80", peAt80, false},
        {"cut before 0x102", FakeStub().substr(0, 0x101), false},
        {"no MZ", "ZM" + FakeStub().substr(2), false},
    };
    for (const auto& c : cases) {
        MemoryByteSource source(c.bytes);
        EXPECT_EQ(IsPeImage(source), c.pe) << c.name;
    }
}

TEST(LogicalSize, HighHalfAtF8LowHalfAtFc) {
    std::string image = FakeStub();
    PutU32(image, 0xF8, 1);
    PutU32(image, 0xFC, 2);
    MemoryByteSource source(image);
    EXPECT_EQ(ReadLogicalSize(source), 0x100000002ull);
    EXPECT_EQ(LogicalSizeOfImage(image), 0x100000002ull);
    EXPECT_EQ(LogicalSizeOfImage("MZ"), 0u);
}

TEST(ComputeChecksum, HandComputedSums) {
    std::string blockAndMore;
    for (int i = 0; i < 1028; ++i)
        blockAndMore += U32Bytes(1);
    const struct {
        const char* name;
        std::string bytes;
        uint32_t trailerSize;
        uint32_t sum;
    } cases[] = {
        // R = 20: dwords are added while R stays above 4 after taking them.
        {"small", Dwords({1, 2, 3, 4, 5, 6}), 4, 1 + 2 + 3},
        // 1024 dwords, 1234 for the full block (R = 12 left), then one more.
        {"one full block", blockAndMore, 4, 1024 + 1234 + 1},
        {"wraps", Dwords({0xFFFFFFFFu, 2, 0, 0, 0}), 0, 1},
        {"empty", "", 74, 0},
    };
    for (const auto& c : cases) {
        MemoryByteSource source(c.bytes);
        EXPECT_EQ(ComputeChecksum(source, c.trailerSize), c.sum) << c.name;
    }
}

TEST(ComputeChecksum, SkipsTheHeaderAndIgnoresAPartialDword) {
    // Logical size (low half) far beyond the data, so the range never ends.
    std::string image = FakeStub(0x200);
    PutU32(image, 0xFC, 10000);
    image += U32Bytes(0x01020304) + "\xFF\xFF";
    MemoryByteSource source(image);
    const uint32_t sum = ComputeChecksum(source, 74);
    EXPECT_EQ(sum, 0x01020304u + 1234u);

    image[0x180] ^= 0x55;
    EXPECT_EQ(ComputeChecksum(source, 74), sum);
    image[0x200] ^= 0x55;
    EXPECT_NE(ComputeChecksum(source, 74), sum);
}

TEST(ComputeChecksum, FilesAbove50MiBAreNotChecked) {
    SparseByteSource above(52428801);
    EXPECT_EQ(ComputeChecksum(above, 74), kChecksumOff);
    // Exactly 50 MiB of zeros is summed: 1234 for each block but the last.
    SparseByteSource limit(52428800);
    EXPECT_EQ(ComputeChecksum(limit, 74), 12799u * 1234u);
}

TEST(ComputeChecksum, VerdictFollowsBytesInTheCheckedRangeOnly) {
    PackageDescription p = SmallPackage();
    p.afterLogicalEnd = std::string(100, '\x11');
    const std::string image = Build(p);
    const size_t logicalEnd = image.size() - 100;
    const size_t unchanged = SIZE_MAX;
    const struct {
        const char* name;
        size_t offset;
        bool passes;
    } cases[] = {
        {"unchanged", unchanged, true},        {"DOS header (skipped)", 0x180, true},
        {"stub body", 0x200, false},           {"language table", 0x300 + 4, false},
        {"update list", 0x300 + 9 + 2, false}, {"after the logical end", logicalEnd + 10, true},
    };
    for (const auto& c : cases) {
        std::string changed = image;
        if (c.offset != unchanged) changed[c.offset] ^= 0x01;
        MemoryByteSource source(changed);
        TrailerRecord r{};
        ASSERT_TRUE(ReadTrailer(source, r)) << c.name;
        EXPECT_EQ(ChecksumPasses(ComputeChecksum(source, r.TrailerSize()), r.Checksum()), c.passes)
            << c.name;
    }
}

TEST(ChecksumPasses, EqualOrEitherSideSwitchedOff) {
    EXPECT_TRUE(ChecksumPasses(5, 5));
    EXPECT_FALSE(ChecksumPasses(5, 6));
    EXPECT_TRUE(ChecksumPasses(1234, 6));
    EXPECT_TRUE(ChecksumPasses(6, 1234));
}

TEST(SpaceNeeded, LargestEntryWhoseUnitFitsTheCluster) {
    TrailerRecord r{};
    for (int i = 0; i < kSpaceTableEntries; ++i)
        r.SetSpaceTable(i, 1000 + i);
    const struct {
        uint32_t cluster;
        uint32_t needed;
    } cases[] = {
        {0, 1000},    {511, 1000},   {512, 1001},   {1024, 1002},   {4095, 1003},
        {4096, 1004}, {65535, 1007}, {65536, 1008}, {131072, 1008}, {0xFFFFFFFFu, 1008},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SpaceNeededForCluster(r, c.cluster), c.needed) << c.cluster;
}

} // namespace
} // namespace zelkor
