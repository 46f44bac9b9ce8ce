#include "DemoPictures.h"

#include <QColor>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <algorithm>
#include <initializer_list>

namespace quillon::cli {

namespace {

// A fixed scramble of two numbers: the variation between bricks, boards and stones, the same
// on every run and every machine.
uint32_t Hash(uint32_t a, uint32_t b) {
    uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}

// A value from -range to range for (a, b).
int Vary(uint32_t a, uint32_t b, int range) {
    return static_cast<int>(Hash(a, b) % uint32_t(2 * range + 1)) - range;
}

QColor Rgb(int r, int g, int b) {
    return QColor(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
}

// The colour moved by d on every channel.
QColor Shade(const QColor& c, int d) {
    return Rgb(c.red() + d, c.green() + d, c.blue() + d);
}

QPolygon Poly(std::initializer_list<QPoint> points) {
    return QPolygon(QList<QPoint>(points));
}

QImage Blank(int width, int height, const QColor& fill) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// A limb as a thick round-capped line with a dark edge: the edge is the same line drawn wider
// underneath.
void Limb(QPainter& p, QPoint from, QPoint to, int width, const QColor& fill, const QColor& edge) {
    p.setPen(QPen(edge, width + 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    p.setPen(QPen(fill, width, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
}

const QColor kKeyBlue(0, 0, 255);
const QColor kKeyGreen(0, 255, 0);

}  // namespace

QImage DrawBrickWall() {
    QImage image = Blank(256, 256, QColor(184, 176, 162));  // the mortar
    QPainter p(&image);
    const QColor base(148, 62, 46);
    // 16 courses of 8 bricks; every other course is shifted by half a brick. A brick cut by the
    // picture's edge gets the colour of its other half on the far edge, so panels side by side
    // continue the bond.
    for (int row = 0; row < 16; ++row) {
        const int y = row * 16;
        const int shift = (row % 2) * 16;
        for (int column = -1; column < 8; ++column) {
            const int x = column * 32 + shift;
            const uint32_t brick = uint32_t((column + 8) % 8);
            const QColor c = Rgb(base.red() + Vary(uint32_t(row), brick, 20),
                                 base.green() + Vary(uint32_t(row) + 40, brick, 8),
                                 base.blue() + Vary(uint32_t(row) + 80, brick, 6));
            p.fillRect(QRect(x + 1, y + 1, 30, 14), c);
            p.fillRect(QRect(x + 1, y + 1, 30, 1), Shade(c, 22));    // lit top edge
            p.fillRect(QRect(x + 1, y + 14, 30, 1), Shade(c, -26));  // shaded bottom edge
        }
    }
    return image;
}

QImage DrawPlanks() {
    QImage image = Blank(256, 256, QColor(0, 0, 0));
    QPainter p(&image);
    // Eight upright boards, each with its own tone, a dark gap on its left, grain lines, a knot
    // on some and a nail at the top and bottom.
    for (int board = 0; board < 8; ++board) {
        const int x = board * 32;
        const uint32_t b = uint32_t(board);
        const QColor wood = Rgb(142 + Vary(b, 1, 14), 100 + Vary(b, 2, 10), 58 + Vary(b, 3, 8));
        p.fillRect(QRect(x, 0, 32, 256), wood);
        p.fillRect(QRect(x, 0, 2, 256), QColor(58, 38, 22));
        p.setPen(QPen(Shade(wood, -26), 1));
        for (int g = 0; g < 4; ++g) {
            QPolygon grain;
            const int gx = x + 7 + g * 6 + Vary(b, 10 + uint32_t(g), 2);
            for (int k = 0; k <= 8; ++k)
                grain << QPoint(gx + Vary(b * 7 + uint32_t(g), uint32_t(k), 1), k * 32);
            p.drawPolyline(grain);
        }
        if (Hash(b, 50) % 2 == 0) {
            const int ky = 30 + int(Hash(b, 51) % 180);
            p.setPen(QPen(QColor(70, 44, 24), 1));
            p.setBrush(QColor(98, 64, 36));
            p.drawEllipse(QRect(x + 10 + Vary(b, 52, 4), ky, 8, 12));
        }
        p.fillRect(QRect(x + 15, 18, 3, 3), QColor(52, 52, 56));
        p.fillRect(QRect(x + 15, 234, 3, 3), QColor(52, 52, 56));
    }
    return image;
}

QImage DrawPaving() {
    QImage image = Blank(256, 256, QColor(96, 94, 90));  // the joints
    QPainter p(&image);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            const uint32_t stone = uint32_t(row * 4 + column);
            const int x = column * 64, y = row * 64;
            const int grey = 158 + Vary(stone, 1, 14);
            const QColor c = Rgb(grey + 4, grey + 2, grey - 4);
            p.fillRect(QRect(x + 2, y + 2, 61, 61), c);
            // Flecks in the stone.
            for (uint32_t k = 0; k < 24; ++k) {
                const int fx = x + 4 + int(Hash(stone, 100 + k) % 57);
                const int fy = y + 4 + int(Hash(stone, 200 + k) % 57);
                p.fillRect(QRect(fx, fy, 2, 2), Shade(c, k % 2 ? 18 : -22));
            }
        }
    }
    return image;
}

QImage DrawFloorTiles() {
    QImage image = Blank(256, 256, QColor(206, 204, 196));  // the grout
    QPainter p(&image);
    const QColor cream(232, 222, 194), terracotta(164, 76, 50);
    for (int row = 0; row < 8; ++row) {
        for (int column = 0; column < 8; ++column) {
            const QColor& base = (row + column) % 2 ? terracotta : cream;
            const int d = Vary(uint32_t(row), uint32_t(column), 6);
            p.fillRect(QRect(column * 32 + 1, row * 32 + 1, 30, 30), Shade(base, d));
        }
    }
    return image;
}

QImage DrawFigure() {
    QImage image = Blank(128, 256, kKeyBlue);
    QPainter p(&image);
    const QColor edge(28, 22, 20), skin(232, 188, 150), shirt(186, 52, 42);
    const QColor trousers(50, 60, 98), shoes(36, 30, 28), hair(72, 46, 26);

    // Legs and shoes.
    p.setPen(QPen(edge, 2));
    p.setBrush(trousers);
    p.drawPolygon(Poly({{44, 138}, {63, 138}, {61, 240}, {43, 240}}));
    p.drawPolygon(Poly({{65, 138}, {84, 138}, {85, 240}, {67, 240}}));
    p.setBrush(shoes);
    p.drawRoundedRect(QRect(32, 236, 31, 17), 5, 5);
    p.drawRoundedRect(QRect(65, 236, 31, 17), 5, 5);

    // Arms hang beside the body, hands at the hips.
    Limb(p, {38, 66}, {25, 134}, 14, shirt, edge);
    Limb(p, {90, 66}, {103, 134}, 14, shirt, edge);
    p.setPen(QPen(edge, 2));
    p.setBrush(skin);
    p.drawEllipse(QRect(17, 132, 15, 15));
    p.drawEllipse(QRect(96, 132, 15, 15));

    // Body, belt, neck.
    p.setBrush(shirt);
    p.drawPolygon(Poly({{36, 60}, {92, 60}, {86, 140}, {42, 140}}));
    p.setBrush(QColor(60, 40, 26));
    p.drawRect(QRect(42, 132, 44, 9));
    p.setBrush(skin);
    p.drawRect(QRect(57, 48, 14, 12));

    // Head: face, hair, eyes, mouth.
    p.drawEllipse(QRect(45, 14, 38, 40));
    p.setBrush(hair);
    p.drawChord(QRect(43, 10, 42, 30), 0, 180 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(edge);
    p.drawRect(QRect(55, 31, 4, 4));
    p.drawRect(QRect(69, 31, 4, 4));
    p.drawRect(QRect(58, 43, 12, 2));
    return image;
}

QImage DrawLampPost() {
    QImage image = Blank(128, 256, kKeyGreen);
    QPainter p(&image);
    const QColor edge(18, 22, 24), iron(50, 60, 64), glass(255, 216, 122);
    p.setPen(QPen(edge, 2));
    p.setBrush(iron);
    p.drawPolygon(Poly({{38, 254}, {90, 254}, {80, 222}, {48, 222}}));  // foot
    p.drawRect(QRect(46, 212, 36, 10));                                 // ring above the foot
    p.drawRect(QRect(58, 78, 12, 134));                                 // pole
    p.drawRect(QRect(52, 70, 24, 10));                                  // collar
    p.drawRect(QRect(42, 62, 44, 8));                                   // lantern floor
    p.setBrush(glass);
    p.drawPolygon(Poly({{42, 26}, {86, 26}, {80, 62}, {48, 62}}));
    p.drawLine(QPoint(64, 26), QPoint(64, 62));
    p.setBrush(iron);
    p.drawPolygon(Poly({{32, 28}, {96, 28}, {64, 6}}));  // roof
    p.drawEllipse(QRect(59, 0, 10, 8));                  // finial
    return image;
}

QImage DrawTree() {
    QImage image = Blank(256, 256, kKeyGreen);
    QPainter p(&image);
    const QColor bark(96, 66, 38), barkEdge(44, 30, 18);
    p.setPen(QPen(barkEdge, 2));
    p.setBrush(bark);
    p.drawPolygon(Poly({{110, 255}, {148, 255}, {139, 172}, {134, 118}, {122, 118}, {117, 172}}));
    Limb(p, {126, 150}, {86, 104}, 8, bark, barkEdge);
    Limb(p, {132, 140}, {174, 96}, 8, bark, barkEdge);

    // The crown: a dark outlined mass, lighter clumps on it, highlights where the light falls.
    const QColor dark(34, 92, 40), mid(54, 122, 48), light(90, 152, 64);
    p.setPen(QPen(QColor(22, 58, 26), 2));
    p.setBrush(dark);
    for (const QRect& r : {QRect(30, 44, 112, 104), QRect(112, 34, 114, 104), QRect(66, 8, 124, 92),
                           QRect(56, 84, 146, 84)})
        p.drawEllipse(r);
    p.setPen(Qt::NoPen);
    p.setBrush(mid);
    for (const QRect& r : {QRect(38, 56, 70, 58), QRect(64, 100, 54, 50), QRect(96, 26, 80, 58),
                           QRect(130, 50, 74, 62), QRect(150, 104, 40, 46)})
        p.drawEllipse(r);
    p.setBrush(light);
    for (const QRect& r : {QRect(100, 28, 44, 30), QRect(150, 52, 36, 26), QRect(52, 62, 34, 24),
                           QRect(118, 90, 30, 20)})
        p.drawEllipse(r);
    return image;
}

QImage DrawCrate() {
    const QColor wood(176, 128, 72), frame(134, 92, 50), edge(60, 40, 22);
    QImage image = Blank(128, 128, wood);
    QPainter p(&image);
    // Three boards behind the frame, with grain.
    p.setPen(QPen(Shade(wood, -24), 1));
    for (int k = 0; k < 10; ++k) {
        const int y = 16 + k * 10 + Vary(uint32_t(k), 7, 2);
        p.drawLine(QPoint(12, y), QPoint(115, y + Vary(uint32_t(k), 8, 1)));
    }
    p.setPen(QPen(edge, 2));
    p.drawLine(QPoint(12, 44), QPoint(115, 44));
    p.drawLine(QPoint(12, 84), QPoint(115, 84));

    // The brace, then the frame over its ends.
    Limb(p, {16, 112}, {112, 16}, 14, frame, edge);
    p.setPen(QPen(edge, 2));
    p.setBrush(frame);
    p.drawRect(QRect(1, 1, 125, 12));
    p.drawRect(QRect(1, 114, 125, 12));
    p.drawRect(QRect(1, 1, 12, 125));
    p.drawRect(QRect(114, 1, 12, 125));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 44));
    for (const QPoint& nail : {QPoint(6, 6), QPoint(119, 6), QPoint(6, 119), QPoint(119, 119),
                               QPoint(62, 6), QPoint(62, 119), QPoint(6, 62), QPoint(119, 62)})
        p.drawRect(QRect(nail, QSize(3, 3)));
    return image;
}

std::vector<DemoPicture> DrawDemoPictures() {
    std::vector<DemoPicture> pictures;
    pictures.push_back({QStringLiteral("brick.png"), DrawBrickWall()});
    pictures.push_back({QStringLiteral("planks.png"), DrawPlanks()});
    pictures.push_back({QStringLiteral("paving.png"), DrawPaving()});
    pictures.push_back({QStringLiteral("tiles.png"), DrawFloorTiles()});
    pictures.push_back({QStringLiteral("figure.png"), DrawFigure()});
    pictures.push_back({QStringLiteral("lamp.png"), DrawLampPost()});
    pictures.push_back({QStringLiteral("tree.png"), DrawTree()});
    pictures.push_back({QStringLiteral("crate.png"), DrawCrate()});
    return pictures;
}

}  // namespace quillon::cli
