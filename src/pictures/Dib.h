#pragma once
// The device-independent bitmap records a Picture holds and the BMP files carry: the 40-byte
// info header and 4-byte colour-table entries. Plain structs; files read and write them field by
// field in little-endian order.

#include <cstdint>

namespace quillon {

struct BitmapInfoHeader {
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0;  // positive: rows are stored bottom row first
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 1600;
    int32_t biYPelsPerMeter = 1600;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

constexpr int kBitmapInfoHeaderBytes = 40;
constexpr int kBitmapFileHeaderBytes = 14;

// One colour-table entry, in file order: blue, green, red, reserved.
struct RgbQuad {
    uint8_t rgbBlue = 0;
    uint8_t rgbGreen = 0;
    uint8_t rgbRed = 0;
    uint8_t rgbReserved = 0;
};
static_assert(sizeof(RgbQuad) == 4);

// Entries of the colour table that follows the header for a bit depth: 4 for 2 bits, 16 for 4,
// 256 for 8, none otherwise.
constexpr int ColorTableSize(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 2:
            return 4;
        case 4:
            return 16;
        case 8:
            return 256;
        default:
            return 0;
    }
}

// Entry i = (i, i, i, 0): the table a new 8-bit picture starts with.
inline void FillGreyRamp(RgbQuad* table, int entries) {
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<uint8_t>(i);
        table[i] = RgbQuad{v, v, v, 0};
    }
}

}  // namespace quillon
