// main() of the tests that need Qt's event dispatcher without a display (serial ports, timers):
// a QCoreApplication for the length of the run.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
