#pragma once
#include <vector>

#include "common/Colour.h"
#include "tracking/SensorCheck.h"

namespace velmora {

// The colour of each verdict on a drawn map, 0xAARRGGBB.
struct MapColours {
    Pixel tracks, flat, ambiguous;
};

// Opaque colours for a map file: pale green tracks, blue flat, orange ambiguous.
inline constexpr MapColours kMapFileColours{0xFFCDE8C5u, 0xFF3A6FD8u, 0xFFF09A28u};
// Tints laid over the picture: what tracks stays clear.
inline constexpr MapColours kMapTintColours{0x00000000u, 0x903A6FD8u, 0x90F09A28u};

// The map over a picture of pictureWidth x pictureHeight pixels, drawn width x height pixels large: every pixel
// takes the verdict of the frame whose centre lies nearest, so each frame covers the cell around it.
std::vector<Pixel> DrawTrackingMap(const TrackingResult& result, int pictureWidth, int pictureHeight, int width,
                                   int height, const MapColours& colours);

}  // namespace velmora
