#include "colour/GamutFigure.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/Numbers.h"

namespace velmora {

int HistogramStep(int width, int height) {
    const double pixels = static_cast<double>(width) * height;
    if (pixels <= kHistogramSamples) return 1;
    return static_cast<int>(std::ceil(std::sqrt(pixels / kHistogramSamples)));
}

void AddToHistogram(ColourHistogram& histogram, const Pixel* row, int width, int step) {
    // Runs of one colour, the common case in a fractal, are counted at once.
    int x = 0;
    while (x < width) {
        const Pixel colour = row[x] | 0xFF000000u;
        std::uint64_t run = 0;
        while (x < width && (row[x] | 0xFF000000u) == colour) {
            ++run;
            x += step;
        }
        histogram[colour] += run;
    }
}

ColourHistogram HistogramOf(const PictureRows& rows) {
    ColourHistogram histogram;
    const int step = HistogramStep(rows.width, rows.height);
    for (int y = 0; y < rows.height; y += step) AddToHistogram(histogram, rows.row(y), rows.width, step);
    return histogram;
}

GamutFigure GamutFigureOf(const OutputProfile& profile, const ColourHistogram& histogram) {
    std::vector<Pixel> colours;
    std::vector<std::uint64_t> counts;
    colours.reserve(histogram.size());
    counts.reserve(histogram.size());
    for (const auto& [colour, count] : histogram) {
        colours.push_back(colour);
        counts.push_back(count);
    }
    std::vector<double> shifts(colours.size());
    profile.Shift(colours.data(), shifts.data(), colours.size());
    GamutFigure figure;
    std::uint64_t total = 0, duller = 0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        total += counts[i];
        if (shifts[i] > kNoticeableShift) duller += counts[i];
        figure.largest = std::max(figure.largest, shifts[i]);
    }
    if (total > 0) figure.duller = static_cast<double>(duller) / static_cast<double>(total);
    return figure;
}

std::string GamutLine(const GamutFigure& figure) {
    return FixedText(100 * figure.duller, 1) + " % of the surface will print noticeably duller (\u0394E2000 > " +
           NumText(kNoticeableShift) + "; largest shift " + FixedText(figure.largest, 1) + ")";
}

}  // namespace velmora
