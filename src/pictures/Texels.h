#pragma once
// Turning a picture into the RGBA texels of a texture: the texture's size, the colour key and
// the feathering of keyed edges. Pure functions over buffers; the texture table decides when
// they run (TextureTable::UploadTexture).

#include <cstdint>

namespace quillon {

class Picture;

// The key colour that keys nothing: the picture's own alpha (32 bits) decides, or nothing is
// transparent ("Use Alpha").
inline constexpr int32_t kKeyUseAlpha = -1;

// How a picture side becomes a power of two: actors (and anything in rostrum mode) round up,
// set panels round down.
enum class TextureRounding {
    kLargestNotAbove,  // at least 2
    kSmallestNotBelow,
};

// One side of a texture for a picture side, rounded to a power of two as asked, then at most
// maxTextureSize (a maximum below 2 counts as 2).
int TextureDimension(int pictureSize, TextureRounding rounding, int maxTextureSize);

// True when the colour's red, green and blue (0x00BBGGRR) agree with the key's in their upper
// four bits. kKeyUseAlpha keys nothing.
bool KeyMatches(int32_t keyColor, uint8_t red, uint8_t green, uint8_t blue);

// Fills textureWidth x textureHeight x 4 bytes of out (red, green, blue, alpha; rows bottom up)
// from the picture placed at the texture's lower-left corner, unscaled: a larger picture is
// cropped, texels beyond a smaller one come from zero pixels (black at 16, 24 and 32 bits,
// colour-table entry 0 at 8 bits). Alpha is 0 where the key matches and 255 elsewhere; a
// 32-bit picture with kKeyUseAlpha gives its own alpha byte instead. False, with out untouched, for
// a picture without pixels or a texture side below 1.
bool FillTexels(const Picture& picture, int textureWidth, int textureHeight, uint8_t* out,
                int32_t keyColor);

// Softens keyed edges in place: opaque texels beside transparent ones become half transparent
// (127), and the transparent neighbours take their colour so that linear filtering does not
// darken the rim. Nothing happens unless both sides exceed 2.
void FeatherEdges(int textureWidth, int textureHeight, uint8_t* texels);

}  // namespace quillon
