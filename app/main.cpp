#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window("Velmora Generator (for Optical)");
    window.show();
    return app.exec();
}
