#include "DurableFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace quillon {

namespace {

// Only "/" separates folders on this system; a "\" or ":" is part of a file name here.
std::string FolderPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// fsync that tries again when a signal interrupts it.
bool SyncDescriptor(int fd) {
    int r;
    do {
        r = ::fsync(fd);
    } while (r != 0 && errno == EINTR);
    return r == 0;
}

}  // namespace

bool SyncFolder(const std::string& folder) {
    const std::string name = folder.empty() ? std::string(".") : folder;
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Some file systems cannot sync a folder (EINVAL); the rename is as safe there as it gets.
    const bool ok = SyncDescriptor(fd) || errno == EINVAL;
    ::close(fd);
    return ok;
}

bool SyncFolderOf(const std::string& path) {
    return SyncFolder(FolderPart(path));
}

bool RemoveFileDurably(const std::string& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
    SyncFolderOf(path);
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileAtomicallyWith(path, [bytes](std::FILE* f) {
               // An empty file is written by writing nothing (fwrite must not see a null).
               return bytes.empty() ||
                      std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
           }) == AtomicWriteResult::Ok;
}

AtomicWriteResult WriteFileAtomicallyWith(const std::string& path,
                                          const std::function<bool(std::FILE*)>& write) {
    if (path.empty() || path.back() == '/') return AtomicWriteResult::CannotCreate;
    const std::string folder = FolderPart(path);
    // A hidden name beside the target, so the rename stays within one file system.
    const std::string tmpl = folder + "." + path.substr(folder.size()) + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
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
    // The data reaches the disk before the name does: a crash after the rename never finds an
    // empty file under it.
    if (ok && !SyncDescriptor(fd)) ok = false;
    if (std::fclose(f) != 0) ok = false;
    if (ok && std::rename(name.data(), path.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(name.data());
        return AtomicWriteResult::WriteFailed;
    }
    SyncFolder(folder);
    return AtomicWriteResult::Ok;
}

}  // namespace quillon
