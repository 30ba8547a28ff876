#include "app/help/ShellOpen.h"

#include <QDir>
#include <QFileInfo>

#include "app/InstalledProgram.h"
#include "app/toolkit/Services.h"

namespace velmora {

void shellOpen(const QString& document, std::function<void(const QString& path)> failed) {
    const QString programFolder = Toolkit().ProgramFolder();
    if (!QDir::isAbsolutePath(programFolder)) return;
    for (const QString& folder : {programFolder, InstalledDataFolder(programFolder)}) {
        const QFileInfo file(QDir(folder), document);
        if (file.isFile()) {
            const QString path = file.absoluteFilePath();
            Toolkit().OpenDocument(path, QDir::rootPath(), [path, failed] {
                if (failed) failed(path);
            });
            return;
        }
    }
}

}  // namespace velmora
