#include "ViewCursors.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <map>
#include <utility>

namespace quillon {

namespace {

constexpr double kC = kViewCursorSize / 2.0;  // the middle, the hot spot

// An arrow head at tip pointing along (dx, dy).
void Head(QPainterPath& path, QPointF tip, double dx, double dy) {
    const double len = std::hypot(dx, dy);
    const double ux = dx / len, uy = dy / len;
    const double back = 5.0, side = 4.0;
    const QPointF base(tip.x() - ux * back, tip.y() - uy * back);
    path.moveTo(tip);
    path.lineTo(base.x() - uy * side, base.y() + ux * side);
    path.lineTo(base.x() + uy * side, base.y() - ux * side);
    path.closeSubpath();
}

// A double-headed arrow from a to b.
void DoubleArrow(QPainterPath& lines, QPainterPath& heads, QPointF a, QPointF b) {
    lines.moveTo(a);
    lines.lineTo(b);
    Head(heads, a, a.x() - b.x(), a.y() - b.y());
    Head(heads, b, b.x() - a.x(), b.y() - a.y());
}

// The cursor's lines (stroked) and solid parts (filled), in 32 x 32 logical pixels.
std::pair<QPainterPath, QPainterPath> Shape(ViewCursor cursor) {
    QPainterPath lines, solid;
    switch (cursor) {
        case ViewCursor::kArrow:
            break;
        case ViewCursor::kMove:
            DoubleArrow(lines, solid, {kC, 4}, {kC, 28});
            DoubleArrow(lines, solid, {4, kC}, {28, kC});
            break;
        case ViewCursor::kFirstEnd:
            lines.moveTo(kC - 3, 6);
            lines.lineTo(kC - 3, 26);
            lines.moveTo(kC - 3, 6);
            lines.lineTo(kC + 1, 6);
            lines.moveTo(kC - 3, 26);
            lines.lineTo(kC + 1, 26);
            DoubleArrow(lines, solid, {4, kC}, {28, kC});
            break;
        case ViewCursor::kSecondEnd:
            lines.moveTo(kC + 3, 6);
            lines.lineTo(kC + 3, 26);
            lines.moveTo(kC + 3, 6);
            lines.lineTo(kC - 1, 6);
            lines.moveTo(kC + 3, 26);
            lines.lineTo(kC - 1, 26);
            DoubleArrow(lines, solid, {4, kC}, {28, kC});
            break;
        case ViewCursor::kPan: {
            const QRectF ring(6, 6, 20, 20);
            lines.arcMoveTo(ring, 120);
            lines.arcTo(ring, 120, 280);
            const QPointF end = lines.currentPosition();
            Head(solid, end + QPointF(3, 3), 1, 1.3);
            solid.addEllipse(QPointF(kC, kC), 2, 2);
            break;
        }
        case ViewCursor::kTilt: {
            const QRectF arc(10, 4, 24, 24);
            lines.arcMoveTo(arc, 120);
            lines.arcTo(arc, 120, 120);
            Head(solid, QPointF(11.5, 5.5), -0.2, -1);
            Head(solid, QPointF(11.5, 26.5), -0.2, 1);
            lines.moveTo(kC - 6, kC);
            lines.lineTo(kC + 6, kC);
            break;
        }
        case ViewCursor::kLensAngle: {
            lines.moveTo(kC, 28);
            lines.lineTo(6, 6);
            lines.moveTo(kC, 28);
            lines.lineTo(26, 6);
            const QRectF arc(4, 8, 24, 24);
            lines.arcMoveTo(arc, 62);
            lines.arcTo(arc, 62, 56);
            Head(solid, QPointF(8.5, 10), -1, 0.4);
            Head(solid, QPointF(23.5, 10), 1, 0.4);
            break;
        }
        case ViewCursor::kWidth:
            lines.moveTo(4, 8);
            lines.lineTo(4, 24);
            lines.moveTo(28, 8);
            lines.lineTo(28, 24);
            DoubleArrow(lines, solid, {7, kC}, {25, kC});
            break;
        case ViewCursor::kHeight:
            lines.moveTo(8, 4);
            lines.lineTo(24, 4);
            lines.moveTo(8, 28);
            lines.lineTo(24, 28);
            DoubleArrow(lines, solid, {kC, 7}, {kC, 25});
            break;
        case ViewCursor::kKey: {
            QPolygonF diamond;
            diamond << QPointF(kC, kC - 6) << QPointF(kC + 6, kC) << QPointF(kC, kC + 6)
                    << QPointF(kC - 6, kC);
            solid.addPolygon(diamond);
            solid.closeSubpath();
            DoubleArrow(lines, solid, {3, kC}, {29, kC});
            break;
        }
    }
    return {lines, solid};
}

}  // namespace

QPixmap ViewCursorPixmap(ViewCursor cursor, qreal ratio) {
    if (cursor == ViewCursor::kArrow) return QPixmap();
    ratio = std::max<qreal>(ratio, 1.0);
    const int side = int(std::lround(kViewCursorSize * ratio));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(ratio);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        const auto [lines, solid] = Shape(cursor);
        // The white rim first, then the black drawing over it; 2-pixel lines on whole
        // coordinates cover whole pixels, so even 1x lines are solid.
        const QPen rim(Qt::white, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        const QPen ink(Qt::black, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.strokePath(lines, rim);
        p.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::white);
        p.drawPath(solid);
        p.strokePath(lines, ink);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(solid);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QCursor MakeViewCursor(ViewCursor cursor, qreal ratio) {
    if (cursor == ViewCursor::kArrow) return QCursor(Qt::ArrowCursor);
    static std::map<std::pair<int, int>, QCursor> made;
    const std::pair<int, int> key{int(cursor), int(std::lround(ratio * 100))};
    auto it = made.find(key);
    if (it == made.end())
        it = made.emplace(key, QCursor(ViewCursorPixmap(cursor, ratio), int(kC), int(kC))).first;
    return it->second;
}

}  // namespace quillon
