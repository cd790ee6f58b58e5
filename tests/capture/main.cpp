#include <QCoreApplication>
#include <gtest/gtest.h>

// The capture lives in the widget-free core: a plain core application.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
