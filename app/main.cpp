#include <QApplication>

#include "app/MainForm.h"
#include "app/Translations.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const velmora::Translations translations(QLocale::system(),
                                             velmora::TranslationFolders(QCoreApplication::applicationDirPath()));
    velmora::MainForm window;
    window.show();
    return app.exec();
}
