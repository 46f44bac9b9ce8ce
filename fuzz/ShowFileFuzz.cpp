// Feeds arbitrary bytes to the show reader, then writes what it read and reads that again
// through a file stream: the second read must give the same bytes when written once more.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/ShowFile.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    ShowFileContents show;
    if (ReadShowBytes(data, size, show) != ShowReadResult::Ok) return 0;

    std::string written = SerializeShow(*show.root, show.captions);
    std::FILE* g = fmemopen(written.data(), written.size(), "rb");
    ShowFileContents again;
    if (ReadShowStream(g, again) != ShowReadResult::Ok) std::abort();
    std::fclose(g);
    if (SerializeShow(*again.root, again.captions) != written) std::abort();
    return 0;
}
