#pragma once
// A cell's caption text: the entry's timecode and caption as one line of text, broken into the
// lines of the caption box, the last one cut with "..." when the rest does not fit.

#include <QFont>
#include <QFontMetrics>
#include <QString>
#include <QStringList>
#include <string_view>

namespace quillon {

// The caption font: "Arial" at normal weight, DejaVu Sans and Liberation Sans behind it, pixels
// high (the em height, as a font height of -pixels asks for).
QFont CaptionFont(int pixels);

// Entry text as the show holds it (8-bit): valid UTF-8 as such, anything else as Latin-1.
QString EntryText(std::string_view bytes);

// The text a cell shows: the timecode (first 11 characters) and a blank when the timecode is
// shown, then the caption (the rest), line breaks made blanks.
QString CellCaption(std::string_view entry, bool withTimecode);

// Breaks text into at most maxLines lines of at most width pixels in metrics' font. Each line
// but the last takes as much of the rest as fits, broken after the last blank that fits (or
// between characters in a word longer than the line); when the rest fits it is the last line.
// The last line allowed is cut to fit and ends in "..." when the rest does not fit. Never
// splits a character (surrogate pairs, combining marks and emoji sequences stay whole).
QStringList WrapCaption(const QString& text, const QFontMetrics& metrics, int width, int maxLines);

}  // namespace quillon
