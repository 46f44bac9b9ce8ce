#pragma once
// The timeline's small pictures, drawn for this program as one-colour pixel masks: the track
// type icons, the key marks and the range marks. Each is painted in one colour with its other
// pixels left alone, as black ink on a light bar or white ink on a selected one.

#include <QColor>
#include <QPoint>
#include <QSize>

#include "model/ShowNode.h"

class QPainter;

namespace quillon {

enum class Glyph {
    MovieIcon,
    SoundIcon,
    ActorIcon,
    SceneIcon,
    ScriptIcon,
    CameraIcon,
    ItemKey,       // a key of a track (not its first)
    CameraKey,     // a key of the scene's current camera
    CameraKeyTag,  // the camera beside a scene key that lies clear of the name
    RostrumKey,    // a camera key in rostrum mode, on the scene's third row
    RangeStart,    // the play range's start mark
    RangeEnd,      // the play range's end mark
};

// The key marks are kKeyMarkWidth wide and drawn kKeyMarkOffset left of the key's pixel, so
// their middle column (the diamond's or triangle's point) falls on the key.
constexpr int kKeyMarkWidth = 12;
constexpr int kKeyMarkOffset = 6;

// The icon of a track type, or false for a kind that has none.
bool IconFor(NodeKind kind, Glyph& out);

QSize GlyphSize(Glyph glyph);
// True when the glyph's pixel (x, y) is inked; false outside it.
bool GlyphInk(Glyph glyph, int x, int y);
// Paints the glyph's inked pixels in `colour` with its top-left at `at`.
void DrawGlyph(QPainter& painter, Glyph glyph, QPoint at, QColor colour);

}  // namespace quillon
