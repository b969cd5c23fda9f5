#include "package/adler32.h"

namespace zelkor {

namespace {

constexpr std::uint32_t kModulus = 65521;
// The most bytes whose sums cannot overflow 32 bits before the modulo.
constexpr std::size_t kRun = 5552;

} // namespace

std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* data, std::size_t length) {
    std::uint32_t a = adler & 0xFFFF;
    std::uint32_t b = adler >> 16;
    while (length > 0) {
        std::size_t run = length < kRun ? length : kRun;
        length -= run;
        // Four at a time: the loop stays small and the sums stay in registers.
        for (; run >= 4; run -= 4, data += 4) {
            a += data[0];
            b += a;
            a += data[1];
            b += a;
            a += data[2];
            b += a;
            a += data[3];
            b += a;
        }
        for (; run > 0; --run) {
            a += *data++;
            b += a;
        }
        a %= kModulus;
        b %= kModulus;
    }
    return (b << 16) | a;
}

} // namespace zelkor
