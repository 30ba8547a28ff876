#include "tracking/TrackingReport.h"

#include <cmath>
#include <cstdio>

namespace velmora {

namespace {
constexpr double kFineContrast = 0.6;  // frame contrast below this share of the picture's: detail too fine
constexpr double kCoarseDotShare = 1.0 / 3;  // printed dots this share of the frame's width or more are too coarse
}  // namespace

bool DetailFinerThanSensor(const TrackingResult& result) {
    return result.frameContrast < kFineContrast * result.pictureContrast;
}

std::string TrackingSummary(const TrackingResult& result) {
    if (result.FrameCount() == 0) return "The printed picture is smaller than a sensor frame";
    return "Tracks on " + std::to_string(static_cast<int>(std::floor(100 * result.tracks + 1e-9))) + " % of the surface";
}

bool DotsNearFrameSize(double printedDotMm, const SensorModel& model) {
    return printedDotMm >= kCoarseDotShare * model.framePixels * model.pixelMm;
}

std::vector<std::string> TrackingAdvice(const TrackingResult& result, double printedDotMm, const SensorModel& model) {
    std::vector<std::string> advice;
    if (result.FrameCount() == 0 || result.tracks >= kGoodTracking) return advice;
    // Dots many sensor pixels wide hold no detail finer than a sensor pixel, whatever the contrasts suggest.
    const bool coarseDots = DotsNearFrameSize(printedDotMm, model);
    if (coarseDots)
        advice.emplace_back("dots nearly as large as the sensor's frame: a larger picture size or high resolution "
                            "tracks better");
    else if (DetailFinerThanSensor(result))
        advice.emplace_back("detail finer than the sensor: normal resolution or a smaller dpi tracks better");
    if (result.flat >= result.ambiguous)
        advice.emplace_back("flat areas: choose another region or pattern");
    else
        advice.emplace_back("stripes or repeating detail: choose another region or pattern");
    return advice;
}

std::string TrackingLine(const TrackingResult& result, const SensorModel& model, double pictureDpi) {
    char line[200];
    const double frameMm = model.framePixels * model.pixelMm;
    if (result.FrameCount() == 0) {
        std::snprintf(line, sizeof line, "tracking: no %g mm frame fits on the printed picture", frameMm);
    } else {
        std::snprintf(line, sizeof line,
                      "tracking: %.1f %% tracks, %.1f %% flat, %.1f %% ambiguous (%g mm frames at %g \u00b5m, "
                      "picture at %.0f dpi)",
                      100 * result.tracks, 100 * result.flat, 100 * result.ambiguous, frameMm,
                      model.pixelMm * 1000, pictureDpi);
    }
    return line;
}

}  // namespace velmora