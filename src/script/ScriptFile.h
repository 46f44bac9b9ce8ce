#pragma once
// A script's file: RTF when its name contains ".rtf" (exactly, in lower case), plain text
// otherwise. Plain text is read as UTF-8 when it is valid UTF-8 and as Windows-1252 when it is
// not, and written as UTF-8; each line a paragraph.

#include <QString>
#include <optional>

#include "RichText.h"

namespace quillon {

// Whether a file of this name is read and written as RTF.
bool IsRtfName(const QString& name);

// The text of the file; nothing when it cannot be read.
std::optional<RichText> ReadScriptFile(const QString& path);
// Writes the text (atomically: a failed write leaves any old file whole); false on failure.
bool WriteScriptFile(const QString& path, const RichText& text);

// Plain-text bytes as text: UTF-8 when they are valid UTF-8, else Windows-1252.
QString DecodePlainText(const QByteArray& bytes);

}  // namespace quillon
