// quillon: the application. Sets up OpenGL for the monitor, then starts the program on the
// profile and the command line.

#include <QApplication>
#include <QMessageBox>
#include <QSurfaceFormat>

#include "Application.h"
#include "model/Profile.h"

using namespace quillon;

int main(int argc, char** argv) {
    // The monitor's pixel format: double-buffered RGBA with a 16-bit depth buffer, legacy
    // OpenGL, swaps on the vertical blank. Every context shares the textures.
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(16);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(1);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillon"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillon"));

    Profile profile;
    Application app(profile, Application::PictureModeFor(QString::fromLocal8Bit(argv[0])));
    QString error;
    if (!app.Start(&error)) {
        QMessageBox::critical(nullptr, QStringLiteral("Quillon"), error);
        return 1;
    }
    app.Show(QApplication::arguments().mid(1));
    return qapp.exec();
}
