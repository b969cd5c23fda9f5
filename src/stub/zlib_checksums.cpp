// zlib's checksums, replaced for the stub's size. The stub inflates zlib
// streams only (window bits 15, never gzip), so inflate never calls crc32 and
// its 8 KB of tables can stay out; adler32 is ours because zlib's copy comes
// with functions the stub never calls.
#include <zlib.h>

#include "package/adler32.h"

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef*, uInt) {
    return crc;
}

extern "C" uLong ZEXPORT adler32(uLong adler, const Bytef* data, uInt length) {
    if (!data) return 1;
    return zelkor::Adler32(std::uint32_t(adler), data, length);
}
