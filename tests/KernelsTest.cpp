#include <gtest/gtest.h>

#include <cmath>

#include "render/CalcBas.h"

using namespace velmora::CalcBas;

TEST(IterateMap1, KnownCounts) {
    EXPECT_EQ(IterateMap1(0, 0, 0, 0, 31), 0);      // stays at the origin
    EXPECT_EQ(IterateMap1(-1, 0, 0, 0, 31), 0);     // fixed point: 1 adjusted to 0
    EXPECT_EQ(IterateMap1(2, 0, 0, 0, 31), 0);      // escapes in outer step 0
    EXPECT_EQ(IterateMap1(-5, -15, 0.29f, -0.11f, 31), 24);  // decays through subnormals to zero
    EXPECT_EQ(IterateMap1(0.2f, -0.11f, -9, 1, 31), 18);     // settles into a cycle
}

TEST(IterateMap3, KnownCounts) {
    EXPECT_EQ(IterateMap3(0.5f, 0.5f, 3, 0, 31), 0);
    EXPECT_EQ(IterateMap3(0.051f, 1.03f, -0.02f, -0.05f, 31), 31);
}

TEST(Kernels, MapStepTable) {
    const int expected[32] = {5, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 7, 7, 7,
                              7, 7, 8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 11, 11, 11};
    int total = 0;
    for (int i = 0; i < 32; ++i) {
        EXPECT_EQ(MapStepsAt(i, 31), expected[i]) << i;
        total += MapStepsAt(i, 31);
    }
    EXPECT_EQ(total, 236);
}

TEST(Kernels, DegenerateInputsGiveCountsWithoutTrapping) {
    // Parameter plane from a = b = 0: the map-3 denominator is zero at once.
    const int origin = IterateMap3(0, 0, 0.5f, 0.5f, 31);
    EXPECT_GE(origin, 0);
    EXPECT_LE(origin, 32);
    const float inf = INFINITY, nan = NAN;
    for (float v : {inf, -inf, nan, 3.0e38f, 1.0e-45f}) {
        for (int mode : {1, 3}) {
            const int n = mode == 1 ? IterateMap1(v, v, v, v, 31) : IterateMap3(v, 0.5f, v, 0.25f, 31);
            EXPECT_GE(n, 0);
            EXPECT_LE(n, 32);
        }
    }
    EXPECT_EQ(IterateMap1(nan, 0, 0, 0, 31), 0);  // NaN ends the call at the first test
}

TEST(PassOrder, EveryCellPositionOnce) {
    bool seen[4][4] = {};
    for (int p = 0; p < 16; ++p) {
        EXPECT_FALSE(seen[kPassX[p]][kPassY[p]]) << p;
        seen[kPassX[p]][kPassY[p]] = true;
    }
    EXPECT_EQ(kPassX[0], 0);
    EXPECT_EQ(kPassY[0], 0);
    EXPECT_EQ(kPassX[15], 3);
    EXPECT_EQ(kPassY[15], 0);
}
