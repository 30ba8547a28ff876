#include "tracking/FrameKernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
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

// The sums of products of `rows` rows of kLanes * groups floats of b and of a, for a moved kSearch * 2 + 1 times
// by one float, from a - kSearch to a + kSearch. Each lane of each sum keeps its own sum, so the compiler
// vectorises without reordering any float addition, and the sums' chains of additions run side by side instead
// of waiting on each other. The result is the same on every instruction set; the widest the processor has is
// chosen when the program starts.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define VELMORA_WIDEST_VECTORS [[gnu::target_clones("avx512f", "avx2", "default")]]
#else
#define VELMORA_WIDEST_VECTORS
#endif
namespace {

// kLanes floats, added and multiplied lane by lane.
typedef float Lanes __attribute__((vector_size(kLanes * sizeof(float))));

template <int groups>
VELMORA_WIDEST_VECTORS void CrossSums(const float* b, int strideB, const float* a, int strideA, int rows,
                                      double* out) {
    Lanes sums[kCandidates][groups] = {};
    a -= kSearch;
    for (int y = 0; y < rows; ++y, b += strideB, a += strideA) {
        Lanes row[groups];
        std::memcpy(row, b, sizeof row);
#pragma GCC unroll 8
        for (int c = 0; c < kCandidates; ++c)
#pragma GCC unroll 4
            for (int g = 0; g < groups; ++g) {
                Lanes moved;
                std::memcpy(&moved, a + c + g * kLanes, sizeof moved);
                sums[c][g] += row[g] * moved;
            }
    }
    // Each sum's lanes in order, the sums side by side.
    double total[kCandidates] = {};
    for (int g = 0; g < groups; ++g)
        for (int k = 0; k < kLanes; ++k)
#pragma GCC unroll 8
            for (int c = 0; c < kCandidates; ++c) total[c] += sums[c][g][k];
    std::copy_n(total, kCandidates, out);
}

void CrossSums(const float* b, int strideB, const float* a, int strideA, int rows, int lanes, double* out) {
    switch (lanes / kLanes) {
    case 1: return CrossSums<1>(b, strideB, a, strideA, rows, out);
    case 2: return CrossSums<2>(b, strideB, a, strideA, rows, out);
    case 3: return CrossSums<3>(b, strideB, a, strideA, rows, out);
    default: return CrossSums<4>(b, strideB, a, strideA, rows, out);
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
    VELMORA_WIDEST_VECTORS void Sample(double xMm, double yMm, float* frame, int stride) {
        const int n = g_.frame;
        const double stepX = g_.sensorMm / g_.pitchX, stepY = g_.sensorMm / g_.pitchY;
        const double startX = xMm / g_.pitchX - x0_, startY = yMm / g_.pitchY - y0_;
        const std::size_t tableStride = static_cast<std::size_t>(patchW_) + 1;
        // Corner k lies in table column first + columnAt_[k], columnPart_[k] of the way to the next.
        columnAt_.resize(static_cast<std::size_t>(n) + 1);
        columnPart_.resize(columnAt_.size());
        for (int k = 0; k <= n; ++k) {
            const double x = std::clamp(startX + k * stepX, 0.0, static_cast<double>(patchW_));
            const int i = std::min(static_cast<int>(x), patchW_ - 1);
            columnAt_[k] = i;
            columnPart_[k] = x - i;
        }
        const int first = columnAt_[0], last = columnAt_[n] + 1;
        for (int& at : columnAt_) at -= first;
        // Each table row is interpolated once for every column the corners fall between, then along it.
        line_.resize(static_cast<std::size_t>(last - first) + 1);
        const int* at = columnAt_.data();
        const double* part = columnPart_.data();
        double* line = line_.data();
        for (int l = 0; l <= n; ++l) {
            const double y = std::clamp(startY + l * stepY, 0.0, static_cast<double>(patchH_));
            const int j = std::min(static_cast<int>(y), patchH_ - 1);
            const double fy = y - j;
            const double* top = table_.data() + j * tableStride + first;
            const double* bottom = top + tableStride;
            for (int i = 0; i <= last - first; ++i) line[i] = top[i] + (bottom[i] - top[i]) * fy;
            double* corners = corners_.data() + static_cast<std::size_t>(l) * (n + 1);
            for (int k = 0; k <= n; ++k) corners[k] = line[at[k]] + (line[at[k] + 1] - line[at[k]]) * part[k];
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
        for (int l = 0; l < n; ++l)
            for (int k = 0; k < n; ++k) frame[static_cast<std::size_t>(l) * stride + k] -= mean;
        const std::size_t tableStride = static_cast<std::size_t>(n) + 1;
        std::fill_n(sums.begin(), tableStride, 0.0);
        std::fill_n(squares.begin(), tableStride, 0.0);
        int l = 0;
        for (; l + 4 <= n; l += 4) RunningSums<4>(frame, stride, l, sums.data(), squares.data());
        for (; l < n; ++l) RunningSums<1>(frame, stride, l, sums.data(), squares.data());
        AddDown(sums.data());
        AddDown(squares.data());
        const double all = static_cast<double>(n) * n;
        const double rest = sums.back() / all;
        return static_cast<float>(std::sqrt(std::max(0.0, squares.back() / all - rest * rest)));
    }

    // The running sums along rows l to l + count - 1 of a frame's values and squares, into those rows of the
    // tables, the rows side by side rather than one waiting on another.
    template <int count>
    VELMORA_WIDEST_VECTORS void RunningSums(const float* frame, int stride, int l, double* sums, double* squares) const {
        const int n = g_.frame;
        const std::size_t tableStride = static_cast<std::size_t>(n) + 1;
        double running[count] = {}, runningSquares[count] = {};
        for (int r = 0; r < count; ++r) sums[(l + r + 1) * tableStride] = squares[(l + r + 1) * tableStride] = 0;
        for (int k = 0; k < n; ++k)
            for (int r = 0; r < count; ++r) {
                const float value = frame[static_cast<std::size_t>(l + r) * stride + k];
                running[r] += value;
                runningSquares[r] += static_cast<double>(value) * value;
                const std::size_t at = (l + r + 1) * tableStride + k + 1;
                sums[at] = running[r];
                squares[at] = runningSquares[r];
            }
    }

    // Turns rows of running sums into a summed-area table, adding each row's totals to the row below.
    VELMORA_WIDEST_VECTORS void AddDown(double* table) const {
        const std::size_t tableStride = static_cast<std::size_t>(g_.frame) + 1;
        for (int l = 1; l <= g_.frame; ++l) {
            double* __restrict row = table + l * tableStride;
            const double* __restrict above = row - tableStride;
            for (std::size_t k = 1; k < tableStride; ++k) row[k] = above[k] + row[k];
        }
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
        for (int v = 0; v < kCandidates; ++v) {
            const int dv = v - kSearch;
            double cross[kCandidates];
            Cross(dv, cross);
            for (int u = 0; u < kCandidates; ++u) {
                const int du = u - kSearch;
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
                                 ? (cross[u] - sumA * sumB / cells) / std::sqrt(varA * varB)
                                 : 0.0;
                if (corr[v][u] > corr[bestV][bestU]) bestU = u, bestV = v;
            }
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

    // The sums of products of the moved frame and the reference moved by (du, dv), over the rows they share,
    // for every du.
    void Cross(int dv, double* sums) const {
        const int y0 = std::max(0, -dv), rows = g_.frame - std::abs(dv);
        CrossSums(moved_.data() + static_cast<std::size_t>(y0) * padded_, padded_,
                  reference_.data() + static_cast<std::size_t>(y0 + dv) * strideA_ + kSearch, strideA_, rows,
                  padded_, sums);
    }

    const GreyPicture& picture_;
    Geometry g_;
    SensorModel model_;
    int padded_, strideA_;
    int x0_ = 0, y0_ = 0, patchW_ = 0, patchH_ = 0;
    std::vector<double> table_;
    std::vector<float> patch_;
    std::vector<int> columnAt_;
    std::vector<double> columnPart_, line_;
    std::vector<float> reference_, moved_;
    std::vector<double> corners_, refSums_, refSquares_, movedSums_, movedSquares_;
};

FrameChecker::FrameChecker(const GreyPicture& picture, const Geometry& geometry, const SensorModel& model)
    : work_(std::make_unique<Work>(picture, geometry, model)) {}

FrameChecker::~FrameChecker() = default;

FrameChecker::Outcome FrameChecker::Check(double xMm, double yMm) { return work_->Check(xMm, yMm); }

}  // namespace velmora
