#include "app/TrackingLabel.h"

#include "app/TrackingJob.h"

namespace velmora {

TrackingLabel::TrackingLabel(QWidget* parent) : QLabel(parent), job_(new TrackingJob(this)) {
    setWordWrap(true);
    connect(job_, &TrackingJob::Finished, this, [this](const TrackingResult& result, const QImage&) {
        result_ = result;
        QString text = QString::fromStdString(TrackingSummary(result));
        const auto advice = TrackingAdvice(result);
        if (!advice.empty()) {
            text += QStringLiteral(". Warning: a mouse may not track well on this print.");
            for (const std::string& line : advice) text += QStringLiteral("\n") + QString::fromStdString(line);
        }
        setText(text);
    });
}

void TrackingLabel::Check(const QImage& picture, PrintedSize size) {
    const QString key =
        QStringLiteral("%1 %2 %3").arg(picture.cacheKey()).arg(size.widthMm, 0, 'g', 17).arg(size.heightMm, 0, 'g', 17);
    if (key == key_) return;
    key_ = key;
    setText(QString::fromUtf8("Checking how a mouse tracks on it…"));
    job_->Start(picture, size);
}

}  // namespace velmora
