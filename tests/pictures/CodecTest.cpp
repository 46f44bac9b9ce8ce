// Our own Targa and BMP codecs: exact bytes written, rows placed, round trips, broken and hostile
// files, and the messages Load and Save give.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>
#include <string>

#include "../model/ScriptedHost.h"
#include "PictureTestUtil.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

uint32_t U32At(const std::string& b, size_t off) {
    uint32_t v;
    std::memcpy(&v, b.data() + off, 4);
    return v;
}

// Targa pixels: file row k, pixel x holds (k, x, k + x) in its first three bytes.
std::string TargaRows(int width, int height, int depth) {
    std::string rows;
    for (int k = 0; k < height; ++k) {
        for (int x = 0; x < width; ++x) {
            const char px[4] = {char(k), char(x), char(k + x), 0x55};
            rows.append(px, size_t(depth / 8));
        }
    }
    return rows;
}

// A BMP by hand: reserved words 0x1234 and 0xBEEF, entry i of the table = (i, 2i, 3i, 0).
std::string HandBmp(int width, int height, int bits, int entries, const std::string& pixels,
                    uint32_t bfSize = 0) {
    const uint32_t off = 54 + 4 * uint32_t(entries);
    std::string b;
    LeWriter w(b);
    w.U16(0x4D42);
    w.U32(bfSize ? bfSize : off + uint32_t(pixels.size()));
    w.U32(0xBEEF1234);
    w.U32(off);
    for (int32_t v : {40, width, height})
        w.I32(v);
    w.U16(1);
    w.U16(uint16_t(bits));
    for (int32_t v : {0, 0, 2835, 2835, entries, 0})
        w.I32(v);
    for (int i = 0; i < entries; ++i)
        w.U32(uint32_t(i | (2 * i) << 8 | (3 * i) << 16));
    return b + pixels;
}

}  // namespace

TEST(Targa, WritesTheHeaderAndUnpaddedRows) {
    Picture p;
    Fill(p, 3, 2, 24, [](int x, int y) { return Bgr{uint8_t(x), uint8_t(y), 9}; });
    const std::string b = WriteBytes(p, PictureWriteMode::kTarga);
    ASSERT_EQ(b.size(), 18u + 2u * 9u);  // 9 bytes of pixels per row, 12 in memory
    EXPECT_EQ(b.substr(0, 18), std::string("\0\0\2\0\0\0\0\0\0\0\0\0\3\0\2\0\x18\0", 18));
    EXPECT_EQ(b.substr(18), std::string(reinterpret_cast<const char*>(p.Bits(0)), 9) +
                                std::string(reinterpret_cast<const char*>(p.Bits(1)), 9));
    // The descriptor is (depth mod 8) + max(depth - 24, 0): 8 alpha bits at 32 only.
    for (auto [bits, descriptor] : {std::pair{32, 8}, {16, 0}, {8, 0}}) {
        ASSERT_TRUE(p.Create(3, 2, bits));
        const std::string t = WriteBytes(p, PictureWriteMode::kTarga);
        EXPECT_EQ(std::tuple(int(t[16]), int(t[17]), t.size()),
                  std::tuple(bits, descriptor, 18u + size_t(bits / 8) * 6));
    }
    EXPECT_EQ(WriteBytes(p, PictureWriteMode::kNothing), "");
}

TEST(Targa, RowsInFileOrderIntoAStepBuffer) {
    // 100 x 50 with step 2: a 128 x 64 buffer, file row k in buffer row k, empty rows above
    // and empty columns to the right.
    Picture p;
    ASSERT_TRUE(ReadBytes(p, TargaHeader(100, 50, 24) + TargaRows(100, 50, 24), 2));
    ASSERT_EQ(std::tuple(p.Width(), p.Height(), p.BitCount()), std::tuple(128, 64, 24));
    EXPECT_EQ(std::tuple(p.sourceWidth, p.sourceHeight), std::tuple(100, 50));
    EXPECT_EQ(PixelAt(p, 99, 49), (Bgr{49, 99, 148}));
    EXPECT_EQ(PixelAt(p, 7, 3), (Bgr{3, 7, 10}));
    for (int y = 0; y < 64; ++y)
        for (int x = y < 50 ? 100 : 0; x < 128; ++x)
            ASSERT_EQ(PixelAt(p, x, y), (Bgr{0, 0, 0})) << x << "," << y;
    const std::string wide = TargaHeader(300, 2, 8) + std::string(600, '\x11');
    for (auto [step, width] : {std::pair{512, 512}, {256, 512}, {0, 300}}) {
        ASSERT_TRUE(ReadBytes(p, wide, step));
        EXPECT_EQ(std::tuple(p.Width(), p.sourceWidth), std::tuple(width, 300)) << step;
    }
    // A top-left origin is ignored: the first file row is still the bottom one.
    ASSERT_TRUE(ReadBytes(p, TargaHeader(4, 3, 24, 2, 0x20) + TargaRows(4, 3, 24), 0));
    EXPECT_EQ(PixelAt(p, 1, 0), (Bgr{0, 1, 1}));
    // ID field and colour map are skipped; an 8-bit Targa keeps the grey ramp.
    ASSERT_TRUE(ReadBytes(
        p,
        TargaHeader(4, 2, 8, 1, 0, 5, 256, 24) + std::string(5 + 768, 'M') + "\1\2\3\4\5\6\7\x08",
        0));
    EXPECT_EQ(std::tuple(p.BitCount(), int(p.Bits(1)[3]), int(p.ColorTable()[200].rgbRed)),
              std::tuple(8, 8, 200));
}

// Both codecs read back what they write, at every depth and at widths whose rows are padded;
// a BMP also keeps its reserved words and colour table (and takes no size step).
TEST(Codecs, RoundTripAtEveryDepth) {
    for (PictureWriteMode mode : {PictureWriteMode::kTarga, PictureWriteMode::kBmp}) {
        for (int bits : {8, 16, 24, 32}) {
            for (int width : {1, 3, 5}) {
                SCOPED_TRACE(::testing::Message() << int(mode) << ": " << bits << " x " << width);
                Picture p, back;
                ASSERT_TRUE(p.Create(width, 3, bits));
                for (int y = 0; y < 3; ++y)
                    for (int i = 0; i < p.RowBytes(); ++i)
                        p.Bits(y)[i] = i < width * bits / 8 ? uint8_t(7 * y + i + bits) : 0;
                p.fileReserved1 = 11;
                p.fileReserved2 = 22;
                if (bits == 8) p.ColorTable()[250] = RgbQuad{1, 2, 3, 4};
                const bool bmp = mode == PictureWriteMode::kBmp;
                ASSERT_TRUE(ReadBytes(back, WriteBytes(p, mode), bmp ? 2 : 0));
                ASSERT_EQ(std::tuple(back.Width(), back.Height(), back.BitCount()),
                          std::tuple(width, 3, bits));
                EXPECT_EQ(std::memcmp(back.Bits(0), p.Bits(0), size_t(p.RowBytes()) * 3), 0);
                if (!bmp) continue;
                EXPECT_EQ(std::tuple(back.fileReserved1, back.fileReserved2), std::tuple(11, 22));
                EXPECT_TRUE(bits != 8 || back.ColorTable()[250].rgbReserved == 4);
            }
        }
    }
}

TEST(Bmp, WritesTheDescribedHeader) {
    Picture p;
    ASSERT_TRUE(p.Create(2, 2, 8));
    p.fileReserved1 = 0x0102;
    p.fileReserved2 = 0x0304;
    p.ColorTable()[1] = RgbQuad{9, 8, 7, 6};
    std::memcpy(p.Bits(0), "\1\2\xA\xB\3\4\xC\xD", 8);
    const std::string b = WriteBytes(p, PictureWriteMode::kBmp);
    std::string head;
    LeWriter w(head);
    w.U16(0x4D42);
    for (uint32_t v : {1086u, 0x03040102u, 1078u, 40u, 2u, 2u, 0x00080001u, 0u, 0u, 1600u, 1600u,
                       0u, 0u, 0u /* entry 0 */, 0x06070809u /* entry 1 */})
        w.U32(v);
    ASSERT_EQ(b.size(), 1086u);
    EXPECT_EQ(b.substr(0, head.size()), head);
    EXPECT_EQ(U32At(b, 54 + 4 * 255), 0x00FFFFFFu);
    EXPECT_EQ(b.substr(1078), "\1\2\xA\xB\3\4\xC\xD");

    ASSERT_TRUE(p.Create(3, 2, 24));  // no table, rows with their padding, bytes as held
    for (int i = 0; i < 24; ++i)
        p.Bits(0)[i] = uint8_t(i);
    const std::string c = WriteBytes(p, PictureWriteModeFromNumber(5));  // any number but 1, 2
    EXPECT_EQ(std::tuple(c.size(), U32At(c, 2), U32At(c, 10)), std::tuple(78u, 78u, 54u));
    EXPECT_EQ(c.substr(54), std::string(reinterpret_cast<const char*>(p.Bits(0)), 24));
}

TEST(Bmp, ShortTablesOffsetsAndSizes) {
    // 16 colours listed: 1024 bytes are still read as the table (entry 16 comes from the pixel
    // bytes), and the pixels are found by bfOffBits (54 + 64).
    const std::string pixels = "\1\2\3\4\5\6\7\x0F";
    Picture p;
    ASSERT_TRUE(ReadBytes(p, HandBmp(4, 2, 8, 16, pixels), 0));
    EXPECT_EQ(std::tuple(p.Bits(0)[0], p.Bits(1)[3], p.fileReserved2), std::tuple(1, 15, 0xBEEF));
    EXPECT_EQ(std::tuple(p.ColorTable()[15].rgbRed, p.ColorTable()[16].rgbReserved),
              std::tuple(45, 4));
    // An 8-bit Targa of the same size read over it brings the grey ramp back.
    ASSERT_TRUE(ReadBytes(p, TargaHeader(4, 2, 8) + pixels, 0));
    EXPECT_EQ(p.ColorTable()[15].rgbRed, 15);
    // Offsets count from where the BMP starts in the file.
    std::string junk = "JUNKJUN" + HandBmp(4, 2, 8, 16, pixels);
    std::FILE* f = fmemopen(junk.data(), junk.size(), "rb");
    std::fseek(f, 7, SEEK_SET);
    EXPECT_TRUE(p.ReadFrom(f, 0, nullptr));
    std::fclose(f);
    EXPECT_EQ(p.Bits(1)[3], 15);
    // bfSize at bfOffBits reads no pixels (black); a larger one no more than the buffer.
    const std::string px(16, '\x10');
    ASSERT_TRUE(ReadBytes(p, HandBmp(2, 2, 24, 0, px, 54), 0));
    EXPECT_EQ(PixelAt(p, 1, 1), (Bgr{0, 0, 0}));
    ASSERT_TRUE(ReadBytes(p, HandBmp(2, 2, 24, 0, px + "extra", 0xFFFFFFFF), 0));
    EXPECT_EQ(PixelAt(p, 1, 1), (Bgr{0x10, 0x10, 0x10}));
}

// Refused headers show their message and leave the picture as it was; files cut short, a
// colour map past the end or a step too large for a buffer fail without a message.
TEST(Codecs, BrokenFiles) {
    const std::string rows = TargaRows(4, 4, 32), px(16, '\x10');
    const std::string full = TargaHeader(8, 8, 24) + TargaRows(8, 8, 24);
    const char* const kNotValid = "Not a valid BMP or TGA file!";
    const char* const kFewColours = "Less than 256 colors not supportred!";
    const struct {
        std::string bytes;
        const char* message;
        int step = 0;
    } cases[] = {
        {TargaHeader(4, 4, 24, 10) + rows, kNotValid},  // run-length
        {TargaHeader(4, 4, 24, 9) + rows, kNotValid},   // run-length, colour-mapped
        {TargaHeader(0, 4, 24) + rows, kNotValid},
        {TargaHeader(4097, 4, 24) + rows, kNotValid},
        {TargaHeader(4, 4097, 24) + rows, kNotValid},
        {TargaHeader(4, 4, 4) + rows, kNotValid},
        {TargaHeader(4, 4, 15) + rows, kNotValid},  // rows would not be whole bytes per pixel
        {TargaHeader(4, 4, 33) + rows, kNotValid},
        {TargaHeader(4, 4, 24).substr(0, 10), kNotValid},
        {std::string(), kNotValid},
        {HandBmp(4, 4, 4, 16, px), kFewColours},
        {HandBmp(8, 1, 1, 2, "ab"), kFewColours},
        {HandBmp(2, -2, 24, 0, px), kNotValid},  // top-down
        {HandBmp(4097, 1, 24, 0, px), kNotValid},
        {HandBmp(1, 5000, 8, 0, px), kNotValid},
        {HandBmp(2, 2, 12, 0, px), kNotValid},
        {full.substr(0, full.size() - 1), nullptr},
        {TargaHeader(8, 8, 8, 1, 0, 0, 60000, 32) + "xyz", nullptr},
        {TargaHeader(4000, 1, 8) + std::string(4000, 'x'), nullptr, 3000},
        {HandBmp(2, 2, 24, 0, px).substr(0, 30), nullptr},  // info header cut short
        {HandBmp(2, 2, 24, 0, px).substr(0, 60), nullptr},  // pixels cut short
        {"BM\1\2\3", nullptr},                              // file header cut short
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        ScriptedHost host;
        Picture p;
        p.Bits(0)[0] = 0x5A;
        EXPECT_FALSE(ReadBytes(p, cases[i].bytes, cases[i].step, &host)) << "case " << i;
        EXPECT_EQ(host.messages, cases[i].message ? QStringList{cases[i].message} : QStringList{})
            << "case " << i;
        if (cases[i].message) {
            EXPECT_EQ(std::tuple(p.Width(), p.BitCount(), p.Bits(0)[0]), std::tuple(16, 8, 0x5A))
                << "case " << i;
        }
    }
    Picture p;
    EXPECT_TRUE(ReadBytes(p, TargaHeader(2, 2, 8, 0) + "abcd", 0));  // types 0 to 3 pass
}

class PictureFiles : public ::testing::Test {
  protected:
    std::string S(const char* name) const { return Q(name).toStdString(); }
    QString Q(const char* name) const { return dir_.path() + "/" + name; }
    QTemporaryDir dir_;
    ScriptedHost host_;
};

TEST_F(PictureFiles, LoadMessagesForTargaFiles) {
    Picture p;
    EXPECT_FALSE(p.Load(Q("missing.tga"), {.showErrors = true}, &host_));
    EXPECT_FALSE(p.Load(Q("missing.tga"), {}, &host_));
    EXPECT_FALSE(p.Load(Q("missing.tga"), {.showErrors = true}, nullptr));  // no host: silent
    EXPECT_EQ(host_.messages, QStringList{"Error opening graphics file"});
    host_.messages.clear();
    WriteFileBytes(S("rle.tga"), TargaHeader(4, 4, 24, 10) + std::string(48, 'x'));
    EXPECT_FALSE(p.Load(Q("rle.tga"), {.showErrors = true}, &host_));
    EXPECT_FALSE(p.Load(Q("rle.tga"), {}, &host_));  // the header message is always shown
    EXPECT_EQ(host_.messages,
              (QStringList{"Not a valid BMP or TGA file!", "Error loading graphics file",
                           "Not a valid BMP or TGA file!"}));
    // ".tga" anywhere, any case: an 8-bit Targa named like a JPEG loads at 8 bits, which the
    // library path never gives.
    WriteFileBytes(S("photo.TGA.jpg"), TargaHeader(4, 2, 8) + "01234567");
    ASSERT_TRUE(p.Load(Q("photo.TGA.jpg"), {.showErrors = true}, &host_));
    EXPECT_EQ(std::tuple(p.BitCount(), p.Bits(1)[0]), std::tuple(8, '4'));
}

TEST_F(PictureFiles, SaveChoosesTheWriterByName) {
    Picture p;
    Fill(p, 3, 2, 32, [](int x, int y) { return Bgr{uint8_t(x), uint8_t(y), 7}; });
    using enum PictureWriteMode;
    const std::string bmp = WriteBytes(p, kBmp), tga = WriteBytes(p, kTarga);
    const std::tuple<const char*, PictureWriteMode, std::string> cases[] = {
        {"a.bmp", kBmp, bmp},
        {"b.TGA", kBmp, tga},  // ".tga" forces Targa
        {"c.tga.bmp", kBmp, tga},
        {"d.out", kNothing, ""},
        {"e.tga.png", kTarga, "\x89PNG"},  // ".png" goes to the library whatever the mode
        {"f.Png", kBmp, "BM"},             // not one of the two spellings
        {"g.JPG", kBmp, "\xFF\xD8\xFF"}};
    for (const auto& [name, mode, start] : cases) {
        ASSERT_TRUE(p.Save(Q(name), mode, &host_)) << name;
        EXPECT_EQ(ReadFileBytes(S(name)).substr(0, start.empty() ? 1 : start.size()), start)
            << name;
    }
    EXPECT_EQ(ReadFileBytes(S("a.bmp")), bmp);
    ASSERT_TRUE(p.Create(3, 2, 8));
    ASSERT_TRUE(p.Save(Q("h.bmp"), kBmp, &host_));
    EXPECT_EQ(U32At(ReadFileBytes(S("h.bmp")), 10), 1078u);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_FALSE(p.Save(Q("no/such/folder/x.bmp"), kBmp, &host_));
    EXPECT_EQ(host_.messages, QStringList{"Error opening graphics file"});
}

TEST_F(PictureFiles, AFailedSaveKeepsTheOldFile) {
    Picture p;
    ASSERT_TRUE(p.Create(10, 10, 24));
    ASSERT_TRUE(p.Save(Q("keep.bmp"), PictureWriteMode::kBmp, nullptr));
    const std::string before = ReadFileBytes(S("keep.bmp"));
    // A file-size limit makes the write itself fail (EFBIG instead of the signal).
    ASSERT_TRUE(p.Create(200, 200, 24));
    struct rlimit old, small;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    small = old;
    small.rlim_cur = 4096;
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = p.Save(Q("keep.bmp"), PictureWriteMode::kBmp, &host_);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_EQ(host_.messages, QStringList{"Error loading graphics file"});
    EXPECT_EQ(ReadFileBytes(S("keep.bmp")), before);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.bmp"});
}
