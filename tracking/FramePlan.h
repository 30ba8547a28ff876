#pragma once
#include <optional>
#include <vector>

#include "tracking/FrameKernel.h"
#include "tracking/SensorCheck.h"

// Where the frames of a check go, how the picture is read for them, and the result they make.
namespace velmora {

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

// None for a picture, size or sensor the check cannot take; a plan without frames when no frame fits. Beyond
// `mostFrames` frames the grid thins out evenly.
std::optional<FramePlan> PlanFrames(int width, int height, PrintedSize size, const SensorModel& model,
                                    int mostFrames = kMaxFrames);

// The picture of `plan.block` pixels averaged into one, read through `picture`, which must outlive it.
class BlockGrey final : public GreyPicture {
public:
    BlockGrey(const GreyPicture& picture, int k) : picture_(picture), k_(k) {}
    int Width() const override { return (picture_.Width() + k_ - 1) / k_; }
    int Height() const override { return (picture_.Height() + k_ - 1) / k_; }
    void ReadRow(int x, int y, int count, float* grey) const override { ReadPatch(x, y, count, 1, grey); }
    void ReadPatch(int x, int y, int width, int height, float* grey) const override;

private:
    const GreyPicture& picture_;
    int k_;
};

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

}  // namespace velmora
