#include "region/RegionNav.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace velmora {

namespace {
bool Finite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

std::optional<Region> IfFinite(const Region& r) {
    if (Finite(r.x0, r.x1) && Finite(r.y0, r.y1)) return r;
    return std::nullopt;
}

// A move writes only the boxes of its own axis, so only those must be finite.
std::optional<Region> IfMovedFinite(const Region& r, bool horizontal) {
    if (horizontal ? Finite(r.x0, r.x1) : Finite(r.y0, r.y1)) return r;
    return std::nullopt;
}
}  // namespace

std::optional<Region> ZoomRegion(const Region& r, int index) {
    const double w = r.x0 - r.x1, h = r.y0 - r.y1;
    const double cx = (r.x1 + r.x0) / 2, cy = (r.y1 + r.y0) / 2;
    if (index == 0) return IfFinite({cx + w / 4, cx - w / 4, cy + h / 4, cy - h / 4});
    return IfFinite({cx + w, cx - w, cy + h, cy - h});
}

std::optional<Region> MoveRegion(const Region& r, int index) {
    const double w = r.x0 - r.x1, h = r.y0 - r.y1;
    switch (index) {
    case 0: return IfMovedFinite({r.x0 - w / 4, r.x1 - w / 4, r.y0, r.y1}, true);
    case 1: return IfMovedFinite({r.x0 + w / 4, r.x1 + w / 4, r.y0, r.y1}, true);
    case 2: return IfMovedFinite({r.x0, r.x1, r.y0 - h / 4, r.y1 - h / 4}, false);
    case 3: return IfMovedFinite({r.x0, r.x1, r.y0 + h / 4, r.y1 + h / 4}, false);
    default: return std::nullopt;
    }
}

std::optional<PixelRect> DraggedRectangle(int fromX, int fromY, int toX, int toY, int width, int height) {
    if (width <= 0 || height <= 0) return std::nullopt;
    // Differences in 64 bits: far-off pointer positions must not overflow.
    const auto moved = [](int a, int b) { return std::llabs(static_cast<long long>(a) - b); };
    if (moved(fromX, toX) < kDragThreshold && moved(fromY, toY) < kDragThreshold) return std::nullopt;
    return PixelRect{std::clamp(std::min(fromX, toX), 0, width - 1), std::clamp(std::min(fromY, toY), 0, height - 1),
                     std::clamp(std::max(fromX, toX), 0, width - 1), std::clamp(std::max(fromY, toY), 0, height - 1)};
}

std::optional<Region> RegionOfRectangle(const PixelRect& rect, const PlaneMapping& m) {
    const double dot = m.dot;
    Region region{};
    region.x1 = m.x1 + (rect.left / dot) * m.dx;
    region.x0 = m.x1 + ((rect.right + 1.0) / dot) * m.dx;
    region.y1 = m.y1 + (rect.top / dot) * m.dy;
    region.y0 = m.y1 + ((rect.bottom + 1.0) / dot) * m.dy;
    return IfFinite(region);
}

std::int16_t PanKeyPosition(ArrowKey key, std::int16_t value, std::int16_t minimum, std::int16_t maximum,
                            std::int16_t largeChange) {
    // The sums are formed in 32 bits so they cannot wrap before the limit applies.
    int v = value;
    if (key == ArrowKey::Up || key == ArrowKey::Left) {
        v += largeChange;
        if (v > minimum) v = minimum;
    } else {
        v -= largeChange;
        if (v < maximum) v = maximum;
    }
    return static_cast<std::int16_t>(v < -32768 ? -32768 : (v > 32767 ? 32767 : v));
}

}  // namespace velmora
