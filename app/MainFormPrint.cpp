#include "app/MainForm.h"
#include "app/print/FormPrint.h"
#include "app/print/Printers.h"
#include "app/toolkit/Services.h"
#include "print/PrintLayout.h"

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

// Prints the canvas as the print dialog lays it out; printing always goes through the dialog.
void MainForm::printP() {
    if (!printDialog_) return;
    const PageLayout layout = printDialog_->Layout();
    const PrintOutcome outcome =
        CurrentPrinters().PrintPages(Text1->text(), Pic1->Image(), layout, printDialog_->Media());
    if (outcome.kind != PrintOutcome::Kind::Failed) return;
    Toolkit().MessageBox(printDialog_, outcome.failure, QString(), MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora
