#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

#include "common/Colour.h"

namespace velmora {

// A view of 32-bit pixels (0xFFRRGGBB) owned elsewhere: a window's image or a
// buffer of the command-line renderer.
struct Raster {
    Pixel* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // pixels per row

    Pixel* Row(int y) const { return bits + static_cast<std::ptrdiff_t>(y) * stride; }
    Pixel At(int x, int y) const { return Row(y)[x]; }
    void Fill(Pixel value) const;
};

// The rows of a picture for an encoder: row(y) gives row y's `width` pixels,
// valid until the next call. Lets a picture be encoded from something other
// than a pixel buffer, one row at a time.
struct PictureRows {
    int width = 0;
    int height = 0;
    std::function<const Pixel*(int y)> row;
    // If set, `count` pixels of row y from column x, valid until the next call: cheaper than the whole row where
    // rows are coloured as they are read and a reader needs only part of them (a poster's page).
    std::function<const Pixel*(int y, int x, int count)> part = {};
};

// Pixels x to x + count of row y of `picture`.
inline const Pixel* RowPart(const PictureRows& picture, int y, int x, int count) {
    return picture.part ? picture.part(y, x, count) : picture.row(y) + x;
}

inline PictureRows RowsOf(const Raster& raster) {
    return {raster.width, raster.height, [raster](int y) -> const Pixel* { return raster.Row(y); }};
}

enum class DrawMode { Copy, Xor };

// Paints a point of the logical grid as a dot x dot block whose top-left pixel
// is (px * dot, py * dot); pixels outside the raster are clipped.
void PlotPoint(const Raster& raster, int dot, DrawMode mode, std::int64_t px, std::int64_t py, ColorValue colour);

}  // namespace velmora
