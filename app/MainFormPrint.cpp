#include "app/MainForm.h"
#include "app/print/FormPrint.h"

namespace velmora {

FormPrint* MainForm::PrintDialog() const { return printDialog_; }

void MainForm::Command2_Click() {
    if (!printDialog_) {
        printDialog_ = new FormPrint(*this);
        printDialog_->Form_Load();
    }
    printDialog_->show();
    printDialog_->raise();
    printDialog_->activateWindow();
    printDialog_->PaintPreview();
}

// Prints as the print dialog chooses, on worker threads; printing always goes through the dialog.
void MainForm::printP() {
    if (printDialog_) printDialog_->Print();
}

}  // namespace velmora
