#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "render/Raster.h"

namespace velmora {

// Whether a TIFF of this many 8-bit RGB pixels is written as BigTIFF: a
// classic TIFF's offsets end at 4 GB, and the pixels are counted as if they
// did not compress at all.
bool TiffNeedsBigTiff(std::int64_t width, std::int64_t height);

// Encodes the picture as an 8-bit RGB TIFF through libtiff: Deflate-compressed
// strips with horizontal prediction, written a row at a time; its resolution
// `dpi` and the files' colour profile recorded; BigTIFF where
// TiffNeedsBigTiff says so. libtiff goes back in its file to finish it, so the
// file is made in an unnamed scratch file and then handed to `write` in
// pieces; a write that returns false ends it. The reason on failure.
std::optional<std::string> EncodeTiff(const PictureRows& rows, double dpi,
                                      const std::function<bool(std::string_view)>& write);

}  // namespace velmora
