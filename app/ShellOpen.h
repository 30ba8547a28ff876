#pragma once
#include <functional>

#include <QString>

namespace velmora {

// Opens `document` with the desktop's application for its type. A name without
// folder is looked for in the current directory first, then beside the
// program, then in the installed program's data folder (share/velmora); the
// viewer starts in the document's folder. A missing document opens nothing and
// reports nothing. When the desktop cannot open a document that exists,
// `failed` receives the document's full path.
void shellOpen(const QString& document, std::function<void(const QString& path)> failed);

}  // namespace velmora
