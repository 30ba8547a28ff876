#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "canvas/CanvasGeometry.h"
#include "export/PictureExport.h"
#include "palette/ColorTable.h"
#include "render/Patterns.h"
#include "render/PictureParameters.h"
#include "render/PointPicture.h"
#include "render/Random.h"
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

// The check of pattern 2 on a 900 x 400 mm desk mat at 300 dpi in high resolution (10630 x 4724 pixels), the
// picture drawn whole as the export draws it (0) or only where the frames read it (1); both on every core.
void BM_TrackingCheckMat(benchmark::State& state) {
    ColorTable table;
    coltable(table);
    PictureParameters s = StartupParameters();
    ApplyPattern(s, 2);
    const CanvasSize pixels = PixelsForMillimetres(900, 400, 300);
    const PictureGrid grid = PictureGridFor(pixels, true);
    UniformSource random;
    PictureExport job;
    job.whole = ReadRenderParams(s, grid.grid.width, grid.grid.height, grid.regionHeight);
    job.pixels = pixels;
    job.dot = grid.grid.dot;
    job.colours = {table.column[4].data(), 16, &random, s.randomExponent};
    double tracks = 0;
    for (auto _ : state) {
        if (state.range(0) == 0) {
            ExportRows rows(job);
            tracks = CheckTracking(rows.Rows(), {900, 400}).tracks;
        } else {
            tracks = CheckTracking(PointPicture(job.whole, pixels.width, pixels.height, job.dot, job.colours), {900, 400}).tracks;
        }
    }
    state.counters["tracks %"] = 100 * tracks;
}
BENCHMARK(BM_TrackingCheckMat)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

}  // namespace
}  // namespace velmora
