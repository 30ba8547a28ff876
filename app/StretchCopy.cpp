#include "app/StretchCopy.h"

#include <QImage>

#include "app/toolkit/PictureBox.h"
#include "render/Thumbnail.h"

namespace velmora {

void stretchCopy(const PictureBox& source, PictureBox& destination) {
    const QImage& picture = source.Image();
    QImage scaled(destination.size(), QImage::Format_RGB32);
    StretchAveraged(reinterpret_cast<const Pixel*>(picture.constBits()), picture.width(), picture.height(),
                    picture.bytesPerLine() / static_cast<std::ptrdiff_t>(sizeof(Pixel)),
                    RasterOf(scaled));
    destination.DrawPixels(scaled, QPoint(0, 0));
    destination.Refresh();
}

}  // namespace velmora
