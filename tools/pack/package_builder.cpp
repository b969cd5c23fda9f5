#include "package_builder.h"

#include <utility>

#include "util/lists.h"

namespace zelkor {
namespace {

constexpr uint32_t kReserved0 = 1;

void AppendU32(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        *out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void StoreU32(std::string* out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        (*out)[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Takes 64 bits so the test also compiles where size_t is 32 bits wide.
bool FitsU32(uint64_t v) {
    return v <= 0xFFFFFFFFu;
}

bool AppendList(std::string* out, const std::string& list, const char* name, std::string* error) {
    if (!FitsU32(list.size())) {
        *error = std::string("the ") + name + " is larger than 4 GiB";
        return false;
    }
    AppendU32(out, static_cast<uint32_t>(list.size()));
    *out += list;
    return true;
}

uint32_t Saturated(uint64_t v) {
    return v > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(v);
}

} // namespace

// Clear text "no-agent", scrambled.
const char kDefaultAgentToken[] = "gsksksjjttssxixhtfxjxwxuxiwvvvuugwue";

ListItems DefaultUpdateItems() {
    return {"", ".info", ".exe", kDefaultAgentToken, "0"};
}

bool BuildList(const ListItems& items, std::string* list) {
    std::string built;
    for (size_t i = 0; i < items.size(); ++i) {
        if (!ListSetItem(built, static_cast<int>(i), items[i])) return false;
    }
    *list = built;
    return true;
}

bool StubImageOf(const std::string& stubFile, std::string* image, std::string* error) {
    MemoryByteSource source(stubFile);
    if (!IsPeImage(source)) {
        *error = "not a Windows executable with its PE header at 0x100";
        return false;
    }
    const uint64_t logical = ReadLogicalSize(source);
    if (logical > stubFile.size()) {
        *error = "it records a logical size beyond its end";
        return false;
    }
    *image = logical > 0 ? stubFile.substr(0, logical) : stubFile;
    MemoryByteSource kept(*image);
    if (!IsPeImage(kept)) {
        *error = "its recorded logical size cuts its PE header";
        return false;
    }
    return true;
}

void ComputeSpaceTable(const std::vector<uint64_t>& fileSizes, uint32_t table[kSpaceTableEntries]) {
    for (int i = 0; i < kSpaceTableEntries; ++i) {
        const uint64_t unit = i == 0 ? 1 : 256ull << i;
        uint64_t sum = 0;
        for (uint64_t size : fileSizes) {
            const uint64_t rounded = (size + unit - 1) / unit * unit;
            sum = rounded > UINT64_MAX - sum ? UINT64_MAX : sum + rounded;
        }
        table[i] = Saturated(sum);
    }
}

TrailerRecord PackageRecord(const PackageDescription& package, uint32_t dataOffset) {
    TrailerRecord record{};
    record.SetReserved0(kReserved0);
    record.SetListCount(package.listCount);
    record.SetDataOffset(dataOffset);
    record.SetFileCount(package.fileCount);
    record.SetMagic(package.magic);
    uint32_t space[kSpaceTableEntries];
    if (package.spaceTableGiven) {
        for (int i = 0; i < kSpaceTableEntries; ++i)
            space[i] = package.spaceTable[i];
    } else {
        ComputeSpaceTable(package.fileSizes, space);
    }
    for (int i = 0; i < kSpaceTableEntries; ++i)
        record.SetSpaceTable(i, space[i]);
    record.SetFlags(package.flags);
    record.SetWebInstaller(package.webInstaller);
    record.SetConfirmDownload(package.confirmDownload);
    record.SetCreateAgent(package.createAgent);
    record.SetAutoUpdateProg(package.autoUpdateProg);
    record.SetTrailerSize(package.trailerSize);
    return record;
}

uint32_t PackageChecksum(const PackageDescription& package, const std::string& finished,
                         uint32_t trailerSize) {
    if (package.checksumMode == ChecksumMode::Off) return kChecksumOff;
    if (package.checksumMode == ChecksumMode::Fixed) return package.checksumValue;
    // The reader passes the trailer size it stored, which is at most 74.
    MemoryByteSource source(finished);
    return ComputeChecksum(source, trailerSize);
}

bool BuildPackage(const std::string& stubImage, const PackageDescription& package,
                  std::string* installer, std::string* error) {
    {
        MemoryByteSource stub(stubImage);
        if (!IsPeImage(stub)) {
            *error = "the stub is not a Windows executable with its PE header at 0x100";
            return false;
        }
    }
    if (!FitsU32(stubImage.size())) {
        *error = "the stub is larger than 4 GiB";
        return false;
    }
    // A longer trailer would put the checksum field inside the summed range.
    if (package.trailerSize > kTrailerRecordSize) {
        *error = "the trailer size cannot exceed 74";
        return false;
    }

    std::string out = stubImage;
    const uint32_t dataOffset = static_cast<uint32_t>(out.size());
    if (!AppendList(&out, package.languageTable, "language table", error) ||
        !AppendList(&out, package.updateList, "update list", error) ||
        (package.listCount > 2 && !AppendList(&out, package.webList, "web list", error)))
        return false;
    out += package.blocks;

    const TrailerRecord record = PackageRecord(package, dataOffset);

    // A trailer shorter than its size field (sizes 0 to 3, for tests of
    // damaged packages) is the size field alone.
    const uint32_t recordBytes = package.trailerSize > 4 ? package.trailerSize - 4 : 0;
    const size_t trailerStart = out.size();
    out.append(reinterpret_cast<const char*>(record.bytes), recordBytes);
    AppendU32(&out, package.trailerSize);

    const uint64_t logicalSize = out.size();
    for (uint32_t at = kLogicalSizeHighOffset; at < kPeHeaderOffset; ++at)
        out[at] = 0;
    if (package.writeLogicalSize) {
        StoreU32(&out, kLogicalSizeHighOffset, static_cast<uint32_t>(logicalSize >> 32));
        StoreU32(&out, kLogicalSizeLowOffset, static_cast<uint32_t>(logicalSize));
    }

    if (recordBytes >= 20)
        StoreU32(&out, trailerStart + 16, PackageChecksum(package, out, package.trailerSize));

    out += package.afterLogicalEnd;
    *installer = std::move(out);
    return true;
}

} // namespace zelkor
