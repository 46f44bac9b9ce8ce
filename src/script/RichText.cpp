#include "RichText.h"

#include <QStringList>

namespace quillon {

QString RichText::PlainText() const {
    QString out;
    for (size_t p = 0; p < paragraphs.size(); ++p) {
        if (p > 0) out += QLatin1Char('\n');
        for (const TextRun& run : paragraphs[p].runs) {
            QString text = run.text;
            text.replace(QChar::LineSeparator, QLatin1Char('\n'));
            out += text;
        }
    }
    return out;
}

RichText RichText::FromPlainText(const QString& text) {
    RichText rich;
    rich.paragraphs.clear();
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        RichParagraph paragraph;
        if (!line.isEmpty()) paragraph.runs.push_back({line, TextStyle{}});
        rich.paragraphs.push_back(std::move(paragraph));
    }
    return rich;
}

void RichText::Normalise() {
    if (paragraphs.empty()) paragraphs.emplace_back();
    for (RichParagraph& p : paragraphs) {
        std::vector<TextRun> joined;
        for (TextRun& run : p.runs) {
            if (run.text.isEmpty()) continue;
            if (!joined.empty() && joined.back().style == run.style)
                joined.back().text += run.text;
            else
                joined.push_back(std::move(run));
        }
        p.runs = std::move(joined);
    }
}

}  // namespace quillon
