#include <QCoreApplication>
#include <gtest/gtest.h>

// The core has no widgets: its tests run on a plain core application.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
