// quillon-cli texels: the PNG it writes (read back with gm as raw RGBA, top row first), the key
// colour spellings and how it fails.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "PictureTestUtil.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

std::tuple<int, std::string, std::string> Cli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QUILLON_CLI), QStringList{"texels"} + args);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

std::string Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    return std::string{char(r), char(g), char(b), char(a)};
}

}  // namespace

TEST(TexelCli, WritesTheUploadedTexelsUpright) {
    QTemporaryDir dir;
    const QString in = dir.path() + "/in.bmp", out = dir.path() + "/out.png";
    // 6 x 3: blue-ish everywhere but one red pixel in the middle row.
    Picture p;
    Fill(p, 6, 3, 24, [](int x, int y) {
        return x == 2 && y == 1 ? Bgr{0, 0, 200} : Bgr{250, 12, 10};
    });
    ASSERT_TRUE(p.Save(in, PictureWriteMode::kBmp, nullptr));

    EXPECT_EQ(Cli({in, "--key", "blue", "--out", out}),
              std::tuple(0, "{\"width\": 8, \"height\": 4}\n", ""));
    const std::string keyed = Gm("convert " + out.toStdString() + " -depth 8 rgba:-");
    ASSERT_EQ(keyed.size(), 8u * 4u * 4u) << keyed;
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
        ASSERT_EQ(std::get<0>(Cli({in, "--key", spelling, "--out", out})), 0) << spelling;
        EXPECT_EQ(Gm("convert " + out.toStdString() + " -depth 8 rgba:-"), keyed) << spelling;
    }
    for (const char* spelling : {"-1", "alpha"}) {
        ASSERT_EQ(std::get<0>(Cli({in, "--key", spelling, "--out", out})), 0);
        const std::string opaque = Gm("convert " + out.toStdString() + " -depth 8 rgba:-");
        EXPECT_EQ(opaque.substr(4 * 8 + 4, 4), Rgba(10, 12, 250, 255)) << spelling;
    }

    // A panel takes the largest powers of two that fit; in rostrum mode it rounds up.
    EXPECT_EQ(std::get<1>(Cli({in, "--panel", "--out", out})), "{\"width\": 4, \"height\": 2}\n");
    EXPECT_EQ(std::get<1>(Cli({in, "--panel", "--rostrum", "--out", out})),
              "{\"width\": 8, \"height\": 4}\n");

    // Feathering leaves half-transparent texels on the keyed edge.
    ASSERT_EQ(std::get<0>(Cli({in, "--key", "blue", "--feather", "--out", out})), 0);
    const std::string feathered = Gm("convert " + out.toStdString() + " -depth 8 rgba:-");
    EXPECT_NE(feathered.find(Rgba(200, 0, 0, 127)), std::string::npos);
}

TEST(TexelCli, RefusesBadArguments) {
    QTemporaryDir dir;
    const QString in = dir.path() + "/in.tga", out = dir.path() + "/out.png";
    Picture p;
    Fill(p, 4, 4, 24, [](int, int) { return Bgr{1, 2, 3}; });
    ASSERT_TRUE(p.Save(in, PictureWriteMode::kTarga, nullptr));
    EXPECT_EQ(Cli({in, "--key", "purple", "--out", out}),
              std::tuple(1, "", "quillon-cli: bad key colour: purple\n"));
    EXPECT_EQ(std::get<0>(Cli({in, "--key", "0x1000000", "--out", out})), 1);
    EXPECT_EQ(std::get<0>(Cli({in, "--key", "-2", "--out", out})), 1);
    EXPECT_EQ(std::get<0>(Cli({in, "--key", "0x", "--out", out})), 1);
    EXPECT_EQ(Cli({in}), std::tuple(1, "", "quillon-cli: texels needs --out OUT.png\n"));
    EXPECT_EQ(std::get<0>(Cli({in, "--out", dir.path() + "/out.bmp"})), 1);
    EXPECT_EQ(std::get<0>(Cli({in, "--actor", "--panel", "--out", out})), 1);
    EXPECT_EQ(Cli({dir.path() + "/missing.tga", "--out", out}),
              std::tuple(1, "",
                         "quillon-cli: Error opening graphics file: " + dir.path().toStdString() +
                             "/missing.tga\n"));
    EXPECT_FALSE(QFile::exists(out));
}
