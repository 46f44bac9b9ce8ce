// Feeds arbitrary bytes, made to start with "BM", to the BMP reader; what it reads must write
// back as a BMP and read again to the same pixels, colour table and reserved words.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "PictureFuzz.h"

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes = "BM" + std::string(reinterpret_cast<const char*>(data), size);
    if (size >= 2 && data[0] == 'B' && data[1] == 'M') bytes.erase(0, 2);
    Picture picture;
    if (!fuzz::ReadPicture(bytes, 0, picture)) return 0;
    fuzz::CheckRoundTrip(picture, PictureWriteMode::kBmp);
    Picture again;
    fuzz::ReadPicture(fuzz::WritePicture(picture, PictureWriteMode::kBmp), 0, again);
    if (again.fileReserved1 != picture.fileReserved1 ||
        again.fileReserved2 != picture.fileReserved2)
        std::abort();
    return 0;
}
