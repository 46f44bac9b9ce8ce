#pragma once
// Reads RTF into paragraphs of styled runs: groups and control words, paragraphs and line
// breaks, bold, italic and underline, the font table and sizes, the colour table, "\'hh" bytes
// in the document's code page (Windows-1252 unless "\ansicpgN" says otherwise), "\uN" Unicode
// with its "\ucN" fallback skipped, and the destinations a reader must skip ("\*", "\pict",
// "\info", headers, footers, style sheets, ...).
//
// Any input is read as far as it goes and never makes the reader fail, crash or hang:
// unbalanced or truncated groups end where the bytes end, nesting deeper than kMaxDepth is
// counted but not followed, unknown control words are ignored, "\bin" data is skipped within
// the bytes there are, and out-of-range characters become U+FFFD.

#include <QByteArrayView>

#include "RichText.h"

namespace quillon {

class RtfReader {
  public:
    static constexpr int kMaxDepth = 1000;

    // The text of an RTF document (a file that does not start with "{\rtf" is read all the
    // same, as RTF).
    static RichText Read(QByteArrayView bytes);
};

}  // namespace quillon
