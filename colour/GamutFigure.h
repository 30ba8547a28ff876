#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>

#include "colour/OutputProfile.h"
#include "render/Raster.h"

namespace velmora {

// How often each colour occurs in a picture, or in an even sample of its pixels.
using ColourHistogram = std::unordered_map<Pixel, std::uint64_t>;

// Pixels a histogram of a large picture samples at most: a fractal has at most 128 colours, and the share of
// a random picture's colours is then known to a tenth of a percent.
inline constexpr std::int64_t kHistogramSamples = 1 << 20;

// The step between the rows and the columns sampled in a picture of `width` x `height`.
int HistogramStep(int width, int height);

// Adds the pixels of `row` (one of the rows sampled) at every `step` to `histogram`.
void AddToHistogram(ColourHistogram& histogram, const Pixel* row, int width, int step);

// The colours of the whole of `rows`, sampled as HistogramStep says.
ColourHistogram HistogramOf(const PictureRows& rows);

// What a printer does to a picture's colours.
struct GamutFigure {
    double duller = 0;   // the share of the surface that moves by more than kNoticeableShift (0 to 1)
    double largest = 0;  // the largest shift of any of its colours (CIEDE2000)
};

GamutFigure GamutFigureOf(const OutputProfile& profile, const ColourHistogram& histogram);

// "N % of the surface will print noticeably duller (ΔE2000 > 5; largest shift M)".
std::string GamutLine(const GamutFigure& figure);

}  // namespace velmora
