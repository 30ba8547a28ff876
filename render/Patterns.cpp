#include "render/Patterns.h"

namespace velmora {

std::optional<PatternPreset> PresetFor(int index) {
    if (index < 0 || index >= kPatternCount) return std::nullopt;
    return kPatterns[static_cast<std::size_t>(index)].preset;
}

}  // namespace velmora
