#include "tracking/TrackingMap.h"

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

// The frame index nearest to picture coordinate `at` along one side.
int NearestFrame(double at, double first, double step, int count) {
    if (step <= 0) return 0;
    return std::clamp(static_cast<int>(std::lround((at - first) / step)), 0, count - 1);
}

}  // namespace

std::vector<Pixel> DrawTrackingMap(const TrackingResult& result, int pictureWidth, int pictureHeight, int width,
                                   int height, const MapColours& colours) {
    std::vector<Pixel> pixels(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0), colours.tracks);
    if (result.FrameCount() == 0 || result.stopped) return pixels;
    std::vector<int> columnOf(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x)
        columnOf[x] = NearestFrame((x + 0.5) * pictureWidth / width, result.firstX, result.stepX, result.columns);
    for (int y = 0; y < height; ++y) {
        const int row = NearestFrame((y + 0.5) * pictureHeight / height, result.firstY, result.stepY, result.rows);
        Pixel* line = pixels.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            switch (result.At(columnOf[x], row)) {
            case FrameVerdict::Tracks: line[x] = colours.tracks; break;
            case FrameVerdict::Flat: line[x] = colours.flat; break;
            case FrameVerdict::Ambiguous: line[x] = colours.ambiguous; break;
            }
        }
    }
    return pixels;
}

}  // namespace velmora
