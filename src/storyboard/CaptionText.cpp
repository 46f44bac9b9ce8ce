#include "CaptionText.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <vector>

namespace quillon {

namespace {

const QString kEllipsis = QStringLiteral("...");

// Character (grapheme) boundaries of text, 0 and text.size() included.
std::vector<int> Boundaries(const QString& text) {
    std::vector<int> at{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() > 0)
        at.push_back(static_cast<int>(finder.position()));
    if (at.back() != text.size()) at.push_back(static_cast<int>(text.size()));
    return at;
}

// The largest k such that fits(boundary k) holds (fits is monotonic), at least 0.
template <typename Fits>
size_t LongestFitting(const std::vector<int>& at, Fits fits) {
    size_t lo = 0, hi = at.size() - 1;
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        if (fits(at[mid]))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

}  // namespace

QFont CaptionFont(int pixels) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans")});
    font.setWeight(QFont::Normal);
    font.setPixelSize(std::max(1, pixels));
    return font;
}

QString EntryText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (utf8.hasError()) text = QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    return text;
}

QString CellCaption(std::string_view entry, bool withTimecode) {
    const std::string_view timecode = entry.substr(0, 11);
    const std::string_view caption = entry.size() > 11 ? entry.substr(11) : std::string_view();
    QString text;
    if (withTimecode) text = EntryText(timecode) + QLatin1Char(' ');
    text += EntryText(caption);
    for (QChar& c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            c = QLatin1Char(' ');
    return text;
}

QStringList WrapCaption(const QString& text, const QFontMetrics& metrics, int width, int maxLines) {
    QStringList lines;
    QString rest = text;
    for (int line = 0; line < maxLines && !rest.isEmpty(); ++line) {
        if (metrics.horizontalAdvance(rest) <= width) {
            lines.push_back(rest);
            break;
        }
        const std::vector<int> at = Boundaries(rest);
        if (line == maxLines - 1) {
            const size_t k = LongestFitting(at, [&](int n) {
                return metrics.horizontalAdvance(rest.left(n) + kEllipsis) <= width;
            });
            lines.push_back(rest.left(at[k]) + kEllipsis);
            break;
        }
        size_t k = LongestFitting(
            at, [&](int n) { return metrics.horizontalAdvance(rest.left(n)) <= width; });
        int cut = at[std::max<size_t>(k, 1)];  // a line takes at least one character
        // Break after the last blank that fits, when the line has one past its start.
        const int blank = static_cast<int>(rest.lastIndexOf(QLatin1Char(' '), cut));
        if (blank > 0 && cut < rest.size() && rest.at(cut) != QLatin1Char(' ')) cut = blank + 1;
        lines.push_back(rest.left(cut).trimmed());
        rest = rest.mid(cut);
        while (rest.startsWith(QLatin1Char(' ')))
            rest.remove(0, 1);
    }
    return lines;
}

}  // namespace quillon
