#include "bench/BenchInputs.h"

#include <algorithm>
#include <ctime>

#include "canvas/CanvasGeometry.h"
#include "render/CalcBas.h"
#include "render/PictureParameters.h"

namespace velmora::bench {

RenderParams PatternParams(int pattern, int sizeValue, bool highResolution) {
    PictureParameters s = StartupParameters();
    ApplyPattern(s, pattern);
    const CanvasGrid grid = GridFor(SizeForValue(sizeValue), highResolution);
    return ReadRenderParams(s, grid.width, grid.height);
}

std::vector<std::uint8_t> WalkCounts(const RenderParams& p, CountEngine& engine) {
    std::vector<std::uint8_t> counts;
    counts.reserve(static_cast<std::size_t>(p.Columns()) * p.Rows() * p.PassCount());
    engine.Begin(p);
    for (int passIndex = 0; passIndex < p.PassCount(); ++passIndex)
        for (int column = 0; column < p.Columns(); ++column) {
            const std::uint8_t* c = engine.Column(passIndex, column);
            counts.insert(counts.end(), c, c + p.Rows());
        }
    engine.End();
    return counts;
}

// A count n below maxIter + 1 stopped at outer step n, except a map-1 count 0,
// which may have stopped on a fixed point at outer step 1: a run to outer step 0 tells.
double MapSteps(const RenderParams& p, const std::vector<std::uint8_t>& counts) {
    std::vector<double> through(static_cast<std::size_t>(p.maxIter) + 2, 0);
    for (int i = 0; i <= p.maxIter; ++i) through[i + 1] = through[i] + CalcBas::MapStepsAt(i, p.maxIter);
    double steps = 0;
    std::size_t k = 0;
    for (int passIndex = 0; passIndex < p.PassCount(); ++passIndex) {
        const int pass = p.PassAt(passIndex);
        for (int column = 0; column < p.Columns(); ++column)
            for (int row = 0; row < p.Rows(); ++row, ++k) {
                int stoppedAt = std::min<int>(counts[k], p.maxIter);
                if (counts[k] == 0 && p.kernelMode == 1) {
                    const float x = PointX(p, 4LL * column + CalcBas::kPassX[pass]);
                    const float y = PointY(p, 4LL * row + CalcBas::kPassY[pass]);
                    const int atZero = p.parameterPlane ? CalcBas::IterateMap1(p.a, p.b, y, x, 0)
                                                        : CalcBas::IterateMap1(x, y, p.a, p.b, 0);
                    stoppedAt = atZero == 0 ? 0 : 1;
                }
                steps += through[stoppedAt + 1];
            }
    }
    return steps;
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
