#include "render/CountCanvas.h"

#include <algorithm>

#include "render/CalcBas.h"

namespace velmora {

CountCanvas::CountCanvas(int width, int height, int dot)
    : width_(width),
      height_(height),
      dot_(dot),
      pointsWide_((width + dot - 1) / dot),
      pointsHigh_((height + dot - 1) / dot),
      points_(static_cast<std::size_t>(pointsWide_) * static_cast<std::size_t>(pointsHigh_)),
      row_(static_cast<std::size_t>(width)) {}

void CountCanvas::PaintColumns(int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns,
                               int rows) {
    auto* const points = static_cast<std::uint8_t*>(points_.data());
    const int firstRow = CalcBas::kPassY[pass];
    // Row by row: a column's points lie a whole point row apart.
    for (int row = 0; row < rows; ++row) {
        const std::int64_t py = 4LL * row + firstRow;
        if (py >= pointsHigh_) break;
        std::uint8_t* line = points + static_cast<std::size_t>(py) * pointsWide_;
        for (int c = 0; c < columns; ++c)
            if (px[c] >= 0 && px[c] < pointsWide_) line[px[c]] = static_cast<std::uint8_t>(counts[c][row] + 1);
    }
}

PictureRows CountCanvas::Rows(const ColorValue* tableColumn, int colourCount) {
    colours_[0] = 0xFFFFFFFFu;
    for (int n = 0; n < 255; ++n) colours_[n + 1] = PixelOf(tableColumn[n % colourCount]);
    const auto part = [this](int y, int x, int count) -> const Pixel* {
        const std::uint8_t* points = PointRow(y / dot_);
        Pixel* out = row_.data();
        if (dot_ == 1) {
            for (int i = 0; i < count; ++i) out[i] = colours_[points[x + i]];
        } else {
            // Each point's colour fills its dot's pixels: a row is read a point at a time.
            for (int i = 0, point = x / dot_, end = x + count; x < end; ++point) {
                const Pixel colour = colours_[points[point]];
                for (const int dotEnd = std::min(end, (point + 1) * dot_); x < dotEnd; ++x) out[i++] = colour;
            }
        }
        return out;
    };
    return {width_, height_, [this, part](int y) { return part(y, 0, width_); }, part};
}

std::vector<Pixel> CountCanvas::Colours(const ColorValue* tableColumn, int colourCount) const {
    bool seen[256] = {};
    const auto* points = static_cast<const std::uint8_t*>(points_.data());
    const std::size_t pointCount = static_cast<std::size_t>(pointsWide_) * static_cast<std::size_t>(pointsHigh_);
    for (std::size_t i = 0; i < pointCount; ++i) seen[points[i]] = true;
    std::vector<Pixel> colours;
    for (int value = 0; value < 256; ++value)
        if (seen[value]) colours.push_back(value == 0 ? 0xFFFFFFFFu : PixelOf(tableColumn[(value - 1) % colourCount]));
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    return colours;
}

}  // namespace velmora
