// Feeds arbitrary bytes to MovieSource as a movie file (an in-memory file reached through its
// /proc path). Whatever the bytes, Open and ReadFrame must return; a frame that decodes must be
// a picture a texture can take: 1 to 4096 pixels each way, 24 bits, or 32 with a matte.
#include <sys/mman.h>
#include <unistd.h>

#include <QString>
#include <cstdint>
#include <cstdlib>

#include "pictures/MovieSource.h"
#include "pictures/Picture.h"

using namespace quillon;

namespace {

int MovieFile() {
    static const int fd = memfd_create("quillon-movie-fuzz", 0);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    MovieSource::SilenceLibraryLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = MovieFile();
    if (fd < 0 || ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != ssize_t(size)) std::abort();
    const QString name = QStringLiteral("/proc/self/fd/") + QString::number(fd);
    Picture target;
    MovieSource movie;
    const int frames = movie.Open(name, &target);
    if (frames < 0) std::abort();
    if (frames == 0) return 0;
    // The first and last frames, and the first again: a jump back after running to the end.
    for (int index : {0, frames - 1, 0}) {
        if (!movie.ReadFrame(index)) continue;
        const int bits = movie.alphaInterleave() ? 32 : 24;
        if (target.Width() < 1 || target.Width() > Picture::kMaxSide || target.Height() < 1 ||
            target.Height() > Picture::kMaxSide || target.BitCount() != bits)
            std::abort();
    }
    return 0;
}
