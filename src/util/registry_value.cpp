#include "util/ini_registry.h"

namespace zelkor {

Text ConvertRegistryValue(uint32_t type, const Text& data) {
    if (type == kRegDword && data.size() == 4) {
        const auto byte = [&data](int i) { return uint32_t(static_cast<unsigned char>(data[i])); };
        return UIntToText(byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24);
    }
    if (type == kRegMultiString && data.size() > 2) {
        Text strings = data;
        while (!strings.empty() && strings.back() == '\0')
            strings.pop_back();
        return ReplaceAll(strings, Text(1, '\0'), "<0>");
    }
    return data.substr(0, data.find('\0'));
}

} // namespace zelkor
