#pragma once
#include <memory>
#include <utility>

#include "tracking/GreyPicture.h"
#include "tracking/SensorCheck.h"

// The check of one frame: the picture under it sampled as the sensor sees it, and its correlation with the
// frame moved by known motions.
namespace velmora {

inline constexpr int kShiftReach = 2;  // sensor pixels a moved frame may lie beyond the reference frame

// The picture as the frames read it.
struct Geometry {
    double pitchX, pitchY;  // mm per picture pixel
    double sensorMm;
    int frame;
};

// The picture pixels [first, last) along one side that a frame starting at `atMm` and its moves need.
std::pair<int, int> PatchSpan(double atMm, double pitch, const Geometry& g, int pixels);

// One thread's frame checks, with the buffers they reuse.
class FrameChecker {
public:
    FrameChecker(const GreyPicture& picture, const Geometry& geometry, const SensorModel& model);
    ~FrameChecker();

    struct Outcome {
        FrameVerdict verdict;
        float frameContrast, pictureContrast;
    };
    // The frame whose top-left corner lies at (xMm, yMm) on the printed picture.
    Outcome Check(double xMm, double yMm);

private:
    class Work;
    std::unique_ptr<Work> work_;
};

}  // namespace velmora
