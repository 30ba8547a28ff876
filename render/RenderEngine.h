#pragma once
#include <memory>

#include "render/RenderWalk.h"

namespace velmora {

// The engine every render uses. `threads` computing threads, the reader's
// own included (1: the reader alone); 0 means one per core.
std::unique_ptr<CountEngine> MakeEngine(int threads);

}  // namespace velmora
