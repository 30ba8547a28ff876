#include "tracking/TrackingReport.h"

#include <cmath>

#include "common/Numbers.h"

namespace velmora {

namespace {
constexpr double kFineContrast = 0.6;  // frame contrast below this share of the picture's: detail too fine
constexpr double kCoarseDotShare = 1.0 / 3;  // printed dots this share of the frame's width or more are too coarse
}  // namespace

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
