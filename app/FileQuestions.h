#pragma once
#include <string>

#include <QString>

class QWidget;

namespace velmora::Module_ini {

// Asks whether the existing file or folder `path` may be overwritten, naming
// the file a link leads to when `path` is one. True when
// it exists and the user answered No (the default); false when it does not
// exist, without asking, or when the user answered Yes.
bool OverwriteDeclined(QWidget* owner, const QString& path);

// Tells the user that `path` could not be written and why.
void ReportWriteFailure(QWidget* owner, const QString& path, const std::string& reason);

}  // namespace velmora::Module_ini
