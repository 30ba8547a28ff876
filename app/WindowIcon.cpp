#include "app/WindowIcon.h"

#include <QImage>
#include <QPixmap>

#include "palette/ColorTable.h"
#include "render/CalcBas.h"

namespace velmora {

// A miniature of the first fractal pattern in the default 16-colour palette.
QIcon WindowIcon() {
    constexpr int kSide = 32;
    constexpr int kSixteenColours = 4;
    ColorTable table;
    coltable(table);
    QImage image(kSide, kSide, QImage::Format_RGB32);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const float px = -0.05f + 0.1f * x / kSide, py = -0.02f + 0.12f * y / kSide;
            const int count = CalcBas::IterateMap3(0.051f, 1.03f, py, px, 31);
            image.setPixel(x, y, PixelOf(table.column[kSixteenColours][count % 16]));
        }
    }
    return QIcon(QPixmap::fromImage(image));
}

}  // namespace velmora
