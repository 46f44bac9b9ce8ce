#pragma once
// Writes paragraphs of styled runs as RTF that word processors open with the same text and
// styles: a font table and a colour table of the fonts and colours used, each run in a group
// of its own with its bold, italic, underline, font, size and colour, "\par" between
// paragraphs, "\line" for a line break inside one, "\tab", and every character outside ASCII
// as "\uN?" (with "\uc1", so a reader without Unicode shows "?").

#include <QByteArray>

#include "RichText.h"

namespace quillon {

class RtfWriter {
  public:
    static QByteArray Write(const RichText& text);
};

}  // namespace quillon
