#include "render/RenderEngine.h"

namespace velmora {

std::unique_ptr<CountEngine> MakeEngine(int) { return MakeInlineEngine(); }

}  // namespace velmora
