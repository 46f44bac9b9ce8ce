// The real-time play loop on a clock moved by hand: the frame due now in a window (frames
// skipped when drawing is slow, repeated when it is fast), every frame in full screen, the
// ends, range loops, the input taken while playing, the sound tracks followed, the menus, the
// thread priority and the frame-rate report.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <vector>

#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/Profile.h"
#include "player/Player.h"
#include "player/RealTimePlayLoop.h"

using namespace quillon;

namespace {

// Microseconds, moved only by the presenter's drawing.
class StepClock final : public PlayClock {
  public:
    int64_t Frequency() const override { return 1000000; }
    int64_t Counter() const override { return now; }
    int64_t now = 0;
};

// Each frame shown takes `cost` microseconds of the clock.
class FakePresenter final : public FramePresenter {
  public:
    FakePresenter(Document& doc, StepClock& clock) : doc_(doc), clock_(clock) {}
    void ShowFrame(int frame, bool) override {
        doc_.UpdateViewsAtFrame(frame, Refresh::kPlay);
        clock_.now += cost;
    }
    bool FullScreen() const override { return full; }
    void ToggleFullScreen() override {
        full = !full;
        ++toggles;
    }
    void SetMenusEnabled(bool on) override { menus.push_back(on); }
    void PlayStopped() override { ++stops; }
    int64_t cost = 33334;
    bool full = false;
    int toggles = 0;
    int stops = 0;
    std::vector<bool> menus;

  private:
    Document& doc_;
    StepClock& clock_;
};

// Inputs given out at the rounds they are scripted for.
class ScriptedInput final : public PlayInputSource {
  public:
    void SetCapturing(bool on) override { capturing = on; }
    std::optional<PlayInput> Take() override {
        const auto it = script.find(round);
        if (it == script.end()) return std::nullopt;
        const PlayInput input = it->second;
        script.erase(it);
        return input;
    }
    std::map<int64_t, PlayInput> script;
    int64_t round = 0;
    bool capturing = false;
};

// Plays files that exist; records what was played from where.
class RecordingClip final : public ClipPlayer {
  public:
    void SetFileName(const QString& f) override { file = f; }
    QString fileName() const override { return file; }
    bool OpenAndScan(int64_t, ScanMode) override { return QFile::exists(file); }
    bool Play(int64_t from) override {
        plays.emplace_back(BareName(file.toStdString()), from);
        playing = true;
        return true;
    }
    void Stop() override { playing = false; }
    bool Playing() override { return playing; }
    QString file;
    bool playing = false;
    std::vector<std::pair<std::string, int64_t>> plays;
};

class ManualTicks final : public TickSource {
  public:
    void Start(std::function<void()>) override { on = true; }
    void Stop() override { on = false; }
    bool on = false;
};

PlayInput Button(int id) {
    return {.kind = PlayInput::Kind::kButton, .button = id};
}

class PlayLoopTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);  // one scene, frames 0 .. 299
        doc->settings().cameras = 4;
        player = std::make_unique<Player>(*doc);
        presenter = std::make_unique<FakePresenter>(*doc, clock);
        loop = std::make_unique<RealTimePlayLoop>(
            PlayLoopParts{*doc, *player, clock, *presenter, input, clip, ticks});
        loop->SetTickObserver([this](int64_t, int frame, int64_t) { drawn.push_back(frame); });
        loop->SetPriorityHook([this](PlayPriority p) { priorities.push_back(p); });
        loop->SetRateReporter([this](const QString& text) { reports << text; });
    }
    // Plays from `from` in `mode` for at most `rounds` rounds; the frames the ticks drew.
    std::vector<int> Play(int mode, int from, int rounds) {
        drawn.clear();
        doc->UpdateViewsAtFrame(from);
        player->Start(mode);
        for (int r = 1; r <= rounds && loop->running(); ++r) {
            EXPECT_TRUE(ticks.on);
            input.round = r;
            loop->RunRound();
        }
        return drawn;
    }
    ShowNode& AddSoundTrack(int start, int end, const QString& file) {
        auto* track = new ShowNode;
        track->kind = NodeKind::SoundTrack;
        track->startFrame = start;
        track->endFrame = end;
        track->SetFileName(ToRecordText(file));
        doc->root().children[0]->AddChild(track, false);
        return *track;
    }

    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
    std::unique_ptr<Player> player;
    StepClock clock;
    std::unique_ptr<FakePresenter> presenter;
    ScriptedInput input;
    RecordingClip clip;
    ManualTicks ticks;
    std::unique_ptr<RealTimePlayLoop> loop;
    std::vector<int> drawn;
    std::vector<PlayPriority> priorities;
    QStringList reports;
};

}  // namespace

TEST_F(PlayLoopTest, TheFrameDueNowIsDrawn) {
    // 30 fps: a frame lasts 33333 microseconds of the clock.
    struct Case {
        const char* what;
        int mode, from;
        int64_t cost;
        bool fullScreen;
        std::vector<int> drawn;
        bool stillPlaying;
    } cases[] = {
        {"on time", 1, 10, 33334, false, {10, 11, 12, 13, 14}, true},
        {"slow drawing skips frames", 1, 10, 50000, false, {10, 11, 13, 14, 16, 17, 19}, true},
        {"fast drawing repeats frames",
         1,
         10,
         10000,
         false,
         {10, 10, 10, 10, 11, 11, 11, 12},
         true},
        {"fast forward: every second frame", 2, 10, 33334, false, {10, 12, 14, 16}, true},
        {"backwards stops at frame 0", -1, 3, 33334, false, {3, 2, 1, 0, 0}, false},
        {"fast backwards stops at frame 0", -2, 5, 33334, false, {5, 3, 1, 0}, false},
        {"forwards stops on the last frame", 1, 297, 33334, false, {297, 298, 299, 299}, false},
        {"full screen draws every frame", 1, 10, 100000, true, {10, 11, 12, 13}, true},
        {"full screen fast backwards", -2, 5, 1000, true, {5, 3, 1, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        presenter->cost = c.cost;
        presenter->full = c.fullScreen;
        EXPECT_EQ(Play(c.mode, c.from, int(c.drawn.size())), c.drawn);
        EXPECT_EQ(loop->running(), c.stillPlaying);
        EXPECT_EQ(player->playing(), c.stillPlaying);
        player->Stop();
        EXPECT_FALSE(loop->running());
        EXPECT_FALSE(ticks.on);
        EXPECT_EQ(player->mode(), kStopped);
    }
    // Stopped where play stopped.
    EXPECT_EQ(doc->currentFrame(), 0);
}

TEST_F(PlayLoopTest, RangePlayLoopsBetweenTheMarks) {
    doc->UpdateViewsAtFrame(22);
    player->MarkRangeEnd();
    doc->UpdateViewsAtFrame(20);
    player->MarkRangeStart();
    EXPECT_EQ(Play(1, 20, 7), (std::vector<int>{20, 21, 22, 20, 21, 22, 20}));
    EXPECT_TRUE(loop->running());
    // Started past the end mark: from the start mark, forwards.
    player->Stop();
    EXPECT_EQ(Play(2, 150, 3), (std::vector<int>{20, 21, 22}));
    EXPECT_EQ(player->mode(), kPlayForwards);
}

TEST_F(PlayLoopTest, InputWhilePlaying) {
    struct Case {
        const char* what;
        PlayInput input;  // at round 2
        std::vector<int> drawn;
        bool stillPlaying;
        int mode;
    } cases[] = {
        {"a key stops", {.kind = PlayInput::Kind::kKey}, {10, 11}, false, 0},
        {"stop button", Button(112), {10, 11}, false, 0},
        {"its status-bar copy", Button(151), {10, 11}, false, 0},
        {"play while playing forwards stops", Button(113), {10, 11}, false, 0},
        {"fast forward goes on from the frame due", Button(114), {10, 11, 12, 14, 16}, true, 2},
        {"backwards", Button(111), {10, 11, 12, 11, 10}, true, -1},
        {"backwards from the status bar", Button(150), {10, 11, 12, 11, 10}, true, -1},
        {"fast backwards", Button(110), {10, 11, 12, 10, 8}, true, -2},
        {"a timeline click plays from its frame",
         {.kind = PlayInput::Kind::kTimelineClick, .frame = 100},
         {10, 11, 100, 101, 102},
         true,
         1},
        {"next camera: play goes on", Button(121), {10, 11, 12, 13}, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        input.script = {{2, c.input}};
        EXPECT_EQ(Play(1, 10, int(c.drawn.size())), c.drawn);
        EXPECT_EQ(loop->running(), c.stillPlaying);
        EXPECT_EQ(input.capturing, c.stillPlaying);
        EXPECT_EQ(player->mode(), c.mode);
        player->Stop();
    }
    EXPECT_EQ(doc->activeCamera(), 1);
    EXPECT_EQ(presenter->toggles, 0);
}

TEST_F(PlayLoopTest, InputThatEndsPlayWithACommand) {
    // Jog back: play stops and the frame shown when clicked less one becomes current.
    input.script = {{2, Button(115)}};
    EXPECT_EQ(Play(1, 10, 5), (std::vector<int>{10, 11}));
    EXPECT_EQ(doc->currentFrame(), 10);
    EXPECT_FALSE(loop->running());
    // A double click: stop, and the monitor goes full screen.
    input.script = {{2, {.kind = PlayInput::Kind::kDoubleClick}}};
    EXPECT_EQ(Play(1, 10, 5), (std::vector<int>{10, 11}));
    EXPECT_FALSE(loop->running());
    EXPECT_EQ(presenter->toggles, 1);
    // Full-screen play from the window: full screen, then from frame 0 again, every frame drawn.
    presenter->full = false;
    input.script = {{2, Button(120)}};
    presenter->cost = 100000;
    EXPECT_EQ(Play(1, 10, 5), (std::vector<int>{10, 13, 0, 1, 2}));
    EXPECT_EQ(presenter->toggles, 2);
    EXPECT_TRUE(presenter->full);
    EXPECT_TRUE(loop->running());
}

TEST_F(PlayLoopTest, MenusPlayingFlagAndPriority) {
    struct Case {
        int mode;
        bool playAudio;
        std::vector<bool> menus;  // at the start, then at the stop
        std::vector<PlayPriority> priorities;
    } cases[] = {
        {1, true, {false, true}, {PlayPriority::kHighest}},
        {-1, true, {true, true}, {PlayPriority::kHighest}},
        {1, false, {false, true}, {PlayPriority::kTimeCritical, PlayPriority::kNormal}},
        {2, false, {true, true}, {PlayPriority::kTimeCritical, PlayPriority::kNormal}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        if (player->playAudio() != c.playAudio) player->TogglePlayAudio();
        presenter->menus.clear();
        priorities.clear();
        const int stopsBefore = presenter->stops;
        Play(c.mode, 100, 2);
        EXPECT_TRUE(player->playing());
        player->Stop();
        EXPECT_FALSE(player->playing());
        EXPECT_EQ(presenter->menus, c.menus);
        EXPECT_EQ(priorities, c.priorities);
        EXPECT_EQ(presenter->stops, stopsBefore + 1);
    }
}

TEST_F(PlayLoopTest, SoundTracksFollowTheFrame) {
    const QString a = dir.filePath("a.wav"), b = dir.filePath("b.wav");
    for (const QString& f : {a, b}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    AddSoundTrack(30, 90, a);
    AddSoundTrack(120, 200, b);
    AddSoundTrack(210, 260, dir.filePath("missing.wav"));
    presenter->cost = 333334;  // ten frames a tick
    // From 40: a from its 10th frame; silence from 90; b from its start at 120; the missing
    // file plays nothing and play goes on.
    Play(1, 40, 25);
    EXPECT_EQ(clip.plays,
              (std::vector<std::pair<std::string, int64_t>>{{"a.wav", 10}, {"b.wav", 0}}));
    EXPECT_TRUE(loop->running());
    EXPECT_FALSE(clip.playing);
    player->Stop();

    // Backwards, or with "Play Sound Tracks" off, nothing sounds.
    clip.plays.clear();
    Play(-1, 80, 3);
    player->Stop();
    player->TogglePlayAudio();
    Play(1, 40, 3);
    player->Stop();
    EXPECT_TRUE(clip.plays.empty());
    player->TogglePlayAudio();
    // A click in the timeline starts the track under the clicked frame from there.
    input.script = {{2, {.kind = PlayInput::Kind::kTimelineClick, .frame = 150}}};
    Play(1, 0, 3);
    EXPECT_EQ(clip.plays, (std::vector<std::pair<std::string, int64_t>>{{"b.wav", 30}}));
}

TEST(PlayLoopReport, FrameRateReportNumbers) {
    struct Case {
        int64_t elapsed, count, ticksPerFrame;
        int rate;
        const char* text;  // nullptr: nothing is shown
    } cases[] = {
        {1000000, 60, 33333, 3000, "Frame rate is 60.00 fps in 60 frames"},
        {1000000, 25, 33333, 3000, "Frame rate is 25.00 fps in 25 frames"},
        {1001000, 30, 33366, 2997, "Frame rate is 29.97 fps in 30 frames"},
        {3000000, 100, 33333, 3000, "Frame rate is 33.33 fps in 100 frames"},
        {2000000, 30, 41666, 2400, "Frame rate is 15.00 fps in 30 frames"},
        {10, 20, 33333, 3000, nullptr},  // under a counter tick per frame: periods 0
        {1000, 0, 33333, 3000, nullptr},
    };
    for (const Case& c : cases) {
        const auto report =
            RealTimePlayLoop::FrameRateReport(c.elapsed, c.count, c.ticksPerFrame, c.rate);
        if (!c.text) {
            EXPECT_FALSE(report.has_value()) << c.elapsed << " " << c.count;
            continue;
        }
        ASSERT_TRUE(report.has_value()) << c.text;
        EXPECT_EQ(*report, c.text);
    }
    EXPECT_EQ(RealTimePlayLoop::TicksPerFrame(1000000, 3000), 33333);
    EXPECT_EQ(RealTimePlayLoop::TicksPerFrame(1000000000, 2997), 33366700);
}

TEST_F(PlayLoopTest, TestFrameRateReportsTheNextPlay) {
    player->RequestFrameRateTest();
    EXPECT_EQ(host.messages, QStringList{"Play show to test Frame Rate"});
    // Four ticks and the stop's redraw, each a frame period: five periods in four ticks, so
    // 24 fps of a 30 fps show.
    presenter->cost = 33334;
    input.script = {{4, {.kind = PlayInput::Kind::kKey}}};
    Play(1, 0, 10);
    EXPECT_EQ(reports, QStringList{"Frame rate is 24.00 fps in 4 frames"});
    EXPECT_FALSE(player->testRate());
    // Measured once only.
    Play(1, 0, 2);
    player->Stop();
    EXPECT_EQ(reports.size(), 1);
}
