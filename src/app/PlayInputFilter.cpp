#include "PlayInputFilter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>

#include "TransportButton.h"
#include "monitor/MonitorWidget.h"
#include "timeline/TimelineView.h"

namespace quillon {

namespace {

// More waiting inputs than rounds can take are of no use; the oldest are kept.
constexpr size_t kMaxWaiting = 16;

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::TabletMove:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            return true;
        default:
            return false;
    }
}

// The transport command of the button under a click, 0 for none.
int TransportIdOf(QWidget* w) {
    for (; w; w = w->parentWidget()) {
        const int id = w->property(kTransportProperty).toInt();
        if (id > 0) return id;
        if (w->isWindow()) break;
    }
    return 0;
}

}  // namespace

PlayInputFilter::PlayInputFilter(TimelineView& timeline, QObject* parent)
    : QObject(parent), timeline_(timeline) {}

PlayInputFilter::~PlayInputFilter() {
    SetCapturing(false);
}

void PlayInputFilter::SetCapturing(bool on) {
    if (on == capturing_) return;
    capturing_ = on;
    inputs_.clear();
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

std::optional<PlayInput> PlayInputFilter::Take() {
    if (inputs_.empty()) return std::nullopt;
    const PlayInput input = inputs_.front();
    inputs_.pop_front();
    return input;
}

void PlayInputFilter::Keep(const PlayInput& input) {
    if (inputs_.size() < kMaxWaiting) inputs_.push_back(input);
}

bool PlayInputFilter::eventFilter(QObject* watched, QEvent* event) {
    // Events reach the window first and the widget after: only the widget's are looked at.
    if (!capturing_ || !watched->isWidgetType() || !IsInput(event->type())) return false;
    // A message box shown while playing (a sound device error) is answered as usual.
    if (QApplication::activeModalWidget()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Taken, so that no menu shortcut runs: the key press itself follows.
            event->accept();
            return true;
        case QEvent::KeyPress:
            Keep({.kind = PlayInput::Kind::kKey});
            return true;
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                qobject_cast<MonitorWidget*>(widget))
                Keep({.kind = PlayInput::Kind::kDoubleClick});
            return true;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return true;
            if (const int id = TransportIdOf(widget)) {
                if (widget->isEnabled()) Keep({.kind = PlayInput::Kind::kButton, .button = id});
            } else if (widget == timeline_.viewport()) {
                const int frame =
                    std::max(0, timeline_.FrameAtClientX(mouse->position().toPoint().x()));
                Keep({.kind = PlayInput::Kind::kTimelineClick, .frame = frame});
            }
            return true;
        }
        default:
            return true;
    }
}

}  // namespace quillon
