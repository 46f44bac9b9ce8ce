#pragma once
// The slate the tape batch shows before each show: the whole drawing area light grey, the
// slate picture with its top left corner 189 pixels left of and 100 above the centre, and the
// show's name in capitals in the large dialog font, centred, its top 120 pixels below the
// centre. Rostrum mode has a picture of its own.

#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

namespace quillon {

inline constexpr int kSlateWidth = 378;
inline constexpr int kSlateHeight = 200;

// The slate picture, kSlateWidth x kSlateHeight: a clapperboard, or for rostrum mode a board
// under a rostrum camera.
QImage SlatePicture(bool rostrum);

void PaintSlate(QPainter& painter, const QRect& area, const QString& name, bool rostrum);

}  // namespace quillon
