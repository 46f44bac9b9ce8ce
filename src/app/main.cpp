// quillon: the application. Sets up OpenGL for the monitor, then starts the program on the
// profile and the command line.

#include <QApplication>
#include <QMessageBox>

#include "Application.h"
#include "model/Profile.h"
#include "monitor/MonitorFormat.h"
#include "monitor/MonitorWidget.h"

using namespace quillon;

int main(int argc, char** argv) {
    UseMonitorFormat();
    QApplication qapp(argc, argv);
    // The name only: a display name set here would be appended to every window title on X11.
    QApplication::setApplicationName(QStringLiteral("Quillon"));

    Profile profile;
    Application app(profile, Application::PictureModeFor(QString::fromLocal8Bit(argv[0])));
    QString error;
    if (!app.Start(&error)) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillon"), error);
        return 1;
    }
    // --no-startup-picture skips the stage's 3-second picture; --quit-after-first-frame ends
    // the program once the monitor has shown its first frame (start-up timing).
    QStringList args = QApplication::arguments().mid(1);
    if (args.removeAll(QStringLiteral("--no-startup-picture")) > 0) app.SetStartupPicture(false);
    const bool quitAfterFirstFrame = args.removeAll(QStringLiteral("--quit-after-first-frame")) > 0;
    app.Show(args);
    if (quitAfterFirstFrame) {
        // The first frame of the opened show; the window is drawn by then.
        QObject::connect(app.window().monitor(), &QOpenGLWidget::frameSwapped, &qapp,
                         &QApplication::quit, Qt::QueuedConnection);
        app.window().monitor()->update();
    }
    return qapp.exec();
}
