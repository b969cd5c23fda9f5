#include "package/trailer.h"

#include <cstring>

namespace zelkor {
namespace {

constexpr uint32_t kChecksumBlock = 4096;
constexpr uint32_t kChecksumHeaderSkip = 512;

uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool BytesAre(ByteSource& source, uint64_t offset, char first, char second) {
    uint8_t pair[2];
    return source.ReadAt(offset, pair, 2) == 2 && pair[0] == static_cast<uint8_t>(first) &&
           pair[1] == static_cast<uint8_t>(second);
}

} // namespace

uint32_t TrailerRecord::U32(int at) const {
    return LoadU32(bytes + at);
}

void TrailerRecord::SetU32(int at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void TrailerRecord::Clear() {
    std::memset(bytes, 0, sizeof bytes);
}

uint32_t ReadU32At(ByteSource& source, uint64_t offset, bool* ok) {
    uint8_t raw[4];
    const bool complete = source.ReadAt(offset, raw, 4) == 4;
    if (ok) *ok = complete;
    return complete ? LoadU32(raw) : 0;
}

bool IsPeImage(ByteSource& source) {
    return BytesAre(source, 0, 'M', 'Z') && BytesAre(source, kPeHeaderOffset, 'P', 'E');
}

uint64_t ReadLogicalSize(ByteSource& source) {
    const uint64_t high = ReadU32At(source, kLogicalSizeHighOffset);
    return high << 32 | ReadU32At(source, kLogicalSizeLowOffset);
}

uint64_t LogicalSizeOfImage(const std::string& image) {
    MemoryByteSource source(image);
    return ReadLogicalSize(source);
}

bool ReadTrailer(ByteSource& source, TrailerRecord& record, TrailerPlace* place) {
    uint64_t end = source.Size();
    if (end < 4) return false;
    const bool pe = IsPeImage(source);
    bool ok = false;
    uint32_t size = ReadU32At(source, end - 4, &ok);
    if (!ok) return false;
    if (pe) {
        const uint64_t logical = ReadLogicalSize(source);
        if (logical > 0) {
            // A logical end beyond the file, or too short to hold a size,
            // cannot be trusted: no package.
            if (logical > end || logical < 4) return false;
            end = logical;
            size = ReadU32At(source, end - 4, &ok);
            if (!ok) return false;
        }
    }
    // Below 5 there is no record byte to read; beyond the end the read would
    // start before the file.
    if (size < 5 || size > end) return false;
    const uint64_t start = end - size;
    const uint32_t kept = size < kTrailerRecordSize ? size : kTrailerRecordSize;
    if (source.ReadAt(start, record.bytes, kept - 4) != kept - 4) {
        record.Clear();
        return false;
    }
    record.SetTrailerSize(kept);
    if (record.ListCount() == 0) record.SetListCount(2);
    if (place) {
        place->start = start;
        place->logicalEnd = end;
    }
    return true;
}

uint32_t ComputeChecksum(ByteSource& source, uint32_t trailerSize) {
    uint64_t size = source.Size();
    if (size > kChecksumSizeLimit) return kChecksumOff;
    // Only the low half: files of 4 GiB and more never get this far.
    uint32_t logical = 0;
    if (IsPeImage(source)) logical = ReadU32At(source, kLogicalSizeLowOffset);
    if (logical > 0) size = logical;

    int64_t remaining = static_cast<int64_t>(size) - trailerSize;
    uint64_t position = 0;
    if (logical > 0) {
        // The header area holds the logical size, written after the sum.
        remaining -= kChecksumHeaderSkip;
        position = kChecksumHeaderSkip;
    }
    uint32_t sum = 0;
    uint8_t block[kChecksumBlock];
    for (;;) {
        const uint32_t count = source.ReadAt(position, block, kChecksumBlock);
        position += count;
        for (uint32_t at = 0; at + 4 <= count; at += 4) {
            remaining -= 4;
            if (remaining > 4) sum += LoadU32(block + at);
        }
        if (remaining > 4) sum += kChecksumOff;
        if (count < kChecksumBlock) break;
    }
    return sum;
}

bool ChecksumPasses(uint32_t computed, uint32_t reference) {
    return computed == reference || computed == kChecksumOff || reference == kChecksumOff;
}

uint32_t SpaceNeededForCluster(const TrailerRecord& record, uint32_t clusterSize) {
    uint32_t needed = record.SpaceTable(0);
    for (int i = 1; i < kSpaceTableEntries; ++i) {
        if ((256u << i) <= clusterSize) needed = record.SpaceTable(i);
    }
    return needed;
}

} // namespace zelkor
