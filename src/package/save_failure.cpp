#include "package/save_failure.h"

namespace zelkor {
namespace {

// Truncates toward zero; values beyond 64 bits (or not numbers) would be
// undefined to convert.
int64_t TruncatedBytes(double bytes) {
    if (!(bytes > -9.2e18)) return bytes < 0 ? INT64_MIN : 0;
    if (bytes >= 9.2e18) return INT64_MAX;
    return int64_t(bytes);
}

} // namespace

Text DescribeSaveFailure(const Text& errorText, uint64_t dataSize, int64_t fileSize,
                         double bytesFree) {
    return errorText + "<P>" + "  Data Size: <T>" + UIntToText(dataSize) + " Bytes<P>" +
           "  File Size:  <T>" + IntToText(fileSize) + " Bytes<P>" + "  Bytes Free: <T>" +
           IntToText(TruncatedBytes(bytesFree)) + " Bytes";
}

} // namespace zelkor
