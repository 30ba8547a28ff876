#include <QAction>
#include <QFileInfo>
#include <QTimer>

#include "app/colour/ColourChoice.h"
#include "app/export/ExportDialog.h"
#include "app/MainForm.h"
#include "app/print/FormPrint.h"
#include "app/toolkit/Services.h"
#include "app/toolkit/Settings.h"

namespace velmora {

namespace {

constexpr int kBlinkMs = 500;

}  // namespace

void MainForm::SetProofProfile(std::shared_ptr<const OutputProfile> profile) {
    // The product's data file records the profile chosen last, or none.
    if (product_) product_->profile = profile ? profile->Path() : std::string();
    if (!profile) return;  // a dialog back at no profile leaves the proof with the one it has
    softProof_ = std::make_shared<SoftProof>(std::move(profile));
    ApplySoftProof();
}

void MainForm::UpdateColourFigures() {
    if (unloading_) return;
    if (exportDialog_) exportDialog_->Colours->UpdateFigure();
    if (printDialog_) printDialog_->Colours->UpdateFigure();
}

bool MainForm::HaveProofProfile() {
    if (softProof_) return true;
    // The profile chosen last in the export or the print dialog, as they remember it.
    ColourChoice remembered(nullptr);
    for (const char* group : {"export", "print"}) {
        remembered.Restore(QString::fromLatin1(group));
        if (remembered.Profile()) {
            softProof_ = std::make_shared<SoftProof>(remembered.Profile());
            return true;
        }
    }
    const QString path = Toolkit().OpenFileName(this, QStringLiteral("/usr/share/color/icc"),
                                                ColourChoice::tr("ICC profiles (*.icc *.icm *.ICC *.ICM)"));
    if (path.isEmpty() || !remembered.ChooseProfile(path)) return false;
    softProof_ = std::make_shared<SoftProof>(remembered.Profile());
    return true;
}

void MainForm::ShowPrintColours(bool on) {
    showPrintColours_ = on && HaveProofProfile();
    ApplySoftProof();
}

void MainForm::ShowOutOfGamut(bool on) {
    showOutOfGamut_ = on && HaveProofProfile();
    ApplySoftProof();
}

void MainForm::ApplySoftProof() {
    if (printColoursAction_) {
        printColoursAction_->setChecked(showPrintColours_);
        outOfGamutAction_->setChecked(showOutOfGamut_);
    }
    if (!gamutBlink_) {
        gamutBlink_ = new QTimer(this);
        gamutBlink_->setInterval(kBlinkMs);
        connect(gamutBlink_, &QTimer::timeout, this, [this] {
            gamutPhase_ = !gamutPhase_;
            Pic1->update();
        });
    }
    if (showOutOfGamut_) gamutBlink_->start();
    else gamutBlink_->stop();
    if (!softProof_ || (!showPrintColours_ && !showOutOfGamut_)) return Pic1->SetScreenColours(nullptr);
    Pic1->SetScreenColours([this, proof = softProof_](const Pixel* in, Pixel* out, int count, int x, int y) {
        proof->Apply(in, out, static_cast<std::size_t>(count), x, y, {showPrintColours_, showOutOfGamut_, gamutPhase_});
    });
}

}  // namespace velmora
