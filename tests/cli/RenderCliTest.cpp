// quillon-cli frame and render without a display: movies checked with ffprobe (frames, rate,
// size, codec), Targa sequences by their names and bytes, PNG frames by their size, refusals
// of bad settings with nothing written, and Ctrl-C leaving a movie that plays.
#include <gtest/gtest.h>
#include <signal.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "CliRun.h"

using namespace quillon::testing;

namespace {

class RenderCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        // A two-scene show of 2 x 60 frames with a camera move.
        ASSERT_EQ(
            Cli({"new", Path("s.shw"), "--scenes", "2", "--length", "60", "--camera-move"}).status,
            0);
    }
    CliRun Cli(const QStringList& args) { return RunCli(Path("profile.ini"), args); }
    // ffprobe's codec_name, width, height, r_frame_rate and nb_read_frames of the first video
    // stream.
    static QStringList Probe(const QString& file) {
        QProcess p;
        p.start("ffprobe",
                {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                 "stream=codec_name,width,height,r_frame_rate,"
                 "nb_read_frames",
                 "-of", "default=noprint_wrappers=1:nokey=1", file});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed().split('\n');
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QStringList Files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(RenderCliTest, MoviesHaveTheirCodecSizeRateAndFrameCount) {
    // The show file comes first; a missing one is the error.
    EXPECT_EQ(Cli({"render", Path("m.avi"), "--codec", "mjpeg", "--size", "160x120"}).status, 1);
    // The whole show (120 frames); 29.97 fps stored as 30 and 29.9 as 29; 15 fps from a 30 fps
    // show takes every other frame of 0:10 to 2:10 (60 frames).
    struct Case {
        QStringList args;
        QStringList probed;  // codec_name, width, height, r_frame_rate, nb_read_frames
    } cases[] = {
        {{"-o", Path("m.avi"), "--codec", "mjpeg", "--size", "160x120"},
         {"mjpeg", "160", "120", "30/1", "120"}},
        {{"-o", Path("a.avi"), "--size", "64x48", "--fps", "29.97", "--start", "0:10", "--end",
          "0:20"},
         {"rawvideo", "64", "48", "30/1", "10"}},
        {{"-o", Path("b.avi"), "--size", "64x48", "--fps", "15", "--start", "0:10", "--end", "2:10",
          "--codec", "ffv1"},
         {"ffv1", "64", "48", "15/1", "30"}},
        {{"-o", Path("c.avi"), "--size", "64x48", "--fps", "29.9", "--end", "0:05", "--codec",
          "mpeg4"},
         {"mpeg4", "64", "48", "29/1", "5"}},
    };
    for (const Case& c : cases) {
        const CliRun r = Cli(QStringList{"render", Path("s.shw")} + c.args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(Probe(c.args[1]), c.probed) << c.args.join(' ').toStdString();
    }
}

TEST_F(RenderCliTest, TargaSequencesNumberFromTheChosenName) {
    ASSERT_EQ(Cli({"render", Path("s.shw"), "-o", Path("take.tga"), "--format", "tga24", "--size",
                   "8x4", "--end", "0:03"})
                  .status,
              0);
    ASSERT_EQ(Cli({"render", Path("s.shw"), "-o", Path("shot99.tga"), "--format", "tga16", "--size",
                   "8x4", "--end", "0:02"})
                  .status,
              0);
    const QStringList want = {"profile.ini",  "s.shw",        "shot0099.tga", "shot0100.tga",
                              "take0000.tga", "take0001.tga", "take0002.tga"};
    EXPECT_EQ(Files(), want);
    // An uncompressed 24-bit Targa, bottom row first: 18-byte header and 8 x 4 x 3 bytes.
    QFile f(Path("take0001.tga"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 18 + 8 * 4 * 3);
    EXPECT_EQ(bytes.left(18), QByteArray("\0\0\2\0\0\0\0\0\0\0\0\0\x08\0\x04\0\x18\0", 18));
}

TEST_F(RenderCliTest, OneFrameAsPng) {
    const CliRun r = Cli({"frame", Path("s.shw"), "--frame", "70", "-o", Path("f.png"), "--size",
                          "320x240", "--reticle"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QImage image(Path("f.png"));
    ASSERT_EQ(image.size(), QSize(320, 240));
    // The 4:3 reticle of a 320 x 240 picture: its left edge is the black line at x = 16.
    EXPECT_EQ(image.pixel(16, 120), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(15, 120), qRgb(255, 255, 255));
}

TEST_F(RenderCliTest, BadSettingsAreRefusedAndNothingIsWritten) {
    const QList<QStringList> bad = {
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--size", "0x10"},
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--size", "4097x100"},
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--fps", "0"},
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--start", "0:10", "--end", "0:10"},
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--end", "5:00"},
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--codec", "gif"},
        {"render", Path("s.shw"), "-o", Path("x.avi"), "--fields", "both"},
        {"frame", Path("s.shw"), "--frame", "120", "-o", Path("x.png")},
        {"frame", Path("s.shw"), "--frame", "-1", "-o", Path("x.png")},
        {"render", Path("missing.shw"), "-o", Path("x.avi")},
    };
    for (const QStringList& args : bad)
        ExpectOneLineError(Cli(args), args);
    EXPECT_EQ(Files(), QStringList({"profile.ini", "s.shw"}));
    const CliRun unwritable =
        Cli({"render", Path("s.shw"), "-o", Path("no/such/folder/x.avi"), "--size", "64x48"});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(unwritable.err.contains("Couldn't write file")) << unwritable.err.toStdString();
}

TEST_F(RenderCliTest, ProfileMovieSettingsAreTheDefaults) {
    QFile profile(Path("profile.ini"));
    ASSERT_TRUE(profile.open(QIODevice::Append | QIODevice::Text));
    profile.write("\n[Movie]\nWidth=96\nHeight=64\nFrameRate=1000\nCodec=2\n");
    profile.close();
    ASSERT_EQ(Cli({"render", Path("s.shw"), "-o", Path("p.avi")}).status, 0);
    // 120 show frames at 3 a step.
    EXPECT_EQ(Probe(Path("p.avi")), QStringList({"ffv1", "96", "64", "10/1", "40"}));
}

TEST_F(RenderCliTest, InterruptClosesTheMovieSoItPlays) {
    // A long show at a large size, so the run is still going when it is interrupted.
    ASSERT_EQ(Cli({"new", Path("long.shw"), "--scenes", "1", "--length", "3000"}).status, 0);
    QProcess p;
    p.start(QStringLiteral(QUILLON_CLI),
            {"--profile", Path("profile.ini"), "render", Path("long.shw"), "-o", Path("i.avi"),
             "--size", "640x480", "--codec", "mjpeg"});
    ASSERT_TRUE(p.waitForStarted());
    // Wait until frames are being written.
    for (int i = 0; i < 200 && QFile(Path("i.avi")).size() < 200000; ++i)
        QThread::msleep(50);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 130) << p.readAllStandardError().toStdString();
    const int frames = Probe(Path("i.avi")).value(4).toInt();
    EXPECT_GT(frames, 0);
    EXPECT_LT(frames, 3000);
}

TEST_F(RenderCliTest, MissingPicturesRenderWhatTheyCan) {
    // The demo without its brick texture and its figure: walls in their colour, the figure
    // as a plain card, and a warning for each missing file.
    const QDir demo(QStringLiteral(QUILLON_SOURCE_DIR "/data/demo"));
    for (const QString& f : demo.entryList(QDir::Files))
        ASSERT_TRUE(f == "brick.png" || f == "figure.png" ||
                    QFile::copy(demo.filePath(f), Path(f)));
    const CliRun r =
        Cli({"frame", Path("demo.shw"), "--frame", "60", "-o", Path("m.png"), "--size", "160x108"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("brick.png")) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("figure.png")) << r.err.toStdString();
    EXPECT_EQ(QImage(Path("m.png")).size(), QSize(160, 108));
}
