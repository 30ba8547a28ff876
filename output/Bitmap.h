#pragma once
#include <string>

#include "render/Raster.h"

namespace velmora {

// The bytes of a 24-bit Windows bitmap (bottom-up rows padded to 4 bytes).
std::string EncodeBmp24(const Raster& raster);

}  // namespace velmora
