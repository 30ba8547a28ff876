#include "render/PictureSettings.h"

#include "common/Numbers.h"
#include "render/Patterns.h"

namespace velmora {

PictureSettings StartupSettings() {
    PictureSettings s;
    s.a = ".05105";
    s.b = "1.03111";
    s.xh = "0.16";
    s.xl = "0.145";
    s.yh = "-0.2";
    s.yl = "-0.216";
    ApplyPattern(s, 0);
    return s;
}

void ApplyPattern(PictureSettings& s, int index) {
    s.kernelTag = std::to_string(index);
    s.patternTag = std::to_string(index);
    const auto preset = PresetFor(index);
    if (!preset) return;
    if (preset->fractal) {
        const auto& f = *preset->fractal;
        s.xh = NumText(f.x0);
        s.xl = NumText(f.x1);
        s.yh = NumText(f.y0);
        s.yl = NumText(f.y1);
        s.a = NumText(f.a);
        s.b = NumText(f.b);
    }
    s.kernelTag = std::to_string(preset->kernelMode);
    if (preset->fractal) s.parameterPlane = preset->fractal->parameterPlane;
    if (preset->randomExponent) s.randomExponent = *preset->randomExponent;
}

RenderInputs InputsOf(const PictureSettings& s, double gridWidth, double gridHeight) {
    RenderInputs in;
    in.a = s.a;
    in.b = s.b;
    in.xh = s.xh;
    in.xl = s.xl;
    in.yh = s.yh;
    in.yl = s.yl;
    in.kernelTag = s.kernelTag;
    in.parameterPlane = s.parameterPlane;
    in.gridWidth = gridWidth;
    in.gridHeight = gridHeight;
    in.pictureEffect = s.pictureEffect;
    return in;
}

}  // namespace velmora
