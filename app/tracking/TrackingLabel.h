#pragma once
#include <QImage>
#include <QLabel>
#include <QString>

#include "app/tracking/TrackingJob.h"
#include "tracking/SensorCheck.h"
#include "tracking/Suggestions.h"
#include "tracking/TrackingReport.h"

namespace velmora {

// A dialog's line on the sensor check: "Tracks on N % of the surface" for the picture at the size chosen,
// checked again on worker threads whenever the size changes, with a warning and the advice that applies below
// 95 %. Below 95 % it may also try the changes that could help, on a worker thread, and list the better ones as
// links that raise ChangeChosen.
class TrackingLabel : public QLabel {
    Q_OBJECT
public:
    explicit TrackingLabel(QWidget* parent);
    ~TrackingLabel() override;

    // Checks `picture` printed at `size`, each drawn dot `printedDotMm` wide, unless that is what the label
    // shows or is checking already.
    void Check(const QImage& picture, PrintedSize size, double printedDotMm);
    // Runs `check` of a picture of width x height pixels, unless `key` names what the label shows or is
    // checking already. A check under way for another key is stopped.
    // `suggest` (if any) tries the changes for a check below 95 %; it stops when its flag is raised.
    using Suggest = std::function<std::vector<Suggestion>(double tracks, const std::atomic<bool>* stop)>;
    void Check(const QString& key, TrackingJob::Check check, int width, int height, double printedDotMm,
               Suggest suggest = {});
    // Stops a check started with a key, without waiting for it, and shows nothing until the next one.
    void Clear();
    // The check the label shows; empty while the first one runs.
    const TrackingResult& Result() const { return result_; }
    // The advice for one cause, in the window's language.
    static QString AdviceText(TrackingCause cause);
    // The changes tried that track better, the best first; empty until they are known.
    const std::vector<Suggestion>& Suggestions() const { return suggestions_; }
    // The words for a change in a suggestion's link.
    static QString ChangeText(PictureChange change);

signals:
    void ChangeChosen(velmora::PictureChange change);

private:
    // Takes `key` as the check to show, unless it is already; true when a check is to start.
    bool Begin(const QString& key, double printedDotMm);
    void ShowResult();
    void StopSuggesting();

    TrackingJob* job_;
    TrackingResult result_;
    QString key_;
    double printedDotMm_ = 0;  // of the check under way or shown
    Suggest suggest_;
    std::vector<Suggestion> suggestions_;
    bool suggesting_ = false;
    std::jthread suggester_;
    std::shared_ptr<std::atomic<bool>> suggestStop_;
    unsigned suggestGeneration_ = 0;
};

}  // namespace velmora
