#include <gtest/gtest.h>

#include <vector>

#include <array>
#include <cmath>
#include <string>

#include "canvas/CanvasGeometry.h"
#include "common/Numbers.h"
#include "region/RegionNav.h"
#include "region/ViewHistory.h"
#include "render/PictureParameters.h"
#include "render/RenderWalk.h"

using namespace velmora;

TEST(SizeSeries, EveryValue) {
    const std::array<std::array<int, 2>, 21> sizes = {{{256, 181},   {304, 215},   {362, 256},   {430, 304},
                                                       {512, 362},   {608, 430},   {724, 512},   {861, 608},
                                                       {1024, 724},  {1217, 861},  {1448, 1024}, {1722, 1217},
                                                       {2048, 1448}, {2435, 1722}, {2896, 2048}, {3444, 2435},
                                                       {4096, 2896}, {4870, 3444}, {5792, 4096}, {6888, 4870},
                                                       {8192, 5792}}};
    for (int v = kSizeMin; v <= kSizeMax; ++v) {
        const CanvasSize size = SizeForValue(v);
        EXPECT_EQ(size.width, sizes[v - kSizeMin][0]) << v;
        EXPECT_EQ(size.height, sizes[v - kSizeMin][1]) << v;
    }
}

TEST(SizeSeries, GridAndDot) {
    const CanvasGrid normal = GridFor({608, 430}, false);
    EXPECT_EQ(normal.width, 152);
    EXPECT_EQ(normal.height, 107.5);
    EXPECT_EQ(normal.dot, 4);
    const CanvasGrid high = GridFor({608, 430}, true);
    EXPECT_EQ(high.width, 608);
    EXPECT_EQ(high.height, 430);
    EXPECT_EQ(high.dot, 1);
}

// Beyond the series a picture takes the region's height from the series size
// of nearest width; at a series size nothing changes.
TEST(SizeSeries, PictureGridsOfAnySize) {
    for (int v = kSizeMin; v <= kSizeMax; ++v)
        for (bool high : {false, true}) {
            const PictureGrid g = PictureGridFor(SizeForValue(v), high);
            EXPECT_EQ(g.regionHeight, g.grid.height) << v;
            EXPECT_EQ(g.grid.width, GridFor(SizeForValue(v), high).width) << v;
        }
    EXPECT_EQ(ReferenceSize(10).width, 256);
    EXPECT_EQ(ReferenceSize(280).width, 256);  // a tie takes the narrower
    EXPECT_EQ(ReferenceSize(281).width, 304);
    EXPECT_EQ(ReferenceSize(65536).width, 8192);

    // A 900 x 400 desk-mat proportion (2.25 : 1) beside 861 x 608: the region
    // spans 900 * 608 / 861 rows.
    const PictureGrid mat = PictureGridFor({900, 400}, true);
    EXPECT_EQ(mat.regionHeight, 635.5400696864111);
    EXPECT_EQ(mat.grid.height, 400);
    // An odd size in normal resolution beside 1024 x 724: 1001 * 724 / 1024 / 4.
    const PictureGrid odd = PictureGridFor({1001, 333}, false);
    EXPECT_EQ(odd.regionHeight, 176.9345703125);
    EXPECT_EQ(odd.grid.width, 250.25);
    EXPECT_EQ(odd.grid.height, 83.25);
    EXPECT_EQ(odd.grid.dot, 4);

    // On the canvas of 861 x 608, that mat spans the width and 608 * 400 / 635.54 rows about the middle; a
    // picture of the canvas's own size covers the canvas exactly.
    const CanvasRect onCanvas = PictureOnCanvas({861, 608}, {900, 400}, false);
    EXPECT_EQ(onCanvas.width, 861);
    EXPECT_NEAR(onCanvas.height, 400.0 * 861 / 900, 1e-9);  // the same plane distance per pixel across and down
    EXPECT_NEAR(onCanvas.top, (608 - 400.0 * 861 / 900) / 2, 1e-9);
    const CanvasRect same = PictureOnCanvas({861, 608}, {861, 608}, true);
    EXPECT_EQ((std::vector<double>{same.left, same.top, same.width, same.height}), (std::vector<double>{0, 0, 861, 608}));
}

TEST(SizeSeries, PixelsFromMillimetresAndDpi) {
    struct Case {
        double w, h, dpi;
        int width, height;
    };
    for (const Case& c : {Case{900, 400, 300, 10630, 4724}, Case{900, 400, 600, 21260, 9449},
                          Case{250, 210, 300, 2953, 2480}, Case{297, 210, 300, 3508, 2480},
                          Case{25.4, 12.7, 2, 2, 1}, Case{3.175, 1, 4, 0, 0}}) {  // 0.5 and 0.157 rounds to 0
        const CanvasSize size = PixelsForMillimetres(c.w, c.h, c.dpi);
        EXPECT_EQ(size.width, c.width) << c.w << " x " << c.h << " at " << c.dpi;
        EXPECT_EQ(size.height, c.height) << c.w << " x " << c.h << " at " << c.dpi;
    }
}

TEST(PanRange, WorkedValues) {
    struct Case {
        int canvas, frame, maximum, small, large;
    };
    for (const Case& c : {Case{608, kFrameOuterWidth, 17, 3, 10}, Case{430, kFrameOuterHeight, 115, 15, 58},
                          Case{861, kFrameOuterWidth, -236, 30, 119}, Case{608, kFrameOuterHeight, -63, 9, 32},
                          Case{8192, kFrameOuterWidth, -7567, 947, 3784}, Case{5792, kFrameOuterHeight, -5247, 657, 2624},
                          Case{625, kFrameOuterWidth, 0, 1, 1}}) {
        const PanRange r = PanRangeFor(c.frame, c.canvas);
        EXPECT_EQ(r.maximum, c.maximum) << c.canvas;
        EXPECT_EQ(r.smallChange, c.small) << c.canvas;
        EXPECT_EQ(r.largeChange, c.large) << c.canvas;
    }
}

namespace {

// The texts the four boxes show after a press, in the order X0, X1, Y0, Y1.
std::array<std::string, 4> Texts(const std::optional<Region>& r) {
    if (!r) return {"refused", "", "", ""};
    return {NumText(r->x0), NumText(r->x1), NumText(r->y0), NumText(r->y1)};
}

Region Read(const std::array<std::string, 4>& texts) {
    return {Val(texts[0]), Val(texts[1]), Val(texts[2]), Val(texts[3])};
}

using Texts4 = std::array<std::string, 4>;
const Region kDesign{0.16, 0.145, -0.2, -0.216};

}  // namespace

TEST(Zoom, WorkedValuesAndRoundTrip) {
    EXPECT_EQ(Texts(ZoomRegion(kDesign, 0)), (Texts4{"0.15625", "0.14875", "-0.204", "-0.212"}));
    const Texts4 out = Texts(ZoomRegion(kDesign, 1));
    EXPECT_EQ(out, (Texts4{"0.1675", "0.1375", "-0.192", "-0.224"}));
    EXPECT_EQ(Texts(ZoomRegion(Read(out), 0)), (Texts4{"0.16", "0.145", "-0.2", "-0.216"}));
    EXPECT_EQ(Texts(ZoomRegion(kDesign, 7)), out);  // any other index zooms out
}

TEST(Move, WorkedValues) {
    EXPECT_EQ(Texts(MoveRegion(kDesign, 0)), (Texts4{"0.15625", "0.14125", "-0.2", "-0.216"}));
    EXPECT_EQ(Texts(MoveRegion(kDesign, 1)), (Texts4{"0.16375", "0.14875", "-0.2", "-0.216"}));
    EXPECT_EQ(Texts(MoveRegion(kDesign, 2)), (Texts4{"0.16", "0.145", "-0.204", "-0.22"}));
    EXPECT_EQ(Texts(MoveRegion(kDesign, 3)), (Texts4{"0.16", "0.145", "-0.196", "-0.212"}));
    EXPECT_FALSE(MoveRegion(kDesign, 4));
    EXPECT_FALSE(MoveRegion(kDesign, -1));
}

TEST(ZoomAndMove, ReversedZeroAndEmptyBoxes) {
    const Region reversed{0.1, 0.2, 0, 0};
    EXPECT_EQ(Texts(ZoomRegion(reversed, 0))[0], "0.125");
    EXPECT_EQ(Texts(ZoomRegion(reversed, 0))[1], "0.175");
    EXPECT_EQ(Texts(MoveRegion(reversed, 1))[0], "0.075");
    EXPECT_EQ(Texts(MoveRegion(reversed, 1))[1], "0.175");

    const Region flat{0.3, 0.3, 1, -1};
    for (int index : {0, 1}) {
        EXPECT_EQ(ZoomRegion(flat, index)->x0, 0.3);
        EXPECT_EQ(ZoomRegion(flat, index)->x1, 0.3);
    }
    for (int index : {0, 1}) {
        EXPECT_EQ(MoveRegion(flat, index)->x0, 0.3);
        EXPECT_EQ(MoveRegion(flat, index)->x1, 0.3);
    }

    // An empty Y1 box reads as 0.
    const Region emptyY1 = Read({"0.16", "0.145", "-0.2", ""});
    EXPECT_EQ(Texts(MoveRegion(emptyY1, 2))[2], "-0.15");
    EXPECT_EQ(Texts(MoveRegion(emptyY1, 2))[3], "0.05");
}

TEST(ZoomAndMove, NonFiniteResultsAreRefused) {
    const double big = 1.5e308;
    EXPECT_FALSE(ZoomRegion({big, -big, 0, 1}, 1));     // doubling overflows
    EXPECT_FALSE(MoveRegion({big, -big, 0, 1}, 0));     // extent overflows
    EXPECT_FALSE(ZoomRegion({INFINITY, 0, 0, 1}, 0));  // "1E400" typed into a box
    EXPECT_FALSE(MoveRegion({0, 1, NAN, 1}, 2));
    EXPECT_TRUE(MoveRegion({INFINITY, 0, 0, 1}, 2));  // a move writes only its own axis
    // Zooming out again and again ends in a refusal, never in texts that are not numbers.
    std::optional<Region> r = kDesign;
    int presses = 0;
    while (r && presses < 5000) {
        for (const std::string& text : Texts(r)) EXPECT_TRUE(std::isfinite(Val(text))) << text;
        r = ZoomRegion(Read(Texts(r)), 1);
        ++presses;
    }
    EXPECT_FALSE(r);
    EXPECT_GT(presses, 1000);
}

TEST(RubberBand, RectangleToRegionWorkedValues) {
    // Binary fractions, worked by hand: XL = X1 + (left / D) dx, XH = X1 + ((right + 1) / D) dx, and so for y.
    const PixelRect rect{1, 4, 6, 11};
    const std::optional<Region> normal = RegionOfRectangle(rect, {-0.5, 0.25, 0.125, -0.0625, 4});
    EXPECT_EQ(normal->x1, -0.46875);  // -0.5 + 0.25 * 0.125
    EXPECT_EQ(normal->x0, -0.28125);  // -0.5 + 1.75 * 0.125
    EXPECT_EQ(normal->y1, 0.1875);    // 0.25 + 1 * -0.0625
    EXPECT_EQ(normal->y0, 0.0625);    // 0.25 + 3 * -0.0625
    const std::optional<Region> high = RegionOfRectangle(rect, {-0.5, 0.25, 0.125, -0.0625, 1});
    EXPECT_EQ(high->x1, -0.375);
    EXPECT_EQ(high->x0, 0.375);
    EXPECT_EQ(high->y1, 0);
    EXPECT_EQ(high->y0, -0.5);
    // A region with X0 < X1 stays so.
    const std::optional<Region> reversed = RegionOfRectangle({0, 0, 7, 3}, {2, 0, -0.5, 1, 4});
    EXPECT_EQ(reversed->x1, 2);
    EXPECT_EQ(reversed->x0, 1);
    EXPECT_FALSE(RegionOfRectangle(rect, {-1e308, 0, -1e308, 1, 1}));

    // The start-up region as Start fixes it in single precision; the texts were
    // worked with an independent single-precision rounding (Python's struct).
    // The same canvas rectangle gives the same region in either resolution.
    for (const bool highResolution : {false, true}) {
        const double unit = highResolution ? 1 : 4;
        const RenderParams p = ReadRenderParams(StartupParameters(), 608 / unit, 430 / unit);
        const PlaneMapping mapping{p.x1, p.y1, p.dx, p.dy, static_cast<int>(unit)};
        EXPECT_EQ(Texts(RegionOfRectangle({152, 107, 455, 322}, mapping)),
                  (Texts4{"0.0250000024680048", "-0.0249999996740371", "0.0701395334908739", "0.00986046495381743"}))
            << highResolution;
    }
}

TEST(RubberBand, DraggedRectangleIsClippedAndSmallMovesAreClicks) {
    using Corners = std::array<int, 4>;
    const auto corners = [](const std::optional<PixelRect>& r) {
        return r ? Corners{r->left, r->top, r->right, r->bottom} : Corners{-1, -1, -1, -1};
    };
    EXPECT_FALSE(DraggedRectangle(10, 10, 13, 7, 608, 430));
    EXPECT_EQ(corners(DraggedRectangle(10, 10, 14, 10, 608, 430)), (Corners{10, 10, 14, 10}));
    // Dragged up and to the left, and beyond the edges of a canvas scrolled inside its frame.
    EXPECT_EQ(corners(DraggedRectangle(700, 500, -20, 6, 861, 608)), (Corners{0, 6, 700, 500}));
    EXPECT_EQ(corners(DraggedRectangle(850, 600, 9000, 9000, 861, 608)), (Corners{850, 600, 860, 607}));
    EXPECT_FALSE(DraggedRectangle(0, 0, 100, 100, 0, 0));
}

TEST(ViewHistory, RecordsBacksForwardsAndDropsTheViewsAhead) {
    const auto view = [](const std::string& x0) {
        PictureParameters v;
        v.x0 = x0;
        return v;
    };
    ViewHistory history;
    EXPECT_FALSE(history.Back());
    history.Record(view("1"));
    history.Record(view("1"));  // equal to the last: not recorded again
    history.Record(view("2"));
    history.Record(view("3"));
    EXPECT_EQ(history.Size(), 3u);
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_EQ(history.Back()->x0, "2");
    EXPECT_EQ(history.Back()->x0, "1");
    EXPECT_FALSE(history.Back());
    EXPECT_EQ(history.Forward()->x0, "2");
    // Rendering the view Back or Forward brought records nothing.
    history.Record(view("2"));
    EXPECT_EQ(history.Size(), 3u);
    EXPECT_TRUE(history.CanGoForward());
    // Any field makes a view new; a new view after going back drops the ones ahead.
    PictureParameters other = view("2");
    other.randomExponent = 2;
    history.Record(other);
    EXPECT_EQ(history.Size(), 3u);
    EXPECT_FALSE(history.CanGoForward());
    EXPECT_EQ(history.Back()->randomExponent, 0);

    ViewHistory bounded;
    for (int i = 0; i < 1005; ++i) bounded.Record(view(std::to_string(i)));
    EXPECT_EQ(bounded.Size(), ViewHistory::kLimit);
    EXPECT_EQ(bounded.Position(), 999u);
    while (bounded.CanGoBack()) bounded.Back();
    EXPECT_EQ(bounded.Forward()->x0, "6");  // the five oldest are gone
}
