// Feeds arbitrary bytes to the Targa reader (inputs starting "BM" are turned away from the BMP
// reader); what it reads must write back as a Targa and read again to the same pixels.
#include <cstdint>
#include <string>

#include "PictureFuzz.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') bytes[1] = 'm';
    // The size steps readers are given: none, powers of two, a rostrum tile.
    const int steps[] = {0, 2, 512};
    Picture picture;
    if (fuzz::ReadPicture(bytes, steps[size % 3], picture))
        fuzz::CheckRoundTrip(picture, PictureWriteMode::kTarga);
    return 0;
}
