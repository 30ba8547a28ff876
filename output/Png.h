#pragma once
#include <optional>
#include <string>

#include "render/Raster.h"

namespace velmora {

// Encodes the raster as an 8-bit RGB PNG (the pixels' top byte is dropped)
// into `bytes`; returns the encoder's reason on failure, nothing on success.
std::optional<std::string> EncodePng(const PictureRows& rows, std::string& bytes);
inline std::optional<std::string> EncodePng(const Raster& raster, std::string& bytes) {
    return EncodePng(RowsOf(raster), bytes);
}

}  // namespace velmora
