#include "MonitorWidget.h"

#include <GL/gl.h>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QOpenGLFramebufferObject>
#include <QPainter>
#include <QScreen>

#include "ReticlePainter.h"
#include "model/Document.h"

namespace quillon {

MonitorWidget::MonitorWidget(Document& doc, PictureMediaLoader& media, GlTextureUploader& textures,
                             QWidget* parent)
    : QOpenGLWidget(parent), doc_(doc) {
    renderer_ = std::make_unique<FrameRenderer>(doc, media, textures, *this);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
    doc_.AddListener(this);
}

MonitorWidget::~MonitorWidget() {
    doc_.RemoveListener(this);
}

QSize MonitorWidget::ClientSize() const {
    return size();
}

void MonitorWidget::initializeGL() {
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void MonitorWidget::resizeGL(int width, int height) {
    // The widget's device pixels may differ from its logical size on a scaled screen.
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, int(width * ratio), int(height * ratio));
}

void MonitorWidget::paintGL() {
    // A change of frame rate takes effect at the next repaint.
    renderer_->UpdateSwapTicks();
    renderer_->RenderFrame(true);
}

void MonitorWidget::PaintReticle(const ReticleShape& shape) {
    QPainter painter(this);
    quillon::PaintReticle(painter, shape);
}

void MonitorWidget::ToggleReticle() {
    renderer_->showReticle = !renderer_->showReticle;
    update();
}

void MonitorWidget::ToggleFullScreen() {
    const QRect screen =
        (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->geometry();
    if (!fullScreen_ && screen.width() - 4 >= width()) {
        pane_ = parentWidget();
        setParent(nullptr);
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        // One pixel short of the screen in each direction.
        setGeometry(screen.x(), screen.y(), screen.width() - 1, screen.height() - 1);
        setCursor(Qt::BlankCursor);
        show();
        raise();
        activateWindow();
        setFocus();
        fullScreen_ = true;
    } else if (fullScreen_) {
        hide();
        setWindowFlags(Qt::Widget);
        setParent(pane_);
        if (pane_ && pane_->layout()) pane_->layout()->addWidget(this);
        unsetCursor();
        show();
        fullScreen_ = false;
    }
    emit fullScreenChanged(fullScreen_);
    update();
}

void MonitorWidget::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (text == "z" || text == "Z") {
        ToggleFullScreen();
    } else if (text == "p" || text == "P" || text == "r" || text == "R") {
        emit playRequested();
    } else if (text == "0" || text == "o" || text == "O") {
        emit rewindAndPlayRequested();
    } else {
        QOpenGLWidget::keyPressEvent(event);
    }
}

void MonitorWidget::mouseDoubleClickEvent(QMouseEvent*) {
    ToggleFullScreen();
}

MonitorMovieSource::MonitorMovieSource(MonitorWidget& monitor, Document& doc,
                                       PictureMediaLoader& media, GlTextureUploader& textures,
                                       int width, int height)
    : monitor_(monitor), size_(width, height) {
    monitor_.makeCurrent();
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    fbo_ = std::make_unique<QOpenGLFramebufferObject>(size_, format);
    if (!fbo_->isValid()) fbo_.reset();
    renderer_ = std::make_unique<FrameRenderer>(doc, media, textures, *this);
    renderer_->showReticle = false;
    renderer_->drawGridFloor = monitor.renderer().drawGridFloor;
    renderer_->drawSet = monitor.renderer().drawSet;
    monitor_.doneCurrent();
}

MonitorMovieSource::~MonitorMovieSource() {
    monitor_.makeCurrent();
    fbo_.reset();
    monitor_.doneCurrent();
}

void MonitorMovieSource::RenderFrame(bool swap) {
    if (!fbo_) return;
    monitor_.makeCurrent();
    fbo_->bind();
    glViewport(0, 0, size_.width(), size_.height());
    glClearColor(0, 0, 0, 0);
    renderer_->RenderFrame(false);
    glFinish();
    if (swap) monitor_.update();
}

void MonitorMovieSource::SwapNow() {
    monitor_.update();
}

bool MonitorMovieSource::ReadPixels(int width, int height, uint8_t* bgra) {
    if (!fbo_) return false;
    monitor_.makeCurrent();
    fbo_->bind();
    return renderer_->ReadPixels(width, height, bgra);
}

}  // namespace quillon
