#pragma once
#include <functional>

#include <QString>

namespace velmora {

// Opens the program's own document `document` with the desktop's application
// for its type. It is looked for beside the program (a build), then in the
// installed program's data folder (share/velmora), never in the working folder,
// where anyone could have put a file of that name; the viewer starts in the
// root folder. A missing document opens nothing and reports nothing. When the
// desktop cannot open a document that exists, `failed` receives its full path.
void shellOpen(const QString& document, std::function<void(const QString& path)> failed);

}  // namespace velmora
