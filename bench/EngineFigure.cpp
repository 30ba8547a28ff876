#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchInputs.h"
#include "render/CalcBas.h"
#include "render/RenderEngine.h"

using namespace velmora;

// The engine figure in one command: every count of a preset at size 44 in
// high resolution (2048 x 1448 points), read in walk order, by the scalar
// kernels on one thread, the engine on one thread and the engine on all
// cores, in turns for several rounds; the best wall time of each is shown
// with the CPU time of that run. Map steps are counted from the counts.
//
//   engine_figure [--rounds N] [PATTERN...]      (default: 3 rounds, patterns 0 and 2)
namespace {

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

// Map steps the kernels apply for the counts of a walk. A count n below
// maxIter + 1 stopped at outer step n, except a map-1 count 0, which may have
// stopped on a fixed point at outer step 1: a run to outer step 0 tells.
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

struct Timing {
    double wall = 1e300, cpu = 0;
};

Timing TimeWalk(const RenderParams& p, const std::function<std::unique_ptr<CountEngine>()>& make, int repeats) {
    Timing best;
    for (int r = 0; r < repeats; ++r) {
        const double cpuStart = bench::ProcessSeconds();
        const auto start = std::chrono::steady_clock::now();
        auto engine = make();
        const std::vector<std::uint8_t> counts = WalkCounts(p, *engine);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double cpu = bench::ProcessSeconds() - cpuStart;
        if (wall < best.wall) best = {wall, cpu};
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3;
    std::vector<int> patterns;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) rounds = std::max(1, std::atoi(argv[++i]));
        else patterns.push_back(std::atoi(argv[i]));
    }
    if (patterns.empty()) patterns = {0, 2};
    std::printf("%-7s %-18s %9s %9s %10s %13s %13s %8s\n", "pattern", "counts by", "wall ms", "cpu ms", "Mpoints/s",
                "ns/step wall", "ns/step cpu", "speedup");
    for (int pattern : patterns) {
        const RenderParams p = bench::PatternParams(pattern, 44, true);
        const double points = static_cast<double>(p.Columns()) * p.Rows() * p.PassCount();
        const double steps = MapSteps(p, WalkCounts(p, *MakeEngine(0)));
        const struct {
            const char* name;
            std::function<std::unique_ptr<CountEngine>()> make;
            int repeats;
        } ways[] = {{"scalar, 1 thread", MakeInlineEngine, 1},
                    {"engine, 1 thread", [] { return MakeEngine(1); }, 3},
                    {"engine, all cores", [] { return MakeEngine(0); }, 5}};
        Timing best[3];
        for (int round = 0; round < rounds; ++round)
            for (int w = 0; w < 3; ++w) {
                const Timing t = TimeWalk(p, ways[w].make, ways[w].repeats);
                if (t.wall < best[w].wall) best[w] = t;
            }
        for (int w = 0; w < 3; ++w)
            std::printf("%-7d %-18s %9.1f %9.1f %10.3f %13.3f %13.3f %8.2f\n", pattern, ways[w].name, best[w].wall * 1e3,
                        best[w].cpu * 1e3, points / best[w].wall * 1e-6, best[w].wall / steps * 1e9,
                        best[w].cpu / steps * 1e9, best[0].wall / best[w].wall);
        std::printf("%-7d %.0f points, %.0f map steps (%.1f per point)\n", pattern, points, steps, steps / points);
    }
    return 0;
}
