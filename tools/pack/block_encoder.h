// The builder's side of the block stream: headers and encoded blocks.
#pragma once

#include <cstdint>
#include <string>

namespace zelkor {

// The largest content one block may hold: its length is a signed 32 bits.
constexpr uint64_t kMaxBlockContent = 0x7FFFFFFF;

// "|name|stamp|", with a delimiter that no item holds. False (and a reason)
// when no delimiter is free or the header is too long for the reader.
bool MakeBlockHeader(const std::string& storedName, uint32_t dosDateTime, std::string* header,
                     std::string* error);

// The length and the bytes: a zlib stream when it is smaller than the
// content, else the content stored with a negative length. `level` is
// zlib's 0 to 9. The content must not exceed kMaxBlockContent.
std::string EncodeBlock(const std::string& content, int level);

} // namespace zelkor
