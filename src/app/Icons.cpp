#include "Icons.h"

#include <QPainter>
#include <QPainterPath>

#include "MainWindow.h"

namespace quillon {

namespace {

// A key: a diamond, the timeline's key mark.
void Key(QPainter& p, QPointF c, QColor colour) {
    QPainterPath path;
    path.moveTo(c + QPointF(0, -5));
    path.lineTo(c + QPointF(4, 0));
    path.lineTo(c + QPointF(0, 5));
    path.lineTo(c + QPointF(-4, 0));
    path.closeSubpath();
    p.fillPath(path, colour);
    p.setPen(Qt::black);
    p.drawPath(path);
}

void Arrow(QPainter& p, bool right, QRectF r) {
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
    p.fillPath(path, Qt::black);
}

// A magnifying glass with a plus or minus.
void Glass(QPainter& p, bool plus) {
    p.setPen(QPen(Qt::black, 1.5));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 9));
    p.drawLine(QPointF(9.5, 9.5), QPointF(14, 13.5));
    p.drawLine(QPointF(4, 6), QPointF(8, 6));
    if (plus) p.drawLine(QPointF(6, 4), QPointF(6, 8));
}

}  // namespace

QIcon ToolIcon(int id) {
    QPixmap pixmap(16, 15);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (id) {
        case kCmdAddKeyAdvance:
            Key(p, {5, 7.5}, QColor(255, 200, 0));
            Arrow(p, true, QRectF(10, 4, 5, 7));
            break;
        case kCmdAddKey:
            Key(p, {8, 7.5}, QColor(255, 200, 0));
            break;
        case kCmdEnlargeStage:
            Glass(p, true);
            break;
        case kCmdShrinkStage:
            Glass(p, false);
            break;
        case kCmdCenterCamera:
            p.setPen(QPen(Qt::black, 1));
            p.drawRect(QRectF(3.5, 4.5, 9, 6));
            p.drawLine(QPointF(8, 1), QPointF(8, 14));
            p.drawLine(QPointF(1, 7.5), QPointF(15, 7.5));
            break;
        case kCmdScaleKeys:
            Key(p, {3.5, 7.5}, Qt::white);
            Key(p, {12.5, 7.5}, Qt::white);
            p.drawLine(QPointF(6, 7.5), QPointF(10, 7.5));
            break;
        case kCmdSnapToGrid:
            p.setPen(QColor(90, 90, 90));
            for (int i = 1; i < 16; i += 5) {
                p.drawLine(i, 0, i, 14);
                p.drawLine(0, i, 15, i);
            }
            p.fillRect(QRectF(5, 5, 6, 6), QColor(0, 120, 220));
            break;
        case kCmdLockSet:
            p.setPen(QPen(Qt::black, 1.5));
            p.drawArc(QRectF(4, 1, 8, 9), 0, 180 * 16);
            p.fillRect(QRectF(3, 6, 10, 8), QColor(200, 160, 0));
            break;
        case kCmdAddWallPanel:
            p.fillRect(QRectF(4, 1, 8, 13), QColor(170, 90, 60));
            p.setPen(Qt::black);
            p.drawRect(QRectF(4, 1, 8, 13));
            break;
        case kCmdAddFloorPanel: {
            QPainterPath path;
            path.moveTo(4, 4);
            path.lineTo(15, 4);
            path.lineTo(12, 12);
            path.lineTo(1, 12);
            path.closeSubpath();
            p.fillPath(path, QColor(150, 150, 150));
            p.setPen(Qt::black);
            p.drawPath(path);
            break;
        }
        case kCmdPlayBackwards:
            Arrow(p, false, QRectF(4, 2, 8, 11));
            break;
        case kCmdStop:
            p.fillRect(QRectF(4, 3, 8, 9), Qt::black);
            break;
        case kCmdPlayForwards:
            Arrow(p, true, QRectF(4, 2, 8, 11));
            break;
        case kCmdTimelineSpread:  // a closer look: more pixels a frame
            Glass(p, true);
            break;
        case kCmdTimelineSqueeze:
            Glass(p, false);
            break;
        default:
            break;
    }
    return QIcon(pixmap);
}

QPixmap ProgramPicture() {
    // A camera looking at a picture card on a stage floor.
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath floor;
    floor.moveTo(8, 44);
    floor.lineTo(56, 44);
    floor.lineTo(62, 60);
    floor.lineTo(2, 60);
    floor.closeSubpath();
    p.fillPath(floor, QColor(150, 150, 150));
    p.fillRect(QRectF(30, 12, 16, 34), QColor(220, 60, 40));
    p.setPen(Qt::black);
    p.drawRect(QRectF(30, 12, 16, 34));
    p.fillRect(QRectF(4, 22, 14, 10), QColor(40, 40, 40));
    p.drawLine(QPointF(18, 27), QPointF(30, 20));
    p.drawLine(QPointF(18, 27), QPointF(30, 40));
    return pixmap;
}

QPixmap RostrumPicture() {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // The table seen slightly from the front, with a cel of artwork on it.
    QPainterPath table;
    table.moveTo(6, 46);
    table.lineTo(58, 46);
    table.lineTo(63, 60);
    table.lineTo(1, 60);
    table.closeSubpath();
    p.fillPath(table, QColor(150, 150, 150));
    QPainterPath cel;
    cel.moveTo(20, 48);
    cel.lineTo(44, 48);
    cel.lineTo(47, 57);
    cel.lineTo(17, 57);
    cel.closeSubpath();
    p.fillPath(cel, QColor(230, 200, 60));
    p.setPen(Qt::black);
    p.drawPath(cel);
    // The column on the left and the arm that holds the camera over the table's middle.
    p.fillRect(QRectF(6, 4, 5, 44), QColor(90, 90, 90));
    p.fillRect(QRectF(6, 12, 30, 4), QColor(90, 90, 90));
    // The camera body, its lens pointing down, and the line of its view.
    p.fillRect(QRectF(26, 16, 14, 12), QColor(40, 40, 40));
    p.fillRect(QRectF(29, 28, 8, 5), QColor(40, 40, 40));
    p.setPen(QPen(QColor(220, 60, 40), 1, Qt::DashLine));
    p.drawLine(QPointF(30, 33), QPointF(21, 48));
    p.drawLine(QPointF(36, 33), QPointF(43, 48));
    return pixmap;
}

}  // namespace quillon
