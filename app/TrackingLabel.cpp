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
    if (picture.cacheKey() == pictureKey_ && size.widthMm == size_.widthMm && size.heightMm == size_.heightMm) return;
    pictureKey_ = picture.cacheKey();
    size_ = size;
    setText(QString::fromUtf8("Checking how a mouse tracks on it…"));
    job_->Start(picture, size);
}

}  // namespace velmora
