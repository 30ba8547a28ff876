#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/ColourProfile.h"
#include "render/Raster.h"

namespace velmora {

// Whether a TIFF of this many 8-bit RGB pixels is written as BigTIFF: a
// classic TIFF's offsets end at 4 GB, and the pixels are counted as if they
// did not compress at all.
bool TiffNeedsBigTiff(std::int64_t width, std::int64_t height, int components = 3);

// Encodes the picture as an 8-bit RGB TIFF through libtiff (CMYK where
// `profile` has 4 components: each pixel holds the inks C, M, Y, K as its bytes
// in memory order): Deflate-compressed strips with horizontal prediction,
// written a row at a time (CMYK strips compressed on `threads` threads, 0: one per core); its resolution `dpi` and `profile` recorded; BigTIFF where
// TiffNeedsBigTiff says so. libtiff goes back in its file to finish it, so the
// file is made in an unnamed scratch file and then handed to `write` in
// pieces; a write that returns false ends it. The reason on failure.
std::optional<std::string> EncodeTiff(const PictureRows& rows, double dpi, const ColourProfile& profile, int threads,
                                      const std::function<bool(std::string_view)>& write);

}  // namespace velmora
