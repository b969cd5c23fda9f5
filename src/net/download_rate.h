// The progress text of a download: bytes done of the total and the rate
// over the last five steps.
#pragma once

#include <cstdint>

#include "util/text.h"

namespace zelkor {

struct SampleWindow {
    uint32_t slots[5] = {};
};

// Shifts the window by one and stores `value` last. Returns the sum of the
// five slots, or `value` minus the value stored four pushes earlier (in
// 32-bit arithmetic, so tick counts stay right across their wrap).
int64_t PushSample(SampleWindow& window, uint32_t value, bool wantSum);

struct RateWindows {
    SampleWindow ticks;
    SampleWindow bytes;
};

// "<done>/<total> Bytes   " and, once time has passed, the rate with two
// decimals and " KB/Sec". `now` is a millisecond tick count.
Text FormatProgressAt(RateWindows& windows, bool reset, int64_t total, int64_t done,
                      uint32_t stepBytes, uint32_t now);

// Windows layer: the process-wide rate windows and the system tick count.
Text FormatProgress(bool reset, int64_t total, int64_t done, uint32_t stepBytes);

} // namespace zelkor
