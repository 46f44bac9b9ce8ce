#pragma once
// The program's loading context in the window: an OpenGL context in the share group of every
// OpenGL widget (Qt::AA_ShareOpenGLContexts), current on an offscreen surface whenever a picture
// is uploaded outside a paint. Texture objects belong to the share group, so what is uploaded
// here is what the monitor draws. ContextUploader is the texture table's uploader in the
// window: it makes this context current when no context is, then uploads through GL.

#include <QString>
#include <memory>

#include "GlTextureUploader.h"

class QOpenGLContext;
class QOffscreenSurface;

namespace quillon {

class LoaderContext {
  public:
    LoaderContext();
    ~LoaderContext();
    // Made after the QApplication; false, with *error, when no OpenGL context can be had.
    bool Create(QString* error);
    // Makes the loading context current unless a context already is.
    void EnsureCurrent();

  private:
    std::unique_ptr<QOffscreenSurface> surface_;
    std::unique_ptr<QOpenGLContext> context_;
};

class ContextUploader final : public TextureUploader {
  public:
    ContextUploader(LoaderContext& context, GlTextureUploader& gl) : context_(context), gl_(gl) {}
    int MaxTextureSize() const override {
        context_.EnsureCurrent();
        return gl_.MaxTextureSize();
    }
    void Upload(int textureNumber, int width, int height, const uint8_t* rgbaTexels,
                const UploadOptions& options) override {
        context_.EnsureCurrent();
        gl_.Upload(textureNumber, width, height, rgbaTexels, options);
    }
    void Delete(int textureNumber) override {
        context_.EnsureCurrent();
        gl_.Delete(textureNumber);
    }

  private:
    LoaderContext& context_;
    GlTextureUploader& gl_;
};

}  // namespace quillon
