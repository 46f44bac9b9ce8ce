#include "PlayerPane.h"

#include <QKeyEvent>
#include <QPainter>

#include "Icons.h"
#include "Prompts.h"
#include "TransportButton.h"
#include "TransportImages.h"
#include "commands/CommandIds.h"
#include "commands/CommandRegistry.h"
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
    for (int i = 0; i < int(buttons_.size()); ++i) {
        buttons_[size_t(i)] = new TransportButton(kCmdFastBackwardsButton + i, this);
        buttons_[size_t(i)]->setObjectName(QStringLiteral("transport%1").arg(110 + i));
    }
    PlaceButtons();
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

// The transport box's width: the button block with 4 pixels either side, and room for a
// counter wider than 52 pixels between the jog buttons.
constexpr int kBoxWidth = 97;
int CounterExtra() {
    return std::max(0, CounterSize().width() - 52);
}

// Each button's place in the transport box (110 .. 121, 120 aside), for a counter of standard
// width: the play modes in a row, the jog buttons either side of the counter, then the camera
// and range buttons.
QPoint BlockPlace(int id) {
    switch (id) {
        case kCmdJogBack:
            return {4, 21};
        case kCmdJogForward:
            return {4 + 72, 21};
        case kCmdNextCamera:
            return {4, 43};
        case kCmdRangeStart:
            return {40, 43};
        case kCmdRangeToggle:
            return {40 + 18, 43};
        case kCmdRangeEnd:
            return {40 + 36, 43};
        default:
            return {4 + 18 * (id - kCmdFastBackwardsButton), 4};
    }
}

}  // namespace

QRect PlayerPane::TransportBox() const {
    // From x 4, 102 to 4 pixels above the bottom, as wide as the buttons and the counter need.
    return QRect(4, height() - 102, kBoxWidth + CounterExtra(), 98);
}

QRect PlayerPane::ButtonPlace(int id, QRect box, int paneWidth) {
    const int extra = std::max(0, box.width() - kBoxWidth);
    // The block of buttons 110 to 119 and 121, in box coordinates.
    QRect block;
    for (int b = kCmdFastBackwardsButton; b <= kCmdNextCamera; ++b) {
        if (b == kCmdFullScreenPlay) continue;
        QPoint at = BlockPlace(b);
        if (b == kCmdJogForward) at.rx() += extra;
        const QRect r(at, TransportButtonSize(b));
        block = block.united(r);
        if (b == id) return r.translated(box.topLeft());
    }
    if (id != kCmdFullScreenPlay) return {};
    const QSize size = TransportButtonSize(id);
    if (paneWidth - block.width() >= 32) return QRect(QPoint(4, 7), size);
    return QRect(box.topLeft() + QPoint(block.right() + 1 - 22, block.bottom() + 1 + 10), size);
}

void PlayerPane::PlaceButtons() {
    const QRect box = TransportBox();
    for (TransportButton* b : buttons_)
        b->setGeometry(ButtonPlace(b->id(), box, width()));
    button(kCmdFullScreenPlay)->setVisible(!rostrumMode_);
}

void PlayerPane::SetRostrumMode(bool on) {
    rostrumMode_ = on;
    PlaceButtons();
    update();
}

TransportButton* PlayerPane::button(int id) const {
    const int i = id - kCmdFastBackwardsButton;
    return i >= 0 && i < int(buttons_.size()) ? buttons_[size_t(i)] : nullptr;
}

void PlayerPane::SetTransportActions(CommandRegistry& commands) {
    for (TransportButton* b : buttons_)
        b->SetAction(commands.action(b->id()));
}

QRect PlayerPane::PlyBox() const {
    return QRect(22, height() - 16, 40, 14);
}

void PlayerPane::SetPlaying(bool forwards) {
    if (ply_ == forwards) return;
    ply_ = forwards;
    update(PlyBox());
}

void PlayerPane::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceButtons();
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
    // The picture makes room when the full-screen play button takes the pane's corner.
    const QRect corner = ButtonPlace(kCmdFullScreenPlay, TransportBox(), width());
    const bool buttonInCorner = !rostrumMode_ && corner.topLeft() == QPoint(4, 7);
    p.drawPixmap(buttonInCorner ? corner.right() + 5 : 4, 4,
                 rostrumMode_ ? RostrumPicture() : ProgramPicture());
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
    // While playing forwards: "PLY" in black on the box's grey.
    if (ply_) {
        p.setFont(TinyFont(10));
        p.setPen(Qt::black);
        p.drawText(PlyBox(), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("PLY"));
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
