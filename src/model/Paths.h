#pragma once
// Path text as the show files hold it. Shows may come from other systems, so "/", "\" and ":"
// all count as folder separators when names are taken apart.

#include <QString>
#include <string>
#include <string_view>

namespace quillon {

bool IsFolderSeparator(char c);
// The part after the last separator.
std::string BareName(std::string_view path);
// The path cut at its first ".", then reduced to the part after its last separator.
std::string DisplayName(std::string_view path);
// The folder part, ending in its separator; empty when the path has none.
std::string FolderOf(std::string_view path);
// folder + name, with a "/" between them unless the folder already ends in a separator.
std::string JoinFolder(std::string_view folder, std::string_view name);

// Path text in show records is 8-bit; on this system it is UTF-8.
inline std::string ToRecordText(const QString& s) {
    return s.toStdString();
}
inline QString FromRecordText(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool FileExists(const std::string& path);

}  // namespace quillon
