#pragma once
// The program's own pictures, drawn here: tool-bar and status-bar button images (16 x 15) and
// the program picture of the about box.

#include <QIcon>
#include <QPixmap>

namespace quillon {

QIcon ToolIcon(int commandId);
QPixmap ProgramPicture();
// The player pane's picture in rostrum mode: a camera on its column looking straight down at
// artwork on the stand's table, 64 x 64.
QPixmap RostrumPicture();

}  // namespace quillon
