#include "app/WindowIcon.h"

#include <QPixmap>

#include "palette/ColorTable.h"
#include "render/CalcBas.h"

namespace velmora {

QImage WindowIconImage(int side) {
    constexpr int kSixteenColours = 4;
    ColorTable table;
    coltable(table);
    QImage image(side, side, QImage::Format_RGB32);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float px = -0.05f + 0.1f * x / side, py = -0.02f + 0.12f * y / side;
            const int count = CalcBas::IterateMap3(0.051f, 1.03f, py, px, 31);
            image.setPixel(x, y, PixelOf(table.column[kSixteenColours][count % 16]));
        }
    }
    return image;
}

QIcon WindowIcon() { return QIcon(QPixmap::fromImage(WindowIconImage(32))); }

}  // namespace velmora
