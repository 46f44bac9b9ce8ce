#include "BmpCodec.h"

#include <QString>
#include <algorithm>
#include <cstring>
#include <string>

#include "Picture.h"
#include "model/ByteStream.h"
#include "model/DocumentHost.h"

namespace quillon {

bool BmpCodec::Read(std::FILE* file, off_t entry, const uint8_t* fileHeader, Picture& picture,
                    DocumentHost* host) {
    LeReader fh(fileHeader, kBitmapFileHeaderBytes);
    fh.U16();  // "BM"
    const uint32_t bfSize = fh.U32();
    const uint16_t reserved1 = fh.U16();
    const uint16_t reserved2 = fh.U16();
    const uint32_t bfOffBits = fh.U32();

    uint8_t infoBytes[kBitmapInfoHeaderBytes];
    if (std::fread(infoBytes, 1, sizeof(infoBytes), file) != sizeof(infoBytes)) return false;
    LeReader ih(infoBytes, sizeof(infoBytes));
    ih.U32();  // biSize is not looked at: the colour table follows 40 bytes in
    const int32_t width = ih.I32();
    const int32_t height = ih.I32();
    ih.U16();  // planes
    const int bitCount = ih.U16();
    // Compression and the rest are not looked at: the rows are taken as they stand.

    if (bitCount < 8) {
        if (host) host->Message(QString::fromLatin1(kMessageLessThan256Colors));
        return false;
    }
    // A top-down BMP (negative height), one larger than 4096 pixels or one of a depth the
    // picture cannot hold has no buffer to read into: refused like a broken header.
    if (!picture.Create(width, height, bitCount)) {
        if (host) host->Message(QString::fromLatin1(kMessageNotValidBmpOrTga));
        return false;
    }
    picture.fileReserved1 = reserved1;
    picture.fileReserved2 = reserved2;

    if (bitCount == 8) {
        // 256 entries are read whatever biClrUsed says. A shorter table runs into the pixel
        // data or, in a small file, the end of the file: entries past the end stay grey, and
        // the pixels are found by bfOffBits below in any case.
        uint8_t table[256 * 4];
        const size_t got = std::fread(table, 1, sizeof(table), file);
        RgbQuad* colors = picture.ColorTable();
        FillGreyRamp(colors, 256);  // Create keeps an old table when the size is unchanged
        for (size_t i = 0; i < got / 4; ++i) {
            colors[i].rgbBlue = table[4 * i];
            colors[i].rgbGreen = table[4 * i + 1];
            colors[i].rgbRed = table[4 * i + 2];
            colors[i].rgbReserved = table[4 * i + 3];
        }
    }

    if (fseeko(file, entry + static_cast<off_t>(bfOffBits), SEEK_SET) != 0) return false;
    const size_t bufferBytes =
        static_cast<size_t>(picture.RowBytes()) * static_cast<size_t>(picture.Height());
    const size_t wanted =
        bfSize > bfOffBits ? std::min<size_t>(bfSize - bfOffBits, bufferBytes) : 0;
    uint8_t* bits = picture.Bits(0);
    // Rows the file does not cover stay black rather than keeping an older picture's bytes.
    std::memset(bits + wanted, 0, bufferBytes - wanted);
    return std::fread(bits, 1, wanted, file) == wanted;
}

bool BmpCodec::Write(std::FILE* file, const Picture& picture) {
    const BitmapInfoHeader* h = picture.Header();
    if (!h) return false;
    const int entries = picture.ColorCount();
    const uint32_t offBits = uint32_t(kBitmapFileHeaderBytes + kBitmapInfoHeaderBytes) +
                             4u * static_cast<uint32_t>(entries);
    const size_t bufferBytes =
        static_cast<size_t>(picture.RowBytes()) * static_cast<size_t>(picture.Height());
    std::string head;
    head.reserve(offBits);
    LeWriter w(head);
    w.U8('B');
    w.U8('M');
    w.U32(offBits + static_cast<uint32_t>(bufferBytes));
    w.U16(picture.fileReserved1);
    w.U16(picture.fileReserved2);
    w.U32(offBits);
    w.U32(h->biSize);
    w.I32(h->biWidth);
    w.I32(h->biHeight);
    w.U16(h->biPlanes);
    w.U16(h->biBitCount);
    w.U32(h->biCompression);
    w.U32(h->biSizeImage);
    w.I32(h->biXPelsPerMeter);
    w.I32(h->biYPelsPerMeter);
    w.U32(h->biClrUsed);
    w.U32(h->biClrImportant);
    const RgbQuad* colors = picture.ColorTable();
    for (int i = 0; i < entries; ++i) {
        w.U8(colors[i].rgbBlue);
        w.U8(colors[i].rgbGreen);
        w.U8(colors[i].rgbRed);
        w.U8(colors[i].rgbReserved);
    }
    return std::fwrite(head.data(), 1, head.size(), file) == head.size() &&
           std::fwrite(picture.Bits(0), 1, bufferBytes, file) == bufferBytes;
}

}  // namespace quillon
