#include "app/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/InstalledProgram.h"
#include "app/toolkit/Services.h"

namespace velmora {

void shellOpen(const QString& document) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const QString& folder : {QDir::currentPath(), programFolder, InstalledDataFolder(programFolder)}) {
        const QFileInfo file(QDir(folder), document);
        if (file.isFile()) {
            Toolkit().OpenDocument(file.absoluteFilePath(), file.absolutePath());
            return;
        }
    }
}

}  // namespace velmora
