#pragma once
// The transport buttons' pictures, drawn for this program: each button has an up image and a
// down image (pressed, or showing the active mode or the range on). The play-mode, jog, range
// and camera buttons are 16 x 14 pixels; full-screen play (120) is 22 x 21.

#include <QPixmap>
#include <QSize>

namespace quillon {

QSize TransportButtonSize(int id);
QPixmap TransportImage(int id, bool down);

}  // namespace quillon
