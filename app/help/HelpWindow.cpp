#include "app/help/HelpWindow.h"

#include <QShortcut>
#include <QUrl>

namespace velmora {

HelpWindow::HelpWindow(QWidget* owner) : QTextBrowser(owner) {
    // A window of its own that closes with its owner.
    setWindowFlag(Qt::Window);
    setOpenExternalLinks(true);
    resize(760, 640);
    new QShortcut(QKeySequence::Cancel, this, this, &QWidget::close);
    connect(this, &QTextBrowser::sourceChanged, this, [this] { setWindowTitle(documentTitle()); });
}

void HelpWindow::ShowDocument(const QString& path) {
    setSource(QUrl::fromLocalFile(path));
    setWindowTitle(documentTitle());
    show();
    raise();
    activateWindow();
}

}  // namespace velmora
