#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QColorSpace>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "app/tracking/FindRegionsDialog.h"
#include "app/MainForm.h"
#include "tests/ui/ScriptedServices.h"

namespace velmora {
namespace {

class RegionKeysTest : public ::testing::Test {
protected:
    void SetRegion(const QString& x0, const QString& x1, const QString& y0, const QString& y1) {
        form.XH->setText(x0);
        form.XL->setText(x1);
        form.YH->setText(y0);
        form.YL->setText(y1);
    }
    std::vector<std::string> Region() const {
        return {form.XH->text().toStdString(), form.XL->text().toStdString(), form.YH->text().toStdString(),
                form.YL->text().toStdString()};
    }
    std::vector<std::string> XTexts() const { return {form.XH->text().toStdString(), form.XL->text().toStdString()}; }
    // Makes the window the active one so that focus and key events behave as on a desktop.
    void Activate() {
        form.show();
        form.activateWindow();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    // A key press delivered where the keyboard focus is.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }
    // Mouse events at positions in the window: the control under the pointer
    // gets them, in its own coordinates, as with a real mouse.
    void MouseDown(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(form.windowHandle(), button, {}, at);
    }
    void MouseMove(QPoint to) { QTest::mouseMove(form.windowHandle(), to); }
    void MouseUp(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(form.windowHandle(), button, {}, at);
    }

    testing::ScriptedServices services;
    ScopedServices scoped{services};
    MainForm form;
};

TEST_F(RegionKeysTest, ButtonsRewriteTheRegionTexts) {
    struct Case {
        QPushButton* button;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {form.CommandZoom[0], {"0.15625", "0.14875", "-0.204", "-0.212"}},
        {form.CommandZoom[1], {"0.1675", "0.1375", "-0.192", "-0.224"}},
        {form.Commandpos[0], {"0.15625", "0.14125", "-0.2", "-0.216"}},
        {form.Commandpos[1], {"0.16375", "0.14875", "-0.2", "-0.216"}},
        {form.Commandpos[2], {"0.16", "0.145", "-0.204", "-0.22"}},
        {form.Commandpos[3], {"0.16", "0.145", "-0.196", "-0.212"}},
    };
    for (const Case& c : cases) {
        SetRegion("0.16", "0.145", "-0.2", "-0.216");
        c.button->click();
        EXPECT_EQ(Region(), c.after) << c.button->toolTip().toStdString();
    }

    SetRegion("0.16", "0.145", "-0.2", "-0.216");
    form.CommandZoom[1]->click();
    form.CommandZoom[0]->click();
    EXPECT_EQ(Region(), std::vector<std::string>({"0.16", "0.145", "-0.2", "-0.216"}));
}

TEST_F(RegionKeysTest, SignedExtentsZeroWidthEmptyBoxesAndRefusedResults) {
    SetRegion("0.1", "0.2", "-0.2", "");
    form.CommandZoom[0]->click();
    EXPECT_EQ(XTexts(), std::vector<std::string>({"0.125", "0.175"}));
    SetRegion("0.1", "0.2", "-0.2", "");
    form.Commandpos[1]->click();
    form.Commandpos[2]->click();
    EXPECT_EQ(Region(), std::vector<std::string>({"0.075", "0.175", "-0.15", "0.05"}));

    SetRegion("0.3", "0.3", "1", "2");
    for (QPushButton* button : {form.CommandZoom[0], form.CommandZoom[1], form.Commandpos[0], form.Commandpos[1]})
        button->click();
    EXPECT_EQ(XTexts(), std::vector<std::string>({"0.3", "0.3"}));

    // The extent 2E308 is beyond the double range: zoom and the x moves leave the boxes alone.
    SetRegion("1E308", "-1E308", "1", "abc");
    form.CommandZoom[1]->click();
    form.Commandpos[0]->click();
    EXPECT_EQ(Region(), std::vector<std::string>({"1E308", "-1E308", "1", "abc"}));
    form.Commandpos[3]->click();
    EXPECT_EQ(Region(), std::vector<std::string>({"1E308", "-1E308", "1.25", "0.25"}));
}

TEST_F(RegionKeysTest, RegionButtonsAndKeysNeverDraw) {
    const QImage canvas = form.Pic1->Image();
    for (QPushButton* button : form.CommandZoom) button->click();
    for (QPushButton* button : form.Commandpos) button->click();
    form.PictureFrame_KeyDown(40, 0);
    form.PictureFrame_KeyDown(39, 0);
    EXPECT_EQ(form.Pic1->Image(), canvas);
    EXPECT_EQ(services.doEventsCalls, 0);
    EXPECT_EQ(services.beeps, 0);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("16"));
    EXPECT_EQ(form.LabelTime->text(), QStringLiteral("TIME"));
}

// F5 anywhere, and Return in a number box only, draw once per press, as Start does.
TEST_F(RegionKeysTest, F5AndReturnInANumberBoxStartOneRender) {
    form.HScroll1->SetValue(32);
    Activate();
    form.Strt->setFocus();
    Press(Qt::Key_F5);
    EXPECT_EQ(services.beeps, 1);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
    form.XH->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(services.beeps, 2);
    form.Text1->setFocus();
    Press(Qt::Key_Return);
    Press(Qt::Key_F5, Qt::ControlModifier);
    EXPECT_EQ(services.beeps, 2);
    Press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(services.offeredFileNames.size(), 1u) << "Save picture as asks for a name";
}

TEST_F(RegionKeysTest, ArrowKeysStepTheBarsToTheirLimits) {
    // A canvas 1000 pixels taller than the frame, as the size handler sets the bar for it.
    form.VSc->SetMax(-1000);
    form.VSc->SetLargeChange(501);
    std::vector<int> values;
    for (int key : {40, 40, 38, 38}) {
        form.PictureFrame_KeyDown(key, 0);
        values.push_back(form.VSc->Value());
    }
    EXPECT_EQ(values, std::vector<int>({-501, -1000, -499, 0}));
    EXPECT_EQ(form.Pic1->y(), 0);

    // The start-up canvas fits the frame: Down and Right go to the maximum, Up and Left back to 0.
    form.HScroll1->SetValue(38);
    form.HScroll1->SetValue(37);
    form.Pic1_KeyDown(40, 0);
    EXPECT_EQ(form.VSc->Value(), 115);
    form.Pic1_KeyDown(39, 1);
    EXPECT_EQ(form.HSc->Value(), 17);
    EXPECT_EQ(form.Pic1->pos(), QPoint(17, 115));
    form.Pic1_KeyDown(38, 2);
    form.Pic1_KeyDown(37, 4);
    EXPECT_EQ(form.Pic1->pos(), QPoint(0, 0));

    // Other keys do nothing: Page Down, Home, F1, a letter.
    form.HSc->SetMax(-1000);
    form.HSc->SetLargeChange(501);
    form.HSc->SetValue(-200);
    for (int key : {34, 36, 112, 65, 0}) form.PictureFrame_KeyDown(key, 0);
    EXPECT_EQ(form.HSc->Value(), -200);
}

TEST_F(RegionKeysTest, CanvasAndFrameTakeTheFocusByClickAndKeepItOnArrows) {
    Activate();
    form.HScroll1->SetValue(48);
    ASSERT_EQ(form.LabelSize->text(), QStringLiteral("4096 * 2896 Pixcell"));
    const int wide = form.HSc->Max();

    QTest::mouseClick(form.Pic1, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(QApplication::focusWidget(), form.Pic1);
    Press(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(form.HSc->Value(), -form.HSc->LargeChange());
    Press(Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(form.VSc->Value(), -form.VSc->LargeChange());
    EXPECT_EQ(QApplication::focusWidget(), form.Pic1);
    for (int i = 0; i < 3; ++i) Press(Qt::Key_Right);
    EXPECT_EQ(form.HSc->Value(), wide);
    EXPECT_EQ(form.Pic1->x(), wide);

    // A 256 x 181 canvas leaves most of the frame uncovered: a click there focuses the frame.
    form.HScroll1->SetValue(32);
    QTest::mouseClick(form.Pic1->parentWidget(), Qt::LeftButton, {}, QPoint(600, 500));
    ASSERT_EQ(QApplication::focusWidget(), form.PictureFrame);
    Press(Qt::Key_Down);
    EXPECT_EQ(form.VSc->Value(), form.VSc->Max());
    EXPECT_EQ(QApplication::focusWidget(), form.PictureFrame);
    Press(Qt::Key_Up);
    EXPECT_EQ(form.VSc->Value(), 0);
}

// The canvas 861 x 608 (size 39, normal resolution) scrolled to (-200, -63):
// canvas pixel (300, 163) lies at window position (246, 102), as the frame's
// inside starts at (146, 2). The texts were worked outside the program from
// the single-precision X1, Y1, dx, dy that Start fixes for the start-up region.
TEST_F(RegionKeysTest, DragOnAScrolledCanvasZoomsInAndBackAndForwardReturn) {
    Activate();
    form.HScroll1->SetValue(39);
    form.HSc->SetValue(-200);
    form.VSc->SetValue(-63);
    EXPECT_FALSE(form.CanvasMenu()->actions()[4]->isEnabled());
    form.Strt->click();
    const QImage first = form.Pic1->Image();
    const std::vector<std::string> startRegion = Region();

    MouseDown({246, 102});
    MouseMove({346, 202});
    MouseMove({446, 302});
    MouseUp({446, 302});
    const std::vector<std::string> zoomed = Region();
    EXPECT_EQ(zoomed, std::vector<std::string>(
                          {"0.00818815123056993", "-0.0151567959692329", "0.0518421077285893", "0.0121710539824562"}));
    EXPECT_EQ(services.beeps, 2);  // one render for the drag
    EXPECT_NE(form.Pic1->Image(), first);

    form.OptionPt[3]->click();
    form.Strt->click();
    const std::vector<std::string> pattern3 = Region();
    EXPECT_EQ(form.Views().Size(), 3u);

    // Back selects pattern 0 again with the dragged region, not pattern 0's preset.
    form.GoBack();
    EXPECT_TRUE(form.OptionPt[0]->Value());
    EXPECT_EQ(Region(), zoomed);
    EXPECT_EQ(form.PtFrame->Tag, QStringLiteral("3"));
    form.GoBack();
    EXPECT_EQ(Region(), startRegion);
    EXPECT_EQ(form.Pic1->Image(), first);
    EXPECT_EQ(services.beeps, 5);
    const QMenu* menu = form.CanvasMenu();
    EXPECT_FALSE(menu->actions()[4]->isEnabled());
    EXPECT_TRUE(menu->actions()[5]->isEnabled());
    form.GoForward();
    form.GoForward();
    EXPECT_TRUE(form.OptionPt[3]->Value());
    EXPECT_EQ(Region(), pattern3);
    EXPECT_EQ(form.Views().Size(), 3u);  // renders of Back and Forward recorded nothing
}

TEST_F(RegionKeysTest, SmallMovesAreClicksAndEscapeOrTheRightButtonCancelTheDrag) {
    Activate();
    const std::vector<std::string> region = Region();
    const QImage canvas = form.Pic1->Image();
    MouseDown({300, 200});
    MouseMove({303, 197});
    MouseUp({303, 197});
    EXPECT_EQ(QApplication::focusWidget(), form.Pic1);

    MouseDown({300, 200});
    MouseMove({400, 300});
    EXPECT_EQ(form.Pic1->Outline(), QRect(QPoint(154, 198), QPoint(254, 298)));
    EXPECT_EQ(form.Pic1->Image(), canvas);  // the outline is on the screen only
    Press(Qt::Key_Escape);
    EXPECT_TRUE(form.Pic1->Outline().isEmpty());
    MouseUp({400, 300});

    MouseDown({300, 200});
    MouseMove({400, 300});
    MouseDown({400, 300}, Qt::RightButton);
    MouseUp({400, 300}, Qt::RightButton);
    MouseUp({400, 300});
    EXPECT_FALSE(form.CanvasMenu()->isVisible());

    EXPECT_EQ(Region(), region);
    EXPECT_EQ(services.beeps, 0);
    EXPECT_EQ(form.Views().Size(), 0u);
}

TEST_F(RegionKeysTest, CopyAndSaveAsTakeTheWholeCanvas) {
    Activate();
    form.Strt->click();
    const QImage canvas = form.Pic1->Image();
    QTest::mouseClick(form.Pic1, Qt::LeftButton, {}, QPoint(5, 5));
    QApplication::clipboard()->clear();
    Press(Qt::Key_C, Qt::ControlModifier);
    const QImage copied = QApplication::clipboard()->image();
    EXPECT_EQ(copied.size(), QSize(608, 430));
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), canvas);

    QTemporaryDir folder;
    const QString png = folder.filePath(QStringLiteral("shot"));
    const QString gif = folder.filePath(QStringLiteral("shot.gif"));
    services.saveFileNames = {png, gif};
    QMenu* menu = form.CanvasMenu();
    menu->actions()[1]->trigger();
    EXPECT_EQ(services.offeredFileNames.at(0), QDir::current().absoluteFilePath(QStringLiteral("Fractal")));
    QImageReader reader(png);
    EXPECT_EQ(reader.format(), QByteArray("png"));
    const QImage read = reader.read();
    EXPECT_TRUE(read.colorSpace().isValid());  // the sRGB the file declares
    QImage pixels = read.convertToFormat(QImage::Format_RGB32);
    pixels.setColorSpace(QColorSpace());
    EXPECT_EQ(pixels, canvas);
    EXPECT_EQ(read.dotsPerMeterX(), 11811);  // 300 dpi
    EXPECT_TRUE(services.messages.empty());
    // velmora-render writes the same file for the same picture.
    const QString rendered = folder.filePath(QStringLiteral("rendered.png"));
    ASSERT_EQ(std::system(("'" VELMORA_RENDER "' --quiet -o '" + rendered.toStdString() + "'").c_str()), 0);
    QFile saved(png), written(rendered);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly) && written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(saved.readAll() == written.readAll());

    menu->actions()[1]->trigger();
    EXPECT_FALSE(QFile::exists(gif));
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].text.contains(gif));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({QStringLiteral("rendered.png"), QStringLiteral("shot")}));
}

// The view scale changes how the canvas shows, never its pixels: Ctrl+0 shows the whole largest-but-two canvas in a
// 1400 x 1000 window, and a drag at 1 : 4 covering the same canvas pixels zooms into the same region as at 1 : 1.
TEST_F(RegionKeysTest, ViewScaleShowsTheWholeCanvasAndDragsReadTheCanvasPixels) {
    Activate();
    form.resize(1400, 1000);
    form.HScroll1->SetValue(48);
    form.PictureFrame->setFocus();
    const QImage canvas = form.Pic1->Image();
    Press(Qt::Key_0, Qt::ControlModifier);
    const QRect inside = form.PictureFrame->ChildArea()->rect();
    EXPECT_TRUE(inside.contains(form.Pic1->geometry())) << form.Pic1->geometry().width();
    EXPECT_GE(form.Pic1->width(), inside.width() - 1);
    EXPECT_EQ(form.Pic1->Image().size(), QSize(4096, 2896));
    EXPECT_EQ(form.Pic1->Image(), canvas);
    EXPECT_EQ(form.HSc->Max(), form.PictureFrame->width() - form.Pic1->width());
    Press(Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(form.Pic1->size(), QSize(4096, 2896));

    form.HScroll1->SetValue(39);
    form.Strt->click();
    // Canvas pixels (300, 164) to (500, 364); the frame's inside starts at (146, 2).
    MouseDown({446, 166});
    MouseMove({546, 266});
    MouseUp({646, 366});
    const std::vector<std::string> zoomed = Region();
    form.GoBack();
    EXPECT_NE(Region(), zoomed);
    for (int i = 0; i < 4; ++i) Press(Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_EQ(form.Pic1->ViewScale(), 0.25);
    MouseDown({146 + 75, 2 + 41});
    MouseMove({146 + 100, 2 + 66});
    MouseUp({146 + 125, 2 + 91});
    EXPECT_EQ(Region(), zoomed);
}

TEST_F(RegionKeysTest, WeakAreasAreHatchedOnTheScreenOnlyAndFollowEachRender) {
    // A region of zero width: every row one colour, so no frame tracks; the hatching covers the canvas.
    SetRegion(QStringLiteral("0.1"), QStringLiteral("0.1"), QStringLiteral("0.1"), QStringLiteral("-0.2"));
    form.Strt->click();
    const QImage canvas = form.Pic1->Image();
    QAction* weakAreas = nullptr;
    for (QAction* action : form.CanvasMenu()->actions())
        if (action->text() == QStringLiteral("Show weak areas")) weakAreas = action;
    ASSERT_NE(weakAreas, nullptr);
    ASSERT_EQ(weakAreas->text(), QStringLiteral("Show weak areas"));
    weakAreas->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Pic1->Overlay().isNull(); }, 60000));
    EXPECT_EQ(form.WeakAreas().tracks, 0.0);
    EXPECT_GT(form.WeakAreas().FrameCount(), 1000);  // page width on A4: 1.5 mm apart over 208 x 147 mm
    EXPECT_EQ(qAlpha(form.Pic1->Overlay().pixel(10, 10)), 0x90);
    EXPECT_EQ(form.Pic1->Image(), canvas);
    // Lines of black beside white show on the picture's own colours, whatever they are.
    const QImage shown = form.Pic1->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int pairs = 0;
    for (int y = 0; y < shown.height(); y += 7)
        for (int x = 0; x + 1 < shown.width(); ++x)
            pairs += shown.pixel(x, y) == qRgb(255, 255, 255) && shown.pixel(x + 1, y) == qRgb(0, 0, 0);
    EXPECT_GT(pairs, shown.width() / 8 * shown.height() / 7 / 2);

    // A render takes the tints away and checks its own picture once drawn.
    SetRegion(QStringLiteral("0.05"), QStringLiteral("-0.05"), QStringLiteral("0.1"), QStringLiteral("-0.02"));
    form.Strt->click();
    EXPECT_TRUE(form.Pic1->Overlay().isNull());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form.Pic1->Overlay().isNull(); }, 60000));
    EXPECT_GT(form.WeakAreas().tracks, 0.5);

    weakAreas->trigger();
    EXPECT_TRUE(form.Pic1->Overlay().isNull());
    EXPECT_FALSE(form.ShowingWeakAreas());
}

TEST_F(RegionKeysTest, RegionsThatTrackAreFoundAroundTheCanvasAndOneIsDrawnOnAClick) {
    form.OptionPt[1]->click();
    form.Strt->click();
    QAction* find = form.CanvasMenu()->actions().back();
    ASSERT_EQ(find->text(), QString::fromUtf8("Find regions that track…"));
    find->trigger();
    FindRegionsDialog* dialog = form.FindRegionsWindow();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->Running(); }, 300000));
    const auto& found = dialog->Found();
    ASSERT_FALSE(found.empty()) << dialog->Status->text().toStdString();
    EXPECT_LE(found.size(), 8u);
    EXPECT_TRUE(std::is_sorted(found.begin(), found.end(),
                               [](const FoundRegion& a, const FoundRegion& b) { return a.tracks > b.tracks; }));
    EXPECT_TRUE(dialog->Thumbnails[found.size() - 1]->isVisible());
    const PictureParameters chosen = found.front().parameters;
    dialog->Thumbnails[0]->click();
    EXPECT_EQ(form.XH->text().toStdString(), chosen.x0);
    EXPECT_EQ(form.YL->text().toStdString(), chosen.y1);
    EXPECT_EQ(form.Label2->text(), QStringLiteral("OK"));
}

}  // namespace
}  // namespace velmora
