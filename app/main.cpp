#include <QApplication>

#include "app/MainForm.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    velmora::MainForm window;
    window.show();
    return app.exec();
}
