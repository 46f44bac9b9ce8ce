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
    return WriteFileAtomicallyWith(path, [bytes](std::FILE* f) {
               return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
           }) == AtomicWriteResult::Ok;
}

AtomicWriteResult WriteFileAtomicallyWith(const std::string& path,
                                          const std::function<bool(std::FILE*)>& write) {
    if (path.empty()) return AtomicWriteResult::CannotCreate;
    // Only "/" separates folders on this system; a "\" or ":" is part of a file name here.
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::string tmpl = folder + "." + path.substr(folder.size()) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return AtomicWriteResult::CannotCreate;
    std::FILE* f = ::fdopen(fd, "wb");
    if (!f) {
        ::close(fd);
        ::unlink(name.data());
        return AtomicWriteResult::CannotCreate;
    }
    bool ok = write(f) && std::fflush(f) == 0 && !std::ferror(f);
    // Keep the permissions of the file being replaced; new files get the usual 0666 & ~umask.
    struct stat st;
    if (ok && ::stat(path.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
    } else if (ok) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (std::fclose(f) != 0) ok = false;
    if (ok && std::rename(name.data(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(name.data());
    return ok ? AtomicWriteResult::Ok : AtomicWriteResult::WriteFailed;
}

}  // namespace quillon
