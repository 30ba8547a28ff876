// Writes a picture of the main window to the PNG file named by the first
// argument; with "--render" it first draws the start-up picture.
#include <QApplication>
#include <QPixmap>
#include <QString>

#include "app/MainForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    velmora::MainForm window;
    window.show();
    QApplication::processEvents();
    if (QString::fromLocal8Bit(argv[argc - 1]) == QStringLiteral("--render")) window.Strt->click();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
