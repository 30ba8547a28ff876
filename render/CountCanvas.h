#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/Colour.h"
#include "common/HugePages.h"
#include "render/Raster.h"

namespace velmora {

// A canvas for fractal pictures in copy mode: one byte per point (its count
// + 1, 0 where no point fell), coloured only when the file is encoded. It needs a quarter of a pixel canvas's memory in high
// resolution and a sixty-fourth in normal resolution, and nothing has to be
// filled beforehand: fresh memory reads 0, the white background.
class CountCanvas {
public:
    CountCanvas(int width, int height, int dot);  // throws std::bad_alloc

    // The points of `columns` columns of one pass, as PointPainter::PaintColumns
    // paints them; points whose dot lies outside the picture are dropped.
    void PaintColumns(int pass, const std::int64_t* px, const std::uint8_t* const* counts, int columns, int rows);

    // The picture: a point's colour is entry count mod colourCount of the
    // table column, and pixels no point reached are white. Valid while this
    // canvas lives.
    PictureRows Rows(const ColorValue* tableColumn, int colourCount);
    // The distinct colours of that picture in ascending order, as PictureColours gives them.
    std::vector<Pixel> Colours(const ColorValue* tableColumn, int colourCount) const;

private:
    const std::uint8_t* PointRow(int py) const {
        return static_cast<const std::uint8_t*>(points_.data()) + static_cast<std::size_t>(py) * pointsWide_;
    }

    int width_, height_, dot_;
    int pointsWide_, pointsHigh_;  // points whose dot starts inside the picture
    HugePageBuffer points_;
    Pixel colours_[256] = {};
    std::vector<Pixel> row_;
};

}  // namespace velmora
