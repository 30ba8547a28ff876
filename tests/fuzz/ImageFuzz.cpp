// Any bytes dropped as a picture file load as an image or as nothing, never a
// crash or a hang; a loaded image can be stretched over the canvas and laid
// into the palette strip as the drops do.
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <cstdint>

#include "FuzzCheck.h"
#include "app/toolkit/PictureFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QImage picture = velmora::DecodeWholePicture(bytes);
    if (picture.isNull()) return 0;
    FUZZ_CHECK(picture.width() > 0 && picture.height() > 0);

    QImage canvas(64, 45, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter(&canvas).drawImage(QRectF(0, 0, canvas.width(), canvas.height()), picture);

    QImage strip(picture.size().boundedTo(QSize(256, 8)), QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter(&strip).drawImage(0, 0, picture);
    FUZZ_CHECK(strip.width() <= 256 && strip.height() <= 8);
    return 0;
}
