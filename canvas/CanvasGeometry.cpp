#include "canvas/CanvasGeometry.h"

#include <cmath>

#include "common/Numbers.h"

namespace velmora {

CanvasSize SizeForValue(int value) {
    const double k = value / 4.0;
    const double side = std::pow(2.0, k);
    return {static_cast<int>(std::floor(side)), static_cast<int>(std::floor(side * std::pow(2.0, 0.5) / 2))};
}

CanvasGrid GridFor(CanvasSize size, bool highResolution) {
    if (highResolution) return {static_cast<double>(size.width), static_cast<double>(size.height), 1};
    return {size.width / 4.0, size.height / 4.0, 4};
}

PanRange PanRangeFor(int frameExtent, int canvasExtent) {
    const double maximum = RoundHalfEven(static_cast<double>(frameExtent) - canvasExtent);
    const double magnitude = std::fabs(maximum);
    return {static_cast<std::int16_t>(maximum), static_cast<std::int16_t>(RoundHalfEven(magnitude / 8 + 1)),
            static_cast<std::int16_t>(RoundHalfEven(magnitude / 2 + 1))};
}

}  // namespace velmora
