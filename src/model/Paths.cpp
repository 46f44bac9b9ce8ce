#include "Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    // Only "/" separates folders on this system; a "\" or ":" is part of a file name here.
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string tmpl = folder + "." + path.substr(folder.size()) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    bool ok = true;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
    struct stat st;
    if (ok && ::stat(path.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else if (ok) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::close(fd) != 0) ok = false;
    if (ok && std::rename(name.data(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(name.data());
    return ok;
}

}  // namespace quillon
