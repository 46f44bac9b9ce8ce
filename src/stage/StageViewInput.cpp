// The stage plan's mouse and keyboard editing: presses take the camera, a selected actor or a
// selected panel by one of its handles, moves drag it, releases select and end the drag, right
// clicks ask for information, keys nudge the camera and start play.
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "StageGeometry.h"
#include "StageView.h"
#include "model/Document.h"
#include "model/Set.h"
#include "model/Settings.h"
#include "viewkit/VerticalMode.h"
#include "viewkit/ViewCursors.h"

namespace quillon {

namespace {

constexpr float kMaxLensAngle = 180.0f;
constexpr int kOverlayMargin = 4;  // inverted outlines and antialiasing reach this far

ViewCursor CursorFor(int code, bool vertical) {
    using namespace stage;
    switch (code) {
        case kCameraMove:
        case kWallMove:
        case kFloorMove:
            return ViewCursor::kMove;
        case kActorMove:
            return vertical ? ViewCursor::kHeight : ViewCursor::kMove;
        case kCameraHeight:
        case kPanelRaise:
        case kPanelRaise01:
        case kPanelRaise23:
            return ViewCursor::kHeight;
        case kCameraPan:
        case kActorPan:
            return ViewCursor::kPan;
        case kCameraTilt:
            return ViewCursor::kTilt;
        case kCameraLens:
        case kCameraZoom:
            return ViewCursor::kLensAngle;
        case kActorWidth:
            return ViewCursor::kWidth;
        case kWallEnd0:
            return ViewCursor::kFirstEnd;
        case kWallEnd1:
            return ViewCursor::kSecondEnd;
        default:
            if (code >= kFloorCorner0 && code <= kFloorCorner3) return ViewCursor::kSecondEnd;
            return ViewCursor::kArrow;
    }
}

}  // namespace

bool StageView::verticalMode() const {
    return VerticalMode();
}

void StageView::SetSnapToGrid(bool on) {
    snapToGrid_ = on;
    settings::Write(doc_.profile(), settings::kGridSnap, on ? 1 : 0);
}

stage::StageContents StageView::Contents() const {
    stage::StageContents c;
    c.scene = doc_.currentScene();
    c.set = c.scene ? c.scene->set.get() : nullptr;
    const ShowNode* camera = doc_.ActiveTrack(c.scene);
    if (camera && camera->Is(NodeKind::Camera)) c.camera = &doc_.monitorCamera().pose;
    c.setLocked = doc_.setLocked();
    c.vertical = VerticalMode();
    return c;
}

QPoint StageView::ScrollPoint(const QPointF& client) const {
    return client.toPoint() + scrollPosition();
}

std::vector<ShowNode*> StageView::SelectedActors() const {
    std::vector<ShowNode*> out;
    if (ShowNode* scene = doc_.currentScene())
        for (ShowNode* child : scene->children)
            if (child->Is(NodeKind::Actor) && child->selected()) out.push_back(child);
    return out;
}

std::vector<SetPanel*> StageView::SelectedPanels() const {
    std::vector<SetPanel*> out;
    if (Set* set = doc_.SetOfSceneAt(doc_.currentFrame()))
        for (SetPanel& panel : set->panels)
            if (panel.selected) out.push_back(&panel);
    return out;
}

ShowNode* StageView::ActorUnderPoint(QPoint p) const {
    ShowNode* scene = doc_.currentScene();
    if (!scene) return nullptr;
    const PlanView view = CurrentPlanView();
    for (ShowNode* child : scene->children)
        if (stage::ActorUnder(view, *child, p)) return child;
    return nullptr;
}

int StageView::PanelUnderPoint(QPoint p) const {
    const Set* set = doc_.SetOfSceneAt(doc_.currentFrame());
    if (!set || doc_.setLocked()) return -1;
    for (int i = 0; i < set->panelCount(); ++i)
        if (stage::PanelHandleAt(set->panels[size_t(i)], scale_, p, false)) return i;
    return -1;
}

// --- the mouse ---

void StageView::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton || startupShowing_) return;
    SetVerticalMode(event->modifiers() & Qt::ShiftModifier);
    BeginDrag(ScrollPoint(event->position()), event->modifiers());
}

void StageView::BeginDrag(QPoint p, Qt::KeyboardModifiers modifiers) {
    if (dragMode_) EndDrag();
    const stage::StageContents contents = Contents();
    const stage::StageHit hit =
        stage::HitAt(CurrentPlanView(), contents, p, stage::PanelScope::kSelected);
    int code = hit.code;
    moved_ = false;
    clickPoint_ = p;
    reference_ = nullptr;
    if (stage::IsCameraHandle(code)) {
        code = stage::CameraCodeWithModifiers(code, modifiers & Qt::ControlModifier,
                                              modifiers & Qt::ShiftModifier);
        dragOffset_ = stage::CameraDragOffset(code, *contents.camera, p, scale_);
    } else if (stage::IsActorHandle(code)) {
        reference_ = SelectedActors().front();  // the hit actor is one of them
        dragOffset_ = stage::ActorDragOffset(code, reference_->pose, p, scale_, contents.vertical);
    } else if (stage::IsPanelHandle(code)) {
        const std::vector<SetPanel*> panels = SelectedPanels();
        code = stage::EffectivePanelCode(code, int(panels.size()), contents.vertical);
        dragOffset_ = stage::PanelDragOffset(code, *panels.front(), p, scale_, snapToGrid_);
    }
    dragMode_ = code;
    if (!dragMode_) return;
    MakeDragBase();
    dragArea_ = DraggedArea();
    viewport()->update(dragArea_);
    viewport()->setCursor(
        MakeViewCursor(CursorFor(dragMode_, contents.vertical), devicePixelRatioF()));
}

void StageView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
    SetVerticalMode(event->modifiers() & Qt::ShiftModifier);
    const QPoint p = ScrollPoint(event->position());
    if (!dragMode_) {
        UpdateCursor(p);
        return;
    }
    DragStep(p);
}

void StageView::UpdateCursor(QPoint p) {
    if (startupShowing_) return;
    const stage::StageContents contents = Contents();
    const stage::StageHit hit =
        stage::HitAt(CurrentPlanView(), contents, p, stage::PanelScope::kAll);
    viewport()->setCursor(
        MakeViewCursor(CursorFor(hit.code, contents.vertical), devicePixelRatioF()));
}

void StageView::DragStep(QPoint p) {
    const bool vertical = VerticalMode();
    if (stage::IsCameraHandle(dragMode_)) {
        stage::ApplyCameraDrag(dragMode_, doc_.monitorCamera().pose, p, dragOffset_,
                               CurrentPlanView());
        moved_ = true;
        UpdateReadout();
    } else if (stage::IsActorHandle(dragMode_)) {
        const KeyFrame change = stage::ActorDragChange(
            dragMode_, reference_->pose, reference_->aspect, p, dragOffset_, scale_, vertical);
        for (ShowNode* actor : SelectedActors())
            stage::AddChange(actor->pose, change);
        moved_ = true;
        ShowValuesInReadout(reference_->pose);
    } else {
        const std::vector<SetPanel*> panels = SelectedPanels();
        if (panels.empty()) return;
        stage::ApplyPanelDrag(dragMode_, panels, p, dragOffset_, scale_, snapToGrid_, vertical);
        if (p != clickPoint_) moved_ = true;
        if (Set* set = doc_.SetOfSceneAt(doc_.currentFrame())) set->dirty = 1;
    }
    MoveOverlay();
    if (showOnDrag_) emit MonitorRedrawRequested();
    viewport()->setCursor(MakeViewCursor(CursorFor(dragMode_, vertical), devicePixelRatioF()));
}

void StageView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const QPoint p = ScrollPoint(event->position());
    if (event->button() == Qt::RightButton) {
        RightClick(p);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    Release(p, event->modifiers());
}

void StageView::Release(QPoint p, Qt::KeyboardModifiers modifiers) {
    const bool add = modifiers & Qt::ShiftModifier;
    uint32_t changed = 0;
    ShowNode* actor = ActorUnderPoint(p);
    if (actor)
        ShowValuesInReadout(actor->pose);
    else
        UpdateReadout();
    if (actor && !moved_) {
        const bool was = actor->selected();
        if (!add) {
            for (ShowNode* scene : doc_.root().children)
                for (ShowNode* child : scene->children)
                    if (child->Is(NodeKind::Actor)) child->setSelected(false);
        }
        actor->setSelected(!was);
        changed |= DocumentChange::kSelection;
    }
    if (const int index = PanelUnderPoint(p); index >= 0 && !moved_) {
        Set& set = *doc_.SetOfSceneAt(doc_.currentFrame());
        SetPanel& panel = set.panels[size_t(index)];
        const bool was = panel.selected;
        if (!add) set.SelectAll(false);
        panel.selected = !was;
        changed |= DocumentChange::kSelection | DocumentChange::kPanels;
    }
    const int mode = std::exchange(dragMode_, 0);
    dragBase_ = QImage();
    if (mode && moved_) {
        // The views and the commands learn once, at the release, what the drag changed.
        if (stage::IsCameraHandle(mode)) changed |= DocumentChange::kCamera;
        if (stage::IsActorHandle(mode)) changed |= DocumentChange::kPose;
        if (stage::IsPanelHandle(mode)) changed |= DocumentChange::kPanels;
    }
    reference_ = nullptr;
    if (changed) doc_.NotifyChanged({.aspects = changed});
    if (mode) {
        viewport()->update();
        emit MonitorRedrawRequested();
    }
    UpdateCursor(p);
}

void StageView::RightClick(QPoint p) {
    if (dragMode_ || startupShowing_) return;
    if (ShowNode* actor = ActorUnderPoint(p)) {
        doc_.PushUndo(actor);
        emit actorInformationRequested(actor);
    } else if (const int index = PanelUnderPoint(p); index >= 0) {
        emit panelInformationRequested(doc_.SetOfSceneAt(doc_.currentFrame()), index);
    } else {
        return;
    }
    viewport()->update();
    emit MonitorRedrawRequested();
}

void StageView::EndDrag() {
    SetVerticalMode(false);
    if (!dragMode_) return;
    dragMode_ = 0;
    reference_ = nullptr;
    dragBase_ = QImage();
    viewport()->update();
    emit MonitorRedrawRequested();
}

// --- the drag's overlay ---

void StageView::MakeDragBase() {
    const qreal ratio = viewport()->devicePixelRatioF();
    dragBase_ = QImage(viewport()->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    dragBase_.setDevicePixelRatio(ratio);
    QPainter painter(&dragBase_);
    StagePlanPainter plan(painter, CurrentPlanView());
    plan.DrawBackground(viewport()->rect());
    DrawPlanContents(painter, dragMode_);
}

QRegion StageView::DraggedArea() const {
    const PlanView view = CurrentPlanView();
    const QRect client = viewport()->rect();
    if (stage::IsCameraHandle(dragMode_))
        return CameraArea(view, doc_.monitorCamera().pose, client);
    QRegion area;
    const int m = kOverlayMargin;
    if (stage::IsActorHandle(dragMode_)) {
        for (const ShowNode* actor : SelectedActors()) {
            const stage::ActorShape s = stage::MakeActorShape(actor->pose, actor->aspect, scale_);
            const int across = s.halfWidth + m;
            const int down = view.rostrumMode ? s.halfDepth + m : across;
            area += QRect(s.centre - view.scroll - QPoint(across, down),
                          s.centre - view.scroll + QPoint(across, down))
                        .intersected(client);
        }
    } else if (stage::IsPanelHandle(dragMode_)) {
        for (const SetPanel* panel : SelectedPanels()) {
            const stage::PanelShape s = stage::MakePanelShape(*panel, scale_);
            QPolygon corners;
            for (const QPoint& c : s.corners)
                corners << c - view.scroll;
            area += corners.boundingRect().adjusted(-m, -m, m, m).intersected(client);
        }
    }
    return area;
}

void StageView::DrawDragged(QPainter& painter) {
    StagePlanPainter plan(painter, CurrentPlanView());
    if (stage::IsCameraHandle(dragMode_)) {
        plan.DrawCamera(doc_.monitorCamera().pose, true);
    } else if (stage::IsActorHandle(dragMode_)) {
        for (const ShowNode* actor : SelectedActors())
            plan.DrawActor(*actor, true);
    } else {
        for (const SetPanel* panel : SelectedPanels())
            plan.DrawPanel(*panel, true);
    }
}

void StageView::MoveOverlay() {
    const QRegion now = DraggedArea();
    viewport()->update(dragArea_ + now);
    dragArea_ = now;
}

// --- keys ---

void StageView::keyPressEvent(QKeyEvent* event) {
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    const stage::StageContents contents = Contents();
    KeyFrame& camera = doc_.monitorCamera().pose;
    bool cameraKey = false;
    switch (event->key()) {
        case Qt::Key_Shift:
            SetVerticalMode(true);
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (!contents.camera) break;
            if (event->key() == Qt::Key_Left) camera.eastWest() -= 1;
            if (event->key() == Qt::Key_Right) camera.eastWest() += 1;
            if (event->key() == Qt::Key_Up) camera.northSouth() -= 1;
            if (event->key() == Qt::Key_Down) camera.northSouth() += 1;
            cameraKey = true;
            break;
        case Qt::Key_Plus:
        case Qt::Key_Minus:
            if (!keypad) return QAbstractScrollArea::keyPressEvent(event);
            if (!contents.camera) break;
            camera.width() = std::clamp(camera.width() + (event->key() == Qt::Key_Plus ? 1 : -1),
                                        0.0f, kMaxLensAngle);
            cameraKey = true;
            break;
        case Qt::Key_P:
            emit playRequested();
            break;
        case Qt::Key_0:
        case Qt::Key_O:
            emit rewindAndPlayRequested();
            break;
        default:
            return QAbstractScrollArea::keyPressEvent(event);
    }
    event->accept();
    if (cameraKey) {
        viewport()->update();
        emit MonitorRedrawRequested();
        doc_.NotifyChanged({.aspects = DocumentChange::kCamera});
    }
    UpdateReadout();
}

void StageView::keyReleaseEvent(QKeyEvent* event) {
    SetVerticalMode(false);
    QAbstractScrollArea::keyReleaseEvent(event);
}

void StageView::focusOutEvent(QFocusEvent* event) {
    // Losing the focus takes the mouse and the keys away: the Shift release goes elsewhere and
    // a drag ends where it stands.
    EndDrag();
    QAbstractScrollArea::focusOutEvent(event);
}

}  // namespace quillon
