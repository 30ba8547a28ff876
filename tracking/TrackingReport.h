#pragma once
#include <string>
#include <vector>

#include "tracking/SensorCheck.h"

// What a sensor check comes to, in words: its line, summary and advice.
namespace velmora {

// The sensor sees much less contrast than the picture holds: its detail is finer than a sensor pixel.
bool DetailFinerThanSensor(const TrackingResult& result);

// The share of frames that track in whole percent, rounded down: the "Tracks on 97 % of the surface" of a
// dialog.
int TrackingPercent(const TrackingResult& result);

// The printed dots are at least a third of the sensor frame's width: a frame sees a few blocks of solid colour,
// flat inside them and alike after many motions.
bool DotsNearFrameSize(double printedDotMm, const SensorModel& model = {});

// Why a surface may not track, each with its advice.
enum class TrackingCause {
    CoarseDots,       // dots nearly as large as the frame: a larger picture size or high resolution
    FinerThanSensor,  // detail finer than the sensor: normal resolution or a smaller dpi
    FlatAreas,        // flat areas: another region or pattern
    Repeating,        // stripes or repeating detail: another region or pattern
};

// The causes of a surface that tracks on less than kGoodTracking, the most telling first; none otherwise.
// `printedDotMm` is the printed size of one drawn dot (PrintedDotMm).
std::vector<TrackingCause> TrackingCauses(const TrackingResult& result, double printedDotMm,
                                          const SensorModel& model = {});

// The causes in English, one line each, as velmora-render prints them.
std::vector<std::string> TrackingAdvice(const TrackingResult& result, double printedDotMm,
                                        const SensorModel& model = {});

// "tracking: 97.1 % tracks, 1.2 % flat, 1.7 % ambiguous (1.5 mm frames at 50 µm, picture at 300 dpi)".
std::string TrackingLine(const TrackingResult& result, const SensorModel& model, double pictureDpi);

}  // namespace velmora
