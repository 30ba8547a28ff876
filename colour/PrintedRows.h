#pragma once
#include <memory>
#include <vector>

#include "colour/OutputProfile.h"
#include "render/Raster.h"

namespace velmora {

// The sRGB picture `rows` in the printer's values of `profile` (OutputProfile::Convert), converted row by row
// as they are read: each row's colours are looked up in a memo of the colours met before, and the new ones go
// through the profile together, split over `threads` computing threads (0: one per core) when there are many,
// as in a random picture. A row read stays valid until the next is read.
PictureRows PrintedRows(const PictureRows& rows, std::shared_ptr<const OutputProfile> profile, int threads = 0);

// The colours of a picture (ascending pixels) in the printer's values, in ascending order without repeats.
std::vector<Pixel> PrintedColours(const std::vector<Pixel>& colours, const OutputProfile& profile);

}  // namespace velmora
