#pragma once
#include <cstdint>
#include <optional>

namespace velmora {

// The drawing region as read from the boxes XH, XL, YH, YL.
struct Region {
    double x0, x1, y0, y1;
};

// Zoom in (index 0) halves the extents about the centre; any other index zooms
// out, doubling them. Nothing when a result is not finite.
std::optional<Region> ZoomRegion(const Region& region, int index);

// Moves by a quarter of the signed extent: 0 left, 1 right, 2 up, 3 down.
// Nothing for other indexes or when a moved value is not finite; the other
// axis is passed through as it was.
std::optional<Region> MoveRegion(const Region& region, int index);

// Canvas pixels `left` to `right` and `top` to `bottom`, both ends included.
struct PixelRect {
    int left, top, right, bottom;
};

// A press and release closer than this in both directions is a click, not a drag.
inline constexpr int kDragThreshold = 4;

// The rectangle a drag from canvas pixel (fromX, fromY) to (toX, toY) covers,
// clipped to a canvas of `width` by `height` pixels. Nothing for a click or a
// canvas without pixels.
std::optional<PixelRect> DraggedRectangle(int fromX, int fromY, int toX, int toY, int width, int height);

// How a render placed its points: grid unit (px, py) shows the plane point
// (x1 + px * dx, y1 + py * dy), and one unit spans `dot` pixels.
struct PlaneMapping {
    double x1, y1, dx, dy;
    int dot;
};

// The region whose picture shows the pixels of `rect`: X1 and Y1 at its
// top-left pixel, X0 and Y0 just past its bottom-right one, so a region with
// X0 < X1 or Y0 < Y1 keeps that order. Nothing when a bound is not finite.
std::optional<Region> RegionOfRectangle(const PixelRect& rect, const PlaneMapping& mapping);

// Arrow keys on the pan bars.
enum class ArrowKey { Left = 37, Up = 38, Right = 39, Down = 40 };

// The bar's new position for an arrow key: Up/Left add the large change and
// stop at the minimum, Down/Right subtract it and stop at the maximum; 16-bit
// arithmetic as the bars hold.
std::int16_t PanKeyPosition(ArrowKey key, std::int16_t value, std::int16_t minimum, std::int16_t maximum,
                            std::int16_t largeChange);

}  // namespace velmora
