// quillon-cli picture, movie and texels: the JSON they print, the files they save and how they
// fail.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "MovieTestUtil.h"
#include "PictureTestUtil.h"
#include "pictures/MovieSource.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

std::tuple<int, std::string, std::string> Cli(const QString& command, const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QUILLON_CLI), QStringList{command} + args);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::string Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return std::string{char(r), char(g), char(b), char(a)};
}

class CliTest : public ::testing::Test {
  protected:
    QString Path(const char* name) const { return dir.filePath(name); }
    std::string RawRgba(const QString& png) const {
        return Gm("convert " + png.toStdString() + " -depth 8 rgba:-");
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(CliTest, PicturePrintsTheBufferSavesAndFails) {
    const QString tga = Path("in.tga"), out = Path("out.bmp"), bad = Path("bad.tga");
    WriteFileBytes(tga.toStdString(), TargaHeader(100, 50, 24) + std::string(15000, '\x21'));
    EXPECT_EQ(Cli("picture", {tga, "--step", "2"}),
              std::tuple(0,
                         "{\"width\": 128, \"height\": 64, \"bits\": 24, \"sourceWidth\": 100, "
                         "\"sourceHeight\": 50}\n",
                         ""));
    // --mode takes the numbers of the write modes: 0 (and any other) BMP, 1 Targa, 2 nothing.
    Picture p;
    ASSERT_TRUE(p.Load(tga, {}, nullptr));
    using enum PictureWriteMode;
    for (auto [mode, expected] : {std::pair{"0", WriteBytes(p, kBmp)},
                                  {"7", WriteBytes(p, kBmp)},
                                  {"1", WriteBytes(p, kTarga)}}) {
        EXPECT_EQ(std::get<0>(Cli("picture", {tga, "--save", out, "--mode", mode})), 0);
        EXPECT_EQ(ReadFileBytes(out.toStdString()), expected) << "mode " << mode;
    }
    EXPECT_EQ(std::get<0>(Cli("picture", {tga, "--save", out, "--mode", "2"})), 0);
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_EQ(ReadFileBytes(out.toStdString()), "");

    WriteFileBytes(bad.toStdString(), TargaHeader(4, 4, 24, 10));
    EXPECT_EQ(Cli("picture", {bad}), std::tuple(1, "",
                                                "quillon-cli: Not a valid BMP or TGA file!; Error "
                                                "loading graphics file: " +
                                                    bad.toStdString() + "\n"));
    EXPECT_EQ(std::get<2>(Cli("picture", {Path("missing.jpg")})),
              "quillon-cli: cannot load picture: " + Path("missing.jpg").toStdString() + "\n");
    EXPECT_EQ(std::get<0>(Cli("picture", {tga, "--mode", "1"})), 1);  // --mode without --save
}

TEST_F(CliTest, MoviePrintsTheMovieSavesAFrameAndFails) {
    const QString matte = Path("matte.avi"), plain = Path("plain.avi");
    ASSERT_TRUE(MakeMovie(matte.toStdString(), 33, 7, 20, kLossless + kAlphaTitle));
    ASSERT_TRUE(MakeMovie(plain.toStdString(), 33, 7, 20, kLossless));
    const std::string json =
        "{\"frames\": %1, \"width\": 33, \"height\": 7, \"alphaInterleave\": %2}\n";
    EXPECT_EQ(Cli("movie", {matte}),
              std::tuple(0, QString::fromStdString(json).arg(10).arg("true").toStdString(), ""));
    // The saved files are what Save makes of the frame MovieSource decodes: a 32-bit Targa with
    // the matte as alpha, a BMP of a plain frame.
    const QString tga = Path("frame.tga"), bmp = Path("frame.bmp");
    EXPECT_EQ(std::get<0>(Cli("movie", {matte, "--frame", "6", "--save", tga})), 0);
    Picture p;
    ASSERT_EQ(MovieSource::LoadFrame(matte, 6, &p), 10);
    ASSERT_TRUE(FrameIs(p, 33, 7, 12, 13));
    EXPECT_EQ(ReadFileBytes(tga.toStdString()), WriteBytes(p, PictureWriteMode::kTarga));
    EXPECT_EQ(Cli("movie", {plain, "--frame", "19", "--save", bmp}),
              std::tuple(0, QString::fromStdString(json).arg(20).arg("false").toStdString(), ""));
    ASSERT_EQ(MovieSource::LoadFrame(plain, 19, &p), 20);
    EXPECT_EQ(ReadFileBytes(bmp.toStdString()), WriteBytes(p, PictureWriteMode::kBmp));

    const QString garbage = Path("garbage.avi");
    WriteFileBytes(garbage.toStdString(), "RIFF but not much else");
    const std::string nowhere = Path("no/such/folder.tga").toStdString();
    const std::pair<QStringList, std::string> failures[] = {
        {{garbage}, "cannot open movie: " + garbage.toStdString()},
        {{matte, "--frame", "10", "--save", tga}, "frame 10 is outside the movie's 10 frames"},
        {{matte, "--frame", "1", "--save", QString::fromStdString(nowhere)},
         "Error opening graphics file: " + nowhere}};
    for (const auto& [args, message] : failures)
        EXPECT_EQ(Cli("movie", args), std::tuple(1, "", "quillon-cli: " + message + "\n"));
    EXPECT_EQ(std::get<0>(Cli("movie", {matte, "--frame", "1"})), 1);  // --frame without --save
    EXPECT_EQ(std::get<0>(Cli("movie", {matte, plain})), 1);
}

TEST_F(CliTest, TexelsWritesTheUploadedTexelsUpright) {
    const QString in = Path("in.bmp"), out = Path("out.png");
    // 6 x 3: blue-ish everywhere but one red pixel in the middle row.
    Picture p;
    Fill(p, 6, 3, 24, [](int x, int y) {
        return x == 2 && y == 1 ? Bgr{0, 0, 200} : Bgr{250, 12, 10};
    });
    ASSERT_TRUE(p.Save(in, PictureWriteMode::kBmp, nullptr));
    EXPECT_EQ(Cli("texels", {in, "--key", "blue", "--out", out}),
              std::tuple(0, "{\"width\": 8, \"height\": 4}\n", ""));
    const std::string keyed = RawRgba(out);
    const std::string black = Rgba(0, 0, 0, 255), blue = Rgba(10, 12, 250, 0);
    std::string expected;
    for (int x = 0; x < 8; ++x)
        expected += black;  // the texture's top row lies above the picture
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 8; ++x)
            expected += x >= 6 ? black : x == 2 && y == 1 ? Rgba(200, 0, 0, 255) : blue;
    EXPECT_EQ(keyed, expected);

    // The same key however it is written; no key leaves everything opaque.
    for (const char* spelling : {"BLUE", "0xFF0000", "0xff0000", "16711680"}) {
        ASSERT_EQ(std::get<0>(Cli("texels", {in, "--key", spelling, "--out", out})), 0);
        EXPECT_EQ(RawRgba(out), keyed) << spelling;
    }
    for (const char* spelling : {"-1", "alpha"}) {
        ASSERT_EQ(std::get<0>(Cli("texels", {in, "--key", spelling, "--out", out})), 0);
        EXPECT_EQ(RawRgba(out).substr(4 * 8 + 4, 4), Rgba(10, 12, 250, 255)) << spelling;
    }
    // A panel takes the largest powers of two that fit; in rostrum mode it rounds up.
    EXPECT_EQ(std::get<1>(Cli("texels", {in, "--panel", "--out", out})),
              "{\"width\": 4, \"height\": 2}\n");
    EXPECT_EQ(std::get<1>(Cli("texels", {in, "--panel", "--rostrum", "--out", out})),
              "{\"width\": 8, \"height\": 4}\n");
    // Feathering leaves half-transparent texels on the keyed edge.
    ASSERT_EQ(std::get<0>(Cli("texels", {in, "--key", "blue", "--feather", "--out", out})), 0);
    EXPECT_NE(RawRgba(out).find(Rgba(200, 0, 0, 127)), std::string::npos);
}

TEST_F(CliTest, TexelsRefusesBadArguments) {
    const QString in = Path("in.tga"), out = Path("out.png");
    Picture p;
    Fill(p, 4, 4, 24, [](int, int) { return Bgr{1, 2, 3}; });
    ASSERT_TRUE(p.Save(in, PictureWriteMode::kTarga, nullptr));
    EXPECT_EQ(Cli("texels", {in, "--key", "purple", "--out", out}),
              std::tuple(1, "", "quillon-cli: bad key colour: purple\n"));
    EXPECT_EQ(Cli("texels", {in}), std::tuple(1, "", "quillon-cli: texels needs --out OUT.png\n"));
    EXPECT_EQ(Cli("texels", {Path("missing.tga"), "--out", out}),
              std::tuple(1, "",
                         "quillon-cli: Error opening graphics file: " +
                             Path("missing.tga").toStdString() + "\n"));
    for (const QStringList& args : {QStringList{"--key", "0x1000000", "--out", out},
                                    {"--key", "-2", "--out", out},
                                    {"--key", "0x", "--out", out},
                                    {"--out", Path("out.bmp")},
                                    {"--actor", "--panel", "--out", out}})
        EXPECT_EQ(std::get<0>(Cli("texels", QStringList{in} + args)), 1)
            << args.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(out));
}
