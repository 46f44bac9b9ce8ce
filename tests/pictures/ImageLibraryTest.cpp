// Pictures through the imaging library: every format decoded upright at the top of the buffer,
// the decoder chosen by name, silent failures, and the JPEG and PNG writers. Fixtures are made
// here with our own BMP writer and the gm tool.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>

#include "../model/ScriptedHost.h"
#include "PictureTestUtil.h"
#include "pictures/ImageLibrary.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

constexpr int kW = 100, kH = 50;

// Few enough colours for GIF, in blocks whose edges show any shift: red steps every 10
// columns, green every 10 rows from the top, blue marks the top-left quarter.
Bgr Blocks(int x, int yFromTop) {
    const bool topLeft = x < kW / 2 && yFromTop < kH / 2;
    return {uint8_t(topLeft ? 200 : 50), uint8_t(yFromTop / 10 * 40), uint8_t(x / 10 * 20)};
}

// A placeable metafile of 100 x 50 units painting red squares in two opposite corners.
std::string TwoSquaresMetafile() {
    std::string b;
    LeWriter w(b);
    w.U32(0x9AC6CDD7);  // placeable header: bounds, 72 units per inch, checksum
    for (int16_t v : {0, 0, 0, kW, kH, 72, 0, 0})
        w.I16(v);
    uint16_t sum = 0;
    for (size_t i = 0; i < b.size(); i += 2)
        sum ^= uint16_t(uint8_t(b[i]) | uint8_t(b[i + 1]) << 8);
    w.U16(sum);
    for (int16_t v : {1, 9, 0x300, 47, 0, 1, 7, 0, 0})  // metafile header, 47 words in all
        w.I16(v);
    for (int16_t v : {5, 0, 0x020B, 0,  0,    5,  0,  0x020C, kH, kW,  // window origin and extent
                      7, 0, 0x02FC, 0,  0xFF, 0,  0,                   // solid red brush
                      4, 0, 0x012D, 0,                                 // select it
                      7, 0, 0x041B, 10, 10,   0,  0,                   // rectangles: bottom, right,
                      7, 0, 0x041B, 50, 100,  40, 90,                  // top, left
                      3, 0, 0})                                        // end
        w.I16(v);
    return b;
}

class ImageLibraryFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        Fill(reference_, kW, kH, 24, Blocks);
        ASSERT_TRUE(reference_.Save(Q("ref.bmp"), PictureWriteMode::kBmp, nullptr));
    }
    std::string S(const std::string& name) const { return Q(name).toStdString(); }
    QString Q(const std::string& name) const {
        return dir_.path() + "/" + QString::fromStdString(name);
    }
    // gm convert ref.bmp [options] [PREFIX:]name
    void Convert(const std::string& name, const std::string& options = "",
                 const std::string& prefix = "") {
        ASSERT_TRUE(GmOk("convert " + S("ref.bmp") + " " + options + " " + prefix + S(name)));
    }
    QTemporaryDir dir_;
    Picture reference_;
    ScriptedHost host_;
};

}  // namespace

TEST_F(ImageLibraryFiles, EveryFormatDecodesUpright) {
    for (std::string ext : {"png", "tif", "bmp", "pcx", "gif"}) {
        Convert("blocks." + ext);
        Picture p;
        ASSERT_TRUE(p.Load(Q("blocks." + ext), {.showErrors = true}, &host_)) << ext;
        ASSERT_EQ(std::tuple(p.Width(), p.Height(), p.BitCount()), std::tuple(kW, kH, 24));
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                ASSERT_EQ(PixelAt(p, x, y), Blocks(x, kH - 1 - y)) << ext << " " << x << "," << y;
    }
    // A CMYK JPEG comes out in RGB, as GraphicsMagick itself converts it.
    Convert("cmyk.jpg", "-colorspace CMYK");
    const std::string rgb = Gm("convert " + S("cmyk.jpg") + " -colorspace RGB -depth 8 rgb:-");
    ASSERT_EQ(rgb.size(), size_t(kW * kH * 3));
    Picture p;
    ASSERT_TRUE(p.Load(Q("cmyk.jpg"), {.showErrors = true}, &host_));
    for (int i = 0; i < kW * kH; ++i) {
        const auto* c = reinterpret_cast<const uint8_t*>(rgb.data() + 3 * i);
        ASSERT_EQ(PixelAt(p, i % kW, kH - 1 - i / kW), (Bgr{c[2], c[1], c[0]})) << i;
    }
    // The metafile is drawn at its own size; what it leaves undrawn is pure blue.
    WriteFileBytes(S("squares.wmf"), TwoSquaresMetafile());
    ASSERT_TRUE(p.Load(Q("squares.wmf"), {.showErrors = true}, &host_));
    ASSERT_EQ(std::tuple(p.Width(), p.Height()), std::tuple(kW, kH));
    EXPECT_EQ(PixelAt(p, 5, kH - 1 - 5), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(p, 95, kH - 1 - 45), (Bgr{0, 0, 255}));
    EXPECT_EQ(PixelAt(p, 50, kH - 1 - 25), (Bgr{255, 0, 0}));
    EXPECT_EQ(PixelAt(p, 30, kH - 1 - 5), (Bgr{255, 0, 0}));
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ImageLibraryFiles, StepTwoPutsTheImageInRows14To63) {
    Convert("blocks.png");
    Convert("blocks.jpg", "-quality 95");
    for (std::string name : {"blocks.png", "blocks.jpg"}) {
        Picture p;
        ASSERT_TRUE(p.Load(Q(name), {.sizeStep = 2}, nullptr)) << name;
        ASSERT_EQ(std::tuple(p.Width(), p.Height()), std::tuple(128, 64));
        EXPECT_EQ(std::tuple(p.sourceWidth, p.sourceHeight), std::tuple(100, 50));
        long error = 0;
        for (int y = 0; y < 64; ++y) {
            for (int x = 0; x < 128; ++x) {
                const Bgr got = PixelAt(p, x, y);
                if (y < 14 || x >= 100) {
                    ASSERT_EQ(got, (Bgr{0, 0, 0})) << name << " " << x << "," << y;
                } else {
                    const Bgr want = Blocks(x, 63 - y);
                    error += std::abs(got.b - want.b) + std::abs(got.g - want.g) +
                             std::abs(got.r - want.r);
                }
            }
        }
        // Exact for PNG; JPEG keeps the blocks to within a few levels on average.
        EXPECT_LE(double(error) / (kW * kH * 3), name == "blocks.png" ? 0.0 : 3.0) << name;
    }
}

// The decoder is chosen by the first of ".jpg", ".gif", ".bmp", ".png", ".tif", ".pcx", ".wmf"
// found in the lower-cased name, never by the content. Failures are silent and leave the
// picture as it was.
TEST_F(ImageLibraryFiles, DecoderChosenByNameAndSilentFailures) {
    for (auto [name, format] : {std::pair{"a.jpg.gif", ImageFormat::Jpeg},  // order, not place
                                {"a.bmp.png", ImageFormat::Bmp},
                                {"scan.tiff", ImageFormat::Tiff},
                                {"photo.jpeg", ImageFormat::None}})
        EXPECT_EQ(ImageLibrary::FormatForName(name), format) << name;
    Convert("UPPER.PNG.JPG");  // JPEG data; Load lower-cases the name first
    Picture p;
    EXPECT_TRUE(p.Load(Q("UPPER.PNG.JPG"), {.showErrors = true}, nullptr));

    Convert("real.jpg.png");  // PNG data named for the JPEG decoder
    Convert("png-data.gif", "", "PNG:");
    Convert("big.png", "-scale 4097x2!");
    Convert("edge.png", "-scale 4096x1!");
    Convert("blocks.png");
    const std::string png = ReadFileBytes(S("blocks.png"));
    WriteFileBytes(S("header-only.png"), png.substr(0, 40));
    WriteFileBytes(S("garbage.jpg"), std::string(5000, '\x5A'));
    WriteFileBytes(S("empty.gif"), "");
    WriteFileBytes(S("text.pcx"), "not a picture\n");
    WriteFileBytes(S("plain.dat"), png);
    for (const char* name : {"real.jpg.png", "png-data.gif", "big.png", "header-only.png",
                             "garbage.jpg", "empty.gif", "text.pcx", "plain.dat", "missing.tif"}) {
        Picture p;
        p.Bits(0)[0] = 0x42;
        EXPECT_FALSE(p.Load(Q(name), {.showErrors = true}, &host_)) << name;
        EXPECT_EQ(std::tuple(p.Width(), p.Bits(0)[0]), std::tuple(16, 0x42)) << name;
    }
    // A file cut short may give what could be read, but never a crash or a message.
    WriteFileBytes(S("half.png"), png.substr(0, png.size() / 2));
    p.Load(Q("half.png"), {.showErrors = true}, &host_);
    EXPECT_TRUE(host_.messages.empty());
    ASSERT_TRUE(p.Load(Q("edge.png"), {.sizeStep = 2}, nullptr));
    EXPECT_EQ(p.Width(), 4096);
    EXPECT_FALSE(p.Load(Q("edge.png"), {.sizeStep = 3000}, nullptr));  // 6000: too wide
}

// Cut-outs: a PNG, TIFF or GIF with transparent pixels loads at 32 bits with its alpha, so that
// "Use Alpha" works for it as for a 32-bit Targa; one whose alpha is opaque everywhere loads at
// 24 bits like any other picture.
TEST_F(ImageLibraryFiles, CutOutsKeepTheirAlpha) {
    // Left third transparent, middle half transparent, right third opaque; rows from the top.
    auto alphaAt = [](int x) { return x < 10 ? 0 : x < 20 ? 128 : 255; };
    auto colourAt = [](int x, int y) {
        return Bgr{uint8_t(x < 20 ? 40 : 200), 90, uint8_t(y < 5 ? 30 : 220)};
    };
    QImage cutOut(30, 10, QImage::Format_ARGB32);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 30; ++x) {
            const Bgr c = colourAt(x, y);
            cutOut.setPixel(x, y, qRgba(c.r, c.g, c.b, alphaAt(x)));
        }
    ASSERT_TRUE(cutOut.save(Q("cutout.png")));
    ASSERT_TRUE(GmOk("convert " + S("cutout.png") + " " + S("cutout.tif")));
    ASSERT_TRUE(GmOk("convert " + S("cutout.png") + " " + S("cutout.gif")));
    for (std::string name : {"cutout.png", "cutout.tif", "cutout.gif"}) {
        SCOPED_TRACE(name);
        const bool gif = name.ends_with("gif");  // one transparent colour, no half measures
        Picture p;
        ASSERT_TRUE(p.Load(Q(name), {.sizeStep = 2}, &host_));
        ASSERT_EQ(std::tuple(p.Width(), p.Height(), p.BitCount()), std::tuple(32, 16, 32));
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 30; ++x) {
                if (gif && alphaAt(x) == 128) continue;
                const uint8_t* q = p.Bits(15 - y) + 4 * x;  // the image at the top of the buffer
                ASSERT_EQ(q[3], alphaAt(x)) << x << "," << y;
                if (alphaAt(x) > 0) {
                    ASSERT_EQ(PixelAt(p, x, 15 - y), colourAt(x, y)) << x << "," << y;
                }
            }
        }
        EXPECT_EQ(std::tuple(p.Bits(0)[3], p.Bits(15)[4 * 31 + 3]), std::tuple(0, 0));  // padding
    }
    // Our own PNG writer always writes RGBA; opaque everywhere, it reads back at 24 bits.
    Picture opaque, back;
    Fill(opaque, 5, 3, 24, Blocks);
    ASSERT_TRUE(opaque.Save(Q("opaque.png"), PictureWriteMode::kBmp, nullptr));
    ASSERT_EQ(ReadFileBytes(S("opaque.png"))[25], 6);  // colour type 6: RGBA
    ASSERT_TRUE(back.Load(Q("opaque.png"), {}, nullptr));
    EXPECT_EQ(back.BitCount(), 24);
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(ImageLibraryFiles, PngIsRgbaFromTheRowsAsTheyStand) {
    Picture p;
    Fill(p, 7, 3, 32, [](int x, int y) { return Bgr{uint8_t(x), uint8_t(y * 9), 100}; });
    ASSERT_TRUE(p.Save(Q("out.png"), PictureWriteMode::kBmp, nullptr));
    const std::string png = ReadFileBytes(S("out.png"));
    // IHDR: width 7, height 3, 8 bits per channel, colour type 6 (RGBA).
    EXPECT_EQ(png.substr(12, 14), std::string("IHDR\0\0\0\7\0\0\0\3\x08\x06", 14));
    // Pixel x of file row r is buffer row r's four bytes, taken as red, green, blue, alpha.
    const std::string raw = Gm("convert " + S("out.png") + " -depth 8 rgba:-");
    ASSERT_EQ(raw.size(), 7u * 3u * 4u);
    EXPECT_EQ(raw, std::string(reinterpret_cast<const char*>(p.Bits(0)), raw.size()));
    // 24 bits are written opaque; 8 and 16 bits are refused.
    Fill(p, 5, 2, 24, Blocks);
    ASSERT_TRUE(p.Save(Q("opaque.png"), PictureWriteMode::kBmp, nullptr));
    EXPECT_EQ(ReadFileBytes(S("opaque.png"))[25], 6);  // still RGBA
    const std::string opaque = Gm("convert " + S("opaque.png") + " -depth 8 rgba:-");
    ASSERT_EQ(opaque.size(), 40u);
    EXPECT_EQ(std::tuple(uint8_t(opaque[3]), uint8_t(opaque[4])), std::tuple(255, p.Bits(0)[3]));
    for (int bits : {8, 16}) {
        ASSERT_TRUE(p.Create(4, 4, bits));
        EXPECT_FALSE(p.Save(Q("refused.png"), PictureWriteMode::kBmp, nullptr));
        EXPECT_FALSE(p.Save(Q("refused.jpg"), PictureWriteMode::kBmp, nullptr));
    }
    EXPECT_FALSE(QFile::exists(Q("refused.png")));
}

TEST_F(ImageLibraryFiles, PreparedPicturesRoundTripAndJpegIsQuality80) {
    // Flipped and with red and blue exchanged, as an exporter prepares it, a picture written as
    // PNG loads back as itself.
    auto colour = [](int x, int yFromTop) {
        return Bgr{uint8_t(x * 20), uint8_t(yFromTop * 40), 7};
    };
    Picture out, back;
    Fill(out, 9, 5, 32, colour);
    out.FlipVertical();
    out.SwapRedBlue();
    ASSERT_TRUE(out.Save(Q("prepared.png"), PictureWriteMode::kBmp, nullptr));
    ASSERT_TRUE(back.Load(Q("prepared.png"), {.showErrors = true}, nullptr));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(PixelAt(back, x, y), colour(x, 4 - y)) << x << "," << y;

    // Unprepared, a JPEG comes back flipped with red and blue exchanged: the top-left marker
    // (blue 200) is now red, at the bottom left.
    ASSERT_TRUE(reference_.Save(Q("out.jpg"), PictureWriteMode::kBmp, nullptr));
    EXPECT_EQ(Gm("identify -format %Q " + S("out.jpg")), "80\n");
    ASSERT_TRUE(back.Load(Q("out.jpg"), {.showErrors = true}, nullptr));
    EXPECT_NEAR(PixelAt(back, 10, 10).r, 200, 12);
    EXPECT_NEAR(PixelAt(back, 10, 40).r, 50, 12);
}
