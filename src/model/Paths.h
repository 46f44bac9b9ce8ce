#pragma once
// Path text as the show files hold it. Shows may come from other systems, so "/", "\" and ":"
// all count as folder separators when names are taken apart.

#include <QString>
#include <cstdio>
#include <functional>
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

// Writes bytes to a temporary file beside path and renames it into place, so a failed or
// interrupted save leaves any previous file whole. False on any failure (the temporary is
// removed).
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

enum class AtomicWriteResult { Ok, CannotCreate, WriteFailed };
// The same for content written by `write` into the open temporary file (it returns false when
// a write fails). CannotCreate when no temporary file can be made beside path; WriteFailed
// when writing, closing or renaming fails.
AtomicWriteResult WriteFileAtomicallyWith(const std::string& path,
                                          const std::function<bool(std::FILE*)>& write);

}  // namespace quillon
