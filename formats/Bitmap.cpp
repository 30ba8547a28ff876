#include "formats/Bitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace velmora {

namespace {

constexpr std::size_t kHeaderBytes = 54;

std::size_t RowBytes(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

void Put16(char* out, std::uint32_t v) {
    out[0] = static_cast<char>(v & 0xFF);
    out[1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(char* out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out + 2, v >> 16);
}

void PutHeader(int width, int height, std::uint32_t pixelsPerMetre, char* out) {
    const auto imageBytes = static_cast<std::uint32_t>(RowBytes(width) * static_cast<std::size_t>(height));
    std::memset(out, 0, kHeaderBytes);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out + 2, kHeaderBytes + imageBytes);
    Put32(out + 10, kHeaderBytes);
    Put32(out + 14, 40);
    Put32(out + 18, static_cast<std::uint32_t>(width));
    Put32(out + 22, static_cast<std::uint32_t>(height));
    Put16(out + 26, 1);
    Put16(out + 28, 24);
    Put32(out + 34, imageBytes);
    Put32(out + 38, pixelsPerMetre);
    Put32(out + 42, pixelsPerMetre);
}

// One raster row as blue, green, red bytes and zero padding. Every pixel but
// the last is stored as a whole 4-byte word whose top byte the next pixel
// overwrites: one store per pixel instead of three.
void PutRow(const Pixel* source, int width, std::size_t rowBytes, char* out) {
    if (width <= 0) return;
    for (int x = 0; x < width - 1; ++x) std::memcpy(out + 3 * static_cast<std::size_t>(x), &source[x], 4);
    char* last = out + 3 * static_cast<std::size_t>(width - 1);
    std::memcpy(last, &source[width - 1], 3);
    std::memset(last + 3, 0, rowBytes - 3 * static_cast<std::size_t>(width));
}

}  // namespace

std::string EncodeBmp24(const Raster& raster, std::uint32_t pixelsPerMetre) {
    const std::size_t rowBytes = RowBytes(raster.width);
    std::string out(kHeaderBytes + rowBytes * static_cast<std::size_t>(raster.height), '\0');
    PutHeader(raster.width, raster.height, pixelsPerMetre, out.data());
    char* row = out.data() + kHeaderBytes;
    for (int y = raster.height - 1; y >= 0; --y, row += rowBytes) PutRow(raster.Row(y), raster.width, rowBytes, row);
    return out;
}

Bmp24Pieces::Bmp24Pieces(PictureRows rows, std::uint32_t pixelsPerMetre)
    : rows_(std::move(rows)), rowBytes_(RowBytes(rows_.width)), pixelsPerMetre_(pixelsPerMetre), nextRow_(rows_.height - 1) {
    // About 256 KB a piece: it stays in the cache between encoding and writing.
    rowsPerPiece_ = static_cast<int>(std::max<std::size_t>(1, (std::size_t{256} << 10) / std::max<std::size_t>(rowBytes_, 1)));
    piece_.resize(std::max(kHeaderBytes, rowBytes_ * static_cast<std::size_t>(std::min(rowsPerPiece_, std::max(rows_.height, 1)))));
}

std::string_view Bmp24Pieces::Next() {
    char* const start = piece_.data();
    if (!headerGiven_) {
        headerGiven_ = true;
        PutHeader(rows_.width, rows_.height, pixelsPerMetre_, start);
        return {start, kHeaderBytes};
    }
    char* row = start;
    int rows = 0;
    for (; rows < rowsPerPiece_ && nextRow_ >= 0; ++rows, --nextRow_, row += rowBytes_)
        PutRow(rows_.row(nextRow_), rows_.width, rowBytes_, row);
    return {start, rowBytes_ * static_cast<std::size_t>(rows)};
}

}  // namespace velmora
