#pragma once
// The script's styled paragraphs in and out of a QTextDocument, the text the script window
// edits: one block a paragraph, one character format a run (bold, italic, underline, font,
// size, colour), line breaks inside a paragraph kept as line separators.

#include "RichText.h"

class QTextDocument;

namespace quillon {

// Replaces the document's whole content.
void SetRichText(QTextDocument& document, const RichText& text);
// The document's content as paragraphs of runs (styles the RTF writer knows; the rest is
// dropped).
RichText GetRichText(const QTextDocument& document);

}  // namespace quillon
