#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/PrivateSettings.h"

#include "app/Translations.h"

int main(int argc, char** argv) {
    // Windows stay off any screen, also when the tests are listed.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The tests read the texts as a Japanese locale shows them, the sources'
    // own, whatever the machine's locale; a test wanting English installs it.
    const velmora::Translations japanese(QLocale(QLocale::Japanese, QLocale::Japan), {});
    ::testing::InitGoogleTest(&argc, argv);
    // Released by gtest when the program ends.
    ::testing::UnitTest::GetInstance()->listeners().Append(new velmora::testing::PrivateSettings);
    return RUN_ALL_TESTS();
}
