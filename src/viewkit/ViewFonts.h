#pragma once
// The views' fonts, made by face and cell height in pixels (the full line height: ascent plus
// descent), weight normal unless asked. The faces of the original screen fonts come first, with
// DejaVu Sans and Liberation Sans behind them, so the text has the same size on any Linux
// desktop whichever face is found.

#include <QFont>
#include <QString>

namespace quillon {

enum ViewFontFlags { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4 };

// The largest pixel size of the face whose line height fits in cellHeight pixels.
QFont MakeViewFont(const QString& face, int cellHeight, int flags = 0);

// "MS Sans Serif" 8: the position read-out of the status bar.
QFont SmallDialogFont();
// "Small Fonts" at 9, 10 or 11 pixels: plan labels, the read-out panel, the timeline.
QFont TinyFont(int cellHeight);

}  // namespace quillon
