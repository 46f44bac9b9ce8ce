// The player's state: profile values (and absurd ones), jogs clamped to the show, the range
// marks and their swap, the next camera, the toggles and what they write, the jog amount's
// limits, and the play-loop seam that Start and Stop go through.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "player/PlayLoop.h"
#include "player/Player.h"

using namespace quillon;

namespace {

// A play loop that only records the modes it is asked for and stores them as the real one will.
class RecordingLoop final : public PlayLoop {
  public:
    explicit RecordingLoop(Player*& player) : player_(player) {}
    void SetMode(int mode) override {
        modes.push_back(mode);
        player_->StoreMode(mode);
    }
    std::vector<int> modes;

  private:
    Player*& player_;
};

class PlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        MakeDocument();
    }
    void MakeDocument() {
        player.reset();
        doc.reset();
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);  // one scene, frames 0 .. 299
        player = std::make_unique<Player>(*doc);
    }
    // Starts again with these profile values written first.
    void WithProfile(const QString& section, const QString& key, int value) {
        Profile(dir.filePath("profile.ini")).WriteInt(section, key, value);
        MakeDocument();
    }
    int Stored(const settings::IntSetting& s) {
        return settings::Get(Profile(dir.filePath("profile.ini")), s);
    }

    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
    std::unique_ptr<Player> player;
};

TEST_F(PlayerTest, ProfileValuesAndTheirLimits) {
    // A jog amount is kept between 1 and the frames of 60 seconds at 30 fps; any non-zero
    // toggle value is on. Each row adds its value to the profile of the rows before.
    struct Case {
        const char* key;
        int stored;
        int jog;
        bool moveCamera, playAudio;
    } cases[] = {
        {"JogAmt", 0, 1, false, true},        {"JogAmt", -40, 1, false, true},
        {"JogAmt", 99999, 1800, false, true}, {"JogAmt", 12, 12, false, true},
        {"MoveCamera", 5, 12, true, true},    {"PlayAudio", 0, 12, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.key << "=" << c.stored);
        WithProfile("Player", c.key, c.stored);
        EXPECT_EQ(player->jogAmount(), c.jog);
        EXPECT_EQ(player->moveCamera(), c.moveCamera);
        EXPECT_EQ(player->playAudio(), c.playAudio);
    }
}

TEST_F(PlayerTest, JogAmountIsClampedToSixtySecondsAndWritten) {
    // An unusable rate is read as 30 fps.
    const std::pair<int, int> rates[] = {{3000, 1800}, {2997, 1798}, {2400, 1440}, {0, 1800}};
    for (const auto& [rate, frames] : rates)
        EXPECT_EQ(MaxJogAmount(rate), frames) << rate;

    int announced = 0;
    QObject::connect(player.get(), &Player::jogAmountChanged, [&](int f) { announced = f; });
    const std::pair<int64_t, int> typed[] = {
        {5000, 1800}, {0, 1}, {-3, 1}, {int64_t(1) << 40, 1800}, {45, 45}};
    for (const auto& [value, kept] : typed) {
        EXPECT_EQ(player->ApplyJogAmount(value), kept) << value;
        EXPECT_EQ(announced, kept) << value;
        EXPECT_EQ(Stored(settings::kJogAmount), kept) << value;
    }
}

TEST_F(PlayerTest, JogsStayInsideTheShow) {
    doc->NewScene(300);  // frames 300 .. 599
    doc->UpdateViewsAtFrame(0);
    player->ApplyJogAmount(250);
    // Back from 0 stays at 0; forward past the end stops at the last frame, 599, not 750.
    const std::tuple<int, bool, int> jogs[] = {{250, false, 0},   {250, true, 250},
                                               {250, true, 500},  {250, true, 599},
                                               {250, false, 349}, {1800, false, 0}};
    for (const auto& [amount, forward, frame] : jogs) {
        player->ApplyJogAmount(amount);
        forward ? player->JogForward() : player->JogBack();
        EXPECT_EQ(doc->currentFrame(), frame);
    }
}

TEST_F(PlayerTest, StartAndStopGoThroughThePlayLoop) {
    // No loop: nothing plays, and a stop is still a stop.
    EXPECT_FALSE(player->Start(kPlayForwards));
    EXPECT_FALSE(player->PlayOrStop());
    EXPECT_EQ(player->mode(), kStopped);

    Player* raw = player.get();
    RecordingLoop loop(raw);
    player->SetPlayLoop(&loop);
    std::vector<int> announced;
    QObject::connect(player.get(), &Player::modeChanged, [&](int m) { announced.push_back(m); });
    EXPECT_FALSE(player->Start(3));  // not a mode
    EXPECT_TRUE(player->Start(kFastBackwards));
    EXPECT_TRUE(player->PlayOrStop());  // not playing forwards: play
    EXPECT_TRUE(player->PlayOrStop());  // playing forwards: stop
    player->Start(kFastForward);
    player->JogForward();  // a jog stops play first
    EXPECT_EQ(loop.modes, (std::vector<int>{-2, 1, 0, 2, 0}));
    EXPECT_EQ(announced, loop.modes);
    EXPECT_EQ(player->mode(), kStopped);
    EXPECT_EQ(doc->currentFrame(), 1);
}

TEST_F(PlayerTest, RangeMarksSwapWhenReversed) {
    int changes = 0;
    QObject::connect(player.get(), &Player::rangeChanged, [&] { ++changes; });
    // Each mark turns the range on; a start mark past the end mark makes the old end the start,
    // an end mark before the start mark makes the old start the end.
    const std::tuple<int, bool, int, int> marks[] = {
        {100, true, 0, 100},                         // the end mark (0) lies before 100
        {40, true, 40, 100},   {20, false, 20, 40},  // before the start mark: swapped
        {200, true, 40, 200},                        // past the end mark
        {200, false, 40, 200},                       // with the range switched off first
    };
    for (const auto& [frame, start, wantStart, wantEnd] : marks) {
        SCOPED_TRACE(::testing::Message() << (start ? "start" : "end") << " mark at " << frame);
        if (frame == 200 && !start) {
            player->ToggleRange();
            EXPECT_FALSE(player->rangeOn());
        }
        doc->UpdateViewsAtFrame(frame);
        start ? player->MarkRangeStart() : player->MarkRangeEnd();
        EXPECT_TRUE(player->rangeOn());
        EXPECT_EQ(player->rangeStart(), wantStart);
        EXPECT_EQ(player->rangeEnd(), wantEnd);
    }
    EXPECT_EQ(changes, 6);
}

TEST_F(PlayerTest, NextCameraStepsRoundTheCameraCount) {
    doc->root().children[0]->children[1]->keys[0].eastWest() = 777.0f;
    // At most four cameras; none counts as one; rostrum mode keeps the camera.
    const std::tuple<int, bool, int, int> steps[] = {
        {1, false, 1, 0}, {3, false, 1, 1}, {3, false, 2, 0},
        {9, false, 5, 1}, {0, false, 1, 1}, {4, true, 1, 1},
    };
    for (const auto& [cameras, rostrum, presses, want] : steps) {
        doc->settings().cameras = cameras;
        doc->settings().rostrumMode = rostrum;
        for (int i = 0; i < presses; ++i)
            player->NextCamera();
        EXPECT_EQ(doc->activeCamera(), want) << cameras << " cameras, " << presses << " presses";
        // The monitor shows the active camera: camera 2 carries 777.
        EXPECT_EQ(doc->monitorCamera().pose.eastWest() == 777.0f, want == 1);
    }
}

TEST_F(PlayerTest, TogglesWriteTheProfileAndTheRateTestAnnouncesItself) {
    player->ToggleMoveCamera();
    EXPECT_TRUE(player->moveCamera());
    EXPECT_EQ(Stored(settings::kMoveCamera), 1);
    player->TogglePlayAudio();
    EXPECT_FALSE(player->playAudio());
    EXPECT_EQ(Stored(settings::kPlayAudio), 0);
    player->TogglePlayAudio();
    EXPECT_EQ(Stored(settings::kPlayAudio), 1);

    EXPECT_FALSE(player->testRate());
    player->RequestFrameRateTest();
    EXPECT_TRUE(player->testRate());
    EXPECT_EQ(host.messages, QStringList{"Play show to test Frame Rate"});
}

}  // namespace
