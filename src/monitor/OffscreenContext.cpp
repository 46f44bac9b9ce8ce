#include "OffscreenContext.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

namespace quillon {

namespace {

QString EglErrorText(const char* what) {
    return QStringLiteral("%1 (EGL error 0x%2)")
        .arg(QString::fromUtf8(what))
        .arg(eglGetError(), 4, 16, QLatin1Char('0'));
}

}  // namespace

std::unique_ptr<OffscreenContext> OffscreenContext::Create(int width, int height, QString* error) {
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return std::unique_ptr<OffscreenContext>();
    };
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (clientExtensions == nullptr ||
        !QByteArray(clientExtensions).contains("EGL_MESA_platform_surfaceless")) {
        return fail(QStringLiteral(
            "No offscreen OpenGL: EGL has no surfaceless platform (install Mesa's EGL driver, "
            "libegl-mesa0)"));
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr)
        return fail(QStringLiteral("No offscreen OpenGL: eglGetPlatformDisplayEXT is missing"));
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    EGLint major = 0, minor = 0;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, &major, &minor))
        return fail(EglErrorText("No offscreen OpenGL: the surfaceless display does not start"));

    std::unique_ptr<OffscreenContext> made(new OffscreenContext);
    made->display_ = display;
    if (!eglBindAPI(EGL_OPENGL_API))
        return fail(EglErrorText("No offscreen OpenGL: EGL offers no desktop OpenGL"));
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE,    EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
        EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,  EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configs) || configs < 1)
        config = nullptr;  // a configless context still draws into our framebuffer
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT)
        return fail(EglErrorText("No offscreen OpenGL: no compatibility-profile context"));
    made->context_ = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
        return fail(EglErrorText("No offscreen OpenGL: the context cannot be made current"));
    if (!made->MakeFramebuffer(width, height))
        return fail(
            QStringLiteral("No offscreen OpenGL: no %1 x %2 framebuffer").arg(width).arg(height));
    // The monitor context's start state: black, depth 1.
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    return made;
}

OffscreenContext::~OffscreenContext() {
    if (context_ != nullptr) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
        DropFramebuffer();
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(display_, context_);
    }
    // The display is shared by every context of the process; terminating it here would pull it
    // from under a second context, so it stays initialised until exit.
}

bool OffscreenContext::MakeCurrent() {
    return context_ != nullptr &&
           eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_) == EGL_TRUE;
}

bool OffscreenContext::MakeFramebuffer(int width, int height) {
    if (width < 1 || height < 1) return false;
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSize);
    if (width > maxSize || height > maxSize) return false;
    GLuint framebuffer = 0, buffers[2] = {0, 0};
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(2, buffers);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT16, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glDeleteFramebuffers(1, &framebuffer);
        glDeleteRenderbuffers(2, buffers);
        return false;
    }
    DropFramebuffer();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    framebuffer_ = framebuffer;
    colour_ = buffers[0];
    depth_ = buffers[1];
    size_ = QSize(width, height);
    glViewport(0, 0, width, height);
    return true;
}

void OffscreenContext::DropFramebuffer() {
    if (framebuffer_ == 0) return;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer_);
    GLuint buffers[2] = {colour_, depth_};
    glDeleteRenderbuffers(2, buffers);
    framebuffer_ = colour_ = depth_ = 0;
}

bool OffscreenContext::Resize(int width, int height) {
    if (QSize(width, height) == size_) return true;
    return MakeCurrent() && MakeFramebuffer(width, height);
}

void OffscreenContext::SwapBuffers() {
    glFlush();
}

QString OffscreenContext::RendererName() const {
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return QStringLiteral("%1, OpenGL %2")
        .arg(QString::fromUtf8(renderer ? renderer : "?"),
             QString::fromUtf8(version ? version : "?"));
}

}  // namespace quillon
