#include <gtest/gtest.h>

#include <png.h>
#include <zlib.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "formats/Bitmap.h"
#include "formats/ColourProfile.h"
#include "formats/Jpeg.h"
#include "formats/Tiff.h"
#include "palette/ColorTable.h"
#include "render/Patterns.h"
#include "render/Random.h"
#include "export/PictureExport.h"
#include "export/Product.h"
#include "export/SharedRows.h"
#include "files/AtomicFile.h"
#include "formats/PdfWriter.h"
#include "palette/ColorTable.h"
#include "formats/PictureFile.h"
#include "render/PictureParameters.h"
#include "tests/ReadBack.h"
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

// The resolution and the sRGB profile read back by libpng: 600 dpi is 23622 pixels per metre.
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
    png_charp name = nullptr;
    png_bytep profile = nullptr;
    png_uint_32 profileBytes = 0;
    int compression = 0;
    ASSERT_EQ(png_get_iCCP(png, info, &name, &compression, &profile, &profileBytes), PNG_INFO_iCCP);
    EXPECT_STREQ(name, "sRGB IEC61966-2.1");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(profile), profileBytes), velmora::FileColourProfile().icc);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
}

// Cancelled half-way through drawing, or once the picture is drawn and is
// being encoded and written, an export leaves no file of its own and an
// earlier file untouched, in every format.
TEST(PictureExport, CancelledExportLeavesNothing) {
    const std::vector<velmora::ColorValue> palette(256, 0x123456);
    for (const velmora::PictureFormatName& formatName : velmora::kPictureFormats) {
        const velmora::PictureFormat format = formatName.format;
        for (const bool whileEncoding : {false, true}) {
            velmora::testing::TempFolder folder;
            velmora::testing::WriteAll(folder / "old.pic", "earlier");
            for (const char* name : {"new.pic", "old.pic"}) {
                auto job = SmallExport(format, palette);
                // A picture of one band is drawn in the first half of the progress and written in the second.
                job.progress = [&](double done) { return whileEncoding ? done > 0.5 : done >= 0.25; };
                const auto result = velmora::ExportPicture(folder / name, job);
                EXPECT_TRUE(result.cancelled) << static_cast<int>(format) << whileEncoding;
                EXPECT_FALSE(result.error);
            }
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
            EXPECT_EQ(velmora::testing::ReadAll(folder / "old.pic"), "earlier");
        }
    }
}

// One drawing feeds every reader: three readers going down the picture side by side, and the pages of a poster
// that come back to their neighbours' rows, find each of the picture's three bands drawn once.
TEST(PictureExport, EachBandIsDrawnOnceForEveryReaderAndEveryPosterPage) {
    using namespace velmora;
    Product product;
    product.parameters = StartupParameters();
    product.pixels = {1024, 1400};
    product.file.format = PictureFormat::Pdf;
    PrintChoices& choices = product.paper.emplace();
    choices.paper = WholeSheet(*PaperSizeNamed("A4"));
    choices.scale = PrintScale::Actual;
    choices.size = {TwipsFromMm(600), TwipsFromMm(615)};
    ColorTable table;
    coltable(table);
    PictureExport job = DrawingOf(product, table.column[4].data(), nullptr, 0);
    job.bandHeight = 512;
    ASSERT_GE(job.file.pages->rows, 2);
    ASSERT_GE(job.file.pages->columns, 3);

    const auto digest = [](const PictureRows& rows) {
        uLong crc = crc32(0, nullptr, 0);
        for (int y = 0; y < rows.height; ++y)
            crc = crc32(crc, reinterpret_cast<const Bytef*>(rows.row(y)), static_cast<uInt>(rows.width * 4));
        return crc;
    };
    ExportRows alone(job);
    const uLong expected = digest(alone.Rows());
    EXPECT_EQ(alone.BandsDrawn(), 3);

    ExportRows shared(job);
    std::vector<uLong> digests(3);
    std::vector<std::function<void(const PictureRows&)>> readers;
    for (uLong& d : digests) readers.push_back([&d, &digest](const PictureRows& rows) { d = digest(rows); });
    ReadTogether(shared.Rows(), shared.BandHeight(), readers);
    EXPECT_EQ(shared.BandsDrawn(), 3);
    EXPECT_EQ(digests, std::vector<uLong>(3, expected));

    velmora::testing::TempFolder folder;
    const PageLayout& layout = *job.file.pages;
    ExportRows poster(job);
    PdfPieces pieces(poster.Rows(), layout, "poster");
    ASSERT_FALSE(WriteFileAtomically(folder / "poster.pdf", [&] { return pieces.Next(); }));
    EXPECT_EQ(poster.BandsDrawn(), 3);

    // The file holds each pixel once, in tiles the pages share, with a pixel's reach into the next tile: poppler
    // lists every image a page draws with its object number.
    const std::string list = velmora::testing::CommandOutput("pdfimages -list '" + folder / "poster.pdf" + "'");
    std::map<int, long> tileAreas;
    std::istringstream lines(list);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        int page = 0, number = 0, width = 0, height = 0, object = 0;
        std::string type, colour, components, bits, encoding, interpolate;
        if (fields >> page >> number >> type >> width >> height >> colour >> components >> bits >> encoding >>
            interpolate >> object)
            tileAreas[object] = static_cast<long>(width) * height;
    }
    long area = 0;
    for (const auto& [object, pixels] : tileAreas) area += pixels;
    EXPECT_GE(area, 1024L * 1400);
    EXPECT_LT(area, 1024L * 1400 * 101 / 100);

    // Each page looks as the same page holding its part as one image: the tiles meet without a seam. Both drawn
    // by poppler, which smooths a picture pixel's edges by where they fall on the device's pixels: each pixel of
    // the poster's page lies within the colours around it on the page of one image.
    const PrintedPage& middle = layout.pages[static_cast<std::size_t>(layout.columns + 1)];
    PageLayout onePage = layout;
    onePage.pages = {middle};
    ExportRows single(job);
    PdfPieces one(single.Rows(), onePage, "poster");
    ASSERT_FALSE(WriteFileAtomically(folder / "one.pdf", [&] { return one.Next(); }));
    const auto render = [&](const std::string& file, int page) {
        const std::string image = folder / (file + "-page");
        velmora::testing::CommandOutput("pdftoppm -r 216 -aa no -aaVector no -singlefile -f " + std::to_string(page) + " -l " +
                      std::to_string(page) + " '" + folder / file + "' '" + image + "'");
        std::ifstream ppm(image + ".ppm", std::ios::binary);
        std::string magic;
        int width = 0, height = 0, top = 0;
        ppm >> magic >> width >> height >> top;
        ppm.get();
        std::vector<unsigned char> rgb(static_cast<std::size_t>(width) * height * 3);
        ppm.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
        return std::pair{width, rgb};
    };
    const auto [width, tiled] = render("poster.pdf", layout.columns + 2);
    const auto [oneWidth, whole] = render("one.pdf", 1);
    ASSERT_EQ(width, oneWidth);
    ASSERT_EQ(tiled.size(), whole.size());
    ASSERT_GT(tiled.size(), 0u);
    const std::ptrdiff_t height = static_cast<std::ptrdiff_t>(tiled.size() / 3) / width;
    int unmatched = 0;
    for (std::ptrdiff_t y = 0; y < height; ++y)
        for (std::ptrdiff_t x = 0; x < width; ++x)
            for (std::ptrdiff_t channel = 0; channel < 3; ++channel) {
                int least = 255, most = 0;
                for (std::ptrdiff_t ny = std::max<std::ptrdiff_t>(y - 1, 0); ny <= std::min<std::ptrdiff_t>(y + 1, height - 1); ++ny)
                    for (std::ptrdiff_t nx = std::max<std::ptrdiff_t>(x - 1, 0); nx <= std::min<std::ptrdiff_t>(x + 1, width - 1); ++nx) {
                        const int value = whole[static_cast<std::size_t>((ny * width + nx) * 3 + channel)];
                        least = std::min(least, value);
                        most = std::max(most, value);
                    }
                const int value = tiled[static_cast<std::size_t>((y * width + x) * 3 + channel)];
                unmatched += value < least - 8 || value > most + 8;
            }
    EXPECT_EQ(unmatched, 0);
}

namespace {

std::vector<velmora::Pixel> PixelsOf(const velmora::PictureRows& rows) {
    std::vector<velmora::Pixel> pixels;
    for (int y = 0; y < rows.height; ++y) pixels.insert(pixels.end(), rows.row(y), rows.row(y) + rows.width);
    return pixels;
}

}  // namespace

// JPEG and TIFF embed the files' sRGB profile, read back by libjpeg and libtiff; JPEG keeps full-resolution
// colour from quality 90; the TIFF holds the picture's pixels and its resolution.
TEST(PictureExport, JpegAndTiffAreTaggedSrgb) {
    using namespace velmora;
    std::vector<ColorValue> palette(256);
    for (std::size_t n = 0; n < palette.size(); ++n) palette[n] = static_cast<ColorValue>(0x102030 + n * 0x0b0d07);
    velmora::testing::TempFolder folder;
    const std::string& profile = FileColourProfile().icc;
    ASSERT_GT(profile.size(), 128u);
    for (const int quality : {kJpegFullChromaQuality, kJpegFullChromaQuality - 1}) {
        PictureExport job = SmallExport(PictureFormat::Jpeg, palette);
        job.file.quality = quality;
        ASSERT_FALSE(ExportPicture(folder / "a.jpg", job).error);
        const velmora::testing::JpegReadBack read(folder / "a.jpg");
        ASSERT_TRUE(read.Opened());
        EXPECT_EQ(read.icc, profile);
        EXPECT_EQ(read.jpeg.comp_info[0].h_samp_factor, quality >= kJpegFullChromaQuality ? 1 : 2) << quality;
        EXPECT_EQ(read.jpeg.comp_info[0].v_samp_factor, quality >= kJpegFullChromaQuality ? 1 : 2) << quality;
    }

    const PictureExport job = SmallExport(PictureFormat::Tiff, palette);
    ASSERT_FALSE(ExportPicture(folder / "a.tif", job).error);
    TIFF* tiff = TIFFOpen((folder / "a.tif").c_str(), "r");
    ASSERT_TRUE(tiff);
    std::uint32_t width = 0, height = 0, iccBytes = 0;
    std::uint16_t unit = 0, compression = 0;
    float xResolution = 0;
    void* icc = nullptr;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &unit);
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &xResolution);
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &iccBytes, &icc));
    EXPECT_EQ(std::string(static_cast<const char*>(icc), iccBytes), profile);
    EXPECT_EQ(width, 64u);
    EXPECT_EQ(height, 48u);
    EXPECT_EQ(unit, RESUNIT_INCH);
    EXPECT_EQ(xResolution, 600.0f);
    EXPECT_EQ(compression, COMPRESSION_ADOBE_DEFLATE);
    std::vector<std::uint32_t> abgr(64 * 48);
    ASSERT_TRUE(TIFFReadRGBAImageOriented(tiff, 64, 48, abgr.data(), ORIENTATION_TOPLEFT, 0));
    TIFFClose(tiff);
    ExportRows rows(job);
    const std::vector<Pixel> expected = PixelsOf(rows.Rows());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::uint32_t p = abgr[i];
        ASSERT_EQ(0xFF000000u | (p & 0xFF) << 16 | (p & 0xFF00) | (p >> 16 & 0xFF), expected[i]) << i;
    }
    // Offsets past 4 GB need BigTIFF, counted as if nothing compressed.
    EXPECT_FALSE(TiffNeedsBigTiff(36000, 36000));
    EXPECT_TRUE(TiffNeedsBigTiff(37838, 37838));
    EXPECT_TRUE(TiffNeedsBigTiff(65536, 65536));
}

namespace {

// The export of pattern `pattern`'s preset at `pixels`, coloured from `table`'s 16-colour column.
velmora::PictureExport PresetExport(int pattern, velmora::CanvasSize pixels, bool high, const velmora::ColorTable& table,
                                    velmora::UniformSource& random) {
    using namespace velmora;
    PictureParameters parameters = StartupParameters();
    ApplyPattern(parameters, pattern);
    PictureExport job;
    job.pixels = pixels;
    const PictureGrid grid = PictureGridFor(pixels, high);
    job.whole = ReadRenderParams(parameters, grid.grid.width, grid.grid.height, grid.regionHeight);
    job.dot = grid.grid.dot;
    job.colours = {table.column[2].data(), 16, &random, parameters.randomExponent};
    return job;
}

}  // namespace

// Every pattern at a size beyond the series, in both resolutions, is drawn to its last column and row; with a
// bleed of points that do not fill whole dots, the trim holds the same pixels.
TEST(PictureExport, EveryPatternDrawnToItsEdgesAndTheBleedKeepsTheTrim) {
    using namespace velmora;
    ColorTable table;
    coltable(table);
    for (int pattern = 0; pattern < kPatternCount; ++pattern)
        for (const bool high : {false, true}) {
            UniformSource random;
            PictureExport job = PresetExport(pattern, {203, 117}, high, table, random);
            job.threads = 1;
            ExportRows trim(job);
            const std::vector<Pixel> pixels = PixelsOf(trim.Rows());
            bool lastColumnWhite = true, lastRowWhite = true;
            for (int y = 0; y < 117; ++y) lastColumnWhite = lastColumnWhite && pixels[y * 203 + 202] == 0xFFFFFFFFu;
            for (int x = 0; x < 203; ++x) lastRowWhite = lastRowWhite && pixels[116 * 203 + x] == 0xFFFFFFFFu;
            EXPECT_FALSE(lastColumnWhite) << pattern << " " << high;
            EXPECT_FALSE(lastRowWhite) << pattern << " " << high;
            if (job.whole.kernelMode == 6) continue;  // random colours are drawn afresh over the larger area

            job.file.dpi = 254;
            job.file.bleedMm = 0.7;  // 7 pixels
            ExportRows bled(job);
            const PictureRows rows = bled.Rows();
            ASSERT_EQ(rows.width, 217);
            ASSERT_EQ(rows.height, 131);
            for (int y = 0; y < 117; ++y)
                ASSERT_TRUE(std::equal(pixels.begin() + y * 203, pixels.begin() + (y + 1) * 203, rows.row(y + 7) + 7))
                    << pattern << " " << high << " row " << y;
        }
}

// The estimate of every format is within 30 % of the file written, for a fractal picture and random speckle.
TEST(PictureExport, EstimateIsWithinAThirdOfTheFile) {
    using namespace velmora;
    ColorTable table;
    coltable(table);
    velmora::testing::TempFolder folder;
    for (const int pattern : {0, 5})
        for (const PictureFormatName& format : kPictureFormats) {
            UniformSource random;
            PictureExport job = PresetExport(pattern, {1500, 1100}, false, table, random);
            job.file.format = format.format;
            job.file.bleedMm = 3;
            const std::optional<double> estimate = EstimatedFileBytes(job);
            ASSERT_TRUE(estimate);
            random = UniformSource();
            const std::string path = folder / ("e." + std::string(format.extensions[0]));
            ASSERT_FALSE(ExportPicture(path, job).error);
            const double bytes = static_cast<double>(std::filesystem::file_size(path));
            EXPECT_NEAR(*estimate / bytes, 1, 0.3) << format.name << " pattern " << pattern << ": " << *estimate
                                                   << " for " << bytes;
        }
}
