#include "app/TrackingLabel.h"

namespace velmora {

QString TrackingLabel::AdviceText(TrackingCause cause) {
    switch (cause) {
    case TrackingCause::CoarseDots:
        return tr("dots nearly as large as the sensor's frame: a larger picture size or high resolution tracks "
                  "better");
    case TrackingCause::FinerThanSensor:
        return tr("detail finer than the sensor: normal resolution or a smaller dpi tracks better");
    case TrackingCause::FlatAreas:
        return tr("flat areas: choose another region or pattern");
    case TrackingCause::Repeating:
        return tr("stripes or repeating detail: choose another region or pattern");
    }
    return {};
}

TrackingLabel::TrackingLabel(QWidget* parent) : QLabel(parent), job_(new TrackingJob(this)) {
    setWordWrap(true);
    connect(job_, &TrackingJob::Finished, this, [this](const TrackingResult& result, const QImage&) {
        result_ = result;
        QString text = result.FrameCount() == 0 ? tr("The printed picture is smaller than a sensor frame")
                                                : tr("Tracks on %1 % of the surface").arg(TrackingPercent(result));
        const auto causes = TrackingCauses(result, printedDotMm_);
        if (!causes.empty()) {
            text += tr(". Warning: a mouse may not track well on this print.");
            for (const TrackingCause cause : causes) text += QStringLiteral("\n") + AdviceText(cause);
        }
        setText(text);
    });
}

void TrackingLabel::Check(const QImage& picture, PrintedSize size, double printedDotMm) {
    const QString key = QStringLiteral("%1 %2 %3 %4")
                            .arg(picture.cacheKey())
                            .arg(size.widthMm, 0, 'g', 17)
                            .arg(size.heightMm, 0, 'g', 17)
                            .arg(printedDotMm, 0, 'g', 17);
    if (Begin(key, printedDotMm)) job_->Start(picture, size);
}

void TrackingLabel::Check(const QString& key, TrackingJob::Check check, int width, int height, double printedDotMm) {
    if (Begin(key, printedDotMm)) job_->Start(std::move(check), width, height);
}

bool TrackingLabel::Begin(const QString& key, double printedDotMm) {
    if (key == key_) return false;
    key_ = key;
    printedDotMm_ = printedDotMm;
    setText(tr("Checking how a mouse tracks on it…"));
    return true;
}

void TrackingLabel::Clear() {
    job_->Abandon();
    key_.clear();
    result_ = {};
    setText(QString());
}

}  // namespace velmora
