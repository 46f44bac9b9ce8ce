#pragma once
// The timeline pane: the whole show laid out in time, scenes left to right with their tracks as
// bars on rows below, a red cut line at the current frame. It reads the show and the current
// frame from the document and the jog step and range marks from the player, and follows the
// current frame as the document moves it. A left click makes the clicked frame current.
//
// The view holds references to the document and the player; both must outlive it. It registers
// itself as a document listener for its lifetime.

#include <QAbstractScrollArea>
#include <QRect>
#include <cstdint>

#include "model/DocumentListener.h"
#include "timeline/TimelineGeometry.h"
#include "timeline/TimelinePainter.h"

namespace quillon {

class Document;
class Player;

class TimelineView : public QAbstractScrollArea, public DocumentListener {
    Q_OBJECT

  public:
    // Reads "Timeline"/"Scale" (made usable: 15 .. 960) and "Timeline"/"MovePlay" and lays out.
    TimelineView(Document& document, Player& player, QWidget* parent = nullptr);
    ~TimelineView() override;

    const TimeScale& timeScale() const { return scale_; }
    int scale() const { return scale_.scale(); }
    bool movePlay() const { return movePlay_; }
    const TimelineExtent& extent() const { return extent_; }
    // The text of the time-scale label beside the timeline ("1/2  Second", "2  Seconds").
    QString TimeScaleText() const;
    // The frame the cut line stands at.
    int cutLineFrame() const { return cutFrame_; }
    // The cut line's rectangle in client pixels.
    QRect CutLine() const;
    // frame(x) and x(frame) for client pixels, at the current scroll position.
    int FrameAtClientX(int clientX) const;
    int64_t ClientXOfFrame(int frame) const;
    // What the painting reads besides the show.
    TimelineState State() const;

    // --- DocumentListener: a frame change moves the cut line; bars, keys and ranges lay the
    // view out again; a selection or a file repaints. Poses and panels do not show here.
    void DocumentChanged(const DocumentChange& change) override;

  public slots:
    // Recomputes the total frames, the row height and the scroll sizes.
    void Relayout();
    // Go-to-frame: pages the view when the frame's x is off screen, makes max(frame, 0) current
    // through the document (which refreshes the stage too when updateStage), shows it on the
    // frame counter and moves the cut line.
    void GoToFrame(int frame, bool updateStage);
    // The status bar's zoom buttons: halve (not below 15) or double (not above 960) the scale,
    // lay out, repaint, refresh the label and write "Timeline"/"Scale".
    void ZoomOut();
    void ZoomIn();
    // "Moving &Timeline": whether the view pages along during play; written to
    // "Timeline"/"MovePlay".
    void SetMovePlay(bool on);
    void ToggleMovePlay() { SetMovePlay(!movePlay_); }

  signals:
    // The frame counter in the player pane shows this frame.
    void frameCounterChanged(int frame);
    void timeScaleTextChanged(const QString& text);
    void movePlayChanged(bool on);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void SetScale(TimeScale scale);
    // Scrolls so that the frame's x is on screen, by Go-to-frame's paging rule.
    void Page(int frame);
    // Invalidates the cut line's old strip and the new one, nothing else.
    void MoveCutLine(int frame);
    int scrollX() const;
    int scrollY() const;

    Document& doc_;
    Player& player_;
    TimeScale scale_;
    bool movePlay_ = true;
    TimelineExtent extent_;
    int cutFrame_ = 0;
    bool holdScroll_ = false;  // a Ctrl-click sets the frame without paging
};

}  // namespace quillon
