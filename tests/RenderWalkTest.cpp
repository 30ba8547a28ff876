#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "palette/ColorTable.h"
#include "render/CalcBas.h"
#include "render/PictureParameters.h"
#include "render/Random.h"
#include "render/RenderEngine.h"
#include "render/RenderWalk.h"
#include "render/SpeckleRows.h"

using namespace velmora;

namespace {

RenderParams ParamsFor(int pattern, double gridWidth, double gridHeight, bool pictureEffect = false) {
    PictureParameters s = StartupParameters();
    ApplyPattern(s, pattern);
    s.pictureEffect = pictureEffect;
    return ReadRenderParams(s, gridWidth, gridHeight);
}

// Records every point the walk hands out, with its count, and can stop the walk.
class RecordingSink : public RenderSink {
public:
    void PassBegins(int pass) override { passes.push_back(pass); }
    void PaintColumn(int pass, std::int64_t px, const std::uint8_t* counts, int rows) override {
        for (int row = 0; row < rows; ++row) {
            const std::int64_t py = 4LL * row + CalcBas::kPassY[pass];
            ++times[{px, py}];
            if (counts) count[{px, py}] = counts[row];
        }
        ++columnsInPass[pass];
    }
    bool ColumnEnds() override { return stopAfterColumn > 0 && --stopAfterColumn == 0; }
    bool PassEnds(int pass) override {
        ended.push_back(pass);
        return stopAfterColumn == 0;
    }

    std::map<std::pair<std::int64_t, std::int64_t>, int> times, count;
    std::map<int, int> columnsInPass;
    std::vector<int> passes, ended;
    int stopAfterColumn = -1;  // columns until a stop; -1 never
};

void Walk(const RenderParams& params, RenderSink& sink) {
    auto engine = MakeInlineEngine();
    WalkRender(params, *engine, sink);
}

}  // namespace

TEST(RenderWalk, SixteenPassesSetEveryPointOnce) {
    RecordingSink sink;
    Walk(ParamsFor(0, 32, 24), sink);
    EXPECT_EQ(sink.passes, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(sink.times.size(), 32u * 24u);
    for (const auto& [point, times] : sink.times) {
        EXPECT_EQ(times, 1) << point.first << "," << point.second;
        EXPECT_LT(point.first, 32);
        EXPECT_LT(point.second, 24);
    }
}

TEST(RenderWalk, PictureEffectRunsPassZeroAlone) {
    RecordingSink sink;
    Walk(ParamsFor(2, 32, 24, true), sink);
    EXPECT_EQ(sink.passes, std::vector<int>{0});
    EXPECT_EQ(sink.times.size(), 8u * 6u);
    for (const auto& [point, times] : sink.times) {
        EXPECT_EQ(point.first % 4, 0);
        EXPECT_EQ(point.second % 4, 0);
    }
}

TEST(RenderWalk, LimitsOfTheStartupGrid) {
    const RenderParams p = ParamsFor(0, 152, 107.5);
    EXPECT_EQ(p.columnLimit, 149);
    EXPECT_EQ(p.rowLimit, 104);
    RecordingSink sink;
    Walk(p, sink);
    EXPECT_EQ(sink.times.size(), 152u * 108u);
    EXPECT_EQ(sink.times.rbegin()->first, (std::pair<std::int64_t, std::int64_t>{151, 107}));
}

TEST(RenderWalk, HighResolutionColumnBeyondTheLastBaseIsNeverSet) {
    const RenderParams p = ParamsFor(4, 861, 608);
    EXPECT_EQ(p.columnLimit, 858);
    std::vector<Pixel> pixels(861 * 608, 0xFF123456u);
    UniformSource random;
    const float exponent = 3;
    PointPainter painter{Raster{pixels.data(), 861, 608, 861}, 1, DrawMode::Copy, nullptr, 16, &random, &exponent};
    auto engine = MakeInlineEngine();
    RenderPicture(p, *engine, painter);
    int changedInLastColumn = 0, unchangedElsewhere = 0;
    for (int y = 0; y < 608; ++y) {
        changedInLastColumn += pixels[y * 861 + 860] != 0xFF123456u;
        for (int x = 0; x < 860; ++x) unchangedElsewhere += pixels[y * 861 + x] == 0xFF123456u;
    }
    EXPECT_EQ(changedInLastColumn, 0);
    EXPECT_LT(unchangedElsewhere, 5);  // only by chance can a random colour equal the old pixel
}

TEST(RenderWalk, ColumnBeyondTheRightEdgeIsClipped) {
    const RenderParams p = ParamsFor(0, 90.5, 8);
    EXPECT_EQ(p.columnLimit, 88);
    RecordingSink sink;
    Walk(p, sink);
    EXPECT_EQ(sink.times.rbegin()->first.first, 91);

    // 362 pixels in a wider buffer: the guard pixels right of the canvas stay untouched.
    const int stride = 380;
    std::vector<Pixel> pixels(stride * 32, 0u);
    ColorTable table;
    coltable(table);
    PointPainter painter{Raster{pixels.data(), 362, 32, stride}, 4, DrawMode::Copy, table.column[4].data(), 16, nullptr,
                         nullptr};
    auto engine = MakeInlineEngine();
    RenderPicture(p, *engine, painter);
    for (int y = 0; y < 32; ++y) {
        EXPECT_NE(pixels[y * stride + 361], 0u) << y;
        for (int x = 362; x < stride; ++x) EXPECT_EQ(pixels[y * stride + x], 0u) << x << "," << y;
    }
}

TEST(RenderWalk, KnownPointsOfThePatterns) {
    RecordingSink sink;
    Walk(ParamsFor(0, 152, 107.5), sink);
    EXPECT_EQ((sink.count[{0, 0}]), 31);
    EXPECT_EQ(CountAt(ParamsFor(2, 608, 430), 0, 0), 24);
    EXPECT_EQ(CountAt(ParamsFor(3, 152, 107.5), 0, 0), 18);
}

TEST(RenderWalk, StopEndsTheColumnAndThePass) {
    RecordingSink sink;
    const RenderParams p = ParamsFor(2, 32, 24);
    sink.stopAfterColumn = 5 * p.Columns() + 3;  // the third column of pass 5
    Walk(p, sink);
    EXPECT_EQ(sink.passes, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(sink.ended, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(sink.columnsInPass[5], 3);
    EXPECT_EQ(sink.columnsInPass[4], p.Columns());
}

TEST(RenderWalk, ReadsTextsLenientlyAndUnknownModesDrawCountZero) {
    PictureParameters s = StartupParameters();
    s.kernelTag = "7";
    RenderParams p = ReadRenderParams(s, 8, 8);
    EXPECT_FALSE(p.UsesKernel());
    RecordingSink sink;
    Walk(p, sink);
    for (const auto& [point, n] : sink.count) EXPECT_EQ(n, 0);

    s = StartupParameters();
    s.kernelTag = " 1 .4";  // rounds to kernel mode 1
    s.x1 = "junk";          // X1 reads as 0
    s.x0 = "8 0";           // 80
    p = ReadRenderParams(s, 8, 8);
    EXPECT_EQ(p.kernelMode, 1);
    EXPECT_EQ(p.x1, 0.0f);
    EXPECT_EQ(p.dx, 10.0f);
}

// A 900 x 400 picture of the region y = 0 to 1 (which a picture of this width
// spans over 635.54 rows) shows its middle 400 rows at the same spacing:
// row 200 lies on the centre, rows 0 and 399 equally far from it.
TEST(RenderWalk, ExtendedGridKeepsTheRegionsCentreAndSpacing) {
    PictureParameters s = StartupParameters();
    s.y1 = "0";
    s.y0 = "1";
    const PictureGrid grid = PictureGridFor({900, 400}, true);
    const RenderParams p = ReadRenderParams(s, grid.grid.width, grid.grid.height, grid.regionHeight);
    EXPECT_EQ(p.dy, 0.0015734649496152997f);  // fl(861 / (900 * 608))
    EXPECT_EQ(PointY(p, 0), 0.18530702590942383f);
    EXPECT_EQ(PointY(p, 200), 0.5f);
    EXPECT_EQ(PointY(p, 399), 0.8131195306777954f);
    EXPECT_EQ(p.rowLimit, 397);
    // A band starting at row 200 computes the same rows.
    EXPECT_EQ(PointY(BandOf(p, 200, 100), 0), 0.5f);
    EXPECT_EQ(BandOf(p, 200, 100).rowLimit, 96);
    EXPECT_EQ(BandOf(p, 396, 100).rowLimit, 1);
}

TEST(RenderWalk, DegenerateRegionsStillDrawEveryPoint) {
    for (const char* text : {"0", "1E400", "-1E400", "abc"}) {
        PictureParameters s = StartupParameters();
        s.x0 = text;
        s.x1 = "0";
        s.a = "0";
        s.b = "0";
        RecordingSink sink;
        Walk(ReadRenderParams(s, 16, 16), sink);
        EXPECT_EQ(sink.times.size(), 256u) << text;
        for (const auto& [point, n] : sink.count) {
            EXPECT_GE(n, 0);
            EXPECT_LE(n, 32);
        }
    }
}

TEST(PointPainter, ColoursAreLookedUpWhenPlotted) {
    ColorTable table;
    coltable(table);
    std::vector<Pixel> pixels(16 * 16, 0);
    PointPainter painter{Raster{pixels.data(), 16, 16, 16}, 1, DrawMode::Copy, table.column[1].data(), 3, nullptr,
                         nullptr};
    const std::uint8_t counts[4] = {0, 4, 32, 3};
    painter.PaintColumn(0, 0, counts, 4);
    EXPECT_EQ(pixels[0], PixelOf(Rgb(0, 0, 0)));
    EXPECT_EQ(pixels[4 * 16], PixelOf(Rgb(255, 255, 255)));   // 4 mod 3 = 1
    EXPECT_EQ(pixels[8 * 16], PixelOf(Rgb(255, 0, 255)));     // 32 mod 3 = 2
    table.column[1][0] = Rgb(1, 2, 3);                        // a palette change mid-render
    painter.PaintColumn(0, 4, counts, 4);
    EXPECT_EQ(pixels[4], PixelOf(Rgb(1, 2, 3)));
    EXPECT_EQ(pixels[12 * 16 + 4], PixelOf(Rgb(1, 2, 3)));    // 3 mod 3 = 0

    painter.mode = DrawMode::Xor;
    painter.PaintColumn(0, 4, counts, 1);
    EXPECT_EQ(pixels[4], 0xFF000000u);  // the same colour twice cancels out
}

TEST(RandomColour, ChannelValues) {
    EXPECT_EQ(RandomChannel(0.5f, 3.0f), 32);    // 31.875
    EXPECT_EQ(RandomChannel(0.5f, 0.2f), 222);   // 221.99
    EXPECT_EQ(RandomChannel(0.0f, 3.0f), 0);
    EXPECT_EQ(RandomChannel(0.0f, 0.0f), 255);   // 0^0 = 1
    EXPECT_EQ(RandomChannel(0.0f, -1.0f), 255);  // an infinity is kept in range
    EXPECT_EQ(RandomChannel(0.5f, NAN), 0);
}

TEST(RandomColour, FixedSequenceDrawnInChannelOrder) {
    UniformSource a, b;
    for (int i = 0; i < 1000; ++i) {
        const float r1 = a.Next(), r2 = a.Next(), r3 = a.Next();
        for (float r : {r1, r2, r3}) {
            EXPECT_GE(r, 0.0f);
            EXPECT_LT(r, 1.0f);
        }
        EXPECT_EQ(RandomColour(b, 3.0f), Rgb(RandomChannel(r1, 3), RandomChannel(r2, 3), RandomChannel(r3, 3)));
    }
}

TEST(RandomColour, ExponentIsReadForEveryPoint) {
    UniformSource random;
    float exponent = 3;
    std::vector<Pixel> pixels(4 * 8, 0);
    PointPainter painter{Raster{pixels.data(), 4, 8, 4}, 1, DrawMode::Copy, nullptr, 16, &random, &exponent};
    painter.PaintColumn(0, 0, nullptr, 1);
    exponent = 0.2f;
    painter.PaintColumn(0, 1, nullptr, 2);
    UniformSource replay;
    EXPECT_EQ(ColorOfPixel(pixels[0]), RandomColour(replay, 3.0f));
    EXPECT_EQ(ColorOfPixel(pixels[1]), RandomColour(replay, 0.2f));
    EXPECT_EQ(ColorOfPixel(pixels[4 * 4 + 1]), RandomColour(replay, 0.2f));
}

TEST(RandomColour, StepTablesGiveThePowerForEveryDraw) {
    for (const float exponent : {3.0f, 0.2f}) {
        const RandomChannels channels(exponent);
        int wrong = 0;
        for (std::uint32_t draw = 0; draw < (1u << 24); ++draw) {
            const double r = std::ldexp(static_cast<double>(draw), -24);
            const double scaled = std::pow(r, static_cast<double>(exponent)) * 255.0;
            const int expected = static_cast<int>(std::nearbyint(scaled));  // ties to even
            wrong += channels.Of(draw) != expected;
        }
        EXPECT_EQ(wrong, 0) << exponent;
    }
}

TEST(RandomColour, SkippingEqualsDrawing) {
    for (const std::uint64_t steps : {0ULL, 1ULL, 2ULL, 3ULL * 1448 + 1, 5000003ULL}) {
        UniformSource drawn, skipped;
        for (std::uint64_t i = 0; i < steps; ++i) drawn.NextDraw();
        skipped.Skip(steps);
        EXPECT_TRUE(drawn == skipped) << steps;
    }
    UniformSource around;
    around.Skip(~0ULL);
    around.NextDraw();
    EXPECT_TRUE(around == UniformSource());  // the period is 2^64
}

namespace {

// A random picture of the startup settings with pattern 4 or 5 on a canvas of
// size `sizeValue`, with the picture effect over a fixed noise.
struct RandomCanvas {
    std::vector<Pixel> pixels;
    RenderParams params;
    PointPainter painter;
    float exponent;

    RandomCanvas(int sizeValue, bool highResolution, int pattern, UniformSource& source, bool effect = false) {
        PictureParameters s = StartupParameters();
        ApplyPattern(s, pattern);
        exponent = s.randomExponent;
        const CanvasSize size = SizeForValue(sizeValue);
        const CanvasGrid grid = GridFor(size, highResolution);
        pixels.assign(static_cast<std::size_t>(size.width) * size.height, 0xFFFFFFFFu);
        if (effect)
            for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = 0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u >> 8);
        s.pictureEffect = effect;
        params = ReadRenderParams(s, grid.width, grid.height);
        painter = PointPainter{Raster{pixels.data(), size.width, size.height, size.width},
                               grid.dot,
                               effect ? DrawMode::Xor : DrawMode::Copy,
                               nullptr,
                               16,
                               &source,
                               &exponent};
    }
    unsigned long Crc() const {
        return crc32(0, reinterpret_cast<const Bytef*>(pixels.data()), static_cast<uInt>(pixels.size() * sizeof(Pixel)));
    }
};

// Paints each pass's columns in one batch on `threads` threads (0: column by
// column), stopping after `columnsBeforeStop` columns when that is positive.
class RandomBatchSink final : public RenderSink {
public:
    RandomBatchSink(const PointPainter& painter, int threads, int columnsBeforeStop)
        : painter_(painter), threads_(threads), left_(columnsBeforeStop) {}
    void PassBegins(int) override {}
    void PaintColumn(int pass, std::int64_t px, const std::uint8_t*, int rows) override {
        if (threads_ == 0) return painter_.PaintColumn(pass, px, nullptr, rows);
        if (columns_++ == 0) px_ = px;
        pass_ = pass;
        rows_ = rows;
    }
    bool ColumnEnds() override { return --left_ == 0; }
    bool PassEnds(int) override {
        PointPainter painter = painter_;
        painter.threads = threads_;
        if (columns_ > 0) painter.PaintRandomColumns(pass_, px_, columns_, rows_);
        columns_ = 0;
        return left_ == 0;
    }

private:
    const PointPainter& painter_;
    int threads_, left_;
    std::int64_t px_ = 0;
    int pass_ = 0, rows_ = 0, columns_ = 0;
};

unsigned long RenderRandom(RandomCanvas& canvas, int threads, int columnsBeforeStop = -1) {
    RandomBatchSink sink(canvas.painter, threads, columnsBeforeStop);
    Walk(canvas.params, sink);
    return canvas.Crc();
}

}  // namespace

// CRC-32 of the pixels (0xFFRRGGBB words, little-endian) drawn by the build
// that painted random colours one point at a time with pow.
TEST(RandomPictures, SameSpeckleColumnByColumnAndOnEveryThread) {
    struct Case {
        int size;
        bool highResolution;
        int pattern;
        unsigned long crc;
    };
    const Case cases[] = {
        {32, false, 4, 0xba777ad1}, {32, false, 5, 0xda4390af}, {32, true, 4, 0xeb1c2a4f}, {32, true, 5, 0xb53b1024},
        {37, false, 4, 0xf12705ef}, {37, false, 5, 0xa4a7ce3b}, {37, true, 4, 0xd08e2ba0}, {37, true, 5, 0xd0c1e80b},
        {41, false, 4, 0xdb795236}, {41, false, 5, 0x2ac68b3d}, {41, true, 4, 0xa82b3aeb}, {41, true, 5, 0xb91a8791},
    };
    for (const Case& c : cases) {
        for (const int threads : {0, 1, 2, 3}) {
            UniformSource source;
            RandomCanvas canvas(c.size, c.highResolution, c.pattern, source);
            EXPECT_EQ(RenderRandom(canvas, threads), c.crc) << c.size << c.highResolution << c.pattern << threads;
        }
        // Row by row without a canvas, the sequence left where the walk leaves it.
        UniformSource walked;
        RandomCanvas canvas(c.size, c.highResolution, c.pattern, walked);
        RenderRandom(canvas, 0);
        for (const int threads : {1, 2, 3}) {
            UniformSource source;
            const PictureRows rows = SpeckleRows(canvas.params, canvas.painter.raster.width, canvas.painter.raster.height,
                                                 canvas.painter.dot, source, canvas.exponent, threads);
            unsigned long crc = 0;
            for (int y = 0; y < rows.height; ++y)
                crc = crc32(crc, reinterpret_cast<const Bytef*>(rows.row(y)), static_cast<uInt>(rows.width * sizeof(Pixel)));
            EXPECT_EQ(crc, c.crc) << c.size << c.highResolution << c.pattern << threads;
            EXPECT_TRUE(source == walked);
        }
    }
    for (const int threads : {0, 2}) {
        UniformSource source;
        RandomCanvas effect(37, true, 5, source, true);
        EXPECT_EQ(RenderRandom(effect, threads), 0x1e41c59cul) << threads;
        EXPECT_EQ(source.Next(), 0x1.6c4b0ep-1f);
    }
}

TEST(RandomPictures, AStoppedRenderLeavesTheSequenceWhereItStopped) {
    for (const int threads : {0, 2}) {
        UniformSource source;
        RandomCanvas stopped(33, true, 4, source);
        EXPECT_EQ(RenderRandom(stopped, threads, 1000), 0x1a83e1beul);  // in pass 1
        RandomCanvas next(32, false, 5, source);
        EXPECT_EQ(RenderRandom(next, threads), 0x91b97520ul);
        EXPECT_EQ(source.Next(), 0x1.51c2ap-1f);
    }
}

TEST(CountEngine, EveryEngineGivesTheDefinedCounts) {
    for (int pattern : {0, 2, 3}) {
        const RenderParams p = ParamsFor(pattern, 38, 27);
        for (int threads : {0, 1, 3}) {
            auto engine = MakeEngine(threads);
            engine->Begin(p);
            for (int passIndex = 0; passIndex < p.PassCount(); ++passIndex) {
                const int pass = p.PassAt(passIndex);
                for (int column = 0; column < p.Columns(); ++column) {
                    const std::uint8_t* counts = engine->Column(passIndex, column);
                    const std::int64_t px = 4LL * column + CalcBas::kPassX[pass];
                    for (int row = 0; row < p.Rows(); ++row)
                        ASSERT_EQ(counts[row], CountAt(p, px, 4LL * row + CalcBas::kPassY[pass]))
                            << pattern << " threads " << threads << " point " << px << "," << row;
                }
            }
            engine->End();
        }
    }
}

TEST(ElapsedText, MinutesSecondsHundredths) {
    EXPECT_EQ(ElapsedText(0), "0:00.00");
    EXPECT_EQ(ElapsedText(5320), "0:05.32");
    EXPECT_EQ(ElapsedText(65000), "1:05.00");
    EXPECT_EQ(ElapsedText(5325), "0:05.33");
    EXPECT_EQ(ElapsedText(59994), "0:59.99");
    EXPECT_EQ(ElapsedText(59995), "1:00.00");
    EXPECT_EQ(ElapsedText(4294967295u), "71582:47.30");
}
