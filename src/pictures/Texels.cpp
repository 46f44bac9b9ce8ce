#include "Texels.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "Picture.h"

namespace quillon {

int TextureDimension(int pictureSize, TextureRounding rounding, int maxTextureSize) {
    int64_t d = 2;
    while (d * 2 <= pictureSize)
        d *= 2;
    if (rounding == TextureRounding::kSmallestNotBelow && d < pictureSize) d *= 2;
    return static_cast<int>(std::min<int64_t>(d, std::max(maxTextureSize, 2)));
}

bool KeyMatches(int32_t keyColor, uint8_t red, uint8_t green, uint8_t blue) {
    if (keyColor == kKeyUseAlpha) return false;
    const auto key = static_cast<uint32_t>(keyColor);
    return ((red ^ key) & 0xF0) == 0 && ((green ^ (key >> 8)) & 0xF0) == 0 &&
           ((blue ^ (key >> 16)) & 0xF0) == 0;
}

namespace {

// Writes count texels from pixels of the given depth; colours names the colour table at 8 bits.
template <int Bits>
void ConvertRow(const uint8_t* p, uint8_t* o, int count, int32_t keyColor, const RgbQuad* colours) {
    const bool keyed = keyColor != kKeyUseAlpha;
    const auto key = static_cast<uint32_t>(keyColor);
    const uint8_t kr = uint8_t(key & 0xF0), kg = uint8_t((key >> 8) & 0xF0),
                  kb = uint8_t((key >> 16) & 0xF0);
    for (int x = 0; x < count; ++x, o += 4) {
        uint8_t r, g, b;
        if constexpr (Bits == 8) {
            const RgbQuad& c = colours[*p++];
            r = c.rgbRed;
            g = c.rgbGreen;
            b = c.rgbBlue;
        } else if constexpr (Bits == 16) {
            const unsigned v = unsigned(p[0]) | unsigned(p[1]) << 8;
            p += 2;
            r = uint8_t((v / 128) & 0xF8);
            g = uint8_t((v / 4) & 0xF8);
            b = uint8_t((v * 8) & 0xF8);
        } else {
            b = p[0];
            g = p[1];
            r = p[2];
        }
        o[0] = r;
        o[1] = g;
        o[2] = b;
        if constexpr (Bits == 32) {
            // Without a key the picture's own alpha decides; with one its alpha byte is ignored.
            const uint8_t own = p[3];
            p += 4;
            if (!keyed) {
                o[3] = own;
                continue;
            }
        } else if constexpr (Bits == 24) {
            p += 3;
        }
        const bool match =
            keyed && (((r & 0xF0) ^ kr) | ((g & 0xF0) ^ kg) | ((b & 0xF0) ^ kb)) == 0;
        o[3] = match ? 0 : 255;
    }
}

using RowConverter = void (*)(const uint8_t*, uint8_t*, int, int32_t, const RgbQuad*);

RowConverter ConverterFor(int bits) {
    switch (bits) {
        case 8:
            return ConvertRow<8>;
        case 16:
            return ConvertRow<16>;
        case 24:
            return ConvertRow<24>;
        case 32:
            return ConvertRow<32>;
        default:
            return nullptr;
    }
}

}  // namespace

bool FillTexels(const Picture& picture, int textureWidth, int textureHeight, uint8_t* out,
                int32_t keyColor) {
    const RowConverter convert = ConverterFor(picture.BitCount());
    if (!picture.HasBuffers() || !convert || textureWidth < 1 || textureHeight < 1) return false;
    const size_t bpp = size_t(picture.BitCount() / 8);
    const int pictureWidth = picture.Width();
    const int pictureHeight = picture.Height();
    // Each texel row is converted from a scratch row long enough for the texture row and the
    // picture row, which is zero wherever the picture has no pixels.
    const size_t scratchPixels = size_t(std::max(textureWidth, pictureWidth + 512));
    std::unique_ptr<uint8_t[]> scratch(new (std::nothrow) uint8_t[scratchPixels * bpp]);
    if (!scratch) return false;
    std::memset(scratch.get(), 0, scratchPixels * bpp);
    // Only the pixels of a row are copied, never its padding, so everything beyond them stays
    // zero from row to row.
    const size_t pictureRowBytes = size_t(pictureWidth) * bpp;
    const size_t rowTexels = size_t(textureWidth) * 4;
    for (int y = 0; y < textureHeight; ++y) {
        if (y < pictureHeight)
            std::memcpy(scratch.get(), picture.Bits(y), pictureRowBytes);
        else if (y == pictureHeight)
            std::memset(scratch.get(), 0, pictureRowBytes);
        convert(scratch.get(), out + size_t(y) * rowTexels, textureWidth, keyColor,
                picture.ColorTable());
    }
    return true;
}

void FeatherEdges(int textureWidth, int textureHeight, uint8_t* texels) {
    const int w = textureWidth;
    const int h = textureHeight;
    if (w <= 2 || h <= 2) return;
    auto at = [&](int x, int y) { return texels + (size_t(y) * size_t(w) + size_t(x)) * 4; };

    // Across each row, left to right: a transparent texel before an opaque one borrows its
    // colour and leaves it half transparent; an opaque texel before a transparent one lends
    // its colour and becomes half transparent itself.
    for (int y = 1; y <= h - 2; ++y) {
        for (int x = 1; x <= w - 2; ++x) {
            uint8_t* a = at(x, y);
            uint8_t* b = at(x + 1, y);
            if (a[3] == b[3]) continue;
            if (a[3] == 0) {
                std::memcpy(a, b, 3);
                b[3] = 127;
            } else if (a[3] == 255) {
                std::memcpy(b, a, 3);
                b[3] = 0;
                a[3] = 127;
            }
        }
    }
    // Down each column, from the top row: a transparent texel above another borrows its colour
    // and leaves it half transparent. A step changes only texels of its own column, so the
    // columns are walked side by side, a row at a time, which keeps memory access in order.
    for (int y = h - 2; y >= 2; --y) {
        for (int x = 1; x <= w - 2; ++x) {
            uint8_t* a = at(x, y);
            uint8_t* b = at(x, y - 1);
            if (a[3] != b[3] && a[3] == 0) {
                std::memcpy(a, b, 3);
                b[3] = 127;
            }
        }
    }
}

}  // namespace quillon
