#pragma once
#include <QString>

namespace velmora {

// The folder an installation puts the programs into, as configured for the build.
extern const QString kInstalledProgramFolder;

// Where an installation keeps the program's data (the help document) for a
// program in `programFolder`.
QString InstalledDataFolder(const QString& programFolder);

// Whether a program in `programFolder` runs from an installation: the folder is
// the configured one for programs, or the installed help document lies in the
// data folder an installation puts beside it. A build folder, or a folder the
// program was copied to, is not.
bool IsInstalledProgramFolder(const QString& programFolder);

}  // namespace velmora
