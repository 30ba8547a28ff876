#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "tracking/SensorCheck.h"

namespace velmora {
namespace {

// The sensor check of the largest picture (8192 x 5792 pixels of random colours, which track everywhere) printed at page width on A4, on
// `threads` threads; real time, and the CPU time of all threads.
void BM_TrackingCheckLargest(benchmark::State& state) {
    std::vector<Pixel> pixels(8192u * 5792u);
    std::uint64_t seed = 1;
    for (Pixel& p : pixels) {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        p = 0xFF000000u | static_cast<Pixel>(seed >> 40);
    }
    const RasterGrey picture(Raster{pixels.data(), 8192, 5792, 8192});
    const PrintedSize printed = PageWidthOnA4(8192, 5792);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckTracking(picture, printed, {}, static_cast<int>(state.range(0))).tracks);
}
BENCHMARK(BM_TrackingCheckLargest)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
}  // namespace velmora
