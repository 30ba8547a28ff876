#include "app/MainForm.h"
#include "canvas/CanvasGeometry.h"

namespace velmora {

// Each step runs even when an earlier one failed.
void MainForm::HScroll1_Change() {
    const CanvasSize size = SizeForValue(HScroll1->Value());
    LabelSize->setText(QString::fromStdString(SizeText(size)));
    if (Pic1->SetSize(size.width, size.height)) {
        // The grid follows the new size so that plotted dots stay contiguous.
        Check1_Click();
    }
    Pic2->SetScale(size.width, size.height);
    const PanRange horizontal = PanRangeFor(PictureFrame->width(), size.width);
    const PanRange vertical = PanRangeFor(PictureFrame->height(), size.height);
    HSc->SetMax(horizontal.maximum);
    HSc->SetMin(0);
    VSc->SetMax(vertical.maximum);
    VSc->SetMin(0);
    VSc->SetSmallChange(vertical.smallChange);
    HSc->SetSmallChange(horizontal.smallChange);
    VSc->SetLargeChange(vertical.largeChange);
    HSc->SetLargeChange(horizontal.largeChange);
    Pic1->Clear();
}

void MainForm::Check1_Click() {
    const CanvasGrid grid = GridFor({Pic1->Image().width(), Pic1->Image().height()}, Check1->Value() == 1);
    Pic1->SetScale(grid.width, grid.height);
    Pic1->SetDotWidth(grid.dot);
}

void MainForm::HSc_Change() { Pic1->move(HSc->Value(), Pic1->y()); }

void MainForm::VSc_Change() { Pic1->move(Pic1->x(), VSc->Value()); }

}  // namespace velmora
