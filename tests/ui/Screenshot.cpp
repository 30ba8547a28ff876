// Writes a picture of the main window to the PNG file named by the first
// argument, in the locale's language; a second argument WIDTHxHEIGHT sizes the
// window, and "--render" as the last one first draws the start-up picture.
#include <QApplication>
#include <QPixmap>
#include <QRegularExpression>
#include <QString>

#include "app/MainForm.h"
#include "app/Translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const velmora::Translations translations(QLocale::system(), {QStringLiteral(VELMORA_QM_FOLDER)});
    velmora::MainForm window;
    const auto size = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$"))
                          .match(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    if (size.hasMatch()) window.resize(size.captured(1).toInt(), size.captured(2).toInt());
    window.show();
    QApplication::processEvents();
    if (QString::fromLocal8Bit(argv[argc - 1]) == QStringLiteral("--render")) window.Strt->click();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
