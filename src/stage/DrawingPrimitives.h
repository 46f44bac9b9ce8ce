#pragma once
// The views' drawing primitives over one QPainter. Each primitive sets the pen and brush it
// needs for its one shape and restores the painter afterwards, so no pen or brush outlives a
// shape and shapes never inherit each other's state.
//
// Rectangles cover the pixels from their left/top up to, not including, left + width and
// top + height (a QRect's width is its pixel count here). Drawing is aliased: a 1-pixel line
// lands on whole pixels. The inverted primitives invert every pixel they touch whatever the
// colour, so drawing the same inverted shape twice gives back the picture (rubber bands).
// The painter stays owned by the caller and must be active for as long as this object draws.

#include <QColor>
#include <QFont>
#include <QLine>
#include <QPoint>
#include <QRect>
#include <QString>
#include <span>

class QPainter;

namespace quillon {

class DrawingPrimitives {
  public:
    // Text placement relative to the point given to Text.
    enum TextAlign { kAlignLeft = 0, kAlignCentre = 1, kAlignRight = 2 };
    // Background of text: unchanged, transparent or opaque (in the background colour).
    enum BackgroundMode { kKeepBackground = -1, kTransparent = 1, kOpaque = 2 };

    explicit DrawingPrimitives(QPainter& painter);

    QPainter& painter() { return painter_; }

    void OutlineRect(const QRect& r, QColor colour, int width = 1,
                     Qt::PenStyle style = Qt::SolidLine);
    // Filled in the colour and outlined with the current pen (none unless SetCurrentPen).
    void FilledRect(const QRect& r, QColor colour);
    void Line(QLine line, QColor colour, int width = 1, Qt::PenStyle style = Qt::SolidLine);
    void OutlineRoundRect(const QRect& r, int cornerWidth, int cornerHeight, QColor colour,
                          int width = 1, Qt::PenStyle style = Qt::SolidLine);
    void FilledRoundRect(const QRect& r, int cornerWidth, int cornerHeight, QColor colour);
    void OutlineEllipse(const QRect& r, QColor colour, int width = 1,
                        Qt::PenStyle style = Qt::SolidLine);
    void FilledEllipse(const QRect& r, QColor colour);
    // Closed polygon filled in fill and outlined 1 pixel in line; an invalid fill colour draws
    // the open polyline in the line colour instead.
    void Polygon(std::span<const QPoint> points, QColor line, QColor fill);
    void Polyline(std::span<const QPoint> points, QColor colour, int width = 1,
                  Qt::PenStyle style = Qt::SolidLine);
    // A small filled triangle with its tip size pixels from the point: pointing up, or down
    // when angle is 180.
    void TriangleMarker(QPoint at, int size, QColor colour, int angle = 0);
    // Left and top edges in one colour, right and bottom in the other.
    void BevelRect(const QRect& r, QColor topLeft, QColor bottomRight);

    void InvertedRect(const QRect& r, int width = 1, Qt::PenStyle style = Qt::SolidLine);
    void InvertedEllipse(const QRect& r, int width = 1, Qt::PenStyle style = Qt::SolidLine);
    void InvertedLine(QLine line, int width = 1, Qt::PenStyle style = Qt::SolidLine);
    void InvertedPolyline(std::span<const QPoint> points, int width = 1,
                          Qt::PenStyle style = Qt::SolidLine);

    // The font and colours of the following Text calls. An invalid text colour keeps the
    // current one; kKeepBackground keeps the background mode.
    void SetFont(const QFont& font, QColor textColour = QColor(),
                 BackgroundMode mode = kKeepBackground, QColor background = QColor());
    // Text with its top at the point, placed left, centre or right of the point's x.
    void Text(QPoint at, const QString& text, TextAlign align = kAlignLeft);

    // The pen the filled shapes outline with (Qt::NoPen by default).
    void SetCurrentPen(QColor colour, int width = 1);
    void ClearCurrentPen();

  private:
    QPainter& painter_;
    QFont font_;
    QColor textColour_ = Qt::black;
    QColor background_ = Qt::white;
    bool opaque_ = false;
    QColor penColour_;
    int penWidth_ = 0;  // 0: no current pen
};

}  // namespace quillon
