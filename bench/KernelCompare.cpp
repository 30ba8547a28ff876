#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

#include "render/CalcBas.h"
#include "render/Patterns.h"
#include "render/SimdKernels.h"

using namespace velmora;

// A long random comparison of the lane kernels with the scalar kernels, run
// by hand (it takes minutes): batches of points over random parameters and
// regions, in both planes and both kernel modes, with a share of awkward
// values (zeros, subnormals, values near the single range's end, infinities,
// NaN), each counted by the scalar kernels and by CountPoints on every
// instruction set the processor has. Exits 1 on any difference.
//
//   kernel_compare [--points N] [--seed S]        (default 100 million points, seed 1)
namespace {

constexpr std::size_t kBatch = 1 << 16;

struct Batch {
    int mode = 3;
    std::vector<float> x, y, a, b;
};

float Awkward(std::mt19937_64& rng) {
    static const float values[] = {0.0f,     -0.0f,    1.0e-45f, -1.0e-45f, 1.0e-39f, 1.17549435e-38f, 3.0e38f,
                                   -3.0e38f, 1.0e19f,  -1.0e19f, INFINITY,  -INFINITY, NAN,           1.0f,
                                   -1.0f,    0.5f,     2.0f,     1.0e-20f};
    return values[std::uniform_int_distribution<int>(0, std::size(values) - 1)(rng)];
}

// A region of a random size around a random centre, walked as a grid the way
// renders place their points, with the parameter (or start point) fixed. A
// quarter of the batches zoom into pattern 2's region, where nine orbits in
// ten decay through subnormal singles (random parameters send about one
// map-1 orbit in fourteen through them, map-3 orbits hardly ever).
void MakeBatch(std::mt19937_64& rng, Batch& batch) {
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    batch.mode = rng() % 2 ? 1 : 3;
    bool parameterPlane = rng() % 2;
    float a = static_cast<float>(unit(rng) * 3), b = static_cast<float>(unit(rng) * 3);
    double scale = std::pow(10.0, unit(rng) * 4 - 1);  // 1e-5 to 1e3
    double cx = unit(rng) * 2, cy = unit(rng) * 2;
    if (rng() % 4 == 0) {
        const PatternPreset::Fractal preset = *kPatterns[2].preset.fractal;
        batch.mode = 1;
        parameterPlane = preset.parameterPlane;
        a = static_cast<float>(preset.a), b = static_cast<float>(preset.b);
        const double width = preset.x0 - preset.x1, height = preset.y0 - preset.y1;
        scale = width / 2 * std::pow(10.0, -4 * (unit(rng) + 1) / 2);  // the whole region to 1e-4 of it
        cx = preset.x1 + width * (unit(rng) + 1) / 2, cy = preset.y1 + height * (unit(rng) + 1) / 2;
    }
    const int columns = 256, rows = static_cast<int>(kBatch / columns);
    const float x1 = static_cast<float>(cx - scale), y1 = static_cast<float>(cy - scale);
    const float dx = static_cast<float>(2 * scale / columns), dy = static_cast<float>(2 * scale / rows);
    const int awkwardShare = static_cast<int>(rng() % 3);  // none, 1 in 64 or 1 in 8 values awkward
    batch.x.resize(kBatch), batch.y.resize(kBatch), batch.a.resize(kBatch), batch.b.resize(kBatch);
    for (std::size_t i = 0; i < kBatch; ++i) {
        const float px = static_cast<float>(static_cast<double>(i % columns) * dx + x1);
        const float py = static_cast<float>(static_cast<double>(i / columns) * dy + y1);
        float v[4] = {parameterPlane ? a : px, parameterPlane ? b : py, parameterPlane ? py : a, parameterPlane ? px : b};
        if (awkwardShare > 0 && rng() % (awkwardShare == 1 ? 64 : 8) == 0) v[rng() % 4] = Awkward(rng);
        batch.x[i] = v[0], batch.y[i] = v[1], batch.a[i] = v[2], batch.b[i] = v[3];
    }
}

// Runs body(first, count) on two threads over halves of a batch.
template <class Body>
void OnTwoThreads(Body body) {
    std::thread other([&] { body(kBatch / 2, kBatch - kBatch / 2); });
    body(0, kBatch / 2);
    other.join();
}

}  // namespace

int main(int argc, char** argv) {
    double wanted = 1e8;
    unsigned long long seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--points") == 0) wanted = std::atof(argv[i + 1]);
        if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    const std::vector<std::int64_t> targets = SimdTargets();
    std::printf("instruction sets:");
    for (std::int64_t t : targets) std::printf(" %s", SimdTargetName(t).c_str());
    std::printf("\n");
    std::mt19937_64 rng(seed);
    Batch batch;
    std::vector<std::uint8_t> expected(kBatch), counts(kBatch);
    std::vector<std::size_t> differences(targets.size(), 0);
    double points = 0;
    std::size_t shown = 0;
    const auto start = std::chrono::steady_clock::now();
    for (std::size_t n = 0; points < wanted; ++n) {
        MakeBatch(rng, batch);
        const auto kernel = batch.mode == 1 ? static_cast<std::int16_t (*)(float, float, float, float, int)>(CalcBas::IterateMap1)
                                            : static_cast<std::int16_t (*)(float, float, float, float, int)>(CalcBas::IterateMap3);
        OnTwoThreads([&](std::size_t first, std::size_t count) {
            for (std::size_t i = first; i < first + count; ++i)
                expected[i] = static_cast<std::uint8_t>(kernel(batch.x[i], batch.y[i], batch.a[i], batch.b[i], 31));
        });
        for (std::size_t t = 0; t < targets.size(); ++t) {
            ForceSimdTarget(targets[t]);
            OnTwoThreads([&](std::size_t first, std::size_t count) {
                CountPoints(batch.mode, 31, PointInputs{&batch.x[first], &batch.y[first], &batch.a[first], &batch.b[first], count},
                            &counts[first]);
            });
            for (std::size_t i = 0; i < kBatch; ++i) {
                if (counts[i] == expected[i]) continue;
                ++differences[t];
                if (shown++ < 20)
                    std::printf("%s mode %d: (%a, %a, %a, %a) counts %d, scalar %d\n", SimdTargetName(targets[t]).c_str(),
                                batch.mode, batch.x[i], batch.y[i], batch.a[i], batch.b[i], counts[i], expected[i]);
            }
        }
        ForceSimdTarget(0);
        points += kBatch;
        if (n % 100 == 99)
            std::printf("%.0f million points, %.0f s\n", points * 1e-6,
                        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::fflush(stdout);
    }
    std::size_t total = 0;
    for (std::size_t t = 0; t < targets.size(); ++t) {
        std::printf("%s: %.0f points, %zu differences\n", SimdTargetName(targets[t]).c_str(), points, differences[t]);
        total += differences[t];
    }
    return total == 0 ? 0 : 1;
}
