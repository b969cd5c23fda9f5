#include "block_encoder.h"

#include <zlib.h>

#include "package/block_stream.h"
#include "util/lists.h"

namespace zelkor {
namespace {

void AppendLength(std::string* out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        *out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

} // namespace

bool MakeBlockHeader(const std::string& storedName, uint32_t dosDateTime, std::string* header,
                     std::string* error) {
    std::string list;
    if (!ListSetItem(list, 0, storedName) || !ListSetItem(list, 1, UIntToText(dosDateTime))) {
        *error = "no list delimiter is free for the name " + storedName;
        return false;
    }
    if (list.size() >= kMaxBlockHeader) {
        *error = "the name " + storedName.substr(0, 60) + "... is too long";
        return false;
    }
    *header = list;
    return true;
}

std::string EncodeBlock(const std::string& content, int level) {
    const uLong size = static_cast<uLong>(content.size());
    uLongf packedSize = compressBound(size);
    std::string packed(packedSize, '\0');
    const int result = compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
                                 reinterpret_cast<const Bytef*>(content.data()), size, level);
    std::string block;
    if (result == Z_OK && packedSize < content.size()) {
        AppendLength(&block, static_cast<uint32_t>(packedSize));
        block.append(packed, 0, packedSize);
    } else {
        AppendLength(&block, 0u - static_cast<uint32_t>(content.size()));
        block += content;
    }
    return block;
}

} // namespace zelkor
