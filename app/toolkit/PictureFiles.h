#pragma once
#include <cstddef>

#include <QByteArray>
#include <QImage>
#include <QString>

namespace velmora {

// The largest picture file a drop reads: the largest canvas as an uncompressed
// 32-bit bitmap is 190 MB, so this leaves room for formats that store less well.
inline constexpr std::size_t kPictureFileLimit = std::size_t{512} << 20;

// The memory a decoded picture may take, in MiB: room for the largest canvas
// (8192 x 5792 in 32 bits, 190 MB), so a saved picture of any size drops back.
// Larger pictures are refused.
inline constexpr int kDecodedPictureLimitMiB = 256;

// The picture in the file at `path` as the platform's readers decode it. A
// null image when the file is no regular file (a named pipe or a device could
// keep the reader waiting), is larger than kPictureFileLimit, is no picture,
// is cut short, would take more than kDecodedPictureLimitMiB decoded, or does
// not fit in memory.
QImage ReadWholePicture(const QString& path);

// The same for a file's bytes, its format told from them.
QImage DecodeWholePicture(const QByteArray& bytes);

}  // namespace velmora
