#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchInputs.h"
#include "render/Patterns.h"
#include "render/RenderEngine.h"
#include "render/SimdKernels.h"

using namespace velmora;

// The kernels against the division unit, in one run on this host. A map step
// divides twice in double precision, so two divisions are the least a step
// can take: the limit is measured with a loop of independent double divisions
// on all cores, as wide as the widest vectors the processor has. Then every
// fractal preset at a size (44 in high resolution unless told) is counted by
// the engine on all cores; its wall time per map step is set against the
// limit, in wall time and in CPU time (steadier when other programs share the
// cores). Rounds run in turns and the best of each is shown.
//
//   step_limit [--rounds N] [--size S]      (default: 3 rounds, size 44)
namespace {

constexpr int kChains = 12;  // independent divisions in flight, more than the divider's latency needs
constexpr long kLoops = 4000000;

// Each returns the lane divisions done; the values decay by 1e-7 per division
// and stay far from the subnormal range.
__attribute__((target("avx512f"))) long Divide512(double divisor, double& sink) {
    __m512d v[kChains];
    const __m512d d = _mm512_set1_pd(divisor);
    for (int k = 0; k < kChains; ++k) v[k] = _mm512_set1_pd(1.0 + k);
    for (long i = 0; i < kLoops; ++i)
        for (int k = 0; k < kChains; ++k) v[k] = _mm512_div_pd(v[k], d);
    alignas(64) double lanes[8];
    for (int k = 0; k < kChains; ++k) {
        _mm512_store_pd(lanes, v[k]);
        for (double lane : lanes) sink += lane;
    }
    return kLoops * kChains * 8;
}

__attribute__((target("avx"))) long Divide256(double divisor, double& sink) {
    __m256d v[kChains];
    const __m256d d = _mm256_set1_pd(divisor);
    for (int k = 0; k < kChains; ++k) v[k] = _mm256_set1_pd(1.0 + k);
    for (long i = 0; i < kLoops; ++i)
        for (int k = 0; k < kChains; ++k) v[k] = _mm256_div_pd(v[k], d);
    alignas(32) double lanes[4];
    for (int k = 0; k < kChains; ++k) {
        _mm256_store_pd(lanes, v[k]);
        for (double lane : lanes) sink += lane;
    }
    return kLoops * kChains * 4;
}

long Divide128(double divisor, double& sink) {
    __m128d v[kChains];
    const __m128d d = _mm_set1_pd(divisor);
    for (int k = 0; k < kChains; ++k) v[k] = _mm_set1_pd(1.0 + k);
    for (long i = 0; i < kLoops; ++i)
        for (int k = 0; k < kChains; ++k) v[k] = _mm_div_pd(v[k], d);
    for (int k = 0; k < kChains; ++k) sink += _mm_cvtsd_f64(v[k]) + _mm_cvtsd_f64(_mm_unpackhi_pd(v[k], v[k]));
    return kLoops * kChains * 2;
}

struct Divider {
    const char* width;
    long (*divide)(double, double&);
};

Divider WidestDivider() {
    if (__builtin_cpu_supports("avx512f")) return {"512-bit", Divide512};
    if (__builtin_cpu_supports("avx")) return {"256-bit", Divide256};
    return {"128-bit", Divide128};
}

struct Timing {
    double wall = 1e300, cpu = 0;
};

// Nanoseconds per lane division with every core dividing: wall time over all
// divisions, and CPU time (what one core spends on a division, steadier when
// other programs share the cores).
Timing DivisionNs(const Divider& divider, unsigned threads) {
    volatile double divisor = 1.0000001;
    std::vector<double> sinks(threads, 0);
    std::vector<std::thread> others;
    const double cpuStart = bench::ProcessSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (unsigned t = 1; t < threads; ++t) others.emplace_back([&, t] { divider.divide(divisor, sinks[t]); });
    const long divisions = divider.divide(divisor, sinks[0]);
    for (std::thread& t : others) t.join();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = bench::ProcessSeconds() - cpuStart;
    if (sinks[0] == 0) std::printf(" ");  // keeps the loops
    const double all = static_cast<double>(divisions) * threads;
    return {wall / all * 1e9, cpu / all * 1e9};
}

std::string ProcessorName() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
    return "unknown processor";
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 3, sizeValue = 44;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--rounds") == 0) rounds = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--size") == 0) sizeValue = std::atoi(argv[i + 1]);
    }
    const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
    const Divider divider = WidestDivider();
    std::vector<int> patterns;
    for (int pattern = 0; pattern < kPatternCount; ++pattern)
        if (PresetFor(pattern)->kernelMode != 6) patterns.push_back(pattern);
    std::vector<RenderParams> params;
    std::vector<double> steps;
    for (int pattern : patterns) {
        params.push_back(bench::PatternParams(pattern, sizeValue, true));
        steps.push_back(bench::MapSteps(params.back(), bench::WalkCounts(params.back(), *MakeEngine(0))));
    }
    Timing division;
    std::vector<Timing> best(patterns.size());
    for (int round = 0; round < rounds; ++round) {
        const Timing d = DivisionNs(divider, threads);
        if (d.wall < division.wall) division = d;
        for (std::size_t k = 0; k < patterns.size(); ++k) {
            const double cpuStart = bench::ProcessSeconds();
            const auto start = std::chrono::steady_clock::now();
            bench::WalkCounts(params[k], *MakeEngine(0));
            const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (wall < best[k].wall) best[k] = {wall, bench::ProcessSeconds() - cpuStart};
        }
    }
    const double limit = 2 * division.wall, cpuLimit = 2 * division.cpu;
    std::printf("%s, %u threads, kernels %s; size %d in high resolution, best of %d\n", ProcessorName().c_str(), threads,
                SimdTargetName(SimdTargets().front()).c_str(), sizeValue, rounds);
    std::printf("division limit: %.4f ns per %s double division on all cores (CPU %.4f ns), %.4f ns per map step "
                "(two divisions; CPU %.4f ns)\n",
                division.wall, divider.width, division.cpu, limit, cpuLimit);
    std::printf("%-7s %6s %12s %9s %9s %13s %13s %9s %9s\n", "pattern", "kernel", "map steps", "wall ms", "cpu ms",
                "ns/step wall", "ns/step cpu", "x limit", "cpu x lim");
    for (std::size_t k = 0; k < patterns.size(); ++k) {
        const double perStep = best[k].wall / steps[k] * 1e9;
        const double cpuPerStep = best[k].cpu / steps[k] * 1e9;
        std::printf("%-7d %6d %12.0f %9.1f %9.1f %13.4f %13.4f %9.2f %9.2f\n", patterns[k], params[k].kernelMode, steps[k],
                    best[k].wall * 1e3, best[k].cpu * 1e3, perStep, cpuPerStep, perStep / limit, cpuPerStep / cpuLimit);
    }
    return 0;
}
