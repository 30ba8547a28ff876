#pragma once
#include <functional>

#include <QStringList>

class QWidget;

namespace velmora {

// Called with the local paths of a drop, in the order dropped; empty when the
// drop carried no files.
using DropHandler = std::function<void(const QStringList& paths)>;

// Makes `target` accept drops of anything and hand the dropped files to `handler`.
void AcceptFileDrops(QWidget* target, DropHandler handler);

// Delivers a drop of `paths` to the handler of `target`, as a user's drop would.
// False when `target` accepts no drops.
bool DeliverDrop(QWidget* target, const QStringList& paths);

}  // namespace velmora
