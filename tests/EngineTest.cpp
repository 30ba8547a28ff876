#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "render/BandedPicture.h"
#include "render/CalcBas.h"
#include "render/Patterns.h"
#include "render/PictureParameters.h"
#include "render/RenderEngine.h"
#include "render/SimdKernels.h"
#include "tests/CountGrid.h"

using namespace velmora;

namespace {

// Every count of a render in walk order, as the engine hands them out.
std::vector<std::uint8_t> AllCounts(const RenderParams& params, CountEngine& engine) {
    std::vector<std::uint8_t> counts;
    engine.Begin(params);
    for (int passIndex = 0; passIndex < params.PassCount(); ++passIndex)
        for (int column = 0; column < params.Columns(); ++column) {
            const std::uint8_t* c = engine.Column(passIndex, column);
            counts.insert(counts.end(), c, c + params.Rows());
        }
    engine.End();
    return counts;
}

std::vector<std::uint8_t> ScalarCounts(const RenderParams& params) { return AllCounts(params, *MakeInlineEngine()); }

bool SameBytes(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

RenderParams PresetParams(int pattern, int sizeValue, bool highResolution, bool pictureEffect = false) {
    PictureParameters settings = StartupParameters();
    ApplyPattern(settings, pattern);
    settings.pictureEffect = pictureEffect;
    const CanvasGrid grid = GridFor(SizeForValue(sizeValue), highResolution);
    return ReadRenderParams(settings, grid.width, grid.height);
}

std::size_t ThreadCount() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// Runs the body once with each instruction set the processor has forced.
template <class Body>
void OnEveryTarget(Body body) {
    const std::vector<std::int64_t> targets = SimdTargets();
    ASSERT_FALSE(targets.empty());
    for (std::int64_t target : targets) {
        ForceSimdTarget(target);
        SCOPED_TRACE(SimdTargetName(target));
        body();
    }
    ForceSimdTarget(0);
}

// Start points and parameters mixing ordinary values with the awkward ones:
// zeros of both signs, subnormals, values near the single range's end,
// infinities and NaN.
std::vector<float> AwkwardValues(std::mt19937& rng, std::size_t count) {
    const float specials[] = {0.0f,     -0.0f,     1.0e-45f,  -1.0e-45f, 1.0e-39f, 1.17549435e-38f,
                              3.0e38f,  -3.0e38f,  1.0e19f,   -1.0e19f,  INFINITY, -INFINITY,
                              NAN,      1.0f,      -1.0f,     0.5f,      2.0f,     1.0e-20f};
    std::uniform_real_distribution<float> ordinary(-2.0f, 2.0f);
    std::uniform_int_distribution<int> pick(0, 9), special(0, std::size(specials) - 1);
    std::vector<float> values(count);
    for (float& v : values) v = pick(rng) == 0 ? specials[special(rng)] : ordinary(rng);
    return values;
}

}  // namespace

TEST(SimdKernels, MatchScalarKernelsOnEveryTarget) {
    std::mt19937 rng(7);
    const std::size_t n = 6000;
    const std::vector<float> x = AwkwardValues(rng, n), y = AwkwardValues(rng, n);
    const std::vector<float> a = AwkwardValues(rng, n), b = AwkwardValues(rng, n);
    for (int mode : {1, 3}) {
        for (int maxIter : {31, 1, 7, 254}) {  // 254: the largest count, 255, in a log entry
            std::vector<std::uint8_t> expected(n);
            for (std::size_t i = 0; i < n; ++i)
                expected[i] = static_cast<std::uint8_t>(mode == 1 ? CalcBas::IterateMap1(x[i], y[i], a[i], b[i], maxIter)
                                                                  : CalcBas::IterateMap3(x[i], y[i], a[i], b[i], maxIter));
            OnEveryTarget([&] {
                // Runs shorter than a vector, and one long run with lane refill.
                for (std::size_t count : {std::size_t{1}, std::size_t{3}, n}) {
                    std::vector<std::uint8_t> counts(count, 0xEE);
                    CountPoints(mode, maxIter, PointInputs{x.data(), y.data(), a.data(), b.data(), count}, counts.data());
                    EXPECT_EQ(std::memcmp(counts.data(), expected.data(), count), 0)
                        << "mode " << mode << " maxIter " << maxIter << " count " << count;
                }
            });
        }
    }
}

// Orbits that pass through subnormal singles (map 1 decays through them to
// zero from most of pattern 2's points; map 3 meets one when a step cancels), counted by a plain scalar program built without
// optimisation. Flushing subnormals to zero changes every map-1 count here.
TEST(SimdKernels, OrbitsThroughSubnormalsKeepTheirCountsOnEveryTarget) {
    struct Known {
        int mode;
        float x, y, a, b;
        int count;
    };
    const Known known[] = {
        {1, -0x1.55aa86p+1f, -0x1.56d8cap+3f, 0x1.28f5c2p-2f, -0x1.c28f5cp-4f, 25},  // pattern 2's region
        {1, 0x1.10502ap+3f, 0x1.60219ap+2f, 0x1.28f5c2p-2f, -0x1.c28f5cp-4f, 21},
        {1, 0x1.9e467ep+0f, 0x1.3ca156p+0f, 0x1.28f5c2p-2f, -0x1.c28f5cp-4f, 15},
        {1, 0x1.ab8ee4p+1f, 0x1.56f404p-3f, 0x1.28f5c2p-2f, -0x1.c28f5cp-4f, 32},  // leaves them again
        {1, 0x1.99999ap-3f, -0x1.c28f5cp-4f, 0x1.0c5cc2p-3f, -0x1.7271ep-2f, 10},  // pattern 3's start point
        {1, 0x1.99999ap-3f, -0x1.c28f5cp-4f, 0x1.252beep-8f, -0x1.9c7c9p-1f, 30},
        {1, 0x1.99999ap-3f, -0x1.c28f5cp-4f, 0x1.276548p-1f, 0x1.0fc5a6p-1f, 26},
        {3, 0x1p+1f, -0x1.1ap-139f, 0x1p-1f, -0x1.0ec09cp+0f, 5},
        {3, -0x1p+1f, 0x1.ca965p-128f, -0x1p-1f, -0x1.30d12p-6f, 6},
        {3, -0x1p+0f, 0x1.00031ap-125f, -0x1p+0f, -0x1.0c1f6cp-4f, 24},
        {3, 0x1p+2f, 0x1.1d02p-127f, 0x1p-2f, 0x1.a4a6b4p-1f, 32},
    };
    for (const Known& k : known) {
        SCOPED_TRACE(testing::Message() << "mode " << k.mode << " x " << k.x << " y " << k.y << " a " << k.a << " b " << k.b);
        EXPECT_EQ(k.mode == 1 ? CalcBas::IterateMap1(k.x, k.y, k.a, k.b, 31) : CalcBas::IterateMap3(k.x, k.y, k.a, k.b, 31),
                  k.count);
        // Each point at several places in a run, among ordinary points.
        const std::size_t n = 24;
        std::vector<float> x(n, 0.5f), y(n, 0.25f), a(n, k.a), b(n, k.b);
        for (std::size_t at = 0; at < n; at += 5) x[at] = k.x, y[at] = k.y;
        OnEveryTarget([&] {
            std::vector<std::uint8_t> counts(n, 0xEE);
            CountPoints(k.mode, 31, PointInputs{x.data(), y.data(), a.data(), b.data(), n}, counts.data());
            for (std::size_t at = 0; at < n; at += 5) EXPECT_EQ(counts[at], k.count) << "lane " << at;
        });
    }
}

TEST(SimdKernels, EscapeBoundsAreTheLastDoublesRoundingToTheLimits) {
    for (const auto& [bound, limit] : {std::pair{simd_detail::kEscapeBound3, 10000.0f}, std::pair{simd_detail::kEscapeBound1, 1000000.0f}}) {
        EXPECT_EQ(static_cast<float>(bound), limit);
        EXPECT_GT(static_cast<float>(std::nextafter(bound, INFINITY)), limit);
    }
}

TEST(SimdKernels, OtherKernelModesCountZero) {
    const float v[2] = {0.5f, 0.25f};
    std::uint8_t counts[2] = {9, 9};
    CountPoints(6, 31, PointInputs{v, v, v, v, 2}, counts);
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(counts[1], 0);
}

TEST(Engine, EveryPresetRendersAsTheScalarKernelsOnEveryTarget) {
    for (int pattern = 0; pattern < kPatternCount; ++pattern) {
        if (PresetFor(pattern)->kernelMode == 6) continue;
        SCOPED_TRACE(pattern);
        const RenderParams params = PresetParams(pattern, 35, true);
        const std::vector<std::uint8_t> expected = ScalarCounts(params);
        OnEveryTarget([&] {
            auto engine = MakeEngine(0);
            EXPECT_TRUE(SameBytes(AllCounts(params, *engine), expected));
        });
    }
    // Normal resolution with the picture effect: only pass 0, 4-pixel dots.
    const RenderParams effect = PresetParams(2, 40, false, true);
    EXPECT_TRUE(SameBytes(AllCounts(effect, *MakeEngine(2)), ScalarCounts(effect)));
}

TEST(Engine, RandomParameterSetsMatchScalarKernels) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-40, 40);
    for (int set = 0; set < 60; ++set) {
        PictureParameters in;
        const double scale = std::pow(10.0, exponent(rng) / 4.0);
        in.a = std::to_string(unit(rng) * 3);
        in.b = std::to_string(unit(rng) * 3);
        in.x1 = std::to_string(unit(rng) * scale);
        in.x0 = std::to_string(unit(rng) * scale);
        in.y1 = std::to_string(unit(rng) * scale);
        in.y0 = std::to_string(unit(rng) * scale);
        in.kernelTag = set % 2 ? "1" : "3";
        in.parameterPlane = set % 4 < 2;
        const double gridWidth = 30 + set, gridHeight = 21.5 + set / 2;
        if (set % 10 == 0) in.a = in.b = "0";            // zero denominators from the start
        if (set % 10 == 1) in.x0 = in.x1;                // zero-width region
        if (set % 10 == 2) in.x0 = "1E+30", in.y0 = "-1E+30";  // orbits beyond the single range
        if (set % 10 == 3) in.x1 = "1E-44", in.x0 = "3E-44";   // subnormal coordinates
        const RenderParams params = ReadRenderParams(in, gridWidth, gridHeight);
        SCOPED_TRACE(set);
        EXPECT_TRUE(SameBytes(AllCounts(params, *MakeEngine(1 + set % 3)), ScalarCounts(params)));
    }
}

TEST(Engine, NoKernelModeGivesZeroCounts) {
    RenderParams params = PresetParams(0, 34, false);
    params.kernelMode = 2;
    const std::vector<std::uint8_t> counts = AllCounts(params, *MakeEngine(2));
    EXPECT_EQ(counts.size(), static_cast<std::size_t>(params.Columns()) * params.Rows() * 16);
    EXPECT_TRUE(SameBytes(counts, std::vector<std::uint8_t>(counts.size(), 0)));
}

TEST(Engine, StoppedAndNestedRendersLeaveNoThreads) {
    const std::size_t before = ThreadCount();
    const RenderParams big = PresetParams(1, 44, true);
    const RenderParams small = PresetParams(3, 33, false);
    const std::vector<std::uint8_t> smallExpected = ScalarCounts(small);
    {
        // Stop after a few columns of pass 0, while the workers are ahead.
        auto engine = MakeEngine(4);
        engine->Begin(big);
        for (int column = 0; column < 5; ++column) ASSERT_NE(engine->Column(0, column), nullptr);
        EXPECT_GT(ThreadCount(), before);
        engine->End();
        EXPECT_EQ(ThreadCount(), before);

        // A render started inside another one gets its own engine; the outer one resumes.
        engine->Begin(small);
        std::vector<std::uint8_t> outer;
        for (int passIndex = 0; passIndex < small.PassCount(); ++passIndex)
            for (int column = 0; column < small.Columns(); ++column) {
                if (passIndex == 3 && column == 7) {
                    auto nested = MakeEngine(0);
                    EXPECT_TRUE(SameBytes(AllCounts(small, *nested), smallExpected));
                }
                const std::uint8_t* c = engine->Column(passIndex, column);
                outer.insert(outer.end(), c, c + small.Rows());
            }
        engine->End();
        EXPECT_TRUE(SameBytes(outer, smallExpected));

        // A reader may skip ahead after a stopped pass while blocks it skipped
        // are still being computed into the slots it now reads.
        std::vector<std::uint8_t> pass2;
        for (int column = 0; column < big.Columns(); ++column)
            for (int row = 0; row < big.Rows(); ++row)
                pass2.push_back(static_cast<std::uint8_t>(
                    CountAt(big, 4LL * column + CalcBas::kPassX[2], 4LL * row + CalcBas::kPassY[2])));
        for (int round = 0; round < 8; ++round) {
            engine->Begin(big);
            engine->Column(0, 0);
            for (int column = 0; column < big.Columns(); ++column)
                ASSERT_EQ(std::memcmp(engine->Column(2, column), pass2.data() + column * big.Rows(), big.Rows()), 0)
                    << "round " << round << " column " << column;
        }

        // Destroyed in the middle of a render without End.
        engine->Begin(big);
        engine->Column(0, 0);
        engine->Column(2, 0);
    }
    EXPECT_EQ(ThreadCount(), before);
}

TEST(PointPainter, ColumnsAndRowBatchesMatchPlottedPointsWithClipping) {
    std::vector<ColorValue> palette(256);
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<ColorValue>(i * 0x010203u);
    std::vector<std::uint8_t> counts(9);
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = static_cast<std::uint8_t>(i * 5 % 33);
    const int width = 7, height = 30;  // rows 0..8 of pass 1 reach y = 34, beyond the bottom
    // High resolution, normal resolution (4-pixel dots) and exclusive-or.
    for (const auto& [dot, mode] : {std::pair{1, DrawMode::Copy}, std::pair{4, DrawMode::Copy}, std::pair{1, DrawMode::Xor}}) {
        SCOPED_TRACE(dot);
        std::vector<Pixel> painted(width * height, 0x00ABCDEFu), batched = painted, plotted = painted;
        const PointPainter painter{Raster{painted.data(), width, height, width}, dot, mode, palette.data(), 16, nullptr, nullptr};
        PointPainter batchPainter = painter;
        batchPainter.raster.bits = batched.data();
        const Raster reference{plotted.data(), width, height, width};
        std::vector<std::int64_t> columns;
        std::vector<std::vector<std::uint8_t>> columnCounts;
        for (std::int64_t px = -1; px <= width; ++px) {
            painter.PaintColumn(1, px, counts.data(), static_cast<int>(counts.size()));
            for (std::size_t row = 0; row < counts.size(); ++row)
                PlotPoint(reference, dot, mode, px, 4 * static_cast<std::int64_t>(row) + CalcBas::kPassY[1],
                          palette[counts[row] % 16]);
            columns.push_back(px);
            columnCounts.push_back(counts);
            std::rotate(counts.begin(), counts.begin() + 1, counts.end());  // each column its own counts
        }
        std::vector<const std::uint8_t*> pointers;
        for (const auto& c : columnCounts) pointers.push_back(c.data());
        batchPainter.PaintColumns(1, columns.data(), pointers.data(), static_cast<int>(columns.size()),
                                  static_cast<int>(counts.size()));
        EXPECT_EQ(painted, plotted);
        EXPECT_EQ(batched, plotted);
    }
}

// A picture drawn in bands on the threaded engine is the picture a whole
// render plots point by point, also at an odd size beyond the series and for
// a band that ends below the picture's last row.
TEST(BandedPicture, BandsDrawTheWholeRendersPicture) {
    std::vector<ColorValue> palette(256);
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<ColorValue>(i * 0x0A0B0Cu);
    for (const bool high : {false, true})
        for (const int pattern : {0, 2}) {
            SCOPED_TRACE(testing::Message() << "high " << high << " pattern " << pattern);
            const CanvasSize size{611, 171};
            const PictureGrid grid = PictureGridFor(size, high);
            PictureParameters parameters = StartupParameters();
            ApplyPattern(parameters, pattern);
            const RenderParams params = ReadRenderParams(parameters, grid.grid.width, grid.grid.height, grid.regionHeight);

            std::vector<Pixel> whole(static_cast<std::size_t>(size.width) * size.height, 0xFFFFFFFFu);
            PointPainter painter;
            painter.raster = Raster{whole.data(), size.width, size.height, size.width};
            painter.dot = grid.grid.dot;
            painter.tableColumn = palette.data();
            painter.colourCount = 16;
            RenderPicture(params, *MakeInlineEngine(), painter);

            const auto engine = MakeEngine(2);
            BandedPicture banded(params, size.width, size.height, grid.grid.dot, *engine,
                                 PointColours{palette.data(), 16, nullptr, 0}, 32);
            const PictureRows rows = banded.Rows();
            for (int y = size.height - 1; y >= 0; --y)  // bottom-up, as a bitmap is written
                ASSERT_EQ(std::memcmp(rows.row(y), &whole[static_cast<std::size_t>(y) * size.width], size.width * 4u), 0)
                    << "row " << y;
        }
}

// Count grids worked out by a separate program written from the definition
// of the pictures, not from this code: grid size, sum of counts and CRC-32.
TEST(KnownPictures, TypedTextsGiveTheDefinedCountGrids) {
    struct Known {
        test_grid::TypedPicture typed;
        int width, height;
        std::uint64_t sum;
        std::uint32_t crc;
    };
    const Known known[] = {
        {{"3", true, "0.051", "1.03", "0.05", "-0.05", "0.1", "-0.02", 37, true}, 608, 428, 5246752, 0x1ad57112},
        {{"3", true, "0.0478", "0.964", "0.818", "0.816", "-0.86", "-0.861", 37, true}, 608, 428, 3585958, 0x94a68521},
        {{"1", false, "0.29", "-0.11", "11", "-5", "1", "-15", 37, true}, 608, 428, 5373442, 0xda4f6008},
        {{"1", true, "0.2", "-0.11", "5", "1", "-5", "-9", 37, true}, 608, 428, 3344621, 0x2ec9f994},
        {{"3", true, "0.0478", "0.964", "0.818", "0.816", "-0.86", "-0.861", 44, false}, 512, 360, 2541118, 0x5b51e212},
        {{"3", true, "0.051", "1.03", "0.03", "-0.03", "0.09", "0.03", 38, true}, 724, 512, 7360428, 0xf53b568f},
        {{"3", true, "0.051", "1.03", "0.011", "-0.013", "0.047", "0.029", 35, true}, 428, 304, 2313433, 0x3f9b832a},
        {{"1", true, "0.2", "-0.11", "3.3", "2.1", "-6.2", "-7.3", 36, true}, 512, 360, 2343458, 0xd6b0b552},
        {{"1", false, "0.29", "-0.11", "2.5", "-1.25", "-3", "-6.75", 38, false}, 180, 128, 490727, 0xa476064a},
    };
    const std::string check = "123456789";  // the CRC-32 check value
    EXPECT_EQ(test_grid::Crc32({check.begin(), check.end()}), 0xCBF43926u);
    for (std::size_t i = 0; i < std::size(known); ++i) {
        SCOPED_TRACE("case " + std::to_string(i + 1));
        const Known& k = known[i];
        const RenderParams params = test_grid::ParamsOfTyped(k.typed);
        OnEveryTarget([&] {
            const test_grid::CountGrid grid = test_grid::GridOfCounts(params, *MakeEngine(0));
            EXPECT_EQ(grid.width, k.width);
            EXPECT_EQ(grid.height, k.height);
            EXPECT_EQ(test_grid::SumOf(grid.counts), k.sum);
            EXPECT_EQ(test_grid::Crc32(grid.counts), k.crc) << std::hex << test_grid::Crc32(grid.counts);
        });
    }
}
