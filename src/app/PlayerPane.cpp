#include "PlayerPane.h"

#include <QKeyEvent>
#include <QPainter>

#include "Icons.h"
#include "Prompts.h"
#include "model/Document.h"
#include "model/Timecode.h"
#include "monitor/MonitorWidget.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"
#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

// One 128 x 128 tile of the pane's background: a soft diagonal weave.
const QPixmap& BackgroundTile() {
    static const QPixmap tile = [] {
        QPixmap p(128, 128);
        p.fill(QColor(96, 104, 120));
        QPainter painter(&p);
        painter.setPen(QColor(110, 118, 134));
        for (int i = -128; i < 128; i += 8)
            painter.drawLine(i, 0, i + 128, 128);
        painter.setPen(QColor(88, 96, 112));
        for (int i = 0; i < 256; i += 16)
            painter.drawLine(i, 0, i - 128, 128);
        return p;
    }();
    return tile;
}

}  // namespace

PlayerPane::PlayerPane(Document& doc, Player& player, MonitorWidget& monitor,
                       TimelineView& timeline, QWidget* parent)
    : QWidget(parent), doc_(doc), player_(player), monitor_(monitor), timeline_(timeline) {
    setFocusPolicy(Qt::StrongFocus);
    doc_.AddListener(this);
    // The frame counter hides while the monitor fills the screen and shows again after.
    connect(&monitor_, &MonitorWidget::fullScreenChanged, this, [this] { update(ReadoutBox()); });
}

PlayerPane::~PlayerPane() {
    doc_.RemoveListener(this);
}

namespace {

// The frame counter's box: 52 x 14 pixels, or more when the font's longest count needs it.
QSize CounterSize() {
    return TextBox(TinyFont(10), QStringLiteral("00:00:00:00 "), QSize(52, 14), 1);
}

}  // namespace

QRect PlayerPane::TransportBox() const {
    // From x 4 to 65, 102 to 4 pixels above the bottom; wider when the counter needs room.
    const int right = std::max(65, 4 + CounterSize().width() + 8);
    return QRect(QPoint(4, height() - 102), QPoint(right - 1, height() - 4 - 1));
}

QRect PlayerPane::ReadoutBox() const {
    const QRect box = TransportBox();
    const QSize size = CounterSize();
    return QRect(box.center().x() - size.width() / 2 + 1, box.top() + 21, size.width(),
                 size.height());
}

QString PlayerPane::ReadoutText() const {
    return QString::fromStdString(FormatTimecode(doc_.currentFrame(), doc_.frameRate())) + ' ';
}

void PlayerPane::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawTiledPixmap(rect(), BackgroundTile());
    p.drawPixmap(4, 4, ProgramPicture());
    const QRect box = TransportBox();
    p.fillRect(box, QColor(192, 192, 192));
    // A raised three-dimensional border.
    p.setPen(Qt::white);
    p.drawLine(box.topLeft(), box.topRight());
    p.drawLine(box.topLeft(), box.bottomLeft());
    p.setPen(QColor(128, 128, 128));
    p.drawLine(box.bottomLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomRight());
    const QRect readout = ReadoutBox();
    p.fillRect(readout, Qt::white);
    // The frame counter; nothing while the monitor fills the screen.
    if (!monitor_.fullScreen()) {
        p.setFont(TinyFont(10));
        p.setPen(Qt::blue);
        p.drawText(readout, Qt::AlignCenter, ReadoutText());
    }
}

void PlayerPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !ReadoutBox().contains(event->position().toPoint()))
        return QWidget::mousePressEvent(event);
    const int64_t answer = AskTimecode(this, doc_.currentFrame(), doc_.frameRate(),
                                       QStringLiteral("Where to?"), 0, doc_.TotalFrames());
    GoTo(answer);
}

void PlayerPane::GoTo(int64_t frame) {
    const int64_t end = doc_.TotalFrames();
    timeline_.GoToFrame(int(std::clamp<int64_t>(frame, 0, std::max<int64_t>(end - 1, 0))), true);
}

void PlayerPane::keyPressEvent(QKeyEvent* event) {
    const int frame = doc_.currentFrame();
    const bool keypad = event->modifiers() & Qt::KeypadModifier;
    switch (event->key()) {
        case Qt::Key_Minus:
            if (keypad) return GoTo(std::max(frame - 1, 0));
            break;
        case Qt::Key_Plus:
            if (keypad) return GoTo(frame + 1);
            break;
        case Qt::Key_Slash:
            if (keypad) {
                GoTo(0);
                player_.Start(1);
                return;
            }
            break;
        case Qt::Key_Z:
        case Qt::Key_F11:
            return monitor_.ToggleFullScreen();
        case Qt::Key_R:
        case Qt::Key_F3:
            player_.Start(-1);
            return;
        case Qt::Key_P:
            player_.Start(1);
            return;
        case Qt::Key_0:
        case Qt::Key_O:
            GoTo(0);
            player_.Start(1);
            return;
        case Qt::Key_Right:
            return player_.JogForward();
        case Qt::Key_Left:
            return player_.JogBack();
        case Qt::Key_Home:
            return GoTo(0);
        case Qt::Key_End:
            return GoTo(doc_.TotalFrames());
        case Qt::Key_PageDown:
            return GoTo(frame + timeline_.scale());
        case Qt::Key_PageUp:
            return GoTo(frame - timeline_.scale());
        case Qt::Key_Tab:
        case Qt::Key_Backtab: {
            const bool previous = event->modifiers() & Qt::ShiftModifier;
            const int key = doc_.FindAdjacentKey(
                frame, previous ? KeyDirection::kPrevious : KeyDirection::kNext);
            if (key >= 0) GoTo(key);
            return;
        }
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace quillon
