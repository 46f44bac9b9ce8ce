#pragma once
// The monitor's pixel format, set as the default before the application object is made: double
// buffered RGBA with a 16-bit depth buffer, legacy (compatibility-profile) OpenGL, swaps on the
// vertical blank; and one share group for every context, so textures uploaded in one are drawn
// in all. The application and the window tests start the same way.

#include <QGuiApplication>
#include <QSurfaceFormat>

namespace quillon {

inline void UseMonitorFormat() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(16);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(1);
    QSurfaceFormat::setDefaultFormat(format);
    QGuiApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace quillon
