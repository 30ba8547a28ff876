#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The fractal kernels evaluated for many points at once, one point per SIMD
// lane, with the rounding of the scalar kernels in CalcBas: every count is
// the one IterateMap1/IterateMap3 gives for the same inputs.
namespace velmora {

// Start points (x, y) and parameters (a, b) of a run of points, one entry each.
struct PointInputs {
    const float* x = nullptr;
    const float* y = nullptr;
    const float* a = nullptr;
    const float* b = nullptr;
    std::size_t count = 0;
};

namespace simd_detail {
// The escape tests fl(s) > 10000 (map 3) and fl(s) > 1000000 (map 1) are
// taken as s > bound on the double s, without rounding it: fl is monotonic,
// and the bound, the midpoint of the limit and the next single, still rounds
// to the limit (a tie goes to the even limit).
inline constexpr double kEscapeBound3 = 10000.0 + 0x1p-11;
inline constexpr double kEscapeBound1 = 1000000.0 + 0x1p-5;
}  // namespace simd_detail

// counts[i] = IterateMap1 (kernelMode 1) or IterateMap3 (kernelMode 3) of point i
// with the given last outer step index; every other mode gives 0.
void CountPoints(int kernelMode, int maxIter, const PointInputs& points, std::uint8_t* counts);

// The instruction sets this processor can run CountPoints with, best first,
// for tests and benchmarks; ForceSimdTarget(0) returns to the best one.
std::vector<std::int64_t> SimdTargets();
void ForceSimdTarget(std::int64_t target);
std::string SimdTargetName(std::int64_t target);

}  // namespace velmora
