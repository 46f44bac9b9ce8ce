#include "RichTextDocument.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace quillon {

namespace {

QTextCharFormat FormatOf(const TextStyle& style) {
    QTextCharFormat f;
    f.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(style.italic);
    f.setFontUnderline(style.underline);
    if (!style.font.isEmpty()) f.setFontFamilies({style.font});
    if (style.pointSize > 0) f.setFontPointSize(style.pointSize);
    if (style.coloured)
        f.setForeground(QColor(int((style.rgb >> 16) & 0xFF), int((style.rgb >> 8) & 0xFF),
                               int(style.rgb & 0xFF)));
    return f;
}

TextStyle StyleOf(const QTextCharFormat& f) {
    TextStyle s;
    s.bold = f.fontWeight() >= QFont::DemiBold;
    s.italic = f.fontItalic();
    s.underline = f.fontUnderline();
    if (f.hasProperty(QTextFormat::FontFamilies)) {
        const QStringList families = f.fontFamilies().toStringList();
        if (!families.isEmpty()) s.font = families.first();
    }
    if (f.hasProperty(QTextFormat::FontPointSize)) s.pointSize = f.fontPointSize();
    if (f.hasProperty(QTextFormat::ForegroundBrush) && f.foreground().style() != Qt::NoBrush) {
        const QColor c = f.foreground().color();
        s.coloured = true;
        s.rgb = (uint32_t(c.red()) << 16) | (uint32_t(c.green()) << 8) | uint32_t(c.blue());
    }
    return s;
}

}  // namespace

void SetRichText(QTextDocument& document, const RichText& text) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const RichParagraph& p : text.paragraphs) {
        if (!first) cursor.insertBlock();
        first = false;
        // A paragraph takes its first run's style, so an empty paragraph keeps its size.
        cursor.setBlockCharFormat(p.runs.empty() ? QTextCharFormat()
                                                 : FormatOf(p.runs.front().style));
        for (const TextRun& run : p.runs)
            cursor.insertText(run.text, FormatOf(run.style));
    }
    cursor.endEditBlock();
}

RichText GetRichText(const QTextDocument& document) {
    RichText out;
    out.paragraphs.clear();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        RichParagraph p;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) continue;
            p.runs.push_back({fragment.text(), StyleOf(fragment.charFormat())});
        }
        out.paragraphs.push_back(std::move(p));
    }
    if (out.paragraphs.empty()) out.paragraphs.emplace_back();
    out.Normalise();
    return out;
}

}  // namespace quillon
