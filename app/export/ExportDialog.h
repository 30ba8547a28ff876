#pragma once
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <QDialog>
#include <QString>

#include "export/Product.h"
#include "render/Random.h"
#include "tracking/SensorCheck.h"
#include "tracking/Suggestions.h"

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

class ColourChoice;
class TrackingLabel;

// What an export takes from the window when it starts: the parameters Start
// reads, and the palette's colours at that moment.
struct ExportSource {
    PictureParameters parameters;
    std::array<ColorValue, 256> tableColumn{};
    float randomExponent = 0;

    bool operator==(const ExportSource&) const = default;
};

// Tries the changes that may help `picture` drawn `pixels` large and printed at `size` with `dpi` dots per inch
// (its resolution as `highResolution` says), for a TrackingLabel: the other colour counts are tried with the
// default palette only.
std::function<std::vector<Suggestion>(double tracks, const std::atomic<bool>* stop)> SuggestionsFor(
    std::shared_ptr<const ExportSource> picture, CanvasSize pixels, bool highResolution, PrintedSize size, double dpi);

// "Export at size…": the current picture rendered at a size and resolution
// chosen for print, on worker threads, straight into a file. Not modal: the
// window stays usable while an export runs, and Cancel leaves no file. It
// shows how a mouse tracks on the picture printed at the chosen size.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // `source` gives the window's state, or nothing when there is no picture
    // to export (having told the user why when `explain` is true).
    using Source = std::function<std::optional<ExportSource>(bool explain)>;
    ExportDialog(QWidget* parent, bool highResolution, Source source);
    ~ExportDialog() override;

    // The field of a product's bleed in mm, as both dialogs offer it.
    static QDoubleSpinBox* NewBleedBox(QWidget* parent);

    // The picture's pixels and its file as the controls give them.
    CanvasSize Pixels() const;
    PictureFileOptions FileOptions() const;
    // The product the controls choose, of the picture `parameters` give.
    Product ChosenProduct(const PictureParameters& parameters) const;
    // Why the chosen size cannot be exported; empty when it can.
    QString Problem() const;
    // The size the picture prints at: the millimetres chosen, or the pixels
    // at the resolution, as its page places it.
    PrintedSize PrintedSizeChosen() const;

    // Checks how a mouse tracks on the picture the window now holds, rendered
    // at the chosen size as the export renders it, on worker threads; a check
    // of an earlier choice is stopped. Announces the size in SizeChosen.
    void CheckTracking();

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
    QDoubleSpinBox* BleedBox;
    QCheckBox* CropMarks;
    QComboBox* Format;
    ColourChoice* Colours;  // the printer's profile the file is converted through
    QSpinBox* Quality;  // JPEG
    QSpinBox* Threads;
    QLabel* Summary;
    TrackingLabel* Tracking;  // how a mouse tracks on the picture printed
    QProgressBar* Progress;
    QLabel* Status;
    QPushButton* ExportButton;
    QPushButton* CancelButton;

signals:
    // The printed size of the whole exported picture, when its check starts.
    void SizeChosen(velmora::PrintedSize size);
    // The size and resolution of the picture the dialog would export, whenever they change.
    void ProductChosen(velmora::PrintedSize size, double dpi, double bleedMm);
    // A change to the picture's region or colours chosen among the tracking suggestions, for the window's controls.
    void PictureChangeChosen(velmora::PictureChange change);

private:
    // A suggestion's change: the resolution and dpi here, the rest in the window.
    void ApplyChange(PictureChange change);
    void PresetChosen(int index);
    void UnitsChanged();
    void SizeEdited();
    void UpdateSummary();
    void ExportClicked();
    void CancelClicked();
    void Poll();
    void Finish();
    void SetEditable(bool editable);
    void ShowSummary();
    QString Estimate(const PictureFileOptions& file, bool make);
    void EstimatePoll();
    void RestoreChoices();
    // Remembers the size, units, resolution and format for the next opening and the next run.
    void SaveChoices() const;

    Source source_;
    bool millimetres_ = true;  // the units the boxes hold
    bool restoring_ = true;    // until the remembered choices are back: nothing is shown or remembered
    QTimer* poll_;
    // Starts the sensor check once the size has stopped changing for a moment:
    // typing a size does not render every number on the way.
    QTimer* trackingDelay_;
    std::optional<ExportSource> checkedSource_;
    unsigned sourceVersion_ = 0;  // counts the pictures checkedSource_ has held
    QString path_;
    // The last estimate of the file's size, and what it was made for.
    std::optional<ExportSource> estimatedSource_;
    QString estimateKey_, estimate_;
    // Estimates on worker threads: the latest one asked for, and every one not yet ended (joined when the
    // dialog goes).
    struct EstimateResult {
        std::atomic<bool> done{false};
        std::optional<double> bytes;
    };
    struct Estimating {
        QString key;
        ExportSource source;
        std::shared_ptr<EstimateResult> result;
    };
    struct Estimator {
        std::shared_ptr<EstimateResult> result;
        std::jthread thread;
    };
    std::optional<Estimating> estimating_;
    std::vector<Estimator> estimators_;
    QTimer* estimatePoll_;

    // Shared with the worker thread.
    ExportSource snapshot_;
    UniformSource random_;
    std::atomic<double> done_{0};
    std::atomic<bool> cancel_{false}, finished_{false};
    ExportResult result_;
    std::thread worker_;
};

}  // namespace velmora
