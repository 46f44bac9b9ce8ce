#pragma once
// The views' fonts, made by face and cell height in pixels (the full line height: ascent plus
// descent), weight normal unless asked. The faces of the original screen fonts come first, with
// DejaVu Sans and Liberation Sans behind them, so the text has the same size on any Linux
// desktop whichever face is found.

#include <QFont>
#include <QString>

namespace quillon {

enum ViewFontFlags { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4 };

// The smallest em height, in pixels, at which the views' faces stay readable on screen.
constexpr int kLegibleFontPixels = 9;

// The largest pixel size of the face whose line height fits in cellHeight pixels, but never
// below kLegibleFontPixels: the described cell heights are those of bitmap screen fonts,
// whose glyphs filled the cell; scalable faces made that small are unreadable, so a box that
// shows such text is sized from the text (see TextBox).
QFont MakeViewFont(const QString& face, int cellHeight, int flags = 0);

// A box of at least minimum size that holds text in font with `padding` pixels on each side.
QSize TextBox(const QFont& font, const QString& text, QSize minimum, int padding = 2);

// "MS Sans Serif" 8: the position read-out of the status bar.
QFont SmallDialogFont();
// "MS Sans Serif" 24: the show's name on the batch-record slate.
QFont LargeDialogFont();
// "Small Fonts" at 9, 10 or 11 pixels: plan labels, the read-out panel, the timeline.
QFont TinyFont(int cellHeight);

}  // namespace quillon
