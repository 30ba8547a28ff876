#pragma once
#include <string>

namespace velmora {

// Which palette colours the counts: the built-in one, or the strip sampled
// from left to right ("Palett A") or from right to left ("Palett B").
enum class PaletteChoice { Default, A, B };

// The texts and choices that define a picture, as the window's controls hold
// them. The window reads its controls into one and shows one; renders, the
// view history, data files and the command line take their parameters from it.
struct PictureParameters {
    std::string a, b;                // texta, textb
    std::string x0, x1, y0, y1;      // the region: XH, XL, YH, YL
    int pattern = 0;                 // the selected pattern option, -1 for none
    std::string kernelTag;           // PtFrame tag: "1", "3" or "6" as patterns set it
    float randomExponent = 0;        // of the random colours
    bool parameterPlane = false;     // Option1 selected
    bool pictureEffect = false;      // Zeffect ticked: only pass 0 runs, by exclusive-or
    int highResolution = 0;          // Check1 value: 0 clear, 1 ticked, 2 greyed
    int sizeValue = 37;              // HScroll1 value
    int colourIndex = 4;             // Combo2 list index, -1 for none
    PaletteChoice palette = PaletteChoice::Default;

    bool HighResolution() const { return highResolution == 1; }
    bool operator==(const PictureParameters&) const = default;
};

// The state after start-up: pattern 0, 16 colours, size 37, normal resolution.
PictureParameters StartupParameters();

// What choosing pattern `index` writes; an index outside the patterns only
// sets the pattern and the kernel tag.
void ApplyPattern(PictureParameters& parameters, int index);

}  // namespace velmora
