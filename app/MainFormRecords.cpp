#include <vector>

#include <QDateTime>
#include <QDir>
#include <QLocale>

#include "app/FileQuestions.h"
#include "app/InstalledProgram.h"
#include "app/MainForm.h"
#include "app/toolkit/FileDrop.h"
#include "app/toolkit/Services.h"
#include "records/DataFile.h"
#include "records/Module_ini.h"

namespace velmora {

namespace {

// The current date and time in the user's locale: the short date form, then
// the time with seconds (the long time form without its time zone).
QString LocaleDateTimeText() {
    const QLocale locale = QLocale::system();
    const QDateTime now = QDateTime::currentDateTime();
    QString timeFormat;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') timeFormat += c;
    }
    return locale.toString(now.date(), QLocale::ShortFormat) + u' ' + locale.toString(now.time(), timeFormat.trimmed());
}

// Data files go into the program's folder. An installed program's folder is a
// system folder that users cannot write into, so there they go into the
// working folder, beside the pictures.
QString DataFileFolder() {
    const QString program = Toolkit().ProgramFolder();
    return IsInstalledProgramFolder(program) ? QDir::currentPath() : program;
}

// The rows the strip palettes sample, when a picture replaced the default strip.
std::optional<StripRows> DroppedStrip(const PictureBox& strip) {
    if (strip.Picture() == DefaultStripImage()) return std::nullopt;
    StripRows rows;
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < kStripWidth; ++x) rows.rows[row][x] = strip.PixelAt(x, row + 1);
    return rows;
}

// The strip shown for stored rows: the row above them repeats the first, the rows below repeat the second.
QImage StripPicture(const StripRows& rows) {
    QImage picture(kStripWidth, kStripHeight, QImage::Format_RGB32);
    for (int y = 0; y < kStripHeight; ++y)
        for (int x = 0; x < kStripWidth; ++x) picture.setPixel(x, y, PixelOf(rows.rows[y <= 1 ? 0 : 1][x]));
    return picture;
}

}  // namespace

// A data file dropped on either parameter frame or any control inside them loads.
void MainForm::ConnectRecordHandlers() {
    connect(CommandPrint, &QPushButton::clicked, this, &MainForm::CommandPrint_Click);
    std::vector<QWidget*> targets = {Frame1, Frame2, texta, textb, XH, XL, YH, YL};
    targets.insert(targets.end(), tyuu.begin(), tyuu.end());
    targets.insert(targets.end(), CommandZoom.begin(), CommandZoom.end());
    targets.insert(targets.end(), Commandpos.begin(), Commandpos.end());
    for (QWidget* target : targets)
        AcceptFileDrops(target, [this](const QStringList& data) { Frame1_OLEDragDrop(data); });
}

void MainForm::CommandPrint_Click() {
    const QString path = QString::fromStdString(
        DataFilePath(DataFileFolder().toStdString(), Text1->text().toStdString()));
    if (Module_ini::OverwriteDeclined(this, path)) return;
    Module_ini::IniFileName = path.toStdString();
    const auto failure = Module_ini::WriteIniEntries(
        DataFileEntries(Parameters(), LocaleDateTimeText().toStdString(), {DroppedStrip(*gra), false, product_}));
    if (failure) Module_ini::ReportWriteFailure(this, path, *failure);
}

// The stored pattern's preset applies even when that pattern is already
// selected, so the kernel mode always becomes that pattern's own.
void MainForm::Frame1_OLEDragDrop(const QStringList& Data) {
    if (Data.isEmpty()) return;
    Module_ini::IniFileName = Data.front().toStdString();
    PictureParameters loaded = Parameters();
    ApplyStoredParameters(loaded);
    // The strip comes first, so that a strip palette is sampled from the stored one.
    const DataFileExtras extras = StoredExtras();
    const bool stripChanged = extras.strip || extras.defaultStrip;
    if (extras.strip) gra->SetPicture(StripPicture(*extras.strip));
    else if (extras.defaultStrip) gra->SetPicture(DefaultStripImage());
    if (extras.product) SetProduct(*extras.product);
    const PaletteChoice before = Parameters().palette;
    ShowParameters(loaded);
    if (stripChanged && loaded.palette != PaletteChoice::Default && loaded.palette == before) palettOption_Click(0);
}

void MainForm::SetProduct(const ProductChoice& product) {
    product_ = product;
    UpdateProductFrame();
}

}  // namespace velmora
