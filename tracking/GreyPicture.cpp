#include "tracking/GreyPicture.h"

#include <cmath>

namespace velmora {

namespace {

double LinearLight(int value) {
    const double v = value / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

}  // namespace

Luminance::Luminance() {
    for (int v = 0; v < 256; ++v) {
        const double linear = LinearLight(v);
        red_[v] = static_cast<float>(0.2126 * linear);
        green_[v] = static_cast<float>(0.7152 * linear);
        blue_[v] = static_cast<float>(0.0722 * linear);
    }
}

void GreyPicture::ReadPatch(int x, int y, int width, int height, float* grey) const {
    for (int j = 0; j < height; ++j) ReadRow(x, y + j, width, grey + static_cast<std::size_t>(j) * width);
}

void RasterGrey::ReadRow(int x, int y, int count, float* grey) const {
    const Pixel* row = raster_.Row(y) + x;
    for (int i = 0; i < count; ++i) grey[i] = luminance_(row[i]);
}

}  // namespace velmora
