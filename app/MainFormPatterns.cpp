#include "app/MainForm.h"
#include "app/toolkit/TextNumbers.h"
#include "render/Patterns.h"

namespace velmora {

void MainForm::OptionPt_Click(int index) {
    PtFrame->Tag = QString::number(index);
    OptionPt[0]->Tag = QString::number(index);
    const std::optional<PatternPreset> preset = PresetFor(index);
    if (!preset) return;
    if (preset->fractal) {
        SetNumberText(*XH, preset->fractal->x0);
        SetNumberText(*XL, preset->fractal->x1);
        SetNumberText(*YH, preset->fractal->y0);
        SetNumberText(*YL, preset->fractal->y1);
        SetNumberText(*texta, preset->fractal->a);
        SetNumberText(*textb, preset->fractal->b);
    }
    PtFrame->Tag = QString::number(preset->kernelMode);
    if (preset->fractal) Option1->SetValue(preset->fractal->parameterPlane);
    if (preset->randomExponent) RandomExponent = *preset->randomExponent;
}

}  // namespace velmora
