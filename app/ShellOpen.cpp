#include "app/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/toolkit/Services.h"

namespace velmora {

void shellOpen(const QString& document) {
    for (const QString& folder : {QDir::currentPath(), QCoreApplication::applicationDirPath()}) {
        const QFileInfo file(QDir(folder), document);
        if (file.isFile()) {
            Toolkit().OpenDocument(file.absoluteFilePath(), file.absolutePath());
            return;
        }
    }
}

}  // namespace velmora
