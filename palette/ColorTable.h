#pragma once
#include <array>
#include <cstdint>
#include <optional>

#include "common/Colour.h"

namespace velmora {

// A colour-count choice: how many colours, and its name in the colour list.
struct ColourCount {
    int colours;
    const char* name;
};

// The colour-count choices, by list index.
inline constexpr std::array<ColourCount, 8> kColourCounts = {
    {{2, "MONO"}, {3, "3色"}, {4, "4色"}, {8, "8色"}, {16, "16色"}, {32, "32色"}, {64, "64色"}, {128, "128色"}}};
inline constexpr int kColourChoices = static_cast<int>(kColourCounts.size());
inline constexpr int kColourRows = 256;

// The list index of the choice of `colours` colours, or nothing when there is none.
std::optional<int> ColourIndexOf(long colours);

// The number of colours of the choice at list index `index`; 16 when there is none.
int ColourCountAt(int index);

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
