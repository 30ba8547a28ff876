#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <random>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "render/CalcBas.h"
#include "render/Patterns.h"
#include "render/PictureSettings.h"
#include "render/RenderEngine.h"
#include "render/SimdKernels.h"

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
    PictureSettings settings = StartupSettings();
    ApplyPattern(settings, pattern);
    settings.pictureEffect = pictureEffect;
    const CanvasGrid grid = GridFor(SizeForValue(sizeValue), highResolution);
    return ReadRenderParams(InputsOf(settings, grid.width, grid.height));
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
        for (int maxIter : {31, 1, 7}) {
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
        RenderInputs in;
        const double scale = std::pow(10.0, exponent(rng) / 4.0);
        in.a = std::to_string(unit(rng) * 3);
        in.b = std::to_string(unit(rng) * 3);
        in.xl = std::to_string(unit(rng) * scale);
        in.xh = std::to_string(unit(rng) * scale);
        in.yl = std::to_string(unit(rng) * scale);
        in.yh = std::to_string(unit(rng) * scale);
        in.kernelTag = set % 2 ? "1" : "3";
        in.parameterPlane = set % 4 < 2;
        in.gridWidth = 30 + set;
        in.gridHeight = 21.5 + set / 2;
        if (set % 10 == 0) in.a = in.b = "0";            // zero denominators from the start
        if (set % 10 == 1) in.xh = in.xl;                // zero-width region
        if (set % 10 == 2) in.xh = "1E+30", in.yh = "-1E+30";  // orbits beyond the single range
        if (set % 10 == 3) in.xl = "1E-44", in.xh = "3E-44";   // subnormal coordinates
        const RenderParams params = ReadRenderParams(in);
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

        // Destroyed in the middle of a render without End.
        engine->Begin(big);
        engine->Column(0, 0);
        engine->Column(2, 0);  // a reader may skip ahead after a stopped pass
    }
    EXPECT_EQ(ThreadCount(), before);
}

TEST(PointPainter, HighResolutionColumnsMatchPlottedPointsWithClipping) {
    std::vector<ColorValue> palette(256);
    for (std::size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<ColorValue>(i * 0x010203u);
    std::vector<std::uint8_t> counts(9);
    for (std::size_t i = 0; i < counts.size(); ++i) counts[i] = static_cast<std::uint8_t>(i * 5 % 33);
    const int width = 7, height = 30;  // rows 0..8 of pass 1 reach y = 34, beyond the bottom
    std::vector<Pixel> painted(width * height, 0), plotted(width * height, 0);
    const PointPainter painter{Raster{painted.data(), width, height, width}, 1, DrawMode::Copy, palette.data(), 16,
                               nullptr, nullptr};
    const Raster reference{plotted.data(), width, height, width};
    for (std::int64_t px = -1; px <= width; ++px) {
        painter.PaintColumn(1, px, counts.data(), static_cast<int>(counts.size()));
        for (std::size_t row = 0; row < counts.size(); ++row)
            PlotPoint(reference, 1, DrawMode::Copy, px, 4 * static_cast<std::int64_t>(row) + CalcBas::kPassY[1],
                      palette[counts[row] % 16]);
    }
    EXPECT_EQ(painted, plotted);
}
