#include <QFileInfo>

#include "app/MainForm.h"
#include "app/toolkit/Services.h"
#include "render/Random.h"
#include "render/RenderEngine.h"
#include "render/RenderWalk.h"
#include "app/StretchCopy.h"

namespace velmora {

// Paints the counts of a walk onto the canvas and runs the window's part of
// each column and pass: stop test, yields, thumbnail, countdown and time.
class MainForm::RenderDriver final : public RenderSink {
public:
    RenderDriver(MainForm& form, int column, int colourCount, std::uint32_t startTick)
        : form_(form), column_(column), colourCount_(colourCount), startTick_(startTick) {}

    void PassBegins(int) override { form_.RenderYield(false); }

    void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) override {
        if (form_.unloading_) return;
        // The canvas is read afresh: a yield may have resized it or changed its dot or mode.
        PictureBox& canvas = *form_.Pic1;
        const PointPainter painter{canvas.RasterView(),
                                   canvas.DotWidth(),
                                   canvas.Mode(),
                                   form_.ColorTable.column[column_].data(),
                                   colourCount_,
                                   &ProgramRandom(),
                                   &form_.RandomExponent};
        painter.PaintColumn(pass, px, counts, rows);
    }

    bool ColumnEnds() override {
        if (form_.StopFlag != 0 || form_.unloading_) return true;
        form_.RenderYield(false);
        return form_.unloading_;
    }

    bool PassEnds(int pass) override {
        if (form_.unloading_) return true;
        stretchCopy(*form_.Pic1, *form_.Pic2);
        form_.Label2->setText(QString::number(15 - pass));
        if (form_.StopFlag != 0) return true;
        form_.LabelTime->setText(QString::fromStdString(ElapsedText(Toolkit().TickCount() - startTick_)));
        form_.RenderYield(true);
        return form_.unloading_;
    }

private:
    MainForm& form_;
    int column_, colourCount_;
    std::uint32_t startTick_;
};

void MainForm::RenderYield(bool showCanvas) {
    constexpr int kRefreshMilliseconds = 40;
    if (showCanvas || !canvasShown_.isValid() || canvasShown_.elapsed() >= kRefreshMilliseconds) {
        Pic1->Refresh();
        canvasShown_.start();
    }
    Toolkit().DoEvents();
}

void MainForm::Strt_Click() {
    // Each nested render holds the stack of the event dispatch that started it (about 4 KiB), its engine's
    // worker threads and count buffers, and, once the inner ones end, finishes its own remaining passes: an
    // auto-clicker or a stuck button would nest renders until the stack runs out. Eight levels are more than
    // deliberate presses reach and keep the wait after the last press to a few renders. A press beyond them
    // is remembered instead: the innermost render starts again, with the controls as they are then, when it
    // ends; several such presses make one restart.
    constexpr int kMaxRunningRenders = 8;
    if (runningRenders_ >= kMaxRunningRenders) {
        startAgain_ = true;
        return;
    }
    // The weak areas shown belong to the picture about to be replaced; they are checked again once it is drawn.
    HideWeakAreas();
    ++runningRenders_;
    do {
        startAgain_ = false;
        RenderOnce();
    } while (startAgain_ && !unloading_);
    --runningRenders_;
    CheckWeakAreas();
    UpdateColourFigures();
}

void MainForm::RenderOnce() {
    const int column = Combo2->currentIndex();
    if (column < 0) {
        // Only a loaded data file can leave the list without a colour count.
        Toolkit().MessageBox(this, tr("Please choose a colour count before pressing Start."), QString(),
                             MessageButtons::Ok, MessageAnswer::Ok);
        return;
    }
    const bool effect = Zeffect->Value() != 0;
    if (effect) {
        if (ImagePresent()) Pic1->DrawStretched(DumyPic->Picture(), 0, 0, Pic1->ScaleWidth(), Pic1->ScaleHeight());
        Pic1->SetDrawMode(DrawMode::Xor);
    } else {
        Pic1->Clear();
        Pic1->SetDrawMode(DrawMode::Copy);
    }
    LabelTime->setText(QStringLiteral("0:00.00"));
    Label2->setText(QStringLiteral("16"));
    StopFlag = 0;
    Pic2->DrawStretched(Pic1->Image(), 0, 0, Pic2->ScaleWidth(), Pic2->ScaleHeight());
    Pic2->Refresh();
    const int colourCount = ColourCountAt(column);
    RenderYield(true);
    if (unloading_) return;
    const std::uint32_t startTick = Toolkit().TickCount();

    PictureParameters parameters = Parameters();
    parameters.pictureEffect = effect;
    const RenderParams params = ReadRenderParams(parameters, Pic1->ScaleWidth(), Pic1->ScaleHeight());
    RenderStarted(params);

    RenderDriver driver(*this, column, colourCount, startTick);
    WalkRender(params, *MakeEngine(0), driver);
    if (unloading_) return;
    Label2->setText(QStringLiteral("OK"));
    Toolkit().Beep();
}

void MainForm::Command1_Click() {
    StopFlag = -1;
    startAgain_ = false;  // a remembered press must not restart what Stop ends
}

bool MainForm::ImagePresent() const {
    const QFileInfo file(DumyPic->Tag);
    return !DumyPic->Tag.isEmpty() && file.isFile() && file.fileName().size() >= 4;
}

void MainForm::Zeffect_Click() {
    if (Zeffect->Value() != 0 && !ImagePresent())
        Toolkit().MessageBox(this, tr("描写エリアに画像ファイルをドロップしてください。"), QString(),
                             MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora
