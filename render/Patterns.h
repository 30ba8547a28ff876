#pragma once
#include <array>
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

// A pattern: its option's caption and tip, and its preset.
struct Pattern {
    const char* caption;
    const char* tip;
    PatternPreset preset;
};

inline constexpr std::array<Pattern, 6> kPatterns = {{
    {"Ptn0", "Fractal", {PatternPreset::Fractal{0.05, -0.05, 0.1, -0.02, 0.051, 1.03, true}, 3, std::nullopt}},
    {"Ptn1", "Fractal", {PatternPreset::Fractal{0.818, 0.816, -0.86, -0.861, 0.0478, 0.964, true}, 3, std::nullopt}},
    {"Ptn2", "Fractal", {PatternPreset::Fractal{11, -5, 1, -15, 0.29, -0.11, false}, 1, std::nullopt}},
    {"Ptn3", "Fractal", {PatternPreset::Fractal{5, 1, -5, -9, 0.2, -0.11, true}, 1, std::nullopt}},
    {"Ptn4", "Random(Dark)", {std::nullopt, 6, 3.0f}},
    {"Ptn5", "Random(Blight)", {std::nullopt, 6, 0.2f}},
}};

inline constexpr int kPatternCount = static_cast<int>(kPatterns.size());

// The preset of a pattern, or nothing for an index outside the patterns.
std::optional<PatternPreset> PresetFor(int index);

}  // namespace velmora
