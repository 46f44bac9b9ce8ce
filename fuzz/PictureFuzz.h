#pragma once
// Shared by the Targa and BMP fuzzers: read bytes as a picture file, and check that what was
// read writes back and reads again to the same picture.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "pictures/Picture.h"

namespace quillon::fuzz {

inline bool ReadPicture(std::string bytes, int step, Picture& picture) {
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!f) return false;
    const bool ok = picture.ReadFrom(f, step, nullptr);
    std::fclose(f);
    return ok;
}

inline std::string WritePicture(const Picture& picture, PictureWriteMode mode) {
    char* data = nullptr;
    size_t size = 0;
    std::FILE* f = open_memstream(&data, &size);
    if (!picture.WriteTo(f, mode)) std::abort();
    std::fclose(f);
    std::string bytes(data, size);
    std::free(data);
    return bytes;
}

// Writes the picture in the mode, reads it back and aborts on any difference.
inline void CheckRoundTrip(const Picture& picture, PictureWriteMode mode) {
    Picture again;
    if (!ReadPicture(WritePicture(picture, mode), 0, again)) std::abort();
    const size_t bytes = size_t(picture.RowBytes()) * size_t(picture.Height());
    if (again.Width() != picture.Width() || again.Height() != picture.Height() ||
        again.BitCount() != picture.BitCount() ||
        std::memcmp(again.Bits(0), picture.Bits(0), bytes) != 0)
        std::abort();
    // A Targa carries no colour table, so an 8-bit one reads as grey both times.
    if (picture.BitCount() == 8 &&
        std::memcmp(again.ColorTable(), picture.ColorTable(), 256 * sizeof(RgbQuad)) != 0)
        std::abort();
}

}  // namespace quillon::fuzz
