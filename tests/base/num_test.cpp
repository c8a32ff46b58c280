#include "base/num.h"

#include <gtest/gtest.h>
#include <math.h>

// The two clamps differ only in what they make of a NaN; code that packs or
// casts outside input relies on the second turning it into the low bound.
TEST(Clamps, InsideOutsideBoundsAndNaN) {
    struct { const char* name; float v, keep, low; } cases[] = {
        {"inside", 0.25f, 0.25f, 0.25f},
        {"below", -3, -1, -1},
        {"above", 7, 2, 2},
        {"on a bound", 2, 2, 2},
        {"infinite", INFINITY, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(clamp_keep_nan(c.v, -1, 2), c.keep);
        EXPECT_EQ(clamp_nan_to_low(c.v, -1, 2), c.low);
    }
    EXPECT_TRUE(isnan(clamp_keep_nan(NAN, -1.0f, 2.0f)));
    EXPECT_EQ(clamp_nan_to_low(NAN, -1.0f, 2.0f), -1.0f);
    EXPECT_EQ(clamp_nan_to_low((double)NAN, 0.0, 1.0), 0.0);
    EXPECT_EQ(clamp_keep_nan(12, 0, 10), 10);
}
