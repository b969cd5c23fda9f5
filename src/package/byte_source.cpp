#include "package/byte_source.h"

#include <cstring>

namespace zelkor {

uint32_t MemoryByteSource::ReadAt(uint64_t offset, void* buffer, uint32_t length) {
    const uint64_t size = bytes_.size();
    if (offset >= size) return 0;
    const uint64_t available = size - offset;
    const uint32_t count = available < length ? static_cast<uint32_t>(available) : length;
    std::memcpy(buffer, bytes_.data() + offset, count);
    return count;
}

} // namespace zelkor
