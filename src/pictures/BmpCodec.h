#pragma once
// BMP files, read and written byte for byte by our own code: a 14-byte file header, the
// 40-byte info header, the colour table and the bottom-up rows as they stand in memory.

#include <sys/types.h>
#include <cstdint>
#include <cstdio>

namespace quillon {

class DocumentHost;
class Picture;

class BmpCodec {
  public:
    // Reads the rest of a BMP whose 14-byte file header has been read from position `entry`.
    // Fewer than 8 bits per pixel shows "Less than 256 colors not supportred!"; a size or depth
    // the picture cannot hold (top-down rows, more than 4096 pixels, an odd depth) shows "Not a
    // valid BMP or TGA file!"; both leave the picture as it was. A file that ends before its
    // info header or pixel data returns false.
    static bool Read(std::FILE* file, off_t entry, const uint8_t* fileHeader, Picture& picture,
                     DocumentHost* host);
    // bfOffBits = 54 + 4 x colour-table entries, bfSize = bfOffBits + height x RowBytes, the
    // picture's reserved words, its header and colour table, then the pixel buffer.
    static bool Write(std::FILE* file, const Picture& picture);
};

}  // namespace quillon
