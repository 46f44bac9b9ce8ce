#pragma once
// The views' own cursors, drawn here rather than loaded: the eight of the stage plan (move,
// first end, second end, pan, tilt, lens angle, width, height) and the timeline's key cursor.
// Each is painted at the screen's device pixel ratio, so it stays crisp on a 2x screen, black
// lines with a white rim so it reads over light and dark alike. The hot spot is the middle.

#include <QCursor>
#include <QPixmap>

namespace quillon {

enum class ViewCursor {
    kArrow,      // the system arrow
    kMove,       // four arrows
    kFirstEnd,   // an end bar with arrows, the left (first) end
    kSecondEnd,  // the right (second) end
    kPan,        // a turning arrow round a point
    kTilt,       // a nodding arrow
    kLensAngle,  // an angle opening and closing
    kWidth,      // sideways arrows between bars
    kHeight,     // up-and-down arrows between bars
    kKey,        // a key diamond with sideways arrows
};

inline constexpr int kViewCursorSize = 32;  // logical pixels a side

// The cursor for the screen's device pixel ratio (made once per ratio and kept).
QCursor MakeViewCursor(ViewCursor cursor, qreal devicePixelRatio = 1.0);
// Its picture: kViewCursorSize x ratio pixels a side, marked with the ratio; null for kArrow.
QPixmap ViewCursorPixmap(ViewCursor cursor, qreal devicePixelRatio);

}  // namespace quillon
