#pragma once
// Draws the timeline with QPainter: the background bands with their timecodes, every scene's
// bars with icons, names, key marks and hold lines, the "Camera %d" row and the range marks;
// and, separately, the red cut line. The painter draws only what meets the rectangle it is
// given, so a repaint of a thin strip costs little however long the show is.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QRect>

#include "timeline/TimelineGeometry.h"
#include "timeline/TimelineGlyphs.h"
#include "viewkit/ViewFonts.h"

class QPainter;

namespace quillon {

class ShowNode;

namespace timeline {
inline const QColor kBackground{192, 192, 192};
inline const QColor kDarkBand{128, 128, 128};
inline const QColor kBar{0, 255, 255};
inline const QColor kSelectedBar{0, 0, 255};
inline const QColor kOutline{32, 32, 32};
inline const QColor kSceneHold{0, 0, 255};
inline const QColor kCutLine{255, 0, 0};
}  // namespace timeline

// What the drawing reads besides the show itself.
struct TimelineState {
    TimeScale scale;
    TimelineExtent extent;
    int frameRate = 3000;
    int activeCamera = 0;
    bool rostrumMode = false;
    bool rangeOn = false;
    int rangeStart = 0;
    int rangeEnd = 0;
};

class TimelinePainter {
  public:
    // `scroll` is the scroll position: scroll-area pixel (x, y) lands on client pixel
    // (x - scroll.x, y - scroll.y). `clip` is the client rectangle to draw (and clip to).
    TimelinePainter(QPainter& painter, const TimelineState& state, QPoint scroll, QRect clip);

    // Background, then the tracks of every scene, then the range marks.
    void Paint(const ShowNode& root);

    // The red cut line at the current frame, clipped to the client rectangle `clip`.
    static void PaintCutLine(QPainter& painter, QRect line, QRect clip);

  private:
    void PaintBackground();
    void PaintScene(const ShowNode& scene);
    // Draws one bar; returns the right edge of its name text (scroll-area pixels).
    int64_t PaintBar(const ShowNode& node, int row, int nameRoomLess);
    void PaintCameraRow(const ShowNode& scene, int row);
    void PaintSceneKeys(const ShowNode& scene, const ShowNode& camera, int row, int64_t nameEnd);
    void PaintItemKeys(const ShowNode& item, int row, int64_t nameEnd, QColor ink);
    void PaintHold(const ShowNode& node, int index, int y, QColor colour);
    void PaintRangeMarks();

    // Primitives in scroll-area pixels, clipped to the drawn rectangle.
    void Fill(int64_t left, int64_t top, int64_t width, int64_t height, QColor colour);
    void Text(int64_t x, int64_t y, const QString& text, QColor colour, int flags,
              int64_t width = 0);
    void Mark(Glyph glyph, int64_t x, int64_t y, QColor colour);
    bool SpansClip(int64_t left, int64_t right) const;
    int64_t KeyMarkLeft(int64_t keyX, int64_t barLeft, int64_t barRight) const;

    QPainter& p_;
    const TimelineState& s_;
    QPoint scroll_;
    QFontMetrics metrics_;
    QRect clip_;         // client pixels
    int64_t clipLeft_;   // the same in scroll-area pixels
    int64_t clipRight_;  // exclusive
};

}  // namespace quillon
