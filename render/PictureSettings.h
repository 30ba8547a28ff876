#pragma once
#include <string>

#include "render/RenderWalk.h"

namespace velmora {

// The parameters of one picture as the window's controls hold them, for code
// that works without a window (the command-line renderer, tests).
struct PictureSettings {
    std::string a, b, xh, xl, yh, yl;
    std::string kernelTag;   // PtFrame tag
    std::string patternTag;  // OptionPt(0) tag
    bool parameterPlane = false;
    float randomExponent = 0;
    int colourIndex = 4;  // Combo2 list index, -1 for none
    bool highResolution = false;
    int sizeValue = 37;
    bool pictureEffect = false;
};

// The state after start-up: pattern 0, 16 colours, size 37, normal resolution.
PictureSettings StartupSettings();

// What choosing pattern `index` writes; an index outside 0 to 5 only sets the tags.
void ApplyPattern(PictureSettings& settings, int index);

// The inputs Start reads, for this canvas grid.
RenderInputs InputsOf(const PictureSettings& settings, double gridWidth, double gridHeight);

}  // namespace velmora
