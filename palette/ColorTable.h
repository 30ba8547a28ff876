#pragma once
#include <array>
#include <cstdint>

#include "common/Colour.h"

namespace velmora {

inline constexpr int kColourChoices = 8;
inline constexpr int kColourRows = 256;

// The colour counts of the eight colour-count choices, by list index.
inline constexpr std::array<int, kColourChoices> kColourCounts = {2, 3, 4, 8, 16, 32, 64, 128};

// 8 columns (one per colour-count choice) by 256 rows (colour index) of colours.
struct ColorTable {
    std::array<std::array<ColorValue, kColourRows>, kColourChoices> column{};
};

// The palette strip the strip palettes are sampled from (256 x 8 in the window).
class StripImage {
public:
    virtual ~StripImage() = default;
    virtual ColorValue PixelAt(int x, int y) const = 0;
};

// The default palette: fixed colours and sine ramps.
void coltable(ColorTable& table);
// The strip sampled from left to right ("Palett A").
void coltableB(ColorTable& table, const StripImage& strip);
// The strip sampled from right to left ("Palett B").
void coltableA(ColorTable& table, const StripImage& strip);

// The default strip: black through red, magenta, blue, cyan and yellow to
// white, the same in all eight rows.
inline constexpr int kStripWidth = 256;
inline constexpr int kStripHeight = 8;
ColorValue DefaultStripColour(int x);

class DefaultStrip final : public StripImage {
public:
    ColorValue PixelAt(int x, int) const override { return DefaultStripColour(x); }
};

}  // namespace velmora
