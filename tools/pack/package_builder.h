// The package writer: pure functions from a description to the bytes of an
// installer, so that the whole format can be tested without files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/trailer.h"

namespace zelkor {

enum class ChecksumMode { Auto, Off, Fixed };

// Item values of a list built from options; unset items keep the defaults.
using ListItems = std::vector<std::string>;

struct PackageDescription {
    uint8_t listCount = 2;
    std::string languageTable = std::string(1, '\x02');
    std::string updateList;
    std::string webList;
    // The file blocks, written after the lists and before the trailer.
    std::string blocks;
    // Sizes of the packed files, for the computed space table.
    std::vector<uint64_t> fileSizes;
    uint32_t fileCount = 0;
    uint32_t magic = PackageMagic;
    ChecksumMode checksumMode = ChecksumMode::Auto;
    uint32_t checksumValue = 0;
    bool spaceTableGiven = false;
    uint32_t spaceTable[kSpaceTableEntries] = {};
    uint8_t flags = 0;
    uint8_t webInstaller = 0;
    uint8_t confirmDownload = 0;
    uint8_t createAgent = 0;
    uint8_t autoUpdateProg = 0;
    // Bytes of the trailer in the file, the u32 size included. Below 74 only
    // the first size-4 record bytes are written (packages of old builders).
    uint32_t trailerSize = kTrailerRecordSize;
    bool writeLogicalSize = true;
    // After the logical end, outside the logical size and the checksum, as a
    // code signature is.
    std::string afterLogicalEnd;
};

// A token item that decodes; installers without an agent of their own carry
// one so that their update list is complete.
extern const char kDefaultAgentToken[];

// Update list items of an installer without an agent.
ListItems DefaultUpdateItems();
// Sets the items in order with ListSetItem, so the delimiter is one that no
// item contains; false when every candidate occurs in the items.
bool BuildList(const ListItems& items, std::string* list);

// The part of a stub file that is the stub image: its recorded logical size,
// else the whole file. False (and a reason) when it is no stub we can use.
bool StubImageOf(const std::string& stubFile, std::string* image, std::string* error);

// SpaceTable entries for the given file sizes; a sum that does not fit in
// 32 bits is stored as 0xFFFFFFFF.
void ComputeSpaceTable(const std::vector<uint64_t>& fileSizes, uint32_t table[kSpaceTableEntries]);

// The trailer record of the package with its lists (or, in a further
// volume, its blocks) at `dataOffset`; the checksum is left 0.
TrailerRecord PackageRecord(const PackageDescription& package, uint32_t dataOffset);
// The checksum to store for the finished bytes of a volume, by the
// package's checksum mode.
uint32_t PackageChecksum(const PackageDescription& package, const std::string& finished,
                         uint32_t trailerSize);

// Stub image + lists + blocks + trailer (+ the bytes after the logical end),
// with the logical size and checksum in place.
bool BuildPackage(const std::string& stubImage, const PackageDescription& package,
                  std::string* installer, std::string* error);

} // namespace zelkor
