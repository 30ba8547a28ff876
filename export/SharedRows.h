#pragma once
#include <functional>
#include <vector>

#include "render/Raster.h"

namespace velmora {

// Each reader reads the rows of one picture on a thread of its own. The
// picture is read under one lock, and a reader waits before a band of
// `bandHeight` rows while another reader is still in a band above it (a
// reader asking for a band is done with those above), so
// readers going down the picture together find each band drawn once. A
// reader that goes back up (a poster's next page) holds the others until it
// comes down again. Returns when every reader has returned; the first
// exception a reader throws is thrown again.
void ReadTogether(const PictureRows& picture, int bandHeight,
                  const std::vector<std::function<void(const PictureRows&)>>& readers);

}  // namespace velmora
