#include "app/TrackingLabel.h"

#include "tracking/TrackingReport.h"

namespace velmora {

TrackingLabel::TrackingLabel(QWidget* parent) : QLabel(parent), job_(new TrackingJob(this)) {
    setWordWrap(true);
    connect(job_, &TrackingJob::Finished, this, [this](const TrackingResult& result, const QImage&) {
        result_ = result;
        QString text = QString::fromStdString(TrackingSummary(result));
        const auto advice = TrackingAdvice(result, printedDotMm_);
        if (!advice.empty()) {
            text += QStringLiteral(". Warning: a mouse may not track well on this print.");
            for (const std::string& line : advice) text += QStringLiteral("\n") + QString::fromStdString(line);
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
    setText(QString::fromUtf8("Checking how a mouse tracks on it…"));
    return true;
}

void TrackingLabel::Clear() {
    job_->Abandon();
    key_.clear();
    result_ = {};
    setText(QString());
}

}  // namespace velmora
