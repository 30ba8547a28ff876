#include "render/Patterns.h"

namespace velmora {

std::optional<PatternPreset> PresetFor(int index) {
    using F = PatternPreset::Fractal;
    switch (index) {
    case 0: return PatternPreset{F{0.05, -0.05, 0.1, -0.02, 0.051, 1.03, true}, 3, std::nullopt};
    case 1: return PatternPreset{F{0.818, 0.816, -0.86, -0.861, 0.0478, 0.964, true}, 3, std::nullopt};
    case 2: return PatternPreset{F{11, -5, 1, -15, 0.29, -0.11, false}, 1, std::nullopt};
    case 3: return PatternPreset{F{5, 1, -5, -9, 0.2, -0.11, true}, 1, std::nullopt};
    case 4: return PatternPreset{std::nullopt, 6, 3.0f};
    case 5: return PatternPreset{std::nullopt, 6, 0.2f};
    default: return std::nullopt;
    }
}

}  // namespace velmora
