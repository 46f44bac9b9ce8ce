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
constexpr int32_t kBlue = 0x00FF0000;

Rgba TexelAt(const std::vector<uint8_t>& texels, int width, int x, int y) {
    const uint8_t* p = texels.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
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
            if (TexelAt(t.texels, t.width, x, y) != expected && ++wrong < 5)
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
    using enum TextureRounding;
    const struct {
        int side;
        TextureRounding rounding;
        int limit, texture;
    } cases[] = {
        {640, kSmallestNotBelow, 4096, 1024},  {480, kSmallestNotBelow, 4096, 512},  // actors
        {640, kLargestNotAbove, 4096, 512},    {480, kLargestNotAbove, 4096, 256},   // panels
        {512, kSmallestNotBelow, 4096, 512},   {512, kLargestNotAbove, 4096, 512},
        {1, kSmallestNotBelow, 4096, 2},       {3, kLargestNotAbove, 4096, 2},  // never below 2
        {4096, kSmallestNotBelow, 1024, 1024}, {3000, kLargestNotAbove, 1024, 1024},  // the limit
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextureDimension(c.side, c.rounding, c.limit), c.texture) << c.side;
}

TEST(Texels, ActorAndPanelPlaceThePictureAtTheLowerLeft) {
    Picture p;
    Fill(p, 640, 480, 24, [](int x, int y) {  // every pixel tells where it is
        return Bgr{uint8_t(x), uint8_t(y), uint8_t(1 + (x >> 8) + 4 * (y >> 8))};
    });
    RecordingTextureUploader gl;
    TextureTable table(gl);
    DocumentSettings settings;
    settings.featherActors = false;
    ShowNode actor;
    actor.kind = NodeKind::Actor;
    actor.SetFileName("/pictures/walk.bmp");
    actor.keys.push_back(KeyFrame{});
    actor.keys[0].width() = 300.0f;
    SetPanel panel;
    std::strcpy(panel.imagePath, "/pictures/wall.bmp");
    auto size = [&](int number) {
        return std::pair(gl.Find(number)->width, gl.Find(number)->height);
    };

    // A 640 x 480 actor picture gets a 1024 x 512 texture (aspect 0.5); on a panel the largest
    // powers of two that fit, cropping it.
    ASSERT_EQ(table.UploadTexture(actor, p, settings), 0);
    EXPECT_EQ(size(0), std::pair(1024, 512));
    ExpectPlacedLowerLeft(*gl.Find(0), p);
    EXPECT_EQ(std::tuple(actor.textureSlot, actor.aspect, actor.keys[0].width(),
                         actor.keys[0].height(), actor.pictureWidth),
              std::tuple(0, 0.5f, 300.0f, 150.0f, 640));
    ASSERT_EQ(table.UploadTexture(panel, p, settings), 1);
    EXPECT_EQ(panel.textureSlot, 1);
    EXPECT_EQ(size(1), std::pair(512, 256));
    ExpectPlacedLowerLeft(*gl.Find(1), p);

    // In rostrum mode panels round up too, and an actor's first key takes the texture's size.
    settings.rostrumMode = true;
    table.UploadTexture(panel, p, settings);
    EXPECT_EQ(size(1), std::pair(1024, 512));
    table.UploadTexture(actor, p, settings);
    EXPECT_EQ(std::pair(actor.keys[0].width(), actor.keys[0].height()), std::pair(1024.0f, 512.0f));

    // A limit below the picture crops it.
    gl.SetMaxTextureSize(512);
    table.UploadTexture(actor, p, settings);
    EXPECT_EQ(size(0), std::pair(512, 512));
    EXPECT_FLOAT_EQ(actor.aspect, 1.0f);
    ExpectPlacedLowerLeft(*gl.Find(0), p);
}

// Texel colours and alpha at every depth: the key matches the upper four bits of red, green and
// blue; empty texels are opaque black, or transparent under a black key; a 32-bit picture's
// alpha decides only without a key; 16-bit words are 5-5-5 with the top bit ignored; 8-bit
// pixels go through the colour table (entry 0 beyond the picture); row padding is no pixel.
TEST(Texels, ColoursAndAlphaAtEveryDepth) {
    Picture keyed, alpha, words, indexed, padded;
    Fill(keyed, 4, 1, 24, [](int x, int) {
        const Bgr c[] = {{250, 12, 10}, {230, 12, 10}, {255, 15, 15}, {255, 16, 0}};
        return c[x];  // the band's inside and outside, its far corner, just past it
    });
    ASSERT_TRUE(alpha.Create(2, 1, 32));
    SetPixel(alpha, 0, 0, {255, 255, 255}, 77);
    SetPixel(alpha, 1, 0, {1, 2, 3}, 0);
    ASSERT_TRUE(words.Create(2, 1, 16));
    const uint16_t word[2] = {3 << 10 | 17 << 5 | 29, 0x8000 | 31 << 10};
    std::memcpy(words.Bits(0), word, 4);
    ASSERT_TRUE(indexed.Create(2, 1, 8));
    indexed.ColorTable()[0] = {10, 20, 30, 0};
    indexed.ColorTable()[9] = {1, 2, 3, 0};
    indexed.Bits(0)[0] = 9;
    indexed.Bits(0)[1] = 0;
    ASSERT_TRUE(padded.Create(5, 1, 24));  // one padding byte after 15 bytes of pixels
    std::memset(padded.Bits(0), 0x40, 16);

    const struct {
        const Picture* picture;
        int32_t key;
        int width, x, y;
        Rgba texel;
    } cases[] = {
        {&keyed, kBlue, 4, 0, 0, {10, 12, 250, 0}},
        {&keyed, kBlue, 4, 1, 0, {10, 12, 230, 255}},
        {&keyed, kBlue, 4, 2, 0, {15, 15, 255, 0}},
        {&keyed, kBlue, 4, 3, 0, {0, 16, 255, 255}},
        {&keyed, kBlue, 4, 0, 1, {0, 0, 0, 255}},
        {&keyed, kKeyUseAlpha, 4, 0, 0, {10, 12, 250, 255}},
        {&keyed, kKeyUseAlpha, 4, 3, 1, {0, 0, 0, 255}},
        {&keyed, 0x000000, 8, 7, 0, {0, 0, 0, 0}},
        {&keyed, 0x000000, 8, 0, 1, {0, 0, 0, 0}},
        {&keyed, 0x000000, 8, 0, 0, {10, 12, 250, 255}},
        {&alpha, kKeyUseAlpha, 4, 0, 0, {255, 255, 255, 77}},
        {&alpha, kKeyUseAlpha, 4, 1, 0, {3, 2, 1, 0}},
        {&alpha, kKeyUseAlpha, 4, 2, 0, {0, 0, 0, 0}},  // zero pixels carry alpha 0
        {&alpha, 0x00FFFFFF, 4, 0, 0, {255, 255, 255, 0}},
        {&alpha, 0x00FFFFFF, 4, 1, 0, {3, 2, 1, 255}},
        {&words, 0x00E88818, 2, 0, 0, {24, 136, 232, 0}},  // the key is the first pixel
        {&words, 0x00E88818, 2, 1, 0, {248, 0, 0, 255}},
        {&indexed, kKeyUseAlpha, 4, 0, 0, {3, 2, 1, 255}},
        {&indexed, kKeyUseAlpha, 4, 3, 1, {30, 20, 10, 255}},
        {&padded, kKeyUseAlpha, 8, 4, 0, {0x40, 0x40, 0x40, 255}},
        {&padded, kKeyUseAlpha, 8, 5, 0, {0, 0, 0, 255}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(TexelAt(Texels(*c.picture, c.width, 2, c.key), c.width, c.x, c.y), c.texel)
            << "case " << i;
    }
    std::vector<uint8_t> out(16, 0xEE);
    EXPECT_FALSE(FillTexels(keyed, 0, 2, out.data(), kKeyUseAlpha));
    EXPECT_EQ(out[0], 0xEE);
}

TEST(Texels, FeatheringRimsAnOpaqueSquare) {
    // A red 10 x 10 square at 3..12 each way on a blue field keyed out.
    Picture p;
    Fill(p, 16, 16, 24, [](int x, int yTop) {
        const int y = 15 - yTop;
        return x >= 3 && x <= 12 && y >= 3 && y <= 12 ? Bgr{0, 0, 255} : Bgr{255, 0, 0};
    });
    auto t = Texels(p, 16, 16, kBlue);
    FeatherEdges(16, 16, t.data());
    int wrong = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool inside = x >= 3 && x <= 12 && y >= 3 && y <= 12;
            Rgba expected = inside ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 0};
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
    // The opaque bottom row is left alone by both passes.
    Fill(p, 8, 4, 24, [](int x, int yTop) {
        return x == 4 || yTop == 3 ? Bgr{0, 0, 255} : Bgr{255, 0, 0};
    });
    t = Texels(p, 8, 4, kBlue);
    FeatherEdges(8, 4, t.data());
    EXPECT_EQ(std::tuple(TexelAt(t, 8, 3, 1), TexelAt(t, 8, 4, 1), TexelAt(t, 8, 5, 1)),
              std::tuple(Rgba{255, 0, 0, 0}, Rgba{255, 0, 0, 127}, Rgba{0, 0, 255, 0}));
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(TexelAt(t, 8, x, 0), (Rgba{255, 0, 0, 255})) << x;
    // Two texels across: nothing to feather.
    auto narrow = Texels(p, 2, 16, kBlue);
    const auto before = narrow;
    FeatherEdges(2, 16, narrow.data());
    EXPECT_EQ(narrow, before);
}

TEST(Texels, UploadFeathersOnlyPicturesWithoutAlpha) {
    auto square = [](int x, int yTop) {
        return x >= 2 && x <= 5 && yTop >= 2 && yTop <= 5 ? Bgr{0, 0, 255} : Bgr{255, 0, 0};
    };
    RecordingTextureUploader gl;
    TextureTable table(gl);
    DocumentSettings settings;
    settings.filtering = false;
    settings.mipMapped = true;
    SetPanel panel;
    std::strcpy(panel.imagePath, "square");
    panel.keyColor = kBlue;
    Picture p;
    // Left, right and top borders less the two corners; none without feathering or at 32 bits.
    for (auto [bits, feather, rim] :
         {std::tuple{24, true, 4 + 4 + 2}, {24, false, 0}, {32, true, 0}}) {
        Fill(p, 8, 8, bits, square);
        settings.featherActors = feather;
        table.UploadTexture(panel, p, settings);
        const auto& texels = gl.Find(0)->texels;
        int halves = 0;
        for (size_t i = 3; i < texels.size(); i += 4)
            halves += texels[i] == 127;
        EXPECT_EQ(halves, rim) << bits << " bits, feather " << feather;
    }
    EXPECT_EQ(std::pair(gl.Find(0)->options.filtering, gl.Find(0)->options.mipMapped),
              std::pair(false, true));
    EXPECT_EQ(gl.Find(0)->uploads, 3);
}
