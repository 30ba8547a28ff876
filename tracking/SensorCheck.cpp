#include "tracking/SensorCheck.h"

#include <algorithm>
#include <deque>
#include <thread>

#include "print/PrintLayout.h"
#include "tracking/FramePlan.h"

namespace velmora {

PrintedSize PageWidthOnA4(int widthPx, int heightPx) {
    constexpr double kUnitsPerMm = 1440 / 25.4;
    const PageSize a4{static_cast<float>(210 * kUnitsPerMm), static_cast<float>(297 * kUnitsPerMm)};
    const PageRect placed = PlaceOnPage(a4, static_cast<float>(widthPx), static_cast<float>(heightPx));
    return {placed.width / kUnitsPerMm, placed.height / kUnitsPerMm};
}

namespace {

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

// A picture drawn patch by patch as the frames read it.
class DrawnGrey final : public GreyPicture {
public:
    explicit DrawnGrey(const PointPicture& picture) : picture_(picture) {}
    int Width() const override { return picture_.Width(); }
    int Height() const override { return picture_.Height(); }
    void ReadRow(int x, int y, int count, float* grey) const override { ReadPatch(x, y, count, 1, grey); }
    void ReadPatch(int x, int y, int width, int height, float* grey) const override {
        thread_local std::vector<Pixel> pixels;
        pixels.resize(static_cast<std::size_t>(width) * height);
        picture_.Draw(x, y, width, height, pixels.data());
        for (std::size_t i = 0; i < pixels.size(); ++i) grey[i] = luminance_(pixels[i]);
    }

private:
    const PointPicture& picture_;
    Luminance luminance_;
};

TrackingResult CheckFrames(const GreyPicture& picture, PrintedSize size, const SensorModel& model, int threads,
                           const std::atomic<bool>* stop, int mostFrames) {
    const auto plan = PlanFrames(picture.Width(), picture.Height(), size, model, mostFrames);
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

}  // namespace

TrackingResult CheckTracking(const GreyPicture& picture, PrintedSize size, const SensorModel& model, int threads,
                             const std::atomic<bool>* stop) {
    return CheckFrames(picture, size, model, threads, stop, kMaxFrames);
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

TrackingResult CheckTracking(const PointPicture& picture, PrintedSize size, const SensorModel& model, int threads,
                             const std::atomic<bool>* stop, int mostFrames) {
    return CheckFrames(DrawnGrey(picture), size, model, threads, stop, mostFrames);
}

}  // namespace velmora
