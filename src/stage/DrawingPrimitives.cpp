#include "DrawingPrimitives.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPolygon>

namespace quillon {

namespace {

// A 1-pixel line leaves out its last pixel, so joined segments touch without overlapping;
// wider pens have round ends and joins.
QPen MakePen(QColor colour, int width, Qt::PenStyle style) {
    QPen pen(colour, std::max(1, width), style);
    if (width <= 1) {
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
    } else {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

// The path of a rectangle outline whose pixels run from left/top to right - 1/bottom - 1.
QRect OutlinePath(const QRect& r) {
    return QRect(r.x(), r.y(), r.width() - 1, r.height() - 1);
}

// One shape's painter state, restored when the shape is done.
class ShapeScope {
  public:
    explicit ShapeScope(QPainter& p) : p_(p) {
        p_.save();
        p_.setRenderHint(QPainter::Antialiasing, false);
    }
    ~ShapeScope() { p_.restore(); }
    ShapeScope(const ShapeScope&) = delete;
    ShapeScope& operator=(const ShapeScope&) = delete;

  private:
    QPainter& p_;
};

void BeginInverted(QPainter& p, int width, Qt::PenStyle style) {
    p.setCompositionMode(QPainter::RasterOp_NotDestination);
    p.setPen(MakePen(Qt::black, width, style));
    p.setBrush(Qt::NoBrush);
}

}  // namespace

DrawingPrimitives::DrawingPrimitives(QPainter& painter) : painter_(painter) {}

void DrawingPrimitives::SetCurrentPen(QColor colour, int width) {
    penColour_ = colour;
    penWidth_ = std::max(1, width);
}

void DrawingPrimitives::ClearCurrentPen() {
    penWidth_ = 0;
}

void DrawingPrimitives::OutlineRect(const QRect& r, QColor colour, int width, Qt::PenStyle style) {
    ShapeScope scope(painter_);
    painter_.setPen(MakePen(colour, width, style));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRect(OutlinePath(r));
}

void DrawingPrimitives::FilledRect(const QRect& r, QColor colour) {
    ShapeScope scope(painter_);
    painter_.fillRect(r, colour);
    if (penWidth_ > 0) {
        painter_.setPen(MakePen(penColour_, penWidth_, Qt::SolidLine));
        painter_.setBrush(Qt::NoBrush);
        painter_.drawRect(OutlinePath(r));
    }
}

void DrawingPrimitives::Line(QLine line, QColor colour, int width, Qt::PenStyle style) {
    ShapeScope scope(painter_);
    painter_.setPen(MakePen(colour, width, style));
    painter_.drawLine(line);
}

void DrawingPrimitives::OutlineRoundRect(const QRect& r, int cornerWidth, int cornerHeight,
                                         QColor colour, int width, Qt::PenStyle style) {
    ShapeScope scope(painter_);
    painter_.setPen(MakePen(colour, width, style));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawRoundedRect(OutlinePath(r), cornerWidth * 0.5, cornerHeight * 0.5);
}

void DrawingPrimitives::FilledRoundRect(const QRect& r, int cornerWidth, int cornerHeight,
                                        QColor colour) {
    ShapeScope scope(painter_);
    if (penWidth_ > 0)
        painter_.setPen(MakePen(penColour_, penWidth_, Qt::SolidLine));
    else
        painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    painter_.drawRoundedRect(penWidth_ > 0 ? OutlinePath(r) : r, cornerWidth * 0.5,
                             cornerHeight * 0.5);
}

void DrawingPrimitives::OutlineEllipse(const QRect& r, QColor colour, int width,
                                       Qt::PenStyle style) {
    ShapeScope scope(painter_);
    painter_.setPen(MakePen(colour, width, style));
    painter_.setBrush(Qt::NoBrush);
    painter_.drawEllipse(OutlinePath(r));
}

void DrawingPrimitives::FilledEllipse(const QRect& r, QColor colour) {
    ShapeScope scope(painter_);
    if (penWidth_ > 0)
        painter_.setPen(MakePen(penColour_, penWidth_, Qt::SolidLine));
    else
        painter_.setPen(Qt::NoPen);
    painter_.setBrush(colour);
    painter_.drawEllipse(penWidth_ > 0 ? OutlinePath(r) : r);
}

void DrawingPrimitives::Polygon(std::span<const QPoint> points, QColor line, QColor fill) {
    if (points.empty()) return;
    if (!fill.isValid()) {
        Polyline(points, line);
        return;
    }
    ShapeScope scope(painter_);
    QPen pen = MakePen(line, 1, Qt::SolidLine);
    pen.setCapStyle(Qt::SquareCap);  // the closing edge reaches back to the first point
    painter_.setPen(pen);
    painter_.setBrush(fill);
    painter_.drawPolygon(points.data(), int(points.size()));
}

void DrawingPrimitives::Polyline(std::span<const QPoint> points, QColor colour, int width,
                                 Qt::PenStyle style) {
    if (points.empty()) return;
    ShapeScope scope(painter_);
    painter_.setPen(MakePen(colour, width, style));
    painter_.drawPolyline(points.data(), int(points.size()));
}

void DrawingPrimitives::TriangleMarker(QPoint at, int size, QColor colour, int angle) {
    const int d = angle == 180 ? -size : size;  // tip direction: up, or down at 180
    const QPoint points[3] = {QPoint(at.x() - size, at.y() + d), QPoint(at.x(), at.y() - d),
                              QPoint(at.x() + size, at.y() + d)};
    Polygon(points, colour, colour);
}

void DrawingPrimitives::BevelRect(const QRect& r, QColor topLeft, QColor bottomRight) {
    ShapeScope scope(painter_);
    const int left = r.x(), top = r.y();
    const int right = r.x() + r.width() - 1, bottom = r.y() + r.height() - 1;
    QPen pen(topLeft, 1);
    pen.setCapStyle(Qt::SquareCap);
    painter_.setPen(pen);
    const QPoint upper[3] = {{left, bottom}, {left, top}, {right, top}};
    painter_.drawPolyline(upper, 3);
    pen.setColor(bottomRight);
    painter_.setPen(pen);
    const QPoint lower[3] = {{right, top + 1}, {right, bottom}, {left + 1, bottom}};
    painter_.drawPolyline(lower, 3);
}

void DrawingPrimitives::InvertedRect(const QRect& r, int width, Qt::PenStyle style) {
    ShapeScope scope(painter_);
    BeginInverted(painter_, width, style);
    painter_.drawRect(OutlinePath(r));
}

void DrawingPrimitives::InvertedEllipse(const QRect& r, int width, Qt::PenStyle style) {
    ShapeScope scope(painter_);
    BeginInverted(painter_, width, style);
    painter_.drawEllipse(OutlinePath(r));
}

void DrawingPrimitives::InvertedLine(QLine line, int width, Qt::PenStyle style) {
    ShapeScope scope(painter_);
    BeginInverted(painter_, width, style);
    painter_.drawLine(line);
}

void DrawingPrimitives::InvertedPolyline(std::span<const QPoint> points, int width,
                                         Qt::PenStyle style) {
    if (points.empty()) return;
    ShapeScope scope(painter_);
    BeginInverted(painter_, width, style);
    painter_.drawPolyline(points.data(), int(points.size()));
}

void DrawingPrimitives::SetFont(const QFont& font, QColor textColour, BackgroundMode mode,
                                QColor background) {
    font_ = font;
    if (textColour.isValid()) textColour_ = textColour;
    if (mode != kKeepBackground) opaque_ = mode == kOpaque;
    if (background.isValid()) background_ = background;
}

void DrawingPrimitives::Text(QPoint at, const QString& text, TextAlign align) {
    ShapeScope scope(painter_);
    painter_.setFont(font_);
    const QFontMetrics metrics(font_, painter_.device());
    const int width = metrics.horizontalAdvance(text);
    int left = at.x();
    if (align == kAlignCentre)
        left -= width / 2;
    else if (align == kAlignRight)
        left -= width;
    if (opaque_) painter_.fillRect(QRect(left, at.y(), width, metrics.height()), background_);
    painter_.setPen(textColour_);
    painter_.drawText(QPoint(left, at.y() + metrics.ascent()), text);
}

}  // namespace quillon
