#pragma once
// Vertical mode: on while Shift is held down in the stage plan or the timeline, off at any key
// release there and whenever either view loses the mouse. While it is on, stage drags raise
// and lower instead of moving across the plan, panel drags do not snap, and "Add or Reset
// KeyFrame" keys the selected tracks even when nothing moved. One flag for the whole program:
// the views set it, the stage's drags and the key command read it.

namespace quillon {

bool VerticalMode();
void SetVerticalMode(bool on);

}  // namespace quillon
