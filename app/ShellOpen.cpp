#include "app/ShellOpen.h"

#include <QDir>
#include <QFileInfo>

#include "app/InstalledProgram.h"
#include "app/toolkit/Services.h"

namespace velmora {

void shellOpen(const QString& document) {
    const QString programFolder = Toolkit().ProgramFolder();
    if (!QDir::isAbsolutePath(programFolder)) return;
    for (const QString& folder : {programFolder, InstalledDataFolder(programFolder)}) {
        const QFileInfo file(QDir(folder), document);
        if (file.isFile()) {
            Toolkit().OpenDocument(file.absoluteFilePath(), QDir::rootPath());
            return;
        }
    }
}

}  // namespace velmora
