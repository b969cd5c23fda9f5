#include "net/download_rate.h"

#include <windows.h>

namespace zelkor {

Text FormatProgress(bool reset, int64_t total, int64_t done, uint32_t stepBytes) {
    // Process-wide; reset only by a call with `reset`.
    static RateWindows windows;
    return FormatProgressAt(windows, reset, total, done, stepBytes, GetTickCount());
}

} // namespace zelkor
