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
    EXPECT_EQ(player->jogAmount(), 1);
    EXPECT_FALSE(player->moveCamera());
    EXPECT_TRUE(player->playAudio());
    EXPECT_EQ(player->mode(), kStopped);
    EXPECT_FALSE(player->rangeOn());

    WithProfile("Player", "JogAmt", 0);
    EXPECT_EQ(player->jogAmount(), 1);
    WithProfile("Player", "JogAmt", -40);
    EXPECT_EQ(player->jogAmount(), 1);
    WithProfile("Player", "JogAmt", 99999);
    EXPECT_EQ(player->jogAmount(), 1800);  // 60 seconds at 30 fps
    WithProfile("Player", "JogAmt", 12);
    EXPECT_EQ(player->jogAmount(), 12);
    WithProfile("Player", "MoveCamera", 5);
    EXPECT_TRUE(player->moveCamera());
    WithProfile("Player", "PlayAudio", 0);
    EXPECT_FALSE(player->playAudio());
}

TEST_F(PlayerTest, JogAmountIsClampedToSixtySecondsAndWritten) {
    EXPECT_EQ(MaxJogAmount(3000), 1800);
    EXPECT_EQ(MaxJogAmount(2997), 1798);
    EXPECT_EQ(MaxJogAmount(2400), 1440);
    EXPECT_EQ(MaxJogAmount(0), 1800);  // an unusable rate is read as 30 fps

    int announced = 0;
    QObject::connect(player.get(), &Player::jogAmountChanged, [&](int f) { announced = f; });
    EXPECT_EQ(player->ApplyJogAmount(5000), 1800);
    EXPECT_EQ(announced, 1800);
    EXPECT_EQ(Stored(settings::kJogAmount), 1800);
    EXPECT_EQ(player->ApplyJogAmount(0), 1);
    EXPECT_EQ(player->ApplyJogAmount(-3), 1);
    EXPECT_EQ(player->ApplyJogAmount(int64_t(1) << 40), 1800);
    EXPECT_EQ(player->ApplyJogAmount(45), 45);
    EXPECT_EQ(Stored(settings::kJogAmount), 45);
}

TEST_F(PlayerTest, JogsStayInsideTheShow) {
    doc->NewScene(300);  // frames 300 .. 599
    doc->UpdateViewsAtFrame(0);
    player->ApplyJogAmount(250);
    player->JogBack();
    EXPECT_EQ(doc->currentFrame(), 0);
    player->JogForward();
    EXPECT_EQ(doc->currentFrame(), 250);
    player->JogForward();
    EXPECT_EQ(doc->currentFrame(), 500);
    player->JogForward();
    EXPECT_EQ(doc->currentFrame(), 599);  // the last frame, not 750
    player->JogBack();
    EXPECT_EQ(doc->currentFrame(), 349);
    player->ApplyJogAmount(1800);
    player->JogBack();
    EXPECT_EQ(doc->currentFrame(), 0);
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
    EXPECT_EQ(announced, (std::vector<int>{-2, 1, 0, 2, 0}));
    EXPECT_EQ(player->mode(), kStopped);
    EXPECT_EQ(doc->currentFrame(), 1);
}

TEST_F(PlayerTest, RangeMarksSwapWhenReversed) {
    int changes = 0;
    QObject::connect(player.get(), &Player::rangeChanged, [&] { ++changes; });

    doc->UpdateViewsAtFrame(100);
    player->MarkRangeStart();  // the end mark (0) lies before 100: 0 .. 100
    EXPECT_TRUE(player->rangeOn());
    EXPECT_EQ(player->rangeStart(), 0);
    EXPECT_EQ(player->rangeEnd(), 100);

    doc->UpdateViewsAtFrame(40);
    player->MarkRangeStart();
    EXPECT_EQ(player->rangeStart(), 40);
    EXPECT_EQ(player->rangeEnd(), 100);

    doc->UpdateViewsAtFrame(20);
    player->MarkRangeEnd();  // before the start mark: swapped
    EXPECT_EQ(player->rangeStart(), 20);
    EXPECT_EQ(player->rangeEnd(), 40);

    doc->UpdateViewsAtFrame(200);
    player->MarkRangeStart();  // past the end mark: the old end becomes the start
    EXPECT_EQ(player->rangeStart(), 40);
    EXPECT_EQ(player->rangeEnd(), 200);

    player->ToggleRange();
    EXPECT_FALSE(player->rangeOn());
    player->MarkRangeEnd();  // a mark turns the range back on
    EXPECT_TRUE(player->rangeOn());
    EXPECT_EQ(player->rangeEnd(), 200);
    EXPECT_EQ(changes, 6);
}

TEST_F(PlayerTest, NextCameraStepsRoundTheCameraCount) {
    ShowNode& scene = *doc->root().children[0];
    scene.children[1]->keys[0].eastWest() = 777.0f;
    doc->settings().cameras = 1;
    player->NextCamera();
    EXPECT_EQ(doc->activeCamera(), 0);

    doc->settings().cameras = 3;
    player->NextCamera();
    EXPECT_EQ(doc->activeCamera(), 1);
    EXPECT_EQ(doc->monitorCamera().pose.eastWest(), 777.0f);  // the monitor shows camera 2
    player->NextCamera();
    player->NextCamera();
    EXPECT_EQ(doc->activeCamera(), 0);

    doc->settings().cameras = 9;  // at most four cameras
    for (int i = 0; i < 5; ++i)
        player->NextCamera();
    EXPECT_EQ(doc->activeCamera(), 1);

    doc->settings().cameras = 0;
    player->NextCamera();
    EXPECT_EQ(doc->activeCamera(), 1);

    doc->settings().cameras = 4;
    doc->settings().rostrumMode = true;
    player->NextCamera();
    EXPECT_EQ(doc->activeCamera(), 1);
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
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_EQ(host.messages[0], "Play show to test Frame Rate");
}

}  // namespace
