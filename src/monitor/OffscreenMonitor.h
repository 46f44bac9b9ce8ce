#pragma once
// OffscreenMonitor: everything the monitor needs to render a document without a display, made
// and torn down in the right order: the EGL context with its framebuffer, the texture objects,
// the document's picture loader (textures go to this context) and the frame renderer. The CLI,
// the tests and the benchmarks use it; the monitor window builds the same pieces on its widget's
// context.

#include <QImage>
#include <QString>
#include <memory>

#include "FrameRenderer.h"
#include "GlTextureUploader.h"
#include "OffscreenContext.h"
#include "pictures/PictureMediaLoader.h"

namespace quillon {

class Document;

class OffscreenMonitor {
  public:
    // Makes the context at width x height and becomes the document's media loader. Null with
    // *error saying why when no offscreen OpenGL can be had.
    static std::unique_ptr<OffscreenMonitor> Create(Document& doc, int width, int height,
                                                    QString* error);
    // Gives the document back a loader-less state and frees the textures while the context
    // is still current.
    ~OffscreenMonitor();

    OffscreenContext& context() { return *context_; }
    GlTextureUploader& textures() { return *textures_; }
    PictureMediaLoader& media() { return *media_; }
    FrameRenderer& renderer() { return *renderer_; }

    // Makes the frame current (full frame, no half-frame) and renders it; false when no scene
    // holds the frame.
    bool DrawFrame(int frame);
    // DrawFrame, then the picture read back as a top-down RGB image of the framebuffer's size.
    // A null image when no scene holds the frame or reading fails.
    QImage RenderImage(int frame);

  private:
    explicit OffscreenMonitor(Document& doc) : doc_(doc) {}
    Document& doc_;
    std::unique_ptr<OffscreenContext> context_;
    std::unique_ptr<GlTextureUploader> textures_;
    std::unique_ptr<PictureMediaLoader> media_;
    std::unique_ptr<FrameRenderer> renderer_;
};

}  // namespace quillon
