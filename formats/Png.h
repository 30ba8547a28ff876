#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ColourProfile.h"
#include "render/Raster.h"

namespace velmora {

// How a picture is written as PNG.
struct PngLayout {
    // Exactly the picture's colours, at most 256, in the order of PictureColours:
    // an indexed PNG; empty: 8-bit RGB.
    std::vector<Pixel> palette;
    std::uint32_t pixelsPerMetre = 0;  // written as the physical pixel size when not 0
    int threads = 0;                   // compressing threads, at most 64; 0: one per core
    const ColourProfile* profile = nullptr;  // the RGB profile embedded; the files' sRGB one when null
};

// The distinct colours of a picture in ascending order (the pixels' top byte
// is ignored), or nothing when it has more than 256: what makes a picture's
// PNG the same file whoever writes it. Stops reading at the 257th colour.
std::optional<std::vector<Pixel>> PictureColours(const PictureRows& rows);

// A PNG file handed out a piece at a time, as WriteFileAtomically takes it;
// each piece stays valid until the next call and an empty piece ends the file.
// Rows are read once, in order, on the calling thread; pieces of rows are
// filtered and compressed on all threads at once as independent parts of one
// zlib stream (each ends on a byte boundary and starts with an empty
// dictionary), and at most a few pieces are held at a time, never the whole
// picture. Next throws std::runtime_error when a pixel is not in the palette
// or the compressor fails. The rows must outlive this object.
class PngPieces {
public:
    PngPieces(PictureRows rows, PngLayout layout);
    ~PngPieces();
    PngPieces(const PngPieces&) = delete;
    PngPieces& operator=(const PngPieces&) = delete;
    std::string_view Next();

private:
    class Encoder;
    std::unique_ptr<Encoder> encoder_;
};

// The whole file at once: the palette is the picture's own when it has at most
// 256 colours.
std::string EncodePng(const PictureRows& rows, std::uint32_t pixelsPerMetre = 0);
inline std::string EncodePng(const Raster& raster) { return EncodePng(RowsOf(raster)); }

}  // namespace velmora
