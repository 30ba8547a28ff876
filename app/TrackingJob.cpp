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
    Stop();
    stop_ = std::make_shared<std::atomic<bool>>(false);
    running_ = true;
    worker_ = std::jthread([this, picture = picture.convertToFormat(QImage::Format_RGB32), size, stop = stop_,
                            generation = generation_] {
        const Raster raster{const_cast<Pixel*>(reinterpret_cast<const Pixel*>(picture.constBits())), picture.width(),
                            picture.height(), picture.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(Pixel))};
        const TrackingResult result = CheckTracking(RasterGrey(raster), size, {}, 0, stop.get());
        if (result.stopped) return;
        const double scale = std::min(1.0, 1024.0 / std::max(picture.width(), picture.height()));
        const int width = std::max(1, static_cast<int>(std::lround(picture.width() * scale)));
        const int height = std::max(1, static_cast<int>(std::lround(picture.height() * scale)));
        const auto map = DrawTrackingMap(result, picture.width(), picture.height(), width, height, kMapTintColours);
        QImage tints(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y)
            std::memcpy(tints.scanLine(y), map.data() + static_cast<std::size_t>(y) * width, width * sizeof(Pixel));
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
