#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "render/Raster.h"

namespace velmora {

// Encodes the picture as an 8-bit RGB PNG (the pixels' top byte is dropped)
// whose pHYs chunk gives `pixelsPerMetre` (none when 0), handing the bytes to
// `write` as they are made; a write that returns false ends the encoding.
// Returns the encoder's reason on failure, nothing on success.
std::optional<std::string> EncodePng(const PictureRows& rows, std::uint32_t pixelsPerMetre,
                                     const std::function<bool(std::string_view)>& write);

// The same into `bytes`.
std::optional<std::string> EncodePng(const PictureRows& rows, std::uint32_t pixelsPerMetre, std::string& bytes);
inline std::optional<std::string> EncodePng(const Raster& raster, std::uint32_t pixelsPerMetre, std::string& bytes) {
    return EncodePng(RowsOf(raster), pixelsPerMetre, bytes);
}

}  // namespace velmora
