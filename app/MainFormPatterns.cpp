#include "app/MainForm.h"

namespace velmora {

// The pattern's preset goes into the controls; the selection stays as it is.
void MainForm::OptionPt_Click(int index) {
    OptionPt[0]->Tag = QString::number(index);
    PictureParameters chosen = Parameters();
    const int selected = chosen.pattern;
    ApplyPattern(chosen, index);
    chosen.pattern = selected;
    ShowParameters(chosen);
}

}  // namespace velmora
