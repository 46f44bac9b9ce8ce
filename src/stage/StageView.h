#pragma once
// The stage plan: a scrolling top-down view of the current scene (the scene holding the
// document's current frame) with its set panels, actors, the camera path and the camera, at a
// zoom of 0.25 to 4.0 pixels per stage unit. The view reads the show from the Document and
// redraws when the document says something changed. Of the show it changes only the monitor
// camera: its scale always, its placement on "&Center Camera" and at start-up. Its toggles and
// zoom are written to the profile's "Stage" section at once.
//
// Editing: the camera's handles move, turn, tilt, raise and zoom it; selected actors move, turn
// and widen; selected set panels move whole, by an end, by a corner or in height (StageHits
// holds the hit tests and the arithmetic). A click selects actors and panels (Shift adds), a
// right click asks for their information, keys nudge the camera and start play. Drags change
// the live poses, the monitor camera and the panels in place; while one runs only the dragged
// objects are redrawn, as inverted outlines over a picture of the rest of the plan, and the
// whole plan is painted again at the release.
//
// The document must outlive the view. The read-out panel, when given, stays owned by its parent
// widget.

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QRegion>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "PictureImageCache.h"
#include "StageHits.h"
#include "StagePlanPainter.h"
#include "model/Document.h"
#include "model/DocumentListener.h"
#include "model/KeyFrame.h"

namespace quillon {

class Document;
class Set;
class ShowNode;
class StageReadout;
struct SetPanel;

class StageView : public QAbstractScrollArea, public DocumentListener {
    Q_OBJECT

  public:
    static constexpr int kStartupMilliseconds = 3000;
    // Asks for a colour; nullopt when the user cancels.
    using ColourChooser = std::function<std::optional<QColor>(QWidget* parent)>;

    explicit StageView(Document& document, QWidget* parent = nullptr);
    ~StageView() override;

    // Reads the "Stage" values of the profile, sizes the scroll area, reads the screen's colour
    // depth, gives the monitor camera the plan's scale and takes the document to frame 0.
    void InitialUpdate();
    // The panel that shows the camera's values; null for none.
    void SetReadout(StageReadout* readout);
    // The start-up picture of the first paint (on by default); off, the first paint goes
    // straight to the plan.
    void SetStartupPictureEnabled(bool on) { startupEnabled_ = on; }
    // Picture mode shows its own start-up picture and no texture-size line.
    void SetPictureMode(bool on) { pictureMode_ = on; }
    // The largest texture side the graphics driver accepts, for the start-up picture.
    void SetMaxTextureSize(int size) { maxTextureSize_ = size; }
    // Overrides the colour depth read from the screen at initial update.
    void SetBitsPerPixel(int bits) { bitsPerPixel_ = bits; }
    // The colour dialog of "Show Camera &Path" (a QColorDialog unless replaced).
    void SetColourChooser(ColourChooser chooser) { chooser_ = std::move(chooser); }

    float scale() const { return scale_; }
    int planSize() const;
    QPoint scrollPosition() const;
    // The camera path's colour (0x00BBGGRR), -1 when no path is drawn.
    int32_t cameraPathColour() const { return cameraPathColour_; }
    bool cameraPathShown() const { return cameraPathColour_ != -1; }
    bool showOnDrag() const { return showOnDrag_; }
    bool showSet() const { return showSet_; }
    bool showGrid() const { return showGrid_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    bool startupPictureShowing() const { return startupShowing_; }
    // Vertical mode (the program-wide flag): on while Shift is held down in the plan, off at
    // any key release. Drags then raise and lower, and "Add or Reset KeyFrame" keys the selected
    // tracks even when nothing moved.
    bool verticalMode() const;
    // "Snap to Grid": panel drags snap to 12 pixels; written to "Stage"/"GridSnap".
    bool snapToGrid() const { return snapToGrid_; }
    void SetSnapToGrid(bool on);
    // The drag running: its handle code (0 when idle) and whether anything moved yet.
    int dragMode() const { return dragMode_; }
    bool moved() const { return moved_; }
    // What the hit tests see now: the current scene, its set, the camera when the scene has
    // one, the set lock and vertical mode.
    stage::StageContents Contents() const;
    // Ends a drag without a release (the mouse was taken away): the whole plan is painted
    // again; what the drag changed stays.
    void EndDrag();
    // The status-bar position line last made, "EW %-4d  NS %-4d  Wid %-4d".
    const QString& positionText() const { return positionText_; }
    // How the plan is looked at now (scale, scroll, modes) for drawing its parts elsewhere.
    PlanView CurrentPlanView() const;

    QPoint StageToClient(double eastWest, double northSouth) const;
    QPointF ClientToStage(QPoint client) const;
    // Where new tracks and panels go: the middle of the part of the plan in view.
    StagePlace VisiblePlace() const;
    // Scrolls so that the current scene's set and the camera are in view (the camera first,
    // when they do not both fit): what a newly opened show is looked at by.
    void ShowCameraAndSet();

    // Draws the plan (steps after the background: panels, actors, path, camera) on a painter
    // in client pixels.
    void DrawPlanContents(QPainter& painter);
    // During play: repaints only where the camera symbol stood at `from` and where it stands
    // now, so the camera moves without the rest of the plan being redrawn.
    void RedrawCamera(const KeyFrame& from);
    // What the camera symbol (or, in rostrum mode, its floor footprint) covers in client
    // pixels, within `client`.
    static QRegion CameraArea(const PlanView& view, const KeyFrame& pose, const QRect& client);

  public slots:
    // "&Enlarge Stage Area" and "&Shrink Stage Area".
    void EnlargeStage();
    void ShrinkStage();
    // "Show Camera &Path": off when on; otherwise a colour is chosen (black when cancelled).
    void ToggleCameraPath();
    // "Show Monitor on &Drag", "Draw &Set" and "Draw &Grid Floor".
    void ToggleShowOnDrag();
    void ToggleShowSet();
    void ToggleShowGrid();
    // "&Center Camera": the camera goes to the middle of the visible plan, then the plan and
    // the monitor are redrawn.
    void CenterCamera();
    // The camera's values to the read-out panel and the position line.
    void UpdateReadout();
    // Other values (an actor's while it is edited) to the read-out panel and position line.
    void ShowValuesInReadout(const KeyFrame& values);

  signals:
    // The status bar's position read-out should show this text.
    void PositionTextChanged(const QString& text);
    // The timeline's scale label should be redrawn (zoom steps and the first paint).
    void ScaleLabelRedrawRequested();
    // The monitor should render the camera again (after the camera was placed).
    void MonitorRedrawRequested();
    // A right click on an actor (already recorded for undo) or on a panel of the set: their
    // information dialogs. The plan and the monitor are redrawn when the slot returns.
    void actorInformationRequested(ShowNode* actor);
    void panelInformationRequested(Set* set, int index);
    // "P": play; "0" or "O": play from frame 0.
    void playRequested();
    void rewindAndPlayRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // DocumentListener: the plan shows every aspect but the script's text.
    void DocumentChanged(const DocumentChange& change) override;

  private:
    void FirstPaint();
    void EndStartupPicture();
    void Layout(bool redraw);
    // The new scale, keeping the stage point at the middle of the view where it was.
    void ApplyScale(float scale);
    void ScrollToCentre(QPointF stagePoint);
    void UpdateScrollBars();
    void DrawStartupPicture(QPainter& painter);

    // --- editing (StageViewInput.cpp) ---
    QPoint ScrollPoint(const QPointF& client) const;
    void BeginDrag(QPoint p, Qt::KeyboardModifiers modifiers);
    void DragStep(QPoint p);
    void Release(QPoint p, Qt::KeyboardModifiers modifiers);
    void RightClick(QPoint p);
    void UpdateCursor(QPoint p);
    ShowNode* ActorUnderPoint(QPoint p) const;
    int PanelUnderPoint(QPoint p) const;
    std::vector<ShowNode*> SelectedActors() const;
    std::vector<SetPanel*> SelectedPanels() const;
    // The overlay of a drag: the plan without the dragged objects, drawn once; the dragged
    // objects' client area; the dragged objects drawn inverted.
    void MakeDragBase();
    QRegion DraggedArea() const;
    void DrawDragged(QPainter& painter);
    void MoveOverlay();
    // The plan's contents, leaving out what the drag of this code moves (0: nothing).
    void DrawPlanContents(QPainter& painter, int leaveOut);

    Document& doc_;
    StageReadout* readout_ = nullptr;
    ColourChooser chooser_;

    float scale_ = 1.0f;
    bool showOnDrag_ = true;
    int32_t cameraPathColour_ = -1;
    bool showSet_ = true;
    bool showGrid_ = false;
    int bitsPerPixel_ = 32;

    bool firstPaint_ = true;
    bool startupEnabled_ = true;
    bool startupShowing_ = false;
    bool pictureMode_ = false;
    bool snapToGrid_ = false;

    int dragMode_ = 0;
    QPoint dragOffset_;
    QPoint clickPoint_;
    bool moved_ = false;
    ShowNode* reference_ = nullptr;  // the first selected actor in an actor drag
    QImage dragBase_;
    QRegion dragArea_;
    int maxTextureSize_ = 0;
    QTimer startupTimer_;
    QString positionText_;
    PictureImageCache pictures_;
};

}  // namespace quillon
