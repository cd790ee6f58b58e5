#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Widgets without a display unless a run asks for a real one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
