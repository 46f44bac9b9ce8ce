#pragma once
// How the script window and the current frame follow each other: the script's lines spread
// over the length of the scene that holds the frame. Positions are taken within that scene
// (frame minus the scene's start), so every scene's script runs from its first line at the
// scene's first frame; for a scene starting at frame 0 this is the frame number itself.

namespace quillon {

// The line to scroll to the top for frame: (frame - sceneStart) x lines / sceneLength, in
// floating point, truncated; 0 for a scene without length.
int ScriptLineForFrame(int frame, int sceneStart, int lines, int sceneLength);
// The frame a first visible line stands for: sceneStart + (line / lines) x sceneLength,
// truncated; -1 when the script has no lines (nothing happens then).
int ScriptFrameForLine(int firstLine, int lines, int sceneStart, int sceneLength);

}  // namespace quillon
