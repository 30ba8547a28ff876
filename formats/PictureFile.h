#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

// The file a picture saved under the name box's text goes to: the text itself
// when it ends in ".bmp" in any case, otherwise the text with ".bmp" appended.
std::string PictureFileName(const std::string& text);

enum class PictureFormat { None, Png, Bmp, Jpeg, Pdf, Tiff };

// A picture format the program writes: its name and the extensions of its file names.
struct PictureFormatName {
    PictureFormat format;
    std::string_view name;
    std::array<std::string_view, 2> extensions;  // without the dot; an empty one is none
};

inline constexpr std::array<PictureFormatName, 5> kPictureFormats = {{
    {PictureFormat::Png, "PNG", {"png", ""}},
    {PictureFormat::Bmp, "BMP", {"bmp", ""}},
    {PictureFormat::Jpeg, "JPEG", {"jpg", "jpeg"}},
    {PictureFormat::Pdf, "PDF", {"pdf", ""}},
    {PictureFormat::Tiff, "TIFF", {"tif", "tiff"}},
}};

// The format whose extension the file name of `path` has, in any case; None
// for a name without extension or with another one.
PictureFormat PictureFormatOfExtension(const std::string& path);

// The format a picture saved as `path` is written in: by its extension, and
// PNG for a name without extension.
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
