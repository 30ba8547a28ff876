#include "output/Bitmap.h"

#include <cstdint>

#include "common/HugePages.h"

namespace velmora {

namespace {
void Put16(std::string& out, std::uint32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
}  // namespace

std::string EncodeBmp24(const Raster& raster) {
    const std::uint32_t rowBytes = (static_cast<std::uint32_t>(raster.width) * 3 + 3) & ~3u;
    const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(raster.height);
    std::string out;
    out.reserve(54 + imageBytes);
    AdviseHugePages(out.data(), out.capacity());
    out += "BM";
    Put32(out, 54 + imageBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, static_cast<std::uint32_t>(raster.width));
    Put32(out, static_cast<std::uint32_t>(raster.height));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, imageBytes);
    Put32(out, 3780);  // 96 dots per inch
    Put32(out, 3780);
    Put32(out, 0);
    Put32(out, 0);
    // Rows are written into the sized buffer directly: the largest canvas
    // makes a 142 MB file.
    const std::size_t header = out.size();
    out.resize(header + imageBytes, '\0');
    char* row = out.data() + header;
    for (int y = raster.height - 1; y >= 0; --y, row += rowBytes) {
        const Pixel* source = raster.Row(y);
        for (int x = 0; x < raster.width; ++x) {
            row[3 * x] = static_cast<char>(source[x] & 0xFF);
            row[3 * x + 1] = static_cast<char>((source[x] >> 8) & 0xFF);
            row[3 * x + 2] = static_cast<char>((source[x] >> 16) & 0xFF);
        }
    }
    return out;
}

}  // namespace velmora
