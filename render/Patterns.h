#pragma once
#include <optional>

namespace velmora {

// What choosing a pattern writes into the window's controls.
struct PatternPreset {
    struct Fractal {
        double x0, x1, y0, y1;  // XH, XL, YH, YL
        double a, b;            // texta, textb
        bool parameterPlane;    // Option1 selected
    };
    std::optional<Fractal> fractal;        // fractal patterns only
    int kernelMode;                        // the PtFrame tag
    std::optional<float> randomExponent;   // random patterns only
};

inline constexpr int kPatternCount = 6;

// The preset of pattern 0 to 5, or nothing for any other index.
std::optional<PatternPreset> PresetFor(int index);

}  // namespace velmora
