#pragma once
#include <benchmark/benchmark.h>

#include <cstdint>

#include "render/RenderWalk.h"

namespace velmora::bench {

// The parameters Start reads for a pattern at a size-bar value and resolution.
RenderParams PatternParams(int pattern, int sizeValue, bool highResolution);

// CPU seconds of every thread of the process so far.
double ProcessSeconds();

// Reports the rate of computed points as "items per second".
void ReportPoints(benchmark::State& state, std::int64_t pointsPerIteration);

}  // namespace velmora::bench
