#pragma once
#include "render/Raster.h"
#include "render/RenderWalk.h"

namespace velmora {

class UniformSource;

// A whole random picture (kernel mode 6 in copy mode on a white canvas of
// width x height pixels, `dot` pixels per point) row by row, without painting
// a canvas: the pass and position of a pixel's point fix where its three
// numbers lie in the sequence the walk draws, and along a row those positions
// advance by a fixed step, so every row is computed on its own, a band of rows
// at a time on `threads` threads (0: one per core). The colours are those the
// walk paints; `source` moves on past the whole render's numbers at once.
// Rows are computed kSpeckleBandRows at a time.
inline constexpr int kSpeckleBandRows = 32;
PictureRows SpeckleRows(const RenderParams& params, int width, int height, int dot, UniformSource& source,
                        float exponent, int threads);

}  // namespace velmora
