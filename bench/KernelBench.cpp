#include <benchmark/benchmark.h>

#include <vector>

#include "bench/BenchInputs.h"
#include "canvas/CanvasGeometry.h"
#include "palette/ColorTable.h"
#include "render/Random.h"
#include "render/RenderEngine.h"

using namespace velmora;

namespace {

// Points per second of one kernel over the points of a pattern's first pass
// (608 x 430, high resolution: 152 x 108 points).
void KernelPoints(benchmark::State& state, int pattern) {
    const RenderParams p = bench::PatternParams(pattern, 37, true);
    std::int64_t points = 0;
    for (auto _ : state) {
        points = 0;
        for (std::int64_t px = 0; px <= p.columnLimit; px += 4)
            for (std::int64_t py = 0; py <= p.rowLimit; py += 4) {
                benchmark::DoNotOptimize(CountAt(p, px, py));
                ++points;
            }
    }
    bench::ReportPoints(state, points);
}

void BM_IterateMap3_Pattern0(benchmark::State& state) { KernelPoints(state, 0); }
void BM_IterateMap3_Pattern1(benchmark::State& state) { KernelPoints(state, 1); }
void BM_IterateMap1_Pattern2(benchmark::State& state) { KernelPoints(state, 2); }
void BM_IterateMap1_Pattern3(benchmark::State& state) { KernelPoints(state, 3); }

void BM_RandomColour(benchmark::State& state) {
    UniformSource source;
    for (auto _ : state) benchmark::DoNotOptimize(RandomColour(source, 3.0f));
    bench::ReportPoints(state, 1);
}

// A whole render into a raster, as velmora-render does it: pattern (arg 0),
// size 37, normal (arg 1 = 0) or high (1) resolution, with the engine every render uses.
void BM_WholeRender(benchmark::State& state) {
    const bool high = state.range(1) != 0;
    const RenderParams p = bench::PatternParams(static_cast<int>(state.range(0)), 37, high);
    const CanvasSize size = SizeForValue(37);
    ColorTable table;
    coltable(table);
    std::vector<Pixel> pixels(static_cast<std::size_t>(size.width) * size.height);
    UniformSource random;
    const float exponent = 3;
    const PointPainter painter{Raster{pixels.data(), size.width, size.height, size.width}, high ? 1 : 4,
                               DrawMode::Copy, table.column[4].data(), 16, &random, &exponent};
    for (auto _ : state) {
        auto engine = MakeEngine(0);
        RenderPicture(p, *engine, painter);
        benchmark::ClobberMemory();
    }
    bench::ReportPoints(state, static_cast<std::int64_t>(p.Columns()) * p.Rows() * p.PassCount());
}

}  // namespace

BENCHMARK(BM_IterateMap3_Pattern0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IterateMap3_Pattern1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IterateMap1_Pattern2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IterateMap1_Pattern3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RandomColour);
BENCHMARK(BM_WholeRender)
    ->ArgsProduct({{0, 2, 4}, {0, 1}})
    ->ArgNames({"pattern", "hires"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();  // the engine computes on worker threads
