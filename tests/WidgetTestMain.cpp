// main() of the widget tests: a QApplication on Qt's offscreen platform unless the caller chose
// one (a test run under Xvfb sets QT_QPA_PLATFORM=xcb), so that widgets paint without a display.
#include <gtest/gtest.h>

#include <QApplication>

#include "monitor/MonitorFormat.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // As the application sets it up.
    quillon::UseMonitorFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
