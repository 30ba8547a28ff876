#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "render/Raster.h"

namespace velmora {

// The bytes of a 24-bit Windows bitmap (bottom-up rows padded to 4 bytes)
// whose header gives `pixelsPerMetre` in both directions.
std::string EncodeBmp24(const Raster& raster, std::uint32_t pixelsPerMetre);

// The same bytes as EncodeBmp24, handed out a few rows at a time so a writer
// never holds the whole file: each piece stays valid until the next call, and
// an empty piece ends the file. The picture must outlive this object.
class Bmp24Pieces {
public:
    Bmp24Pieces(const Raster& raster, std::uint32_t pixelsPerMetre) : Bmp24Pieces(RowsOf(raster), pixelsPerMetre) {}
    Bmp24Pieces(PictureRows rows, std::uint32_t pixelsPerMetre);
    std::string_view Next();

private:
    PictureRows rows_;
    std::size_t rowBytes_;
    int rowsPerPiece_;
    std::uint32_t pixelsPerMetre_;
    int nextRow_;  // the next raster row to encode, counting down; -1 when done
    bool headerGiven_ = false;
    std::vector<char> piece_;
};

}  // namespace velmora
