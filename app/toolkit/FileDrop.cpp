#include "app/toolkit/FileDrop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QVariant>
#include <QWidget>

namespace velmora {

namespace {

class DropFilter final : public QObject {
public:
    DropFilter(QWidget* target, DropHandler handler) : QObject(target), handler_(std::move(handler)) {}

    void Deliver(const QStringList& paths) { handler_(paths); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::DragEnter:
            case QEvent::DragMove:
                static_cast<QDropEvent*>(event)->acceptProposedAction();
                return true;
            case QEvent::Drop: {
                auto* drop = static_cast<QDropEvent*>(event);
                drop->acceptProposedAction();
                Deliver(LocalPaths(*drop->mimeData()));
                return true;
            }
            default: return false;
        }
    }

private:
    static QStringList LocalPaths(const QMimeData& data) {
        QStringList paths;
        for (const QUrl& url : data.urls())
            if (url.isLocalFile()) paths << url.toLocalFile();
        return paths;
    }

    DropHandler handler_;
};

}  // namespace

constexpr char kDropFilterProperty[] = "velmoraDropFilter";

void AcceptFileDrops(QWidget* target, DropHandler handler) {
    auto* filter = new DropFilter(target, std::move(handler));
    target->setAcceptDrops(true);
    target->installEventFilter(filter);
    target->setProperty(kDropFilterProperty, QVariant::fromValue<QObject*>(filter));
}

bool DeliverDrop(QWidget* target, const QStringList& paths) {
    auto* filter = static_cast<DropFilter*>(target->property(kDropFilterProperty).value<QObject*>());
    if (!filter) return false;
    filter->Deliver(paths);
    return true;
}

}  // namespace velmora
