#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <QMenu>

#include "app/colour/ColourChoice.h"
#include "app/export/ExportDialog.h"
#include "app/tracking/TrackingLabel.h"
#include "app/MainForm.h"
#include "app/print/FormPrint.h"
#include "app/print/QtPrinters.h"
#include "app/toolkit/FileDrop.h"
#include "canvas/CanvasGeometry.h"
#include "render/CalcBas.h"
#include "render/PictureParameters.h"
#include "render/Random.h"
#include "render/RenderWalk.h"
#include "render/Thumbnail.h"
#include "tests/ScopedLocale.h"
#include "tests/print/PdfFile.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

constexpr int kSixteen = 4;  // Combo2 index of 16 colours

// What the core's walk draws for pattern `pattern` on a blank canvas (or over `under`).
struct Reference {
    int pattern = 0;
    bool highResolution = false;
    bool pictureEffect = false;
    DrawMode mode = DrawMode::Copy;
    const ::velmora::ColorTable* table = nullptr;
    UniformSource random;

    QImage Draw(const QImage& under) {
        PictureParameters settings = StartupParameters();
        ApplyPattern(settings, pattern);
        settings.pictureEffect = pictureEffect;
        const CanvasGrid grid = GridFor({under.width(), under.height()}, highResolution);
        const RenderParams params = ReadRenderParams(settings, grid.width, grid.height);
        QImage image = under.copy();
        const PointPainter painter{RasterOf(image),
                                   grid.dot,
                                   mode,
                                   table->column[kSixteen].data(),
                                   16,
                                   &random,
                                   &settings.randomExponent};
        RenderPicture(params, *MakeInlineEngine(), painter);
        return image;
    }
};

// The pass that sets pixel (x, y) of a canvas with `dot`-pixel points.
int PassOfPixel(int x, int y, int dot) {
    const int ox = (x / dot) % 4, oy = (y / dot) % 4;
    for (int p = 0; p < 16; ++p)
        if (CalcBas::kPassX[p] == ox && CalcBas::kPassY[p] == oy) return p;
    return -1;
}

// `early` where the pixel's pass is below `pass`, `late` elsewhere.
QImage SplitAtPass(const QImage& early, const QImage& late, int pass, int dot) {
    QImage result = early.copy();
    for (int y = 0; y < result.height(); ++y)
        for (int x = 0; x < result.width(); ++x)
            if (PassOfPixel(x, y, dot) >= pass) result.setPixel(x, y, late.pixel(x, y));
    return result;
}

// Threads carrying the process's own name: the render engine's workers (the
// toolkit names the threads it starts).
int UnnamedThreads() {
    const auto nameOf = [](const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray own = nameOf(QStringLiteral("/proc/self/comm"));
    int count = 0;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (nameOf(QStringLiteral("/proc/self/task/%1/comm").arg(task)) == own) ++count;
    return count;
}

class RenderTest : public ::testing::Test {
protected:
    testing::ScriptedServices services;
    ScopedServices scoped{services};
    MainForm form;
    std::vector<QString> countdown;  // Label2 as each yield found it, repeats folded

    RenderTest() {
        services.onDoEvents = [this] {
            if (countdown.empty() || countdown.back() != form.Label2->text()) countdown.push_back(form.Label2->text());
        };
    }

    QImage Blank() const {
        QImage blank(form.Pic1->Image().size(), QImage::Format_RGB32);
        blank.fill(form.Pic1->Background());
        return blank;
    }
    Reference ReferenceFor(int pattern) const {
        Reference reference;
        reference.pattern = pattern;
        reference.highResolution = form.Check1->Value() == 1;
        reference.table = &form.ColorTable;
        return reference;
    }
    // Exports through `dialog` as `fileName` in `dir`, saves the window's data file there, and has velmora-render
    // write "d" with the same extension from the data file alone; gives both files' bytes.
    std::pair<QByteArray, QByteArray> ExportAndRenderFromData(ExportDialog& dialog, const QTemporaryDir& dir,
                                                              const QString& fileName) {
        const QString exported = dir.filePath(fileName);
        const QString rendered = dir.filePath(QStringLiteral("d.") + QFileInfo(fileName).suffix());
        services.saveFileNames = {exported};
        dialog.ExportButton->click();
        dialog.WaitForExport();
        services.programFolder = dir.path();
        form.CommandPrint->click();
        const std::string run = "'" VELMORA_RENDER "' --quiet --data '" +
                                dir.filePath(QStringLiteral("Fractal_dat.txt")).toStdString() + "' -o '" +
                                rendered.toStdString() + "'";
        EXPECT_EQ(std::system(run.c_str()), 0);
        return {ReadFile(exported), ReadFile(rendered)};
    }
    // Runs `action` once, at the first yield that finds Label2 showing `label`.
    void AtLabel(const QString& label, std::function<void()> action) {
        auto done = std::make_shared<bool>(false);
        services.onDoEvents = [this, label, action, done] {
            if (!*done && form.Label2->text() == label) {
                *done = true;
                action();
            }
        };
    }
};

// The window's export writes the file velmora-render writes for the same
// settings (the start-up picture at 300 x 100 pixels, its region extended
// about its centre); the window draws while an export runs, and a cancelled
// export writes nothing.
TEST_F(RenderTest, ExportAtSizeWritesTheCommandLinesFileAndCancelLeavesNothing) {
    QTemporaryDir dir;
    const QString window = dir.filePath(QStringLiteral("w.png")), command = dir.filePath(QStringLiteral("c.png"));
    form.CanvasMenu()->actions()[2]->trigger();
    ExportDialog* dialog = form.ExportWindow();
    ASSERT_NE(dialog, nullptr);
    dialog->PixelUnits->setChecked(true);
    dialog->WidthBox->setValue(300);
    dialog->HeightBox->setValue(100);
    dialog->DpiBox->setValue(150);
    services.saveFileNames = {window};
    dialog->ExportButton->click();
    dialog->WaitForExport();
    EXPECT_EQ(dialog->Status->text(), QStringLiteral("Written: w.png"));
    // The estimate of the file's size comes from a worker thread into the summary.
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->Summary->text().contains(QStringLiteral("file about 0.1 MB")); },
                                60000))
        << dialog->Summary->text().toStdString();
    // With the desk mat's bleed, kept for a size of the user's own.
    EXPECT_EQ(dialog->BleedBox->value(), 3);
    // The canvas shows where the product lies on it: across its width, 430 * 100 / (300 * 215 / 304) rows high.
    ASSERT_TRUE(form.Pic1->ShownProductFrame());
    const QRectF trim = form.Pic1->ShownProductFrame()->trim;
    EXPECT_EQ(trim.width(), 608);
    EXPECT_NEAR(trim.height(), 430.0 * 100 * 304 / (300 * 215), 1e-9);
    EXPECT_NEAR(trim.top(), (430 - trim.height()) / 2, 1e-9);
    const std::string run =
        "'" VELMORA_RENDER "' --quiet --pixels 300x100 --dpi 150 --bleed 3 -o '" + command.toStdString() + "'";
    ASSERT_EQ(std::system(run.c_str()), 0);
    QFile a(window), b(command);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    // In a comma-decimal locale the PDF is velmora-render's file too, with its page box in points, and PDF
    // readers accept it. Both files are named "mat.pdf", the title inside them.
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("window")) && QDir(dir.path()).mkpath(QStringLiteral("command")));
    const QString windowPdf = dir.filePath(QStringLiteral("window/mat.pdf"));
    const QString commandPdf = dir.filePath(QStringLiteral("command/mat.pdf"));
    {
        const ScopedLocale comma(kCommaLocale);
        EXPECT_TRUE(comma.Is(','));
        dialog->Format->setCurrentIndex(dialog->Format->findText(QStringLiteral("PDF")));
        dialog->BleedBox->setValue(0);  // a page of the picture's own size, as without --bleed
        services.saveFileNames = {windowPdf};
        dialog->ExportButton->click();
        dialog->WaitForExport();
    }
    EXPECT_EQ(dialog->Status->text(), QStringLiteral("Written: mat.pdf"));
    const std::string runPdf =
        "'" VELMORA_RENDER "' --quiet --pixels 300x100 --dpi 150 -o '" + commandPdf.toStdString() + "'";
    ASSERT_EQ(std::system(runPdf.c_str()), 0);
    EXPECT_EQ(ReadFile(windowPdf), ReadFile(commandPdf));
    EXPECT_EQ(ReadersReport(windowPdf), QStringLiteral("Pages: 1; Page size: 144 x 48 pts"));
    dialog->Format->setCurrentIndex(0);

    // With a picture dropped on the strip and "Palett A", the data file alone gives velmora-render the window's
    // export: palette, strip colours and the product (300 x 100 pixels at 150 dpi).
    QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
    for (int x = 0; x < kStripWidth; ++x)
        for (int y = 0; y < kStripHeight; ++y) strip.setPixel(x, y, qRgb(x, 255 - x, y * 30));
    const QString stripFile = dir.filePath(QStringLiteral("strip.png"));
    ASSERT_TRUE(strip.save(stripFile));
    ASSERT_TRUE(DeliverDrop(form.gra, {stripFile}));
    form.palettOption[0]->click();
    const auto [exported, rendered] = ExportAndRenderFromData(*dialog, dir, QStringLiteral("a.png"));
    ASSERT_FALSE(exported.isEmpty());
    EXPECT_EQ(exported, rendered);
    EXPECT_NE(QFile(window).size(), exported.size()) << "the strip palette changed the picture";

    dialog->WidthBox->setValue(30000);
    dialog->HeightBox->setValue(30000);
    dialog->HighResolution->setChecked(true);
    services.saveFileNames = {dir.filePath(QStringLiteral("big.png"))};
    dialog->ExportButton->click();
    ASSERT_TRUE(dialog->Running());
    // A second export is refused before it asks for a name.
    EXPECT_FALSE(dialog->ExportButton->isEnabled());
    const std::size_t asked = services.offeredFileNames.size();
    dialog->ExportButton->click();
    EXPECT_EQ(services.offeredFileNames.size(), asked);
    form.Strt_Click();
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
    dialog->CancelButton->click();
    dialog->WaitForExport();
    EXPECT_EQ(dialog->Status->text(), QStringLiteral("Cancelled: nothing was written."));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"a.png", "c.png", "d.png", "Fractal_dat.txt", "strip.png", "w.png"}));

    // Opened again, the dialog has kept its bleed, crop marks and JPEG quality.
    dialog->BleedBox->setValue(5);
    dialog->CropMarks->setChecked(true);
    dialog->Quality->setValue(80);
    dialog->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(form.ExportWindow(), nullptr);
    form.CanvasMenu()->actions()[2]->trigger();
    dialog = form.ExportWindow();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->BleedBox->value(), 5);
    EXPECT_TRUE(dialog->CropMarks->isChecked());
    EXPECT_EQ(dialog->Quality->value(), 80);
}

// The export dialog tells how a mouse tracks on the picture it would write, printed at the size chosen there,
// as velmora-render --tracking tells of the same picture; the canvas's weak areas are then checked at that scale.
TEST_F(RenderTest, ExportDialogTellsHowAMouseTracksAsTheCommandLineDoes) {
    form.CanvasMenu()->actions()[2]->trigger();
    ExportDialog* dialog = form.ExportWindow();
    ASSERT_NE(dialog, nullptr);
    dialog->WidthBox->setValue(250);
    dialog->HeightBox->setValue(210);
    dialog->DpiBox->setValue(60);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->Tracking->text().startsWith(QStringLiteral("Tracks on")); }, 60000));

    QTemporaryDir dir;
    const std::string lines = dir.filePath(QStringLiteral("line.txt")).toStdString();
    const std::string run = "'" VELMORA_RENDER "' --quiet --tracking --mm 250x210 --dpi 60 >'" + lines + "'";
    ASSERT_EQ(std::system(run.c_str()), 0);
    QFile printed(QString::fromStdString(lines));
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    QStringList said = QString::fromUtf8(printed.readAll()).trimmed().split(QLatin1Char('\n'));
    ASSERT_EQ(said.size(), 3) << said.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(said[0].startsWith(QStringLiteral("tracking: 52.4 % tracks"))) << said[0].toStdString();
    for (QString& advice : said) advice.remove(QStringLiteral("advice: "));
    said[0] = QStringLiteral("Tracks on 52 % of the surface. Warning: a mouse may not track well on this print.");

    // Below 95 % the changes tried follow as links, those velmora-render --suggest prints; one applies its change.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Tracking->Suggestions().empty(); }, 120000));
    EXPECT_TRUE(dialog->Tracking->text().startsWith(said.join(QStringLiteral("<br>")) + QStringLiteral("<br>")));
    ASSERT_EQ(std::system((run + " --suggest").c_str()), 0);
    printed.close();
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    QStringList suggested;
    for (const QString& line : QString::fromUtf8(printed.readAll()).trimmed().split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("suggestion: "))) suggested << line.mid(12);
    QStringList shown;
    for (const Suggestion& s : dialog->Tracking->Suggestions())
        shown << TrackingLabel::ChangeText(s.change) + QStringLiteral(": %1 %").arg(100 * s.tracks, 0, 'f', 1);
    EXPECT_EQ(shown, suggested);
    const PictureChange best = dialog->Tracking->Suggestions().front().change;

    // The print dialog at the same size offers the same changes, and one applies and is checked again.
    QtPrinters pdf{[](const QString&) { return std::optional<QString>(); }};
    ASSERT_TRUE(pdf.SelectPrinter(QtPrinters::PdfFile()));
    ScopedPrinters scoped{pdf};
    form.Command2->click();
    FormPrint& print = *form.PrintDialog();
    print.ActualSizeOption->click();
    print.WidthMm->setValue(250);
    print.HeightMm->setValue(210);
    print.DpiBox->setValue(60);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !print.Tracking->Suggestions().empty(); }, 120000));
    EXPECT_EQ(print.Tracking->Suggestions().size(), dialog->Tracking->Suggestions().size());
    EXPECT_EQ(print.Tracking->Suggestions().front().change, best);
    emit print.Tracking->linkActivated(QStringLiteral("change:0"));
    if (best.kind == ChangeKind::Dpi) {
        EXPECT_EQ(print.DpiBox->value(), best.value);
    }
    if (best.kind == ChangeKind::Resolution) {
        EXPECT_EQ(form.Check1->Value(), best.value);
    }
    EXPECT_TRUE(print.Tracking->Suggestions().empty()) << "checked again";
    print.close();
    form.Check1->SetValue(0);
    form.Check1_Click();

    emit dialog->Tracking->linkActivated(QStringLiteral("change:0"));
    if (best.kind == ChangeKind::Dpi) {
        EXPECT_EQ(dialog->DpiBox->value(), best.value);
    }
    if (best.kind == ChangeKind::Resolution) {
        EXPECT_EQ(dialog->HighResolution->isChecked(), best.value == 1);
    }
    dialog->DpiBox->setValue(60);
    dialog->HighResolution->setChecked(false);

    EXPECT_NEAR(form.WeakAreasPrintSize().widthMm, 250, 1e-9);
    EXPECT_NEAR(form.WeakAreasPrintSize().heightMm, 250.0 * 430 / 608, 1e-9);
}

// A press profile chosen in the export dialog: PNG is refused, the figure is velmora-render's for the canvas's
// picture, the choice comes back at the next opening, and the canvas shows the print colours and blinking
// gamut marks on the screen only.
TEST_F(RenderTest, PrintColoursInTheExportDialogAndOnTheCanvas) {
    const QString cmyk = QStringLiteral("/usr/share/color/icc/ghostscript/default_cmyk.icc");
    if (!QFile::exists(cmyk)) GTEST_SKIP() << "no CMYK profile (Debian: libgs-common)";
    form.Strt_Click();
    form.CanvasMenu()->actions()[2]->trigger();
    ExportDialog* dialog = form.ExportWindow();
    ASSERT_NE(dialog, nullptr);
    dialog->Format->setCurrentIndex(dialog->Format->findText(QStringLiteral("PNG")));
    services.openFileNames = {cmyk};
    dialog->Colours->ProfileButton->click();
    ASSERT_TRUE(dialog->Colours->Profile());
    EXPECT_EQ(dialog->Summary->text(), QStringLiteral("PNG and BMP files cannot hold CMYK; choose TIFF, JPEG or PDF"));
    EXPECT_FALSE(dialog->ExportButton->isEnabled());
    dialog->Format->setCurrentIndex(dialog->Format->findText(QStringLiteral("TIFF")));
    EXPECT_TRUE(dialog->ExportButton->isEnabled());

    QTemporaryDir dir;
    const std::string line = dir.filePath(QStringLiteral("gamut.txt")).toStdString();
    ASSERT_EQ(std::system(("'" VELMORA_RENDER "' --profile '" + cmyk.toStdString() + "' --gamut >'" + line + "'").c_str()), 0);
    QFile said(QString::fromStdString(line));
    ASSERT_TRUE(said.open(QIODevice::ReadOnly));
    const QString figure = QString::fromUtf8(said.readAll()).trimmed();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog->Colours->Figure->text() == figure; }, 30000))
        << dialog->Colours->Figure->text().toStdString() << " / " << figure.toStdString();
    // The data file keeps the profile with the product: velmora-render --data alone writes the window's CMYK file.
    const auto [written, rendered] = ExportAndRenderFromData(*dialog, dir, QStringLiteral("w.tif"));
    ASSERT_GT(written.size(), 1000);
    EXPECT_EQ(written, rendered);
    dialog->close();
    QApplication::processEvents();
    form.CanvasMenu()->actions()[2]->trigger();
    ASSERT_TRUE(form.ExportWindow()->Colours->Profile());
    EXPECT_EQ(form.ExportWindow()->Colours->Profile()->Path(), cmyk.toStdString());

    // The canvas's own pixels stay; the screen shows the proof, and the marks swap black and white as they blink.
    const QImage canvas = form.Pic1->Image().copy();
    QAction* printColours = nullptr;
    QAction* outOfGamut = nullptr;
    for (QAction* action : form.CanvasMenu()->actions()) {
        if (action->text() == QStringLiteral("Show print colours")) printColours = action;
        if (action->text() == QStringLiteral("Show colours out of gamut")) outOfGamut = action;
    }
    ASSERT_TRUE(printColours && outOfGamut);
    outOfGamut->trigger();
    ASSERT_TRUE(form.ShowingOutOfGamut());
    const QImage marked = form.Pic1->grab().toImage();
    QTest::qWait(600);
    const QImage blinked = form.Pic1->grab().toImage();
    EXPECT_NE(marked, blinked);
    outOfGamut->trigger();
    printColours->trigger();
    ASSERT_TRUE(form.ShowingPrintColours());
    EXPECT_TRUE(form.Pic1->ScreenColoursSet());
    EXPECT_EQ(form.Pic1->Image(), canvas);
    printColours->trigger();
    EXPECT_FALSE(form.Pic1->ScreenColoursSet());
}

// The compressed stream of a PDF file's one image, with its dictionary.
QByteArray ImageStream(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray pdf = file.readAll();
    const qsizetype image = pdf.indexOf("/Subtype /Image");
    const qsizetype end = pdf.indexOf("\nendstream", image);
    return image < 0 || end < 0 ? QByteArray() : pdf.mid(image, end - image);
}

// The text of a box in a PDF file's page, such as "/TrimBox [8.5 8.5 ...]".
QByteArray PageBox(const QString& path, const char* name) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray pdf = file.readAll();
    const qsizetype start = pdf.indexOf(QByteArray("/") + name + " [");
    return start < 0 ? QByteArray() : pdf.mid(start, pdf.indexOf(']', start) + 1 - start);
}

// A 250 x 210 mm pad at 300 dpi is one picture whichever route makes it: the print dialog's "PDF file" at actual
// size, the export dialog's PDF and velmora-render hold the same image data, byte for byte; with 3 mm bleed on the
// print dialog's "Picture's own size", the same image, trim box and bleed box as velmora-render --bleed 3.
TEST_F(RenderTest, PrintExportAndCommandLineMakeTheSamePad) {
    QTemporaryDir dir;
    const QString printed = dir.filePath(QStringLiteral("printed.pdf")), exported = dir.filePath(QStringLiteral("exported.pdf")),
                  command = dir.filePath(QStringLiteral("command.pdf"));
    form.CanvasMenu()->actions()[2]->trigger();
    ExportDialog* dialog = form.ExportWindow();
    ASSERT_NE(dialog, nullptr);
    dialog->WidthBox->setValue(250);
    dialog->HeightBox->setValue(210);
    dialog->DpiBox->setValue(300);
    dialog->BleedBox->setValue(0);  // the print dialog's page has no bleed
    for (std::size_t i = 0; i < std::size(kPictureFormats); ++i)
        if (kPictureFormats[i].format == PictureFormat::Pdf) dialog->Format->setCurrentIndex(static_cast<int>(i));
    services.saveFileNames = {exported};
    dialog->ExportButton->click();
    dialog->WaitForExport();
    ASSERT_EQ(dialog->Status->text(), QStringLiteral("Written: exported.pdf"));

    QString target = printed;
    QtPrinters pdf{[&target](const QString&) { return std::optional<QString>(target); }};
    ASSERT_TRUE(pdf.SelectPrinter(QtPrinters::PdfFile()));
    ScopedPrinters scoped{pdf};
    form.Command2->click();
    FormPrint& print = *form.PrintDialog();
    print.PaperList->setCurrentIndex(print.PaperList->findText(QStringLiteral("A3")));
    print.ActualSizeOption->click();
    print.WidthMm->setValue(250);
    print.HeightMm->setValue(210);
    EXPECT_EQ(print.DpiBox->value(), 300);
    print.Command1->click();
    print.Printing().Wait();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, QStringLiteral("Written: printed.pdf, 1 page"));

    const std::string run = "'" VELMORA_RENDER "' --quiet --mm 250x210 --dpi 300 -o '" + command.toStdString() + "'";
    ASSERT_EQ(std::system(run.c_str()), 0);
    const QByteArray image = ImageStream(exported);
    EXPECT_TRUE(image.contains("/Width 2953 /Height 2480")) << image.left(200).toStdString();
    EXPECT_EQ(ImageStream(printed), image);
    EXPECT_EQ(ImageStream(command), image);

    target = dir.filePath(QStringLiteral("bled.pdf"));
    const QString bledCommand = dir.filePath(QStringLiteral("bled-command.pdf"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form.Command2->click();
    FormPrint& own = *form.PrintDialog();
    own.PaperList->setCurrentIndex(own.PaperList->findText(QStringLiteral("Picture's own size")));
    own.BleedMm->setValue(3);
    own.Command1->click();
    own.Printing().Wait();
    ASSERT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(services.messages[1].text, QStringLiteral("Written: bled.pdf, 1 page"));
    ASSERT_EQ(std::system(("'" VELMORA_RENDER "' --quiet --mm 250x210 --dpi 300 --bleed 3 -o '" +
                           bledCommand.toStdString() + "'").c_str()), 0);
    const QByteArray bled = ImageStream(target);
    EXPECT_TRUE(bled.contains("/Width 3023 /Height 2550")) << bled.left(200).toStdString();
    EXPECT_EQ(bled, ImageStream(bledCommand));
    for (const char* box : {"MediaBox", "BleedBox", "TrimBox"}) {
        EXPECT_FALSE(PageBox(target, box).isEmpty()) << box;
        EXPECT_EQ(PageBox(target, box), PageBox(bledCommand, box));
    }
}

TEST_F(RenderTest, EachFractalPresetMatchesTheCoreWalkInBothResolutions) {
    for (const bool high : {false, true}) {
        form.Check1->SetValue(high ? 1 : 0);
        for (const int pattern : {0, 1, 2, 3}) {
            form.OptionPt[pattern]->SetValue(true);
            form.Strt_Click();
            EXPECT_EQ(form.Pic1->Image(), ReferenceFor(pattern).Draw(Blank())) << "pattern " << pattern << " high " << high;
        }
    }
    EXPECT_EQ(services.beeps, 8);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
}

// Qt sets the C library's locale from the user's at start-up. A comma-decimal one changes neither the picture
// Start draws from the boxes nor the numbers a zoom writes into them and reads back.
TEST_F(RenderTest, CommaDecimalLocaleDrawsAndWritesTheBoxesAsTheCLocaleDoes) {
    const auto drawAndZoom = [this](const char* name, char decimalPoint) {
        const ScopedLocale locale(name);
        EXPECT_TRUE(locale.Is(decimalPoint)) << name << " is missing: tools/setup-debian.sh generates it";
        form.OptionPt[1]->SetValue(true);
        form.OptionPt[0]->SetValue(true);  // the preset's texts in the boxes
        form.Strt_Click();
        const QImage picture = form.Pic1->Image();
        form.CommandZoom[0]->click();
        form.Commandpos[0]->click();
        return std::pair{picture, QStringList{form.XH->text(), form.XL->text(), form.YH->text(), form.YL->text()}};
    };
    const auto c = drawAndZoom("C", '.');
    const auto comma = drawAndZoom(kCommaLocale, ',');
    EXPECT_EQ(comma.first, c.first);
    EXPECT_EQ(c.first, ReferenceFor(0).Draw(Blank()));
    EXPECT_EQ(comma.second, c.second);
    EXPECT_TRUE(c.second[0].contains(u'.')) << c.second[0].toStdString();
}

TEST_F(RenderTest, RandomPatternDrawsFromTheProgramGenerator) {
    form.OptionPt[4]->SetValue(true);
    Reference reference = ReferenceFor(4);
    reference.random = ProgramRandom();
    form.Strt_Click();
    EXPECT_EQ(form.Pic1->Image(), reference.Draw(Blank()));
}

TEST_F(RenderTest, CountdownAndElapsedTimeFollowThePasses) {
    services.ticks = {1000, 1000 + 5320, 1000 + 65000};
    std::vector<QString> times;
    services.onDoEvents = [&] {
        if (times.empty() || times.back() != form.LabelTime->text()) times.push_back(form.LabelTime->text());
        if (countdown.empty() || countdown.back() != form.Label2->text()) countdown.push_back(form.Label2->text());
    };
    form.Strt_Click();
    std::vector<QString> expected = {QStringLiteral("16")};
    for (int left = 15; left >= 0; --left) expected.push_back(QString::number(left));
    EXPECT_EQ(countdown, expected);
    EXPECT_EQ(times, (std::vector<QString>{QStringLiteral("0:00.00"), QStringLiteral("0:05.32"),
                                           QStringLiteral("1:05.00")}));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
    EXPECT_EQ(services.beeps, 1);

    // The thumbnail holds the whole canvas averaged down to the box's outer
    // size, whose last row and column fall under the border.
    const QImage& canvas = form.Pic1->Image();
    QImage thumbnail(130, 92, QImage::Format_RGB32);
    StretchAveraged(reinterpret_cast<const Pixel*>(canvas.constBits()), canvas.width(), canvas.height(),
                    canvas.bytesPerLine() / 4, RasterOf(thumbnail));
    EXPECT_EQ(form.Pic2->Image(), thumbnail.copy(0, 0, 128, 90));
}

TEST_F(RenderTest, StopDuringAPassFinishesTheColumnAndEndsWithOkAndBeep) {
    services.ticks = {0, 1000, 2000, 3000, 4000, 5000, 6000};
    int columnsInPassFive = 0, threadsDuring = 0;
    const int threadsBefore = UnnamedThreads();
    services.onDoEvents = [&] {
        if (form.Label2->text() == QStringLiteral("11") && ++columnsInPassFive == 4) {
            threadsDuring = UnnamedThreads();
            form.Command1->click();
        }
    };
    form.Strt_Click();
    EXPECT_GT(threadsDuring, threadsBefore) << "workers compute ahead during the render";
    EXPECT_EQ(UnnamedThreads(), threadsBefore) << "Stop leaves no worker running";
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
    EXPECT_EQ(form.LabelTime->text(), QStringLiteral("0:05.00")) << "the time of pass 4 stays";
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(form.StopFlag, -1);

    // Label2 shows 11 from the yield after pass 4; the yield at the start of
    // pass 5 and those after its columns 0 and 1 follow. Stop pressed in the
    // last of them ends the pass after column 2.
    const QImage full = ReferenceFor(0).Draw(Blank());
    const QImage& canvas = form.Pic1->Image();
    const int passFiveX = CalcBas::kPassX[5], passFiveY = CalcBas::kPassY[5];
    for (int column = 0; column < 6; ++column) {
        const int x = (4 * column + passFiveX) * 4, y = passFiveY * 4;
        EXPECT_EQ(canvas.pixel(x, y), column < 3 ? full.pixel(x, y) : Blank().pixel(x, y)) << column;
    }
    const QImage early = SplitAtPass(full, Blank(), 5, 4);
    EXPECT_EQ(canvas.copy(0, 0, 4, 4), early.copy(0, 0, 4, 4));
    EXPECT_EQ(canvas.pixel(1 * 4, 2 * 4), Blank().pixel(0, 0)) << "pass 13 never ran";
}

TEST_F(RenderTest, StartDuringARenderRunsANestedRenderThenTheFirstResumes) {
    AtLabel(QStringLiteral("13"), [this] {
        form.OptionPt[2]->SetValue(true);
        form.Strt->click();
    });
    form.Strt_Click();
    EXPECT_EQ(services.beeps, 2);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
    // The nested render drew pattern 2 whole; the first went on with pattern 0 from pass 3.
    const QImage expected = SplitAtPass(ReferenceFor(2).Draw(Blank()), ReferenceFor(0).Draw(Blank()), 3, 4);
    EXPECT_EQ(form.Pic1->Image(), expected);
}

TEST_F(RenderTest, StartBeyondTheNestingBoundRunsTheInnermostRenderAgainWhenItEnds) {
    // Each render presses Start once its pass 0 is drawn; the eighth press finds eight renders running.
    int presses = 0, mostRunning = 0;
    services.onDoEvents = [&] {
        mostRunning = std::max(mostRunning, form.RunningRenders());
        if (presses < 8 && form.Label2->text() == QStringLiteral("15")) {
            if (++presses == 8) form.OptionPt[2]->SetValue(true);
            form.Strt->click();
        }
    };
    form.Strt_Click();
    EXPECT_EQ(mostRunning, 8);
    EXPECT_EQ(form.RunningRenders(), 0);
    EXPECT_EQ(services.beeps, 9) << "eight nested renders and one restart";
    // The restart drew pattern 2 whole after the innermost render ended; the
    // seven outer renders then went on with pattern 0 from pass 1.
    const QImage expected = SplitAtPass(ReferenceFor(2).Draw(Blank()), ReferenceFor(0).Draw(Blank()), 1, 4);
    EXPECT_EQ(form.Pic1->Image(), expected);
}

TEST_F(RenderTest, StartPressedAtEveryYieldNestsBoundedlyAndStopEndsEveryRender) {
    const int threadsBefore = UnnamedThreads();
    int yields = 0, mostRunning = 0, yieldsAfterStop = 0;
    services.onDoEvents = [&] {
        mostRunning = std::max(mostRunning, form.RunningRenders());
        if (++yields <= 2500) {
            form.Strt->click();
        } else if (yields == 2501) {
            form.Command1->click();
        } else {
            ++yieldsAfterStop;
        }
    };
    form.Strt_Click();
    EXPECT_EQ(mostRunning, 8);
    // Each render yields at most once more: the outer ones were all started
    // in their first yield, before their first pass, which begins with a yield.
    EXPECT_LE(yieldsAfterStop, 8);
    EXPECT_GT(services.beeps, 8) << "the innermost render started again after ending";
    EXPECT_EQ(form.RunningRenders(), 0);
    EXPECT_EQ(UnnamedThreads(), threadsBefore);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
}

TEST_F(RenderTest, PaletteChangeDuringARenderColoursOnlyThePointsStillToCome) {
    const ::velmora::ColorTable before = form.ColorTable;
    AtLabel(QStringLiteral("8"), [this] { coltableB(form.ColorTable, DefaultStrip()); });
    form.Strt_Click();
    Reference old = ReferenceFor(0);
    old.table = &before;
    const QImage expected = SplitAtPass(old.Draw(Blank()), ReferenceFor(0).Draw(Blank()), 8, 4);
    EXPECT_EQ(form.Pic1->Image(), expected);
}

TEST_F(RenderTest, PictureEffectRepaintsTheImageAndCombinesOnePassByExclusiveOr) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("photo.png"));
    QImage photo(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) photo.setPixel(x, y, qRgb(6 * x, 8 * y, 100));
    ASSERT_TRUE(photo.save(path));
    form.DumyPic->SetPicture(photo);
    form.DumyPic->Tag = path;
    form.Zeffect->SetValue(1);
    EXPECT_TRUE(services.messages.empty()) << "an image is present";

    form.Strt_Click();
    form.Strt_Click();  // a second Start repaints the image: no layers accumulate
    QImage under = Blank();
    QPainter(&under).drawImage(QRectF(0, 0, under.width(), under.height()), photo.convertToFormat(QImage::Format_RGB32));
    Reference reference = ReferenceFor(0);
    reference.pictureEffect = true;
    reference.mode = DrawMode::Xor;
    EXPECT_EQ(form.Pic1->Image(), reference.Draw(under));
    EXPECT_EQ(form.Pic1->Mode(), DrawMode::Xor);
    EXPECT_EQ(countdown, (std::vector<QString>{QStringLiteral("16"), QStringLiteral("15"), QStringLiteral("16"),
                                               QStringLiteral("15")}));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
}

TEST_F(RenderTest, PictureEffectWithoutAnImageAsksForOneAndDrawsOverTheCanvas) {
    form.Zeffect->SetValue(1);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, QString::fromUtf8("描写エリアに画像ファイルをドロップしてください。"));
    EXPECT_EQ(services.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(form.Zeffect->Value(), 1);

    form.DumyPic->Tag = QStringLiteral("/nonexistent/photo.png");  // a dropped file deleted since
    form.Pic1->Plot(0, 0, Rgb(10, 20, 30));
    const QImage before = form.Pic1->Image();
    form.Strt_Click();
    Reference reference = ReferenceFor(0);
    reference.pictureEffect = true;
    reference.mode = DrawMode::Xor;
    EXPECT_EQ(form.Pic1->Image(), reference.Draw(before));
}

TEST_F(RenderTest, NoColourCountRefusesToStartAndLeavesTheCanvas) {
    form.Combo2->setCurrentIndex(-1);
    form.Pic1->Plot(5, 5, Rgb(1, 2, 3));
    const QImage before = form.Pic1->Image();
    form.Strt_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(form.Pic1->Image(), before);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("16"));
    EXPECT_EQ(services.beeps, 0);
}

TEST_F(RenderTest, ClosingTheWindowDuringANestedRenderEndsEveryRenderAtOnce) {
    int yields = 0, yieldsAfterClose = 0;
    bool nested = false;
    services.onDoEvents = [&] {
        if (!form.isVisible()) ++yieldsAfterClose;
        ++yields;
        if (!nested && form.Label2->text() == QStringLiteral("14")) {
            nested = true;
            form.Strt->click();
        } else if (nested && yields == 200) {
            form.close();
        }
    };
    const int threadsBefore = UnnamedThreads();
    form.show();
    form.Strt_Click();
    EXPECT_TRUE(nested);
    EXPECT_EQ(UnnamedThreads(), threadsBefore) << "both renders' workers are gone";
    EXPECT_EQ(yieldsAfterClose, 0) << "no render yields again after the close";
    EXPECT_EQ(services.beeps, 0);
    EXPECT_NE(form.Label2->text(), QStringLiteral("OK"));
}

TEST_F(RenderTest, ClosingTheWindowDuringARenderEndsTheEventLoop) {
    int yields = 0;
    services.onDoEvents = [&] {
        if (++yields == 50) form.close();
    };
    form.show();
    QTimer::singleShot(0, form.Strt, &QPushButton::click);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(yields, 50);
    EXPECT_EQ(services.beeps, 0);
}

}  // namespace
}  // namespace velmora
