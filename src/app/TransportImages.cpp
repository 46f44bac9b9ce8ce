#include "TransportImages.h"

#include <QPainter>
#include <QPainterPath>

#include "commands/CommandIds.h"

namespace quillon {

namespace {

// A triangle pointing right or left inside r.
void Triangle(QPainter& p, QRectF r, bool right, QColor colour) {
    QPainterPath path;
    if (right) {
        path.moveTo(r.topLeft());
        path.lineTo(r.right(), r.center().y());
        path.lineTo(r.bottomLeft());
    } else {
        path.moveTo(r.topRight());
        path.lineTo(r.left(), r.center().y());
        path.lineTo(r.bottomRight());
    }
    path.closeSubpath();
    p.fillPath(path, colour);
}

// The raised or sunk face of a button: light top and left edges when up, dark when down.
void Face(QPainter& p, QSize size, bool down) {
    const QRect r(QPoint(0, 0), size);
    p.fillRect(r, down ? QColor(160, 160, 160) : QColor(200, 200, 200));
    const QColor light(255, 255, 255), dark(96, 96, 96);
    p.setPen(down ? dark : light);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? light : dark);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace

QSize TransportButtonSize(int id) {
    return id == kCmdFullScreenPlay ? QSize(22, 21) : QSize(16, 14);
}

QPixmap TransportImage(int id, bool down) {
    const QSize size = TransportButtonSize(id);
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Face(p, size, down);
    // Pressed pictures sit one pixel down and right, as a pushed key does.
    const qreal o = down ? 1 : 0;
    const QColor ink = down ? QColor(0, 0, 120) : Qt::black;
    switch (id) {
        case kCmdFastBackwardsButton:
            Triangle(p, QRectF(2 + o, 3 + o, 6, 8), false, ink);
            Triangle(p, QRectF(7 + o, 3 + o, 6, 8), false, ink);
            break;
        case kCmdPlayBackwardsButton:
            Triangle(p, QRectF(4 + o, 3 + o, 7, 8), false, ink);
            break;
        case kCmdStopButton:
            p.fillRect(QRectF(5 + o, 4 + o, 6, 6), ink);
            break;
        case kCmdPlayButton:
            Triangle(p, QRectF(5 + o, 3 + o, 7, 8), true, down ? QColor(0, 130, 0) : ink);
            break;
        case kCmdFastForwardButton:
            Triangle(p, QRectF(3 + o, 3 + o, 6, 8), true, ink);
            Triangle(p, QRectF(8 + o, 3 + o, 6, 8), true, ink);
            break;
        case kCmdJogBack:
            p.fillRect(QRectF(3 + o, 3 + o, 1.5, 8), ink);
            Triangle(p, QRectF(5 + o, 3 + o, 6, 8), false, ink);
            break;
        case kCmdJogForward:
            Triangle(p, QRectF(5 + o, 3 + o, 6, 8), true, ink);
            p.fillRect(QRectF(11.5 + o, 3 + o, 1.5, 8), ink);
            break;
        case kCmdRangeToggle: {
            // A loop arrow, lit when range play is on.
            p.setPen(QPen(down ? QColor(200, 0, 0) : ink, 1.5));
            p.drawArc(QRectF(3 + o, 3 + o, 10, 8), 30 * 16, 300 * 16);
            Triangle(p, QRectF(10 + o, 2 + o, 4, 4), true, down ? QColor(200, 0, 0) : ink);
            break;
        }
        case kCmdRangeStart:
        case kCmdRangeEnd: {
            // A bracket: the mark's side of the range.
            const bool start = id == kCmdRangeStart;
            p.setPen(QPen(ink, 1.5));
            const qreal x = (start ? 6 : 10) + o, tip = start ? 4 : -4;
            p.drawLine(QPointF(x, 3 + o), QPointF(x, 11 + o));
            p.drawLine(QPointF(x, 3 + o), QPointF(x + tip, 3 + o));
            p.drawLine(QPointF(x, 11 + o), QPointF(x + tip, 11 + o));
            break;
        }
        case kCmdFullScreenPlay:
            // A screen with a play mark in it.
            p.setPen(QPen(ink, 1));
            p.drawRect(QRectF(3.5 + o, 3.5 + o, 15, 11));
            p.drawLine(QPointF(8 + o, 17 + o), QPointF(14 + o, 17 + o));
            Triangle(p, QRectF(9 + o, 6 + o, 5, 6), true, ink);
            break;
        case kCmdNextCamera:
            // A camera body and lens, with an arrow to the next.
            p.fillRect(QRectF(2 + o, 4 + o, 7, 6), ink);
            Triangle(p, QRectF(9 + o, 4 + o, 3, 6), false, ink);
            Triangle(p, QRectF(12 + o, 4 + o, 3, 6), true, QColor(0, 100, 200));
            break;
        default:
            break;
    }
    return pixmap;
}

}  // namespace quillon
