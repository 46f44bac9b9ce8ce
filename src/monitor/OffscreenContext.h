#pragma once
// An OpenGL context without any display: EGL on Mesa's surfaceless platform, drawing into a
// framebuffer object of the requested size (colour RGBA8, 16-bit depth, like the monitor's
// pixel format). The CLI, the tests and the benchmarks render through it; the monitor window
// uses its widget's context instead. One context is current on the thread that made it.

#include <QSize>
#include <QString>
#include <memory>

#include "MonitorSurface.h"

namespace quillon {

class OffscreenContext final : public MonitorSurface {
  public:
    // Makes the context, makes it current and gives it a width x height framebuffer with the
    // viewport over it. Null with *error saying what is missing when EGL, the surfaceless
    // platform, a compatibility-profile context or the framebuffer cannot be had.
    static std::unique_ptr<OffscreenContext> Create(int width, int height, QString* error);
    ~OffscreenContext() override;
    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    // New framebuffer size (and viewport); false when it cannot be made (the old one stays).
    bool Resize(int width, int height);
    bool MakeCurrent();

    QSize ClientSize() const override { return size_; }
    // Nothing is shown: finishes the drawing so the framebuffer can be read.
    void SwapBuffers() override;
    bool PacesSwaps() const override { return false; }
    // The renderer and its version, for messages.
    QString RendererName() const;

  private:
    OffscreenContext() = default;
    bool MakeFramebuffer(int width, int height);
    void DropFramebuffer();

    void* display_ = nullptr;  // EGLDisplay
    void* context_ = nullptr;  // EGLContext
    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
    QSize size_;
};

}  // namespace quillon
