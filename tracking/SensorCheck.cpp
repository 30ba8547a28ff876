#include "tracking/SensorCheck.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>
#include <thread>

#include "common/Numbers.h"
#include "print/PrintLayout.h"

namespace velmora {

namespace {

constexpr int kShiftReach = 2;  // sensor pixels a moved frame may lie beyond the reference frame
constexpr int kSearch = 3;      // whole sensor pixels the correlation searches in each direction
constexpr int kCandidates = 2 * kSearch + 1;
constexpr double kMissLimit = 0.5;     // sensor pixels an estimate may miss the true motion by
constexpr double kFineContrast = 0.6;  // frame contrast below this share of the picture's: detail too fine
constexpr double kCoarseDotShare = 1.0 / 3;  // printed dots this share of the frame's width or more are too coarse
constexpr double kTie = 1e-6;         // correlations this close are equal (a ridge along a stripe is flat)
constexpr int kMaxPixelsPerSensorPixel = 16;  // finer pictures are read in blocks, keeping a frame's patch small
constexpr int kLanes = 16;              // correlation rows are padded to whole groups of this many floats

// The sum of products of `rows` rows of kLanes * groups floats of b and a. Each lane keeps its own sum, so the
// compiler vectorises without reordering any float addition, and with the row length fixed the sums stay in
// registers. The result is the same on every instruction set; the widest the processor has is chosen when the
// program starts.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
#define VELMORA_WIDEST_VECTORS [[gnu::target_clones("avx512f", "avx2", "default")]]
#else
#define VELMORA_WIDEST_VECTORS
#endif
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

struct Geometry {
    double pitchX, pitchY;  // mm per picture pixel
    double sensorMm;
    int frame;
};

// The picture pixels [first, last) along one side that a frame starting at `atMm` and its moves need.
std::pair<int, int> PatchSpan(double atMm, double pitch, const Geometry& g, int pixels) {
    const double reach = kShiftReach * g.sensorMm, extent = (g.frame + kShiftReach) * g.sensorMm;
    const int first = std::clamp(static_cast<int>(std::floor((atMm - reach) / pitch)), 0, pixels - 1);
    return {first, std::clamp(static_cast<int>(std::ceil((atMm + extent) / pitch)), first + 1, pixels)};
}

// One thread's frame checks, with the buffers they reuse.
class FrameChecker {
public:
    FrameChecker(const GreyPicture& picture, const Geometry& geometry, const SensorModel& model)
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

    struct Outcome {
        FrameVerdict verdict;
        float frameContrast, pictureContrast;
    };

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
        row_.resize(static_cast<std::size_t>(patchW_));
        double sum = 0, squares = 0;
        for (int j = 0; j < patchH_; ++j) {
            picture_.ReadRow(x0_, y0_ + j, patchW_, row_.data());
            const double* above = table_.data() + j * stride;
            double* line = table_.data() + (j + 1) * stride;
            double running = 0, runningSquares = 0;
            for (int i = 0; i < patchW_; ++i) {
                const double grey = row_[i];
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
    std::vector<float> row_;
    std::vector<std::pair<int, double>> columns_;
    std::vector<float> reference_, moved_;
    std::vector<double> corners_, refSums_, refSquares_, movedSums_, movedSquares_;
};

// A picture read in blocks of k x k pixels, each the average of its pixels (fewer at the right and bottom edges).
class BlockGrey final : public GreyPicture {
public:
    BlockGrey(const GreyPicture& picture, int k) : picture_(picture), k_(k) {}
    int Width() const override { return (picture_.Width() + k_ - 1) / k_; }
    int Height() const override { return (picture_.Height() + k_ - 1) / k_; }
    void ReadRow(int x, int y, int count, float* grey) const override {
        const int x0 = x * k_, x1 = std::min(picture_.Width(), (x + count) * k_);
        const int y0 = y * k_, y1 = std::min(picture_.Height(), y0 + k_);
        std::vector<double> sums(static_cast<std::size_t>(count), 0.0);
        std::vector<float> row(static_cast<std::size_t>(x1 - x0));
        for (int source = y0; source < y1; ++source) {
            picture_.ReadRow(x0, source, x1 - x0, row.data());
            for (int i = 0; i < x1 - x0; ++i) sums[i / k_] += row[i];
        }
        for (int c = 0; c < count; ++c) {
            const int columns = std::min(x1, x0 + (c + 1) * k_) - (x0 + c * k_);
            grey[c] = static_cast<float>(sums[c] / (static_cast<double>(columns) * (y1 - y0)));
        }
    }

private:
    const GreyPicture& picture_;
    int k_;
};

// Frame positions along one side: as many as keep neighbours at most `spacing` apart.
int PositionsAlong(double usable, double spacing) {
    return static_cast<int>(std::ceil(usable / spacing - 1e-9)) + 1;
}

}  // namespace

PrintedSize PageWidthOnA4(int widthPx, int heightPx) {
    constexpr double kUnitsPerMm = 1440 / 25.4;
    const PageSize a4{static_cast<float>(210 * kUnitsPerMm), static_cast<float>(297 * kUnitsPerMm)};
    const PageRect placed = PlaceOnPage(a4, static_cast<float>(widthPx), static_cast<float>(heightPx));
    return {placed.width / kUnitsPerMm, placed.height / kUnitsPerMm};
}

namespace {

// Where the frames go on a picture of width x height pixels printed at `size`, and how it is read.
struct FramePlan {
    double pitchX = 0, pitchY = 0;  // mm per picture pixel
    int block = 1;                  // pixels averaged along each side into one pixel read
    Geometry geometry{};            // of the pixels read
    int columns = 0, rows = 0;
    double firstX = 0, firstY = 0, stepX = 0, stepY = 0;  // frame corners, mm

    int ReadWidth(int width) const { return (width + block - 1) / block; }
    int ReadHeight(int height) const { return (height + block - 1) / block; }
};

std::optional<FramePlan> PlanFrames(int width, int height, PrintedSize size, const SensorModel& model) {
    const int n = model.framePixels;
    if (width <= 0 || height <= 0 || !(size.widthMm > 0) || !(size.heightMm > 0) || n < kMinFramePixels ||
        n > kMaxFramePixels || !(model.pixelMm > 0))
        return std::nullopt;
    FramePlan plan;
    plan.pitchX = size.widthMm / width;
    plan.pitchY = size.heightMm / height;
    // A picture printed far finer than the sensor is read in blocks, so that a frame's patch stays small (a
    // whole large picture printed a few millimetres wide would otherwise be read for every frame).
    plan.block = std::max(1, static_cast<int>(std::ceil(
                                 model.pixelMm / std::min(plan.pitchX, plan.pitchY) / kMaxPixelsPerSensorPixel - 1e-9)));
    plan.geometry = {plan.pitchX * plan.block, plan.pitchY * plan.block, model.pixelMm, n};
    const double reach = (n + 2 * kShiftReach) * model.pixelMm;
    const double usableX = size.widthMm - reach, usableY = size.heightMm - reach;
    if (usableX < 0 || usableY < 0) return plan;

    double spacing = n * model.pixelMm;
    int columns = PositionsAlong(usableX, spacing), rows = PositionsAlong(usableY, spacing);
    while (static_cast<double>(columns) * rows > kMaxFrames) {
        spacing *= std::max(1.01, std::sqrt(static_cast<double>(columns) * rows / kMaxFrames));
        columns = PositionsAlong(usableX, spacing);
        rows = PositionsAlong(usableY, spacing);
    }
    plan.columns = columns;
    plan.rows = rows;
    plan.stepX = columns > 1 ? usableX / (columns - 1) : 0;
    plan.stepY = rows > 1 ? usableY / (rows - 1) : 0;
    plan.firstX = kShiftReach * model.pixelMm + (columns > 1 ? 0 : usableX / 2);
    plan.firstY = kShiftReach * model.pixelMm + (rows > 1 ? 0 : usableY / 2);
    return plan;
}

// The verdicts and contrasts of every frame as the checks fill them in.
struct FrameOutcomes {
    explicit FrameOutcomes(const FramePlan& plan)
        : verdicts(static_cast<std::size_t>(plan.columns) * plan.rows),
          frameContrast(verdicts.size()),
          pictureContrast(verdicts.size()) {}

    void Check(FrameChecker& checker, const FramePlan& plan, int column, int row) {
        const auto outcome = checker.Check(plan.firstX + column * plan.stepX, plan.firstY + row * plan.stepY);
        const std::size_t at = static_cast<std::size_t>(row) * plan.columns + column;
        verdicts[at] = outcome.verdict;
        frameContrast[at] = outcome.frameContrast;
        pictureContrast[at] = outcome.pictureContrast;
    }

    TrackingResult Result(const FramePlan& plan, const SensorModel& model) && {
        TrackingResult result;
        result.columns = plan.columns;
        result.rows = plan.rows;
        result.frames = std::move(verdicts);
        const double frames = static_cast<double>(result.frames.size());
        if (frames == 0) return result;
        result.tracks = std::count(result.frames.begin(), result.frames.end(), FrameVerdict::Tracks) / frames;
        result.flat = std::count(result.frames.begin(), result.frames.end(), FrameVerdict::Flat) / frames;
        result.ambiguous = std::count(result.frames.begin(), result.frames.end(), FrameVerdict::Ambiguous) / frames;
        double frameSum = 0, pictureSum = 0;
        for (std::size_t i = 0; i < result.frames.size(); ++i)
            frameSum += frameContrast[i], pictureSum += pictureContrast[i];
        result.frameContrast = frameSum / frames;
        result.pictureContrast = pictureSum / frames;
        const double halfFrame = model.framePixels * model.pixelMm / 2;
        result.firstX = (plan.firstX + halfFrame) / plan.pitchX;
        result.firstY = (plan.firstY + halfFrame) / plan.pitchY;
        result.stepX = plan.stepX / plan.pitchX;
        result.stepY = plan.stepY / plan.pitchY;
        return result;
    }

    std::vector<FrameVerdict> verdicts;
    std::vector<float> frameContrast, pictureContrast;
};

int Workers(int threads, int jobs) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::clamp(threads > 0 ? threads : cores, 1, std::max(jobs, 1));
}

bool Stopped(const std::atomic<bool>* stop) { return stop && stop->load(std::memory_order_relaxed); }

TrackingResult StoppedResult() {
    TrackingResult result;
    result.stopped = true;
    return result;
}

// A picture streamed from top to bottom, of which the rows one frame row needs are kept as grey levels (in
// blocks of plan.block pixels, as the check reads them).
class StreamedGrey final : public GreyPicture {
public:
    StreamedGrey(const PictureRows& rows, int block)
        : rows_(rows), block_(block), width_((rows.width + block - 1) / block), height_((rows.height + block - 1) / block) {}
    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void ReadRow(int x, int y, int count, float* grey) const override {
        std::copy_n(kept_[static_cast<std::size_t>(y - first_)].begin() + x, count, grey);
    }

    // Keeps rows first to last - 1, reading on from the stream; rows above `first` are let go.
    void Keep(int first, int last) {
        while (first_ < first && !kept_.empty()) {
            kept_.pop_front();
            ++first_;
        }
        if (kept_.empty()) first_ = std::max(first_, first);
        for (int y = first_ + static_cast<int>(kept_.size()); y < last; ++y) kept_.push_back(ReadBlockRow(y));
    }

private:
    std::vector<float> ReadBlockRow(int y) {
        std::vector<double> sums(static_cast<std::size_t>(width_), 0.0);
        const int from = y * block_, to = std::min(rows_.height, from + block_);
        // Rows the kept ones skip (a picture row above the first frame's reach) are still read in order.
        for (; next_ < from; ++next_) rows_.row(next_);
        for (; next_ < to; ++next_) {
            const Pixel* row = rows_.row(next_);
            for (int x = 0; x < rows_.width; ++x) sums[x / block_] += luminance_(row[x]);
        }
        std::vector<float> grey(sums.size());
        for (int c = 0; c < width_; ++c) {
            const int columns = std::min(rows_.width, (c + 1) * block_) - c * block_;
            grey[c] = static_cast<float>(sums[c] / (static_cast<double>(columns) * (to - from)));
        }
        return grey;
    }

    const PictureRows& rows_;
    int block_, width_, height_;
    Luminance luminance_;
    int next_ = 0;   // the next picture row the stream gives
    int first_ = 0;  // the first row kept
    std::deque<std::vector<float>> kept_;
};

}  // namespace

TrackingResult CheckTracking(const GreyPicture& picture, PrintedSize size, const SensorModel& model, int threads,
                             const std::atomic<bool>* stop) {
    const auto plan = PlanFrames(picture.Width(), picture.Height(), size, model);
    if (!plan) return {};
    const BlockGrey blocks(picture, plan->block);
    const GreyPicture& read = plan->block > 1 ? static_cast<const GreyPicture&>(blocks) : picture;
    FrameOutcomes outcomes(*plan);
    std::atomic<int> nextRow{0};
    std::atomic<bool> stopped{false};
    auto work = [&] {
        FrameChecker checker(read, plan->geometry, model);
        for (int r = nextRow++; r < plan->rows; r = nextRow++) {
            if (Stopped(stop)) {
                stopped = true;
                return;
            }
            for (int c = 0; c < plan->columns; ++c) outcomes.Check(checker, *plan, c, r);
        }
    };
    std::vector<std::jthread> helpers;
    for (int t = 1; t < Workers(threads, plan->rows); ++t) helpers.emplace_back(work);
    work();
    helpers.clear();
    if (stopped) return StoppedResult();
    return std::move(outcomes).Result(*plan, model);
}

TrackingResult CheckTracking(const PictureRows& picture, PrintedSize size, const SensorModel& model, int threads,
                             const std::atomic<bool>* stop) {
    const auto plan = PlanFrames(picture.width, picture.height, size, model);
    if (!plan) return {};
    StreamedGrey read(picture, plan->block);
    FrameOutcomes outcomes(*plan);
    for (int r = 0; r < plan->rows; ++r) {
        if (Stopped(stop)) return StoppedResult();
        const auto [first, last] = PatchSpan(plan->firstY + r * plan->stepY, plan->geometry.pitchY, plan->geometry,
                                             read.Height());
        read.Keep(first, last);
        std::atomic<int> nextColumn{0};
        auto work = [&] {
            FrameChecker checker(read, plan->geometry, model);
            for (int c = nextColumn++; c < plan->columns; c = nextColumn++) outcomes.Check(checker, *plan, c, r);
        };
        std::vector<std::jthread> helpers;
        for (int t = 1; t < Workers(threads, plan->columns / 8); ++t) helpers.emplace_back(work);
        work();
    }
    return std::move(outcomes).Result(*plan, model);
}

bool DetailFinerThanSensor(const TrackingResult& result) {
    return result.frameContrast < kFineContrast * result.pictureContrast;
}

int TrackingPercent(const TrackingResult& result) {
    return static_cast<int>(std::floor(100 * result.tracks + 1e-9));
}

bool DotsNearFrameSize(double printedDotMm, const SensorModel& model) {
    return printedDotMm >= kCoarseDotShare * model.framePixels * model.pixelMm;
}

std::vector<TrackingCause> TrackingCauses(const TrackingResult& result, double printedDotMm,
                                          const SensorModel& model) {
    std::vector<TrackingCause> causes;
    if (result.FrameCount() == 0 || result.tracks >= kGoodTracking) return causes;
    // Dots many sensor pixels wide hold no detail finer than a sensor pixel, whatever the contrasts suggest.
    if (DotsNearFrameSize(printedDotMm, model))
        causes.push_back(TrackingCause::CoarseDots);
    else if (DetailFinerThanSensor(result))
        causes.push_back(TrackingCause::FinerThanSensor);
    causes.push_back(result.flat >= result.ambiguous ? TrackingCause::FlatAreas : TrackingCause::Repeating);
    return causes;
}

std::vector<std::string> TrackingAdvice(const TrackingResult& result, double printedDotMm, const SensorModel& model) {
    std::vector<std::string> advice;
    for (const TrackingCause cause : TrackingCauses(result, printedDotMm, model)) {
        switch (cause) {
        case TrackingCause::CoarseDots:
            advice.emplace_back("dots nearly as large as the sensor's frame: a larger picture size or high "
                                "resolution tracks better");
            break;
        case TrackingCause::FinerThanSensor:
            advice.emplace_back("detail finer than the sensor: normal resolution or a smaller dpi tracks better");
            break;
        case TrackingCause::FlatAreas:
            advice.emplace_back("flat areas: choose another region or pattern");
            break;
        case TrackingCause::Repeating:
            advice.emplace_back("stripes or repeating detail: choose another region or pattern");
            break;
        }
    }
    return advice;
}

std::string TrackingLine(const TrackingResult& result, const SensorModel& model, double pictureDpi) {
    const std::string frame = ShortText(model.framePixels * model.pixelMm) + " mm";
    if (result.FrameCount() == 0) return "tracking: no " + frame + " frame fits on the printed picture";
    return "tracking: " + FixedText(100 * result.tracks, 1) + " % tracks, " + FixedText(100 * result.flat, 1) +
           " % flat, " + FixedText(100 * result.ambiguous, 1) + " % ambiguous (" + frame + " frames at " +
           ShortText(model.pixelMm * 1000) + " \u00b5m, picture at " + FixedText(pictureDpi, 0) + " dpi)";
}

}  // namespace velmora
