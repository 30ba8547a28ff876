#include <gtest/gtest.h>
#include <jpeglib.h>
#include <tiffio.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "colour/GamutFigure.h"
#include "colour/OutputProfile.h"
#include "colour/PrintedRows.h"
#include "colour/SoftProof.h"
#include "export/PictureExport.h"
#include "render/PictureParameters.h"
#include "tests/ReadBack.h"
#include "tests/TempFolder.h"

namespace {

using namespace velmora;

constexpr const char* kCmykPath = "/usr/share/color/icc/ghostscript/default_cmyk.icc";

std::shared_ptr<const OutputProfile> CmykProfile(RenderingIntent intent = RenderingIntent::Relative) {
    auto loaded = OutputProfile::Load(kCmykPath, intent);
    if (auto* error = std::get_if<std::string>(&loaded)) ADD_FAILURE() << *error;
    return std::get<std::shared_ptr<const OutputProfile>>(loaded);
}

#define SKIP_WITHOUT_CMYK_PROFILE() \
    if (!std::filesystem::exists(kCmykPath)) GTEST_SKIP() << "no " << kCmykPath << " (Debian: libgs-common)"

// A 40 x 24 export of pattern 0 whose colours are `colours` in turn.
PictureExport ExportThrough(PictureFormat format, const std::vector<ColorValue>& colours,
                            std::shared_ptr<const OutputProfile> profile) {
    PictureExport job;
    job.pixels = {40, 24};
    const PictureGrid grid = PictureGridFor(job.pixels, true);
    job.whole = ReadRenderParams(StartupParameters(), grid.grid.width, grid.grid.height, grid.regionHeight);
    job.dot = 1;
    job.colours = {colours.data(), static_cast<int>(colours.size()), nullptr, 0};
    job.file.format = format;
    job.file.profile = std::move(profile);
    job.threads = 2;
    return job;
}

std::string FileText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

}  // namespace

// A pure sRGB blue lies far outside a press's gamut, a mid grey inside it in both intents; the figure counts
// the surface by its colours, and unreadable or unfit files are refused with a reason.
TEST(PrintColours, BlueOutOfGamutGreyInAndTheFigure) {
    SKIP_WITHOUT_CMYK_PROFILE();
    for (const RenderingIntent intent : {RenderingIntent::Relative, RenderingIntent::Perceptual}) {
        const auto profile = CmykProfile(intent);
        EXPECT_TRUE(profile->Cmyk());
        const Pixel colours[] = {0xFF0000FFu, 0xFF808080u};
        double shift[2];
        profile->Shift(colours, shift, 2);
        EXPECT_GT(shift[0], kNoticeableShift) << NameOf(intent);
        EXPECT_LT(shift[1], kNoticeableShift) << NameOf(intent);
        const GamutFigure figure = GamutFigureOf(*profile, {{colours[0], 1}, {colours[1], 3}});
        EXPECT_DOUBLE_EQ(figure.duller, 0.25);
        EXPECT_DOUBLE_EQ(figure.largest, shift[0]);
    }
    // On the screen the blue is marked by black and white 2 x 2 squares that swap as they blink; the grey stays.
    SoftProof proof(CmykProfile());
    const Pixel row[] = {0xFF0000FFu, 0xFF0000FFu, 0xFF0000FFu, 0xFF808080u};
    Pixel shown[4], blinked[4], printed[4];
    proof.Apply(row, shown, 4, 1, 0, {false, true, false});
    proof.Apply(row, blinked, 4, 1, 0, {false, true, true});
    proof.Apply(row, printed, 4, 1, 0, {true, false, false});
    EXPECT_EQ(std::vector<Pixel>(shown, shown + 4), (std::vector<Pixel>{0xFFFFFFFFu, 0xFF000000u, 0xFF000000u, 0xFF808080u}));
    EXPECT_EQ(std::vector<Pixel>(blinked, blinked + 3), (std::vector<Pixel>{0xFF000000u, 0xFFFFFFFFu, 0xFFFFFFFFu}));
    EXPECT_NE(printed[0], row[0]);
    EXPECT_EQ(printed[0], printed[1]);

    EXPECT_EQ(GamutLine({0.4567, 23.04}),
              "45.7 % of the surface will print noticeably duller (\u0394E2000 > 5; largest shift 23.0)");
    EXPECT_EQ(HistogramStep(1024, 1024), 1);
    EXPECT_EQ(HistogramStep(4096, 1024), 2);

    velmora::testing::TempFolder folder;
    std::ofstream(folder / "text.icc") << "not a profile";
    for (const std::string& path : {folder / "missing.icc", folder / "text.icc",
                                     std::string("/usr/share/color/icc/ghostscript/lab.icc")})
        EXPECT_TRUE(std::holds_alternative<std::string>(OutputProfile::Load(path, RenderingIntent::Relative))) << path;
}

// Through a CMYK profile the TIFF holds the inks the profile gives each colour (read back by libtiff with the
// profile embedded), the JPEG the same inks under the Adobe marker, inverted as its readers expect, and the
// PDF an ICC-based image of four components whose profile is the output intent. PNG and BMP are refused and
// leave no file, and an older file as it was.
TEST(PrintColours, CmykTiffJpegAndPdfHoldTheInksAndTheProfile) {
    SKIP_WITHOUT_CMYK_PROFILE();
    const auto profile = CmykProfile();
    const std::string& icc = profile->File().icc;
    velmora::testing::TempFolder folder;
    const std::vector<ColorValue> palette{0x2040E0, 0x10C0F0, 0x808080, 0xF00080};

    const PictureExport tiffJob = ExportThrough(PictureFormat::Tiff, palette, profile);
    ASSERT_FALSE(ExportPicture(folder / "a.tif", tiffJob).error);
    TIFF* tiff = TIFFOpen((folder / "a.tif").c_str(), "r");
    ASSERT_TRUE(tiff);
    std::uint16_t samples = 0, photometric = 0;
    std::uint32_t iccBytes = 0;
    void* embedded = nullptr;
    TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    EXPECT_EQ(samples, 4);
    EXPECT_EQ(photometric, PHOTOMETRIC_SEPARATED);
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_ICCPROFILE, &iccBytes, &embedded));
    EXPECT_EQ(std::string(static_cast<const char*>(embedded), iccBytes), icc);
    ExportRows drawn(ExportThrough(PictureFormat::Tiff, palette, nullptr));
    std::vector<std::uint32_t> read(40), expected(40);
    for (int y = 0; y < 24; ++y) {
        ASSERT_EQ(TIFFReadScanline(tiff, read.data(), static_cast<std::uint32_t>(y), 0), 1);
        profile->Convert(drawn.Rows().row(y), expected.data(), expected.size());
        ASSERT_EQ(read, expected) << y;
    }
    TIFFClose(tiff);

    // One colour all over: the JPEG's blocks keep it within a step or two.
    const std::vector<ColorValue> flat(4, 0x2040E0);
    ASSERT_FALSE(ExportPicture(folder / "a.jpg", ExportThrough(PictureFormat::Jpeg, flat, profile)).error);
    velmora::testing::JpegReadBack jpegFile(folder / "a.jpg");
    ASSERT_TRUE(jpegFile.Opened());
    jpeg_decompress_struct& jpeg = jpegFile.jpeg;
    EXPECT_EQ(jpegFile.icc, icc);
    EXPECT_EQ(jpeg.num_components, 4);
    EXPECT_TRUE(jpeg.saw_Adobe_marker);
    EXPECT_EQ(jpeg.out_color_space, JCS_CMYK);
    jpeg_start_decompress(&jpeg);
    std::vector<JSAMPLE> line(40 * 4);
    JSAMPROW row = line.data();
    const Pixel colour = PixelOf(flat[0]);
    std::uint32_t inks = 0;
    profile->Convert(&colour, &inks, 1);
    while (jpeg.output_scanline < jpeg.output_height) {
        jpeg_read_scanlines(&jpeg, &row, 1);
        for (int i = 0; i < 40 * 4; ++i)
            ASSERT_NEAR(255 - line[i], static_cast<int>(inks >> (8 * (i % 4)) & 0xFF), 2) << i;
    }
    jpeg_finish_decompress(&jpeg);

    PictureExport pdfJob = ExportThrough(PictureFormat::Pdf, palette, profile);
    pdfJob.file.widthMm = 20, pdfJob.file.heightMm = 12, pdfJob.file.bleedMm = 1;
    ASSERT_FALSE(ExportPicture(folder / "a.pdf", pdfJob).error);
    const std::string pdf = FileText(folder / "a.pdf");
    EXPECT_NE(pdf.find("/DestOutputProfile 5 0 R"), std::string::npos);
    EXPECT_NE(pdf.find("5 0 obj\n<< /N 4 /Alternate /DeviceCMYK /Length " + std::to_string(icc.size()) +
                       " >>\nstream\n" + icc),
              std::string::npos);
    EXPECT_NE(pdf.find("/ColorSpace [/ICCBased 5 0 R]"), std::string::npos);
    const std::string list = "pdfimages -list '" + (folder / "a.pdf") + "' > '" + (folder / "list") + "'";
    ASSERT_EQ(std::system(list.c_str()), 0);
    EXPECT_NE(FileText(folder / "list").find(" icc     4   8 "), std::string::npos) << FileText(folder / "list");
    EXPECT_EQ(std::system(("qpdf --check '" + (folder / "a.pdf") + "' >/dev/null").c_str()), 0);

    std::ofstream(folder / "old.png") << "old";
    for (const char* name : {"old.png", "new.png", "new.bmp"}) {
        const PictureFormat format = PictureFormatOfExtension(name);
        const ExportResult refused = ExportPicture(folder / name, ExportThrough(format, palette, profile));
        ASSERT_TRUE(refused.error) << name;
        EXPECT_EQ(*refused.error, "PNG and BMP files cannot hold CMYK; choose TIFF, JPEG or PDF");
    }
    EXPECT_EQ(FileText(folder / "old.png"), "old");
    EXPECT_FALSE(std::filesystem::exists(folder / "new.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "new.bmp"));
}
