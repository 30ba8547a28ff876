#include "app/tracking/TrackingJob.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/toolkit/Background.h"
#include "tracking/TrackingMap.h"

namespace velmora {

TrackingJob::TrackingJob(QObject* parent) : QObject(parent) {}

TrackingJob::~TrackingJob() {
    Stop();
    retired_.clear();  // their stop flags are raised: they end within moments
}

void TrackingJob::Stop() {
    if (stop_) *stop_ = true;
    if (worker_.joinable()) worker_.join();
    ++generation_;
    running_ = false;
}

void TrackingJob::Abandon() {
    if (stop_) *stop_ = true;
    std::erase_if(retired_, [](const Retired& retired) { return retired.done->load(); });
    if (worker_.joinable()) retired_.push_back({std::move(worker_), done_});
    ++generation_;
    running_ = false;
}

void TrackingJob::Start(const QImage& picture, PrintedSize size) {
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    Stop();
    Launch(
        [pixels, size](const std::atomic<bool>* stop) {
            const Raster raster{const_cast<Pixel*>(reinterpret_cast<const Pixel*>(pixels.constBits())), pixels.width(),
                                pixels.height(), pixels.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(Pixel))};
            return CheckTracking(RasterGrey(raster), size, {}, 0, stop);
        },
        pixels.width(), pixels.height());
}

void TrackingJob::Start(Check check, int width, int height) {
    Abandon();
    Launch(std::move(check), width, height);
}

void TrackingJob::Launch(Check check, int width, int height) {
    stop_ = std::make_shared<std::atomic<bool>>(false);
    done_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    worker_ = std::jthread([this, check = std::move(check), width, height, stop = stop_, done = done_,
                            generation = generation_] {
        RunBelowWindow();
        const TrackingResult result = check(stop.get());
        if (result.stopped) {
            *done = true;
            return;
        }
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
        *done = true;
    });
}

}  // namespace velmora
