#include <gtest/gtest.h>

#include "output/PrintLayout.h"
#include "tests/PrintRectOutput.h"

using namespace velmora;

TEST(PlaceOnPage, MarginsAndFullWidthHeight) {
    EXPECT_EQ(PlaceOnPage({12000, 16000}, 4, 3), (PageRect{120, 160, 11880, 8840}));
}

TEST(PlaceOnPage, LandscapePageRunsBelowItsBottom) {
    // The start-up canvas, 608 x 430 pixels, on a whole A4 sheet turned to landscape: its bottom edge lies
    // below the page's, where the printer cuts it off.
    const PageRect r = PlaceOnPage({16838, 11906}, 608, 430);
    EXPECT_EQ(r.top, 119.06f);
    EXPECT_GT(r.top + r.height, 11906);
}

TEST(PlaceOnPage, EveryStepIsSinglePrecision) {
    // The start-up canvas (152 x 107.5 units): the ratio and the quotient are rounded to single precision
    // before the margin is taken off; double arithmetic rounded once at the end would give 7629.60547.
    EXPECT_EQ(PlaceOnPage({11000, 15000}, 152, 107.5), (PageRect{110, 150, 10890, 7629.60498f}));
    EXPECT_EQ(PlaceOnPage({11001, 15000}, 152, 107.5).left, 110.01f);
}
