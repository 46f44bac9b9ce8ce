#pragma once
// The blocking diagram of a storyboard cell: the stage plan of the scene at the document's
// current frame, seen from above, drawn into a box of the page.

#include <QRect>

class QPainter;

namespace quillon {

class Document;

// Draws, clipped to box: unless in rostrum mode, the set's panels as grey 3-pixel lines (a
// floor panel's four edges, a wall's first edge); every actor in range as a black outline of its
// card, placed and turned by its pose, with its facing line; the active camera as a black filled
// mark with two black 1-pixel lines at its pan plus and minus half its lens angle; and the
// box's outline in white and black. stageScale is the stage view's zoom (pixels per stage
// unit). The document's current frame must be the entry's frame; with no scene there only the
// outline is drawn.
//
// The plan is scaled to fit the box: the scene's panels, its actors in range and the camera,
// with a tenth of the box left round them, at one scale both ways. (Plan pixels at the stage
// view's zoom would put a corner of the 4000-unit plan in a box a few hundred pixels wide, or a
// spot a few inches across on a page at printer resolution.)
void DrawBlockingDiagram(QPainter& painter, const Document& doc, QRect box);

}  // namespace quillon
