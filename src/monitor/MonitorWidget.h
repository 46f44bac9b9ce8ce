#pragma once
// MonitorWidget: the monitor pane. An OpenGL widget that renders the document's current frame
// through the frame renderer, paces swaps to half a frame period, draws the reticle over the
// shown picture, and goes full screen (one pixel short of the screen each way) and back on
// "z", "Z", a double click or the menu. "p" / "r" start playback forwards and "0" / "o" rewind
// to frame 0 first, through the signals the shell connects to the player.
//
// Full screen is a window of its own, a second monitor widget that the pane's widget makes and
// closes again; the pane's widget never leaves its pane, so its surface and its place in the
// window stay as they are. All contexts of the program share one group
// (Qt::AA_ShareOpenGLContexts), so the textures the document uploads outside any paint are those
// both widgets draw with.

#include <QOpenGLWidget>
#include <functional>
#include <memory>

#include "FrameRenderer.h"
#include "MonitorSurface.h"
#include "model/DocumentListener.h"

class QOpenGLFramebufferObject;

namespace quillon {

class Document;
class GlTextureUploader;
class PictureMediaLoader;

class MonitorWidget final : public QOpenGLWidget, public MonitorSurface, public DocumentListener {
    Q_OBJECT
  public:
    MonitorWidget(Document& doc, PictureMediaLoader& media, GlTextureUploader& textures,
                  QWidget* parent = nullptr);
    ~MonitorWidget() override;

    FrameRenderer& renderer() { return *renderer_; }

    bool fullScreen() const { return fullScreenWindow_ != nullptr; }
    // The full-screen window while there is one.
    MonitorWidget* fullScreenWindow() const { return fullScreenWindow_; }
    // Full screen when the widget is not already about as wide as the screen; back into its
    // pane otherwise. Renders the frame either way. The full-screen window's own toggle hands
    // over to the pane's widget.
    void ToggleFullScreen();
    // The reticle toggle: flips it and redraws.
    void ToggleReticle();
    // The tape batch's slate over the whole drawing window (the full-screen window while there
    // is one), painted at once; the next frame drawn takes its place.
    void ShowSlate(const QString& name, bool rostrum);
    bool showingSlate() const;
    void ClearSlate();

    // Where the picture lies in the widget: the show's aspect ratio, letterboxed in black.
    QRect PictureRect() const;

    // MonitorSurface: the picture's size; Qt swaps after each paint; the reticle goes on top
    // with a painter.
    QSize ClientSize() const override;
    void SwapBuffers() override {}
    void PaintReticle(const ReticleShape& shape) override;

    // DocumentListener: whatever the camera sees differently is drawn at the next paint. While
    // the full-screen window plays, the pane's widget under it waits.
    void DocumentChanged(const DocumentChange& change) override {
        if (change.playTick && fullScreenWindow_) return;
        if (change.Has(DocumentChange::kPicture3d)) {
            slate_.clear();
            update();
        }
    }

  signals:
    void fullScreenChanged(bool on);
    // The screen's play keys: play forwards ("p", "r"), or from frame 0 ("0", "o").
    void playRequested();
    void rewindAndPlayRequested();
    // A frame has been shown on the screen (swapped), by the pane's widget or, in full screen,
    // by the full-screen window: the play loop's pulse.
    void frameShown();

  protected:
    void initializeGL() override;
    void paintGL() override;
    void resizeGL(int width, int height) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    // The full-screen window of owner: draws what the pane's widget draws.
    MonitorWidget(MonitorWidget& owner, PictureMediaLoader& media, GlTextureUploader& textures);

    Document& doc_;
    PictureMediaLoader& media_;
    GlTextureUploader& textures_;
    std::unique_ptr<FrameRenderer> renderer_;
    MonitorWidget* owner_ = nullptr;             // set in a full-screen window
    MonitorWidget* fullScreenWindow_ = nullptr;  // owned; set while the pane's widget is full
    QString slate_;                              // the slate's name while it is shown
    bool slateRostrum_ = false;
};

// The frames of a movie made in the window: rendered by a renderer of their own into a
// framebuffer of the movie's size in the monitor's context, so the movie does not depend on
// the pane's size; each shown frame is also repainted in the monitor.
class MonitorMovieSource final : public MovieFrameSource, public MonitorSurface {
  public:
    MonitorMovieSource(MonitorWidget& monitor, Document& doc, PictureMediaLoader& media,
                       GlTextureUploader& textures, int width, int height);
    ~MonitorMovieSource() override;
    bool valid() const { return fbo_ != nullptr; }

    void RenderFrame(bool swap) override;
    void SwapNow() override;
    bool ReadPixels(int width, int height, uint8_t* bgra) override;

    QSize ClientSize() const override { return size_; }
    void SwapBuffers() override {}
    // A movie's frames go to a framebuffer: nothing to pace.
    bool PacesSwaps() const override { return false; }

  private:
    MonitorWidget& monitor_;
    QSize size_;
    std::unique_ptr<QOpenGLFramebufferObject> fbo_;
    std::unique_ptr<FrameRenderer> renderer_;
};

}  // namespace quillon
