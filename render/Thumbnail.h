#pragma once
#include <cstddef>

#include "common/Colour.h"
#include "render/Raster.h"

namespace velmora {

// Scales a whole picture of width x height pixels (rows `stride` pixels
// apart) to the destination's size by area averaging: each destination pixel
// gets the rounded mean of the source pixels that fall on it (the nearest one
// when the destination is larger). One pass over the source, for thumbnails
// of the largest canvases after every pass of a render.
void StretchAveraged(const Pixel* source, int width, int height, std::ptrdiff_t stride, const Raster& destination);

}  // namespace velmora
