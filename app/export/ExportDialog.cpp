#include "app/export/ExportDialog.h"

#include <algorithm>
#include <cmath>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "app/colour/ColourChoice.h"
#include "app/toolkit/Background.h"
#include "app/toolkit/Services.h"
#include "app/toolkit/Settings.h"
#include "app/tracking/TrackingLabel.h"
#include "canvas/CanvasGeometry.h"
#include "palette/ColorTable.h"
#include "render/PointPicture.h"

namespace velmora {

namespace {

struct Choice {
    QString name;
    double widthMm, heightMm, bleedMm;
};

// The products the print dialog offers, with their bleed, and the two usual
// sheets held landscape as the pictures are, without.
std::vector<Choice> Presets() {
    std::vector<Choice> presets;
    for (const SizePreset& preset : kSizePresets)
        presets.push_back({QString::fromUtf8(preset.name), preset.widthMm, preset.heightMm, preset.bleedMm});
    for (const char* paper : {"A4", "A3"}) {
        const PageSize size = *PaperSizeNamed(paper);
        presets.push_back({QString::fromLatin1(paper), MmFromTwips(size.height), MmFromTwips(size.width), 0});
    }
    return presets;
}

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

constexpr int kTrackingDelayMs = 300;

QString Megabytes(double bytes) {
    return bytes >= 1e9 ? QStringLiteral("%1 GB").arg(bytes / 1e9, 0, 'f', 1)
                        : QStringLiteral("%1 MB").arg(std::max(bytes / 1e6, 0.1), 0, 'f', 1);
}

}  // namespace

ExportDialog::ExportDialog(QWidget* parent, bool highResolution, Source source)
    : QDialog(parent), source_(std::move(source)) {
    setWindowTitle(tr("Export at size"));
    Preset = new QComboBox(this);
    Preset->addItem(tr("Custom"));
    for (const Choice& preset : Presets())
        Preset->addItem(QStringLiteral("%1 %2 \u00D7 %3 mm").arg(preset.name).arg(preset.widthMm).arg(preset.heightMm));

    Millimetres = new QRadioButton(tr("Millimetres"), this);
    PixelUnits = new QRadioButton(tr("Pixels"), this);
    Millimetres->setChecked(true);
    auto* units = new QButtonGroup(this);
    units->addButton(Millimetres);
    units->addButton(PixelUnits);
    WidthBox = new QDoubleSpinBox(this);
    HeightBox = new QDoubleSpinBox(this);
    for (QDoubleSpinBox* box : {WidthBox, HeightBox}) {
        box->setDecimals(1);
        box->setRange(1, 10000);
        box->setSuffix(QStringLiteral(" mm"));
    }
    DpiBox = new QSpinBox(this);
    DpiBox->setRange(1, 65535);
    DpiBox->setValue(static_cast<int>(kDefaultDpi));
    DpiBox->setSuffix(QStringLiteral(" dpi"));
    HighResolution = new QCheckBox(tr("High resolution (every pixel computed)"), this);
    HighResolution->setChecked(highResolution);
    BleedBox = NewBleedBox(this);
    CropMarks = new QCheckBox(tr("Crop marks (PDF)"), this);
    Colours = new ColourChoice(this);
    Format = new QComboBox(this);
    for (const PictureFormatName& format : kPictureFormats) Format->addItem(Text(format.name));
    Quality = new QSpinBox(this);
    Quality->setRange(1, 100);
    Quality->setValue(PictureFileOptions{}.quality);
    Threads = new QSpinBox(this);
    const int cores = std::max(1, QThread::idealThreadCount());
    Threads->setRange(1, cores);
    Threads->setValue(cores);
    Summary = new QLabel(this);
    Tracking = new TrackingLabel(this);
    Progress = new QProgressBar(this);
    Progress->setRange(0, 1000);
    Progress->setValue(0);
    Status = new QLabel(this);
    ExportButton = new QPushButton(tr("Export…"), this);
    CancelButton = new QPushButton(tr("Close"), this);

    Preset->setToolTip(tr("A size the picture is often printed at, or Custom for the size typed below"));
    Millimetres->setToolTip(tr("Width and height in millimetres printed at the resolution below"));
    PixelUnits->setToolTip(tr("Width and height in pixels of the picture file"));
    WidthBox->setToolTip(tr("The width of the exported picture"));
    HeightBox->setToolTip(tr("The height of the exported picture"));
    DpiBox->setToolTip(tr("Pixels per inch of the print; the file records it"));
    HighResolution->setToolTip(tr("Computes every pixel instead of one point per 4 \u00D7 4 pixels"));
    Format->setToolTip(tr("The kind of picture file to write"));
    Threads->setToolTip(tr("How many processor cores draw the picture"));
    ExportButton->setToolTip(tr("Chooses a file name and exports the picture"));
    CancelButton->setToolTip(tr("Stops an export under way, or closes the dialog"));

    auto* unitRow = new QHBoxLayout;
    unitRow->addWidget(Millimetres);
    unitRow->addWidget(PixelUnits);
    auto* form = new QFormLayout;
    form->addRow(tr("Size:"), Preset);
    form->addRow(tr("Units:"), unitRow);
    form->addRow(tr("Width:"), WidthBox);
    form->addRow(tr("Height:"), HeightBox);
    form->addRow(tr("Resolution:"), DpiBox);
    form->addRow(QString(), HighResolution);
    form->addRow(tr("Bleed:"), BleedBox);
    form->addRow(QString(), CropMarks);
    form->addRow(tr("Format:"), Format);
    form->addRow(tr("Colours:"), Colours);
    form->addRow(tr("JPEG quality:"), Quality);
    form->addRow(tr("Worker threads:"), Threads);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ExportButton);
    buttons->addWidget(CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Summary);
    layout->addWidget(Tracking);
    layout->addWidget(Progress);
    layout->addWidget(Status);
    layout->addLayout(buttons);

    poll_ = new QTimer(this);
    poll_->setInterval(100);
    connect(poll_, &QTimer::timeout, this, &ExportDialog::Poll);
    trackingDelay_ = new QTimer(this);
    trackingDelay_->setSingleShot(true);
    trackingDelay_->setInterval(kTrackingDelayMs);
    connect(trackingDelay_, &QTimer::timeout, this, &ExportDialog::CheckTracking);
    estimatePoll_ = new QTimer(this);
    estimatePoll_->setInterval(100);
    connect(estimatePoll_, &QTimer::timeout, this, &ExportDialog::EstimatePoll);
    connect(Preset, &QComboBox::currentIndexChanged, this, &ExportDialog::PresetChosen);
    connect(Millimetres, &QRadioButton::toggled, this, &ExportDialog::UnitsChanged);
    for (QDoubleSpinBox* box : {WidthBox, HeightBox})
        connect(box, &QDoubleSpinBox::valueChanged, this, &ExportDialog::SizeEdited);
    connect(DpiBox, &QSpinBox::valueChanged, this, &ExportDialog::UpdateSummary);
    connect(HighResolution, &QCheckBox::toggled, this, &ExportDialog::UpdateSummary);
    connect(Tracking, &TrackingLabel::ChangeChosen, this, &ExportDialog::ApplyChange);
    connect(Format, &QComboBox::currentIndexChanged, this, &ExportDialog::UpdateSummary);
    connect(BleedBox, &QDoubleSpinBox::valueChanged, this, &ExportDialog::UpdateSummary);
    connect(CropMarks, &QCheckBox::toggled, this, &ExportDialog::UpdateSummary);
    connect(Quality, &QSpinBox::valueChanged, this, &ExportDialog::UpdateSummary);
    connect(Colours, &ColourChoice::Changed, this, &ExportDialog::UpdateSummary);
    connect(ExportButton, &QPushButton::clicked, this, &ExportDialog::ExportClicked);
    connect(CancelButton, &QPushButton::clicked, this, &ExportDialog::CancelClicked);
    Preset->setCurrentIndex(static_cast<int>(std::size(kSizePresets)));  // after "Custom", the largest: the desk mat
    RestoreChoices();
    UpdateSummary();
}

QDoubleSpinBox* ExportDialog::NewBleedBox(QWidget* parent) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(0, kBleedMaxMm);
    box->setSuffix(QStringLiteral(" mm"));
    box->setToolTip(tr("The picture runs this far past its size on every side, for the print shop to cut off"));
    return box;
}

std::function<std::vector<Suggestion>(double tracks, const std::atomic<bool>* stop)> SuggestionsFor(
    std::shared_ptr<const ExportSource> picture, CanvasSize pixels, bool highResolution, PrintedSize size, double dpi) {
    return [picture, pixels, highResolution, size, dpi](double tracks, const std::atomic<bool>* stop) {
        CheckedPicture checked{picture->parameters, pixels, size, dpi};
        checked.parameters.highResolution = highResolution ? 1 : 0;
        ColorTable table;
        coltable(table);
        const int column = std::clamp(checked.parameters.colourIndex, 0, kColourChoices - 1);
        table.column[static_cast<std::size_t>(column)] = picture->tableColumn;
        std::vector<PictureChange> changes = ChangesToTry(checked);
        // A strip palette cannot be rebuilt here for another colour count.
        if (checked.parameters.palette != PaletteChoice::Default)
            std::erase_if(changes, [](PictureChange c) { return c.kind == ChangeKind::Colours; });
        return SuggestChanges(checked, table, tracks, changes, {}, 0, stop);
    };
}

// The choices of the last opening come back, also from an earlier run.
void ExportDialog::RestoreChoices() {
    ProgramSettings settings;
    settings.beginGroup(QStringLiteral("export"));
    if (settings.contains(QStringLiteral("width"))) {
        (settings.value(QStringLiteral("pixels")).toBool() ? PixelUnits : Millimetres)->setChecked(true);
        DpiBox->setValue(settings.value(QStringLiteral("dpi")).toInt());
        WidthBox->setValue(settings.value(QStringLiteral("width")).toDouble());
        HeightBox->setValue(settings.value(QStringLiteral("height")).toDouble());
        const QSignalBlocker quiet(Preset);
        Preset->setCurrentIndex(std::clamp(settings.value(QStringLiteral("preset")).toInt(), 0, Preset->count() - 1));
        Format->setCurrentIndex(std::clamp(settings.value(QStringLiteral("format")).toInt(), 0, Format->count() - 1));
    }
    if (settings.contains(QStringLiteral("bleedMm"))) {
        BleedBox->setValue(settings.value(QStringLiteral("bleedMm")).toDouble());
        CropMarks->setChecked(settings.value(QStringLiteral("cropMarks")).toBool());
        Quality->setValue(settings.value(QStringLiteral("quality")).toInt());
    }
    settings.endGroup();
    Colours->Restore(QStringLiteral("export"));
    restoring_ = false;
}

void ExportDialog::SaveChoices() const {
    ProgramSettings settings;
    settings.beginGroup(QStringLiteral("export"));
    settings.setValue(QStringLiteral("pixels"), !millimetres_);
    settings.setValue(QStringLiteral("width"), WidthBox->value());
    settings.setValue(QStringLiteral("height"), HeightBox->value());
    settings.setValue(QStringLiteral("dpi"), DpiBox->value());
    settings.setValue(QStringLiteral("preset"), Preset->currentIndex());
    settings.setValue(QStringLiteral("format"), Format->currentIndex());
    settings.setValue(QStringLiteral("bleedMm"), BleedBox->value());
    settings.setValue(QStringLiteral("cropMarks"), CropMarks->isChecked());
    settings.setValue(QStringLiteral("quality"), Quality->value());
    settings.endGroup();
    Colours->Save(QStringLiteral("export"));
}

ExportDialog::~ExportDialog() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

CanvasSize ExportDialog::Pixels() const {
    if (!millimetres_) return {static_cast<int>(WidthBox->value()), static_cast<int>(HeightBox->value())};
    return PixelsForMillimetres(WidthBox->value(), HeightBox->value(), DpiBox->value());
}

Product ExportDialog::ChosenProduct(const PictureParameters& parameters) const {
    Product product;
    product.parameters = parameters;
    product.parameters.highResolution = HighResolution->isChecked() ? 1 : 0;
    product.pixels = Pixels();
    product.file = FileOptions();
    product.threads = Threads->value();
    return product;
}

PictureFileOptions ExportDialog::FileOptions() const {
    PictureFileOptions file;
    file.format = kPictureFormats[static_cast<std::size_t>(std::max(Format->currentIndex(), 0))].format;
    file.dpi = DpiBox->value();
    file.quality = Quality->value();
    file.bleedMm = BleedBox->value();
    file.cropMarks = file.format == PictureFormat::Pdf && CropMarks->isChecked();
    file.profile = Colours->Profile();
    if (millimetres_) {
        file.widthMm = WidthBox->value();
        file.heightMm = HeightBox->value();
    }
    return file;
}

QString ExportDialog::Problem() const {
    const CanvasSize pixels = Pixels();
    if (pixels.width < kPictureSideMin || pixels.height < kPictureSideMin || pixels.width > kPictureSideMax ||
        pixels.height > kPictureSideMax)
        return tr("Each side must be %1 to %2 pixels.").arg(kPictureSideMin).arg(kPictureSideMax);
    const PictureFileOptions file = FileOptions();
    if (auto limit = FormatLimit(file.format, FilePixels(pixels, file), file.profile.get()))
        return QString::fromStdString(*limit);
    return {};
}

PrintedSize ExportDialog::PrintedSizeChosen() const {
    if (millimetres_) return {WidthBox->value(), HeightBox->value()};
    const double mmPerPixel = kMmPerInch / DpiBox->value();
    return {WidthBox->value() * mmPerPixel, HeightBox->value() * mmPerPixel};
}

void ExportDialog::CheckTracking() {
    trackingDelay_->stop();
    const std::optional<ExportSource> source = Problem().isEmpty() ? source_(false) : std::nullopt;
    if (!source) return Tracking->Clear();
    Estimate(FileOptions(), true);
    Colours->UpdateFigure();
    if (source != checkedSource_) {
        checkedSource_ = source;
        ++sourceVersion_;
    }
    const Product product = ChosenProduct(source->parameters);
    const CanvasSize pixels = product.pixels;
    const PrintedSize size = PrintedSizeChosen();
    const QString key = QStringLiteral("%1 %2 %3 %4 %5 %6")
                            .arg(sourceVersion_)
                            .arg(pixels.width)
                            .arg(pixels.height)
                            .arg(product.parameters.highResolution)
                            .arg(size.widthMm, 0, 'g', 17)
                            .arg(size.heightMm, 0, 'g', 17);
    auto picture = std::make_shared<const ExportSource>(*source);
    const bool high = product.parameters.highResolution != 0;
    // Drawn as the export draws it, but only where the frames read it.
    auto check = [picture, product, size](const std::atomic<bool>* stop) {
        UniformSource random;
        const PictureExport job = DrawingOf(product, picture->tableColumn.data(), &random, picture->randomExponent);
        return velmora::CheckTracking(PointPicture(WalkCovering(job.whole, job.pixels, job.dot), job.pixels.width,
                                                   job.pixels.height, job.dot, job.colours),
                                      size, {}, 0, stop);
    };
    Tracking->Check(key, check, pixels.width, pixels.height, PrintedDotOf(product),
                    SuggestionsFor(picture, pixels, high, size, DpiBox->value()));
    emit SizeChosen(size);
}

void ExportDialog::ApplyChange(PictureChange change) {
    switch (change.kind) {
    case ChangeKind::Resolution: HighResolution->setChecked(change.value == 1); break;
    case ChangeKind::Dpi:
        // The printed size stays: in millimetres the pixels follow the new resolution.
        Millimetres->setChecked(true);
        DpiBox->setValue(change.value);
        break;
    default: emit PictureChangeChosen(change);
    }
}

void ExportDialog::PresetChosen(int index) {
    const std::vector<Choice> presets = Presets();
    if (index < 1 || index > static_cast<int>(presets.size())) return;
    Millimetres->setChecked(true);
    const QSignalBlocker width(WidthBox), height(HeightBox);
    const Choice& preset = presets[static_cast<std::size_t>(index - 1)];
    WidthBox->setValue(preset.widthMm);
    HeightBox->setValue(preset.heightMm);
    const QSignalBlocker bleed(BleedBox);
    BleedBox->setValue(preset.bleedMm);
    UpdateSummary();
}

// The boxes keep the size: millimetres become pixels at the resolution and back.
void ExportDialog::UnitsChanged() {
    const bool millimetres = Millimetres->isChecked();
    if (millimetres == millimetres_) return;
    const CanvasSize pixels = Pixels();
    const double dpi = DpiBox->value();
    millimetres_ = millimetres;
    const QSignalBlocker width(WidthBox), height(HeightBox);
    for (QDoubleSpinBox* box : {WidthBox, HeightBox}) {
        box->setDecimals(millimetres ? 1 : 0);
        box->setRange(millimetres ? 1 : kPictureSideMin, millimetres ? 10000 : kPictureSideMax);
        box->setSuffix(millimetres ? QStringLiteral(" mm") : QStringLiteral(" px"));
    }
    WidthBox->setValue(millimetres ? pixels.width / dpi * 25.4 : pixels.width);
    HeightBox->setValue(millimetres ? pixels.height / dpi * 25.4 : pixels.height);
    UpdateSummary();
}

void ExportDialog::SizeEdited() {
    const QSignalBlocker preset(Preset);
    Preset->setCurrentIndex(0);
    UpdateSummary();
}

void ExportDialog::UpdateSummary() {
    if (restoring_) return;
    SaveChoices();
    const QString problem = Problem();
    ExportButton->setEnabled(problem.isEmpty() && !Running());
    if (!problem.isEmpty()) {
        Summary->setText(problem);
        trackingDelay_->stop();
        Tracking->Clear();
        return;
    }
    trackingDelay_->start();
    ShowSummary();
}

void ExportDialog::ShowSummary() {
    const CanvasSize pixels = Pixels();
    const PictureFileOptions file = FileOptions();
    const PrintedSize printed = PrintedSizeChosen();
    const CanvasSize written = FilePixels(pixels, file);
    emit ProductChosen(printed, file.dpi, file.bleedMm);
    CropMarks->setEnabled(file.format == PictureFormat::Pdf && !Running());
    Quality->setEnabled(file.format == PictureFormat::Jpeg && !Running());
    QString text = tr("%1 × %2 pixels, %3 × %4 mm at %5 dpi; %6")
                       .arg(written.width)
                       .arg(written.height)
                       .arg(printed.widthMm + 2 * file.bleedMm, 0, 'f', 1)
                       .arg(printed.heightMm + 2 * file.bleedMm, 0, 'f', 1)
                       .arg(file.dpi)
                       .arg(Estimate(file, false));
    if (const SizePreset* product = ProductOfSize(printed.widthMm, printed.heightMm))
        text += QLatin1Char('\n') + tr("Keep what matters %1 mm inside the edges (the safe margin).").arg(product->safeMm);
    Summary->setText(text);
}

// The file's estimated size, made again (when `make`) on a worker thread only when the picture or a choice
// that changes the file has changed: it draws and writes strips of the picture, too long a wait for every key
// typed and for the window's thread. The summary shows it when it comes.
QString ExportDialog::Estimate(const PictureFileOptions& file, bool make) {
    const std::optional<ExportSource> source = source_(false);
    if (!source) return tr("file size unknown");
    const CanvasSize pixels = Pixels();
    const bool high = HighResolution->isChecked();
    const QString key = QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9")
                            .arg(reinterpret_cast<quintptr>(file.profile.get()))
                            .arg(static_cast<int>(file.format))
                            .arg(pixels.width)
                            .arg(pixels.height)
                            .arg(high)
                            .arg(file.quality)
                            .arg(file.bleedMm)
                            .arg(file.dpi)
                            .arg(file.cropMarks);
    if (key == estimateKey_ && source == estimatedSource_) return estimate_;
    const QString waiting = tr("file size being estimated");
    if (!make || (estimating_ && key == estimating_->key && source == estimating_->source)) return waiting;
    auto picture = std::make_shared<const ExportSource>(*source);
    auto result = std::make_shared<EstimateResult>();
    const int threads = Threads->value();
    std::erase_if(estimators_, [](const Estimator& estimator) { return estimator.result->done.load(); });
    Product product = ChosenProduct(source->parameters);
    product.file = file;
    product.threads = threads;
    estimators_.push_back({result, std::jthread([picture, result, product] {
                               UniformSource random;
                               const PictureExport job = DrawingOf(product, picture->tableColumn.data(), &random,
                                                                   picture->randomExponent);
                               result->bytes = EstimatedFileBytes(job);
                               result->done = true;
                           })});
    estimating_ = Estimating{key, *source, result};
    estimatePoll_->start();
    return waiting;
}

// Takes the latest estimate once it has come; estimates overtaken by a later choice are dropped.
void ExportDialog::EstimatePoll() {
    if (!estimating_ || !estimating_->result->done) return;
    estimatePoll_->stop();
    const std::optional<double> bytes = estimating_->result->bytes;
    estimateKey_ = estimating_->key;
    estimatedSource_ = estimating_->source;
    estimate_ = bytes ? tr("file about %1").arg(Megabytes(*bytes)) : tr("file size unknown");
    estimating_.reset();
    if (Problem().isEmpty()) ShowSummary();
}

void ExportDialog::ExportClicked() {
    // One export at a time: a second is refused before it asks for a name, not dropped after.
    if (Running()) {
        Toolkit().MessageBox(this, tr("An export is running. Wait for it to end or cancel it, then export again."),
                             QString(), MessageButtons::Ok, MessageAnswer::Ok);
        return;
    }
    const PictureFormatName& format = kPictureFormats[static_cast<std::size_t>(std::max(Format->currentIndex(), 0))];
    const QString extension = QStringLiteral(".") + Text(format.extensions[0]);
    QString path = Toolkit().SaveFileName(this, QDir::current().absoluteFilePath(QStringLiteral("Fractal") + extension),
                                          QStringLiteral("%1 (*%2)").arg(Text(format.name), extension));
    if (path.isEmpty()) return;
    if (PictureFormatFor(path.toStdString()) != format.format) path += extension;
    StartExport(path);
}

bool ExportDialog::StartExport(const QString& path) {
    if (Running() || !Problem().isEmpty()) return false;
    const std::optional<ExportSource> source = source_(true);
    if (!source) return false;
    snapshot_ = *source;
    random_ = UniformSource();
    path_ = path;

    Product product = ChosenProduct(snapshot_.parameters);
    product.file.title = QFileInfo(path).completeBaseName().toStdString();
    PictureExport job = DrawingOf(product, snapshot_.tableColumn.data(), &random_, snapshot_.randomExponent);
    job.progress = [this](double done) {
        done_ = done;
        return cancel_.load();
    };
    done_ = 0;
    cancel_ = false;
    finished_ = false;
    Progress->setValue(0);
    Status->setText(tr("Exporting to %1").arg(QFileInfo(path).fileName()));
    const std::string target = path.toStdString();
    worker_ = std::thread([this, job, target] {
        RunBelowWindow();
        result_ = ExportPicture(target, job);
        finished_ = true;
    });
    // Once the export runs, so the Export button is disabled with the other controls.
    SetEditable(false);
    poll_->start();
    return true;
}

void ExportDialog::WaitForExport() {
    if (!Running()) return;
    while (!finished_) QThread::msleep(5);
    Poll();
}

void ExportDialog::CancelClicked() {
    if (Running()) {
        cancel_ = true;
        Status->setText(tr("Cancelling…"));
        return;
    }
    close();
}

void ExportDialog::Poll() {
    Progress->setValue(static_cast<int>(done_.load() * 1000));
    if (finished_) Finish();
}

void ExportDialog::Finish() {
    poll_->stop();
    worker_.join();
    SetEditable(true);
    const QString name = QFileInfo(path_).fileName();
    if (result_.cancelled) {
        Progress->setValue(0);
        Status->setText(tr("Cancelled: nothing was written."));
    } else if (result_.error) {
        Progress->setValue(0);
        Status->setText(QString());
        Toolkit().MessageBox(this,
                             tr("%1 could not be written: %2").arg(path_, QString::fromStdString(*result_.error)),
                             QString(), MessageButtons::Ok, MessageAnswer::Ok);
    } else {
        Progress->setValue(1000);
        Status->setText(tr("Written: %1").arg(name));
    }
}

void ExportDialog::SetEditable(bool editable) {
    for (QWidget* control : std::initializer_list<QWidget*>{Preset, Millimetres, PixelUnits, WidthBox, HeightBox, DpiBox,
                                                           HighResolution, BleedBox, CropMarks, Format, Colours,
                                                           Quality, Threads})
        control->setEnabled(editable);
    CancelButton->setText(editable ? tr("Close") : tr("Cancel"));
    UpdateSummary();
}

}  // namespace velmora
