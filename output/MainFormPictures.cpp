#include "app/MainForm.h"
#include "app/toolkit/FileDrop.h"
#include "app/toolkit/PictureFiles.h"
#include "output/AtomicFile.h"
#include "output/Bitmap.h"
#include "output/PictureFile.h"
#include "records/FileQuestions.h"

namespace velmora {

void MainForm::ConnectPictureHandlers() {
    connect(CommandSave, &QPushButton::clicked, this, &MainForm::CommandSave_Click);
    AcceptFileDrops(Pic1, [this](const QStringList& data) { Pic1_OLEDragDrop(data); });
}

void MainForm::CommandSave_Click() {
    const QString name = QString::fromStdString(PictureFileName(Text1->text().toStdString()));
    if (Module_ini::OverwriteDeclined(this, name)) return;
    const auto failure = WriteFileAtomically(name.toStdString(), EncodeBmp24(Pic1->RasterView()));
    if (failure) Module_ini::ReportWriteFailure(this, name, *failure);
}

// Each step ends the handler silently when it fails.
void MainForm::Pic1_OLEDragDrop(const QStringList& Data) {
    if (Data.isEmpty()) return;
    const QString& path = Data.front();
    const QImage picture = ReadWholePicture(path);
    if (picture.isNull()) return;
    DumyPic->SetPicture(picture);
    DumyPic->Tag = path;
    Pic1->DrawStretched(DumyPic->Image(), 0, 0, Pic1->ScaleWidth(), Pic1->ScaleHeight());
    Pic1->Refresh();
    Zeffect->SetValue(1);
    OptionPt[4]->SetValue(true);
}

}  // namespace velmora
