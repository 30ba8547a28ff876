#include <QPainter>

#include "app/MainForm.h"
#include "app/toolkit/FileDrop.h"
#include "app/toolkit/PictureFiles.h"

namespace velmora {

namespace {

// The strip box's pixels as the strip palettes sample them; a pixel the
// dropped picture does not reach reads the box's background colour.
class StripBox final : public StripImage {
public:
    explicit StripBox(const PictureBox& box) : box_(box) {}
    ColorValue PixelAt(int x, int y) const override { return box_.PixelAt(x, y); }

private:
    const PictureBox& box_;
};

}  // namespace

void MainForm::ConnectPaletteHandlers() {
    connect(DefaultPalett, &OptionButton::Click, this, &MainForm::DefaultPalett_Click);
    for (int i = 0; i < 2; ++i)
        connect(palettOption[i], &OptionButton::Click, this, [this, i] { palettOption_Click(i); });
    AcceptFileDrops(gra, [this](const QStringList& paths) { gra_OLEDragDrop(paths); });
}

void MainForm::DefaultPalett_Click() { coltable(ColorTable); }

// Which button is selected decides, not the index: the strip drop relies on it.
void MainForm::palettOption_Click([[maybe_unused]] int index) {
    const StripBox strip(*gra);
    if (palettOption[0]->Value())
        coltableB(ColorTable, strip);
    else
        coltableA(ColorTable, strip);
}

// Any failure leaves the strip and the table as they were, without a message.
void MainForm::gra_OLEDragDrop(const QStringList& paths) {
    if (paths.isEmpty()) return;
    const QImage picture = ReadWholePicture(paths.first());
    if (picture.isNull()) return;
    // Only the top-left of a larger picture shows in the box, so only that is
    // kept; transparent parts show the box's background as its empty part does.
    QImage shown(picture.size().boundedTo(QSize(kStripWidth, kStripHeight)), QImage::Format_RGB32);
    shown.fill(gra->Background());
    QPainter(&shown).drawImage(0, 0, picture);
    gra->SetPicture(shown);
    palettOption_Click(0);
}

}  // namespace velmora
