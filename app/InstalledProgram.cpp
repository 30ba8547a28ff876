#include "app/InstalledProgram.h"

#include <QDir>
#include <QFileInfo>

namespace velmora {

const QString kInstalledProgramFolder = QStringLiteral(VELMORA_INSTALL_BINDIR);

QString InstalledDataFolder(const QString& programFolder) {
    return QDir(programFolder).filePath(QStringLiteral(VELMORA_DOCDIR_FROM_BINDIR));
}

bool IsInstalledProgramFolder(const QString& programFolder) {
    // Canonical paths, so /bin and /usr/bin are one folder where one links to the other.
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    return (!canonical.isEmpty() && canonical == QFileInfo(kInstalledProgramFolder).canonicalFilePath()) ||
           QFileInfo(QDir(InstalledDataFolder(programFolder)), QStringLiteral("VelmoraHelp.htm")).isFile();
}

}  // namespace velmora
