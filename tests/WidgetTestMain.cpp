// main() of the widget tests: a QApplication on Qt's offscreen platform unless the caller chose
// one (a test run under Xvfb sets QT_QPA_PLATFORM=xcb), so that widgets paint without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "monitor/MonitorFormat.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Recovery copies and the desktop's recent files of the windows made here stay out of the
    // user's own, and the user's copies never bring up a start-up question in a test.
    QTemporaryDir state, data;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    // As the application sets it up.
    quillon::UseMonitorFormat();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
