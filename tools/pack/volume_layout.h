// Cutting the packed files into blocks and the blocks into volumes.
#pragma once

#include <string>
#include <vector>

#include "pack_files.h"
#include "package_builder.h"

namespace zelkor {

constexpr uint64_t kDefaultPieceSize = 4 * 1024 * 1024;
// A block's length is a signed 32 bits; well below that keeps the header in.
constexpr uint64_t kMaxPieceSize = 1024 * 1024 * 1024;

struct LayoutOptions {
    int level = 9;                          // zlib level, 0 to 9
    uint64_t pieceSize = kDefaultPieceSize; // most file bytes in one block
    uint64_t volumeSize = 0;                // most bytes in one volume file; 0: one volume
};

// Volume 1 is the installer: the stub image, the lists, the package's raw
// blocks, then the files' blocks and its trailer. Further volumes hold
// blocks and a trailer of their own with DataOffset 0. Every volume but the
// last has MoreVolumes set. A file that does not fit is continued in the
// next volume as further blocks of the same name.
bool BuildVolumes(const std::string& stubImage, const PackageDescription& package,
                  const std::vector<PackedFile>& files, const LayoutOptions& layout,
                  std::vector<std::string>* volumes, std::string* error);

// A further volume: the blocks, then the trailer.
std::string BuildFollowingVolume(const PackageDescription& package, const std::string& blocks);

} // namespace zelkor
