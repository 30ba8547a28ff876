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

// Arrow keys on the pan bars.
enum class ArrowKey { Left = 37, Up = 38, Right = 39, Down = 40 };

// The bar's new position for an arrow key: Up/Left add the large change and
// stop at the minimum, Down/Right subtract it and stop at the maximum; 16-bit
// arithmetic as the bars hold.
std::int16_t PanKeyPosition(ArrowKey key, std::int16_t value, std::int16_t minimum, std::int16_t maximum,
                            std::int16_t largeChange);

}  // namespace velmora
