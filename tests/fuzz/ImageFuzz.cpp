// Any bytes dropped as a picture file load as an image or as nothing, never a
// crash or a hang; a loaded image converts to the canvas's pixel format.
#include <QByteArray>
#include <QImage>
#include <cstdint>

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QImage image;
    if (!image.loadFromData(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))))
        return 0;
    FUZZ_CHECK(!image.isNull());
    const QImage canvas = image.convertToFormat(QImage::Format_RGB32);
    FUZZ_CHECK(canvas.size() == image.size());
    (void)canvas.pixel(0, 0);
    (void)canvas.pixel(canvas.width() - 1, canvas.height() - 1);
    return 0;
}
