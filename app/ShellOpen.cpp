#include "app/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/InstalledProgram.h"
#include "app/toolkit/Services.h"

namespace velmora {

void shellOpen(const QString& document, std::function<void(const QString& path)> failed) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    for (const QString& folder : {QDir::currentPath(), programFolder, InstalledDataFolder(programFolder)}) {
        const QFileInfo file(QDir(folder), document);
        if (file.isFile()) {
            const QString path = file.absoluteFilePath();
            Toolkit().OpenDocument(path, file.absolutePath(), [path, failed] {
                if (failed) failed(path);
            });
            return;
        }
    }
}

}  // namespace velmora
