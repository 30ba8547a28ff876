#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <QByteArray>
#include <QColorSpace>
#include <QImage>
#include <QRegularExpression>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "common/Numbers.h"
#include "formats/Png.h"
#include "palette/ColorTable.h"
#include "records/DataFile.h"
#include "render/CalcBas.h"
#include "render/PictureParameters.h"
#include "render/Random.h"
#include "render/RenderWalk.h"
#include "tests/ReadBack.h"
#include "tests/print/PdfFile.h"

using namespace velmora;
namespace fs = std::filesystem;

namespace {

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("velmora-render-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs velmora-render with the arguments; returns its exit status and keeps its standard error.
    int Run(const std::string& args, const std::string& environment = {}) {
        const std::string command =
            environment + "'" VELMORA_RENDER "' " + args + " 2>'" + (dir_ / "stderr.txt").string() + "'";
        const int status = std::system(command.c_str());
        std::ifstream err(dir_ / "stderr.txt");
        errors_.assign(std::istreambuf_iterator<char>(err), {});
        fs::remove(dir_ / "stderr.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
        return names;
    }

    fs::path dir_;
    std::string errors_;
};

// A picture file as Qt decodes it, as 32-bit pixels without the colour space the file declares.
QImage Decoded(const std::string& path) {
    QImage image = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    image.setColorSpace(QColorSpace());
    return image;
}

struct Expected {
    PictureParameters settings = StartupParameters();
    ColorTable table;
    Expected() { coltable(table); }
};

// The picture as the definition gives it: white canvas, a point at every grid
// position whose cell base lies within the limits, coloured from its count, or
// with random colours drawn in pass, column, row order.
QImage DefinedPicture(const Expected& e) {
    const PictureParameters& s = e.settings;
    const CanvasSize size = SizeForValue(s.sizeValue);
    const CanvasGrid grid = GridFor(size, s.HighResolution());
    const RenderParams p = ReadRenderParams(s, grid.width, grid.height);
    QImage image(size.width, size.height, QImage::Format_RGB32);
    image.fill(0xFFFFFFFFu);
    auto plot = [&](std::int64_t px, std::int64_t py, ColorValue c) {
        for (std::int64_t y = py * grid.dot; y < (py + 1) * grid.dot; ++y)
            for (std::int64_t x = px * grid.dot; x < (px + 1) * grid.dot; ++x)
                if (x < size.width && y < size.height) image.setPixel(int(x), int(y), PixelOf(c));
    };
    const int m = kColourCounts[s.colourIndex].colours;
    UniformSource random;
    for (int pass = 0; pass < 16; ++pass)
        for (std::int64_t cx = 0; cx <= p.columnLimit; cx += 4)
            for (std::int64_t cy = 0; cy <= p.rowLimit; cy += 4) {
                const std::int64_t px = cx + CalcBas::kPassX[pass], py = cy + CalcBas::kPassY[pass];
                plot(px, py,
                     p.kernelMode == 6 ? RandomColour(random, s.randomExponent)
                                       : e.table.column[s.colourIndex][CountAt(p, px, py) % m]);
            }
    return image;
}

}  // namespace

TEST_F(RenderCommandTest, HighResolutionPatternTwoBitmapIsTheDefinedPicture) {
    ASSERT_EQ(Run("-o '" + Path("out.bmp") + "' --pattern 2 --hires --quiet"), 0) << errors_;
    EXPECT_EQ(errors_, "");

    std::ifstream file(Path("out.bmp"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(bytes[28], 24);  // bits per pixel
    EXPECT_EQ(bytes.size(), 54u + 608u * 3u * 430u);

    const QImage image = QImage(QString::fromStdString(Path("out.bmp"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.width(), 608);
    ASSERT_EQ(image.height(), 430);
    EXPECT_EQ(ColorOfPixel(image.pixel(0, 0)), Rgb(0, 120, 49));  // count 24, row 8 of 16 colours
    Expected e;
    ApplyPattern(e.settings, 2);
    e.settings.highResolution = true;
    EXPECT_TRUE(image == DefinedPicture(e));
}

TEST_F(RenderCommandTest, EveryPatternAtTheSmallestSize) {
    for (int pattern = 0; pattern <= 5; ++pattern) {
        const std::string out = Path("p" + std::to_string(pattern) + ".png");
        ASSERT_EQ(Run("--quiet --size 32 --pattern " + std::to_string(pattern) + " -o '" + out + "'"), 0) << errors_;
        Expected e;
        ApplyPattern(e.settings, pattern);
        e.settings.sizeValue = 32;
        const QImage image = Decoded(out);
        ASSERT_EQ(image.size(), QSize(256, 181)) << pattern;
        EXPECT_TRUE(image == DefinedPicture(e)) << pattern;
    }
}

// CRC-32 of the bitmaps the build that drew random colours on one thread with
// pow wrote, whose header gave 3780 pixels per metre (96 dpi) where files now
// record 300 dpi, 11811.
TEST_F(RenderCommandTest, RandomPatternBitmapsAreTheKnownPictures) {
    const std::tuple<std::string, unsigned long> cases[] = {
        {"--size 32 --pattern 4", 0x9da95cde},         {"--size 32 --pattern 5", 0xd607e6c7},
        {"--size 40 --hires --pattern 4", 0x209379d4}, {"--size 40 --hires --pattern 5", 0xa4f3b67a},
    };
    for (const auto& [args, crc] : cases)
        for (const char* threads : {"1", "0"}) {
            ASSERT_EQ(Run("--quiet --threads " + std::string(threads) + " " + args + " -o '" + Path("r.bmp") + "'"), 0);
            std::ifstream file(Path("r.bmp"), std::ios::binary);
            std::string bytes{std::istreambuf_iterator<char>(file), {}};
            ASSERT_GE(bytes.size(), 54u);
            EXPECT_EQ(bytes.substr(38, 8), std::string("\x23\x2E\0\0\x23\x2E\0\0", 8));
            bytes.replace(38, 8, std::string("\xC4\x0E\0\0\xC4\x0E\0\0", 8));
            EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())), crc)
                << args << " --threads " << threads;
        }
}

// The encoder velmora-render and the window share, read back by Qt's reader.
TEST(PngForQt, OneRowOneColumnIndexedAndRgbReadBack) {
    for (const auto& [width, height] : {std::pair{1, 300}, std::pair{300, 1}, std::pair{97, 61}})
        for (const int colours : {3, 100000}) {
            std::vector<Pixel> pixels(static_cast<std::size_t>(width) * height);
            for (std::size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = 0xFF000000u | static_cast<Pixel>((i * 2654435761u >> 7) % colours * 0x00A3B1u & 0xFFFFFF);
            const std::string bytes = EncodePng(Raster{pixels.data(), width, height, width});
            const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "PNG");
            ASSERT_EQ(image.size(), QSize(width, height));
            EXPECT_EQ(image.format() == QImage::Format_Indexed8, colours <= 256) << width << "x" << height;
            const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < height; ++y)
                EXPECT_EQ(std::memcmp(rgb.constScanLine(y), pixels.data() + static_cast<std::size_t>(y) * width, 4u * width), 0);
        }
}

TEST_F(RenderCommandTest, OptionsApplyAfterThePattern) {
    ASSERT_EQ(Run("--quiet --size 33 --pattern 3 --colors 8 --palette B --a 0.25 --x0 ' 4 .5' --y1 -8.5 -o '" +
                  Path("o.bmp") + "'"),
              0)
        << errors_;
    Expected e;
    ApplyPattern(e.settings, 3);
    e.settings.sizeValue = 33;
    e.settings.colourIndex = 3;
    e.settings.a = "0.25";
    e.settings.x0 = " 4 .5";
    e.settings.y1 = "-8.5";
    coltableA(e.table, DefaultStrip());
    const QImage image = QImage(QString::fromStdString(Path("o.bmp"))).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(image == DefinedPicture(e));
}

// Every option given wins over the data file, which is applied first, --hires included.
TEST_F(RenderCommandTest, CommandLineOptionsWinOverTheDataFile) {
    std::ofstream(Path("p_dat.txt")) << "[Initial]\nPtn=1\nHiRes=0\nColor=2\na=0.2\nb=1.1\nx0=-0.5\nx1=0.5\ny0=-0.4\ny1=0.4\n";
    ASSERT_EQ(Run("--quiet --size 32 --hires --data '" + Path("p_dat.txt") + "' --colors 16 --a 0.3 -o '" +
                  Path("o.bmp") + "'"),
              0)
        << errors_;
    Expected e;
    ApplyPattern(e.settings, 1);
    PictureParameters& s = e.settings;
    std::tie(s.a, s.b, s.x0, s.x1, s.y0, s.y1) = std::tuple("0.3", "1.1", "-0.5", "0.5", "-0.4", "0.4");
    s.colourIndex = 4;
    s.highResolution = true;
    s.sizeValue = 32;
    const QImage image = QImage(QString::fromStdString(Path("o.bmp"))).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(image == DefinedPicture(e));
}

// A data file's palette, strip and product make the picture without other options: the strip palette sampled
// from the stored rows, the pixels from the product's millimetres at its resolution and its bleed. --palette
// still wins.
TEST_F(RenderCommandTest, DataFileWithPaletteStripAndProductNeedsNoOtherOption) {
    PictureParameters saved = StartupParameters();
    saved.palette = PaletteChoice::B;
    DataFileExtras extras;
    extras.strip.emplace();
    for (int x = 0; x < kStripWidth; ++x) {
        extras.strip->rows[0][x] = Rgb(x, 0, 255 - x);
        extras.strip->rows[1][x] = Rgb(255 - x, x, 40);
    }
    // 256 x 181 pixels at 100 dpi: the picture of size 32.
    extras.product = ProductChoice{256 * 0.254, 181 * 0.254, 100, 0, ""};
    ASSERT_FALSE(WriteProfileEntries(Path("m_dat.txt"), DataFileEntries(saved, "now", extras)));

    Expected e;
    e.settings.sizeValue = 32;
    for (const char* palette : {"", "--palette A "}) {
        ASSERT_EQ(Run("--quiet " + std::string(palette) + "--data '" + Path("m_dat.txt") + "' -o '" + Path("m.png") + "'"), 0)
            << errors_;
        coltable(e.table);
        if (*palette) coltableB(e.table, StoredStripImage(*extras.strip));
        else coltableA(e.table, StoredStripImage(*extras.strip));
        const QImage image = Decoded(Path("m.png"));
        EXPECT_EQ(image.dotsPerMeterX(), 3937) << palette;
        EXPECT_TRUE(image == DefinedPicture(e)) << palette;
    }
    // The product's bleed, 2.54 mm at 100 dpi, adds 10 pixels on every side.
    extras.product->bleedMm = 2.54;
    ASSERT_FALSE(WriteProfileEntries(Path("m_dat.txt"), DataFileEntries(saved, "now", extras)));
    ASSERT_EQ(Run("--quiet --data '" + Path("m_dat.txt") + "' -o '" + Path("m.png") + "'"), 0) << errors_;
    EXPECT_EQ(QImage(QString::fromStdString(Path("m.png"))).size(), QSize(276, 201));
}

TEST_F(RenderCommandTest, ProgressOnlyOnATerminal) {
    ASSERT_EQ(Run("--size 32 -o '" + Path("p.bmp") + "'"), 0);
    EXPECT_EQ(errors_, "");
}

// A pixel size of the series draws that size's picture; the physical size in
// millimetres at a resolution gives the pixels, and every format records the
// resolution, read back by Qt's readers.
TEST_F(RenderCommandTest, PixelsAndMillimetresWithTheResolutionInTheFile) {
    ASSERT_EQ(Run("--quiet --pixels 256x181 --pattern 2 -o '" + Path("s.png") + "'"), 0) << errors_;
    Expected e;
    ApplyPattern(e.settings, 2);
    e.settings.sizeValue = 32;
    EXPECT_TRUE(Decoded(Path("s.png")) == DefinedPicture(e));

    for (const char* name : {"r.png", "r.bmp", "r.jpg"}) {
        ASSERT_EQ(Run("--quiet --mm 50.8x25.4 --dpi 100 -o '" + Path(name) + "'"), 0) << errors_;
        const QImage image(QString::fromStdString(Path(name)));
        EXPECT_EQ(image.size(), QSize(200, 100)) << name;
        EXPECT_EQ(image.dotsPerMeterX(), 3937) << name;  // 100 / 0.0254 = 3937.0
        EXPECT_EQ(image.dotsPerMeterY(), 3937) << name;
    }
    // A PDF is one page of exactly 50.8 x 25.4 mm (144 x 72 points) holding all 200 x 100 pixels.
    ASSERT_EQ(Run("--quiet --mm 50.8x25.4 --dpi 100 -o '" + Path("r.pdf") + "'"), 0) << errors_;
    std::ifstream file(Path("r.pdf"), std::ios::binary);
    const QString pdf = QString::fromLatin1(QByteArray::fromStdString(std::string{std::istreambuf_iterator<char>(file), {}}));
    const QRegularExpressionMatch box = QRegularExpression("/MediaBox\\s*\\[\\s*0 0 ([0-9.]+) ([0-9.]+)").match(pdf);
    ASSERT_TRUE(box.hasMatch());
    EXPECT_NEAR(box.captured(1).toDouble(), 144, 0.001);
    EXPECT_NEAR(box.captured(2).toDouble(), 72, 0.001);
    EXPECT_EQ(pdf.count(QRegularExpression("/Type\\s*/Page[^s]")), 1);
    EXPECT_NE(pdf.indexOf("/Width 200 /Height 100"), -1);
    EXPECT_EQ(ReadersReport(QString::fromStdString(Path("r.pdf"))), "Pages: 1; Page size: 144 x 72 pts");
    // Without a resolution the file records 300 dpi.
    ASSERT_EQ(Run("--quiet --size 32 -o '" + Path("d.png") + "'"), 0) << errors_;
    EXPECT_EQ(QImage(QString::fromStdString(Path("d.png"))).dotsPerMeterX(), 11811);
}

TEST_F(RenderCommandTest, BadArgumentsExitTwoWithoutAFile) {
    const std::string out = " -o '" + Path("bad.bmp") + "'", pdf = " -o '" + Path("bad.pdf") + "'";
    struct Case {
        std::string args, named;
    };
    for (const Case& c : {Case{"--pattern 6" + out, "--pattern"}, Case{"--pattern x" + out, "--pattern"},
                          Case{"--size 31" + out, "--size"}, Case{"--size 53" + out, "--size"},
                          Case{"--colors 5" + out, "--colors"}, Case{"--palette C" + out, "--palette"},
                          Case{"--threads -1" + out, "--threads"}, Case{"--hires=1" + out, "--hires"},
                          Case{"--bogus" + out, "--bogus"}, Case{"--quiet", "-o"},
                          Case{"-o '" + Path("bad.gif") + "'", "-o"}, Case{out + " --pattern", "--pattern"},
                          Case{"--pixels 15x100" + out, "--pixels"}, Case{"--pixels 16x65537" + out, "--pixels"},
                          Case{"--pixels 100" + out, "--pixels"}, Case{"--mm 0x400" + out, "--mm"},
                          Case{"--mm 5000x400 --dpi 600" + out, "118110 x 9449 pixels"},
                          Case{"--dpi 0" + out, "--dpi"}, Case{"--quality 101" + out, "--quality"},
                          Case{"--pixels 65536x16 -o '" + Path("wide.jpg") + "'", "65535"},
                          Case{"--pixels 65536x65536" + out, "4 GB"},
                          Case{"--data '" + Path("missing_dat.txt") + "'" + out, "--data"},
                          Case{"'--bo\ngus\x1b[2J'" + out, "--bo\\ngus\\x1B[2J"},
                          Case{"--paper A4" + out, "--paper"}, Case{"--paper A6" + pdf, "--paper"},
                          Case{"--paper 40x300" + pdf, "--paper"}, Case{"--mm 100x0" + pdf, "--mm"},
                          Case{"--landscape" + pdf, "--landscape"}, Case{"--fill --paper A4" + pdf, "--fill"},
                          Case{"--paper A4 --overlap 101" + pdf, "--overlap"},
                          Case{"--bleed 21" + pdf, "--bleed"}, Case{"--bleed 3 --paper A4" + pdf, "--bleed"},
                          Case{"--crop-marks" + out, "--crop-marks"},
                          Case{"--paper A5 --mm 5000x5000 --overlap 100" + pdf, "--mm"},
                          Case{"--tracking-map '" + Path("map.bmp") + "'", "--tracking-map"},
                          Case{"--tracking --sensor-pixels 8", "--sensor-pixels"},
                          Case{"--tracking --sensor-um 5e", "--sensor-um"},
                          Case{"--print Q --print-timeout 0", "--print-timeout"},
                          Case{"--print-timeout 5" + pdf, "--print-timeout"},
                          Case{"--intent relative" + out, "--intent"}, Case{"--gamut", "--gamut"},
                          Case{"--profile '" + Path("none.icc") + "'" + out, "--profile"}}) {
        EXPECT_EQ(Run(c.args), 2) << c.args;
        EXPECT_NE(errors_.find(c.named), std::string::npos) << c.args << ": " << errors_;
        EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << errors_;
        EXPECT_TRUE(Entries().empty()) << c.args;
    }
}

TEST_F(RenderCommandTest, UnwritableOutputExitsOneWithoutPartialFiles) {
    EXPECT_EQ(Run("--quiet --size 32 -o '" + Path("missing/out.bmp") + "'"), 1);
    EXPECT_NE(errors_.find("missing/out.bmp"), std::string::npos) << errors_;
    EXPECT_TRUE(Entries().empty());

    // A folder in the way: the picture cannot replace it and no temporary file stays behind.
    fs::create_directory(Path("taken.bmp"));
    EXPECT_EQ(Run("--quiet --size 32 -o '" + Path("taken.bmp") + "'"), 1);
    EXPECT_EQ(Entries(), std::vector<std::string>{"taken.bmp"});
    EXPECT_TRUE(fs::is_directory(Path("taken.bmp")));

    // A link to a named pipe: refused before rendering, the pipe stays; a line break in the name stays escaped.
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    fs::create_symlink("pipe", Path("pipe.bmp"));
    EXPECT_EQ(Run("--quiet --size 32 -o '" + Path("pipe.bmp") + "'"), 1);
    EXPECT_NE(errors_.find("pipe.bmp: Not a regular file"), std::string::npos) << errors_;
    EXPECT_TRUE(fs::is_fifo(Path("pipe")));
    EXPECT_EQ(Run("--quiet --size 32 -o '" + Path("new\nline/out.bmp") + "'"), 1);
    EXPECT_NE(errors_.find("new\\nline/out.bmp: No such file or directory"), std::string::npos) << errors_;
    EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 1) << errors_;
    EXPECT_EQ(Entries().size(), 3u);
}

// What can fail is found before the picture is drawn: a map name that cannot be written, a printing system that
// does not answer (a socket nobody accepts on). The old file stays as it was; the big picture is never drawn.
TEST_F(RenderCommandTest, FailuresFoundBeforeDrawingLeaveTheOldFile) {
    const std::string old = Path("old.png"), big = " --quiet --size 52 --hires -o '" + old + "'";
    std::ofstream(old) << "old";
    EXPECT_EQ(Run(big + " --tracking-map '" + Path("missing/map.png") + "'"), 1);
    EXPECT_NE(errors_.find("missing/map.png: No such file or directory"), std::string::npos) << errors_;

    const std::string socketPath = Path("cups.sock");
    const int silent = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.data(), socketPath.size());
    ASSERT_EQ(::bind(silent, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(silent, 8), 0);
    const std::string scheduler = "CUPS_SERVER='" + socketPath + "' ";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(big + " --print nosuchqueue --print-timeout 0.5", scheduler), 1);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    ::close(silent);
    EXPECT_EQ(errors_, "velmora-render: \"nosuchqueue\" cannot take the print job: the printing system does not "
                       "answer (no answer within 0.5 s).\n");
    EXPECT_LT(seconds.count(), 5) << "given up at the timeout, before drawing";
    std::ifstream kept(old);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
    fs::remove(socketPath);
    EXPECT_EQ(Entries(), std::vector<std::string>{"old.png"});
}

// One A4 page holding the picture 180 mm wide, centred, with every pixel of the picture as the PNG has it.
TEST_F(RenderCommandTest, PdfPageHoldsThePictureAtItsSizeOnPaper) {
    ASSERT_EQ(Run("--quiet --size 44 -o '" + Path("pad.pdf") + "' --paper A4 --mm 180x127.28"), 0) << errors_;
    ASSERT_EQ(Run("--quiet --size 44 -o '" + Path("pad.png") + "'"), 0) << errors_;
    std::ifstream file(Path("pad.pdf"), std::ios::binary);
    const QByteArray pdf = QByteArray::fromStdString(std::string{std::istreambuf_iterator<char>(file), {}});
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression("/Type\\s*/Page[^s]")), 1);
    EXPECT_EQ(ReadersReport(QString::fromStdString(Path("pad.pdf"))), "Pages: 1; Page size: 595.276 x 841.89 pts (A4)");

    const auto numbers = [&](const char* pattern) {
        const QRegularExpressionMatch m = QRegularExpression(pattern).match(QString::fromLatin1(pdf));
        std::vector<double> values;
        for (int i = 1; i <= m.lastCapturedIndex(); ++i) values.push_back(m.captured(i).toDouble());
        return values;
    };
    const std::string n = "(-?[0-9.]+)";
    const std::vector<double> box = numbers(("/MediaBox\\s*\\[\\s*0 0 " + n + " " + n).c_str());
    ASSERT_EQ(box.size(), 2u);
    const double pt = 72 / 25.4;  // points per mm
    EXPECT_NEAR(box[0], 210 * pt, 0.001);
    EXPECT_NEAR(box[1], 297 * pt, 0.001);
    // 2048 x 1448 pixels at 180 / 2048 mm each: 180 x 127.265625 mm, centred on the 210 x 297 mm sheet.
    const std::vector<double> matrix = numbers((n + " 0 0 " + n + " " + n + " " + n + " cm").c_str());
    ASSERT_EQ(matrix.size(), 4u);
    const double height = 1448 * 180 / 2048.0;
    EXPECT_NEAR(matrix[0], 180 * pt, 0.001);
    EXPECT_NEAR(matrix[1], height * pt, 0.001);
    EXPECT_NEAR(matrix[2], 15 * pt, 0.001);
    EXPECT_NEAR(matrix[3], (297 - height) / 2 * pt, 0.001);

    // Every object where the cross-reference table says it starts.
    const qsizetype xref = pdf.lastIndexOf("startxref\n");
    ASSERT_GE(xref, 0);
    const qsizetype table = pdf.mid(xref + 10).split('\n')[0].toLongLong();
    ASSERT_TRUE(pdf.mid(table).startsWith("xref\n0 "));
    const QList<QByteArray> lines = pdf.mid(table).split('\n');
    const int objects = lines[1].split(' ')[1].toInt();
    ASSERT_GT(objects, 4);
    for (int n = 1; n < objects; ++n)
        EXPECT_TRUE(pdf.mid(lines[2 + n].left(10).toLongLong()).startsWith(QByteArray::number(n) + " 0 obj")) << n;

    const qsizetype dictionary = pdf.indexOf("/Subtype /Image");
    ASSERT_GE(dictionary, 0);
    const qsizetype start = pdf.indexOf("stream\n", dictionary) + 7;
    const qsizetype end = pdf.indexOf("\nendstream", start);
    EXPECT_NE(pdf.mid(dictionary, start - dictionary).indexOf("/Width 2048 /Height 1448"), -1);
    // qUncompress reads a zlib stream after its expected length, 4 bytes big-endian.
    const int bytes = 2048 * 1448 * 3;
    QByteArray stream(4, 0);
    for (int i = 0; i < 4; ++i) stream[i] = static_cast<char>(bytes >> (24 - 8 * i));
    const QByteArray rgb = qUncompress(stream + pdf.mid(start, end - start));
    ASSERT_EQ(rgb.size(), bytes);
    const QImage png = QImage(QString::fromStdString(Path("pad.png"))).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(png.size(), QSize(2048, 1448));
    for (int y = 0; y < 1448; ++y)
        ASSERT_EQ(std::memcmp(rgb.constData() + y * 2048 * 3, png.constScanLine(y), 2048 * 3), 0) << "row " << y;
}

TEST_F(RenderCommandTest, TrackingPrintsItsLineAndAdviceAndWritesTheMap) {
    // A region of zero width draws the same colour along every row: stripes no motion along them can be seen
    // on, and flat wherever a row's colour meets its neighbours'.
    ASSERT_EQ(Run("--quiet --size 32 --x0 0.1 --x1 0.1 --tracking --tracking-map '" + Path("map.png") + "' >'" +
                  Path("line.txt") + "'"),
              0);
    std::ifstream in(Path("line.txt"));
    const std::string line(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(line.rfind("tracking: 0.0 % tracks, ", 0), 0u) << line;
    // 256 pixels over the 207.9 mm of an A4 page less its 1 % margin: 31.3 dpi.
    // Its 4-pixel dots print 3.2 mm wide, more than a sensor's frame; most frames lie inside one row's colour.
    EXPECT_NE(line.find(" % ambiguous (1.5 mm frames at 50 \u00b5m, picture at 31 dpi)\n"
                        "advice: dots nearly as large as the sensor's frame: a larger picture size or high resolution "
                        "tracks better\nadvice: flat areas: choose another region or pattern\n"),
              std::string::npos)
        << line;
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 3);
    const QImage map(QString::fromStdString(Path("map.png")));
    EXPECT_EQ(map.size(), QSize(1024, 724));
    EXPECT_EQ(Entries().size(), 2u);

    // The size on paper, when given, decides the resolution: 256 pixels across 512 mm are 12.7 dpi.
    ASSERT_EQ(Run("--quiet --size 32 --tracking --mm 512x362 >'" + Path("line.txt") + "'"), 0) << errors_;
    std::ifstream again(Path("line.txt"));
    const std::string onPaper(std::istreambuf_iterator<char>(again), {});
    EXPECT_NE(onPaper.find(", picture at 13 dpi)\n"), std::string::npos) << onPaper;

    // The check sees the random picture the file holds, not a second one drawn after it.
    ASSERT_EQ(Run("--quiet --pattern 4 --size 32 --tracking-map '" + Path("alone.png") + "'"), 0) << errors_;
    ASSERT_EQ(Run("--quiet --pattern 4 --size 32 -o '" + Path("speckle.png") + "' --tracking-map '" + Path("after.png") + "'"), 0)
        << errors_;
    EXPECT_EQ(QImage(QString::fromStdString(Path("after.png"))), QImage(QString::fromStdString(Path("alone.png"))));
}

namespace {

using velmora::testing::CommandOutput;

// The four numbers of a box as pdfinfo -box prints it, in mm.
std::vector<double> BoxMm(const std::string& info, const std::string& name) {
    const QRegularExpressionMatch m =
        QRegularExpression(QString::fromStdString(name) + ":\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)\\s+([0-9.]+)")
            .match(QString::fromStdString(info));
    std::vector<double> mm;
    for (int i = 1; i <= m.lastCapturedIndex(); ++i) mm.push_back(m.captured(i).toDouble() * 25.4 / 72);
    return mm;
}

}  // namespace

// Through a press profile the palette's share that prints duller is one line on standard output, the same
// whether or not a file is written; PNG is refused before anything is drawn, an old file kept.
TEST_F(RenderCommandTest, GamutFigureThroughAPressProfile) {
    const std::string cmyk = "/usr/share/color/icc/ghostscript/default_cmyk.icc";
    if (!fs::exists(cmyk)) GTEST_SKIP() << "no " << cmyk << " (Debian: libgs-common)";
    const std::string figure = CommandOutput("'" VELMORA_RENDER "' --size 32 --palette A --profile " + cmyk + " --gamut");
    EXPECT_TRUE(QRegularExpression("^[0-9]+\\.[0-9] % of the surface will print noticeably duller \\(ΔE2000 > 5; "
                                   "largest shift [0-9]+\\.[0-9]\\)\n$")
                    .match(QString::fromStdString(figure))
                    .hasMatch())
        << figure;
    EXPECT_EQ(CommandOutput("'" VELMORA_RENDER "' --quiet --size 32 --palette A --profile " + cmyk + " --gamut -o '" +
                     Path("pad.tif") + "'"),
              figure);
    std::ofstream(Path("old.png")) << "old";
    EXPECT_EQ(Run("--size 32 --profile " + cmyk + " -o '" + Path("old.png") + "'"), 2);
    EXPECT_EQ(errors_, "velmora-render: -o: PNG and BMP files cannot hold CMYK; choose TIFF, JPEG or PDF (see --help)\n");
    std::ifstream kept(Path("old.png"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "old");
}

// A product with bleed: a PDF/X-4 page of the size and its bleed with the trim box centred, read by qpdf and
// poppler; PNG and TIFF tagged sRGB with their resolution; inside the trim the pixels of the picture without
// bleed, in both resolutions, and no white column or row at any edge.
TEST_F(RenderCommandTest, ProductWithBleedForThePrintShop) {
    ASSERT_EQ(Run("--quiet --mm 61x41 --dpi 150 --bleed 3 -o '" + Path("mat.pdf") + "'"), 0) << errors_;
    EXPECT_EQ(std::system(("qpdf --check '" + Path("mat.pdf") + "' >/dev/null").c_str()), 0);
    const std::string info = CommandOutput("pdfinfo -box '" + Path("mat.pdf") + "'") + CommandOutput("pdfinfo -meta '" + Path("mat.pdf") + "'");
    const std::vector<std::vector<double>> boxes = {BoxMm(info, "MediaBox"), BoxMm(info, "BleedBox"),
                                                    BoxMm(info, "TrimBox")};
    const std::vector<std::vector<double>> expected = {{0, 0, 67, 47}, {0, 0, 67, 47}, {3, 3, 64, 44}};
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        ASSERT_EQ(boxes[b].size(), 4u) << info;
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(boxes[b][i], expected[b][i], 0.01) << info;
    }
    EXPECT_NE(info.find("<pdfxid:GTS_PDFXVersion>PDF/X-4</pdfxid:GTS_PDFXVersion>"), std::string::npos) << info;
    EXPECT_NE(CommandOutput("pdfimages -list '" + Path("mat.pdf") + "'").find(" icc "), std::string::npos);
    std::ifstream file(Path("mat.pdf"), std::ios::binary);
    const std::string pdf{std::istreambuf_iterator<char>(file), {}};
    EXPECT_NE(pdf.find("/OutputIntents [ << /Type /OutputIntent /S /GTS_PDFX"), std::string::npos);
    EXPECT_NE(pdf.find("/Trapped /False"), std::string::npos);

    ASSERT_EQ(Run("--quiet --mm 61x41 --dpi 150 --bleed 3 --crop-marks -o '" + Path("marks.pdf") + "'"), 0) << errors_;
    const std::string marked = CommandOutput("pdfinfo -box '" + Path("marks.pdf") + "'");
    EXPECT_NEAR(BoxMm(marked, "MediaBox").at(2), 67 + 16, 0.01) << marked;
    EXPECT_NEAR(BoxMm(marked, "TrimBox").at(0), 11, 0.01) << marked;

    ASSERT_EQ(Run("--quiet --mm 61x41 --dpi 150 --bleed 3 -o '" + Path("mat.tif") + "'"), 0) << errors_;
    const std::string tiff = CommandOutput("tiffinfo '" + Path("mat.tif") + "' 2>&1");
    EXPECT_NE(tiff.find("Image Width: 396 Image Length: 278"), std::string::npos) << tiff;
    EXPECT_NE(tiff.find("Resolution: 150, 150 pixels/inch"), std::string::npos) << tiff;
    EXPECT_NE(tiff.find("ICC Profile: <present>"), std::string::npos) << tiff;

    // 61 x 41 mm at 150 dpi is 360 x 242 pixels, 3 mm of bleed 18 more on each side.
    for (const std::string resolution : {"", " --hires"}) {
        ASSERT_EQ(Run("--quiet --mm 61x41 --dpi 150 --bleed 3" + resolution + " -o '" + Path("b.png") + "'"), 0);
        ASSERT_EQ(Run("--quiet --mm 61x41 --dpi 150" + resolution + " -o '" + Path("t.png") + "'"), 0);
        const QImage bled = QImage(QString::fromStdString(Path("b.png"))).convertToFormat(QImage::Format_RGB32);
        const QImage trim = QImage(QString::fromStdString(Path("t.png"))).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(bled.size(), QSize(396, 278));
        ASSERT_EQ(trim.size(), QSize(360, 242));
        EXPECT_TRUE(bled.copy(18, 18, 360, 242) == trim) << resolution;
        const QColorSpace space = QImage(QString::fromStdString(Path("b.png"))).colorSpace();
        EXPECT_TRUE(space.isValid());
        EXPECT_EQ(space.description(), QStringLiteral("sRGB IEC61966-2.1"));
        EXPECT_EQ(bled.dotsPerMeterX(), 5906);
        for (const QImage* image : {&bled, &trim})
            for (const QRect edge : {QRect(0, 0, image->width(), 1), QRect(0, image->height() - 1, image->width(), 1),
                                     QRect(0, 0, 1, image->height()), QRect(image->width() - 1, 0, 1, image->height())}) {
                bool white = true;
                for (int y = edge.top(); y <= edge.bottom(); ++y)
                    for (int x = edge.left(); x <= edge.right(); ++x) white = white && image->pixel(x, y) == 0xFFFFFFFFu;
                EXPECT_FALSE(white) << resolution;
            }
    }
}
