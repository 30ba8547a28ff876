#pragma once
#include <cstdint>

namespace velmora {

// A colour value: red + 256 * green + 65536 * blue (layout 0x00BBGGRR).
using ColorValue = std::uint32_t;

constexpr ColorValue Rgb(int red, int green, int blue) {
    return static_cast<ColorValue>(red) | (static_cast<ColorValue>(green) << 8) |
           (static_cast<ColorValue>(blue) << 16);
}
constexpr int RedOf(ColorValue c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(ColorValue c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(ColorValue c) { return static_cast<int>((c >> 16) & 0xFF); }

// A pixel as raster images hold it: 0xFFRRGGBB (the layout of QImage::Format_RGB32).
using Pixel = std::uint32_t;

constexpr Pixel PixelOf(ColorValue c) {
    return 0xFF000000u | (static_cast<Pixel>(RedOf(c)) << 16) | (static_cast<Pixel>(GreenOf(c)) << 8) |
           static_cast<Pixel>(BlueOf(c));
}
constexpr ColorValue ColorOfPixel(Pixel p) {
    return Rgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF));
}

}  // namespace velmora
