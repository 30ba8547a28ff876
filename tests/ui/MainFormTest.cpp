#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>

#include "app/MainForm.h"
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

    // The hidden state controls lie below the client area.
    EXPECT_GT(form.DumyPic->y(), form.height());
    EXPECT_GT(form.Option1->y(), form.height());
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
        const QString text = QString::fromStdString(SizeText(SizeForValue(value)));
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

}  // namespace
}  // namespace velmora
