// The Picture record: creation and size rules, row access, conversions, palettes and drawing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QRect>
#include <tuple>
#include <vector>

#include "PictureTestUtil.h"

using namespace quillon;
using namespace quillon::testing;

TEST(Picture, CreateAndSizeRules) {
    Picture p;
    EXPECT_EQ(std::tuple(p.Width(), p.Height(), p.BitCount()), std::tuple(16, 16, 8));
    EXPECT_EQ(p.ColorTable()[77].rgbRed, 77);  // grey ramp
    p.Bits(3)[5] = 0xAB;
    ASSERT_TRUE(p.Create(16, 16, 8));
    EXPECT_EQ(p.Bits(3)[5], 0xAB);  // same size and depth: pixels kept
    ASSERT_TRUE(p.Create(5, 7, 24));
    EXPECT_EQ(std::tuple(p.sourceWidth, p.sourceHeight, p.RowBytes()), std::tuple(5, 7, 16));
    for (auto [w, h, bits] : std::vector<std::tuple<int, int, int>>{
             {0, 5, 24}, {4097, 1, 24}, {1, 4097, 8}, {-3, 5, 24}, {5, 5, 4}, {5, 5, 12}}) {
        EXPECT_FALSE(p.Create(w, h, bits)) << w << "x" << h << "x" << bits;
        EXPECT_EQ(std::tuple(p.Width(), p.Height(), p.BitCount()), std::tuple(5, 7, 24));
    }
    ASSERT_TRUE(p.Create(4096, 4096, 32));
    ASSERT_TRUE(p.Create(3, 1, 16));
    EXPECT_EQ(p.RowBytes(), 8);
    // Width(step) is (value / step + 1) x step.
    ASSERT_TRUE(p.Create(300, 100, 24));
    EXPECT_EQ(std::tuple(p.Width(512), p.Width(256), p.Width(0), p.Height(4)),
              std::tuple(512, 512, 300, 104));
}

// The readers' buffer: powers of two for step 2, multiples of any other step.
TEST(Picture, BufferDimension) {
    const int steps[][3] = {{100, 2, 128},   {50, 2, 64},     {1, 2, 2},         {3, 2, 4},
                            {4097, 2, 8192}, {300, 512, 512}, {300, 256, 512},   {300, 0, 300},
                            {100, 3, 102},   {100, 4, 100},   {1200, 512, 1536}, {0, 2, 0},
                            {10, -5, 0}};
    for (const auto& s : steps)
        EXPECT_EQ(Picture::BufferDimension(s[0], s[1]), s[2]) << s[0] << " step " << s[1];
}

TEST(Picture, RowAccessStopsAtRowBytesAndTheLimit) {
    Picture p;
    ASSERT_TRUE(p.Create(5, 3, 24));  // 15 bytes of pixels, 16 per row
    std::vector<uint8_t> row(16, 7), out(20, 0xEE);
    ASSERT_TRUE(p.SetRow(2, row.data()));
    for (auto [limit, last] : {std::pair{32767, 15}, {4, 3}}) {
        out.assign(20, 0xEE);
        ASSERT_TRUE(p.GetRow(2, out.data(), limit));
        EXPECT_EQ(std::tuple(out[size_t(last)], out[size_t(last) + 1]), std::tuple(7, 0xEE));
    }
    EXPECT_FALSE(p.GetRow(3, out.data(), 32767));
    EXPECT_FALSE(p.SetRow(-1, row.data()));
}

TEST(Picture, ToPalette8) {
    Picture p, grey, colour;
    ASSERT_TRUE(p.Create(3, 1, 24));
    SetPixel(p, 0, 0, {200, 20, 10});
    SetPixel(p, 1, 0, {255, 255, 255});
    SetPixel(p, 2, 0, {0x40, 0x40, 0x80});
    ASSERT_TRUE(p.ToPalette8(grey, Picture::Palette8::kGreys));
    EXPECT_EQ(grey.Bits(0)[0], 36);  // 0.30 x 10 + 0.59 x 20 + 0.11 x 200 = 36.8
    ASSERT_TRUE(p.ToPalette8(colour, Picture::Palette8::kColourCube));
    EXPECT_EQ(std::vector<int>(colour.Bits(0), colour.Bits(0) + 3),
              (std::vector<int>{3, 255, 0x89}));
    const RgbQuad e = colour.ColorTable()[0x89];
    EXPECT_EQ(std::tuple(e.rgbRed, e.rgbGreen, e.rgbBlue), std::tuple(0x80, 64, 64));
    ASSERT_TRUE(p.Create(1, 1, 16));
    p.Bits(0)[1] = 0x7C;  // 5-5-5 red 31, read as 248
    p.Bits(0)[0] = 0;
    ASSERT_TRUE(p.ToPalette8(grey, Picture::Palette8::kGreys));
    EXPECT_EQ(grey.Bits(0)[0], 74);
}

TEST(Picture, ResampleTo) {
    Picture src, dst, back, eight;
    ASSERT_TRUE(src.Create(4, 2, 24));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            SetPixel(src, x, y, {uint8_t(x), uint8_t(y), uint8_t(10 * x + y)});
    ASSERT_TRUE(dst.Create(8, 4, 32));
    std::memset(dst.Bits(0), 0xFF, size_t(dst.RowBytes()) * 4);
    ASSERT_TRUE(src.ResampleTo(dst));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            EXPECT_EQ(PixelAt(dst, x, y), PixelAt(src, x / 2, y / 2)) << x << "," << y;
            EXPECT_EQ(dst.Bits(y)[4 * x + 3], 0);  // no alpha from a 24-bit source
        }
    }
    ASSERT_TRUE(back.Create(3, 1, 32));  // shrinking 4 -> 3: column 2 takes 8 / 3, truncated
    ASSERT_TRUE(src.ResampleTo(back));
    EXPECT_EQ(PixelAt(back, 2, 0), PixelAt(src, 2, 0));
    // Through 16 bits: 5-5-5 down, each channel back at the top of its byte.
    SetPixel(src, 0, 0, {8, 128, 255});
    ASSERT_TRUE(dst.Create(1, 1, 16));
    ASSERT_TRUE(src.ResampleTo(dst));
    EXPECT_EQ(dst.Bits(0)[0] | dst.Bits(0)[1] << 8, 0x7E01);
    ASSERT_TRUE(back.Create(1, 1, 24));
    ASSERT_TRUE(dst.ResampleTo(back));
    EXPECT_EQ(PixelAt(back, 0, 0), (Bgr{8, 128, 248}));
    EXPECT_FALSE(src.ResampleTo(eight));
}

TEST(Picture, CopyRectTakesTheLineBelow) {
    Picture src, tile;
    ASSERT_TRUE(src.Create(6, 4, 24));  // red = row from the bottom + 1, blue = column
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            SetPixel(src, x, y, {uint8_t(x), 0, uint8_t(y + 1)});
    // Line y takes source row 4 - y (from the bottom) for 0 < y < 4: the top line stays empty
    // and the source's bottom row is never copied; outside the source everything stays zero.
    const struct {
        QRect rect;
        int x, y;
        Bgr want;
    } cases[] = {{{1, 0, 3, 4}, 0, 3, {0, 0, 0}},  {{1, 0, 3, 4}, 0, 2, {1, 0, 4}},
                 {{1, 0, 3, 4}, 2, 0, {3, 0, 2}},  {{-2, 2, 4, 4}, 1, 3, {0, 0, 0}},
                 {{-2, 2, 4, 4}, 2, 3, {0, 0, 3}}, {{-2, 2, 4, 4}, 3, 2, {1, 0, 2}},
                 {{-2, 2, 4, 4}, 3, 1, {0, 0, 0}}};
    for (const auto& c : cases) {
        ASSERT_TRUE(src.CopyRect(tile, c.rect));
        ASSERT_EQ(std::tuple(tile.Width(), tile.Height(), tile.BitCount()),
                  std::tuple(c.rect.width(), c.rect.height(), 24));
        EXPECT_EQ(PixelAt(tile, c.x, c.y), c.want) << c.rect.x() << ": " << c.x << "," << c.y;
    }
    EXPECT_FALSE(src.CopyRect(tile, QRect(0, 0, 0, 2)));
}

TEST(Picture, FlipSwapAndVideoLevels) {
    Picture p;
    ASSERT_TRUE(p.Create(2, 3, 24));
    for (int y = 0; y < 3; ++y)
        SetPixel(p, 1, y, {uint8_t(y), 1, 255});
    p.FlipVertical();
    p.SwapRedBlue();
    EXPECT_EQ(PixelAt(p, 1, 0), (Bgr{255, 1, 2}));
    EXPECT_EQ(PixelAt(p, 1, 1), (Bgr{255, 1, 1}));
    SetPixel(p, 0, 0, {0, 128, 255});
    p.CompressToVideoLevels();
    EXPECT_EQ(PixelAt(p, 0, 0), (Bgr{17, 127, 236}));
    // 32 bits: the alpha byte is neither compressed nor swapped.
    ASSERT_TRUE(p.Create(1, 1, 32));
    SetPixel(p, 0, 0, {0, 1, 255}, 0);
    p.CompressToVideoLevels();
    p.SwapRedBlue();
    EXPECT_EQ(std::vector<int>(p.Bits(0), p.Bits(0) + 4), (std::vector<int>{236, 18, 17, 0}));
    // 16 bits: no levels to compress, no red and blue bytes to swap.
    ASSERT_TRUE(p.Create(2, 1, 16));
    const uint8_t before[4] = {0x00, 0x00, 0xFF, 0x7F};
    std::memcpy(p.Bits(0), before, 4);
    p.CompressToVideoLevels();
    p.SwapRedBlue();
    EXPECT_EQ(std::memcmp(p.Bits(0), before, 4), 0);
}

TEST(Picture, MergeAlpha) {
    Picture p, matte, wrong;
    ASSERT_TRUE(p.Create(3, 2, 24));
    p.sourceWidth = 2;  // as after a stepped load: the rebuilt picture is the same image
    ASSERT_TRUE(matte.Create(3, 2, 8));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            SetPixel(p, x, y, {uint8_t(x), uint8_t(y), 99});
            matte.Bits(y)[x] = uint8_t(10 * x + y);
        }
    }
    ASSERT_TRUE(wrong.Create(3, 3, 8));
    EXPECT_FALSE(p.MergeAlpha(wrong));
    EXPECT_EQ(p.BitCount(), 24);
    ASSERT_TRUE(p.MergeAlpha(matte));
    ASSERT_EQ(std::tuple(p.BitCount(), p.sourceWidth), std::tuple(32, 2));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(PixelAt(p, x, y), (Bgr{uint8_t(x), uint8_t(y), 99}));
            EXPECT_EQ(p.Bits(y)[4 * x + 3], 10 * x + y);
        }
    }
}

TEST(Picture, Palettes) {
    QList<QRgb> palette;
    MakeGreyPalette(palette, 4);
    EXPECT_EQ(palette, (QList<QRgb>{qRgb(0, 0, 0), qRgb(63, 63, 63), qRgb(127, 127, 127),
                                    qRgb(191, 191, 191)}));
    Picture p;
    p.ColorTable()[200] = RgbQuad{1, 2, 3, 9};
    p.FillPalette(palette);
    ASSERT_EQ(palette.size(), 256);
    EXPECT_EQ(palette[200], qRgb(3, 2, 1));
    ASSERT_TRUE(p.Create(2, 2, 24));
    p.FillPalette(palette);
    EXPECT_EQ(palette.size(), 256);  // left alone
}

TEST(Picture, DrawIsUprightAndPartCountsFromTheBottom) {
    Picture p;
    ASSERT_TRUE(p.Create(2, 2, 24));
    SetPixel(p, 0, 0, {0, 0, 255});  // bottom row: red, green
    SetPixel(p, 1, 0, {0, 255, 0});
    SetPixel(p, 0, 1, {255, 0, 0});  // top row: blue, white
    SetPixel(p, 1, 1, {255, 255, 255});
    QImage canvas(4, 4, QImage::Format_RGB32);
    QPainter painter(&canvas);
    EXPECT_EQ(p.Draw(painter, QRect(0, 0, 4, 4)), 2);
    EXPECT_EQ(std::tuple(canvas.pixel(0, 0), canvas.pixel(3, 1), canvas.pixel(1, 3)),
              std::tuple(qRgb(0, 0, 255), qRgb(255, 255, 255), qRgb(255, 0, 0)));
    // Source (0, 0, 2, 1) is the bottom row, stretched over the whole destination; a negative
    // source height counts as its absolute value, so (0, 1, 2, -1) is the top row.
    EXPECT_EQ(p.DrawPart(painter, QRect(0, 0, 4, 4), QRect(0, 0, 2, 1)), 1);
    EXPECT_EQ(std::tuple(canvas.pixel(0, 0), canvas.pixel(3, 3)),
              std::tuple(qRgb(255, 0, 0), qRgb(0, 255, 0)));
    EXPECT_EQ(p.DrawPart(painter, QRect(0, 0, 4, 4), QRect(0, 1, 2, -1)), 1);
    EXPECT_EQ(canvas.pixel(0, 3), qRgb(0, 0, 255));
    EXPECT_EQ(p.DrawPart(painter, QRect(0, 0, 4, 4), QRect(0, 5, 2, 1)), 0);

    // 8 bits through the colour table, 16 bits as 5-5-5, 32 bits opaque whatever the alpha.
    ASSERT_TRUE(p.Create(1, 1, 8));
    p.Bits(0)[0] = 3;
    p.ColorTable()[3] = RgbQuad{10, 20, 30, 0};
    EXPECT_EQ(p.ToImage().pixel(0, 0), qRgb(30, 20, 10));
    ASSERT_TRUE(p.Create(1, 1, 16));
    p.Bits(0)[0] = 0x1F;  // blue 31, the unused top bit set
    p.Bits(0)[1] = 0x80;
    EXPECT_EQ(p.ToImage().pixel(0, 0), qRgb(0, 0, 255));
    ASSERT_TRUE(p.Create(1, 1, 32));
    SetPixel(p, 0, 0, {1, 2, 3}, 0);
    EXPECT_EQ(p.ToImage().pixel(0, 0), qRgb(3, 2, 1));
}
