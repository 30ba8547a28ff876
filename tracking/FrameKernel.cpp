#include "tracking/FrameKernel.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace velmora {

namespace {

constexpr int kSearch = 3;      // whole sensor pixels the correlation searches in each direction
constexpr int kCandidates = 2 * kSearch + 1;
constexpr double kMissLimit = 0.5;     // sensor pixels an estimate may miss the true motion by
constexpr double kTie = 1e-6;         // correlations this close are equal (a ridge along a stripe is flat)
constexpr int kLanes = 16;              // correlation rows are padded to whole groups of this many floats

}  // namespace

std::pair<int, int> PatchSpan(double atMm, double pitch, const Geometry& g, int pixels) {
    const double reach = kShiftReach * g.sensorMm, extent = (g.frame + kShiftReach) * g.sensorMm;
    const int first = std::clamp(static_cast<int>(std::floor((atMm - reach) / pitch)), 0, pixels - 1);
    return {first, std::clamp(static_cast<int>(std::ceil((atMm + extent) / pitch)), first + 1, pixels)};
}

// The sum of products of `rows` rows of kLanes * groups floats of b and a. Each lane keeps its own sum, so the
// compiler vectorises without reordering any float addition, and with the row length fixed the sums stay in
// registers. The result is the same on every instruction set; the widest the processor has is chosen when the
// program starts.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define VELMORA_WIDEST_VECTORS [[gnu::target_clones("avx512f", "avx2", "default")]]
#else
#define VELMORA_WIDEST_VECTORS
#endif
namespace {

template <int groups>
VELMORA_WIDEST_VECTORS double CrossSum(const float* b, int strideB, const float* a, int strideA, int rows) {
    float sums[kLanes * groups] = {};
    for (int y = 0; y < rows; ++y, b += strideB, a += strideA)
        for (int k = 0; k < kLanes * groups; ++k) sums[k] += b[k] * a[k];
    double sum = 0;
    for (float lane : sums) sum += lane;
    return sum;
}

double CrossSum(const float* b, int strideB, const float* a, int strideA, int rows, int lanes) {
    switch (lanes / kLanes) {
    case 1: return CrossSum<1>(b, strideB, a, strideA, rows);
    case 2: return CrossSum<2>(b, strideB, a, strideA, rows);
    case 3: return CrossSum<3>(b, strideB, a, strideA, rows);
    default: return CrossSum<4>(b, strideB, a, strideA, rows);
    }
}

// The known motions between two frames, in sensor pixels: four directions, with fractional parts so that every
// estimate needs its sub-pixel refinement.
struct Motion {
    double dx, dy;
};
constexpr Motion kMotions[] = {{1.6, 0.3}, {-0.3, 1.6}, {1.15, -1.15}, {0.85, 0.75}};

}  // namespace

class FrameChecker::Work {
public:
    Work(const GreyPicture& picture, const Geometry& geometry, const SensorModel& model)
        : picture_(picture),
          g_(geometry),
          model_(model),
          padded_((geometry.frame + kLanes - 1) / kLanes * kLanes),
          strideA_(2 * kSearch + padded_),
          reference_(static_cast<std::size_t>(strideA_) * geometry.frame, 0.0f),
          moved_(static_cast<std::size_t>(padded_) * geometry.frame, 0.0f),
          corners_(static_cast<std::size_t>(geometry.frame + 1) * (geometry.frame + 1)),
          refSums_(corners_.size()),
          refSquares_(corners_.size()),
          movedSums_(corners_.size()),
          movedSquares_(corners_.size()) {}

    // The frame whose top-left corner lies at (xMm, yMm) on the printed picture.
    Outcome Check(double xMm, double yMm) {
        const float pictureContrast = ReadPatch(xMm, yMm);
        // The reference frame's rows keep kSearch zeros on each side, so a moved row can be laid over any
        // candidate offset without bounds checks: outside the overlap the products are zero.
        Sample(xMm, yMm, reference_.data() + kSearch, strideA_);
        const float frameContrast = Centre(reference_.data() + kSearch, strideA_, refSums_, refSquares_);
        if (frameContrast < model_.flatBelow) return {FrameVerdict::Flat, frameContrast, pictureContrast};
        for (const Motion& motion : kMotions) {
            Sample(xMm + motion.dx * g_.sensorMm, yMm + motion.dy * g_.sensorMm, moved_.data(), padded_);
            if (Centre(moved_.data(), padded_, movedSums_, movedSquares_) < kNoContrast || !Tracks(motion))
                return {FrameVerdict::Ambiguous, frameContrast, pictureContrast};
        }
        return {FrameVerdict::Tracks, frameContrast, pictureContrast};
    }

private:
    static constexpr float kNoContrast = 1e-4f;

    // Reads the picture under the frame and every moved frame into a summed-area table; returns the grey
    // standard deviation of those picture pixels.
    float ReadPatch(double xMm, double yMm) {
        const auto [x0, x1] = PatchSpan(xMm, g_.pitchX, g_, picture_.Width());
        const auto [y0, y1] = PatchSpan(yMm, g_.pitchY, g_, picture_.Height());
        x0_ = x0;
        y0_ = y0;
        patchW_ = x1 - x0_;
        patchH_ = y1 - y0_;
        const std::size_t stride = static_cast<std::size_t>(patchW_) + 1;
        table_.assign(stride * (patchH_ + 1), 0.0);
        patch_.resize(static_cast<std::size_t>(patchW_) * patchH_);
        picture_.ReadPatch(x0_, y0_, patchW_, patchH_, patch_.data());
        double sum = 0, squares = 0;
        for (int j = 0; j < patchH_; ++j) {
            const float* row = patch_.data() + static_cast<std::size_t>(j) * patchW_;
            const double* above = table_.data() + j * stride;
            double* line = table_.data() + (j + 1) * stride;
            double running = 0, runningSquares = 0;
            for (int i = 0; i < patchW_; ++i) {
                const double grey = row[i];
                running += grey;
                runningSquares += grey * grey;
                line[i + 1] = above[i + 1] + running;
            }
            sum += running;
            squares += runningSquares;
        }
        const double n = static_cast<double>(patchW_) * patchH_;
        const double mean = sum / n;
        return static_cast<float>(std::sqrt(std::max(0.0, squares / n - mean * mean)));
    }

    // The frame of sensor pixels whose top-left corner lies at (xMm, yMm): each sensor pixel is the area
    // average of the picture under it, pixels partly covered counting by the part covered. The table is
    // bilinear inside each pixel, so interpolating it gives those partial sums exactly.
    void Sample(double xMm, double yMm, float* frame, int stride) {
        const int n = g_.frame;
        const double stepX = g_.sensorMm / g_.pitchX, stepY = g_.sensorMm / g_.pitchY;
        const double startX = xMm / g_.pitchX - x0_, startY = yMm / g_.pitchY - y0_;
        const std::size_t tableStride = static_cast<std::size_t>(patchW_) + 1;
        columns_.resize(static_cast<std::size_t>(n) + 1);
        for (int k = 0; k <= n; ++k) {
            const double x = std::clamp(startX + k * stepX, 0.0, static_cast<double>(patchW_));
            const int i = std::min(static_cast<int>(x), patchW_ - 1);
            columns_[k] = {i, x - i};
        }
        for (int l = 0; l <= n; ++l) {
            const double y = std::clamp(startY + l * stepY, 0.0, static_cast<double>(patchH_));
            const int j = std::min(static_cast<int>(y), patchH_ - 1);
            const double fy = y - j;
            const double* top = table_.data() + j * tableStride;
            const double* bottom = top + tableStride;
            double* corners = corners_.data() + static_cast<std::size_t>(l) * (n + 1);
            for (int k = 0; k <= n; ++k) {
                const auto [i, fx] = columns_[k];
                const double left = top[i] + (bottom[i] - top[i]) * fy;
                const double right = top[i + 1] + (bottom[i + 1] - top[i + 1]) * fy;
                corners[k] = left + (right - left) * fx;
            }
        }
        const double perArea = 1.0 / (stepX * stepY);
        for (int l = 0; l < n; ++l) {
            const double* top = corners_.data() + static_cast<std::size_t>(l) * (n + 1);
            const double* bottom = top + (n + 1);
            float* out = frame + static_cast<std::size_t>(l) * stride;
            for (int k = 0; k < n; ++k)
                out[k] = static_cast<float>((bottom[k + 1] - bottom[k] - top[k + 1] + top[k]) * perArea);
        }
    }

    // Subtracts the frame's mean grey from it (keeping the correlation sums small) and fills the summed-area
    // tables of its values and squares; returns its grey standard deviation.
    float Centre(float* frame, int stride, std::vector<double>& sums, std::vector<double>& squares) const {
        const int n = g_.frame;
        // Summed by column first: one long chain of additions would wait on each one's latency.
        double columns[kMaxFramePixels] = {};
        for (int l = 0; l < n; ++l)
            for (int k = 0; k < n; ++k) columns[k] += frame[static_cast<std::size_t>(l) * stride + k];
        double total = 0;
        for (int k = 0; k < n; ++k) total += columns[k];
        const float mean = static_cast<float>(total / (static_cast<double>(n) * n));
        const std::size_t tableStride = static_cast<std::size_t>(n) + 1;
        std::fill_n(sums.begin(), tableStride, 0.0);
        std::fill_n(squares.begin(), tableStride, 0.0);
        for (int l = 0; l < n; ++l) {
            float* row = frame + static_cast<std::size_t>(l) * stride;
            double running = 0, runningSquares = 0;
            sums[(l + 1) * tableStride] = squares[(l + 1) * tableStride] = 0;
            for (int k = 0; k < n; ++k) {
                row[k] -= mean;
                running += row[k];
                runningSquares += static_cast<double>(row[k]) * row[k];
                sums[(l + 1) * tableStride + k + 1] = sums[l * tableStride + k + 1] + running;
                squares[(l + 1) * tableStride + k + 1] = squares[l * tableStride + k + 1] + runningSquares;
            }
        }
        const double all = static_cast<double>(n) * n;
        const double rest = sums.back() / all;
        return static_cast<float>(std::sqrt(std::max(0.0, squares.back() / all - rest * rest)));
    }

    double Box(const std::vector<double>& table, int x, int y, int width, int height) const {
        const std::size_t stride = static_cast<std::size_t>(g_.frame) + 1;
        return table[(y + height) * stride + x + width] - table[y * stride + x + width] -
               table[(y + height) * stride + x] + table[y * stride + x];
    }

    // Estimates the motion from the reference frame to the moved one as a sensor does: the normalised
    // cross-correlation of the two frames over their overlap at each whole-pixel offset from -kSearch to
    // kSearch, refined to a fraction of a pixel by a parabola through the best value and its neighbours. False
    // when another peak comes within the margin or the estimate misses the true motion.
    bool Tracks(const Motion& motion) const {
        const int n = g_.frame;
        double corr[kCandidates][kCandidates];
        int bestU = 0, bestV = 0;
        for (int v = 0; v < kCandidates; ++v)
            for (int u = 0; u < kCandidates; ++u) {
                const int du = u - kSearch, dv = v - kSearch;
                // The overlap in the moved frame's pixels; the reference sees it moved by (du, dv).
                const int x0 = std::max(0, -du), y0 = std::max(0, -dv);
                const int width = n - std::abs(du), height = n - std::abs(dv);
                const double cells = static_cast<double>(width) * height;
                const double sumA = Box(refSums_, x0 + du, y0 + dv, width, height);
                const double sumB = Box(movedSums_, x0, y0, width, height);
                const double varA = Box(refSquares_, x0 + du, y0 + dv, width, height) - sumA * sumA / cells;
                const double varB = Box(movedSquares_, x0, y0, width, height) - sumB * sumB / cells;
                const double least = cells * kNoContrast * kNoContrast;
                corr[v][u] = varA > least && varB > least
                                 ? (Cross(du, dv, y0, y0 + height) - sumA * sumB / cells) / std::sqrt(varA * varB)
                                 : 0.0;
                if (corr[v][u] > corr[bestV][bestU]) bestU = u, bestV = v;
            }
        const double best = corr[bestV][bestU];
        for (int v = 0; v < kCandidates; ++v)
            for (int u = 0; u < kCandidates; ++u) {
                if (std::max(std::abs(u - bestU), std::abs(v - bestV)) < 2) continue;
                if (corr[v][u] < best - model_.peakMargin) continue;
                bool peak = true;
                for (int dv = -1; dv <= 1 && peak; ++dv)
                    for (int du = -1; du <= 1 && peak; ++du) {
                        const int nu = u + du, nv = v + dv;
                        if (nu >= 0 && nu < kCandidates && nv >= 0 && nv < kCandidates)
                            peak = corr[v][u] >= corr[nv][nu] - kTie;
                    }
                if (peak) return false;
            }
        auto refine = [](double before, double at, double after) {
            const double curvature = before - 2 * at + after;
            return curvature < 0 ? std::clamp((before - after) / (2 * curvature), -0.5, 0.5) : 0.0;
        };
        double u = bestU - kSearch, v = bestV - kSearch;
        if (bestU > 0 && bestU < kCandidates - 1) u += refine(corr[bestV][bestU - 1], best, corr[bestV][bestU + 1]);
        if (bestV > 0 && bestV < kCandidates - 1) v += refine(corr[bestV - 1][bestU], best, corr[bestV + 1][bestU]);
        return std::hypot(u - motion.dx, v - motion.dy) <= kMissLimit;
    }

    double Cross(int du, int dv, int y0, int y1) const {
        return CrossSum(moved_.data() + static_cast<std::size_t>(y0) * padded_, padded_,
                        reference_.data() + static_cast<std::size_t>(y0 + dv) * strideA_ + kSearch + du, strideA_,
                        y1 - y0, padded_);
    }

    const GreyPicture& picture_;
    Geometry g_;
    SensorModel model_;
    int padded_, strideA_;
    int x0_ = 0, y0_ = 0, patchW_ = 0, patchH_ = 0;
    std::vector<double> table_;
    std::vector<float> patch_;
    std::vector<std::pair<int, double>> columns_;
    std::vector<float> reference_, moved_;
    std::vector<double> corners_, refSums_, refSquares_, movedSums_, movedSquares_;
};

FrameChecker::FrameChecker(const GreyPicture& picture, const Geometry& geometry, const SensorModel& model)
    : work_(std::make_unique<Work>(picture, geometry, model)) {}

FrameChecker::~FrameChecker() = default;

FrameChecker::Outcome FrameChecker::Check(double xMm, double yMm) { return work_->Check(xMm, yMm); }

}  // namespace velmora
