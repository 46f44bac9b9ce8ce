#pragma once
// Uncompressed Targa files, read and written byte for byte by our own code. Rows are taken in
// file order into the bottom-up buffer, so the usual bottom-left origin comes out upright; the
// origin bit of the descriptor is not looked at.

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace quillon {

class DocumentHost;
class Picture;

class TargaCodec {
  public:
    static constexpr int kHeaderBytes = 18;

    // Reads the rest of a Targa whose first `got` header bytes (up to 18) have been read; the
    // file stands just after them. A header out of bounds (fewer than 18 bytes, a run-length or
    // unknown image type, a side outside 1..4096, a depth other than 8, 16, 24 or 32) shows
    // "Not a valid BMP or TGA file!" and leaves the picture as it was. Pixel data that ends
    // early returns false.
    static bool Read(std::FILE* file, const uint8_t* header, size_t got, int sizeStep,
                     Picture& picture, DocumentHost* host);
    // The 18-byte header, then every row from the bottom up without row padding.
    static bool Write(std::FILE* file, const Picture& picture);
};

}  // namespace quillon
