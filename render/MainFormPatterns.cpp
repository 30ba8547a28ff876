#include "app/MainForm.h"
#include "common/Numbers.h"
#include "render/Patterns.h"

namespace velmora {

void MainForm::OptionPt_Click(int index) {
    PtFrame->Tag = QString::number(index);
    OptionPt[0]->Tag = QString::number(index);
    const std::optional<PatternPreset> preset = PresetFor(index);
    if (!preset) return;
    const auto write = [](QLineEdit* box, double value) { box->setText(QString::fromStdString(NumText(value))); };
    if (preset->fractal) {
        write(XH, preset->fractal->x0);
        write(XL, preset->fractal->x1);
        write(YH, preset->fractal->y0);
        write(YL, preset->fractal->y1);
        write(texta, preset->fractal->a);
        write(textb, preset->fractal->b);
    }
    PtFrame->Tag = QString::number(preset->kernelMode);
    if (preset->fractal) Option1->SetValue(preset->fractal->parameterPlane);
    if (preset->randomExponent) RandomExponent = *preset->randomExponent;
}

}  // namespace velmora
