#include "TargaCodec.h"

#include <sys/types.h>

#include <QString>
#include <algorithm>
#include <cstring>
#include <string>

#include "Picture.h"
#include "model/ByteStream.h"
#include "model/DocumentHost.h"

namespace quillon {

namespace {

bool SupportedDepth(int depth) {
    return depth == 8 || depth == 16 || depth == 24 || depth == 32;
}

}  // namespace

bool TargaCodec::Read(std::FILE* file, const uint8_t* header, size_t got, int sizeStep,
                      Picture& picture, DocumentHost* host) {
    LeReader r(header, got);
    const uint8_t idLength = r.U8();
    r.U8();  // colour-map type: the map is skipped whatever it says
    const uint8_t imageType = r.U8();
    r.U16();  // first colour-map entry
    const uint16_t mapLength = r.U16();
    const uint8_t mapEntryBits = r.U8();
    r.U32();  // x and y origin
    const int width = r.U16();
    const int height = r.U16();
    const int depth = r.U8();
    r.U8();  // descriptor: the origin bit is ignored, rows are taken in file order

    // Odd depths in 8..32 would make rows that are not whole bytes per pixel and overrun the
    // buffer's rows, so only the depths a picture can hold pass.
    if (!r.ok() || imageType > 3 || width < 1 || width > Picture::kMaxSide || height < 1 ||
        height > Picture::kMaxSide || !SupportedDepth(depth)) {
        if (host) host->Message(QString::fromLatin1(kMessageNotValidBmpOrTga));
        return false;
    }

    const int bufferWidth = Picture::BufferDimension(width, sizeStep);
    const int bufferHeight = Picture::BufferDimension(height, sizeStep);
    if (!picture.Create(bufferWidth, bufferHeight, depth)) return false;
    picture.sourceWidth = static_cast<uint16_t>(width);
    picture.sourceHeight = static_cast<uint16_t>(height);
    // Create keeps an old colour table when the size is unchanged; a Targa's is always grey.
    if (depth == 8) FillGreyRamp(picture.ColorTable(), 256);

    // The ID field and the colour map are skipped; an 8-bit Targa keeps the grey ramp.
    const long skip = long(idLength) + long(mapLength) * long(mapEntryBits) / 8;
    if (skip > 0 && fseeko(file, static_cast<off_t>(skip), SEEK_CUR) != 0) return false;

    // The image rows are read in one go into the end of their part of the buffer and then
    // spread out to their places from the first row on; each row moves down (or stays), so no
    // row is overwritten before it has moved. Row padding and the rows above are cleared.
    const size_t rowBytes = static_cast<size_t>(picture.RowBytes());
    const size_t fileRowBytes = static_cast<size_t>(depth) * static_cast<size_t>(width) / 8;
    const size_t rows = static_cast<size_t>(height);
    uint8_t* base = picture.Bits(0);
    uint8_t* landing = base + (rowBytes - fileRowBytes) * rows;
    if (std::fread(landing, 1, fileRowBytes * rows, file) != fileRowBytes * rows) return false;
    for (size_t r = 0; r < rows && rowBytes != fileRowBytes; ++r) {
        uint8_t* row = base + r * rowBytes;
        std::memmove(row, landing + r * fileRowBytes, fileRowBytes);
        std::memset(row + fileRowBytes, 0, rowBytes - fileRowBytes);
    }
    std::memset(base + rows * rowBytes, 0, rowBytes * (size_t(bufferHeight) - rows));
    return true;
}

bool TargaCodec::Write(std::FILE* file, const Picture& picture) {
    if (!picture.HasBuffers()) return false;
    const int width = picture.Width();
    const int height = picture.Height();
    const int depth = picture.BitCount();
    std::string head;
    LeWriter w(head);
    w.U8(0);  // no ID field
    w.U8(0);  // no colour map
    w.U8(2);  // uncompressed true colour
    w.U16(0);
    w.U16(0);
    w.U8(0);
    w.U16(0);  // x origin
    w.U16(0);  // y origin
    w.U16(static_cast<uint16_t>(width));
    w.U16(static_cast<uint16_t>(height));
    w.U8(static_cast<uint8_t>(depth));
    // Bottom-left origin; the low bits give the alpha bits of a 32-bit picture (8).
    w.U8(static_cast<uint8_t>(depth % 8 + std::max(depth - 24, 0)));
    if (std::fwrite(head.data(), 1, head.size(), file) != head.size()) return false;
    const size_t fileRowBytes = static_cast<size_t>(depth / 8) * static_cast<size_t>(width);
    for (int row = 0; row < height; ++row) {
        if (std::fwrite(picture.Bits(row), 1, fileRowBytes, file) != fileRowBytes) return false;
    }
    return true;
}

}  // namespace quillon
