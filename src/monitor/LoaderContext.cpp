#include "LoaderContext.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>

namespace quillon {

LoaderContext::LoaderContext() = default;

LoaderContext::~LoaderContext() {
    if (context_) context_->doneCurrent();
}

bool LoaderContext::Create(QString* error) {
    surface_ = std::make_unique<QOffscreenSurface>();
    surface_->setFormat(QSurfaceFormat::defaultFormat());
    surface_->create();
    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(QSurfaceFormat::defaultFormat());
    context_->setShareContext(QOpenGLContext::globalShareContext());
    if (!context_->create() || !context_->makeCurrent(surface_.get())) {
        if (error) *error = QStringLiteral("No OpenGL context for the monitor");
        context_.reset();
        return false;
    }
    return true;
}

void LoaderContext::EnsureCurrent() {
    if (context_ && QOpenGLContext::currentContext() == nullptr)
        context_->makeCurrent(surface_.get());
}

}  // namespace quillon
