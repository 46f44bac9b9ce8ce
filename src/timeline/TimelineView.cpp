#include "timeline/TimelineView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "model/Document.h"
#include "model/Settings.h"
#include "player/Player.h"

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
}

void TimelineView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Relayout();
}

void TimelineView::scrollContentsBy(int, int) {
    viewport()->update();
}

void TimelineView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) setFocus(Qt::MouseFocusReason);
    event->accept();
}

void TimelineView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int frame = FrameAtClientX(event->position().toPoint().x());
    if (event->modifiers() & Qt::ControlModifier) {
        // Ctrl: the frame becomes current and the views refresh, but the timeline stays put.
        QScopedValueRollback hold(holdScroll_, true);
        doc_.UpdateViewsAtFrame(std::max(frame, 0), Refresh::kViews);
        MoveCutLine(doc_.currentFrame());
        emit frameCounterChanged(doc_.currentFrame());
    } else {
        GoToFrame(frame, true);
    }
    event->accept();
}

}  // namespace quillon
