#include "render/Raster.h"

#include <algorithm>

namespace velmora {

void Raster::Fill(Pixel value) const {
    for (int y = 0; y < height; ++y) std::fill_n(Row(y), width, value);
}

void PlotPoint(const Raster& raster, int dot, DrawMode mode, std::int64_t px, std::int64_t py, ColorValue colour) {
    const std::int64_t left = px * dot, top = py * dot;
    const std::int64_t x0 = std::max<std::int64_t>(left, 0), x1 = std::min<std::int64_t>(left + dot, raster.width);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0), y1 = std::min<std::int64_t>(top + dot, raster.height);
    const Pixel pixel = PixelOf(colour);
    for (std::int64_t y = y0; y < y1; ++y) {
        Pixel* row = raster.Row(static_cast<int>(y));
        if (mode == DrawMode::Copy) {
            for (std::int64_t x = x0; x < x1; ++x) row[x] = pixel;
        } else {
            // Exclusive-or of the colour bits; the pixel stays opaque.
            for (std::int64_t x = x0; x < x1; ++x) row[x] ^= pixel & 0x00FFFFFFu;
        }
    }
}

}  // namespace velmora
