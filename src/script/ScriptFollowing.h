#pragma once
// How the script window and the current frame follow each other: the script's lines spread
// over the scene's length. Both directions use the show's frame number against the scene's
// length, as the window always has.

namespace quillon {

// The line to scroll to the top for frame: frame x lines / sceneLength, in floating point,
// truncated; 0 for a scene without length.
int ScriptLineForFrame(int frame, int lines, int sceneLength);
// The frame a first visible line stands for: (line / lines) x sceneLength, truncated; -1
// when the script has no lines (nothing happens then).
int ScriptFrameForLine(int firstLine, int lines, int sceneLength);

}  // namespace quillon
