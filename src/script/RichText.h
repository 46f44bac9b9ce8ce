#pragma once
// A script's text as paragraphs of styled runs: what the RTF reader makes, the RTF writer
// writes, and the script window shows. Plain text is the same model with default styles.

#include <QString>
#include <cstdint>
#include <vector>

namespace quillon {

struct TextStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString font;           // family; empty for the document's default
    double pointSize = 0;   // 0 for the default size
    bool coloured = false;  // false: the default (automatic) colour
    uint32_t rgb = 0;       // 0xRRGGBB when coloured

    bool operator==(const TextStyle&) const = default;
};

struct TextRun {
    QString text;  // a line break inside a paragraph is QChar::LineSeparator
    TextStyle style;

    bool operator==(const TextRun&) const = default;
};

struct RichParagraph {
    std::vector<TextRun> runs;

    bool operator==(const RichParagraph&) const = default;
};

struct RichText {
    // Never empty: a text with nothing in it is one empty paragraph.
    std::vector<RichParagraph> paragraphs{RichParagraph{}};

    // Paragraphs and line breaks as "\n".
    QString PlainText() const;
    // One paragraph per line of text ("\n" ends a paragraph; "\r" before it is dropped).
    static RichText FromPlainText(const QString& text);
    // Joins neighbouring runs of one style and drops empty runs.
    void Normalise();

    bool operator==(const RichText&) const = default;
};

}  // namespace quillon
