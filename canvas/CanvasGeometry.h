#pragma once
#include <cstdint>

#include "render/RenderWalk.h"

namespace velmora {

inline constexpr int kSizeMin = 32;
inline constexpr int kSizeMax = 52;
inline constexpr int kFrameOuterWidth = 625;
inline constexpr int kFrameOuterHeight = 545;

struct CanvasSize {
    int width, height;
};

// The canvas size for a size-bar value: W = floor(2^(v/4)), H = floor(W-ish * sqrt2 / 2).
CanvasSize SizeForValue(int value);

// The logical grid the driver walks and the dot each point paints.
struct CanvasGrid {
    double width, height;
    int dot;
};
CanvasGrid GridFor(CanvasSize size, bool highResolution);

// Pictures drawn at any size, beyond the series: each side 16 to 65536 pixels.
inline constexpr int kPictureSideMin = 16;
inline constexpr int kPictureSideMax = 65536;

// Whether `pixels` is one of the series' sizes.
bool IsSeriesSize(CanvasSize pixels);

// The walk that draws a picture of `pixels` at `dot` pixels a point with `margin` more points on every side: a
// series size without margin keeps its own walk (its pictures are defined so); any other reaches the last point
// that covers part of the picture, so every column and row is drawn.
RenderParams WalkCovering(RenderParams whole, CanvasSize pixels, int dot, int margin = 0);

// The series size whose proportions give the region's height for a picture
// `width` pixels wide: the one of nearest width (the narrower on a tie).
CanvasSize ReferenceSize(int width);

// The grid of a picture of any size. The region's X range spans the grid's
// width; its Y range spans `regionHeight` grid units, the height a picture of
// this width has at the reference size's proportions. A taller grid shows more
// of the plane above and below, a shorter one less, centred on the region at
// the same plane distance per unit. At a series size regionHeight == height.
struct PictureGrid {
    CanvasGrid grid;
    double regionHeight;
};
PictureGrid PictureGridFor(CanvasSize pixels, bool highResolution);

// Where a picture of `pixels` drawn from the region of a canvas of the series lies on that canvas, in canvas
// pixels: across its whole width, centred in height by the same rule PictureGridFor gives the picture's region
// (a picture of other proportions reaches above and below the canvas, or covers less of its height).
struct CanvasRect {
    double left, top, width, height;
};
CanvasRect PictureOnCanvas(CanvasSize canvas, CanvasSize pixels, bool highResolution);

// The pixels of a physical size printed at `dpi` dots per inch, each side
// round(mm / 25.4 * dpi) with ties to even.
CanvasSize PixelsForMillimetres(double widthMm, double heightMm, double dpi);

// The pixels a bleed of `bleedMm` adds on each side at `dpi`, rounded as the sides are.
int BleedPixels(double bleedMm, double dpi);
// The bleed a print shop asks for by default, and the most the program offers.
inline constexpr double kDefaultBleedMm = 3;
inline constexpr double kBleedMaxMm = 20;

// A pan bar's range for a canvas extent inside the frame's outer extent.
struct PanRange {
    std::int16_t maximum, smallChange, largeChange;
};
PanRange PanRangeFor(int frameExtent, int canvasExtent);

}  // namespace velmora
