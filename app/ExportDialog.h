#pragma once
#include <array>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include <QDialog>
#include <QString>

#include "output/PictureExport.h"
#include "render/Random.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTimer;

namespace velmora {

// What an export takes from the window when it starts: the parameters Start
// reads, and the palette's colours at that moment.
struct ExportSource {
    PictureParameters parameters;
    std::array<ColorValue, 256> tableColumn{};
    int colourCount = 16;
    float randomExponent = 0;
};

// "Export at size…": the current picture rendered at a size and resolution
// chosen for print, on worker threads, straight into a file. Not modal: the
// window stays usable while an export runs, and Cancel leaves no file.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // `source` gives the window's state when an export starts, or nothing when
    // it cannot start (having told the user why).
    ExportDialog(QWidget* parent, bool highResolution, std::function<std::optional<ExportSource>()> source);
    ~ExportDialog() override;

    // The picture's pixels and its file as the controls give them.
    CanvasSize Pixels() const;
    PictureFileOptions FileOptions() const;
    // Why the chosen size cannot be exported; empty when it can.
    QString Problem() const;

    // Starts writing the picture to `path`; false when it cannot start.
    bool StartExport(const QString& path);
    bool Running() const { return worker_.joinable(); }
    // Waits until a running export has ended and its result is shown.
    void WaitForExport();

    QComboBox* Preset;
    QRadioButton* Millimetres;
    QRadioButton* PixelUnits;
    QDoubleSpinBox* WidthBox;
    QDoubleSpinBox* HeightBox;
    QSpinBox* DpiBox;
    QCheckBox* HighResolution;
    QComboBox* Format;
    QSpinBox* Threads;
    QLabel* Summary;
    QProgressBar* Progress;
    QLabel* Status;
    QPushButton* ExportButton;
    QPushButton* CancelButton;

private:
    void PresetChosen(int index);
    void UnitsChanged();
    void SizeEdited();
    void UpdateSummary();
    void ExportClicked();
    void CancelClicked();
    void Poll();
    void Finish();
    void SetEditable(bool editable);

    std::function<std::optional<ExportSource>()> source_;
    bool millimetres_ = true;  // the units the boxes hold
    QTimer* poll_;
    QString path_;

    // Shared with the worker thread.
    ExportSource snapshot_;
    UniformSource random_;
    std::atomic<double> done_{0};
    std::atomic<bool> cancel_{false}, finished_{false};
    ExportResult result_;
    std::thread worker_;
};

}  // namespace velmora
