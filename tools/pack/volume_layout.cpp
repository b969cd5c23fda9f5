#include "volume_layout.h"

#include <cstdint>
#include <memory>
#include <utility>

#include "block_encoder.h"
#include "package/byte_source.h"
#include "package/trailer.h"

namespace zelkor {
namespace {

// A stored block whose content is a lone NUL: its header is empty, so the
// reader writes nothing. It leads a further volume whose first bytes would
// otherwise read as an executable's.
const std::string kNoOpBlock("\xFF\xFF\xFF\xFF\0", 5);
// Attempts at a larger part of a file that still fits in a volume's room.
constexpr int kFitTrials = 10;
constexpr uint64_t kUnlimited = UINT64_MAX;

void StoreU32(std::string* out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        (*out)[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint64_t ListBytes(const PackageDescription& package) {
    uint64_t bytes = 8 + package.languageTable.size() + package.updateList.size();
    if (package.listCount > 2) bytes += 4 + package.webList.size();
    return bytes;
}

class Layout {
  public:
    Layout(const LayoutOptions& options, uint64_t firstRoom)
        : options_(options), firstRoom_(firstRoom), blocks_(1) {}

    bool AddFile(const PackedFile& file, std::string* error);
    std::vector<std::string>& Blocks() { return blocks_; }

  private:
    uint64_t Room() const;
    bool FitPart(const std::string& prefix, const std::string& data, uint64_t* part,
                 std::string* block) const;

    const LayoutOptions& options_;
    uint64_t firstRoom_;
    std::vector<std::string> blocks_; // the file blocks of each volume
};

uint64_t Layout::Room() const {
    if (options_.volumeSize == 0) return kUnlimited;
    const uint64_t used = blocks_.back().size();
    const uint64_t room = blocks_.size() == 1
                              ? firstRoom_
                              : options_.volumeSize - kTrailerRecordSize - kNoOpBlock.size();
    return room > used ? room - used : 0;
}

// The largest part of `data` whose block fits the room. Stored, a part of
// room - 4 - header bytes always fits; compressed, more may.
bool Layout::FitPart(const std::string& prefix, const std::string& data, uint64_t* part,
                     std::string* block) const {
    const uint64_t room = Room();
    if (room <= 4 + prefix.size()) return false;
    uint64_t low = room - 4 - prefix.size();
    if (low >= data.size()) low = data.size() - 1;
    std::string best = EncodeBlock(prefix + data.substr(0, low), options_.level);
    uint64_t high = data.size();
    for (int trial = 0; trial < kFitTrials && high - low > 1; ++trial) {
        const uint64_t middle = low + (high - low) / 2;
        std::string candidate = EncodeBlock(prefix + data.substr(0, middle), options_.level);
        if (candidate.size() <= room) {
            low = middle;
            best = std::move(candidate);
        } else {
            high = middle;
        }
    }
    *part = low;
    *block = std::move(best);
    return low > 0;
}

bool Layout::AddFile(const PackedFile& file, std::string* error) {
    std::string header;
    if (!MakeBlockHeader(file.storedName, file.dosDateTime, &header, error)) return false;
    const std::string prefix = header + '\0';
    std::unique_ptr<ByteSource> source;
    if (file.size > 0) {
        source = OpenFileSource(file.sourcePath);
        if (!source) {
            *error = "cannot open " + file.sourcePath;
            return false;
        }
        if (source->Size() != file.size) {
            *error = file.sourcePath + " changed while it was being packed";
            return false;
        }
    }
    uint64_t offset = 0;
    bool placed = false;
    std::string data;
    while (!placed || offset < file.size) {
        const uint64_t left = file.size - offset;
        const uint64_t count = left < options_.pieceSize ? left : options_.pieceSize;
        data.resize(count);
        if (count > 0 && source->ReadAt(offset, &data[0], uint32_t(count)) != count) {
            *error = "cannot read " + file.sourcePath;
            return false;
        }
        std::string block = EncodeBlock(prefix + data, options_.level);
        if (block.size() <= Room()) {
            blocks_.back() += block;
            offset += count;
            placed = true;
            continue;
        }
        // What fits stays in this volume; the rest goes on in the next.
        uint64_t part = 0;
        if (count > 0 && FitPart(prefix, data, &part, &block)) {
            blocks_.back() += block;
            offset += part;
            placed = true;
        } else if (blocks_.size() > 1 && blocks_.back().empty()) {
            *error = "--volume-size " + std::to_string(options_.volumeSize) +
                     " leaves no room for a block of " + file.storedName;
            return false;
        }
        blocks_.emplace_back();
    }
    return true;
}

} // namespace

std::string BuildFollowingVolume(const PackageDescription& package, const std::string& blocks) {
    TrailerRecord record = PackageRecord(package, 0);
    record.SetTrailerSize(kTrailerRecordSize);
    const std::string trailer(reinterpret_cast<const char*>(record.bytes), kTrailerRecordSize);
    std::string out = blocks + trailer;
    MemoryByteSource check(out);
    if (IsPeImage(check)) out = kNoOpBlock + out;
    const size_t trailerStart = out.size() - kTrailerRecordSize;
    StoreU32(&out, trailerStart + 16, PackageChecksum(package, out, kTrailerRecordSize));
    return out;
}

bool BuildVolumes(const std::string& stubImage, const PackageDescription& package,
                  const std::vector<PackedFile>& files, const LayoutOptions& options,
                  std::vector<std::string>* volumes, std::string* error) {
    const uint64_t trailerBytes = package.trailerSize > 4 ? package.trailerSize : 4;
    const uint64_t fixed = stubImage.size() + ListBytes(package) + package.blocks.size() +
                           trailerBytes + package.afterLogicalEnd.size();
    if (options.volumeSize > 0 && options.volumeSize < fixed) {
        *error = "--volume-size " + std::to_string(options.volumeSize) +
                 " is smaller than the stub with its lists and trailer (" + std::to_string(fixed) +
                 " bytes)";
        return false;
    }
    const uint64_t firstRoom = options.volumeSize > 0 ? options.volumeSize - fixed : kUnlimited;
    if (options.volumeSize > 0 && options.volumeSize <= kTrailerRecordSize + kNoOpBlock.size()) {
        *error = "--volume-size " + std::to_string(options.volumeSize) + " is too small";
        return false;
    }
    Layout layout(options, firstRoom);
    for (const PackedFile& file : files)
        if (!layout.AddFile(file, error)) return false;

    const std::vector<std::string>& blocks = layout.Blocks();
    std::vector<std::string> built;
    PackageDescription first = package;
    first.blocks += blocks[0];
    if (blocks.size() > 1) first.flags |= kFlagMoreVolumes;
    built.emplace_back();
    if (!BuildPackage(stubImage, first, &built.back(), error)) return false;
    for (size_t i = 1; i < blocks.size(); ++i) {
        PackageDescription further = package;
        if (i + 1 < blocks.size()) further.flags |= kFlagMoreVolumes;
        built.push_back(BuildFollowingVolume(further, blocks[i]));
    }
    *volumes = std::move(built);
    return true;
}

} // namespace zelkor
