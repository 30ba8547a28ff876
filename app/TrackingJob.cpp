#include "app/TrackingJob.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tracking/TrackingMap.h"

namespace velmora {

TrackingJob::TrackingJob(QObject* parent) : QObject(parent) {}

TrackingJob::~TrackingJob() { Stop(); }

void TrackingJob::Stop() {
    if (stop_) *stop_ = true;
    if (worker_.joinable()) worker_.join();
    ++generation_;
    running_ = false;
}

void TrackingJob::Start(const QImage& picture, PrintedSize size) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    Start(
        [pixels, size](const std::atomic<bool>* stop) {
            const Raster raster{const_cast<Pixel*>(reinterpret_cast<const Pixel*>(pixels.constBits())), pixels.width(),
                                pixels.height(), pixels.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(Pixel))};
            return CheckTracking(RasterGrey(raster), size, {}, 0, stop);
        },
        pixels.width(), pixels.height());
}

void TrackingJob::Start(Check check, int width, int height) {
    Stop();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    worker_ = std::jthread([this, check = std::move(check), width, height, stop = stop_, generation = generation_] {
        const TrackingResult result = check(stop.get());
        if (result.stopped) return;
        const double scale = std::min(1.0, 1024.0 / std::max({width, height, 1}));
        const int mapWidth = std::max(1, static_cast<int>(std::lround(width * scale)));
        const int mapHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
        const auto map = DrawTrackingMap(result, width, height, mapWidth, mapHeight, kMapTintColours);
        QImage tints(mapWidth, mapHeight, QImage::Format_ARGB32);
        for (int y = 0; y < mapHeight; ++y)
            std::memcpy(tints.scanLine(y), map.data() + static_cast<std::size_t>(y) * mapWidth, mapWidth * sizeof(Pixel));
        QMetaObject::invokeMethod(
            this,
            [this, generation, result, tints] {
                if (generation != generation_) return;
                running_ = false;
                emit Finished(result, tints);
            },
            Qt::QueuedConnection);
    });
}

}  // namespace velmora
