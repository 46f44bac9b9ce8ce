#include "Paths.h"

#include <sys/stat.h>

namespace quillon {

bool IsFolderSeparator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

std::string BareName(std::string_view path) {
    size_t i = path.size();
    while (i > 0 && !IsFolderSeparator(path[i - 1]))
        --i;
    return std::string(path.substr(i));
}

std::string DisplayName(std::string_view path) {
    const size_t dot = path.find('.');
    if (dot != std::string_view::npos) path = path.substr(0, dot);
    return BareName(path);
}

std::string FolderOf(std::string_view path) {
    size_t i = path.size();
    while (i > 0 && !IsFolderSeparator(path[i - 1]))
        --i;
    return std::string(path.substr(0, i));
}

std::string JoinFolder(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && !IsFolderSeparator(out.back())) out.push_back('/');
    out.append(name);
    return out;
}

bool FileExists(const std::string& path) {
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace quillon
