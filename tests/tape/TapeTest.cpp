// The tape recorder's protocol bytes and replies, the link against a recorder emulated on a
// pseudo-terminal, the edit logs byte for byte, and the AVI batch's timecodes and file names.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstring>
#include <memory>

#include "../model/ScriptedHost.h"
#include "VtrEmulator.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "tape/Batch.h"
#include "tape/EditLog.h"
#include "tape/VtrLink.h"
#include "tape/VtrProtocol.h"

using namespace quillon;
using namespace quillon::testing;
using Bytes = std::vector<uint8_t>;

namespace {

QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Stops a wait after a number of polls.
struct PollLimit final : WaitControl {
    explicit PollLimit(int n) : left(n) {}
    bool StopRequested() override { return left-- <= 0; }
    int left;
};

}  // namespace

TEST(VtrProtocol, CommandPackets) {
    const struct {
        Bytes packet, expected;
    } cases[] = {
        // EDIT PRESET for video and both audio tracks.
        {vtr::CommandPacket(0x42, 0x30, {vtr::TrackByte(true, true, true)}),
         {0x42, 0x30, 0x53, 0xC5}},
        {vtr::CommandPacket(0x42, 0x30, {vtr::TrackByte(false, false, false)}),
         {0x42, 0x30, 0x40, 0xB2}},
        // An in point typed as 1:0:0:0.
        {vtr::CommandPacket(0x44, 0x14,
                            [] {
                                const auto tc = vtr::TimecodeBytes("01:00:00:00");
                                return Bytes(tc.begin(), tc.end());
                            }()),
         {0x44, 0x14, 0x00, 0x00, 0x00, 0x01, 0x59}},
        {vtr::CommandPacket(0x20, 0x00), {0x20, 0x00, 0x20}},
        {vtr::CommandPacket(0x20, 0x42), {0x20, 0x42, 0x62}},
        {vtr::CommandPacket(0x61, 0x20, {0x07}), {0x61, 0x20, 0x07, 0x88}},
        // The sum wraps at 256.
        {vtr::CommandPacket(0x41, 0xF0, {0x20}), {0x41, 0xF0, 0x20, 0x51}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.packet, c.expected);
    const auto tc = vtr::TimecodeBytes("01:23:45:12");
    EXPECT_EQ(Bytes(tc.begin(), tc.end()), (Bytes{0x12, 0x45, 0x23, 0x01}));
}

TEST(VtrProtocol, Replies) {
    const struct {
        Bytes bytes;
        vtr::Reply::Kind kind;
        bool ok;
    } cases[] = {
        {{0x10, 0x01, 0x11}, vtr::Reply::kAck, true},
        {{0x10, 0x01, 0x12}, vtr::Reply::kBad, false},  // bad checksum
        {{0x11, 0x12, 0x01, 0x24}, vtr::Reply::kNak, false},
        {{0x10, 0x01}, vtr::Reply::kBad, false},        // half a packet
        {{0x72, 0x20, 0x00}, vtr::Reply::kBad, false},  // says 2 data bytes, has none
        {{0x20, 0x00, 0x20, 0xFF}, vtr::Reply::kOther, true},
        {{}, vtr::Reply::kBad, false},
    };
    for (const auto& c : cases) {
        const vtr::Reply r = vtr::DecodeReply(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(r.kind, c.kind);
        EXPECT_EQ(r.ok(), c.ok);
    }
    // Status: the record bit is bit 1 of status byte 1, packet byte 3.
    const Bytes status = vtr::CommandPacket(0x75, 0x20, {0x00, 0x02, 0x00, 0x00, 0x00});
    const vtr::Reply s = vtr::DecodeReply(status.data(), status.size());
    ASSERT_EQ(s.kind, vtr::Reply::kStatus);
    EXPECT_EQ(s.status[1], 0x02);
    // Time data: flag bits masked off: hours & 0x3F, minutes & 0x7F, seconds & 0x7F, frames &
    // 0x3F.
    const Bytes time = vtr::CommandPacket(0x74, 0x04, {0xD2, 0xC5, 0xA3, 0xC1});
    const vtr::Reply t = vtr::DecodeReply(time.data(), time.size());
    ASSERT_EQ(t.kind, vtr::Reply::kTime);
    EXPECT_EQ(t.time, "01:23:45:12");
}

TEST(VtrLink, RecordsOnAnEmulatedRecorder) {
    VtrEmulator recorder(2);
    ASSERT_FALSE(recorder.device().empty());
    VtrLink link;
    link.settle = std::chrono::milliseconds(10);
    ASSERT_TRUE(link.Open(QString::fromStdString(recorder.device())));
    // A second open fails and leaves the first alone.
    EXPECT_FALSE(link.Open(QString::fromStdString(recorder.device())));
    VtrLink other;
    other.settle = std::chrono::milliseconds(0);
    EXPECT_FALSE(other.Open(QString::fromStdString(recorder.device())));
    ASSERT_TRUE(link.isOpen());

    ASSERT_TRUE(link.PresetAndRecord("1:0:0:0", "2:0:0:0", 3000, true, false, true));
    PollLimit enough(20);
    EXPECT_TRUE(link.WaitForRecord(enough));
    EXPECT_TRUE(link.Stop());
    for (int i = 0; i < 50 && recorder.packets().size() < 8; ++i)
        QThread::msleep(10);
    const std::vector<Bytes> expected = {
        {0x42, 0x30, 0x52, 0xC4},
        {0x44, 0x14, 0x00, 0x00, 0x00, 0x01, 0x59},
        {0x44, 0x15, 0x00, 0x00, 0x00, 0x02, 0x5B},
        {0x20, 0x42, 0x62},
        {0x61, 0x20, 0x07, 0x88},  // three polls: recording at the third
        {0x61, 0x20, 0x07, 0x88},
        {0x61, 0x20, 0x07, 0x88},
        {0x20, 0x00, 0x20},
    };
    EXPECT_EQ(recorder.packets(), expected);
    link.Close();
    EXPECT_FALSE(link.isOpen());
    EXPECT_FALSE(VtrLink().Open("/dev/no-such-recorder"));
}

TEST(VtrLink, ABadRecorderNeverCountsAsRecording) {
    for (const auto answer : {VtrEmulator::Answer::kNak, VtrEmulator::Answer::kBadChecksum,
                              VtrEmulator::Answer::kHalfPacket, VtrEmulator::Answer::kGarbage,
                              VtrEmulator::Answer::kSilent}) {
        VtrEmulator recorder(0, answer);
        VtrLink link;
        link.settle = std::chrono::milliseconds(0);
        ASSERT_TRUE(link.Open(QString::fromStdString(recorder.device())));
        PollLimit three(3);
        EXPECT_FALSE(link.WaitForRecord(three)) << int(answer);
        EXPECT_FALSE(link.Status().has_value()) << int(answer);
    }
}

TEST(EditLog, AleAndEdlByteForByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* name;
        QByteArray expected;
    } cases[] = {
        {"shows.ale",
         "Heading\r\nFIELD_"
         "DELIM\tTABS\r\nFPS\t30\r\n\r\nColumn\r\nStart\tEnd\tName\tTracks\tTape\r\n"
         "\r\nData\r\n"
         "01:00:00:00\t01:00:19:29\tINTRO\tVA1A2\t001\r\n"
         "01:00:20:00\t01:00:39:29\tINTRO Reverse Motion\tVA1A2\t001\r\n"},
        {"shows.edl",
         "001  001      AA/V           01:00:00:00 01:00:19:29 01:00:00:00 01:00:19:29 \r\n"
         "NOTE: INTRO \r\n\r\n"
         "002  001      AA/V           01:00:20:00 01:00:39:29 01:00:20:00 01:00:39:29 \r\n"
         "NOTE: INTRO Reverse Motion \r\n\r\n"},
        {"SHOWS.ALE", ""},
        {"shows.log", ""},
    };
    for (const auto& c : cases) {
        EditLog log;
        ASSERT_TRUE(log.Open(dir.filePath(c.name), 3000));
        log.Add("01:00:00:00", "01:00:19:29", "INTRO");
        log.Add("01:00:20:00", "01:00:39:29", "INTRO Reverse Motion");
        EXPECT_EQ(FileBytes(dir.filePath(c.name)), c.expected) << c.name;
    }
    EditLog none;
    EXPECT_FALSE(none.Open(dir.filePath("no/such/folder/x.ale"), 3000));
}

TEST(Batch, NamesHoldsAndRefusals) {
    const std::pair<QString, QString> names[] = {
        {"/shows/intro.shw", "/shows/intro.avi"},
        {"/my.shows/intro.shw", "/my.avi"},  // cut at the first "." of the whole path
        {"noext", "noext.avi"},
    };
    for (const auto& [show, avi] : names)
        EXPECT_EQ(BatchAviName(show, false), avi);
    EXPECT_EQ(BatchAviName("/shows/intro.shw", true), "/shows/introR.avi");
    EXPECT_EQ(BatchShowName("/shows/intro.take2.shw"), "intro");
    EXPECT_EQ(BatchShowName("/my.shows/intro.shw"), "intro");  // the folder goes first
    EXPECT_EQ(HoldFrames(3, 2500), 75);
    EXPECT_EQ(HoldFrames(3, 2997), 89);
    BatchSettings settings;
    for (int i = 0; i < 257; ++i)
        settings.shows << QStringLiteral("s%1.shw").arg(i);
    EXPECT_FALSE(settings.Refusal().isEmpty());
    settings.shows.removeLast();
    EXPECT_TRUE(settings.Refusal().isEmpty());
    settings.endHold = 101;
    EXPECT_FALSE(settings.Refusal().isEmpty());
}

namespace {

// Frames as the movie maker reads them: one grey picture, whatever the frame.
struct GreySource final : MovieFrameSource {
    void RenderFrame(bool) override {}
    void SwapNow() override {}
    bool ReadPixels(int width, int height, uint8_t* bgra) override {
        std::memset(bgra, 128, size_t(width) * size_t(height) * 4);
        return true;
    }
};

}  // namespace

TEST(Batch, AviPassesFollowOneAnotherOnTheTapesTimecode) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Profile profile(dir.filePath("p.ini"));
    profile.WriteInt("System", "FrameRate", 2500);
    ScriptedHost host;
    Document doc(profile, host);
    ShowFiles files(doc);
    // Two shows of 250 frames at 25 fps.
    QStringList shows;
    for (const char* name : {"one.shw", "two.shw"}) {
        doc.Reset(false);
        while (doc.root().childCount() > 0)
            doc.root().RemoveChild(0);
        doc.NewScene(250);
        doc.SetShowPath(dir.filePath(name));
        ASSERT_TRUE(files.WriteShow(dir.filePath(name)));
        shows << dir.filePath(name);
    }
    BatchSettings settings;
    settings.shows = shows;
    settings.makeAvi = true;
    settings.reverse = true;
    settings.startTimecode = 90000;  // one hour at 25 fps
    settings.logName = dir.filePath("log.ale");
    MovieJob movie;
    movie.width = 16;
    movie.height = 8;
    movie.frameRate = 25;
    GreySource source;
    MovieProgress quiet;
    BatchProgress report;
    const BatchResult result = RunAviBatch(doc, files, settings, movie, source, quiet, report);
    ASSERT_TRUE(result.completed) << result.error.toStdString();
    EXPECT_EQ(result.passes, 4);
    // Holds of 3 and 3 seconds: 75 + 250 + 75 = 400 frames a pass.
    EXPECT_EQ(FileBytes(dir.filePath("log.ale")).split('\n').mid(8).join('\n').toStdString(),
              "01:00:00:00\t01:00:16:00\tone\tVA1A2\t001\r\n"
              "01:00:16:00\t01:00:32:00\tone Reverse Motion\tVA1A2\t001\r\n"
              "01:00:32:00\t01:00:48:00\ttwo\tVA1A2\t001\r\n"
              "01:00:48:00\t01:01:04:00\ttwo Reverse Motion\tVA1A2\t001\r\n");
    for (const char* avi : {"one.avi", "oneR.avi", "two.avi", "twoR.avi"})
        EXPECT_TRUE(QFile::exists(dir.filePath(avi))) << avi;
    // A show that cannot be read ends the batch there, naming it.
    settings.shows = {shows[0], dir.filePath("missing.shw"), shows[1]};
    settings.logName = "None";
    const BatchResult broken = RunAviBatch(doc, files, settings, movie, source, quiet, report);
    EXPECT_FALSE(broken.completed);
    EXPECT_EQ(broken.failedShow, dir.filePath("missing.shw"));
    EXPECT_EQ(broken.passes, 2);
}

namespace {

// The monitor, player and operator of a tape batch on a clock of their own: waits and plays
// move the clock on, a play runs the whole show (or stops where told).
struct ScriptedStage final : TapeStage {
    Document& doc;
    int64_t now = 0;
    int stopAt = -1;  // a forward play stops here when set
    QStringList said;
    std::vector<int> drawn;
    int finished = 0, beeps = 0;
    bool fullScreen = false;
    PollLimit keyPress{1000};

    explicit ScriptedStage(Document& d) : doc(d) {}
    void EnterFullScreen() override { fullScreen = true; }
    void LeaveFullScreen() override { fullScreen = false; }
    bool AskForRecord(const QString& message) override {
        said << message;
        return true;
    }
    void Beep() override { ++beeps; }
    void DrawFrame(int frame) override { drawn.push_back(frame); }
    void PaintSlate(const QString& name) override { said << "slate " + name; }
    void Wait(int ms) override { now += ms; }
    int Play(int mode) override {
        const int end = doc.TotalFrames();
        now += int64_t(end) * 1000 / 25;
        return mode > 0 ? (stopAt >= 0 ? stopAt : end - 1) : 0;
    }
    WaitControl& recordWait() override { return keyPress; }
    int64_t NowMs() override { return now; }
    void PassStarted(int, const QString& name, bool) override { said << "pass " + name; }
    void Finished() override { ++finished; }
};

struct TapeBatch : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<ShowFiles> files;
    BatchSettings settings;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        profile->WriteInt("System", "FrameRate", 2500);
        doc = std::make_unique<Document>(*profile, host);
        files = std::make_unique<ShowFiles>(*doc);
        // Two shows of 250 frames, their active cameras keyed at the first frame only.
        for (const char* name : {"one.shw", "two.shw"}) {
            doc->Reset(false);
            while (doc->root().childCount() > 0)
                doc->root().RemoveChild(0);
            doc->NewScene(250);
            doc->SetShowPath(dir.filePath(name));
            ASSERT_TRUE(files->WriteShow(dir.filePath(name)));
            settings.shows << dir.filePath(name);
        }
        settings.startText = "1:0:0:0";
        settings.startTimecode = 90000;
        settings.reverse = true;
        settings.video = true;
        settings.audio2 = true;
        settings.logName = dir.filePath("log.edl");
    }
};

}  // namespace

TEST_F(TapeBatch, TwoShowsOnARecorderForwardsAndBackwards) {
    VtrEmulator recorder(1);
    VtrLink link;
    link.settle = std::chrono::milliseconds(10);
    ScriptedStage stage(*doc);
    const BatchResult result = RunTapeBatch(*doc, *files, settings, link,
                                            QString::fromStdString(recorder.device()), stage);
    ASSERT_TRUE(result.completed) << result.error.toStdString();
    EXPECT_EQ(result.passes, 4);
    for (int i = 0; i < 50 && recorder.packets().size() < 7; ++i)
        QThread::msleep(10);
    const std::vector<Bytes> expected = {
        {0x42, 0x30, 0x52, 0xC4},                    // video and audio 2
        {0x44, 0x14, 0x00, 0x00, 0x00, 0x01, 0x59},  // in 01:00:00:00
        {0x44, 0x15, 0x00, 0x00, 0x00, 0x02, 0x5B},  // out an hour later
        {0x20, 0x42, 0x62},                          // auto edit
        {0x61, 0x20, 0x07, 0x88},                    // not yet recording
        {0x61, 0x20, 0x07, 0x88},                    // recording
        {0x20, 0x00, 0x20},                          // STOP at the end
    };
    EXPECT_EQ(recorder.packets(), expected);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(stage.beeps, 1);
    EXPECT_EQ(stage.finished, 1);
    EXPECT_FALSE(stage.fullScreen);
    EXPECT_EQ(stage.said, QStringList({"slate ONE", "pass one", "pass one Reverse Motion",
                                       "slate TWO", "pass two", "pass two Reverse Motion"}));
    // Each show: 15 ms at the camera's one key, 2 s of slate, 15 ms again; then 3 s + 10 s +
    // 3 s a pass. In is the time on the tape since recording began; Out the frame before the
    // time after the end hold.
    EXPECT_EQ(FileBytes(dir.filePath("log.edl")).toStdString(),
              "001  001      AA/V           01:00:02:00 01:00:17:24 01:00:02:00 01:00:17:24 \r\n"
              "NOTE: one \r\n\r\n"
              "002  001      AA/V           01:00:18:00 01:00:33:24 01:00:18:00 01:00:33:24 \r\n"
              "NOTE: one Reverse Motion \r\n\r\n"
              "003  001      AA/V           01:00:36:01 01:00:52:00 01:00:36:01 01:00:52:00 \r\n"
              "NOTE: two \r\n\r\n"
              "004  001      AA/V           01:00:52:01 01:01:08:00 01:00:52:01 01:01:08:00 \r\n"
              "NOTE: two Reverse Motion \r\n\r\n");
    // The warm-up visits the key and comes back to where the show stood, twice a show.
    EXPECT_EQ(stage.drawn, (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0}));
    // The document holds a new show at the end.
    EXPECT_EQ(doc->root().childCount(), 1);
    EXPECT_EQ(doc->TotalFrames(), 300);
    EXPECT_TRUE(doc->path().isEmpty());
}

TEST_F(TapeBatch, EndingsThatComeEarly) {
    {
        // No port: nothing is sent anywhere, the operator is asked with the text as typed.
        VtrLink link;
        ScriptedStage stage(*doc);
        settings.logName = "None";
        const BatchResult result = RunTapeBatch(*doc, *files, settings, link, QString(), stage);
        EXPECT_TRUE(result.completed);
        EXPECT_EQ(stage.said.first(), "Put VTR into Record  at 1:0:0:0");
        EXPECT_EQ(stage.beeps, 0);
        EXPECT_FALSE(link.isOpen());
    }
    {
        // A show stopped well before its end: no line for it, STOP, the batch over.
        VtrEmulator recorder(0);
        VtrLink link;
        link.settle = std::chrono::milliseconds(10);
        ScriptedStage stage(*doc);
        settings.logName = dir.filePath("log.edl");
        stage.stopAt = 200;
        const BatchResult result = RunTapeBatch(*doc, *files, settings, link,
                                                QString::fromStdString(recorder.device()), stage);
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.failedShow, settings.shows[0]);
        EXPECT_EQ(result.passes, 0);
        EXPECT_EQ(FileBytes(dir.filePath("log.edl")), "");
        for (int i = 0; i < 50 && recorder.packets().size() < 6; ++i)
            QThread::msleep(10);
        ASSERT_FALSE(recorder.packets().empty());
        EXPECT_EQ(recorder.packets().back(), (Bytes{0x20, 0x00, 0x20}));
        EXPECT_EQ(stage.finished, 1);
        // Stopping three frames short still counts as played through.
        stage.stopAt = 246;
        EXPECT_FALSE(RunTapeBatch(*doc, *files, settings, link,
                                  QString::fromStdString(recorder.device()), stage)
                         .completed);
        stage.stopAt = 247;
        EXPECT_TRUE(RunTapeBatch(*doc, *files, settings, link,
                                 QString::fromStdString(recorder.device()), stage)
                        .completed);
    }
    {
        // A key pressed while the recorder does not start: STOP, no show played.
        VtrEmulator recorder(1000);
        VtrLink link;
        link.settle = std::chrono::milliseconds(10);
        ScriptedStage stage(*doc);
        stage.keyPress.left = 2;
        const BatchResult result = RunTapeBatch(*doc, *files, settings, link,
                                                QString::fromStdString(recorder.device()), stage);
        EXPECT_FALSE(result.completed);
        EXPECT_EQ(result.passes, 0);
        EXPECT_EQ(stage.said, QStringList());
        for (int i = 0; i < 50 && recorder.packets().size() < 8; ++i)
            QThread::msleep(10);
        EXPECT_EQ(recorder.packets().back(), (Bytes{0x20, 0x00, 0x20}));
        EXPECT_EQ(stage.beeps, 0);
    }
    {
        // A port that cannot be opened ends the batch before anything is played or sent.
        VtrLink link;
        ScriptedStage stage(*doc);
        const BatchResult result =
            RunTapeBatch(*doc, *files, settings, link, "/dev/no-such-recorder", stage);
        EXPECT_FALSE(result.completed);
        EXPECT_TRUE(result.error.contains("/dev/no-such-recorder"));
        EXPECT_EQ(stage.finished, 1);
        EXPECT_EQ(doc->TotalFrames(), 300);
    }
}

TEST(Batch, ElapsedFramesAndTheRecorderWord) {
    // Milliseconds as frames: 25 fps, 29.97 fps and 30 fps. Whole-number milliseconds per
    // hundred frames run 10 frames an hour ahead at 30 fps (3333 for 3333.3).
    const struct {
        int64_t ms;
        int rate;
        int64_t frames;
    } elapsed[] = {
        {0, 2500, 0},     {39, 2500, 0},       {40, 2500, 1},           {60000, 2500, 1500},
        {1000, 2997, 29}, {60000, 2997, 1798}, {3600000, 3000, 108010}, {33, 3000, 0}};
    for (const auto& e : elapsed)
        EXPECT_EQ(ElapsedFrames(e.ms, e.rate), e.frames) << e.ms << " ms at " << e.rate;
    QTemporaryDir dir;
    Profile profile(dir.filePath("p.ini"));
    profile.WriteInt("Conform", "StartHold", 7);
    profile.WriteInt("Conform", "TimecodeStart", 3000);
    const BatchSettings opened = BatchSettings::FromProfile(profile, 2500, 3 + 256 + 1024);
    EXPECT_EQ(opened.startHold, 7);
    EXPECT_EQ(opened.startText, "00:02:00:00");
    EXPECT_EQ(opened.port, 3);
    EXPECT_TRUE(opened.video);
    EXPECT_FALSE(opened.audio1);
    EXPECT_TRUE(opened.audio2);
    EXPECT_EQ(opened.RecorderWord(), 3 + 256 + 1024);
    opened.WriteTo(profile);
    EXPECT_EQ(profile.GetInt("System", "VTRPort", -1), 3);
}
