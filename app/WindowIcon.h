#pragma once
#include <QIcon>

namespace velmora {

// The 32 x 32, 16-colour icon of the program's windows.
QIcon WindowIcon();

}  // namespace velmora
