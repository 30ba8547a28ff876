#include "app/toolkit/Services.h"

#include <chrono>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

namespace velmora {

namespace {
Services& PlatformServices() {
    static Services platform;
    return platform;
}
Services* current = nullptr;
}  // namespace

void Services::DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void Services::Beep() { QApplication::beep(); }

std::uint32_t Services::TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

MessageAnswer Services::MessageBox(QWidget* owner, const QString& text, const QString& title,
                                   MessageButtons buttons, MessageAnswer defaultButton) {
    QMessageBox box(owner);
    box.setWindowTitle(title.isEmpty() ? kProgramTitle : title);
    box.setText(text);
    if (buttons == MessageButtons::Ok) {
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MessageAnswer::Ok;
    }
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(defaultButton == MessageAnswer::No ? QMessageBox::No : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

QStringList AbsoluteSearchFolders(const QString& searchPath) {
    QStringList folders;
    for (const QString& folder : searchPath.split(QLatin1Char(':')))
        if (folder.startsWith(QLatin1Char('/'))) folders << folder;
    return folders;
}

// The desktop's opener and every program it starts are looked for only in
// absolute folders: an empty or relative entry of PATH would let a program
// lying in the working folder run instead. The opener's exit status tells
// whether the desktop could open the document.
void Services::OpenDocument(const QString& path, const QString& workingDirectory, std::function<void()> failed) {
    const auto fail = [failed] {
        if (failed) failed();
    };
    const QStringList folders = AbsoluteSearchFolders(qEnvironmentVariable("PATH"));
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"), folders);
    if (opener.isEmpty()) return fail();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("PATH"), folders.join(QLatin1Char(':')));
    // No parent: a viewer the opener waits for outlives the window.
    auto* launcher = new QProcess;
    launcher->setProgram(opener);
    launcher->setArguments({path});
    launcher->setWorkingDirectory(workingDirectory);
    launcher->setProcessEnvironment(environment);
    QObject::connect(launcher, &QProcess::finished, [launcher, fail](int code, QProcess::ExitStatus status) {
        launcher->deleteLater();
        if (status != QProcess::NormalExit || code != 0) fail();
    });
    QObject::connect(launcher, &QProcess::errorOccurred, [launcher, fail](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        launcher->deleteLater();
        fail();
    });
    launcher->start();
}

QString Services::ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString Services::SaveFileName(QWidget* owner, const QString& suggestedPath, const QString& filter) {
    return QFileDialog::getSaveFileName(owner, QString(), suggestedPath, filter);
}

QString Services::OpenFileName(QWidget* owner, const QString& folder, const QString& filter) {
    return QFileDialog::getOpenFileName(owner, QString(), folder, filter);
}

Services& Toolkit() { return current ? *current : PlatformServices(); }

ScopedServices::ScopedServices(Services& services) : previous_(current) { current = &services; }

ScopedServices::~ScopedServices() { current = previous_; }

}  // namespace velmora
