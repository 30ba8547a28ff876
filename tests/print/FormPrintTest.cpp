#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "app/colour/ColourChoice.h"
#include "app/MainForm.h"
#include "app/tracking/TrackingLabel.h"
#include "app/print/FormPrint.h"
#include "app/print/QtPrinters.h"
#include "tests/PrintRectOutput.h"
#include "tests/print/PdfFile.h"
#include "tests/print/RecordingPrinters.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

// Presses "Print" and waits until the job, drawn and written on worker threads, has ended.
void PrintAndWait(FormPrint& dialog) {
    dialog.Command1->click();
    dialog.Printing().Wait();
}

void DeleteClosedWindows() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// The start-up canvas across an A4 sheet in the preview (196 pixels for 297 mm): 1 % margins, the width less
// the left margin, the canvas's proportions; on a landscape page it runs below the page's bottom edge.
const QRect kPortraitPicture(1, 2, 137, 97);
const QRect kLandscapePicture(2, 1, 194, 137);

struct PrintDialogTest : ::testing::Test {
    RecordingPrinters printers{{"Laser A4", "Inkjet Photo", "Plotter"}, "Inkjet Photo"};
    ScopedPrinters scopedPrinters{printers};
    testing::ScriptedServices services;
    ScopedServices scopedServices{services};
    MainForm form;

    FormPrint& OpenDialog() {
        form.Command2->click();
        EXPECT_NE(form.PrintDialog(), nullptr);
        return *form.PrintDialog();
    }
    void FillCanvas(QColor colour) {
        form.Pic1->RasterView().Fill(colour.rgb());
    }
};

TEST_F(PrintDialogTest, OpensWithThePrintersInOrderAndTheCurrentOneShown) {
    FormPrint& dialog = OpenDialog();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());
    EXPECT_EQ(dialog.windowTitle(), "VLG");
    ASSERT_EQ(dialog.Combo1->count(), 3);
    EXPECT_EQ(dialog.Combo1->itemText(0), "Laser A4");
    EXPECT_EQ(dialog.Combo1->itemText(2), "Plotter");
    EXPECT_EQ(dialog.Combo1->currentIndex(), 1);
    EXPECT_EQ(printers.current, "Inkjet Photo");
    EXPECT_EQ(printers.selections, 1) << "filling the list selects the current printer once";
    EXPECT_EQ(dialog.savedPrinterName, "Inkjet Photo");
    EXPECT_EQ(dialog.windowIcon().pixmap(32).toImage(), form.windowIcon().pixmap(32).toImage());
}

TEST_F(PrintDialogTest, ControlsFollowTheDesign) {
    FormPrint& dialog = OpenDialog();
    EXPECT_EQ(dialog.size(), QSize(392, 612))
        << "grown below for the paper, the size on paper, the resolution, the bleed, the tracking and the colour "
           "profile";
    EXPECT_EQ(dialog.Colours->geometry(), QRect(8, 512, 377, 94));
    EXPECT_FALSE(dialog.Combo1->isEditable());
    EXPECT_EQ(dialog.Combo1->geometry(), QRect(8, 8, 153, 20));
    EXPECT_EQ(dialog.Frame1->geometry(), QRect(8, 40, 153, 57));
    EXPECT_TRUE(dialog.Frame1->title().isEmpty());
    EXPECT_EQ(dialog.Option1[0]->text(), "Virtical");
    EXPECT_EQ(dialog.Option1[0]->geometry(), QRect(16, 16, 97, 12));
    EXPECT_EQ(dialog.Option1[1]->text(), "Horizontal");
    EXPECT_EQ(dialog.Option1[1]->geometry(), QRect(16, 32, 105, 20));
    EXPECT_EQ(dialog.Picture1->geometry(), QRect(168, 8, 217, 217));
    EXPECT_EQ(dialog.Picture1->Background(), QColor(Qt::black));
    EXPECT_EQ(dialog.PicturePre->Background(), QColor(Qt::white));
    EXPECT_EQ(dialog.Picturepre1->Background(), QColor(224, 224, 224));
    EXPECT_EQ(dialog.Picturepre1->geometry(), kPortraitPicture) << "where the picture prints";
    EXPECT_EQ(dialog.Command1->text(), "Print");
    EXPECT_EQ(dialog.Command1->geometry(), QRect(8, 200, 65, 25));
    EXPECT_EQ(dialog.Command2->text(), "Cancel");
    EXPECT_EQ(dialog.Command2->geometry(), QRect(88, 200, 65, 25));

    const std::vector<QWidget*> tabOrder = {dialog.Combo1,     dialog.Command1,   dialog.Picture1,
                                            dialog.PicturePre, dialog.Option1[1], dialog.Option1[0],
                                            dialog.Picturepre1, dialog.Command2};
    std::vector<QWidget*> chain;
    for (QWidget* w = dialog.Combo1; chain.size() < tabOrder.size(); w = w->nextInFocusChain())
        if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
    EXPECT_EQ(chain, tabOrder);
}

TEST_F(PrintDialogTest, ChosenPrinterPrintsAndClosingRestoresThePreviousOne) {
    FormPrint& dialog = OpenDialog();
    dialog.Combo1->setCurrentIndex(2);
    EXPECT_EQ(printers.current, "Plotter");
    printers.job = 12;
    PrintAndWait(dialog);
    ASSERT_EQ(printers.pages.size(), 1);
    EXPECT_EQ(printers.pages[0].printer, "Plotter");
    // A job taken closes the dialog, and the window says where it went.
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Sent to Plotter: job 12, 1 page");
    DeleteClosedWindows();
    EXPECT_EQ(form.PrintDialog(), nullptr);
    EXPECT_EQ(printers.current, "Inkjet Photo");
}

TEST_F(PrintDialogTest, ClosingWithoutPrintingRestoresThePrinter) {
    FormPrint& dialog = OpenDialog();
    dialog.Combo1->setCurrentIndex(0);
    EXPECT_EQ(printers.current, "Laser A4");
    dialog.close();  // the window's close control
    DeleteClosedWindows();
    EXPECT_EQ(printers.current, "Inkjet Photo");
    EXPECT_TRUE(printers.pages.isEmpty());
}

TEST_F(PrintDialogTest, ClosingTheMainWindowEndsTheProgramWithoutTheDialogsClosingStep) {
    FormPrint& dialog = OpenDialog();
    dialog.Combo1->setCurrentIndex(0);
    form.show();
    QTimer::singleShot(0, &form, &QWidget::close);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(printers.current, "Laser A4") << "the chosen printer is not restored";
}

TEST_F(PrintDialogTest, NameMatchingNoPrinterLeavesTheCurrentOne) {
    FormPrint& dialog = OpenDialog();
    printers.names.removeAll("Plotter");  // unplugged while the dialog is open
    dialog.Combo1->setCurrentIndex(2);
    EXPECT_EQ(printers.current, "Inkjet Photo");

    dialog.Combo1->setCurrentIndex(0);
    printers.names.removeAll("Inkjet Photo");
    dialog.Command2->click();
    EXPECT_EQ(printers.current, "Laser A4") << "the saved printer is gone: the dialog's choice stays";
}

TEST_F(PrintDialogTest, OrientationMovesThePageAndResizesThePicture) {
    FormPrint& dialog = OpenDialog();
    dialog.Option1[1]->click();
    EXPECT_EQ(dialog.PicturePre->geometry(), QRect(8, 40, 196, 138));
    EXPECT_EQ(dialog.Picturepre1->geometry(), kLandscapePicture);
    dialog.Option1[0]->click();
    EXPECT_EQ(dialog.PicturePre->geometry(), QRect(40, 8, 138, 196));
    EXPECT_EQ(dialog.Picturepre1->geometry(), kPortraitPicture);
}

// Every choice comes back when the dialog is opened again, also in a new run; a change of printer keeps the
// paper when the new printer has it.
TEST_F(PrintDialogTest, ChoicesComeBackOnReopeningAndAfterARestart) {
    FormPrint& first = OpenDialog();
    first.Combo1->setCurrentIndex(2);
    first.PaperList->setCurrentIndex(1);
    first.Combo1->setCurrentIndex(0);
    EXPECT_EQ(first.PaperList->currentText(), "A3") << "the new printer has the paper chosen";
    first.Option1[1]->click();
    first.ActualSizeOption->click();
    first.WidthMm->setValue(900);
    first.HeightMm->setValue(400);
    first.FillOption->click();
    first.OverlapMm->setValue(15);
    first.Borderless->setChecked(true);
    first.BleedMm->setValue(5);
    first.CropMarks->setChecked(true);
    EXPECT_TRUE(first.Choices().borderless);
    first.Command2->click();
    DeleteClosedWindows();
    EXPECT_EQ(printers.current, "Inkjet Photo");

    const auto expectChoices = [](FormPrint& dialog) {
        EXPECT_EQ(dialog.Combo1->currentText(), "Laser A4");
        EXPECT_EQ(dialog.PaperList->currentText(), "A3");
        EXPECT_TRUE(dialog.Option1[1]->Value());
        EXPECT_TRUE(dialog.ActualSizeOption->Value());
        EXPECT_EQ(dialog.WidthMm->value(), 900);
        EXPECT_EQ(dialog.HeightMm->value(), 400);
        EXPECT_TRUE(dialog.FillOption->Value());
        EXPECT_EQ(dialog.OverlapMm->value(), 15);
        EXPECT_TRUE(dialog.Borderless->isChecked());
        EXPECT_EQ(dialog.BleedMm->value(), 5);
        EXPECT_TRUE(dialog.CropMarks->isChecked());
        EXPECT_EQ(dialog.Layout().sheet, (PageSize{23811, 16838})) << "A3 landscape";
    };
    expectChoices(OpenDialog());
    form.PrintDialog()->Command2->click();
    DeleteClosedWindows();
    {
        MainForm restarted;
        restarted.Command2->click();
        ASSERT_NE(restarted.PrintDialog(), nullptr);
        expectChoices(*restarted.PrintDialog());
        restarted.PrintDialog()->Command2->click();
        DeleteClosedWindows();
    }

    printers.papers.removeLast();  // no printer takes A3 any more: each one's default is chosen
    FormPrint& dialog = OpenDialog();
    EXPECT_EQ(dialog.PaperList->currentText(), "A4");
    EXPECT_EQ(dialog.PaperList->count(), 2) << "A4 and the picture's own size";
}

TEST_F(PrintDialogTest, PrintButtonAgainRepaintsThePreviewAndKeepsTheChoices) {
    FillCanvas(Qt::red);
    FormPrint& dialog = OpenDialog();
    EXPECT_EQ(dialog.Picturepre1->PixelAt(0, 0), Rgb(255, 0, 0));
    EXPECT_EQ(dialog.Picturepre1->PixelAt(128, 88), Rgb(255, 0, 0)) << "the canvas fills the whole preview";

    dialog.Combo1->setCurrentIndex(2);
    dialog.Option1[1]->click();
    FillCanvas(Qt::blue);
    EXPECT_EQ(dialog.Picturepre1->PixelAt(0, 0), Rgb(255, 0, 0)) << "a canvas change alone does not repaint";
    const int selections = printers.selections;

    form.Command2->click();
    EXPECT_EQ(form.PrintDialog(), &dialog);
    EXPECT_EQ(printers.selections, selections) << "the dialog is not loaded again";
    EXPECT_EQ(dialog.Combo1->currentText(), "Plotter");
    EXPECT_TRUE(dialog.Option1[1]->Value());
    EXPECT_EQ(dialog.Picturepre1->PixelAt(0, 0), Rgb(0, 0, 255));
    EXPECT_EQ(dialog.Picturepre1->PixelAt(187, 129), Rgb(0, 0, 255));
}

TEST_F(PrintDialogTest, WholeCanvasLandsAtTheComputedRectangle) {
    form.Text1->setText("Pad");
    form.Pic1->SetScale(152, 114);  // a 4 : 3 drawing area
    FillCanvas(Qt::green);
    form.Pic1->RasterView().Row(429)[607] = 0xFF123456u;  // scrolled out of view, still printed
    printers.papers = {{"Test", "Custom.12000x16000", WholeSheet({12000, 16000})}};
    PrintAndWait(OpenDialog());
    ASSERT_EQ(printers.pages.size(), 1);
    const RecordingPrinters::Page& page = printers.pages[0];
    ASSERT_EQ(page.layout.pages.size(), 1u);
    EXPECT_EQ(page.layout.pages[0].placed, (PageRect{120, 160, 11880, 8910})) << "the picture keeps its 4 : 3 proportions";
    EXPECT_EQ(page.layout.pages[0].part, (PicturePart{0, 0, 608, 430}));
    EXPECT_EQ(page.media, "Custom.12000x16000");
    EXPECT_EQ(page.jobName, "Pad");
    EXPECT_EQ(page.picture, form.Pic1->Image());

    PrintAndWait(*form.PrintDialog());
    EXPECT_EQ(printers.pages.size(), 2) << "each press prints one page";
}

TEST_F(PrintDialogTest, ChoicesReachThePrintedLayout) {
    FillCanvas(Qt::red);
    FormPrint& dialog = OpenDialog();
    ASSERT_EQ(dialog.PaperList->count(), 3);
    EXPECT_EQ(dialog.PaperList->currentText(), "A4") << "the printer's default paper first";
    EXPECT_EQ(dialog.PaperList->itemText(2), "Picture's own size");
    dialog.PaperList->setCurrentIndex(1);
    dialog.Option1[1]->click();
    emit dialog.SizePresets->activated(1);  // mouse pad 250 x 210
    EXPECT_TRUE(dialog.ActualSizeOption->Value());
    dialog.FillOption->click();
    // At actual size the picture is drawn anew for 250 x 210 mm at 300 dpi: 2953 x 2480 pixels.
    EXPECT_EQ(dialog.Summary->text(), "250.0 \u00D7 210.0 mm, 300 dpi, 1 page");
    // The preview outlines the product's 5 mm safe margin inside the picture, not at its edge.
    const QImage preview = dialog.Picturepre1->Image();
    const int middle = preview.height() / 2;
    const QRgb safe = qRgb(255, 0, 255);
    EXPECT_NE(preview.pixel(0, middle), safe);
    int outlined = 0;
    for (int x = 1; x <= 6; ++x) outlined += preview.pixel(x, middle) == safe;
    EXPECT_EQ(outlined, 1);
    for (int wait = 0; wait < 6000 && !dialog.Tracking->text().startsWith("Tracks on"); ++wait) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    EXPECT_TRUE(dialog.Tracking->text().startsWith("Tracks on")) << dialog.Tracking->text().toStdString();
    EXPECT_NEAR(form.WeakAreasPrintSize().widthMm, 250, 0.1) << "the canvas at the printed picture's scale";
    EXPECT_NE(dialog.Picturepre1->PixelAt(0, 0), Rgb(255, 0, 0)) << "the preview shows the picture that prints";
    PrintAndWait(dialog);
    ASSERT_EQ(printers.pages.size(), 1);
    const PageLayout& pad = printers.pages[0].layout;
    EXPECT_EQ(printers.pages[0].media, "A3");
    EXPECT_EQ(printers.pages[0].picture.size(), QSize(2953, 2480));
    EXPECT_NE(printers.pages[0].picture.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(pad.sheet, (PageSize{23811, 16838})) << "A3 turned to landscape";
    ASSERT_EQ(pad.pages.size(), 1u);
    // Centred on 420 x 297 mm: 85 mm from the left, 43.5 mm from the top, the whole picture on the page.
    const double mm = 1440 / 25.4;
    EXPECT_NEAR(pad.pages[0].clip.left, 85 * mm, 1);
    EXPECT_NEAR(pad.pages[0].clip.top, 43.5 * mm, 1);
    EXPECT_NEAR(pad.pages[0].clip.width, 250 * mm, 1e-6);
    EXPECT_NEAR(pad.pages[0].clip.height, 210 * mm, 1e-6);
    EXPECT_EQ(pad.pages[0].part, (PicturePart{0, 0, 2953, 2480}));

    // A 900 x 400 mm mat at 100 dpi: tiles of 408 x 285 mm less a 15 mm overlap, 3 across and 2 down.
    dialog.WidthMm->setValue(900);
    dialog.HeightMm->setValue(400);
    dialog.OverlapMm->setValue(15);
    dialog.DpiBox->setValue(100);
    EXPECT_TRUE(dialog.Summary->text().endsWith("6 pages (2 \u00D7 3): below 150 dpi the dots will show"))
        << dialog.Summary->text().toStdString();
    PrintAndWait(dialog);
    ASSERT_EQ(printers.pages.size(), 2);
    const PageLayout& mat = printers.pages[1].layout;
    ASSERT_EQ(mat.pages.size(), 6u);
    EXPECT_NEAR(mat.pages[1].clip.left - mat.pages[0].clip.left, 0, 1e-9) << "every tile starts at the band";
    EXPECT_EQ(mat.pages[5].label->text, "row 2, column 3 of 2 \u00D7 3");

    // On a sheet the bleed cannot apply; on the picture's own page it does, with crop marks, and the sheet's
    // choices do not: the page is 250 x 210 mm and 3 mm past it on every side, 35 pixels at 300 dpi.
    EXPECT_FALSE(dialog.BleedMm->isEnabled());
    dialog.PaperList->setCurrentIndex(2);
    emit dialog.SizePresets->activated(1);
    dialog.DpiBox->setValue(300);
    EXPECT_EQ(dialog.BleedMm->value(), 3) << "a product's preset sets its bleed";
    EXPECT_TRUE(dialog.BleedMm->isEnabled());
    EXPECT_FALSE(dialog.FillOption->isEnabled());
    EXPECT_FALSE(dialog.Borderless->isEnabled());
    dialog.CropMarks->setChecked(true);
    EXPECT_EQ(dialog.Summary->text(), "250.0 \u00D7 210.0 mm, 300 dpi, 1 page, 3.0 mm bleed, crop marks");
    PrintAndWait(dialog);
    ASSERT_EQ(printers.pages.size(), 3);
    EXPECT_EQ(printers.pages[2].media, "");
    EXPECT_EQ(printers.pages[2].picture.size(), QSize(2953 + 70, 2480 + 70));
    const PrintedPage& own = printers.pages[2].layout.pages.at(0);
    ASSERT_TRUE(own.trim && own.bleed);
    EXPECT_NEAR(own.trim->left - own.bleed->left, 3 * mm, 1e-6);
    EXPECT_NEAR(own.trim->width, 250 * mm, 1e-6);
    EXPECT_EQ(own.marks.size(), 8u);
    dialog.PageWidthOption->click();
    EXPECT_FALSE(dialog.Command1->isEnabled());
    EXPECT_EQ(dialog.Summary->text(), "The picture's own size prints at actual size: choose Actual size or a paper.");
    dialog.ActualSizeOption->click();

    // A size the resolution cannot draw: said, and nothing prints.
    dialog.DpiBox->setValue(9000);
    EXPECT_FALSE(dialog.Command1->isEnabled());
    EXPECT_TRUE(dialog.Summary->text().startsWith("At 9000 dpi")) << dialog.Summary->text().toStdString();
}

TEST_F(PrintDialogTest, FailureShowsThePlatformsDescriptionAndKeepsTheDialog) {
    FormPrint& dialog = OpenDialog();
    // A driver's failure, and a job the printing system refused.
    const QStringList failures = {
        "Printer is out of paper",
        "\"office\" did not take the print job: Destination \"office\" is not accepting jobs."};
    for (const QString& failure : failures) {
        printers.failure = failure;
        PrintAndWait(dialog);
        ASSERT_FALSE(services.messages.empty());
        EXPECT_EQ(services.messages.back().text, failure);
        EXPECT_EQ(services.messages.back().buttons, MessageButtons::Ok);
        EXPECT_EQ(form.PrintDialog(), &dialog);
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_TRUE(printers.pages.isEmpty());
}

TEST(PrintDialogPdf, NoPrinterInstalledStillPrintsToAPdfFile) {
    testing::ScriptedServices services;
    ScopedServices scopedServices{services};
    QtPrinters pdfOnly{AskForPdfFile};
    ASSERT_TRUE(pdfOnly.SelectPrinter(QtPrinters::PdfFile()));
    ScopedPrinters scopedPrinters{pdfOnly};
    MainForm form;
    form.Command2->click();
    FormPrint& dialog = *form.PrintDialog();
    EXPECT_EQ(dialog.Combo1->currentText(), "PDF file");

    PrintAndWait(dialog);  // the file dialog is cancelled
    EXPECT_EQ(services.offeredFileNames, std::vector<QString>{"Fractal.pdf"});
    EXPECT_TRUE(services.messages.empty());

    QTemporaryDir dir;
    services.saveFileNames.push_back(dir.filePath("pad.pdf"));
    PrintAndWait(dialog);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Written: pad.pdf, 1 page");
    EXPECT_FALSE(dialog.isVisible());
    const QByteArray pdf = ReadFile(dir.filePath("pad.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(PdfPageCount(pdf), 1);
    EXPECT_TRUE(ReadersReport(dir.filePath("pad.pdf")).startsWith("Pages: 1; Page size: "));
}

}  // namespace
}  // namespace velmora
