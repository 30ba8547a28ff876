#include <QDateTime>
#include <QDir>
#include <QLocale>

#include "app/InstalledProgram.h"
#include "app/MainForm.h"
#include "app/toolkit/FileDrop.h"
#include "app/toolkit/Services.h"
#include "records/DataFile.h"
#include "app/FileQuestions.h"
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

std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

// Data files go into the program's folder. An installed program's folder is a
// system folder that users cannot write into, so there they go into the
// working folder, beside the pictures.
QString DataFileFolder() {
    const QString program = Toolkit().ProgramFolder();
    return IsInstalledProgramFolder(program) ? QDir::currentPath() : program;
}

}  // namespace

void MainForm::ConnectRecordHandlers() {
    connect(CommandPrint, &QPushButton::clicked, this, &MainForm::CommandPrint_Click);
    AcceptFileDrops(Frame1, [this](const QStringList& data) { Frame1_OLEDragDrop(data); });
    AcceptFileDrops(Frame2, [this](const QStringList& data) { Frame2_OLEDragDrop(data); });
    AcceptFileDrops(texta, [this](const QStringList& data) { texta_OLEDragDrop(data); });
    AcceptFileDrops(textb, [this](const QStringList& data) { textb_OLEDragDrop(data); });
    AcceptFileDrops(XH, [this](const QStringList& data) { XH_OLEDragDrop(data); });
    AcceptFileDrops(XL, [this](const QStringList& data) { XL_OLEDragDrop(data); });
    AcceptFileDrops(YH, [this](const QStringList& data) { YH_OLEDragDrop(data); });
    AcceptFileDrops(YL, [this](const QStringList& data) { YL_OLEDragDrop(data); });
    for (int i = 0; i < static_cast<int>(tyuu.size()); ++i)
        AcceptFileDrops(tyuu[i], [this, i](const QStringList& data) { tyuu_OLEDragDrop(i, data); });
    for (int i = 0; i < static_cast<int>(CommandZoom.size()); ++i)
        AcceptFileDrops(CommandZoom[i], [this, i](const QStringList& data) { CommandZoom_OLEDragDrop(i, data); });
    for (int i = 0; i < static_cast<int>(Commandpos.size()); ++i)
        AcceptFileDrops(Commandpos[i], [this, i](const QStringList& data) { Commandpos_OLEDragDrop(i, data); });
}

void MainForm::CommandPrint_Click() {
    const QString path = QString::fromStdString(
        DataFilePath(DataFileFolder().toStdString(), Text1->text().toStdString()));
    if (Module_ini::OverwriteDeclined(this, path)) return;
    Module_ini::IniFileName = path.toStdString();
    const DataFileRecord record{OptionPt[0]->Tag.toInt(), Check1->Value(), Combo2->currentIndex(),
                                Text(texta), Text(textb), Text(XH), Text(XL), Text(YH), Text(YL)};
    const auto failure =
        Module_ini::WriteIniEntries(DataFileEntries(record, LocaleDateTimeText().toStdString()));
    if (failure) Module_ini::ReportWriteFailure(this, path, *failure);
}

void MainForm::Frame1_OLEDragDrop(const QStringList& Data) {
    if (Data.isEmpty()) return;
    Module_ini::IniFileName = Data.front().toStdString();
    const StoredParameters stored = ReadStoredParameters();
    if (stored.pattern) {
        // The selection runs also for the pattern already selected, so the
        // kernel mode always becomes that pattern's own.
        OptionButton* option = OptionPt[*stored.pattern];
        if (option->Value()) OptionPt_Click(*stored.pattern);
        else option->SetValue(true);
    }
    if (stored.highResolution) Check1->SetValue(*stored.highResolution);
    if (stored.colourIndex) Combo2->setCurrentIndex(*stored.colourIndex);
    texta->setText(QString::fromStdString(stored.a));
    textb->setText(QString::fromStdString(stored.b));
    XH->setText(QString::fromStdString(stored.x0));
    XL->setText(QString::fromStdString(stored.x1));
    YH->setText(QString::fromStdString(stored.y0));
    YL->setText(QString::fromStdString(stored.y1));
}

void MainForm::Frame2_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::texta_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::textb_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::tyuu_OLEDragDrop(int, const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::XH_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::XL_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::YH_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::YL_OLEDragDrop(const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::CommandZoom_OLEDragDrop(int, const QStringList& Data) { Frame1_OLEDragDrop(Data); }
void MainForm::Commandpos_OLEDragDrop(int, const QStringList& Data) { Frame1_OLEDragDrop(Data); }

}  // namespace velmora
