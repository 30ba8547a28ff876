#include "app/MainForm.h"
#include "app/toolkit/TextNumbers.h"
#include "region/RegionNav.h"

namespace velmora {

void MainForm::ConnectRegionHandlers() {
    for (int i = 0; i < 2; ++i)
        connect(CommandZoom[i], &QPushButton::clicked, this, [this, i] { CommandZoom_Click(i); });
    for (int i = 0; i < 4; ++i)
        connect(Commandpos[i], &QPushButton::clicked, this, [this, i] { Commandpos_Click(i); });
    connect(Pic1, &PictureBox::KeyDown, this, &MainForm::Pic1_KeyDown);
    connect(PictureFrame, &PictureBox::KeyDown, this, &MainForm::PictureFrame_KeyDown);
}

// Only the texts change; the picture stays until the next Start. A result
// beyond the range of a double is refused and the boxes keep their texts.
void MainForm::CommandZoom_Click(int index) {
    Region region{};
    region.x1 = NumberIn(*XL);
    region.x0 = NumberIn(*XH);
    region.y1 = NumberIn(*YL);
    region.y0 = NumberIn(*YH);
    const std::optional<Region> zoomed = ZoomRegion(region, index);
    if (!zoomed) return;
    SetNumberText(*XH, zoomed->x0);
    SetNumberText(*XL, zoomed->x1);
    SetNumberText(*YH, zoomed->y0);
    SetNumberText(*YL, zoomed->y1);
}

// Each move reads and writes only the two boxes of its own axis.
void MainForm::Commandpos_Click(int index) {
    const bool horizontal = index == 0 || index == 1;
    QLineEdit* const first = horizontal ? XH : YH;
    QLineEdit* const second = horizontal ? XL : YL;
    const double a = NumberIn(*first);
    const double b = NumberIn(*second);
    const Region region = horizontal ? Region{a, b, 0, 0} : Region{0, 0, a, b};
    const std::optional<Region> moved = MoveRegion(region, index);
    if (!moved) return;
    SetNumberText(*first, horizontal ? moved->x0 : moved->y0);
    SetNumberText(*second, horizontal ? moved->x1 : moved->y1);
}

void MainForm::Pic1_KeyDown(int keyCode, int shift) { PictureFrame_KeyDown(keyCode, shift); }

// The arrow keys step a pan bar by its large change; the modifiers do not matter.
void MainForm::PictureFrame_KeyDown(int keyCode, [[maybe_unused]] int shift) {
    ScrollBar* bar = nullptr;
    switch (static_cast<ArrowKey>(keyCode)) {
        case ArrowKey::Up:
        case ArrowKey::Down: bar = VSc; break;
        case ArrowKey::Left:
        case ArrowKey::Right: bar = HSc; break;
        default: return;
    }
    bar->SetValue(
        PanKeyPosition(static_cast<ArrowKey>(keyCode), bar->Value(), bar->Min(), bar->Max(), bar->LargeChange()));
}

}  // namespace velmora
