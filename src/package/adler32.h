#pragma once

#include <cstddef>
#include <cstdint>

namespace zelkor {

// The zlib stream checksum, continued from `adler` (1 for a new stream).
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t length);

} // namespace zelkor
