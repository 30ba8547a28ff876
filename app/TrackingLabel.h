#pragma once
#include <QImage>
#include <QLabel>
#include <QString>

#include "tracking/SensorCheck.h"

namespace velmora {

class TrackingJob;

// A dialog's line on the sensor check: "Tracks on N % of the surface" for the picture at the size chosen,
// checked again on worker threads whenever the size changes, with a warning and the advice that applies below
// 95 %.
class TrackingLabel : public QLabel {
    Q_OBJECT
public:
    explicit TrackingLabel(QWidget* parent);

    // Checks `picture` printed at `size`, unless that is what the label shows or is checking already.
    void Check(const QImage& picture, PrintedSize size);
    // The check the label shows; empty while the first one runs.
    const TrackingResult& Result() const { return result_; }

private:
    TrackingJob* job_;
    TrackingResult result_;
    QString key_;
};

}  // namespace velmora
