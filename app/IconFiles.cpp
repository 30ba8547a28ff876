// Writes the program's icon as PNG files for the desktop's icon theme:
// velmora-icons FOLDER SIDE... writes FOLDER/SIDExSIDE/apps/velmora.png.
#include <QDir>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "app/WindowIcon.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: velmora-icons FOLDER SIDE...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        const int side = std::atoi(argv[i]);
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(side);
        if (side <= 0 || !QDir().mkpath(folder) ||
            !velmora::WindowIconImage(side).save(folder + QStringLiteral("/velmora.png"), "PNG")) {
            std::fprintf(stderr, "velmora-icons: cannot write the %s pixel icon into %s\n", argv[i], argv[1]);
            return 1;
        }
    }
    return 0;
}
