#include "net/download_rate.h"

namespace zelkor {
namespace {

constexpr int kSlots = 5;

// Non-negative values only; half a hundredth rounds up.
Text FixedTwoDecimals(double value) {
    const uint64_t hundredths = uint64_t(value * 100.0 + 0.5);
    const uint64_t fraction = hundredths % 100;
    return UIntToText(hundredths / 100) + "." + (fraction < 10 ? "0" : "") + UIntToText(fraction);
}

} // namespace

int64_t PushSample(SampleWindow& window, uint32_t value, bool wantSum) {
    for (int i = 0; i + 1 < kSlots; ++i)
        window.slots[i] = window.slots[i + 1];
    window.slots[kSlots - 1] = value;
    if (!wantSum) return int64_t(uint32_t(value - window.slots[0]));
    int64_t sum = 0;
    for (uint32_t slot : window.slots)
        sum += slot;
    return sum;
}

Text FormatProgressAt(RateWindows& windows, bool reset, int64_t total, int64_t done,
                      uint32_t stepBytes, uint32_t now) {
    if (reset) {
        windows = RateWindows();
        for (uint32_t& slot : windows.ticks.slots)
            slot = now;
    }
    Text text = IntToText(done) + "/" + IntToText(total) + " Bytes   ";
    const int64_t elapsedMs = PushSample(windows.ticks, now, false);
    const int64_t bytes = PushSample(windows.bytes, stepBytes, true);
    if (elapsedMs > 0) {
        const double rate = double(bytes) / (double(elapsedMs) / 1000.0) / 1024.0;
        text += FixedTwoDecimals(rate) + " KB/Sec";
    }
    return text;
}

} // namespace zelkor
