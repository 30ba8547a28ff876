#pragma once
#include <QImage>
#include <QLabel>
#include <QString>

#include "app/TrackingJob.h"
#include "tracking/SensorCheck.h"

namespace velmora {

// A dialog's line on the sensor check: "Tracks on N % of the surface" for the picture at the size chosen,
// checked again on worker threads whenever the size changes, with a warning and the advice that applies below
// 95 %.
class TrackingLabel : public QLabel {
    Q_OBJECT
public:
    explicit TrackingLabel(QWidget* parent);

    // Checks `picture` printed at `size`, each drawn dot `printedDotMm` wide, unless that is what the label
    // shows or is checking already.
    void Check(const QImage& picture, PrintedSize size, double printedDotMm);
    // Runs `check` of a picture of width x height pixels, unless `key` names what the label shows or is
    // checking already. A check under way for another key is stopped.
    void Check(const QString& key, TrackingJob::Check check, int width, int height, double printedDotMm);
    // Stops a check started with a key, without waiting for it, and shows nothing until the next one.
    void Clear();
    // The check the label shows; empty while the first one runs.
    const TrackingResult& Result() const { return result_; }
    // The advice for one cause, in the window's language.
    static QString AdviceText(TrackingCause cause);

private:
    // Takes `key` as the check to show, unless it is already; true when a check is to start.
    bool Begin(const QString& key, double printedDotMm);

    TrackingJob* job_;
    TrackingResult result_;
    QString key_;
    double printedDotMm_ = 0;  // of the check under way or shown
};

}  // namespace velmora
