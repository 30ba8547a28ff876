#include <QApplication>
#include <QLineEdit>
#include <QMenu>

#include "app/MainForm.h"
#include "app/toolkit/TextNumbers.h"
#include "render/RenderWalk.h"

namespace velmora {

namespace {
PlaneMapping MappingOf(const RenderParams& params, int dot) { return {params.x1, params.y1, params.dx, params.dy, dot}; }
}  // namespace

void MainForm::ConnectViewHandlers() {
    Pic1->SetPointerGestures(true);
    connect(Pic1, &PictureBox::RubberBand, this, &MainForm::Pic1_RubberBand);
    connect(Pic1, &PictureBox::ContextMenu, this, &MainForm::Pic1_ContextMenu);
    connect(Pic1, &PictureBox::ZoomWheel, this, [this](int steps, QPoint at) { StepView(steps, at); });
    connect(PictureFrame, &PictureBox::ZoomWheel, this, [this](int steps, QPoint) { StepView(steps); });
}

void MainForm::RenderStarted(const RenderParams& params) {
    lastMapping_ = MappingOf(params, Pic1->DotWidth());
    views_.Record(Parameters());
}

// The rectangle is read with the plane as the last render placed it, so the
// new picture shows what was under the rectangle; before any render the boxes
// give the plane as Start would place it.
void MainForm::Pic1_RubberBand(const QRect& pixels) {
    PlaneMapping mapping{};
    if (lastMapping_) {
        mapping = *lastMapping_;
    } else {
        mapping = MappingOf(ReadRenderParams(Parameters(), Pic1->ScaleWidth(), Pic1->ScaleHeight()), Pic1->DotWidth());
    }
    const std::optional<Region> region =
        RegionOfRectangle({pixels.left(), pixels.top(), pixels.right(), pixels.bottom()}, mapping);
    if (!region) return;
    SetNumberText(*XH, region->x0);
    SetNumberText(*XL, region->x1);
    SetNumberText(*YH, region->y0);
    SetNumberText(*YL, region->y1);
    Strt_Click();
}

// The pattern goes first: selecting it writes its preset, which the view's own
// texts then replace; the choices outside the view stay. A render of the view
// shown records nothing, as it is the view at the history's position.
void MainForm::ShowView(const PictureParameters& view) {
    PictureParameters shown = Parameters();
    TakeView(shown, view);
    ShowParameters(shown);
    Strt_Click();
}

void MainForm::GoBack() {
    if (const PictureParameters* view = views_.Back()) ShowView(*view);
}

void MainForm::GoForward() {
    if (const PictureParameters* view = views_.Forward()) ShowView(*view);
}

void MainForm::ViewKeyDown(int keyCode, int shift) {
    constexpr int kShift = 1, kCtrl = 2, kAlt = 4;
    constexpr int kLeft = 37, kRight = 39, kC = 'C', kY = 'Y', kZ = 'Z';
    if (shift == kAlt && keyCode == kLeft) return GoBack();
    if (shift == kAlt && keyCode == kRight) return GoForward();
    // In a text box these keys keep their editing meaning.
    if (qobject_cast<QLineEdit*>(QApplication::focusWidget())) return;
    if (shift == kCtrl && keyCode == kZ) return GoBack();
    if ((shift == (kCtrl | kShift) && keyCode == kZ) || (shift == kCtrl && keyCode == kY)) return GoForward();
    if (shift == kCtrl && keyCode == kC) return CopyPicture();
}

// One menu serves every request; it lives as long as the window, so an action
// that starts a render never runs inside a menu that is being deleted.
QMenu* MainForm::CanvasMenu() {
    if (!canvasMenu_) {
        canvasMenu_ = new QMenu(this);
        canvasMenu_->addAction(tr("Copy picture\tCtrl+C"), this, &MainForm::CopyPicture);
        canvasMenu_->addAction(tr("Save picture as…\tCtrl+Shift+S"), this, &MainForm::SavePictureAs);
        canvasMenu_->addAction(tr("Export at size…"), this, &MainForm::ExportAtSize);
        canvasMenu_->addSeparator();
        canvasMenu_->addAction(tr("Back\tAlt+Left"), this, &MainForm::GoBack);
        canvasMenu_->addAction(tr("Forward\tAlt+Right"), this, &MainForm::GoForward);
        canvasMenu_->addSeparator();
        canvasMenu_->addAction(tr("Fit in window\tCtrl+0"), this, &MainForm::FitView);
        canvasMenu_->addAction(tr("Actual pixels\tCtrl+1"), this, &MainForm::ActualPixels);
        canvasMenu_->addAction(tr("Zoom view in\tCtrl++"), this, [this] { StepView(1); });
        canvasMenu_->addAction(tr("Zoom view out\tCtrl+-"), this, [this] { StepView(-1); });
        QAction* frame = canvasMenu_->addAction(tr("Show product frame"), this, &MainForm::ShowProductFrame);
        frame->setCheckable(true);
        frame->setChecked(showProductFrame_);
        printColoursAction_ = canvasMenu_->addAction(tr("Show print colours"), this, &MainForm::ShowPrintColours);
        printColoursAction_->setCheckable(true);
        outOfGamutAction_ = canvasMenu_->addAction(tr("Show colours out of gamut"), this, &MainForm::ShowOutOfGamut);
        outOfGamutAction_->setCheckable(true);
        canvasMenu_->addSeparator();
        QAction* weakAreas = canvasMenu_->addAction(tr("Show weak areas"), this, &MainForm::ShowWeakAreas);
        weakAreas->setCheckable(true);
        canvasMenu_->addAction(tr("Find regions that track…"), this, &MainForm::FindRegions);
    }
    const QList<QAction*> actions = canvasMenu_->actions();
    actions[4]->setEnabled(views_.CanGoBack());
    actions[5]->setEnabled(views_.CanGoForward());
    return canvasMenu_;
}

void MainForm::Pic1_ContextMenu(const QPoint& globalPosition) { CanvasMenu()->popup(globalPosition); }

}  // namespace velmora
