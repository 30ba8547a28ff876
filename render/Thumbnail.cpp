#include "render/Thumbnail.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velmora {

namespace {

// Pixels summed at once: blue and red share a 32-bit sum (16 bits each),
// which holds 256 pixels without a carry from blue into red.
constexpr int kRun = 256;

// The source range [first, last) falling on each of `to` destination pixels.
std::vector<int> Boundaries(int from, int to) {
    std::vector<int> edges(static_cast<std::size_t>(to) + 1);
    for (int i = 0; i <= to; ++i) edges[i] = static_cast<int>(static_cast<std::int64_t>(i) * from / to);
    return edges;
}

}  // namespace

void StretchAveraged(const Pixel* source, int width, int height, std::ptrdiff_t stride, const Raster& destination) {
    const int w = destination.width, h = destination.height;
    if (w <= 0 || h <= 0 || width <= 0 || height <= 0) return;
    const std::vector<int> xs = Boundaries(width, w), ys = Boundaries(height, h);
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(w) * 3);
    for (int dy = 0; dy < h; ++dy) {
        std::fill(sums.begin(), sums.end(), 0);
        const int y0 = std::min(ys[dy], height - 1), y1 = std::max(ys[dy + 1], y0 + 1);
        for (int y = y0; y < y1; ++y) {
            const Pixel* row = source + static_cast<std::ptrdiff_t>(y) * stride;
            for (int dx = 0; dx < w; ++dx) {
                const int x0 = std::min(xs[dx], width - 1), x1 = std::max(xs[dx + 1], x0 + 1);
                for (int run = x0; run < x1; run += kRun) {
                    std::uint32_t blueRed = 0, green = 0;
                    for (int x = run, end = std::min(x1, run + kRun); x < end; ++x) {
                        blueRed += row[x] & 0x00FF00FFu;
                        green += row[x] >> 8 & 0xFFu;
                    }
                    sums[3 * dx] += blueRed & 0xFFFFu;
                    sums[3 * dx + 1] += green;
                    sums[3 * dx + 2] += blueRed >> 16;
                }
            }
        }
        Pixel* out = destination.Row(dy);
        for (int dx = 0; dx < w; ++dx) {
            const int x0 = std::min(xs[dx], width - 1), x1 = std::max(xs[dx + 1], x0 + 1);
            const std::uint64_t n = static_cast<std::uint64_t>(x1 - x0) * static_cast<std::uint64_t>(y1 - y0);
            const auto mean = [&](int channel) { return static_cast<Pixel>((sums[3 * dx + channel] + n / 2) / n); };
            out[dx] = 0xFF000000u | mean(2) << 16 | mean(1) << 8 | mean(0);
        }
    }
}

}  // namespace velmora
