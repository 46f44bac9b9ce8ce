#pragma once
// The timeline pane: the whole show laid out in time, scenes left to right with their tracks as
// bars on rows below, a red cut line at the current frame. It reads the show and the current
// frame from the document and the jog step and range marks from the player, and follows the
// current frame as the document moves it.
//
// Editing: a click selects a scene or track (Shift adds) and makes its frame current (Ctrl:
// without scrolling). A press held half a second beeps and starts a drag of the selection's
// outline: its start edge, its end edge or the whole, or one key frame; the drop retimes,
// reorders or moves the key through TimelineEdits. A right click opens the item's or the key's
// information (Shift on a key: the key's numbers as text). Keys step the frame and play.
//
// The view holds references to the document and the player; both must outlive it. It registers
// itself as a document listener for its lifetime.

#include <QAbstractScrollArea>
#include <QRect>
#include <QTimer>
#include <cstdint>

#include "model/DocumentListener.h"
#include "timeline/TimelineGeometry.h"
#include "timeline/TimelineHits.h"
#include "timeline/TimelinePainter.h"

namespace quillon {

class Document;
class Player;
class ShowNode;

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
    // The drag in progress: its kind (kNone when idle), whether the hold time has passed, and
    // its outline in scroll-area pixels.
    DragKind dragKind() const { return dragKind_; }
    bool dragging() const { return dragging_; }
    const EdgeRect& dragRect() const { return dragRect_; }
    // The client rectangle the outline is drawn in (for repainting just its lines).
    QRect OutlineRect() const;

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
    // A right click on an item: its "Actor / Scene Information" (the item was recorded for
    // undo); a right click on a key: its "KeyFrame Information" (the owner was recorded).
    void itemInformationRequested(ShowNode* item);
    void keyInformationRequested(ShowNode* owner, int index);
    // A key drag began: the read-out panel shows the owner's key.
    void keyReadoutRequested(ShowNode* owner, int index);
    void timeScaleTextChanged(const QString& text);
    void movePlayChanged(bool on);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Any key release ends vertical mode (Shift turns it on, as in the stage plan).
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab and Shift+Tab step between key frames here instead of moving the focus.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    void SetScale(TimeScale scale);
    // The point in scroll-area pixels.
    QPoint ScrollPoint(const QPointF& client) const;
    const ShowNode* ItemUnder(QPoint scrollPoint) const;
    // The key under x on item (a scene's keys are its active camera's): the owner and index.
    std::pair<ShowNode*, int> KeyUnder(const ShowNode* item, int64_t x) const;
    void HoldTimeReached();
    void UpdateOutline(const EdgeRect& before);
    void Click(QPoint scrollPoint, Qt::KeyboardModifiers modifiers);
    void Drop(QPoint scrollPoint);
    void RightClick(QPoint scrollPoint, Qt::KeyboardModifiers modifiers);
    void AutoScroll(QPoint clientPoint);
    void EndDrag();
    void UpdateCursor(QPoint scrollPoint);
    // Whole selection changes: every node of the show deselected.
    void ClearSelection();
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
    bool paging_ = false;      // the view scrolls itself, not the user

    // The press and drag: where the button went down (scroll-area pixels), its offset from
    // the outline, the kind, and whether the hold time has passed.
    EdgeRect dragRect_;
    QPoint clickPoint_;
    QPoint clickOffset_;
    DragKind dragKind_ = DragKind::kNone;
    bool dragging_ = false;
    bool pressed_ = false;
    QTimer holdTimer_;
};

}  // namespace quillon
