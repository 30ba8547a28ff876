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

struct Timing {
    double wall = 1e300, cpu = 0;
};

Timing TimeWalk(const RenderParams& p, const std::function<std::unique_ptr<CountEngine>()>& make, int repeats) {
    Timing best;
    for (int r = 0; r < repeats; ++r) {
        const double cpuStart = bench::ProcessSeconds();
        const auto start = std::chrono::steady_clock::now();
        auto engine = make();
        const std::vector<std::uint8_t> counts = bench::WalkCounts(p, *engine);
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
        const double steps = bench::MapSteps(p, bench::WalkCounts(p, *MakeEngine(0)));
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
