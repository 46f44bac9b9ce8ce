// Texels: texture sizes, where the picture lands in its texture, the colour key and feathering,
// checked through the texture table's uploads as the renderer would receive them.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "PictureTestUtil.h"
#include "model/Settings.h"
#include "model/ShowNode.h"
#include "pictures/RecordingTextureUploader.h"
#include "pictures/Texels.h"
#include "pictures/TextureTable.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

using Rgba = std::array<uint8_t, 4>;

Rgba TexelAt(const RecordingTextureUploader::Texture& t, int x, int y) {
    const uint8_t* p = t.texels.data() + (size_t(y) * size_t(t.width) + size_t(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Rgba TexelAt(const std::vector<uint8_t>& texels, int width, int x, int y) {
    const uint8_t* p = texels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// A colour for every pixel, so a texel shows which pixel it came from.
Bgr Pattern(int x, int y) {
    return {uint8_t(x), uint8_t(y), uint8_t(1 + (x >> 8) + 4 * (y >> 8))};
}

// Every texel is the picture's pixel at the same place (bottom-up), or opaque black beyond it.
void ExpectPlacedLowerLeft(const RecordingTextureUploader::Texture& t, const Picture& p) {
    int wrong = 0;
    for (int y = 0; y < t.height; ++y) {
        for (int x = 0; x < t.width; ++x) {
            Rgba expected{0, 0, 0, 255};
            if (x < p.Width() && y < p.Height()) {
                const Bgr c = PixelAt(p, x, y);
                expected = {c.r, c.g, c.b, 255};
            }
            if (TexelAt(t, x, y) != expected && ++wrong < 5)
                ADD_FAILURE() << "texel " << x << ", " << y;
        }
    }
    EXPECT_EQ(wrong, 0);
}

std::vector<uint8_t> Texels(const Picture& p, int width, int height, int32_t key) {
    std::vector<uint8_t> texels(size_t(width) * size_t(height) * 4, 0xEE);
    EXPECT_TRUE(FillTexels(p, width, height, texels.data(), key));
    return texels;
}

}  // namespace

TEST(TextureSize, PowersOfTwoByUse) {
    EXPECT_EQ(TextureDimension(640, TextureRounding::kSmallestNotBelow, 4096),
              1024);  // actors: not below the picture
    EXPECT_EQ(TextureDimension(480, TextureRounding::kSmallestNotBelow, 4096), 512);
    EXPECT_EQ(TextureDimension(640, TextureRounding::kLargestNotAbove, 4096),
              512);  // panels: not above it
    EXPECT_EQ(TextureDimension(480, TextureRounding::kLargestNotAbove, 4096), 256);
    EXPECT_EQ(TextureDimension(512, TextureRounding::kSmallestNotBelow, 4096), 512);
    EXPECT_EQ(TextureDimension(512, TextureRounding::kLargestNotAbove, 4096), 512);
    EXPECT_EQ(TextureDimension(1, TextureRounding::kSmallestNotBelow, 4096), 2);  // never below 2
    EXPECT_EQ(TextureDimension(3, TextureRounding::kLargestNotAbove, 4096), 2);
    EXPECT_EQ(TextureDimension(4096, TextureRounding::kSmallestNotBelow, 1024),
              1024);  // the graphics side's limit
    EXPECT_EQ(TextureDimension(3000, TextureRounding::kLargestNotAbove, 1024), 1024);
}

TEST(Texels, ActorAndPanelPlaceThePictureAtTheLowerLeft) {
    Picture p;
    Fill(p, 640, 480, 24, Pattern);
    RecordingTextureUploader gl;
    TextureTable table(gl);
    DocumentSettings settings;
    settings.featherActors = false;

    ShowNode actor;
    actor.kind = NodeKind::Actor;
    actor.SetFileName("/pictures/walk.bmp");
    actor.keys.push_back(KeyFrame{});
    actor.keys[0].width() = 300.0f;
    ASSERT_EQ(table.UploadTexture(actor, p, settings), 0);
    const auto* t = gl.Find(0);
    ASSERT_TRUE(t);
    EXPECT_EQ(std::pair(t->width, t->height), std::pair(1024, 512));
    ExpectPlacedLowerLeft(*t, p);
    EXPECT_EQ(actor.textureSlot, 0);
    EXPECT_FLOAT_EQ(actor.aspect, 0.5f);
    EXPECT_FLOAT_EQ(actor.keys[0].height(), 150.0f);
    EXPECT_FLOAT_EQ(actor.keys[0].width(), 300.0f);
    EXPECT_EQ(actor.pictureWidth, 640);

    // The same picture on a panel: the largest powers of two that fit, cropping it.
    SetPanel panel;
    std::strcpy(panel.imagePath, "/pictures/wall.bmp");
    ASSERT_EQ(table.UploadTexture(panel, p, settings), 1);
    EXPECT_EQ(panel.textureSlot, 1);
    t = gl.Find(1);
    EXPECT_EQ(std::pair(t->width, t->height), std::pair(512, 256));
    ExpectPlacedLowerLeft(*t, p);

    // In rostrum mode panels round up too, and an actor's first key takes the texture's size.
    settings.rostrumMode = true;
    table.UploadTexture(panel, p, settings);
    EXPECT_EQ(std::pair(gl.Find(1)->width, gl.Find(1)->height), std::pair(1024, 512));
    table.UploadTexture(actor, p, settings);
    EXPECT_FLOAT_EQ(actor.keys[0].width(), 1024.0f);
    EXPECT_FLOAT_EQ(actor.keys[0].height(), 512.0f);

    // A limit below the picture crops it.
    gl.SetMaxTextureSize(512);
    table.UploadTexture(actor, p, settings);
    t = gl.Find(0);
    EXPECT_EQ(std::pair(t->width, t->height), std::pair(512, 512));
    EXPECT_FLOAT_EQ(actor.aspect, 1.0f);
    ExpectPlacedLowerLeft(*t, p);
}

TEST(Texels, ColourKeyMatchesTheUpperFourBits) {
    Picture p;
    Fill(p, 4, 1, 24, [](int, int) { return Bgr{0, 0, 0}; });
    SetPixel(p, 0, 0, {250, 12, 10});  // blue 250, green 12, red 10
    SetPixel(p, 1, 0, {230, 12, 10});
    SetPixel(p, 2, 0, {255, 15, 15});  // the far corner of the band
    SetPixel(p, 3, 0, {255, 16, 0});
    constexpr int32_t kBlue = 0x00FF0000;
    auto t = Texels(p, 4, 2, kBlue);
    EXPECT_EQ(TexelAt(t, 4, 0, 0), (Rgba{10, 12, 250, 0}));
    EXPECT_EQ(TexelAt(t, 4, 1, 0), (Rgba{10, 12, 230, 255}));
    EXPECT_EQ(TexelAt(t, 4, 2, 0), (Rgba{15, 15, 255, 0}));
    EXPECT_EQ(TexelAt(t, 4, 3, 0), (Rgba{0, 16, 255, 255}));
    EXPECT_EQ(TexelAt(t, 4, 0, 1), (Rgba{0, 0, 0, 255}));  // empty texels: opaque black

    // Without a key a picture of fewer than 32 bits is opaque everywhere.
    t = Texels(p, 4, 2, -1);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(t[size_t(i) * 4 + 3], 255) << "texel " << i;

    // With a black key the empty texels go transparent.
    t = Texels(p, 8, 2, 0x000000);
    EXPECT_EQ(TexelAt(t, 8, 7, 0), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(TexelAt(t, 8, 0, 1), (Rgba{0, 0, 0, 0}));
    EXPECT_EQ(TexelAt(t, 8, 0, 0)[3], 255);
}

TEST(Texels, ThirtyTwoBitAlphaAndOtherDepths) {
    Picture p;
    ASSERT_TRUE(p.Create(2, 1, 32));
    SetPixel(p, 0, 0, {255, 255, 255}, 77);  // white, alpha 77
    SetPixel(p, 1, 0, {1, 2, 3}, 0);
    auto t = Texels(p, 4, 2, -1);  // the picture's own alpha
    EXPECT_EQ(TexelAt(t, 4, 0, 0), (Rgba{255, 255, 255, 77}));
    EXPECT_EQ(TexelAt(t, 4, 1, 0), (Rgba{3, 2, 1, 0}));
    EXPECT_EQ(TexelAt(t, 4, 2, 0), (Rgba{0, 0, 0, 0}));  // zero pixels carry alpha 0
    t = Texels(p, 4, 2, 0x00FFFFFF);                     // a key replaces the alpha byte
    EXPECT_EQ(TexelAt(t, 4, 0, 0), (Rgba{255, 255, 255, 0}));
    EXPECT_EQ(TexelAt(t, 4, 1, 0), (Rgba{3, 2, 1, 255}));

    // 16 bits: 5-5-5 words, the top bit ignored.
    ASSERT_TRUE(p.Create(2, 1, 16));
    const uint16_t words[2] = {3 << 10 | 17 << 5 | 29, 0x8000 | 31 << 10};
    std::memcpy(p.Bits(0), words, 4);
    t = Texels(p, 2, 2, 0x00E88818);  // red 0x18, green 0x88, blue 0xE8: the first pixel
    EXPECT_EQ(TexelAt(t, 2, 0, 0), (Rgba{24, 136, 232, 0}));
    EXPECT_EQ(TexelAt(t, 2, 1, 0), (Rgba{248, 0, 0, 255}));

    // 8 bits: the colour table; texels past the picture show entry 0.
    ASSERT_TRUE(p.Create(2, 1, 8));
    p.ColorTable()[0] = {10, 20, 30, 0};
    p.ColorTable()[9] = {1, 2, 3, 0};
    p.Bits(0)[0] = 9;
    p.Bits(0)[1] = 0;
    t = Texels(p, 4, 2, -1);
    EXPECT_EQ(TexelAt(t, 4, 0, 0), (Rgba{3, 2, 1, 255}));
    EXPECT_EQ(TexelAt(t, 4, 3, 1), (Rgba{30, 20, 10, 255}));

    // Row padding is not a pixel: a 5-pixel 24-bit row has one padding byte.
    ASSERT_TRUE(p.Create(5, 1, 24));
    std::memset(p.Bits(0), 0x40, 16);
    t = Texels(p, 8, 2, -1);
    EXPECT_EQ(TexelAt(t, 8, 4, 0), (Rgba{0x40, 0x40, 0x40, 255}));
    EXPECT_EQ(TexelAt(t, 8, 5, 0), (Rgba{0, 0, 0, 255}));

    Picture empty;
    ASSERT_TRUE(empty.Create(2, 2, 24));
    std::vector<uint8_t> out(16, 0xEE);
    EXPECT_FALSE(FillTexels(empty, 0, 2, out.data(), -1));
    EXPECT_EQ(out[0], 0xEE);
}

TEST(Texels, FeatheringRimsAnOpaqueSquare) {
    // A red 10 x 10 square at 3..12 each way on a blue field keyed out.
    Picture p;
    Fill(p, 16, 16, 24, [](int x, int yTop) {
        const int y = 15 - yTop;
        return x >= 3 && x <= 12 && y >= 3 && y <= 12 ? Bgr{0, 0, 255} : Bgr{255, 0, 0};
    });
    auto t = Texels(p, 16, 16, 0x00FF0000);
    FeatherEdges(16, 16, t.data());

    constexpr Rgba kRed{255, 0, 0, 255};
    constexpr Rgba kBlue{0, 0, 255, 0};
    int wrong = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 3 && x <= 12 && y >= 3 && y <= 12;
            Rgba expected = inside ? kRed : kBlue;
            // The left, right and top borders are half transparent, the bottom one is not.
            if (inside && (x == 3 || x == 12 || y == 12)) expected[3] = 127;
            // Transparent neighbours left, right and above carry the rim's colour.
            if ((y >= 3 && y <= 12 && (x == 2 || x == 13)) || (x >= 3 && x <= 12 && y == 13))
                expected = {255, 0, 0, 0};
            if (TexelAt(t, 16, x, y) != expected && ++wrong < 5)
                ADD_FAILURE() << "texel " << x << ", " << y;
        }
    }
    EXPECT_EQ(wrong, 0);

    // A line one texel wide: the pass runs left to right, so the line's left neighbour takes
    // its colour and turns it half transparent before the line could lend it to the right.
    Fill(p, 8, 4, 24, [](int x, int) { return x == 4 ? Bgr{0, 0, 255} : Bgr{255, 0, 0}; });
    t = Texels(p, 8, 4, 0x00FF0000);
    FeatherEdges(8, 4, t.data());
    EXPECT_EQ(TexelAt(t, 8, 3, 1), (Rgba{255, 0, 0, 0}));
    EXPECT_EQ(TexelAt(t, 8, 4, 1), (Rgba{255, 0, 0, 127}));
    EXPECT_EQ(TexelAt(t, 8, 5, 1), (Rgba{0, 0, 255, 0}));
    EXPECT_EQ(TexelAt(t, 8, 4, 0), (Rgba{255, 0, 0, 255}));  // row 0 is left alone

    // Two texels across: nothing to feather.
    auto narrow = Texels(p, 2, 16, 0x00FF0000);
    const auto before = narrow;
    FeatherEdges(2, 16, narrow.data());
    EXPECT_EQ(narrow, before);
}

TEST(Texels, UploadFeathersOnlyPicturesWithoutAlpha) {
    auto square = [](int x, int yTop) {
        return x >= 2 && x <= 5 && yTop >= 2 && yTop <= 5 ? Bgr{0, 0, 255} : Bgr{255, 0, 0};
    };
    auto count127 = [](const RecordingTextureUploader::Texture& t) {
        int n = 0;
        for (size_t i = 3; i < t.texels.size(); i += 4)
            n += t.texels[i] == 127;
        return n;
    };
    RecordingTextureUploader gl;
    TextureTable table(gl);
    DocumentSettings settings;  // feathering on by default
    settings.filtering = false;
    settings.mipMapped = true;
    SetPanel panel;
    std::strcpy(panel.imagePath, "square");
    panel.keyColor = 0x00FF0000;

    Picture p;
    Fill(p, 8, 8, 24, square);
    table.UploadTexture(panel, p, settings);
    EXPECT_EQ(count127(*gl.Find(0)), 4 + 4 + 2);  // left, right, top less the two corners
    EXPECT_FALSE(gl.Find(0)->options.filtering);
    EXPECT_TRUE(gl.Find(0)->options.mipMapped);

    settings.featherActors = false;
    table.UploadTexture(panel, p, settings);
    EXPECT_EQ(count127(*gl.Find(0)), 0);

    settings.featherActors = true;
    Fill(p, 8, 8, 32, square);
    table.UploadTexture(panel, p, settings);
    EXPECT_EQ(count127(*gl.Find(0)), 0);
    EXPECT_EQ(gl.Find(0)->uploads, 3);
}
