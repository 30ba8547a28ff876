#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "render/Thumbnail.h"

using namespace velmora;

namespace {

// The rounded mean of each channel over the source box of destination pixel (dx, dy).
Pixel BoxMean(const std::vector<Pixel>& source, int width, int height, int w, int h, int dx, int dy) {
    int x0 = static_cast<int>(static_cast<long>(dx) * width / w), x1 = static_cast<int>(static_cast<long>(dx + 1) * width / w);
    int y0 = static_cast<int>(static_cast<long>(dy) * height / h), y1 = static_cast<int>(static_cast<long>(dy + 1) * height / h);
    x1 = std::max(x1, x0 + 1);
    y1 = std::max(y1, y0 + 1);
    std::uint64_t sum[3] = {}, n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c = 0; c < 3; ++c) sum[c] += source[static_cast<std::size_t>(y) * width + x] >> (8 * c) & 0xFF;
    Pixel p = 0xFF000000u;
    for (int c = 0; c < 3; ++c) p |= static_cast<Pixel>((sum[c] + n / 2) / n) << (8 * c);
    return p;
}

}  // namespace

TEST(StretchAveraged, EachPixelIsTheRoundedMeanOfItsBox) {
    std::mt19937 rng(5);
    struct Case {
        int width, height, w, h;
    };
    // Shrinking (wide boxes beyond one run of summed pixels), equal size, enlarging.
    for (const Case& c : {Case{1200, 7, 2, 3}, Case{37, 23, 5, 4}, Case{8, 6, 8, 6}, Case{3, 2, 7, 5}, Case{300, 200, 1, 1}}) {
        std::vector<Pixel> source(static_cast<std::size_t>(c.width) * c.height);
        for (Pixel& p : source) p = 0xFF000000u | (rng() & 0xFFFFFFu);
        if (c.width == 1200) std::fill(source.begin(), source.end(), 0xFFFFFFFFu);  // the largest sums
        std::vector<Pixel> out(static_cast<std::size_t>(c.w) * c.h, 0);
        StretchAveraged(source.data(), c.width, c.height, c.width, Raster{out.data(), c.w, c.h, c.w});
        for (int dy = 0; dy < c.h; ++dy)
            for (int dx = 0; dx < c.w; ++dx)
                EXPECT_EQ(out[static_cast<std::size_t>(dy) * c.w + dx], BoxMean(source, c.width, c.height, c.w, c.h, dx, dy))
                    << c.width << "x" << c.height << " -> " << c.w << "x" << c.h << " at " << dx << "," << dy;
    }
}
