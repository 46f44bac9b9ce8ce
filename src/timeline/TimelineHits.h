#pragma once
// What lies under a point of the timeline and how a drag moves its outline: the item and key
// hit tests, the rectangle of the selection, the drag kinds' limits and the frames a drop
// reads back. Pure functions over the show and the time scale, shared by the view and tests.
//
// Rectangles here are edge rectangles in scroll-area pixels: right and bottom lie one past the
// last pixel, so a bar from x(start) to x(end) is end - start frames wide on screen.

#include <QPoint>
#include <cstdint>

#include "timeline/TimelineGeometry.h"

namespace quillon {

class ShowNode;

struct EdgeRect {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool empty() const { return right <= left || bottom <= top; }
    int64_t width() const { return right - left; }
    int64_t height() const { return bottom - top; }
    bool operator==(const EdgeRect&) const = default;
};

// The drag kinds: an item's start edge, its end edge, whole bars, one key frame.
enum class DragKind { kNone = 0, kStartEdge = 1, kEndEdge = 2, kWhole = 3, kKey = 4 };

namespace timeline {
constexpr int kSceneRowsBottom = 41;  // y below this is the scene's own rows
constexpr int kSceneRectTop = 4;      // a selected scene's rows in the drag rectangle
constexpr int kSceneRectBottom = 27;
constexpr int kRostrumBand = 28;  // below the last row, rostrum mode's scene band
constexpr int kHoldMs = 500;      // the press held this long starts a drag
constexpr int kEdgeGrab = 6;      // a press this near the left edge takes the start edge
constexpr int kEndGrab = 12;      // and this near the right edge the end edge
constexpr int kEdgeCursor = 7;    // the edge cursors show this near the edges
constexpr int kMinEdgeGap = 6;    // the edges stay this far apart
constexpr int kScrollMargin = 6;  // auto-scroll outside the client less this
constexpr int kScrollX = 20;
constexpr int kScrollY = 12;
}  // namespace timeline

// The scene whose range holds frame, or the one nearest to it; null without scenes.
const ShowNode* SceneNear(const ShowNode& root, int frame);

// The item under the point: the scene in its own rows; a track on the row at y or, when its
// bar is not at the frame, the first lower one whose bar is; a sound track or movie on its
// shared row; in rostrum mode the scene in the band below the last row. Null for nothing.
const ShowNode* ItemAt(const ShowNode& root, const TimeScale& scale, int64_t x, int y,
                       bool rostrumMode);

// Frames either side of a click that still hit a key: scale / (whole fps / 4), at least 3;
// the frame rate in frames per second x 100.
int KeyTolerance(int scale, int frameRate);
// The lowest-index key of owner whose show frame k has frame - tolerance < k < frame +
// tolerance; -1 for none.
int KeyIndexNear(const ShowNode& owner, int frame, int tolerance);

// The rectangle of the selection: each selected scene's rows 4 to 26 over its range, each
// selected track's row over its range; empty when nothing is selected.
EdgeRect SelectionRect(const ShowNode& root, const TimeScale& scale);

// The outline after the mouse moved to `mouse` in a drag of kind, from rect as the press
// left it: rows snap to the 12-pixel grid unless the outline is a scene's 23 pixels; a start
// edge stays 6 pixels left of the end and not left of x = 30, an end edge 6 right of the start
// and within totalWidth; whole bars keep their size; a key line follows the mouse.
EdgeRect DraggedRect(const EdgeRect& rect, DragKind kind, QPoint mouse, QPoint clickOffset,
                     int64_t totalWidth);

// Which part of the selection a press at x takes: the start edge within 6 pixels right of its
// left, the end edge within 12 pixels left of its right, else the whole.
DragKind GrabbedPart(const EdgeRect& selection, int64_t x);

}  // namespace quillon
