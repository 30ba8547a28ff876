#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>

#include "app/MainForm.h"
#include "app/Translations.h"
#include "app/print/FormPrint.h"
#include "canvas/CanvasGeometry.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

class MainFormTest : public ::testing::Test {
protected:
    testing::ScriptedServices services;
    ScopedServices scoped{services};
    MainForm form;
};

TEST_F(MainFormTest, StartsInTheStartUpState) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Velmora Generator (for Optical)"));
    EXPECT_EQ(form.size(), QSize(788, 583));
    EXPECT_TRUE(form.OptionPt[0]->Value());
    EXPECT_EQ(form.Combo2->currentIndex(), 4);
    EXPECT_EQ(form.Combo2->currentText(), QString::fromUtf8("16色"));
    EXPECT_EQ(form.Combo2->itemData(4).toInt(), 16);
    EXPECT_TRUE(form.DefaultPalett->Value());
    EXPECT_EQ(form.Zeffect->Value(), 0);
    EXPECT_EQ(form.Check1->Value(), 0);
    EXPECT_EQ(form.LabelSize->text(), QStringLiteral("608 * 430 Pixcell"));
    EXPECT_EQ(form.Label2->text(), QStringLiteral("16"));
    EXPECT_EQ(form.LabelTime->text(), QStringLiteral("TIME"));
    EXPECT_EQ(form.HScroll1->Value(), 37);

    // Pattern 0's preset replaced the design-time texts.
    EXPECT_EQ(form.texta->text(), QStringLiteral("0.051"));
    EXPECT_EQ(form.textb->text(), QStringLiteral("1.03"));
    EXPECT_EQ(form.XH->text(), QStringLiteral("0.05"));
    EXPECT_EQ(form.XL->text(), QStringLiteral("-0.05"));
    EXPECT_EQ(form.YH->text(), QStringLiteral("0.1"));
    EXPECT_EQ(form.YL->text(), QStringLiteral("-0.02"));
    EXPECT_EQ(form.PtFrame->Tag, QStringLiteral("3"));
    EXPECT_EQ(form.OptionPt[0]->Tag, QStringLiteral("0"));
    EXPECT_TRUE(form.Option1->Value());

    // Blank canvas, normal resolution grid.
    EXPECT_EQ(form.Pic1->Image().size(), QSize(608, 430));
    EXPECT_EQ(form.Pic1->ScaleWidth(), 152);
    EXPECT_EQ(form.Pic1->ScaleHeight(), 107.5);
    EXPECT_EQ(form.Pic1->DotWidth(), 4);
    EXPECT_EQ(form.Pic1->PixelAt(300, 200), ColorOfPixel(form.Pic1->Background().rgb()));
    EXPECT_EQ(form.Pic2->ScaleWidth(), 608);
    EXPECT_EQ(form.Pic2->ScaleHeight(), 430);

    // The state controls lie below the client area and stay hidden.
    EXPECT_GT(form.DumyPic->y(), form.height());
    EXPECT_GT(form.Option1->y(), form.height());
    for (QWidget* state : {static_cast<QWidget*>(form.DumyPic), static_cast<QWidget*>(form.Option1),
                           static_cast<QWidget*>(form.Option2)})
        EXPECT_FALSE(state->isVisibleTo(&form));
    ::velmora::ColorTable defaultTable;
    coltable(defaultTable);
    EXPECT_EQ(form.ColorTable.column, defaultTable.column);
    EXPECT_EQ(services.messages.size(), 0u);
}

TEST_F(MainFormTest, CanvasSitsInsideTheFrameBorderAndThumbnailInsideItsOwn) {
    EXPECT_EQ(form.Pic1->parentWidget()->geometry(), QRect(2, 2, 621, 541));
    EXPECT_EQ(form.Pic1->geometry(), QRect(0, 0, 608, 430));
    EXPECT_EQ(form.Pic2->size(), QSize(130, 92));
    EXPECT_EQ(form.Pic2->Image().size(), QSize(128, 90));
    EXPECT_FALSE(form.windowIcon().isNull());
    EXPECT_EQ(form.OptionPt[2]->nextInFocusChain(), form.HScroll1);
    EXPECT_EQ(form.Command1->nextInFocusChain(), form.YL);

    // Focusing the hidden plane pair leaves Tab on the selected pattern and palette options.
    form.show();
    form.activateWindow();
    form.Option1->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(form.OptionPt[0]->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(form.DefaultPalett->focusPolicy() & Qt::TabFocus);
    form.Option1->SetValue(false);
    EXPECT_FALSE(form.Option1->Value());
    EXPECT_TRUE(form.OptionPt[0]->Value());
    form.Option2->SetValue(true);
    form.Option1->SetValue(true);
    EXPECT_FALSE(form.Option2->Value());
}

TEST_F(MainFormTest, SizeBarSetsCanvasLabelPreviewPanRangesAndGrid) {
    form.HScroll1->SetValue(39);
    EXPECT_EQ(form.LabelSize->text(), QStringLiteral("861 * 608 Pixcell"));
    EXPECT_EQ(form.Pic1->Image().size(), QSize(861, 608));
    EXPECT_EQ(form.Pic2->ScaleWidth(), 861);
    EXPECT_EQ(form.HSc->Max(), -236);
    EXPECT_EQ(form.HSc->SmallChange(), 30);
    EXPECT_EQ(form.HSc->LargeChange(), 119);
    EXPECT_EQ(form.VSc->Max(), -63);
    EXPECT_EQ(form.VSc->SmallChange(), 9);
    EXPECT_EQ(form.VSc->LargeChange(), 32);
    EXPECT_EQ(form.Pic1->ScaleWidth(), 861 / 4.0) << "the grid follows the new size";
    EXPECT_EQ(form.Pic1->ScaleHeight(), 152);

    form.Check1->SetValue(1);
    EXPECT_EQ(form.Pic1->ScaleWidth(), 861);
    EXPECT_EQ(form.Pic1->DotWidth(), 1);
    form.HScroll1->SetValue(32);
    EXPECT_EQ(form.LabelSize->text(), QStringLiteral("256 * 181 Pixcell"));
    EXPECT_EQ(form.Pic1->ScaleHeight(), 181);
    form.Check1->SetValue(0);
    EXPECT_EQ(form.Pic1->ScaleHeight(), 181 / 4.0);
    EXPECT_EQ(form.Pic1->DotWidth(), 4);

    form.HScroll1->SetValue(37);
    EXPECT_EQ(form.HSc->Max(), 17);
    EXPECT_EQ(form.HSc->SmallChange(), 3);
    EXPECT_EQ(form.HSc->LargeChange(), 10);
    EXPECT_EQ(form.VSc->Max(), 115);
    EXPECT_EQ(form.VSc->SmallChange(), 15);
    EXPECT_EQ(form.VSc->LargeChange(), 58);
}

// Every size's text shows whole in the label's bold 11.25-point face, and the label stays in its place.
TEST_F(MainFormTest, SizeLabelFitsEverySizeInItsPlace) {
    const QFont font = form.LabelSize->font();
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pointSizeF(), 11.25);
    const QFontMetrics metrics(font);
    for (int value = kSizeMin; value <= kSizeMax; ++value) {
        const CanvasSize size = SizeForValue(value);
        const QString text = MainForm::SizeCaption(size.width, size.height);
        EXPECT_LE(metrics.horizontalAdvance(text), 121) << value;
        EXPECT_LE(metrics.boundingRect(text).right(), 120) << value;
    }
    form.HScroll1->SetValue(52);
    EXPECT_EQ(form.LabelSize->text(), QStringLiteral("8192 * 5792 Pixcell"));
    EXPECT_LE(metrics.horizontalAdvance(form.LabelSize->text()), 121);
    EXPECT_EQ(form.LabelSize->geometry(), QRect(8, 96, 121, 17));
}

TEST_F(MainFormTest, SizeChangeClearsTheCanvas) {
    form.Pic1->Plot(3, 3, Rgb(1, 2, 3));
    form.HScroll1->SetValue(38);
    form.HScroll1->SetValue(37);
    EXPECT_EQ(form.Pic1->PixelAt(13, 13), ColorOfPixel(form.Pic1->Background().rgb()));
}

TEST_F(MainFormTest, ArrowAndPageClicksStepTheSizeBarInsideItsRange) {
    QScrollBar* bar = form.HScroll1->Bar();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form.HScroll1->Value(), 38);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(form.HScroll1->Value(), 40);
    EXPECT_EQ(form.LabelSize->text(), QStringLiteral("1024 * 724 Pixcell"));
    for (int i = 0; i < 10; ++i) bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    EXPECT_EQ(form.HScroll1->Value(), 32);
}

TEST_F(MainFormTest, PanBarsMoveTheCanvasAndTheCanvasFollowsAClampedBar) {
    form.HSc->SetValue(17);
    form.VSc->SetValue(115);
    EXPECT_EQ(form.Pic1->pos(), QPoint(17, 115));

    form.HScroll1->SetValue(39);  // 861 x 608: both bars now run backwards
    EXPECT_EQ(form.HSc->Value(), 0);
    EXPECT_EQ(form.VSc->Value(), 0);
    EXPECT_EQ(form.Pic1->pos(), QPoint(0, 0));

    form.HSc->Bar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(form.HSc->Value(), -236);
    EXPECT_EQ(form.Pic1->x(), -236);
    form.VSc->Bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(form.Pic1->y(), -9);

    // 724 x 512: the horizontal range shrinks to 0 .. -99, the vertical one becomes 0 .. 33.
    form.HScroll1->SetValue(38);
    EXPECT_EQ(form.HSc->Value(), -99);
    EXPECT_EQ(form.VSc->Value(), 0);
    EXPECT_EQ(form.Pic1->pos(), QPoint(-99, 0));
}

TEST_F(MainFormTest, LargerWindowGrowsTheDrawingAreaAndKeepsThePanelAndTheStateHidden) {
    form.show();
    const QRect start = form.Strt->geometry();
    form.resize(1400, 1000);
    QApplication::processEvents();
    EXPECT_EQ(form.PictureFrame->geometry(), QRect(144, 0, 625 + 612, 545 + 417));
    EXPECT_EQ(form.Pic1->parentWidget()->size(), QSize(1233, 958)) << "the canvas sees the whole area";
    EXPECT_EQ(form.HSc->geometry(), QRect(144, 961, 1237, 17));
    EXPECT_EQ(form.VSc->geometry(), QRect(1380, 0, 17, 978));
    EXPECT_EQ(form.gra->geometry().topLeft(), QPoint(144, 985));
    EXPECT_EQ(form.Strt->geometry(), start);
    EXPECT_EQ(form.HSc->Max(), 1237 - 608) << "the pan ranges follow the area";
    EXPECT_EQ(form.VSc->Max(), 962 - 430);
    for (QWidget* state : {static_cast<QWidget*>(form.DumyPic), static_cast<QWidget*>(form.Option1),
                           static_cast<QWidget*>(form.Option2)})
        EXPECT_FALSE(state->isVisible());

    form.resize(300, 200);
    EXPECT_EQ(form.size(), QSize(788, 583)) << "the designed size is the smallest";
    EXPECT_EQ(form.PictureFrame->size(), QSize(625, 545));
    EXPECT_EQ(form.HSc->Max(), 17);
}

// A number the program writes shows from its start, whole in the tool tip;
// what the user types stays as typed.
TEST_F(MainFormTest, NumberBoxesShowTheBeginningOfALongNumber) {
    form.XH->setText(QStringLiteral("-0.0123456789012345678"));
    EXPECT_EQ(form.XH->cursorPosition(), 0);
    EXPECT_TRUE(form.XH->toolTip().endsWith(QStringLiteral("\n-0.0123456789012345678")));
    form.XH->setFocus();
    form.XH->end(false);
    form.XH->insert(QStringLiteral("9"));
    EXPECT_EQ(form.XH->cursorPosition(), form.XH->text().size());
    EXPECT_TRUE(form.XH->toolTip().endsWith(QStringLiteral("56789")));
}

// Each locale's window: English for every language but Japanese, which shows
// the original texts; the caption and the data texts are the same in both.
TEST(MainFormLanguages, EnglishBesideTheOriginalTexts) {
    testing::ScriptedServices services;
    ScopedServices scoped{services};
    {
        const Translations english(QLocale(QLocale::English, QLocale::UnitedKingdom),
                                   {QStringLiteral(VELMORA_QM_FOLDER)});
        MainForm form;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Velmora Generator (for Optical)"));
        EXPECT_EQ(form.PtFrame->title(), QStringLiteral("Pattern"));
        EXPECT_EQ(form.Combo2->currentText(), QStringLiteral("16 colours"));
        for (int i = 0; i < form.Combo2->count(); ++i)
            EXPECT_FALSE(form.Combo2->itemText(i).contains(QString::fromUtf8("色"))) << i;
        EXPECT_EQ(form.LabelSize->text(), QString::fromUtf8("608 × 430 pixels"));
        EXPECT_EQ(form.palettOption[0]->text(), QStringLiteral("Palette A"));
        EXPECT_EQ(form.OptionPt[5]->toolTip(), QStringLiteral("Random (bright)"));
        EXPECT_TRUE(form.CommandZoom[0]->toolTip().contains(QStringLiteral("Start draws")));
        EXPECT_EQ(form.Label2->text(), QStringLiteral("16"));
        EXPECT_EQ(form.Text1->text(), QStringLiteral("Fractal"));
        EXPECT_EQ(FormPrint(form).windowTitle(), QStringLiteral("Print"));

        int controls = 0;
        for (QWidget* control : form.findChildren<QWidget*>()) {
            const bool isControl = qobject_cast<QAbstractButton*>(control) || qobject_cast<QLineEdit*>(control) ||
                                   qobject_cast<QComboBox*>(control) || qobject_cast<ScrollBar*>(control) ||
                                   qobject_cast<PictureBox*>(control);
            if (!isControl || !control->isVisibleTo(&form)) continue;
            ++controls;
            EXPECT_FALSE(control->toolTip().isEmpty()) << control->metaObject()->className() << " "
                                                       << control->geometry().x() << "," << control->geometry().y();
        }
        EXPECT_EQ(controls, 37);
    }
    MainForm original;
    EXPECT_EQ(original.PtFrame->title(), QStringLiteral("Patern"));
    EXPECT_EQ(original.Combo2->currentText(), QString::fromUtf8("16色"));
    EXPECT_EQ(original.LabelSize->text(), QStringLiteral("608 * 430 Pixcell"));
    EXPECT_EQ(original.palettOption[0]->text(), QStringLiteral("Palett A"));
    EXPECT_EQ(original.OptionPt[5]->toolTip(), QStringLiteral("Random(Blight)"));
    EXPECT_EQ(original.CommandZoom[0]->toolTip(), QStringLiteral("Zoom In"));
    EXPECT_EQ(FormPrint(original).windowTitle(), QStringLiteral("VLG"));
}

}  // namespace
}  // namespace velmora
