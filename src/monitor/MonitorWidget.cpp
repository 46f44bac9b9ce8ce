#include "MonitorWidget.h"

#include "SlatePainter.h"

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
    : QOpenGLWidget(parent), doc_(doc), media_(media), textures_(textures) {
    renderer_ = std::make_unique<FrameRenderer>(doc, media, textures, *this);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(1, 1);
    doc_.AddListener(this);
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (owner_)
            emit owner_->frameShown();
        else if (!fullScreenWindow_)
            emit frameShown();
    });
}

MonitorWidget::MonitorWidget(MonitorWidget& owner, PictureMediaLoader& media,
                             GlTextureUploader& textures)
    : MonitorWidget(owner.doc_, media, textures, nullptr) {
    owner_ = &owner;
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setCursor(Qt::BlankCursor);
}

MonitorWidget::~MonitorWidget() {
    delete fullScreenWindow_;
    doc_.RemoveListener(this);
}

QRect MonitorWidget::PictureRect() const {
    // As wide as the pane at the show's aspect (height over width), or as high; centred.
    const double ratio = doc_.settings().aspectRatio;
    if (!(ratio > 0.0)) return rect();
    int w = width();
    int h = int(w * ratio + 0.5);
    if (h > height()) {
        h = height();
        w = int(h / ratio + 0.5);
    }
    return QRect((width() - w) / 2, (height() - h) / 2, std::max(w, 1), std::max(h, 1));
}

QSize MonitorWidget::ClientSize() const {
    return PictureRect().size();
}

void MonitorWidget::initializeGL() {
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void MonitorWidget::resizeGL(int, int) {
    // The viewport is set at each paint, from the picture's place in the pane.
}

void MonitorWidget::paintGL() {
    if (!slate_.isNull()) {
        QPainter painter(this);
        quillon::PaintSlate(painter, rect(), slate_, slateRostrum_);
        return;
    }
    if (owner_) {
        // The full-screen window draws with the pane's settings.
        const FrameRenderer& r = *owner_->renderer_;
        renderer_->showReticle = r.showReticle;
        renderer_->drawGridFloor = r.drawGridFloor;
        renderer_->drawSet = r.drawSet;
        renderer_->paceSwaps = r.paceSwaps;
    }
    // A change of frame rate takes effect at the next repaint.
    renderer_->UpdateSwapTicks();
    // The picture keeps the show's aspect in whatever pane holds it: the frame renders into
    // its rectangle (GL rows from the bottom, in device pixels) and the rest stays black.
    const qreal dpr = devicePixelRatioF();
    const QRect picture = PictureRect();
    glViewport(int(picture.x() * dpr), int((height() - picture.bottom() - 1) * dpr),
               int(picture.width() * dpr), int(picture.height() * dpr));
    renderer_->RenderFrame(true);
}

void MonitorWidget::PaintReticle(const ReticleShape& shape) {
    QPainter painter(this);
    painter.translate(PictureRect().topLeft());
    quillon::PaintReticle(painter, shape);
}

void MonitorWidget::ShowSlate(const QString& name, bool rostrum) {
    MonitorWidget* target = fullScreenWindow_ ? fullScreenWindow_ : this;
    // An empty name is still a slate: the null text means none.
    target->slate_ = name.isNull() ? QStringLiteral("") : name;
    target->slateRostrum_ = rostrum;
    target->repaint();
}

bool MonitorWidget::showingSlate() const {
    return !(fullScreenWindow_ ? fullScreenWindow_ : this)->slate_.isNull();
}

void MonitorWidget::ClearSlate() {
    for (MonitorWidget* w : {this, fullScreenWindow_}) {
        if (!w || w->slate_.isNull()) continue;
        w->slate_.clear();
        w->update();
    }
}

void MonitorWidget::ToggleReticle() {
    renderer_->showReticle = !renderer_->showReticle;
    update();
    if (fullScreenWindow_) fullScreenWindow_->update();
}

void MonitorWidget::ToggleFullScreen() {
    if (owner_) return owner_->ToggleFullScreen();
    const QRect screen =
        (this->screen() ? this->screen() : QGuiApplication::primaryScreen())->geometry();
    if (!fullScreenWindow_ && screen.width() - 4 >= width()) {
        fullScreenWindow_ = new MonitorWidget(*this, media_, textures_);
        // The keys of the screen window start play and rewind as the pane's do.
        connect(fullScreenWindow_, &MonitorWidget::playRequested, this,
                &MonitorWidget::playRequested);
        connect(fullScreenWindow_, &MonitorWidget::rewindAndPlayRequested, this,
                &MonitorWidget::rewindAndPlayRequested);
        // One pixel short of the screen in each direction.
        fullScreenWindow_->setGeometry(screen.x(), screen.y(), screen.width() - 1,
                                       screen.height() - 1);
        fullScreenWindow_->show();
        fullScreenWindow_->raise();
        fullScreenWindow_->activateWindow();
        fullScreenWindow_->setFocus();
    } else if (fullScreenWindow_) {
        MonitorWidget* closing = fullScreenWindow_;
        fullScreenWindow_ = nullptr;
        closing->hide();
        // Not now: this may run inside the closing window's own key or mouse handler.
        closing->deleteLater();
        window()->activateWindow();
        setFocus();
    }
    emit fullScreenChanged(fullScreen());
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
    monitor_.renderer().paceSwaps = false;
}

MonitorMovieSource::~MonitorMovieSource() {
    monitor_.renderer().paceSwaps = true;
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
