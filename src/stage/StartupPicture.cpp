#include "StartupPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

constexpr QColor kDeep{18, 28, 58};
constexpr QColor kLight{46, 70, 120};
constexpr QColor kGrid{70, 96, 150};
constexpr QColor kCard{0, 255, 255};
constexpr QColor kCamera{255, 255, 0};

void DrawBackdrop(QPainter& p) {
    QLinearGradient sky(0, 0, 0, kStartupPictureHeight);
    sky.setColorAt(0, kLight);
    sky.setColorAt(1, kDeep);
    p.fillRect(0, 0, kStartupPictureWidth, kStartupPictureHeight, sky);
    p.setPen(QPen(kGrid, 1));
    for (int x = 200; x < kStartupPictureWidth; x += 24)
        p.drawLine(x, 12, x, 150);
    for (int y = 12; y <= 150; y += 23)
        p.drawLine(200, y, kStartupPictureWidth - 10, y);
}

// The stage seen from above: a camera with its field of view and two cards facing it.
void DrawStageMotif(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF camera(290, 140);
    p.setPen(QPen(kCamera, 1.5));
    p.drawLine(camera, QPointF(250, 20));
    p.drawLine(camera, QPointF(330, 20));
    p.setBrush(kCamera);
    p.drawPolygon(
        QPolygonF({camera + QPointF(0, 4), camera + QPointF(-9, -12), camera + QPointF(9, -12)}));
    p.drawRect(QRectF(camera.x() - 9, camera.y(), 18, 14));
    p.setPen(QPen(kCard, 1.5));
    p.setBrush(kCard);
    p.drawPolygon(QPolygonF({{262, 62}, {276, 56}, {290, 62}}));
    p.drawLine(QPointF(276, 62), QPointF(276, 78));
    p.drawPolygon(QPolygonF({{296, 90}, {308, 84}, {320, 90}}));
    p.drawLine(QPointF(308, 90), QPointF(308, 104));
}

// A rostrum camera's frame over a flat artwork.
void DrawRostrumMotif(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 200, 150));
    p.drawRect(QRectF(214, 30, 140, 104));
    p.setBrush(QColor(200, 90, 60));
    p.drawEllipse(QPointF(250, 70), 20, 20);
    p.setBrush(QColor(60, 120, 90));
    p.drawPolygon(QPolygonF({{230, 134}, {300, 60}, {354, 134}}));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kCamera, 2.5));
    p.drawRect(QRectF(236, 46, 96, 72));
    p.drawLine(QPointF(278, 82), QPointF(290, 82));
    p.drawLine(QPointF(284, 76), QPointF(284, 88));
}

void DrawTitle(QPainter& p, bool pictureMode) {
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont title = MakeViewFont(QStringLiteral("Arial"), 44, kFontBold);
    title.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(14, 40, 190, 56), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Quillon"));
    QFont line = MakeViewFont(QStringLiteral("Arial"), 14);
    line.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(line);
    p.setPen(QColor(200, 215, 240));
    const QString subtitle =
        pictureMode ? QStringLiteral("Rostrum camera") : QStringLiteral("Stage previsualisation");
    p.drawText(QRect(16, 98, 190, 18), Qt::AlignLeft | Qt::AlignVCenter, subtitle);
    p.drawText(QRect(16, 116, 190, 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("and cut-out animation"));
}

}  // namespace

QImage MakeStartupPicture(bool pictureMode) {
    QImage image(kStartupPictureWidth, kStartupPictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    DrawBackdrop(p);
    if (pictureMode)
        DrawRostrumMotif(p);
    else
        DrawStageMotif(p);
    DrawTitle(p, pictureMode);
    return image;
}

QString MaxImageWidthText(int maxTextureSize) {
    return QString::asprintf("        Max Image Width: %d", maxTextureSize);
}

}  // namespace quillon
