#include "RtfWriter.h"

#include <QStringList>
#include <cmath>
#include <vector>

namespace quillon {

namespace {

// Text as RTF: the three special characters escaped, tabs and line breaks as control words,
// everything else beyond printable ASCII as a signed 16-bit "\uN" with "?" as its fallback. In a
// font name ";" ends the name, so it is written as a byte.
void AppendText(QByteArray& out, const QString& text, bool fontName = false) {
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += char(u);
        } else if (fontName && u == ';') {
            out += "\\'3b";
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u == QChar::LineSeparator) {
            out += "\\line ";
        } else if (u >= 0x20 && u < 0x80) {
            out += char(u);
        } else {
            out += "\\u" + QByteArray::number(int(int16_t(u))) + '?';
        }
    }
}

}  // namespace

QByteArray RtfWriter::Write(const RichText& text) {
    // The fonts and colours the runs use, in order of first use, after the default font "\f0"
    // that runs without a font of their own use.
    QStringList fonts{QStringLiteral("Arial")};
    std::vector<uint32_t> colours;
    for (const RichParagraph& p : text.paragraphs) {
        for (const TextRun& run : p.runs) {
            if (!run.style.font.isEmpty() && fonts.lastIndexOf(run.style.font) < 1)
                fonts << run.style.font;
            if (run.style.coloured &&
                std::find(colours.begin(), colours.end(), run.style.rgb) == colours.end())
                colours.push_back(run.style.rgb);
        }
    }

    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n{\\fonttbl";
    for (int i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + "\\fnil ";
        AppendText(out, fonts[i], true);
        out += ";}";
    }
    out += "}\r\n{\\colortbl;";
    for (uint32_t c : colours)
        out += "\\red" + QByteArray::number((c >> 16) & 0xFF) + "\\green" +
               QByteArray::number((c >> 8) & 0xFF) + "\\blue" + QByteArray::number(c & 0xFF) + ';';
    out += "}\r\n\\pard\\plain\\f0\r\n";

    for (size_t p = 0; p < text.paragraphs.size(); ++p) {
        if (p > 0) out += "\\par\r\n";
        for (const TextRun& run : text.paragraphs[p].runs) {
            const TextStyle& s = run.style;
            out += "{\\f" + QByteArray::number(s.font.isEmpty() ? 0 : fonts.lastIndexOf(s.font));
            if (s.pointSize > 0)
                out += "\\fs" + QByteArray::number(int(std::lround(s.pointSize * 2)));
            if (s.bold) out += "\\b";
            if (s.italic) out += "\\i";
            if (s.underline) out += "\\ul";
            if (s.coloured) {
                const auto at = std::find(colours.begin(), colours.end(), s.rgb);
                out += "\\cf" + QByteArray::number(int(at - colours.begin()) + 1);
            }
            out += ' ';
            AppendText(out, run.text);
            out += '}';
        }
    }
    out += "\r\n}\r\n";
    return out;
}

}  // namespace quillon
