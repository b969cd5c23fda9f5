#include "ui/window_arithmetic.h"

namespace zelkor {

unsigned WaitSliceMs(unsigned ms, unsigned sliceMs) {
    if (sliceMs != 0) return sliceMs;
    const unsigned slice = ms / 10;
    return slice < 1 ? 1 : slice > 25 ? 25 : slice;
}

Origin CenteredOrigin(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width,
                      int height) {
    return {areaLeft + (areaWidth - width) / 2, areaTop + (areaHeight - height) / 2};
}

} // namespace zelkor
