#include "app/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/toolkit/Services.h"

namespace velmora {

void shellOpen(const QString& document) {
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString installedDocuments = QDir(programFolder).filePath(QStringLiteral(VELMORA_DOCDIR_FROM_BINDIR));
    for (const QString& folder : {QDir::currentPath(), programFolder, installedDocuments}) {
        const QFileInfo file(QDir(folder), document);
        if (file.isFile()) {
            Toolkit().OpenDocument(file.absoluteFilePath(), file.absolutePath());
            return;
        }
    }
}

}  // namespace velmora
