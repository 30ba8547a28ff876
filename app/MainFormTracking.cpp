#include "app/MainForm.h"
#include "app/tracking/FindRegionsDialog.h"
#include "app/tracking/TrackingJob.h"

namespace velmora {

void MainForm::ShowWeakAreas(bool on) {
    showWeakAreas_ = on;
    if (!weakAreas_) {
        weakAreas_ = new TrackingJob(this);
        connect(weakAreas_, &TrackingJob::Finished, this, [this](const TrackingResult& result, const QImage& tints) {
            weakAreasResult_ = result;
            // A canvas resized meanwhile shows another picture: its tints come with the next render.
            if (Pic1->Image().size() == weakAreasChecked_) Pic1->SetOverlay(tints);
        });
    }
    if (on) return CheckWeakAreas();
    HideWeakAreas();
}

void MainForm::HideWeakAreas() {
    if (weakAreas_) weakAreas_->Stop();
    Pic1->SetOverlay(QImage());
}

void MainForm::SetChosenPrintSize(PrintedSize size) {
    chosenPrintSize_ = size;
    CheckWeakAreas();
}

PrintedSize MainForm::WeakAreasPrintSize() const {
    const QImage& canvas = Pic1->Image();
    return chosenPrintSize_.value_or(PageWidthOnA4(canvas.width(), canvas.height()));
}

void MainForm::CheckWeakAreas() {
    if (!showWeakAreas_ || runningRenders_ > 0 || unloading_) return;
    weakAreasChecked_ = Pic1->Image().size();
    weakAreas_->Start(Pic1->Image(), WeakAreasPrintSize());
}

void MainForm::FindRegions() {
    if (Combo2->currentIndex() < 0) return;
    if (findRegionsDialog_) findRegionsDialog_->close();
    const QImage& canvas = Pic1->Image();
    const CheckedPicture picture{Parameters(), {canvas.width(), canvas.height()}, WeakAreasPrintSize(), 0};
    findRegionsDialog_ = new FindRegionsDialog(this, picture, ColorTable);
    findRegionsDialog_->setAttribute(Qt::WA_DeleteOnClose);
    // The region chosen is drawn as Start draws it; a render under way keeps its picture until the next Start.
    connect(findRegionsDialog_, &FindRegionsDialog::RegionChosen, this, [this](const PictureParameters& parameters) {
        ShowParameters(parameters);
        if (runningRenders_ == 0) Strt_Click();
    });
    findRegionsDialog_->show();
}

FindRegionsDialog* MainForm::FindRegionsWindow() const { return findRegionsDialog_; }

}  // namespace velmora
