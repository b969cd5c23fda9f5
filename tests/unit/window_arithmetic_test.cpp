#include <gtest/gtest.h>

#include "ui/window_arithmetic.h"

namespace zelkor {
namespace {

TEST(WindowArithmetic, WaitSliceDefaultsToATenthWithinOneAndTwentyFive) {
    struct Case {
        unsigned ms, slice, expected;
    };
    const Case cases[] = {
        {100, 0, 10}, {5, 0, 1}, {0, 0, 1}, {250, 0, 25}, {1000, 0, 25}, {100, 7, 7}, {5, 50, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(WaitSliceMs(c.ms, c.slice), c.expected);
    }
}

TEST(WindowArithmetic, CentringTruncatesTowardZero) {
    struct Case {
        int left, top, areaWidth, areaHeight, width, height, x, y;
    };
    const Case cases[] = {
        {0, 0, 1024, 738, 360, 166, 332, 286},
        {0, 0, 1023, 737, 360, 166, 331, 285},
        {100, 30, 800, 600, 492, 110, 254, 275},
        // Larger than the area: -100.5 and -0.5 truncate to -100 and 0.
        {0, 0, 100, 100, 301, 101, -100, 0},
    };
    for (const Case& c : cases) {
        const Origin origin =
            CenteredOrigin(c.left, c.top, c.areaWidth, c.areaHeight, c.width, c.height);
        EXPECT_EQ(origin.x, c.x);
        EXPECT_EQ(origin.y, c.y);
    }
}

} // namespace
} // namespace zelkor
