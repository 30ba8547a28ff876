#include <QFileInfo>

#include "app/MainForm.h"
#include "app/print/FormPrint.h"
#include "app/print/Printers.h"
#include "app/toolkit/Services.h"

namespace velmora {

FormPrint* MainForm::PrintDialog() const { return printDialog_; }

void MainForm::Command2_Click() {
    if (!printDialog_) {
        printDialog_ = new FormPrint(*this);
        printDialog_->Form_Load();
        // A suggestion's change goes to the controls; the dialog checks the result.
        connect(printDialog_, &FormPrint::PictureChangeChosen, this, [this](PictureChange change) {
            ApplyPictureChange(change);
            if (printDialog_) printDialog_->PaintPreview();
        });
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

void MainForm::PrintTaken(const PrintOutcome& outcome, const QString& printer, int pages) {
    const QString where = outcome.file.isEmpty() ? printer : QFileInfo(outcome.file).fileName();
    QString text;
    if (!outcome.file.isEmpty())
        text = pages == 1 ? tr("Written: %1, 1 page").arg(where) : tr("Written: %1, %2 pages").arg(where).arg(pages);
    else if (outcome.job > 0)
        text = pages == 1 ? tr("Sent to %1: job %2, 1 page").arg(where).arg(outcome.job)
                          : tr("Sent to %1: job %2, %3 pages").arg(where).arg(outcome.job).arg(pages);
    else
        text = pages == 1 ? tr("Sent to %1: 1 page").arg(where) : tr("Sent to %1: %2 pages").arg(where).arg(pages);
    Toolkit().MessageBox(this, text, QString(), MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora
