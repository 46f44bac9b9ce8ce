// quillon-cli movie: the JSON it prints, the frame it saves and how it fails.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "MovieTestUtil.h"
#include "pictures/MovieSource.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

std::tuple<int, std::string, std::string> Cli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(QUILLON_CLI), QStringList{"movie"} + args);
    process.waitForFinished(30000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

}  // namespace

TEST(MovieCli, PrintsTheMovieSavesAFrameAndFails) {
    QTemporaryDir dir;
    const QString matte = dir.path() + "/matte.avi", plain = dir.path() + "/plain.avi";
    ASSERT_TRUE(MakeMovie(matte.toStdString(), 33, 7, 20, kLossless + kAlphaTitle));
    ASSERT_TRUE(MakeMovie(plain.toStdString(), 33, 7, 20, kLossless));
    EXPECT_EQ(Cli({matte}),
              std::tuple(0,
                         "{\"frames\": 10, \"width\": 33, \"height\": 7, \"alphaInterleave\": "
                         "true}\n",
                         ""));

    // The saved files are what Save makes of the frame MovieSource decodes.
    const QString tga = dir.path() + "/frame.tga", bmp = dir.path() + "/frame.bmp";
    EXPECT_EQ(std::get<0>(Cli({matte, "--frame", "6", "--save", tga})), 0);
    Picture p;
    ASSERT_EQ(MovieSource::LoadFrame(matte, 6, &p), 10);
    ASSERT_TRUE(FrameIs(p, 33, 7, 12, 13));
    const std::string saved = ReadFileBytes(tga.toStdString());
    EXPECT_EQ(saved, WriteBytes(p, PictureWriteMode::kTarga));
    ASSERT_GT(saved.size(), 16u);
    EXPECT_EQ(saved[16], 32);  // a 32-bit Targa with the matte as alpha

    EXPECT_EQ(Cli({plain, "--frame", "19", "--save", bmp}),
              std::tuple(0,
                         "{\"frames\": 20, \"width\": 33, \"height\": 7, \"alphaInterleave\": "
                         "false}\n",
                         ""));
    ASSERT_EQ(MovieSource::LoadFrame(plain, 19, &p), 20);
    EXPECT_EQ(ReadFileBytes(bmp.toStdString()), WriteBytes(p, PictureWriteMode::kBmp));

    const QString garbage = dir.path() + "/garbage.avi";
    WriteFileBytes(garbage.toStdString(), "RIFF but not much else");
    EXPECT_EQ(Cli({garbage}),
              std::tuple(1, "", "quillon-cli: cannot open movie: " + garbage.toStdString() + "\n"));
    EXPECT_EQ(Cli({matte, "--frame", "10", "--save", tga}),
              std::tuple(1, "", "quillon-cli: frame 10 is outside the movie's 10 frames\n"));
    const std::string nowhere = dir.path().toStdString() + "/no/such/folder.tga";
    EXPECT_EQ(Cli({matte, "--frame", "1", "--save", QString::fromStdString(nowhere)}),
              std::tuple(1, "", "quillon-cli: Error opening graphics file: " + nowhere + "\n"));
    EXPECT_EQ(std::get<0>(Cli({matte, "--frame", "1"})), 1);  // --frame without --save
    EXPECT_EQ(std::get<0>(Cli({matte, plain})), 1);
}
