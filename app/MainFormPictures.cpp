#include <QClipboard>
#include <QDir>
#include <QGuiApplication>

#include <algorithm>

#include "app/colour/ColourChoice.h"
#include "app/export/ExportDialog.h"
#include "app/FileQuestions.h"
#include "app/MainForm.h"
#include "app/toolkit/FileDrop.h"
#include "app/toolkit/PictureFiles.h"
#include "app/toolkit/Services.h"
#include "files/AtomicFile.h"
#include "formats/Bitmap.h"
#include "formats/Jpeg.h"
#include "formats/PictureFile.h"
#include "formats/Png.h"
#include "formats/Tiff.h"

namespace velmora {

void MainForm::ConnectPictureHandlers() {
    connect(CommandSave, &QPushButton::clicked, this, &MainForm::CommandSave_Click);
    AcceptFileDrops(Pic1, [this](const QStringList& data) { Pic1_OLEDragDrop(data); });
}

void MainForm::CommandSave_Click() {
    const QString name = QString::fromStdString(PictureFileName(Text1->text().toStdString()));
    if (Module_ini::OverwriteDeclined(this, name)) return;
    const auto failure = WriteFileAtomically(name.toStdString(), EncodeBmp24(Pic1->RasterView(), PixelsPerMetre(kDefaultDpi)));
    if (failure) Module_ini::ReportWriteFailure(this, name, *failure);
}

void MainForm::CopyPicture() { QGuiApplication::clipboard()->setImage(Pic1->Image()); }

namespace {

// The formats Save picture as… writes; PDF pages are printed from the print dialog.
constexpr PictureFormat kSaveAsFormats[] = {PictureFormat::Png, PictureFormat::Bmp, PictureFormat::Jpeg,
                                            PictureFormat::Tiff};

bool SaveAsWrites(PictureFormat format) { return std::ranges::find(kSaveAsFormats, format) != std::end(kSaveAsFormats); }

// "PNG (.png), BMP (.bmp) and JPEG (.jpg, .jpeg)" with `separator` between
// extensions and `pattern` for one ("*.png" in a file dialog's filter).
QStringList FormatTexts(const QString& pattern, const QString& separator) {
    QStringList texts;
    for (const PictureFormatName& f : kPictureFormats) {
        if (!SaveAsWrites(f.format)) continue;
        QStringList extensions;
        for (const std::string_view extension : f.extensions)
            if (!extension.empty()) extensions << pattern.arg(QString::fromUtf8(extension.data(), extension.size()));
        texts << QStringLiteral("%1 (%2)").arg(QString::fromUtf8(f.name.data(), f.name.size()), extensions.join(separator));
    }
    return texts;
}

// Writes the canvas picture in `format` to `path`, whole or not at all; the
// reason when it could not be.
std::optional<std::string> WritePicture(PictureBox& canvas, PictureFormat format, const std::string& path) {
    if (!SaveAsWrites(format)) {
        QStringList formats = FormatTexts(QStringLiteral(".%1"), QStringLiteral(", "));
        const QString last = formats.takeLast();
        return MainForm::tr("Only %1 and %2 pictures can be written.").arg(formats.join(QStringLiteral(", ")), last).toStdString();
    }
    if (format == PictureFormat::Bmp)
        return WriteFileAtomically(path, EncodeBmp24(canvas.RasterView(), PixelsPerMetre(kDefaultDpi)));
    if (format == PictureFormat::Png) {
        // The same encoder as velmora-render's, so the same picture gives the same file.
        try {
            const PictureRows rows = RowsOf(canvas.RasterView());
            PngPieces pieces(rows, PngLayout{PictureColours(rows).value_or(std::vector<Pixel>{}), PixelsPerMetre(kDefaultDpi)});
            return WriteFileAtomically(path, [&] { return pieces.Next(); });
        } catch (const std::exception& failure) {
            return std::string(failure.what());
        }
    }
    // JPEG and TIFF through the export's encoders: the same colour profile, resolution and chroma.
    std::string encoded;
    const auto append = [&encoded](std::string_view piece) {
        encoded += piece;
        return true;
    };
    const PictureRows rows = RowsOf(canvas.RasterView());
    const std::optional<std::string> error = format == PictureFormat::Tiff
                                                 ? EncodeTiff(rows, kDefaultDpi, FileColourProfile(), 0, append)
                                                 : EncodeJpeg(rows, PictureFileOptions{}.quality,
                                                              static_cast<int>(kDefaultDpi), FileColourProfile(),
                                                              append);
    if (error) return error;
    return WriteFileAtomically(path, encoded);
}
}  // namespace

// The dialog asks before an existing file is replaced; the file is written
// whole or not at all, as Save writes.
void MainForm::SavePictureAs() {
    const QString suggested = QDir::current().absoluteFilePath(Text1->text());
    const QString filter =
        (FormatTexts(QStringLiteral("*.%1"), QStringLiteral(" ")) << tr("All files (*)")).join(QStringLiteral(";;"));
    const QString name = Toolkit().SaveFileName(this, suggested, filter);
    if (name.isEmpty()) return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string path = name.toStdString();
    const std::optional<std::string> failure = WritePicture(*Pic1, PictureFormatFor(path), path);
    QGuiApplication::restoreOverrideCursor();
    if (failure) Module_ini::ReportWriteFailure(this, name, *failure);
}

std::optional<ExportSource> MainForm::ExportSourceNow(bool explain) {
    const int column = Combo2->currentIndex();
    if (column < 0) {
        if (explain)
            Toolkit().MessageBox(this, QStringLiteral("Please choose a colour count before exporting."), QString(),
                                 MessageButtons::Ok, MessageAnswer::Ok);
        return std::nullopt;
    }
    ExportSource source;
    source.parameters = Parameters();
    source.tableColumn = ColorTable.column[static_cast<std::size_t>(column)];
    source.randomExponent = RandomExponent;
    return source;
}

void MainForm::ExportAtSize() {
    if (!exportDialog_) {
        exportDialog_ =
            new ExportDialog(this, Check1->Value() == 1, [this](bool explain) { return ExportSourceNow(explain); });
        exportDialog_->setAttribute(Qt::WA_DeleteOnClose);
        exportDialog_->Colours->SetPicture([this] { return Pic1->Image(); });
        connect(exportDialog_->Colours, &ColourChoice::Changed, this,
                [this] { SetProofProfile(exportDialog_->Colours->Profile()); });
        // The canvas shows the exported picture's width of the plane: it prints at the export's scale.
        connect(exportDialog_, &ExportDialog::SizeChosen, this, [this](PrintedSize size) {
            const QImage& canvas = Pic1->Image();
            if (canvas.width() > 0) SetChosenPrintSize({size.widthMm, size.widthMm * canvas.height() / canvas.width()});
        });
        const auto productChosen = [this](PrintedSize size, double dpi, double bleedMm) {
            ProductChoice product = Product().value_or(ProductChoice{});
            product.widthMm = size.widthMm;
            product.heightMm = size.heightMm;
            product.dpi = dpi;
            product.bleedMm = bleedMm;
            SetProduct(product);
        };
        connect(exportDialog_, &ExportDialog::ProductChosen, this, productChosen);
        if (exportDialog_->Problem().isEmpty())
            productChosen(exportDialog_->PrintedSizeChosen(), exportDialog_->FileOptions().dpi,
                          exportDialog_->FileOptions().bleedMm);
        // A suggestion's change goes to the controls as their buttons make it; the dialog checks the result.
        connect(exportDialog_, &ExportDialog::PictureChangeChosen, this, [this](PictureChange change) {
            ApplyPictureChange(change);
            if (exportDialog_) exportDialog_->CheckTracking();
        });
    } else {
        exportDialog_->CheckTracking();
    }
    exportDialog_->show();
    exportDialog_->raise();
    exportDialog_->activateWindow();
}

void MainForm::ApplyPictureChange(PictureChange change) {
    if (change.kind == ChangeKind::Resolution) {
        Check1->SetValue(change.value);
        Check1_Click();
    }
    if (change.kind == ChangeKind::Zoom) CommandZoom_Click(change.value);
    if (change.kind == ChangeKind::Move)
        for (int press = 0; press < 2; ++press) Commandpos_Click(change.value);
    if (change.kind == ChangeKind::Colours) Combo2->setCurrentIndex(change.value);
}

ExportDialog* MainForm::ExportWindow() const { return exportDialog_; }

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
