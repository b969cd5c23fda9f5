// The arithmetic of the window helpers, apart from the calls that feed it.
#pragma once

namespace zelkor {

// The slice a wait pumps between sleeps: `sliceMs`, or ms / 10 within 1..25.
unsigned WaitSliceMs(unsigned ms, unsigned sliceMs);

struct Origin {
    int x;
    int y;
};

// Where a window of that size is centred in the work area; divisions
// truncate toward zero, so a window larger than the area starts above it.
Origin CenteredOrigin(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width,
                      int height);

} // namespace zelkor
