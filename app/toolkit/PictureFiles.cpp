#include "app/toolkit/PictureFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include "output/PictureFile.h"

namespace velmora {

QImage ReadWholePicture(const QString& path) {
    if (!QFileInfo(path).isFile()) return {};
    // The header tells a picture before the whole file is read.
    QByteArray format;
    {
        QImageReader probe(path);
        if (!probe.canRead()) return {};
        format = probe.format();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return DecodeWholePicture(file.readAll(), format);
}

// Checked and decoded from the same bytes, so a file that grows meanwhile
// cannot pass the check and then be read cut short.
QImage DecodeWholePicture(const QByteArray& bytes, const QByteArray& format) {
    if (!PictureDataComplete(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, format).read();
}

}  // namespace velmora
