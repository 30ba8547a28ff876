#include "render/PictureParameters.h"

#include "common/Numbers.h"
#include "render/Patterns.h"

namespace velmora {

PictureParameters StartupParameters() {
    PictureParameters p;
    p.a = ".05105";
    p.b = "1.03111";
    p.x0 = "0.16";
    p.x1 = "0.145";
    p.y0 = "-0.2";
    p.y1 = "-0.216";
    ApplyPattern(p, 0);
    return p;
}

void ApplyPattern(PictureParameters& p, int index) {
    p.pattern = index;
    p.kernelTag = std::to_string(index);
    const auto preset = PresetFor(index);
    if (!preset) return;
    if (preset->fractal) {
        const auto& f = *preset->fractal;
        p.x0 = NumText(f.x0);
        p.x1 = NumText(f.x1);
        p.y0 = NumText(f.y0);
        p.y1 = NumText(f.y1);
        p.a = NumText(f.a);
        p.b = NumText(f.b);
    }
    p.kernelTag = std::to_string(preset->kernelMode);
    if (preset->fractal) p.parameterPlane = preset->fractal->parameterPlane;
    if (preset->randomExponent) p.randomExponent = *preset->randomExponent;
}

}  // namespace velmora
