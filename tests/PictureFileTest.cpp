#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/Bitmap.h"
#include "export/PictureExport.h"
#include "formats/PictureFile.h"
#include "render/PictureParameters.h"
#include "tests/TempFolder.h"

using velmora::PictureFileName;
using velmora::PictureFormat;
using velmora::PictureFormatFor;

TEST(PictureFileName, BmpExtensionInAnyCaseIsKept) {
    EXPECT_EQ(PictureFileName("Fractal"), "Fractal.bmp");
    EXPECT_EQ(PictureFileName("a.BMP"), "a.BMP");
    EXPECT_EQ(PictureFileName("a.bMp"), "a.bMp");
    EXPECT_EQ(PictureFileName("a.bmp.txt"), "a.bmp.txt.bmp");
    EXPECT_EQ(PictureFileName("picture.bm"), "picture.bm.bmp");
    EXPECT_EQ(PictureFileName(""), ".bmp");
    EXPECT_EQ(PictureFileName("bmp"), "bmp.bmp");
    EXPECT_EQ(PictureFileName(".bmp"), ".bmp");
    EXPECT_EQ(PictureFileName("絵.BMP"), "絵.BMP");
}

TEST(PictureFormatFor, ExtensionInAnyCaseChoosesTheFormat) {
    EXPECT_EQ(PictureFormatFor("/w/Fractal"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatFor("/w/a.PNG"), PictureFormat::Png);
    EXPECT_EQ(PictureFormatFor("a.Bmp"), PictureFormat::Bmp);
    EXPECT_EQ(PictureFormatFor("a.jpg"), PictureFormat::Jpeg);
    EXPECT_EQ(PictureFormatFor("a.JPEG"), PictureFormat::Jpeg);
    EXPECT_EQ(PictureFormatFor("pad.PDF"), PictureFormat::Pdf);
    EXPECT_EQ(PictureFormatFor("/w/v1.5/Fractal"), PictureFormat::Png);  // a dot in a folder is no extension
    EXPECT_EQ(PictureFormatFor("a.gif"), PictureFormat::None);
    EXPECT_EQ(PictureFormatFor("a.png.txt"), PictureFormat::None);
}

namespace {
std::uint32_t Word(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return v;
}
}  // namespace

// A 2 x 2 picture worked by hand: rows bottom-up as blue, green, red, each
// padded with zeros to 8 bytes (the pixels' top byte never shows).
TEST(Bitmap, BytesOfATinyPicture) {
    velmora::Pixel pixels[] = {0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0};
    const std::string bytes = velmora::EncodeBmp24(velmora::Raster{pixels, 2, 2, 2}, velmora::PixelsPerMetre(300));
    ASSERT_EQ(bytes.size(), 70u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Word(bytes, 2), 70u);
    EXPECT_EQ(Word(bytes, 10), 54u);
    EXPECT_EQ(Word(bytes, 18), 2u);
    EXPECT_EQ(Word(bytes, 22), 2u);
    EXPECT_EQ(Word(bytes, 28), 24u);
    EXPECT_EQ(Word(bytes, 34), 16u);
    EXPECT_EQ(Word(bytes, 38), 11811u);  // 300 / 0.0254 = 11811.02
    EXPECT_EQ(Word(bytes, 42), 11811u);
    EXPECT_EQ(bytes.substr(54), std::string("\x90\x80\x70\xC0\xB0\xA0\0\0\x30\x20\x10\x60\x50\x40\0\0", 16));
}

// Handed out in pieces, a picture larger than one piece (with padded rows and
// a stride wider than the picture) gives the same bytes as encoded at once.
TEST(Bitmap, PiecesMakeTheWholeFile) {
    const int width = 3001, height = 70, stride = 3005;
    std::vector<velmora::Pixel> pixels(static_cast<std::size_t>(stride) * height);
    std::uint32_t state = 1;
    for (auto& p : pixels) p = state = state * 1664525u + 1013904223u;
    const velmora::Raster raster{pixels.data(), width, height, stride};
    velmora::Bmp24Pieces pieces(raster, 3780);
    std::string joined;
    int count = 0;
    for (std::string_view piece = pieces.Next(); !piece.empty(); piece = pieces.Next(), ++count) joined += piece;
    EXPECT_GT(count, 2);
    EXPECT_EQ(joined, velmora::EncodeBmp24(raster, 3780));
}

namespace {

// A small export of pattern 0: 64 x 48 pixels, high resolution.
velmora::PictureExport SmallExport(velmora::PictureFormat format, const std::vector<velmora::ColorValue>& palette) {
    using namespace velmora;
    PictureExport job;
    job.pixels = {64, 48};
    const PictureGrid grid = PictureGridFor(job.pixels, true);
    job.whole = ReadRenderParams(StartupParameters(), grid.grid.width, grid.grid.height, grid.regionHeight);
    job.dot = 1;
    job.colours = {palette.data(), 16, nullptr, 0};
    job.file.format = format;
    job.file.dpi = 600;
    job.threads = 1;
    return job;
}

}  // namespace

// The resolution read back by libpng: 600 dpi is 23622 pixels per metre.
TEST(PictureExport, PngRecordsItsResolution) {
    const std::vector<velmora::ColorValue> palette(256, 0x123456);
    velmora::testing::TempFolder folder;
    const auto result = velmora::ExportPicture(folder / "a.png", SmallExport(velmora::PictureFormat::Png, palette));
    ASSERT_FALSE(result.error) << *result.error;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (folder / "a.png").c_str()));
    EXPECT_EQ(image.width, 64u);
    EXPECT_EQ(image.height, 48u);
    png_image_free(&image);

    FILE* file = std::fopen((folder / "a.png").c_str(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_read_info(png, info);
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    EXPECT_EQ(png_get_pHYs(png, info, &x, &y, &unit), PNG_INFO_pHYs);
    EXPECT_EQ(x, 23622u);
    EXPECT_EQ(y, 23622u);
    EXPECT_EQ(unit, PNG_RESOLUTION_METER);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
}

// Cancelled half-way through drawing, or once the picture is drawn and is
// being encoded and written, an export leaves no file of its own and an
// earlier file untouched, in every format.
TEST(PictureExport, CancelledExportLeavesNothing) {
    const std::vector<velmora::ColorValue> palette(256, 0x123456);
    for (const auto format : {velmora::PictureFormat::Png, velmora::PictureFormat::Bmp, velmora::PictureFormat::Jpeg,
                              velmora::PictureFormat::Pdf}) {
        for (const bool whileEncoding : {false, true}) {
            velmora::testing::TempFolder folder;
            velmora::testing::WriteAll(folder / "old.pic", "earlier");
            for (const char* name : {"new.pic", "old.pic"}) {
                auto job = SmallExport(format, palette);
                // The drawing reports the whole picture done once; any later question comes from encoding.
                int drawnAsked = 0;
                job.progress = [&](double done) {
                    if (!whileEncoding) return done >= 0.5;
                    return done >= 1 && ++drawnAsked > 1;
                };
                const auto result = velmora::ExportPicture(folder / name, job);
                EXPECT_TRUE(result.cancelled) << static_cast<int>(format) << whileEncoding;
                EXPECT_FALSE(result.error);
            }
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
            EXPECT_EQ(velmora::testing::ReadAll(folder / "old.pic"), "earlier");
        }
    }
}
