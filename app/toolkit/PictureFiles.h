#pragma once
#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmora {

// The picture in the file at `path` as the platform's readers decode it. A
// null image when the file is no regular file (a named pipe or a device could
// keep the reader waiting), is no picture, or is cut short.
QImage ReadWholePicture(const QString& path);

// The same for a file's bytes; `format` as QImageReader names it, empty to
// tell it from the bytes.
QImage DecodeWholePicture(const QByteArray& bytes, const QByteArray& format = {});

}  // namespace velmora
