// quillon-cli sound, play and render --sound as a user runs them: the clip's numbers as JSON
// and the messages of broken files; the real play loop offscreen (its trace, the ends, the
// frame-rate report, the sound recorded beside the frames); and movies that carry the show's
// sound, checked with ffprobe and ffmpeg's own decoding.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "../model/ScriptedHost.h"
#include "../player/WaveBytes.h"
#include "CliRun.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

class PlayCliTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    CliRun Cli(const QStringList& args) { return RunCli(Path("profile.ini"), args); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QString Wave(const QString& name, const std::string& bytes) {
        EXPECT_TRUE(WriteBytes(Path(name), bytes));
        return Path(name);
    }
    // A one-scene show of `length` frames at 30 fps with sound tracks (start, end, file).
    QString Show(int length, const std::vector<std::tuple<int, int, QString>>& tracks) {
        const QString show = Path("s.shw");
        EXPECT_EQ(Cli({"new", show, "--length", QString::number(length)}).status, 0);
        Profile profile(Path("edit.ini"));
        ScriptedHost host;
        Document doc(profile, host);
        ShowFiles files(doc);
        EXPECT_TRUE(files.ReadShow(show));
        for (const auto& [start, end, file] : tracks) {
            auto* track = new ShowNode;
            track->kind = NodeKind::SoundTrack;
            track->startFrame = start;
            track->endFrame = end;
            track->SetFileName(ToRecordText(file));
            doc.root().children[0]->AddChild(track, false);
        }
        EXPECT_TRUE(files.WriteShow(show));
        return show;
    }
    // The first audio stream decoded by ffmpeg as 16-bit little-endian samples.
    static QByteArray DecodedSound(const QString& movie) {
        QProcess p;
        p.start("ffmpeg", {"-v", "error", "-i", movie, "-map", "0:a:0", "-f", "s16le", "-"});
        p.waitForFinished(60000);
        return p.readAllStandardOutput();
    }
    static QString Probe(const QString& movie, const QString& entries) {
        QProcess p;
        p.start("ffprobe", {"-v", "error", "-show_entries", entries, "-of",
                            "default=noprint_wrappers=1", movie});
        p.waitForFinished(60000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
    QTemporaryDir dir;
};

QJsonObject Json(const QByteArray& line) {
    QJsonParseError error;
    const QJsonObject o = QJsonDocument::fromJson(line, &error).object();
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
    return o;
}

}  // namespace

TEST_F(PlayCliTest, SoundPrintsTheClipsNumbers) {
    const QString mono = Wave("m.wav", PcmWave(Ramp(16000)));
    const QString stereo = Wave("st.wav", PcmWave(Ramp(352800), 2, 44100, 16));
    const QString adpcm = Wave("ad.wav", Riff(Chunk("fmt ", FmtBody(2, 1, 22050, 11100, 512, 4)) +
                                              Chunk("data", Ramp(11100))));
    struct Case {
        QStringList args;
        QString json;
    } cases[] = {
        {{mono},
         R"({"formatTag": 1, "channels": 1, "samplesPerSecond": 8000, "avgBytesPerSecond": 8000, "blockAlign": 1, "bitsPerSample": 8, "dataSize": 16000, "frames": 60, "offset": 0})"},
        {{mono, "--from", "30"},
         R"({"formatTag": 1, "channels": 1, "samplesPerSecond": 8000, "avgBytesPerSecond": 8000, "blockAlign": 1, "bitsPerSample": 8, "dataSize": 16000, "frames": 60, "offset": 8000})"},
        {{mono, "--rate", "2400", "--from", "12"},
         R"({"formatTag": 1, "channels": 1, "samplesPerSecond": 8000, "avgBytesPerSecond": 8000, "blockAlign": 1, "bitsPerSample": 8, "dataSize": 16000, "frames": 48, "offset": 4000})"},
        {{stereo, "--rate", "2997", "--from", "31"},
         R"({"formatTag": 1, "channels": 2, "samplesPerSecond": 44100, "avgBytesPerSecond": 176400, "blockAlign": 4, "bitsPerSample": 16, "dataSize": 352800, "frames": 59, "offset": 188564})"},
        {{adpcm},
         R"({"formatTag": 2, "channels": 1, "samplesPerSecond": 22050, "avgBytesPerSecond": 11100, "blockAlign": 512, "bitsPerSample": 0, "dataSize": 11100, "frames": 30, "offset": 0})"},
    };
    for (const auto& c : cases) {
        const CliRun r = Cli(QStringList{"sound"} + c.args);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out.trimmed().toStdString(), c.json.toStdString())
            << c.args.join(' ').toStdString();
    }
}

TEST_F(PlayCliTest, SoundRefusesBrokenFiles) {
    const std::pair<std::string, const char*> cases[] = {
        {"RIFX" + PcmWave("ab").substr(4), "Not a valid RIFF file"},
        {Riff(Chunk("data", "ab"), -1, "AVI "), "Not a valid WAV file"},
        {PcmWave(Ramp(100)).substr(0, 30), "Couldn't read sound file"},
        {Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8000, 1, 8))), "Couldn't read sound file"},
    };
    for (const auto& [bytes, message] : cases) {
        const CliRun r = Cli({"sound", Wave("bad.wav", bytes)});
        ExpectOneLineError(r);
        EXPECT_EQ(r.err.trimmed(), QByteArray("quillon-cli: ") + message);
    }
    const CliRun missing = Cli({"sound", Path("none.wav")});
    ExpectOneLineError(missing);
    EXPECT_TRUE(missing.err.contains("Couldn't read sound file"));
    const CliRun past = Cli({"sound", Wave("m.wav", PcmWave(Ramp(8000))), "--from", "30"});
    ExpectOneLineError(past);
    EXPECT_TRUE(past.err.contains("Nothing to play from frame 30")) << past.err.toStdString();
}

TEST_F(PlayCliTest, PlayTracesTicksAndStopsAtTheEnds) {
    const QString show = Show(90, {});
    // From 2:20 (frame 80) to the end: every tick's frame, rising, the last 89, in real time.
    QElapsedTimer wall;
    wall.start();
    const CliRun r =
        Cli({"play", show, "--start", "2:20", "--trace", "--test-rate", "--size", "64x48"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const QList<QByteArray> lines = r.out.trimmed().split('\n');
    ASSERT_GE(lines.size(), 11);
    int64_t lastTick = 0, lastUs = -1;
    int lastFrame = 80;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QJsonObject tick = Json(lines[i]);
        EXPECT_EQ(tick.keys(), (QStringList{"frame", "tick", "us"}));
        EXPECT_EQ(tick["tick"].toInteger(), lastTick + 1);
        EXPECT_GE(tick["frame"].toInt(), lastFrame);
        EXPECT_GE(tick["us"].toInteger(), lastUs);
        lastTick = tick["tick"].toInteger();
        lastFrame = tick["frame"].toInt();
        lastUs = tick["us"].toInteger();
    }
    EXPECT_EQ(lastFrame, 89);
    // Nine frame periods of 1/30 s at least went by before the last frame was due.
    EXPECT_GE(lastUs, 9 * 33333);
    EXPECT_GE(wall.elapsed(), 300);
    EXPECT_TRUE(lines.last().startsWith("Frame rate is ")) << lines.last().toStdString();
    EXPECT_TRUE(lines.last().endsWith(QByteArray(" frames")));

    // Backwards from 0:05, to frame 0; --end stops forward play at its frame; a range loops
    // until the time is up.
    struct Case {
        QStringList args;
        int first, last;
    } cases[] = {
        {{"--mode", "-1", "--start", "0:05"}, 5, 0},
        {{"--start", "1:00", "--end", "1:06"}, 30, 36},
        {{"--range", "0:10", "0:12", "--start", "0:10", "--seconds", "0.5"}, 10, -1},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(QStringList{"play", show, "--trace", "--size", "64x48"} + c.args);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QList<QByteArray> ticks = run.out.trimmed().split('\n');
        EXPECT_EQ(Json(ticks.first())["frame"].toInt(), c.first);
        if (c.last >= 0) {
            EXPECT_EQ(Json(ticks.last())["frame"].toInt(), c.last);
            continue;
        }
        // The range: only its three frames, and all of them again and again.
        QSet<int> seen;
        for (const QByteArray& line : ticks)
            seen.insert(Json(line)["frame"].toInt());
        EXPECT_EQ(seen, (QSet<int>{10, 11, 12}));
    }
    // Bad options are refused before anything plays.
    for (const QStringList& bad : {QStringList{"--mode", "0"},
                                   {"--start", "9:00"},
                                   {"--range", "0:10"},
                                   {"--seconds", "-1"}})
        ExpectOneLineError(Cli(QStringList{"play", show} + bad), bad);
}

TEST_F(PlayCliTest, PlayRecordsTheSoundItPlays) {
    const std::string data = Ramp(16000);  // two seconds at 8000 bytes a second
    const QString clip = Wave("c.wav", PcmWave(data));
    // The track from frame 6; play from frame 36, one second into the clip: its last second is
    // recorded, in its own format. A missing file plays nothing and the show goes on.
    const QString show = Show(75, {{6, 70, clip}, {70, 75, Path("missing.wav")}});
    const CliRun r =
        Cli({"play", show, "--start", "1:06", "--audio-out", Path("out.wav"), "--size", "64x48"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QFile out(Path("out.wav"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QByteArray recorded = out.readAll();
    EXPECT_EQ(std::string(recorded.constData(), size_t(recorded.size())),
              PcmWave(data.substr(8000)));
    // To the sound device: with none (as here, unless the machine has a sound server) play goes
    // on silently.
    const CliRun device = Cli({"play", show, "--start", "2:00", "--size", "64x48"});
    EXPECT_EQ(device.status, 0) << device.err.toStdString();
    EXPECT_FALSE(device.err.contains("Error opening")) << device.err.toStdString();
    // Without sound nothing is recorded.
    const CliRun silent = Cli({"play", show, "--start", "1:06", "--audio-out", Path("none.wav"),
                               "--no-audio", "--size", "64x48"});
    EXPECT_EQ(silent.status, 0);
    EXPECT_FALSE(QFile::exists(Path("none.wav")));
}

TEST_F(PlayCliTest, RenderedMoviesCarryTheShowsSound) {
    // 16-bit stereo at 22050: 1.5 s of sound on a track from frame 15 (0.5 s) in a 3 s show.
    const int rate = 22050, bytesPerFrame = 4;
    const std::string data = Ramp(size_t(rate) * 3 / 2 * bytesPerFrame);
    const QString show = Show(90, {{15, 80, Wave("c.wav", PcmWave(data, 2, rate, 16))}});
    struct Case {
        QStringList args;
        int soundSeconds100;  // the stream's length, hundredths of a second
    } cases[] = {
        {{"--fps", "30"}, 300},
        // 24 movie frames a second step the show 1.25 frames each: still 3 s, still in step.
        {{"--fps", "24"}, 300},
    };
    for (const auto& c : cases) {
        const QString movie = Path("m.avi");
        QFile::remove(movie);
        const CliRun r = Cli(QStringList{"render", show, "-o", movie, "--size", "64x48", "--codec",
                                         "mjpeg", "--sound"} +
                             c.args);
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(Probe(movie, "stream=codec_type,codec_name,sample_rate,channels")
                      .count("codec_type=audio"),
                  1);
        EXPECT_TRUE(Probe(movie, "stream=codec_name").contains("pcm_s16le"));
        const QByteArray sound = DecodedSound(movie);
        EXPECT_EQ(sound.size(), qsizetype(rate) * c.soundSeconds100 / 100 * bytesPerFrame);
        // Silence before the track's start; from it on, the clip's own samples.
        const qsizetype at = qsizetype(rate) / 2 * bytesPerFrame;
        EXPECT_EQ(sound.left(at), QByteArray(at, '\0'));
        EXPECT_EQ(sound.mid(at, qsizetype(data.size())),
                  QByteArray(data.data(), qsizetype(data.size())));
        EXPECT_EQ(sound.mid(at + qsizetype(data.size())),
                  QByteArray(sound.size() - at - qsizetype(data.size()), '\0'));
    }
    // Without --sound, no sound stream; Targa frames and fields are made without it, with a
    // note.
    ASSERT_EQ(Cli({"render", show, "-o", Path("n.avi"), "--size", "64x48"}).status, 0);
    EXPECT_FALSE(Probe(Path("n.avi"), "stream=codec_type").contains("audio"));
    for (const QStringList& other : {QStringList{"--format", "tga24", "-o", Path("t.tga")},
                                     QStringList{"--fields", "even", "-o", Path("f.avi")}}) {
        const CliRun r =
            Cli(QStringList{"render", show, "--size", "64x48", "--end", "0:02", "--sound"} + other);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains("note:")) << r.err.toStdString();
    }
}
