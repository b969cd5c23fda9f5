#include "util/ini_registry.h"

#include <cstring>

namespace zelkor {

Text ScrambleTextWithKey(const Text& text, bool scramble, uint8_t key) {
    const size_t markerLength = std::strlen(kScrambleMarker);
    const bool marked = text.compare(0, markerLength, kScrambleMarker) == 0;
    if (marked == scramble) return text;
    // A bare marker carries no key: there is nothing to unscramble.
    if (!scramble && text.size() <= markerLength) return text;

    Text bytes = scramble ? text : text.substr(markerLength + 1);
    int32_t k = scramble ? key : static_cast<unsigned char>(text[markerLength]);
    // Odd positions use i + k and even ones i - k, modulo 256: applying the
    // same key twice gives the input back.
    for (size_t i = 1; i <= bytes.size(); ++i) {
        bytes[i - 1] = char(static_cast<unsigned char>(bytes[i - 1]) ^
                            static_cast<uint8_t>(uint32_t(i) + uint32_t(k)));
        k = -k;
    }
    if (!scramble) return bytes;
    return kScrambleMarker + Text(1, char(key)) + bytes;
}

} // namespace zelkor
