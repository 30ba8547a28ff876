#pragma once
#include <QIcon>
#include <QImage>

namespace velmora {

// The icon picture at `side` x `side` pixels: a miniature of the first fractal
// pattern in the default 16-colour palette.
QImage WindowIconImage(int side);

// The 32 x 32, 16-colour icon of the program's windows.
QIcon WindowIcon();

}  // namespace velmora
