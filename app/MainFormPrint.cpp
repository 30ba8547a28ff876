#include "app/MainForm.h"
#include "app/toolkit/Services.h"
#include "common/Numbers.h"
#include "app/print/FormPrint.h"
#include "output/PrintLayout.h"
#include "app/print/Printers.h"

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
    PictureBox& preview = *printDialog_->Picturepre1;
    preview.DrawStretched(Pic1->Image(), 0, 0, preview.ScaleWidth(), preview.ScaleHeight());
    preview.Refresh();
}

void MainForm::printP() {
    Printers& printers = CurrentPrinters();
    const PageRect target = PlaceOnPage(printers.CurrentPageSize(), fl(Pic1->ScaleWidth()), fl(Pic1->ScaleHeight()));
    const PrintOutcome outcome = printers.PrintPicture(Text1->text(), Pic1->Image(), target);
    if (outcome.kind != PrintOutcome::Kind::Failed) return;
    QWidget* owner = printDialog_ ? static_cast<QWidget*>(printDialog_) : this;
    Toolkit().MessageBox(owner, outcome.failure, QString(), MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora
