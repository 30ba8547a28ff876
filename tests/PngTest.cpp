#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formats/Deflate.h"
#include "formats/Png.h"

using namespace velmora;

namespace {

struct Decoded {
    int width = 0, height = 0, colourType = -1;
    std::vector<Pixel> pixels;  // 0xFFRRGGBB
    bool hasPhys = false;
    png_uint_32 physX = 0, physY = 0;
    int paletteSize = 0;
};

// Decodes with libpng, expanding a palette to RGB.
Decoded DecodeWithLibpng(const std::string& bytes) {
    Decoded d;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return Decoded{};
    }
    struct Source {
        const std::string* bytes;
        std::size_t at;
    } source{&bytes, 0};
    png_set_read_fn(png, &source, [](png_structp p, png_bytep out, png_size_t n) {
        auto* s = static_cast<Source*>(png_get_io_ptr(p));
        if (s->at + n > s->bytes->size()) png_error(p, "short");
        std::memcpy(out, s->bytes->data() + s->at, n);
        s->at += n;
    });
    png_read_info(png, info);
    d.width = static_cast<int>(png_get_image_width(png, info));
    d.height = static_cast<int>(png_get_image_height(png, info));
    d.colourType = png_get_color_type(png, info);
    int unit = 0;
    d.hasPhys = png_get_pHYs(png, info, &d.physX, &d.physY, &unit) != 0 && unit == PNG_RESOLUTION_METER;
    png_colorp palette = nullptr;
    png_get_PLTE(png, info, &palette, &d.paletteSize);
    png_set_palette_to_rgb(png);
    png_read_update_info(png, info);
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    for (int y = 0; y < d.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int x = 0; x < d.width; ++x)
            d.pixels.push_back(0xFF000000u | Pixel(row[3 * x]) << 16 | Pixel(row[3 * x + 1]) << 8 | row[3 * x + 2]);
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return d;
}

std::string Inflate(const std::string& raw) {
    z_stream z{};
    inflateInit2(&z, -15);
    std::string out(1 << 24, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(raw.data()));
    z.avail_in = static_cast<uInt>(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    out.resize(result == Z_STREAM_END && z.avail_in == 0 ? z.total_out : 0);
    inflateEnd(&z);
    return result == Z_STREAM_END ? out : "not a whole stream";
}

// Few colours in bands and blocks, or noise with many.
std::vector<Pixel> Picture(int width, int height, int colours) {
    std::vector<Pixel> pixels(static_cast<std::size_t>(width) * height);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y) * width + x] =
                colours > 256 ? 0xFF000000u | (random() & 0xFFFFFF)
                              : 0xFF000000u | static_cast<Pixel>(((x / 7 + y / 5) % colours) * 0x010305u);
    return pixels;
}

}  // namespace

TEST(PngFile, LibpngReadsThePictureIndexedOrRgbWhateverItsShape) {
    struct Shape {
        int width, height, colours;
    };
    // 1200 x 900 indexed and 700 x 600 RGB take more than one compressed piece.
    for (const Shape s : {Shape{1, 1, 1}, Shape{300, 1, 17}, Shape{1, 300, 17}, Shape{1200, 900, 256}, Shape{20, 20, 1000},
                          Shape{1, 400, 1000}, Shape{400, 1, 1000}, Shape{700, 600, 1000}}) {
        std::vector<Pixel> pixels = Picture(s.width, s.height, s.colours);
        const Raster raster{pixels.data(), s.width, s.height, s.width};
        const std::string bytes = EncodePng(raster);
        const Decoded d = DecodeWithLibpng(bytes);
        EXPECT_EQ(d.colourType, s.colours <= 256 ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB) << s.width << "x" << s.height;
        EXPECT_EQ(d.paletteSize, s.colours <= 256 ? s.colours : 0);
        EXPECT_EQ(d.width, s.width);
        EXPECT_EQ(d.height, s.height);
        EXPECT_TRUE(d.pixels == pixels) << s.width << "x" << s.height;
        EXPECT_FALSE(d.hasPhys);
    }
}

TEST(PngFile, PaletteResolutionThreadsAndForeignColours) {
    std::vector<Pixel> pixels = Picture(640, 480, 40);
    pixels[5] &= 0x00FFFFFF;  // the top byte is not part of the colour
    const PictureRows rows = RowsOf(Raster{pixels.data(), 640, 480, 640});
    const auto colours = PictureColours(rows);
    ASSERT_TRUE(colours);
    EXPECT_EQ(colours->size(), 40u);
    EXPECT_TRUE(std::is_sorted(colours->begin(), colours->end()));

    const Decoded d = DecodeWithLibpng(EncodePng(rows, 11811));  // 300 per inch
    EXPECT_TRUE(d.hasPhys);
    EXPECT_EQ(d.physX, 11811u);
    EXPECT_EQ(d.physY, 11811u);

    // Every thread count writes the same file.
    std::string files[2];
    for (const int threads : {1, 3}) {
        PngPieces pieces(rows, PngLayout{*colours, 0, threads});
        for (std::string_view piece = pieces.Next(); !piece.empty(); piece = pieces.Next()) files[threads / 2] += piece;
    }
    EXPECT_EQ(files[0], files[1]);

    // A colour missing from the palette it was given is refused, not written wrong.
    PngPieces missing(rows, PngLayout{std::vector<Pixel>(colours->begin() + 1, colours->end()), 0, 2});
    EXPECT_THROW(
        for (std::string_view piece = missing.Next(); !piece.empty(); piece = missing.Next()) {}, std::runtime_error);
    EXPECT_EQ(PictureColours(RowsOf(Raster{Picture(20, 20, 1000).data(), 20, 20, 20})), std::nullopt);
}

TEST(PngFile, LiteralPiecesJoinIntoOneStreamZlibReads) {
    std::vector<std::string> parts;
    parts.push_back(std::string(1000, '\0'));  // one symbol
    parts.push_back("");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    parts.push_back(all);
    // Fibonacci counts make a Huffman code deeper than 15 bits, which must be cut down.
    std::string skewed;
    for (int symbol = 0, a = 1, b = 1; symbol < 27; ++symbol, std::swap(a, b), b += a) skewed.append(a, static_cast<char>(symbol));
    parts.push_back(skewed);
    std::string stream, expected;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string part(DeflateLiteralsBound(parts[i].size()), '\0');
        part.resize(DeflateLiterals(reinterpret_cast<const std::uint8_t*>(parts[i].data()), parts[i].size(),
                                    i + 1 == parts.size(), part.data()));
        stream += part;
        expected += parts[i];
    }
    EXPECT_EQ(Inflate(stream), expected);
}
