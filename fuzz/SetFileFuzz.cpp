// Feeds arbitrary bytes to the set reader; what it read must write back to the same records.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/SetFile.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!f) return 0;
    std::vector<SetPanel> panels;
    const bool ok = ReadSetStream(f, panels);
    std::fclose(f);
    if (!ok) return 0;
    const std::string written = SerializeSet(panels);
    // Every whole record comes back byte for byte; only the header byte is normalised.
    if (written.compare(1, std::string::npos, bytes, 1, written.size() - 1) != 0) std::abort();
    return 0;
}
