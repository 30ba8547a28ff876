#include "bench/BenchInputs.h"

#include <ctime>

#include "canvas/CanvasGeometry.h"
#include "render/PictureParameters.h"

namespace velmora::bench {

RenderParams PatternParams(int pattern, int sizeValue, bool highResolution) {
    PictureParameters s = StartupParameters();
    ApplyPattern(s, pattern);
    const CanvasGrid grid = GridFor(SizeForValue(sizeValue), highResolution);
    return ReadRenderParams(s, grid.width, grid.height);
}

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void ReportPoints(benchmark::State& state, std::int64_t pointsPerIteration) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * pointsPerIteration);
}

}  // namespace velmora::bench
