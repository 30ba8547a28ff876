#pragma once
#include <array>
#include <cstdint>

// The fractal kernels and the pass order. Counts are pure functions of the
// four single-precision inputs and the last outer step index; the rounding
// points below are part of each picture's definition.
namespace velmora::CalcBas {

// Offsets (0 to 3) inside each 4 x 4 cell of the point that pass p sets.
inline constexpr std::array<std::int16_t, 16> kPassX = {0, 2, 0, 2, 1, 1, 3, 3, 0, 0, 2, 2, 1, 1, 3, 3};
inline constexpr std::array<std::int16_t, 16> kPassY = {0, 2, 2, 0, 1, 3, 1, 3, 1, 3, 1, 3, 0, 2, 2, 0};

// Counts 0 to maxIter + 1 for kernel modes 1 and 3, with the last outer step
// index `maxIter` (every render uses 31).
std::int16_t IterateMap1(float X, float Y, float A, float B, int maxIter);
std::int16_t IterateMap3(float X, float Y, float A, float B, int maxIter);

// Map steps applied in outer step i: floor(4 * (1 + 1/maxIter)^i) + 1.
int MapStepsAt(int outerStep, int maxIter);

}  // namespace velmora::CalcBas
