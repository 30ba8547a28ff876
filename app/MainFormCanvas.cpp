#include <algorithm>
#include <cmath>

#include "app/MainForm.h"
#include "canvas/CanvasGeometry.h"

namespace velmora {

namespace {

// The frame keeps this far inside the trim what must not be cut, and rounds the trim's corners by this much.
constexpr double kSafeMarginMm = 5, kCornerRadiusMm = 3;

// The view scales Ctrl+wheel and the zoom keys step through.
constexpr double kViewSteps[] = {1.0 / 16, 1.0 / 12, 1.0 / 8, 1.0 / 6, 1.0 / 4, 1.0 / 3, 1.0 / 2, 2.0 / 3, 1, 2};
// The canvas shown may not outgrow the pan bars' 16-bit positions.
constexpr double kShownSideMax = 16000;

}  // namespace

double MainForm::FitViewScale() const {
    const QSize frame = PictureFrame->contentsRect().size();
    const QSize canvas = Pic1->Image().size();
    if (canvas.isEmpty() || frame.isEmpty()) return 1;
    return std::min({1.0, static_cast<double>(frame.width()) / canvas.width(),
                     static_cast<double>(frame.height()) / canvas.height()});
}

void MainForm::FitView() {
    fitView_ = true;
    SetViewScale(FitViewScale(), QPoint());
    HSc->SetValue(0);
    VSc->SetValue(0);
}

void MainForm::ActualPixels() {
    fitView_ = false;
    SetViewScale(1, QPoint());
}

void MainForm::StepView(int steps, QPoint at) {
    double scale = Pic1->ViewScale();
    for (; steps > 0; --steps) {
        const double* next = std::upper_bound(std::begin(kViewSteps), std::end(kViewSteps), scale * 1.0001);
        if (next != std::end(kViewSteps)) scale = *next;
    }
    for (; steps < 0; ++steps) {
        const double* below = std::lower_bound(std::begin(kViewSteps), std::end(kViewSteps), scale * 0.9999);
        if (below != std::begin(kViewSteps)) scale = *(below - 1);
    }
    fitView_ = false;
    SetViewScale(scale, at);
}

// The canvas point `at` (its own pixels) stays where it is on the screen; a null point keeps the top-left.
void MainForm::SetViewScale(double scale, QPoint at) {
    const QSize canvas = Pic1->Image().size();
    const int longest = std::max({canvas.width(), canvas.height(), 1});
    scale = std::min(scale, std::max(1.0, kShownSideMax / longest));
    const double before = Pic1->ViewScale();
    const QPoint shift(static_cast<int>(std::lround(at.x() * (before - scale))),
                       static_cast<int>(std::lround(at.y() * (before - scale))));
    Pic1->SetViewScale(scale);
    SetPanRanges();
    HSc->SetValue(static_cast<std::int16_t>(std::clamp(HSc->Value() + shift.x(), -32768, 32767)));
    VSc->SetValue(static_cast<std::int16_t>(std::clamp(VSc->Value() + shift.y(), -32768, 32767)));
    // The bars' positions and the canvas always agree, also when a new range left a position unchanged.
    Pic1->move(HSc->Value(), VSc->Value());
}

// Each step runs even when an earlier one failed.
void MainForm::HScroll1_Change() {
    const CanvasSize size = SizeForValue(HScroll1->Value());
    LabelSize->setText(SizeCaption(size.width, size.height));
    if (Pic1->SetSize(size.width, size.height)) {
        // The grid follows the new size so that plotted dots stay contiguous.
        Check1_Click();
    }
    Pic2->SetScale(size.width, size.height);
    if (fitView_) SetViewScale(FitViewScale(), QPoint());
    else SetViewScale(Pic1->ViewScale(), QPoint());
    Pic1->Clear();
    UpdateProductFrame();
}

// The ranges follow the canvas as shown, so at every view scale the bars reach its far edges.
void MainForm::SetPanRanges() {
    const PanRange horizontal = PanRangeFor(PictureFrame->width(), Pic1->width());
    const PanRange vertical = PanRangeFor(PictureFrame->height(), Pic1->height());
    HSc->SetMax(horizontal.maximum);
    HSc->SetMin(0);
    VSc->SetMax(vertical.maximum);
    VSc->SetMin(0);
    VSc->SetSmallChange(vertical.smallChange);
    HSc->SetSmallChange(horizontal.smallChange);
    VSc->SetLargeChange(vertical.largeChange);
    HSc->SetLargeChange(horizontal.largeChange);
}

void MainForm::Check1_Click() {
    const CanvasGrid grid = GridFor({Pic1->Image().width(), Pic1->Image().height()}, Check1->Value() == 1);
    Pic1->SetScale(grid.width, grid.height);
    Pic1->SetDotWidth(grid.dot);
    UpdateProductFrame();
}

void MainForm::HSc_Change() { Pic1->move(HSc->Value(), Pic1->y()); }

void MainForm::VSc_Change() { Pic1->move(Pic1->x(), VSc->Value()); }

void MainForm::ShowProductFrame(bool on) {
    showProductFrame_ = on;
    UpdateProductFrame();
}

void MainForm::UpdateProductFrame() {
    const QSize canvas = Pic1->Image().size();
    if (!showProductFrame_ || !product_ || canvas.isEmpty() || !(product_->widthMm > 0) || !(product_->heightMm > 0))
        return Pic1->SetProductFrame(std::nullopt);
    const CanvasSize pixels = PixelsForMillimetres(product_->widthMm, product_->heightMm, product_->dpi);
    if (pixels.width <= 0 || pixels.height <= 0) return Pic1->SetProductFrame(std::nullopt);
    const CanvasRect on = PictureOnCanvas({canvas.width(), canvas.height()}, pixels, Check1->Value() == 1);
    const QRectF trim(on.left, on.top, on.width, on.height);
    const double perMm = on.width / product_->widthMm;  // canvas pixels per millimetre of the product
    const double bleed = product_->bleedMm * perMm, safe = kSafeMarginMm * perMm;
    Pic1->SetProductFrame(PictureBox::ProductFrame{trim, trim.adjusted(-bleed, -bleed, bleed, bleed),
                                                   trim.adjusted(safe, safe, -safe, -safe), kCornerRadiusMm * perMm});
}

}  // namespace velmora
