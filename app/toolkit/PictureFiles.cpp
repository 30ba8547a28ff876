#include "app/toolkit/PictureFiles.h"

#include <new>

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include "files/FileRead.h"
#include "formats/PictureFile.h"

namespace velmora {

QImage ReadWholePicture(const QString& path) {
    try {
        const FileBytes file =
            ReadRegularFile(QFile::encodeName(path).toStdString(), kPictureFileLimit, Oversize::Refuse);
        if (file.failure || !file.whole) return {};
        // Decoded in place: a copy would double the memory a large picture takes.
        return DecodeWholePicture(
            QByteArray::fromRawData(file.bytes.data(), static_cast<qsizetype>(file.bytes.size())));
    } catch (const std::bad_alloc&) {  // a picture that does not fit in memory is refused like any other
        return {};
    }
}

// Checked and decoded from the same bytes, so a file that grows meanwhile
// cannot pass the check and then be read cut short.
QImage DecodeWholePicture(const QByteArray& bytes) {
    if (!PictureDataComplete(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    // The platform's default limit is below the largest canvas.
    QImageReader::setAllocationLimit(kDecodedPictureLimitMiB);
    return QImageReader(&buffer).read();
}

}  // namespace velmora
