#include "tracking/FramePlan.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

constexpr int kMaxPixelsPerSensorPixel = 16;  // finer pictures are read in blocks, keeping a frame's patch small

// Frame positions along one side: as many as keep neighbours at most `spacing` apart.
int PositionsAlong(double usable, double spacing) {
    return static_cast<int>(std::ceil(usable / spacing - 1e-9)) + 1;
}

}  // namespace

// Each read pixel is the average of its block (fewer pixels at the right and bottom edges).
void BlockGrey::ReadPatch(int x, int y, int width, int height, float* grey) const {
    const int x0 = x * k_, x1 = std::min(picture_.Width(), (x + width) * k_);
    const int y0 = y * k_, y1 = std::min(picture_.Height(), (y + height) * k_);
    std::vector<float> source(static_cast<std::size_t>(x1 - x0) * (y1 - y0));
    picture_.ReadPatch(x0, y0, x1 - x0, y1 - y0, source.data());
    std::vector<double> sums(static_cast<std::size_t>(width));
    for (int r = 0; r < height; ++r) {
        const int top = (y + r) * k_ - y0, bottom = std::min(y1 - y0, top + k_);
        std::fill(sums.begin(), sums.end(), 0.0);
        for (int j = top; j < bottom; ++j) {
            const float* row = source.data() + static_cast<std::size_t>(j) * (x1 - x0);
            for (int i = 0; i < x1 - x0; ++i) sums[i / k_] += row[i];
        }
        for (int c = 0; c < width; ++c) {
            const int columns = std::min(x1, x0 + (c + 1) * k_) - (x0 + c * k_);
            grey[static_cast<std::size_t>(r) * width + c] =
                static_cast<float>(sums[c] / (static_cast<double>(columns) * (bottom - top)));
        }
    }
}

std::optional<FramePlan> PlanFrames(int width, int height, PrintedSize size, const SensorModel& model,
                                    int mostFrames) {
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
    while (static_cast<double>(columns) * rows > mostFrames) {
        spacing *= std::max(1.01, std::sqrt(static_cast<double>(columns) * rows / mostFrames));
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

}  // namespace velmora
