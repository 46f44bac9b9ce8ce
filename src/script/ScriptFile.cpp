#include "ScriptFile.h"

#include <QFile>
#include <QStringDecoder>

#include "RtfReader.h"
#include "RtfWriter.h"
#include "model/DurableFile.h"
#include "model/Paths.h"

namespace quillon {

bool IsRtfName(const QString& name) {
    return name.contains(QStringLiteral(".rtf"), Qt::CaseSensitive);
}

QString DecodePlainText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) return text;
    // Not UTF-8: the Windows code page scripts were written in. Its letters are read
    // as an RTF reader reads "\'hh" bytes.
    QByteArray rtf = "{\\rtf1\\ansi ";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\n') {
            rtf += "\\par ";
        } else if (b == '\r') {
            continue;
        } else if (b == '\\' || b == '{' || b == '}' || b >= 0x80 || b < 0x20) {
            rtf += "\\'" + QByteArray::number(b, 16).rightJustified(2, '0');
        } else {
            rtf += char(b);
        }
    }
    return RtfReader::Read(rtf + '}').PlainText();
}

std::optional<RichText> ReadScriptFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFile::NoError) return std::nullopt;
    if (IsRtfName(path)) return RtfReader::Read(bytes);
    return RichText::FromPlainText(DecodePlainText(bytes));
}

bool WriteScriptFile(const QString& path, const RichText& text) {
    const QByteArray bytes = IsRtfName(path) ? RtfWriter::Write(text) : text.PlainText().toUtf8();
    return WriteFileAtomically(ToRecordText(path), std::string_view(bytes.data(), bytes.size()));
}

}  // namespace quillon
