// quillon-cli picture: the JSON it prints, the files it saves and how it fails.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "PictureTestUtil.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

std::tuple<int, std::string, std::string> Cli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QUILLON_CLI), QStringList{"picture"} + args);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

}  // namespace

TEST(PictureCli, PrintsTheBufferSavesAndFails) {
    QTemporaryDir dir;
    const QString tga = dir.path() + "/in.tga", out = dir.path() + "/out.bmp";
    WriteFileBytes(tga.toStdString(), TargaHeader(100, 50, 24) + std::string(15000, '\x21'));
    EXPECT_EQ(Cli({tga, "--step", "2"}),
              std::tuple(0,
                         "{\"width\": 128, \"height\": 64, \"bits\": 24, \"sourceWidth\": 100, "
                         "\"sourceHeight\": 50}\n",
                         ""));
    Picture p;
    ASSERT_TRUE(p.Load(tga, {}, nullptr));
    for (auto [mode, expected] : {std::pair{"0", WriteBytes(p, PictureWriteMode::kBmp)},
                                  {"1", WriteBytes(p, PictureWriteMode::kTarga)}}) {
        EXPECT_EQ(std::get<0>(Cli({tga, "--save", out, "--mode", mode})), 0);
        EXPECT_EQ(ReadFileBytes(out.toStdString()), expected) << "mode " << mode;
    }

    const QString bad = dir.path() + "/bad.tga";
    WriteFileBytes(bad.toStdString(), TargaHeader(4, 4, 24, 10));
    EXPECT_EQ(Cli({bad}), std::tuple(1, "",
                                     "quillon-cli: Not a valid BMP or TGA file!; Error loading "
                                     "graphics file: " +
                                         bad.toStdString() + "\n"));
    EXPECT_EQ(std::get<2>(Cli({dir.path() + "/missing.jpg"})),
              "quillon-cli: cannot load picture: " + dir.path().toStdString() + "/missing.jpg\n");
    EXPECT_EQ(std::get<0>(Cli({tga, "--mode", "1"})), 1);  // --mode without --save
}
