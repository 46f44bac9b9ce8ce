#include "timeline/TimelineView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <limits>
#include <utility>

#include "model/Document.h"
#include "model/Settings.h"
#include "player/Player.h"
#include "timeline/TimelineEdits.h"
#include "viewkit/VerticalMode.h"
#include "viewkit/ViewCursors.h"

namespace quillon {

TimelineView::TimelineView(Document& document, Player& player, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(document), player_(player) {
    const Profile& profile = doc_.profile();
    scale_ = TimeScale(settings::Get(profile, settings::kTimelineScale, doc_.frameRate()));
    movePlay_ = settings::Get(profile, settings::kMovePlay) != 0;
    cutFrame_ = doc_.currentFrame();

    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    viewport()->setMouseTracking(true);
    holdTimer_.setSingleShot(true);
    holdTimer_.setInterval(timeline::kHoldMs);
    connect(&holdTimer_, &QTimer::timeout, this, &TimelineView::HoldTimeReached);

    connect(&player_, &Player::rangeChanged, viewport(), qOverload<>(&QWidget::update));
    connect(&player_, &Player::jogAmountChanged, this, &TimelineView::Relayout);
    // When play stops the view catches up with the frame play stopped at.
    connect(&player_, &Player::modeChanged, this, [this](int mode) {
        if (mode != kStopped) return;
        Page(doc_.currentFrame());
        MoveCutLine(doc_.currentFrame());
    });

    doc_.AddListener(this);
    Relayout();
}

TimelineView::~TimelineView() {
    doc_.RemoveListener(this);
}

QString TimelineView::TimeScaleText() const {
    return TimeScaleLabel(scale_.scale(), doc_.frameRate());
}

int TimelineView::scrollX() const {
    return horizontalScrollBar()->value();
}

int TimelineView::scrollY() const {
    return verticalScrollBar()->value();
}

QRect TimelineView::CutLine() const {
    return CutLineRect(scale_.X(cutFrame_), scrollX(), viewport()->size());
}

int TimelineView::FrameAtClientX(int clientX) const {
    return scale_.Frame(int64_t(clientX) + scrollX());
}

int64_t TimelineView::ClientXOfFrame(int frame) const {
    return scale_.X(frame) - scrollX();
}

TimelineState TimelineView::State() const {
    TimelineState s;
    s.scale = scale_;
    s.extent = extent_;
    s.frameRate = doc_.frameRate();
    s.activeCamera = doc_.activeCamera();
    s.rostrumMode = doc_.rostrumMode();
    s.rangeOn = player_.rangeOn();
    s.rangeStart = player_.rangeStart();
    s.rangeEnd = player_.rangeEnd();
    return s;
}

void TimelineView::Relayout() {
    const QSize client = viewport()->size();
    extent_ = ComputeExtent(doc_.root(), scale_, client);
    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, extent_.totalWidth - client.width()));
    h->setPageStep(std::max(1, client.width()));
    // One line of horizontal scrolling is x(jog amount).
    const int64_t line = scale_.X(player_.jogAmount());
    h->setSingleStep(static_cast<int>(std::clamp<int64_t>(line, 1, extent_.totalWidth)));
    QScrollBar* v = verticalScrollBar();
    v->setRange(0, std::max(0, extent_.totalHeight - client.height()));
    v->setPageStep(std::max(1, client.height()));
    v->setSingleStep(timeline::kRowHeight);
}

void TimelineView::Page(int frame) {
    const int64_t scroll = PageScroll(scale_.X(frame), scrollX(), viewport()->size());
    if (scroll == scrollX()) return;
    QScopedValueRollback page(paging_, true);
    horizontalScrollBar()->setValue(
        static_cast<int>(std::min<int64_t>(scroll, horizontalScrollBar()->maximum())));
}

void TimelineView::MoveCutLine(int frame) {
    // Only the strip the line leaves and the one it goes to are repainted.
    viewport()->update(CutLine());
    cutFrame_ = frame;
    viewport()->update(CutLine());
}

void TimelineView::GoToFrame(int frame, bool updateStage) {
    Page(frame);
    doc_.UpdateViewsAtFrame(std::max(frame, 0), updateStage ? Refresh::kViews : Refresh::kNone);
    MoveCutLine(doc_.currentFrame());
    emit frameCounterChanged(doc_.currentFrame());
}

void TimelineView::SetScale(TimeScale scale) {
    scale_ = scale;
    Relayout();
    viewport()->update();
    settings::Write(doc_.profile(), settings::kTimelineScale, scale_.scale());
    emit timeScaleTextChanged(TimeScaleText());
}

void TimelineView::ZoomOut() {
    SetScale(scale_.ZoomedOut());
}

void TimelineView::ZoomIn() {
    SetScale(scale_.ZoomedIn());
}

void TimelineView::SetMovePlay(bool on) {
    movePlay_ = on;
    settings::Write(doc_.profile(), settings::kMovePlay, on ? 1 : 0);
    emit movePlayChanged(on);
}

void TimelineView::DocumentChanged(const DocumentChange& change) {
    // During play the view follows only with "Moving &Timeline" on; it catches up at the stop.
    if (change.Has(DocumentChange::kFrame) && !(player_.playing() && !movePlay_)) {
        if (!holdScroll_) Page(change.frame);
        MoveCutLine(change.frame);
    }
    if (change.Has(DocumentChange::kTimelineLayout)) {
        Relayout();
        viewport()->update();
    } else if (change.Has(DocumentChange::kSelection | DocumentChange::kPicture)) {
        viewport()->update();
    }
    if (!dragging_ && change.Has(DocumentChange::kSelection | DocumentChange::kTimelineLayout))
        dragRect_ = SelectionRect(doc_.root(), scale_);
}

void TimelineView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const TimelineState state = State();
    const QPoint scroll(scrollX(), scrollY());
    const QRect cutLine = CutLine();
    // Each rectangle of the region on its own: two thin cut-line strips far apart must not
    // become one wide repaint.
    for (const QRect& rect : event->region()) {
        painter.setClipRect(rect);
        TimelinePainter(painter, state, scroll, rect).Paint(doc_.root());
        TimelinePainter::PaintCutLine(painter, cutLine, rect);
    }
    if (dragging_) {
        // The outline, 2 pixels wide, inverting what lies under it.
        painter.setClipping(false);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(OutlineRect().adjusted(1, 1, -1, -1));
    }
}

void TimelineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TimelineView::scrollContentsBy(int dx, int) {
    viewport()->update();
    // The user scrolled sideways: the frame under the middle of the view becomes current.
    if (dx == 0 || paging_ || dragging_ || player_.playing()) return;
    const int frame = FrameAtClientX(viewport()->width() / 2);
    QScopedValueRollback hold(holdScroll_, true);
    doc_.UpdateViewsAtFrame(std::max(frame, 0));
    MoveCutLine(doc_.currentFrame());
    emit frameCounterChanged(doc_.currentFrame());
}

// ---------------------------------------------------------------------------------------------
// Editing

QPoint TimelineView::ScrollPoint(const QPointF& client) const {
    const QPoint p = client.toPoint();
    return {p.x() + scrollX(), p.y() + scrollY()};
}

const ShowNode* TimelineView::ItemUnder(QPoint p) const {
    return ItemAt(doc_.root(), scale_, p.x(), p.y(), doc_.rostrumMode());
}

std::pair<ShowNode*, int> TimelineView::KeyUnder(const ShowNode* item, int64_t x) const {
    if (!item) return {nullptr, -1};
    ShowNode* owner = doc_.ActiveTrack(const_cast<ShowNode*>(item));
    if (!owner) return {nullptr, -1};
    const int index =
        KeyIndexNear(*owner, scale_.Frame(x), KeyTolerance(scale_.scale(), doc_.frameRate()));
    return {index >= 0 ? owner : nullptr, index};
}

QRect TimelineView::OutlineRect() const {
    const int64_t sx = scrollX(), sy = scrollY();
    const auto clampX = [&](int64_t v) {
        return int(std::clamp<int64_t>(v - sx, -4, viewport()->width() + 4));
    };
    const auto clampY = [&](int64_t v) {
        return int(std::clamp<int64_t>(v - sy, -4, viewport()->height() + 4));
    };
    return QRect(QPoint(clampX(dragRect_.left), clampY(dragRect_.top)),
                 QPoint(clampX(dragRect_.right) - 1, clampY(dragRect_.bottom) - 1));
}

void TimelineView::UpdateOutline(const EdgeRect& before) {
    // Only the outline's old and new lines are painted again.
    const EdgeRect now = dragRect_;
    for (const EdgeRect& r : {before, now}) {
        dragRect_ = r;
        const QRect box = OutlineRect().adjusted(-2, -2, 2, 2);
        viewport()->update(QRect(box.left(), box.top(), box.width(), 5));
        viewport()->update(QRect(box.left(), box.bottom() - 4, box.width(), 5));
        viewport()->update(QRect(box.left(), box.top(), 5, box.height()));
        viewport()->update(QRect(box.right() - 4, box.top(), 5, box.height()));
    }
    dragRect_ = now;
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    event->accept();
    const QPoint p = ScrollPoint(event->position());
    if (event->button() == Qt::RightButton) {
        RightClick(p, event->modifiers());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    dragging_ = false;
    dragKind_ = DragKind::kNone;
    clickPoint_ = p;
    dragRect_ = SelectionRect(doc_.root(), scale_);
    clickOffset_ = QPoint(int(p.x() - dragRect_.left), int(p.y() - dragRect_.top));
    const ShowNode* item = ItemUnder(p);
    if (!item) {
        emit frameCounterChanged(scale_.Frame(dragRect_.left));
        return;
    }
    dragKind_ = GrabbedPart(dragRect_, p.x());
    if (dragKind_ == DragKind::kEndEdge) clickOffset_.setX(int(p.x() - dragRect_.right));
    if (const auto [owner, index] = KeyUnder(item, p.x()); owner) {
        dragKind_ = DragKind::kKey;
        const int64_t x = scale_.X(scale_.Frame(p.x()));
        dragRect_ = {x, scrollY(), x + 1, int64_t(scrollY()) + viewport()->height()};
        emit keyReadoutRequested(owner, index);
    }
    emit frameCounterChanged(
        scale_.Frame(dragKind_ == DragKind::kEndEdge ? dragRect_.right : dragRect_.left));
    holdTimer_.start();
}

void TimelineView::HoldTimeReached() {
    if (!pressed_ || dragKind_ == DragKind::kNone) return;
    dragging_ = true;
    QApplication::beep();
    UpdateOutline(dragRect_);
}

void TimelineView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint client = event->position().toPoint();
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) {
        UpdateCursor(ScrollPoint(event->position()));
        return;
    }
    AutoScroll(client);
    const QPoint p = ScrollPoint(event->position());
    const EdgeRect before = dragRect_;
    dragRect_ = DraggedRect(dragRect_, dragKind_, p, clickOffset_, extent_.totalWidth);
    emit frameCounterChanged(
        scale_.Frame(dragKind_ == DragKind::kEndEdge ? dragRect_.right : dragRect_.left));
    UpdateOutline(before);
    event->accept();
}

void TimelineView::AutoScroll(QPoint client) {
    const QRect inner =
        viewport()->rect().adjusted(timeline::kScrollMargin, timeline::kScrollMargin,
                                    -timeline::kScrollMargin, -timeline::kScrollMargin);
    if (inner.contains(client)) return;
    QScopedValueRollback page(paging_, true);
    QScrollBar* h = horizontalScrollBar();
    if (client.x() < inner.left()) h->setValue(std::max(0, h->value() - timeline::kScrollX));
    if (client.x() > inner.right()) h->setValue(h->value() + timeline::kScrollX);
    if (dragKind_ == DragKind::kKey) return;
    QScrollBar* v = verticalScrollBar();
    if (client.y() < inner.top()) v->setValue(v->value() - timeline::kScrollY);
    if (client.y() > inner.bottom()) v->setValue(v->value() + timeline::kScrollY);
}

void TimelineView::UpdateCursor(QPoint p) {
    const ShowNode* item = ItemUnder(p);
    ViewCursor cursor = ViewCursor::kArrow;
    if (item && KeyUnder(item, p.x()).first) {
        cursor = ViewCursor::kKey;
    } else if (item && item->selected()) {
        const EdgeRect r = SelectionRect(doc_.root(), scale_);
        if (std::llabs(p.x() - r.left) < timeline::kEdgeCursor)
            cursor = ViewCursor::kFirstEnd;
        else if (std::llabs(p.x() - r.right) < timeline::kEdgeCursor)
            cursor = ViewCursor::kSecondEnd;
        else
            cursor = ViewCursor::kMove;
    }
    viewport()->setCursor(MakeViewCursor(cursor, devicePixelRatioF()));
}

void TimelineView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    event->accept();
    holdTimer_.stop();
    const bool wasPressed = pressed_;
    pressed_ = false;
    const QPoint p = ScrollPoint(event->position());
    if (dragging_) {
        Drop(p);
        return;
    }
    dragKind_ = DragKind::kNone;
    if (wasPressed) Click(p, event->modifiers());
}

void TimelineView::ClearSelection() {
    doc_.root().setSelected(false);
    for (ShowNode* scene : doc_.root().children) {
        scene->setSelected(false);
        for (ShowNode* track : scene->children) {
            track->setSelected(false);
            for (ShowNode* child : track->children)
                child->setSelected(false);
        }
    }
}

void TimelineView::Click(QPoint p, Qt::KeyboardModifiers modifiers) {
    const int frame = scale_.Frame(p.x());
    const QPoint client(p.x() - scrollX(), p.y() - scrollY());
    if (viewport()->rect().contains(client)) {
        ShowNode* item = const_cast<ShowNode*>(ItemUnder(p));
        if (!item) {
            ClearSelection();
        } else {
            const bool was = item->selected();
            if (!(modifiers & Qt::ShiftModifier)) ClearSelection();
            item->setSelected(!was);
        }
        dragRect_ = SelectionRect(doc_.root(), scale_);
        doc_.NotifyChanged({.aspects = DocumentChange::kSelection});
        Relayout();
        viewport()->update();
    }
    if (modifiers & Qt::ControlModifier) {
        // Ctrl: the frame becomes current and the views refresh, but the timeline stays put.
        QScopedValueRollback hold(holdScroll_, true);
        doc_.UpdateViewsAtFrame(std::max(frame, 0), Refresh::kViews);
        MoveCutLine(doc_.currentFrame());
        emit frameCounterChanged(doc_.currentFrame());
    } else {
        GoToFrame(frame, true);
    }
}

void TimelineView::Drop(QPoint p) {
    const EdgeRect before = dragRect_;
    dragging_ = false;
    UpdateOutline(before);
    const DragKind kind = std::exchange(dragKind_, DragKind::kNone);
    const int frame = scale_.Frame(p.x());
    if (kind == DragKind::kKey) {
        const ShowNode* item = ItemUnder(clickPoint_);
        if (const auto [owner, index] = KeyUnder(item, clickPoint_.x()); owner) {
            const KeyMove moved = MoveKeyFrame(doc_, *owner, index, scale_.Frame(dragRect_.left));
            if (moved.moved) {
                doc_.UpdateViewsAtFrame(std::max(moved.frame, 0), Refresh::kViews);
                MoveCutLine(doc_.currentFrame());
            }
        }
    } else {
        ShowNode* a = const_cast<ShowNode*>(ItemUnder(clickPoint_));
        ShowNode* b = const_cast<ShowNode*>(ItemUnder(QPoint(p.x(), clickPoint_.y() + 1)));
        RangeDrop drop{
            .kind = kind,
            .newStart = scale_.Frame(dragRect_.left),
            .newEnd = scale_.Frame(dragRect_.right),
            .shift = scale_.Frame(int64_t(p.x()) - clickPoint_.x() + timeline::kLeftMargin),
            .pressBelowSceneRows = clickPoint_.y() > timeline::kFirstItemRow};
        ApplyRangeDrop(doc_, a, b, drop);
    }
    dragRect_ = SelectionRect(doc_.root(), scale_);
    Relayout();
    viewport()->update();
    GoToFrame(kind == DragKind::kKey ? doc_.currentFrame() : frame, false);
}

void TimelineView::RightClick(QPoint p, Qt::KeyboardModifiers modifiers) {
    ShowNode* item = const_cast<ShowNode*>(ItemUnder(p));
    if (!item) return;
    if (const auto [owner, index] = KeyUnder(item, p.x()); owner) {
        doc_.PushUndo(owner);
        if (modifiers & Qt::ShiftModifier) {
            doc_.ShowKeyInfo(*item, index, owner->keys[size_t(index)]);
        } else {
            GoToFrame(scale_.Frame(p.x()), true);
            std::vector<int32_t> before;
            for (const KeyFrame& k : owner->keys)
                before.push_back(k.frame);
            emit keyInformationRequested(owner, index);
            FixKeysAfterDialog(*owner, before);
            doc_.NotifyChanged({.aspects = DocumentChange::kKeys, .nodes = {owner}});
        }
    } else {
        doc_.PushUndo(item);
        emit itemInformationRequested(item);
    }
    dragRect_ = SelectionRect(doc_.root(), scale_);
    Relayout();
    viewport()->update();
}

void TimelineView::EndDrag() {
    holdTimer_.stop();
    pressed_ = false;
    if (dragging_) {
        dragging_ = false;
        UpdateOutline(dragRect_);
    }
    dragKind_ = DragKind::kNone;
}

void TimelineView::focusOutEvent(QFocusEvent* event) {
    // Losing the mouse to another window ends a drag without a drop, and the Shift release
    // goes elsewhere.
    SetVerticalMode(false);
    EndDrag();
    QAbstractScrollArea::focusOutEvent(event);
}

void TimelineView::keyReleaseEvent(QKeyEvent* event) {
    SetVerticalMode(false);
    QAbstractScrollArea::keyReleaseEvent(event);
}

void TimelineView::keyPressEvent(QKeyEvent* event) {
    const int total = extent_.totalFrames;
    const int now = doc_.currentFrame();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    auto go = [this](int frame) { GoToFrame(frame, true); };
    switch (event->key()) {
        case Qt::Key_Shift:
            SetVerticalMode(true);
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            const bool back =
                event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
            go(doc_.FindAdjacentKey(now, back ? KeyDirection::kPrevious : KeyDirection::kNext));
            break;
        }
        case Qt::Key_PageUp:
            go(std::max(now - scale_.scale(), 0));
            break;
        case Qt::Key_PageDown:
            go(int(std::min<int64_t>(int64_t(now) + scale_.scale(), total)));
            break;
        case Qt::Key_Home:
            go(0);
            break;
        case Qt::Key_End:
            go(std::max(total - 1, 0));
            break;
        case Qt::Key_Left:
            go(std::max(now - player_.jogAmount(), 0));
            break;
        case Qt::Key_Right:
            go(now + std::min(1, player_.jogAmount()));
            break;
        case Qt::Key_Up:
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Down:
            verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case Qt::Key_Plus:
            if (!keypad) return QAbstractScrollArea::keyPressEvent(event);
            go(std::min(now + 1, total));
            break;
        case Qt::Key_Minus:
            if (!keypad) return QAbstractScrollArea::keyPressEvent(event);
            go(std::max(now - 1, 0));
            break;
        case Qt::Key_P:
            player_.Start(kPlayForwards);
            break;
        case Qt::Key_R:
            player_.Start(kPlayBackwards);
            break;
        case Qt::Key_0:
        case Qt::Key_O:
            go(0);
            player_.Start(kPlayForwards);
            break;
        default:
            return QAbstractScrollArea::keyPressEvent(event);
    }
    event->accept();
}

}  // namespace quillon
