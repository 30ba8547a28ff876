#pragma once
#include <memory>

#include "render/RenderWalk.h"

namespace velmora {

// The engine every render uses; threads 0 means all cores.
std::unique_ptr<CountEngine> MakeEngine(int threads);

}  // namespace velmora
