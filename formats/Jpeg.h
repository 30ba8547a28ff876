#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "formats/ColourProfile.h"
#include "render/Raster.h"

namespace velmora {

// The largest side a JPEG file can hold.
inline constexpr int kJpegSideMax = 65535;

// From this quality on, colour is kept at full resolution (4:4:4); below it,
// halved both ways (4:2:0).
inline constexpr int kJpegFullChromaQuality = 90;

// Encodes the picture as a baseline JPEG of `quality` (1 to 100) whose JFIF
// header gives `dotsPerInch` (1 to 65535) and which embeds `profile`. With a
// CMYK profile (4 components) each pixel holds the inks C, M, Y, K as its bytes
// in memory order; they are stored inverted under an Adobe marker, as the
// readers of CMYK JPEG files expect, and without the JFIF header, which only
// describes YCbCr and grey. The encoder hands the bytes to `write` as
// they are made; a write that returns false ends the encoding. Returns the
// encoder's reason on failure, nothing on success.
std::optional<std::string> EncodeJpeg(const PictureRows& rows, int quality, int dotsPerInch,
                                      const ColourProfile& profile,
                                      const std::function<bool(std::string_view)>& write);

}  // namespace velmora
