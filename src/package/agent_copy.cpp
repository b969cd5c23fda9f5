#include "package/agent_copy.h"

#include <utility>

#include "package/trailer.h"

namespace zelkor {

bool MakeAgentCopy(ByteSource& volume, uint64_t listsEnd, Text* copy) {
    TrailerRecord record;
    record.Clear();
    // The copy must at least hold the logical size it clears, and a stub with
    // its lists is never near 2 GiB.
    if (!ReadTrailer(volume, record) || listsEnd < kLogicalSizeLowOffset + 4 ||
        listsEnd > volume.Size() || listsEnd > 0x7FFFFFFF)
        return false;
    Text bytes(size_t(listsEnd), '\0');
    uint64_t at = 0;
    while (at < listsEnd) {
        const uint64_t left = listsEnd - at;
        const uint32_t want = left < 0x10000000u ? uint32_t(left) : 0x10000000u;
        if (volume.ReadAt(at, &bytes[size_t(at)], want) != want) return false;
        at += want;
    }
    for (uint32_t i = 0; i < 4; ++i)
        bytes[kLogicalSizeLowOffset + i] = '\0';
    record.SetAutoUpdateProg(1);
    record.SetTrailerSize(kTrailerRecordSize);
    bytes.append(reinterpret_cast<const char*>(record.bytes), kTrailerRecordSize);
    *copy = std::move(bytes);
    return true;
}

} // namespace zelkor
