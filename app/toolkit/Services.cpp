#include "app/toolkit/Services.h"

#include <chrono>

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

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

void Services::OpenDocument(const QString& path, const QString& workingDirectory, std::function<void()> failed) {
    // xdg-open lets the viewer start in the document's folder, and its exit
    // status tells whether the desktop could open the document; without it the
    // desktop services still try.
    auto* launcher = new QProcess;
    launcher->setProgram(QStringLiteral("xdg-open"));
    launcher->setArguments({path});
    launcher->setWorkingDirectory(workingDirectory);
    QObject::connect(launcher, &QProcess::finished, [launcher, failed](int code, QProcess::ExitStatus status) {
        launcher->deleteLater();
        if ((status != QProcess::NormalExit || code != 0) && failed) failed();
    });
    QObject::connect(launcher, &QProcess::errorOccurred, [launcher, path, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;
        launcher->deleteLater();
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)) && failed) failed();
    });
    launcher->start();
}

QString Services::ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString Services::SaveFileName(QWidget* owner, const QString& suggestedPath, const QString& filter) {
    return QFileDialog::getSaveFileName(owner, QString(), suggestedPath, filter);
}

Services& Toolkit() { return current ? *current : PlatformServices(); }

ScopedServices::ScopedServices(Services& services) : previous_(current) { current = &services; }

ScopedServices::~ScopedServices() { current = previous_; }

}  // namespace velmora
