// The package trailer at the logical end of an installer, the logical size
// kept in the DOS header, and the package checksum.
#pragma once

#include <cstdint>
#include <string>

#include "package/byte_source.h"

namespace zelkor {

constexpr uint32_t PackageMagic = 0x4A3B2C1D;
constexpr uint32_t kTrailerRecordSize = 74;
constexpr uint32_t kChecksumOff = 1234;
constexpr uint64_t kChecksumSizeLimit = 52428800; // 50 MiB
constexpr uint32_t kLogicalSizeHighOffset = 0xF8;
constexpr uint32_t kLogicalSizeLowOffset = 0xFC;
constexpr uint32_t kPeHeaderOffset = 0x100;
constexpr int kSpaceTableEntries = 9;

// Bits of the Flags byte (65).
enum TrailerFlag : uint8_t {
    kFlagAskBeforeExtract = 1 << 0,
    kFlagMoreVolumes = 1 << 1,
    kFlagSpannedMedia = 1 << 2,
    kFlagShowActivityBar = 1 << 3,
    kFlagAgentLog = 1 << 4,
};

// The 74-byte record, byte for byte as stored (little-endian fields).
struct TrailerRecord {
    uint8_t bytes[kTrailerRecordSize];

    uint8_t Reserved0() const { return bytes[0]; }
    uint8_t ListCount() const { return bytes[1]; }
    uint32_t DataOffset() const { return U32(4); }
    uint32_t FileCount() const { return U32(8); }
    uint32_t Magic() const { return U32(12); }
    uint32_t Checksum() const { return U32(16); }
    uint32_t SpaceTable(int i) const { return U32(28 + 4 * i); }
    uint8_t Flags() const { return bytes[65]; }
    uint8_t WebInstaller() const { return bytes[66]; }
    uint8_t ConfirmDownload() const { return bytes[67]; }
    uint8_t CreateAgent() const { return bytes[68]; }
    uint8_t AutoUpdateProg() const { return bytes[69]; }
    uint32_t TrailerSize() const { return U32(70); }

    void SetReserved0(uint8_t v) { bytes[0] = v; }
    void SetListCount(uint8_t v) { bytes[1] = v; }
    void SetDataOffset(uint32_t v) { SetU32(4, v); }
    void SetFileCount(uint32_t v) { SetU32(8, v); }
    void SetMagic(uint32_t v) { SetU32(12, v); }
    void SetChecksum(uint32_t v) { SetU32(16, v); }
    void SetSpaceTable(int i, uint32_t v) { SetU32(28 + 4 * i, v); }
    void SetFlags(uint8_t v) { bytes[65] = v; }
    void SetWebInstaller(uint8_t v) { bytes[66] = v; }
    void SetConfirmDownload(uint8_t v) { bytes[67] = v; }
    void SetCreateAgent(uint8_t v) { bytes[68] = v; }
    void SetAutoUpdateProg(uint8_t v) { bytes[69] = v; }
    void SetTrailerSize(uint32_t v) { SetU32(70, v); }

    uint32_t U32(int at) const;
    void SetU32(int at, uint32_t v);
    void Clear();
};

// Little-endian u32 at `offset`; 0 (and *ok false) when fewer than 4 bytes
// are there.
uint32_t ReadU32At(ByteSource& source, uint64_t offset, bool* ok = nullptr);

bool IsPeImage(ByteSource& source);
uint64_t ReadLogicalSize(ByteSource& source);
uint64_t LogicalSizeOfImage(const std::string& image);

// Where ReadTrailer found the trailer: the descriptor lists and blocks must
// end at `start`.
struct TrailerPlace {
    uint64_t start = 0;
    uint64_t logicalEnd = 0;
};

// Locates and reads the trailer. The caller zeroes the record first. A
// trailer that cannot be real (size below 5 or beyond the logical end, or a
// logical size beyond the file) leaves the record zero, i.e. "no package",
// and returns false.
bool ReadTrailer(ByteSource& source, TrailerRecord& record, TrailerPlace* place = nullptr);

uint32_t ComputeChecksum(ByteSource& source, uint32_t trailerSize);
// Either side 1234 passes: the builder switched the check off, or the file
// was too large to check.
bool ChecksumPasses(uint32_t computed, uint32_t reference);

// The SpaceTable entry that applies to a drive with the given cluster size.
uint32_t SpaceNeededForCluster(const TrailerRecord& record, uint32_t clusterSize);

} // namespace zelkor
