#include <QFileInfo>

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
    const QString printer = CurrentPrinters().CurrentDeviceName();
    const PrintOutcome outcome =
        CurrentPrinters().PrintPages(Text1->text(), Pic1->Image(), layout, printDialog_->Media());
    if (outcome.kind == PrintOutcome::Kind::Cancelled) return;
    if (outcome.kind == PrintOutcome::Kind::Failed) {
        Toolkit().MessageBox(printDialog_, outcome.failure, QString(), MessageButtons::Ok, MessageAnswer::Ok);
        return;
    }
    // A job taken closes the dialog, and the window says where it went.
    printDialog_->close();
    const int pages = static_cast<int>(layout.pages.size());
    const QString where = outcome.file.isEmpty() ? printer : QFileInfo(outcome.file).fileName();
    QString text;
    if (!outcome.file.isEmpty())
        text = pages == 1 ? tr("Written: %1, 1 page").arg(where) : tr("Written: %1, %2 pages").arg(where).arg(pages);
    else
        text = pages == 1 ? tr("Sent to %1: 1 page").arg(where) : tr("Sent to %1: %2 pages").arg(where).arg(pages);
    Toolkit().MessageBox(this, text, QString(), MessageButtons::Ok, MessageAnswer::Ok);
}

}  // namespace velmora
