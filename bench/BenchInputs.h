#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "render/RenderWalk.h"

namespace velmora::bench {

// The parameters Start reads for a pattern at a size-bar value and resolution.
RenderParams PatternParams(int pattern, int sizeValue, bool highResolution);

// Every count of a walk, in walk order, as the engine hands them out.
std::vector<std::uint8_t> WalkCounts(const RenderParams& p, CountEngine& engine);

// Map steps the kernels apply for the counts of a walk.
double MapSteps(const RenderParams& p, const std::vector<std::uint8_t>& counts);

// CPU seconds of every thread of the process so far.
double ProcessSeconds();

// Reports the rate of computed points as "items per second".
void ReportPoints(benchmark::State& state, std::int64_t pointsPerIteration);

}  // namespace velmora::bench
