#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The file a picture saved under the name box's text goes to: the text itself
// when it ends in ".bmp" in any case, otherwise the text with ".bmp" appended.
std::string PictureFileName(const std::string& text);

enum class PictureFormat { None, Png, Bmp, Jpeg, Pdf };

// The format a picture saved as `path` is written in, by the extension of its
// file name in any case: PNG for ".png" and for a name without extension, BMP
// for ".bmp", JPEG for ".jpg" and ".jpeg", PDF for ".pdf"; None for any other
// extension.
PictureFormat PictureFormatFor(const std::string& path);

// Whether a picture file's bytes hold all of its picture: the rows of a bitmap
// (or its run-length data up to the end mark), the first picture of a GIF up
// to its last data block, a JPEG's scans up to the end-of-image marker, a
// PNG's chunks up to IEND. A reader given a file cut short fills the missing
// part with whatever memory held. Other formats are left to their readers.
// The resolution a picture file records where the user chose none.
inline constexpr double kDefaultDpi = 300;

// Dots per inch as pixels per metre, rounded: 300 dpi is 11811.
std::uint32_t PixelsPerMetre(double dpi);

bool PictureDataComplete(std::string_view bytes);

}  // namespace velmora
