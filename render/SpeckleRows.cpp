#include "render/SpeckleRows.h"

#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include "render/CalcBas.h"
#include "render/Random.h"

namespace velmora {

namespace {

class Speckle {
public:
    Speckle(const RenderParams& params, int width, int height, int dot, const UniformSource& start, float exponent,
            int threads)
        : width_(width),
          height_(height),
          dot_(dot),
          columns_(params.Columns()),
          rows_(params.Rows()),
          start_(start),
          channels_(exponent),
          nextColumn_(3ULL * static_cast<std::uint64_t>(rows_)),
          threads_(threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {
        for (int pass = 0; pass < 16; ++pass) passAt_[CalcBas::kPassY[pass]][CalcBas::kPassX[pass]] = pass;
    }

    const Pixel* Row(int y) {
        if (y < bandFirst_ || y >= bandFirst_ + bandRows_) FillBand(y / kSpeckleBandRows * kSpeckleBandRows);
        return band_.data() + static_cast<std::size_t>(y - bandFirst_) * width_;
    }

private:
    void FillBand(int first) {
        bandFirst_ = first;
        bandRows_ = std::min(kSpeckleBandRows, height_ - first);
        band_.resize(static_cast<std::size_t>(bandRows_) * width_);
        const int useful = std::min(threads_, bandRows_);
        auto fill = [this](int from, int to) {
            for (int y = from; y < to; ++y) FillRow(y, band_.data() + static_cast<std::size_t>(y - bandFirst_) * width_);
        };
        std::vector<std::jthread> helpers;
        for (int t = 1; t < useful; ++t)
            helpers.emplace_back(fill, first + bandRows_ * t / useful, first + bandRows_ * (t + 1) / useful);
        fill(first, first + bandRows_ / useful);
    }

    void FillRow(int y, Pixel* line) const {
        const int py = y / dot_, row = py / 4;
        if (row >= rows_) {
            std::fill_n(line, width_, 0xFFFFFFFFu);
            return;
        }
        // Where the numbers of the first point of each column phase lie: pass
        // p's column c, row r starts at number 3 (p * columns * rows + c * rows + r).
        UniformSource phase[4];
        for (int j = 0; j < 4; ++j) {
            phase[j] = start_;
            const std::uint64_t pass = static_cast<std::uint64_t>(passAt_[py % 4][j]);
            phase[j].Skip(3 * ((pass * columns_) * rows_ + row));
        }
        const int points = std::min((width_ + dot_ - 1) / dot_, 4 * columns_);
        // Pixels right of the last point stay white.
        std::fill(line + std::min(width_, points * dot_), line + width_, 0xFFFFFFFFu);
        for (int px = 0; px < points; ++px) {
            UniformSource& at = phase[px % 4];
            UniformSource draws = at;
            const Pixel pixel = PixelOf(channels_.Colour(draws));
            at.Skip(nextColumn_);
            if (dot_ == 1) {
                line[px] = pixel;
            } else {
                const int x = px * dot_;
                std::fill(line + x, line + std::min(width_, x + dot_), pixel);
            }
        }
    }

    const int width_, height_, dot_, columns_, rows_;
    const UniformSource start_;
    const RandomChannels channels_;
    const UniformSource::Stride nextColumn_;
    const int threads_;
    int passAt_[4][4] = {};
    std::vector<Pixel> band_;
    int bandFirst_ = 0, bandRows_ = 0;
};

}  // namespace

PictureRows SpeckleRows(const RenderParams& params, int width, int height, int dot, UniformSource& source,
                        float exponent, int threads) {
    auto speckle = std::make_shared<Speckle>(params, width, height, dot, source, exponent, threads);
    source.Skip(3ULL * 16 * static_cast<std::uint64_t>(params.Columns()) * static_cast<std::uint64_t>(params.Rows()));
    return {width, height, [speckle](int y) { return speckle->Row(y); }};
}

}  // namespace velmora
