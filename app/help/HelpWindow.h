#pragma once
#include <QTextBrowser>

namespace velmora {

// The program's own help window, for a desktop that cannot open the help
// document: it shows the same document, follows its links inside the window
// and hands links to web pages to the desktop; Escape closes it.
class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);
    // Shows `path` (an HTML file) and brings the window to the front.
    void ShowDocument(const QString& path);
};

}  // namespace velmora
