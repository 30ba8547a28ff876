#include <gtest/gtest.h>

#include <QApplication>

#include "tests/ui/PrivateSettings.h"

int main(int argc, char** argv) {
    // Windows of these tests are never shown on a screen, also while the test list is being discovered.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // Released by gtest when the program ends.
    ::testing::UnitTest::GetInstance()->listeners().Append(new velmora::testing::PrivateSettings);
    return RUN_ALL_TESTS();
}
