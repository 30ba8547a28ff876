#include <QApplication>

#include "app/MainForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Velmora Generator"));
    velmora::MainForm window;
    window.show();
    return app.exec();
}
