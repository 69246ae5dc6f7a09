#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // No test needs a display, the listing of the tests at build time included.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The boxes are captioned with the program's name, as the installed program has it.
    QApplication::setApplicationName("vrx3km");
    return RUN_ALL_TESTS();
}
