// The test programs run with a QApplication, so that grids, windows and fonts work offscreen.
#include <QApplication>
#include <gtest/gtest.h>

#include "framework/translation.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Qt's own buttons and dialogs read as they do in the program.
    velmo::use_japanese_ui();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
