#pragma once
// The picture the stage plan shows on its first paint, drawn here in code: a 378 x 196 title
// card with the program's name over a small plan of a stage (a camera looking at two cards),
// or, in picture mode, a rostrum camera's view of an artwork.

#include <QImage>
#include <QString>

namespace quillon {

inline constexpr int kStartupPictureWidth = 378;
inline constexpr int kStartupPictureHeight = 196;
// Where the texture-size line starts on the picture (its top-left).
inline constexpr int kStartupTextLeft = 6;
inline constexpr int kStartupTextTop = 170;

QImage MakeStartupPicture(bool pictureMode);
// "        Max Image Width: %d", with its eight leading blanks.
QString MaxImageWidthText(int maxTextureSize);

}  // namespace quillon
