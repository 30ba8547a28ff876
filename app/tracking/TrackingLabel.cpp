#include "app/tracking/TrackingLabel.h"

#include "tracking/TrackingReport.h"

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
        suggesting_ = suggest_ && result.FrameCount() > 0 && result.tracks < kGoodTracking;
        ShowResult();
        if (!suggesting_) return;
        suggestStop_ = std::make_shared<std::atomic<bool>>(false);
        suggester_ = std::jthread([this, suggest = suggest_, tracks = result.tracks, stop = suggestStop_,
                                   generation = suggestGeneration_] {
            auto suggestions = suggest(tracks, stop.get());
            if (*stop) return;
            QMetaObject::invokeMethod(
                this,
                [this, generation, suggestions = std::move(suggestions)] {
                    if (generation != suggestGeneration_) return;
                    suggesting_ = false;
                    suggestions_ = suggestions;
                    ShowResult();
                },
                Qt::QueuedConnection);
        });
    });
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        const int index = link.mid(link.indexOf(QLatin1Char(':')) + 1).toInt();
        if (index >= 0 && index < static_cast<int>(suggestions_.size())) emit ChangeChosen(suggestions_[index].change);
    });
}

TrackingLabel::~TrackingLabel() { StopSuggesting(); }

void TrackingLabel::StopSuggesting() {
    if (suggestStop_) *suggestStop_ = true;
    if (suggester_.joinable()) suggester_.join();
    ++suggestGeneration_;
    suggesting_ = false;
    suggestions_.clear();
}

QString TrackingLabel::ChangeText(PictureChange change) {
    switch (change.kind) {
    case ChangeKind::Resolution: return change.value ? tr("high resolution") : tr("normal resolution");
    case ChangeKind::Size: return tr("size %1").arg(change.value);
    case ChangeKind::Dpi: return tr("%1 dpi").arg(change.value);
    case ChangeKind::Zoom: return change.value ? tr("zoom out 2\u00d7") : tr("zoom in 2\u00d7");
    case ChangeKind::Move:
        switch (change.value) {
        case 0: return tr("move left half a picture");
        case 1: return tr("move right half a picture");
        case 2: return tr("move up half a picture");
        default: return tr("move down half a picture");
        }
    case ChangeKind::Colours:
        return tr("%1 colours").arg(kColourCounts[static_cast<std::size_t>(change.value)].colours);
    }
    return {};
}

// The summary, the advice and, once tried, the changes that track better as links.
void TrackingLabel::ShowResult() {
    QStringList lines{result_.FrameCount() == 0 ? tr("The printed picture is smaller than a sensor frame")
                                                : tr("Tracks on %1 % of the surface").arg(TrackingPercent(result_))};
    const auto causes = TrackingCauses(result_, printedDotMm_);
    if (!causes.empty()) {
        lines.front() += tr(". Warning: a mouse may not track well on this print.");
        for (const TrackingCause cause : causes) lines << AdviceText(cause);
    }
    if (suggesting_) lines << tr("Trying changes that may help…");
    if (suggestions_.empty()) {
        setTextFormat(Qt::PlainText);
        return setText(lines.join(QLatin1Char('\n')));
    }
    for (QString& line : lines) line = line.toHtmlEscaped();
    QStringList links;
    for (std::size_t i = 0; i < suggestions_.size(); ++i)
        links << QStringLiteral("<a href=\"change:%1\">%2</a>")
                     .arg(i)
                     .arg(tr("%1: %2 %").arg(ChangeText(suggestions_[i].change)).arg(100 * suggestions_[i].tracks, 0, 'f', 1)
                              .toHtmlEscaped());
    lines << tr("Tried: %1").arg(links.join(QStringLiteral(", ")));
    setTextFormat(Qt::RichText);
    setText(lines.join(QStringLiteral("<br>")));
}

void TrackingLabel::Check(const QImage& picture, PrintedSize size, double printedDotMm) {
    const QString key = QStringLiteral("%1 %2 %3 %4")
                            .arg(picture.cacheKey())
                            .arg(size.widthMm, 0, 'g', 17)
                            .arg(size.heightMm, 0, 'g', 17)
                            .arg(printedDotMm, 0, 'g', 17);
    if (Begin(key, printedDotMm)) job_->Start(picture, size);
}

void TrackingLabel::Check(const QString& key, TrackingJob::Check check, int width, int height, double printedDotMm,
                          Suggest suggest) {
    if (!Begin(key, printedDotMm)) return;
    suggest_ = std::move(suggest);
    job_->Start(std::move(check), width, height);
}

bool TrackingLabel::Begin(const QString& key, double printedDotMm) {
    if (key == key_) return false;
    key_ = key;
    printedDotMm_ = printedDotMm;
    StopSuggesting();
    suggest_ = {};
    setTextFormat(Qt::PlainText);
    setText(tr("Checking how a mouse tracks on it…"));
    return true;
}

void TrackingLabel::Clear() {
    job_->Abandon();
    StopSuggesting();
    key_.clear();
    result_ = {};
    setText(QString());
}

}  // namespace velmora
