#include "app/print/FormPrint.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <memory>

#include "app/MainForm.h"
#include "app/tracking/TrackingLabel.h"
#include "app/toolkit/Services.h"
#include "app/colour/ColourChoice.h"
#include "app/toolkit/Settings.h"
#include "common/Numbers.h"
#include "render/Random.h"

namespace velmora {

namespace {

// The page of the preview at design time (portrait) and the picture area on it.
constexpr int kPageLeft = 40, kPageTop = 8, kPageWidth = 138, kPageHeight = 196;
// The page's long side in the preview, and the backdrop it is centred on across.
constexpr int kPreviewLongSide = 196;
constexpr int kBackdropSide = 218;

const QColor kPreviewBackground(224, 224, 224);
constexpr Pixel kMarkColour = 0xFF000000u;
constexpr Pixel kGridColour = 0xFF808080u;
constexpr Pixel kSafeColour = 0xFFFF00FFu;
constexpr Pixel kFirstPageColour = 0xFFFFFFFFu;

constexpr double kDefaultWidthMm = 250, kDefaultHeightMm = 210;

QDoubleSpinBox* MillimetreBox(QWidget* parent, double minimum, double maximum, double value) {
    auto* box = new QDoubleSpinBox(parent);
    box->setDecimals(1);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

QLabel* Caption(const QString& text, QWidget* parent, int x, int y, int width) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, width, 22);
    return label;
}

// Paints a rectangle's outline (or the whole of it) into a raster, clipped.
void PaintBox(const Raster& raster, int x0, int y0, int x1, int y1, Pixel colour, bool filled) {
    for (int y = std::max(y0, 0); y <= std::min(y1, raster.height - 1); ++y)
        for (int x = std::max(x0, 0); x <= std::min(x1, raster.width - 1); ++x)
            if (filled || y == y0 || y == y1 || x == x0 || x == x1) raster.Row(y)[x] = colour;
}

}  // namespace

void listPrinters(QComboBox& list) {
    Printers& printers = CurrentPrinters();
    {
        const QSignalBlocker quiet(list);
        list.addItems(printers.DeviceNames());
        list.setCurrentIndex(-1);
    }
    list.setCurrentIndex(list.findText(printers.CurrentDeviceName(), Qt::MatchExactly | Qt::MatchCaseSensitive));
}

FormPrint::FormPrint(MainForm& owner) : QWidget(&owner, Qt::Window), owner_(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("VLG"));
    setFixedSize(392, 612);
    CreateControls();
    CreateSizeControls();
    SetTabOrder();
    ConnectHandlers();
}

void FormPrint::CreateControls() {
    Combo1 = new QComboBox(this);
    Combo1->setEditable(false);
    Combo1->setGeometry(8, 8, 153, 20);
    Combo1->setToolTip(tr("印刷するプリンター。最後の PDF file は PDF ファイルに書き出します"));

    Frame1 = new Frame(QString(), this);
    Frame1->setGeometry(8, 40, 153, 57);
    Option1[0] = new OptionButton(tr("Virtical"), Frame1);
    Option1[0]->setGeometry(16, 16, 97, 12);
    Option1[0]->setToolTip(tr("縦向きの用紙に印刷します"));
    Option1[1] = new OptionButton(tr("Horizontal"), Frame1);
    Option1[1]->setGeometry(16, 32, 105, 20);
    Option1[1]->setToolTip(tr("横向きの用紙に印刷します"));
    Option1[0]->SetValue(true);

    Picture1 = new PictureBox(this, Qt::black);
    Picture1->SetBorder(QFrame::Sunken, 2);
    Picture1->SetGeometry(168, 8, 217, 217);
    Picture1->setToolTip(tr("印刷される頁のプレビュー（ポスターでは最初の頁）"));
    PicturePre = new PictureBox(Picture1->ChildArea(), Qt::white);
    PicturePre->SetGeometry(kPageLeft, kPageTop, kPageWidth, kPageHeight);
    Picturepre1 = new PictureBox(PicturePre->ChildArea(), kPreviewBackground);
    Picturepre1->SetGeometry(4, 4, 129, 89);

    Command1 = new QPushButton(tr("Print"), this);
    Command1->setGeometry(8, 200, 65, 25);
    Command1->setToolTip(tr("ここで選んだとおりに印刷します"));
    Command2 = new QPushButton(tr("Cancel"), this);
    Command2->setGeometry(88, 200, 65, 25);
    Command2->setToolTip(tr("閉じて、開く前のプリンターに戻します"));
}

// The paper and the size on paper, below the controls above.
void FormPrint::CreateSizeControls() {
    Caption(tr("Paper"), this, 8, 236, 88);
    PaperList = new QComboBox(this);
    PaperList->setGeometry(100, 236, 285, 22);
    PaperList->setToolTip(tr("プリンターの用紙（既定の用紙が先頭）"));

    Caption(tr("Size on paper"), this, 8, 262, 88);
    auto* scale = new QWidget(this);
    scale->setGeometry(100, 262, 285, 22);
    PageWidthOption = new OptionButton(tr("Page width"), scale);
    PageWidthOption->setGeometry(0, 0, 100, 22);
    PageWidthOption->setToolTip(tr("絵の全体を用紙の幅いっぱいに印刷します"));
    ActualSizeOption = new OptionButton(tr("Actual size"), scale);
    ActualSizeOption->setGeometry(105, 0, 100, 22);
    ActualSizeOption->setToolTip(tr("下の幅と高さ (mm) で印刷します。印刷できる範囲より大きいときは複数の頁のポスターになります"));
    PageWidthOption->SetValue(true);

    WidthMm = MillimetreBox(this, 10, kPrintedSizeMaxMm, kDefaultWidthMm);
    WidthMm->setGeometry(100, 288, 64, 22);
    WidthMm->setToolTip(tr("印刷する幅 (mm)"));
    Caption(QStringLiteral("\u00D7"), this, 167, 288, 10);
    HeightMm = MillimetreBox(this, 10, kPrintedSizeMaxMm, kDefaultHeightMm);
    HeightMm->setGeometry(179, 288, 64, 22);
    HeightMm->setToolTip(tr("印刷する高さ (mm)"));
    Caption(QStringLiteral("mm"), this, 246, 288, 24);
    SizePresets = new QComboBox(this);
    SizePresets->setGeometry(272, 288, 113, 22);
    SizePresets->setToolTip(tr("マウスパッドやデスクマットの大きさ、または用紙の印刷できる範囲"));
    SizePresets->addItem(tr("Presets"));
    for (const SizePreset& preset : kSizePresets)
        SizePresets->addItem(QStringLiteral("%1 %2 \u00D7 %3")
                                 .arg(QString::fromLatin1(preset.name))
                                 .arg(preset.widthMm)
                                 .arg(preset.heightMm));
    SizePresets->addItem(tr("Printable area"));

    auto* cover = new QWidget(this);
    cover->setGeometry(100, 314, 162, 22);
    WholePictureOption = new OptionButton(tr("Whole picture"), cover);
    WholePictureOption->setGeometry(0, 0, 105, 22);
    WholePictureOption->setToolTip(tr("絵の全体をその大きさに収め、中央に置きます"));
    FillOption = new OptionButton(tr("Fill"), cover);
    FillOption->setGeometry(105, 0, 55, 22);
    FillOption->setToolTip(tr("その大きさを埋め、はみ出す部分を両側から等しく切り取ります"));
    WholePictureOption->SetValue(true);
    Caption(tr("Overlap"), this, 264, 314, 56);
    OverlapMm = MillimetreBox(this, 0, kPosterOverlapMaxMm, kPosterOverlapMm);
    OverlapMm->setGeometry(322, 314, 63, 22);
    OverlapMm->setToolTip(tr("ポスターの隣り合う頁の重なり (mm)"));

    Caption(tr("Resolution"), this, 8, 340, 88);
    DpiBox = new QSpinBox(this);
    DpiBox->setRange(1, 65535);
    DpiBox->setValue(static_cast<int>(kDefaultDpi));
    DpiBox->setSuffix(QStringLiteral(" dpi"));
    DpiBox->setGeometry(100, 340, 80, 22);
    DpiBox->setToolTip(tr("実寸で印刷するとき、この解像度で絵を描き直します"));
    Borderless = new QCheckBox(tr("Borderless"), this);
    Borderless->setGeometry(186, 340, 199, 22);
    Borderless->setToolTip(tr("余白なしで印刷できるプリンター用: 用紙には収まるが印刷できる範囲に収まらない大きさを、ポスターにせず 1 頁に印刷します"));
    PrintProgress = new QProgressBar(this);
    PrintProgress->setRange(0, 1000);
    PrintProgress->setGeometry(186, 340, 120, 22);
    PrintProgress->hide();
    StopButton = new QPushButton(tr("Stop"), this);
    StopButton->setGeometry(310, 340, 75, 22);
    StopButton->setToolTip(tr("印刷を取りやめます。ファイルもジョブも残しません"));
    StopButton->hide();

    Caption(tr("Bleed"), this, 8, 366, 88);
    BleedMm = ExportDialog::NewBleedBox(this);
    BleedMm->setValue(kDefaultBleedMm);
    BleedMm->setGeometry(100, 366, 80, 22);
    CropMarks = new QCheckBox(tr("Crop marks"), this);
    CropMarks->setGeometry(186, 366, 199, 22);
    // Both apply where the page is the picture's own: on the paper "Picture's own size" at actual size.
    const QString ownPage = tr("Only on the paper \"Picture's own size\" at actual size.");
    BleedMm->setToolTip(BleedMm->toolTip() + QStringLiteral(". ") + ownPage);
    CropMarks->setToolTip(tr("Trim marks around the bleed, for the print shop.") + QLatin1Char(' ') + ownPage);

    Summary = new QLabel(this);
    Summary->setGeometry(8, 392, 377, 32);
    Summary->setWordWrap(true);
    Tracking = new TrackingLabel(this);
    // Room for the warning and three lines of advice, each of which may wrap.
    Tracking->setGeometry(8, 426, 377, 84);
    Tracking->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Colours = new ColourChoice(this);
    Colours->setGeometry(8, 512, 377, 94);
    Colours->SetPicture([this] { return owner_.Pic1->Image(); });
}

void FormPrint::SetTabOrder() {
    QWidget* const order[] = {Combo1,      Command1,         Picture1,         PicturePre,      Option1[1],
                              Option1[0],  Picturepre1,      Command2,         PaperList,       PageWidthOption,
                              ActualSizeOption, WidthMm,     HeightMm,         SizePresets,     WholePictureOption,
                              FillOption,  OverlapMm,        DpiBox,           Borderless,      StopButton,
                              BleedMm,     CropMarks,        Colours};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void FormPrint::ConnectHandlers() {
    connect(Combo1, &QComboBox::currentIndexChanged, this, [this] { Combo1_Click(); });
    for (int i = 0; i < 2; ++i) connect(Option1[i], &OptionButton::Click, this, [this, i] { Option1_Click(i); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    const auto repaint = [this] { PaintPreview(); };
    connect(PaperList, &QComboBox::currentIndexChanged, this, repaint);
    for (OptionButton* option : {PageWidthOption, ActualSizeOption, WholePictureOption, FillOption})
        connect(option, &OptionButton::Click, this, repaint);
    for (QDoubleSpinBox* box : {WidthMm, HeightMm, OverlapMm})
        connect(box, &QDoubleSpinBox::valueChanged, this, repaint);
    connect(DpiBox, &QSpinBox::valueChanged, this, repaint);
    printing_ = new PrintWorker(this);
    connect(printing_, &PrintWorker::Progressed, this, [this](double done) { PrintProgress->setValue(static_cast<int>(done * 1000)); });
    connect(StopButton, &QPushButton::clicked, this, [this] { printing_->Cancel(); });
    connect(SizePresets, &QComboBox::activated, this, [this](int index) { ApplyPreset(index); });
    connect(Borderless, &QCheckBox::toggled, this, repaint);
    connect(BleedMm, &QDoubleSpinBox::valueChanged, this, repaint);
    connect(CropMarks, &QCheckBox::toggled, this, repaint);
    connect(Tracking, &TrackingLabel::ChangeChosen, this, [this](PictureChange change) { ApplyChange(change); });
    connect(Colours, &ColourChoice::Changed, this, [this] {
        owner_.SetProofProfile(Colours->Profile());
        PaintPreview();
    });
}

// The choices of the last opening come back, also from an earlier run: the printer when it is still installed,
// its paper when it has it, and every other control.
void FormPrint::Form_Load() {
    ProgramSettings settings;
    settings.beginGroup(QStringLiteral("print"));
    restoring_ = true;
    paperWanted_ = settings.value(QStringLiteral("paper")).toString();
    savedPrinterName = CurrentPrinters().CurrentDeviceName();
    listPrinters(*Combo1);
    const int printer = Combo1->findText(settings.value(QStringLiteral("printer")).toString(),
                                         Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (printer >= 0) Combo1->setCurrentIndex(printer);
    Option1[settings.value(QStringLiteral("landscape"), false).toBool() ? 1 : 0]->SetValue(true);
    (settings.value(QStringLiteral("actualSize"), false).toBool() ? ActualSizeOption : PageWidthOption)->SetValue(true);
    WidthMm->setValue(settings.value(QStringLiteral("widthMm"), kDefaultWidthMm).toDouble());
    HeightMm->setValue(settings.value(QStringLiteral("heightMm"), kDefaultHeightMm).toDouble());
    (settings.value(QStringLiteral("fill"), false).toBool() ? FillOption : WholePictureOption)->SetValue(true);
    OverlapMm->setValue(settings.value(QStringLiteral("overlapMm"), kPosterOverlapMm).toDouble());
    Borderless->setChecked(settings.value(QStringLiteral("borderless"), false).toBool());
    DpiBox->setValue(settings.value(QStringLiteral("dpi"), static_cast<int>(kDefaultDpi)).toInt());
    BleedMm->setValue(settings.value(QStringLiteral("bleedMm"), kDefaultBleedMm).toDouble());
    CropMarks->setChecked(settings.value(QStringLiteral("cropMarks"), false).toBool());
    Colours->Restore(QStringLiteral("print"));
    restoring_ = false;
    paperWanted_.clear();
    setWindowIcon(owner_.windowIcon());
}

void FormPrint::SaveChoices() const {
    ProgramSettings settings;
    settings.beginGroup(QStringLiteral("print"));
    settings.setValue(QStringLiteral("printer"), Combo1->currentText());
    settings.setValue(QStringLiteral("paper"), PaperList->currentText());
    settings.setValue(QStringLiteral("landscape"), Option1[1]->Value());
    settings.setValue(QStringLiteral("actualSize"), ActualSizeOption->Value());
    settings.setValue(QStringLiteral("widthMm"), WidthMm->value());
    settings.setValue(QStringLiteral("heightMm"), HeightMm->value());
    settings.setValue(QStringLiteral("fill"), FillOption->Value());
    settings.setValue(QStringLiteral("overlapMm"), OverlapMm->value());
    settings.setValue(QStringLiteral("borderless"), Borderless->isChecked());
    settings.setValue(QStringLiteral("dpi"), DpiBox->value());
    settings.setValue(QStringLiteral("bleedMm"), BleedMm->value());
    settings.setValue(QStringLiteral("cropMarks"), CropMarks->isChecked());
    settings.endGroup();
    Colours->Save(QStringLiteral("print"));
}

void FormPrint::Combo1_Click() {
    CurrentPrinters().SelectPrinter(Combo1->currentText());
    FillPapers();
    PaintPreview();
}

void FormPrint::Option1_Click(int) { PaintPreview(); }

void FormPrint::Command1_Click() { owner_.printP(); }

Product FormPrint::ChosenProduct(const PictureParameters& parameters) const {
    Product product;
    product.parameters = parameters;
    product.file.format = PictureFormat::Pdf;
    product.file.dpi = DpiBox->value();
    product.file.widthMm = WidthMm->value();
    product.file.heightMm = HeightMm->value();
    product.file.title = owner_.Text1->text().toStdString();
    product.pixels = PixelsForMillimetres(WidthMm->value(), HeightMm->value(), DpiBox->value());
    product.paper = Choices();
    product.media = Media().toStdString();
    product.file.profile = Colours->Profile();
    if (OwnPage()) {
        product.paper.reset();
        product.file.bleedMm = BleedMm->value();
        product.file.cropMarks = CropMarks->isChecked();
    }
    return product;
}

bool FormPrint::OwnSizePaper() const {
    const int paper = PaperList->currentIndex();
    return paper >= 0 && paper < papers_.size() && papers_[paper].paper.sheet.width <= 0;
}

bool FormPrint::OwnPage() const { return ActualSizeOption->Value() && OwnSizePaper(); }

void FormPrint::ApplyChange(PictureChange change) {
    if (change.kind == ChangeKind::Dpi) DpiBox->setValue(change.value);
    else emit PictureChangeChosen(change);
}

QString FormPrint::Problem() const {
    if (!ActualSizeOption->Value())
        return OwnSizePaper() ? tr("The picture's own size prints at actual size: choose Actual size or a paper.")
                              : QString();
    const CanvasSize pixels = PixelsForMillimetres(WidthMm->value(), HeightMm->value(), DpiBox->value());
    if (pixels.width < kPictureSideMin || pixels.height < kPictureSideMin || pixels.width > kPictureSideMax ||
        pixels.height > kPictureSideMax)
        return tr("At %1 dpi each side must be %2 to %3 pixels.").arg(DpiBox->value()).arg(kPictureSideMin).arg(kPictureSideMax);
    return {};
}

void FormPrint::Print() {
    if (printing_->Running() || !Problem().isEmpty()) return;
    const QString jobName = owner_.Text1->text();
    const QString media = Media();
    Printers& printers = CurrentPrinters();
    PrintWorker::Work work;
    QString printer;
    int pages = 0;
    if (ActualSizeOption->Value()) {
        const std::optional<ExportSource> source = owner_.ExportSourceNow(true);
        if (!source) return;
        const Product product = ChosenProduct(source->parameters);
        std::optional<PrintTarget> target = printers.Target(jobName);
        if (!target) return;
        target->profile = Colours->Profile();
        printer = target->printer;
        pages = static_cast<int>(PagesOf(product).pages.size());
        work = [&printers, target = *target, jobName, media, product, source = *source](const auto& progress) {
            UniformSource random;
            PictureExport job = DrawingOf(product, source.tableColumn.data(), &random, source.randomExponent);
            job.progress = progress;
            ExportRows drawn(job);
            const PictureRows rows = drawn.Rows();
            const auto part = [&](int y, int x, int count) {
                const Pixel* pixels = RowPart(rows, y, x, count);
                if (drawn.Cancelled()) throw PrintCancelled{};
                return pixels;
            };
            const PictureRows cancellable{rows.width, rows.height, [part, &rows](int y) { return part(y, 0, rows.width); },
                                          part};
            return printers.PrintPages(target, jobName, cancellable, *job.file.pages, media);
        };
    } else {
        const PageLayout layout = Layout();
        std::optional<PrintTarget> target = printers.Target(jobName);
        if (!target) return;
        target->profile = Colours->Profile();
        printer = target->printer;
        pages = static_cast<int>(layout.pages.size());
        // The canvas as it is now; the window may draw on while the job is written.
        const QImage picture = owner_.Pic1->Image().convertToFormat(QImage::Format_RGB32);
        work = [&printers, target = *target, jobName, media, layout, picture](const auto& progress) {
            const PictureRows rows{picture.width(), picture.height(), [&](int y) {
                                       if (progress(static_cast<double>(y) / picture.height())) throw PrintCancelled{};
                                       return reinterpret_cast<const Pixel*>(picture.constScanLine(y));
                                   }};
            return printers.PrintPages(target, jobName, rows, layout, media);
        };
    }
    PrintProgress->setValue(0);
    Borderless->hide();
    PrintProgress->show();
    StopButton->show();
    Command1->setEnabled(false);
    printing_->Start(std::move(work), [this, printer, pages](const PrintOutcome& outcome) {
        PrintEnded(outcome, printer, pages);
    });
}

void FormPrint::PrintEnded(const PrintOutcome& outcome, const QString& printer, int pages) {
    PrintProgress->hide();
    StopButton->hide();
    Borderless->show();
    Command1->setEnabled(Problem().isEmpty());
    if (outcome.kind == PrintOutcome::Kind::Failed)
        Toolkit().MessageBox(this, outcome.failure, QString(), MessageButtons::Ok, MessageAnswer::Ok);
    if (outcome.kind != PrintOutcome::Kind::Printed) return;
    // A job taken closes the dialog, and the window says where it went.
    close();
    owner_.PrintTaken(outcome, printer, pages);
}

void FormPrint::Command2_Click() { close(); }

void FormPrint::Form_Unload() { CurrentPrinters().SelectPrinter(savedPrinterName); }

void FormPrint::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// The paper chosen stays when the new printer has one of that name; otherwise the printer's default is chosen.
void FormPrint::FillPapers() {
    const QString wanted = paperWanted_.isEmpty() ? PaperList->currentText() : paperWanted_;
    papers_ = CurrentPrinters().Papers();
    // The product's own page: a sheet of the picture's size, as velmora-render makes it without --paper.
    papers_.append({tr("Picture's own size"), QString(), Paper{}});
    const QSignalBlocker quiet(PaperList);
    PaperList->clear();
    for (const PaperChoice& paper : papers_) PaperList->addItem(paper.name);
    const int kept = wanted.isEmpty() ? -1 : PaperList->findText(wanted, Qt::MatchExactly | Qt::MatchCaseSensitive);
    PaperList->setCurrentIndex(papers_.isEmpty() ? -1 : std::max(kept, 0));
}

void FormPrint::ApplyPreset(int index) {
    const int named = static_cast<int>(std::size(kSizePresets));
    if (index < 1 || index > named + 1) return;
    double width = 0, height = 0;
    double bleed = 0;
    if (index <= named) {
        width = kSizePresets[index - 1].widthMm;
        height = kSizePresets[index - 1].heightMm;
        bleed = kSizePresets[index - 1].bleedMm;
    } else {
        // Down to a tenth of a millimetre, so the size stays inside the printable area.
        PrintChoices choices = Choices();
        choices.scale = PrintScale::PageWidth;
        const PageRect printable = LayOutPages({1, 1, 1, 1}, choices).printable;
        width = std::floor(MmFromTwips(printable.width) * 10) / 10;
        height = std::floor(MmFromTwips(printable.height) * 10) / 10;
    }
    SizePresets->setCurrentIndex(0);
    if (width <= 0 || height <= 0) return;  // the picture's own size has no printable area
    {
        const QSignalBlocker quietWidth(WidthMm), quietHeight(HeightMm), quietBleed(BleedMm);
        WidthMm->setValue(width);
        HeightMm->setValue(height);
        BleedMm->setValue(bleed);
    }
    if (ActualSizeOption->Value()) PaintPreview();
    else ActualSizeOption->SetValue(true);
}

PrintChoices FormPrint::Choices() const {
    PrintChoices choices;
    const int paper = PaperList->currentIndex();
    if (paper >= 0 && paper < papers_.size()) choices.paper = papers_[paper].paper;
    choices.orientation = Option1[0]->Value() ? PaperOrientation::Portrait : PaperOrientation::Landscape;
    choices.scale = ActualSizeOption->Value() ? PrintScale::Actual : PrintScale::PageWidth;
    choices.size = {TwipsFromMm(WidthMm->value()), TwipsFromMm(HeightMm->value())};
    choices.cover = FillOption->Value() ? PrintCover::Fill : PrintCover::WholePicture;
    choices.overlap = TwipsFromMm(OverlapMm->value());
    choices.borderless = Borderless->isChecked();
    return choices;
}

PageLayout FormPrint::Layout() const {
    if (ActualSizeOption->Value()) {
        if (!Problem().isEmpty()) return {};
        PictureParameters parameters;
        parameters.highResolution = owner_.Check1->Value();
        return PagesOf(ChosenProduct(parameters));
    }
    const QImage& canvas = owner_.Pic1->Image();
    return LayOutPages({canvas.width(), canvas.height(), fl(owner_.Pic1->ScaleWidth()), fl(owner_.Pic1->ScaleHeight())},
                       Choices());
}

QString FormPrint::Media() const {
    const int paper = PaperList->currentIndex();
    return paper >= 0 && paper < papers_.size() ? papers_[paper].media : QString();
}

QString FormPrint::SummaryText(const PageLayout& layout) {
    if (layout.pages.empty()) return {};
    // A product's own page gives its finished size, then its bleed.
    const PrintedPage& first = layout.pages.front();
    const PageSize size = first.trim ? PageSize{first.trim->width, first.trim->height} : layout.printedSize;
    QString text = tr("%1 \u00D7 %2 mm, %3 dpi, ")
                       .arg(MmFromTwips(size.width), 0, 'f', 1)
                       .arg(MmFromTwips(size.height), 0, 'f', 1)
                       .arg(layout.dotsPerInch, 0, 'f', 0);
    if (layout.Poster())
        text += tr("%1 pages (%2 \u00D7 %3)").arg(layout.pages.size()).arg(layout.rows).arg(layout.columns);
    else
        text += tr("1 page");
    if (layout.needsBorderless) text += tr(", needs borderless printing");
    if (layout.fitsBorderless) text += tr(", 1 page with borderless printing");
    if (first.trim && first.bleed && first.bleed->width > first.trim->width)
        text += tr(", %1 mm bleed").arg(MmFromTwips((first.bleed->width - first.trim->width) / 2), 0, 'f', 1);
    if (first.trim && !first.marks.empty()) text += tr(", crop marks");
    if (layout.dotsPerInch < kVisibleDotsBelowDpi)
        text += tr(": below %1 dpi the dots will show").arg(kVisibleDotsBelowDpi);
    return text;
}

void FormPrint::PaintPreview() {
    if (restoring_) return;
    SaveChoices();
    const bool actual = ActualSizeOption->Value();
    for (QWidget* control : std::initializer_list<QWidget*>{WidthMm, HeightMm, SizePresets, WholePictureOption,
                                                             FillOption, OverlapMm, DpiBox, Borderless})
        control->setEnabled(actual);
    // The product's own page is the picture's size: no sheet to turn, fill, tile or print borderless.
    const bool own = OwnPage();
    for (QWidget* control : std::initializer_list<QWidget*>{Option1[0], Option1[1], WholePictureOption, FillOption,
                                                             OverlapMm, Borderless})
        control->setEnabled(!own && (actual || control == Option1[0] || control == Option1[1]));
    BleedMm->setEnabled(own);
    CropMarks->setEnabled(own);

    if (actual) {
        // The window's product, for its frame and its data file: this size at this resolution, with the bleed
        // of the product's own page.
        ProductChoice product = owner_.Product().value_or(ProductChoice{});
        product.widthMm = WidthMm->value();
        product.heightMm = HeightMm->value();
        product.dpi = DpiBox->value();
        product.bleedMm = own ? BleedMm->value() : 0;
        owner_.SetProduct(product);
    }
    Colours->UpdateFigure();
    Picture1->Clear();
    const QString problem = Problem();
    Command1->setEnabled(problem.isEmpty() && !printing_->Running());
    if (!problem.isEmpty()) {
        Summary->setText(problem);
        Tracking->Clear();
        return;
    }
    const PageLayout layout = Layout();
    Summary->setText(SummaryText(layout));
    const QImage& canvas = owner_.Pic1->Image();
    if (actual) {
        if (const std::optional<ExportSource> source = owner_.ExportSourceNow(false))
            CheckActualSize(ChosenProduct(source->parameters));
        else
            Tracking->Clear();
    } else if (layout.dotsPerInch > 0) {
        // The whole canvas at the resolution it prints at.
        const double mmPerPixel = kMmPerInch / layout.dotsPerInch;
        const PrintedSize size{canvas.width() * mmPerPixel, canvas.height() * mmPerPixel};
        Tracking->Check(canvas, size, PrintedDotMm(size, canvas.width(), owner_.PictureDotWidth()));
        owner_.SetChosenPrintSize(size);
    }
    if (layout.pages.empty() || layout.sheet.width <= 0 || layout.sheet.height <= 0) return;

    // The sheet with its long side 196 pixels, 8 pixels from the backdrop's edge, centred across.
    const bool tall = layout.sheet.height >= layout.sheet.width;
    const double longSide = tall ? layout.sheet.height : layout.sheet.width;
    const double shortSide = tall ? layout.sheet.width : layout.sheet.height;
    const int across = std::max(1, static_cast<int>(kPreviewLongSide * shortSide / longSide));
    const int offset = (kBackdropSide - across) / 2;
    if (tall) PicturePre->SetGeometry(offset, kPageTop, across, kPreviewLongSide);
    else PicturePre->SetGeometry(kPageTop, offset, kPreviewLongSide, across);
    PicturePre->Clear();
    const double k = kPreviewLongSide / longSide;  // preview pixels per 1/1440 inch
    const auto px = [k](double twips) { return static_cast<int>(std::lround(twips * k)); };

    const PrintedPage& page = layout.pages.front();
    const Raster sheet = PicturePre->RasterView();
    for (const PageLine& mark : page.marks) PaintBox(sheet, px(mark.x1), px(mark.y1), px(mark.x2), px(mark.y2), kMarkColour, true);
    PicturePre->Refresh();

    // At actual size the picture that prints is drawn anew, so the preview draws it too, at its own scale.
    const QImage picture = actual ? ActualSizePreview(layout, k) : canvas;
    const CanvasSize printed =
        actual ? FilePixels(PixelsForMillimetres(WidthMm->value(), HeightMm->value(), DpiBox->value()),
                            ChosenProduct({}).file)
               : CanvasSize{canvas.width(), canvas.height()};
    const double sx = static_cast<double>(picture.width()) / std::max(1, printed.width);
    const double sy = static_cast<double>(picture.height()) / std::max(1, printed.height);
    const PageRect& clip = page.clip;
    Picturepre1->SetGeometry(px(clip.left), px(clip.top), std::max(1, px(clip.width)), std::max(1, px(clip.height)));
    Picturepre1->Clear();
    if (!picture.isNull())
        Picturepre1->DrawStretched(picture, (page.placed.left - clip.left) * k, (page.placed.top - clip.top) * k,
                                   page.placed.width * k, page.placed.height * k,
                                   QRect(static_cast<int>(page.part.x * sx), static_cast<int>(page.part.y * sy),
                                         std::max(1, static_cast<int>(std::lround(page.part.width * sx))),
                                         std::max(1, static_cast<int>(std::lround(page.part.height * sy)))));
    // A product's safe margin: what lies outside it may be lost to the cut or a stitched edge.
    const SizePreset* product = actual ? ProductOfSize(WidthMm->value(), HeightMm->value()) : nullptr;
    if (page.trim && page.trim != page.bleed)
        PaintBox(Picturepre1->RasterView(), px(page.trim->left - clip.left), px(page.trim->top - clip.top),
                 px(page.trim->Right() - clip.left) - 1, px(page.trim->Bottom() - clip.top) - 1, kGridColour, false);
    if (product && !layout.Poster()) {
        // Inside the picture as it prints: its trim, or the placed picture where it is cut to the size chosen.
        const double inset = TwipsFromMm(product->safeMm);
        const PageRect cut = page.trim.value_or(clip);
        const double left = std::max(page.placed.left, cut.left), top = std::max(page.placed.top, cut.top);
        const double right = std::min(page.placed.Right(), cut.Right());
        const double bottom = std::min(page.placed.Bottom(), cut.Bottom());
        PaintBox(Picturepre1->RasterView(), px(left + inset - clip.left), px(top + inset - clip.top),
                 px(right - inset - clip.left) - 1, px(bottom - inset - clip.top) - 1, kSafeColour, false);
    }
    Picturepre1->Refresh();
    if (layout.Poster()) DrawPageGrid(layout);
}

QImage FormPrint::ActualSizePreview(const PageLayout& layout, double scale) const {
    const std::optional<ExportSource> source = owner_.ExportSourceNow(false);
    if (!source) return {};
    Product product = ChosenProduct(source->parameters);
    // The whole picture at the preview's scale: its framing is the printed picture's.
    const double shrink = layout.printedSize.width * scale / std::max(1, product.pixels.width);
    product.pixels = {std::max(kPictureSideMin, static_cast<int>(std::lround(product.pixels.width * shrink))),
                      std::max(kPictureSideMin, static_cast<int>(std::lround(product.pixels.height * shrink)))};
    product.paper.reset();
    product.file.dpi *= shrink;  // the bleed too is drawn at the preview's scale
    UniformSource random;
    ExportRows drawn(DrawingOf(product, source->tableColumn.data(), &random, source->randomExponent));
    const PictureRows rows = drawn.Rows();
    QImage picture(rows.width, rows.height, QImage::Format_RGB32);
    for (int y = 0; y < rows.height; ++y)
        std::copy_n(rows.row(y), rows.width, reinterpret_cast<Pixel*>(picture.scanLine(y)));
    return picture;
}

void FormPrint::CheckActualSize(const Product& product) {
    const std::optional<ExportSource> source = owner_.ExportSourceNow(false);
    if (!source) return Tracking->Clear();
    if (source != checkedSource_) {
        checkedSource_ = source;
        ++sourceVersion_;
    }
    const PrintedSize size = PrintedSizeOf(product);
    const QString key = QStringLiteral("%1 %2 %3 %4 %5 %6")
                            .arg(sourceVersion_)
                            .arg(product.pixels.width)
                            .arg(product.pixels.height)
                            .arg(product.parameters.highResolution)
                            .arg(size.widthMm, 0, 'g', 17)
                            .arg(size.heightMm, 0, 'g', 17);
    auto picture = std::make_shared<const ExportSource>(*source);
    // Drawn row by row as the check reads it, as the print draws it.
    auto check = [picture, product, size](const std::atomic<bool>* stop) {
        UniformSource random;
        PictureExport job = DrawingOf(product, picture->tableColumn.data(), &random, picture->randomExponent);
        job.file.pages.reset();
        job.progress = [stop](double) { return stop->load(); };
        ExportRows rows(job);
        return CheckTracking(rows.Rows(), size, {}, 0, stop);
    };
    Tracking->Check(key, check, product.pixels.width, product.pixels.height, PrintedDotOf(product),
                    SuggestionsFor(picture, product.pixels, product.parameters.highResolution != 0,
                                   {WidthMm->value(), HeightMm->value()}, DpiBox->value()));
    // The canvas's weak areas at the printed picture's scale.
    const QImage& canvas = owner_.Pic1->Image();
    if (canvas.width() > 0) owner_.SetChosenPrintSize({size.widthMm, size.widthMm * canvas.height() / canvas.width()});
}

// The poster's pages as a grid beside the page, the first one (the page shown) white.
void FormPrint::DrawPageGrid(const PageLayout& layout) {
    const QRect page = PicturePre->geometry();
    const Raster backdrop = Picture1->RasterView();
    const bool tall = page.height() >= page.width();
    const int left = tall ? page.right() + 4 : page.left();
    const int top = tall ? page.top() : page.bottom() + 4;
    const int width = (tall ? backdrop.width : page.right() + 1) - left - 2;
    const int height = (tall ? page.bottom() + 1 : backdrop.height) - top - 2;
    const int cell = std::min(width / layout.columns, height / layout.rows);
    if (cell < 3) return;
    for (int r = 0; r < layout.rows; ++r)
        for (int c = 0; c < layout.columns; ++c) {
            const int x = left + c * cell, y = top + r * cell;
            PaintBox(backdrop, x, y, x + cell - 2, y + cell - 2, r == 0 && c == 0 ? kFirstPageColour : kGridColour,
                     r == 0 && c == 0);
        }
    Picture1->Refresh();
}

}  // namespace velmora
