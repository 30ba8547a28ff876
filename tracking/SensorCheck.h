#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "render/PointPicture.h"
#include "tracking/GreyPicture.h"

namespace velmora {

// The optical sensor the check imitates: a square frame of sensor pixels, each the area average of the printed
// picture under it. A frame is flat when its grey levels vary too little to correlate; a motion estimate is
// ambiguous when a second correlation peak comes within the margin of the best one.
struct SensorModel {
    int framePixels = 30;     // frame side, in sensor pixels
    double pixelMm = 0.05;    // sensor pixel pitch on the surface
    double flatBelow = 0.02;  // grey standard deviation (0 to 1) under which a frame is flat
    double peakMargin = 0.1;  // normalised correlation by which the best peak must lead every other peak
};

inline constexpr int kMinFramePixels = 12;
inline constexpr int kMaxFramePixels = 64;

// The printed size of the whole picture.
struct PrintedSize {
    double widthMm = 0;
    double heightMm = 0;
};

// The size of a picture of widthPx x heightPx pixels printed at page width on an A4 page.
PrintedSize PageWidthOnA4(int widthPx, int heightPx);

enum class FrameVerdict : std::uint8_t { Tracks, Flat, Ambiguous };

// The verdicts of a grid of frame positions over the printed picture.
struct TrackingResult {
    int columns = 0;
    int rows = 0;
    std::vector<FrameVerdict> frames;  // row by row
    // The centre of the frame in column c and row r, in picture pixels: (firstX + c * stepX, firstY + r * stepY).
    double firstX = 0, firstY = 0, stepX = 0, stepY = 0;
    double tracks = 0, flat = 0, ambiguous = 0;  // shares of the frames, 0 to 1
    double frameContrast = 0;    // mean grey standard deviation of the frames
    double pictureContrast = 0;  // mean grey standard deviation of the picture's own pixels under the frames
    bool stopped = false;        // the stop flag was raised; nothing else is valid

    int FrameCount() const { return columns * rows; }
    FrameVerdict At(int column, int row) const { return frames[static_cast<std::size_t>(row) * columns + column]; }
};

// Checks frames over the picture printed at `size` on `threads` threads (0: one per core). Frames are at most a
// frame's width apart, so every weak area twice a frame wide holds a whole frame, until there would be more than
// kMaxFrames; then the grid thins out evenly. A picture smaller than a frame and its shifts has no frames.
inline constexpr int kMaxFrames = 16384;
TrackingResult CheckTracking(const GreyPicture& picture, PrintedSize size, const SensorModel& model = {},
                             int threads = 0, const std::atomic<bool>* stop = nullptr);
// The same check of a picture read once from top to bottom, such as one rendered in bands as it is read: only
// the rows of one row of frames are kept, as grey levels. The frames and verdicts are those of the other form.
TrackingResult CheckTracking(const PictureRows& picture, PrintedSize size, const SensorModel& model = {},
                             int threads = 0, const std::atomic<bool>* stop = nullptr);
// The same check of a picture drawn only where the frames read it, with the margin their motions need: its
// cost follows the number of frames, not the picture's area. The frames and verdicts are those of the others;
// a quick estimate may take fewer frames than kMaxFrames.
TrackingResult CheckTracking(const PointPicture& picture, PrintedSize size, const SensorModel& model = {},
                             int threads = 0, const std::atomic<bool>* stop = nullptr, int mostFrames = kMaxFrames);

// A surface tracking on less than this share of its frames gets a warning and advice.
inline constexpr double kGoodTracking = 0.95;

// The printed size of one drawn dot: a picture `widthPx` pixels wide printed `size.widthMm` wide, each computed
// point drawn as a block `dotPixels` pixels wide.
inline double PrintedDotMm(PrintedSize size, int widthPx, int dotPixels) {
    return widthPx > 0 ? size.widthMm / widthPx * dotPixels : 0;
}

}  // namespace velmora
