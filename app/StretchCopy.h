#pragma once

namespace velmora {

class PictureBox;

// Copies the whole image of `source` into `destination`, scaled with area
// averaging to the destination's outer size (so a bordered destination loses
// its last row and column under the border), and shows it.
void stretchCopy(const PictureBox& source, PictureBox& destination);

}  // namespace velmora
