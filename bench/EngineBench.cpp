#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/BenchInputs.h"
#include "render/RenderEngine.h"

using namespace velmora;

namespace {

// Every count of a fractal preset at size 44 in high resolution (2048 x 1448
// points), read in walk order without painting. Items per second are points
// per second of wall-clock time; points per CPU second, summed over all
// threads, show the work itself when other programs share the cores.
template <class MakeOne>
void WholeWalk(benchmark::State& state, MakeOne make) {
    const RenderParams p = bench::PatternParams(static_cast<int>(state.range(0)), 44, true);
    std::uint64_t sum = 0;
    const double cpuStart = bench::ProcessSeconds();
    for (auto _ : state) {
        auto engine = make();
        engine->Begin(p);
        for (int passIndex = 0; passIndex < p.PassCount(); ++passIndex)
            for (int column = 0; column < p.Columns(); ++column) sum += engine->Column(passIndex, column)[0];
        engine->End();
    }
    const double cpuSeconds = bench::ProcessSeconds() - cpuStart;
    benchmark::DoNotOptimize(sum);
    const std::int64_t points = static_cast<std::int64_t>(p.Columns()) * p.Rows() * p.PassCount();
    bench::ReportPoints(state, points);
    state.counters["points_per_cpu_s"] = static_cast<double>(points) * static_cast<double>(state.iterations()) / cpuSeconds;
}

void BM_ScalarOneThread(benchmark::State& state) { WholeWalk(state, MakeInlineEngine); }
void BM_EngineAllCores(benchmark::State& state) { WholeWalk(state, [] { return MakeEngine(0); }); }

}  // namespace

BENCHMARK(BM_ScalarOneThread)->DenseRange(0, 3)->ArgName("pattern")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_EngineAllCores)->DenseRange(0, 3)->ArgName("pattern")->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
