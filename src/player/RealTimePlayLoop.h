#pragma once
// RealTimePlayLoop: playback in real time, the loop behind the player's Set-mode. It works out
// which frame is due now from a clock, shows it, skips the frames the machine had no time for,
// plays the sound tracks under the frames, and is steered by the input taken while it plays.
// It knows no widgets: the screen, the input, the clock, the pulse that runs its rounds and the
// clip player are the interfaces of PlaySurroundings.h, PlayClock.h and ClipPlayer.h, so the
// window, the command line and the tests run this same loop.
//
// A round: on the first round after a (re)start the player is marked playing and the sound
// track under the frame starts; then one tick (the range ends, Show-frame, the next frame from
// the clock); then at most one input; then the sound follows the frame. In a window the frame
// is startFrame + mode x ((counter - startCount) / ticksPerFrame), all in 64-bit integers;
// full screen advances by mode every tick so that every frame is drawn.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "player/ClipPlayer.h"
#include "player/PlayClock.h"
#include "player/PlayLoop.h"
#include "player/PlaySurroundings.h"

namespace quillon {

class Document;
class Player;
class ShowNode;

// The thread priority while playing: raised while the loop runs, to the highest with sound
// (the sound's refills must not starve) and time-critical without.
enum class PlayPriority { kNormal, kHighest, kTimeCritical };

struct PlayLoopParts {
    Document& doc;
    Player& player;
    const PlayClock& clock;
    FramePresenter& presenter;
    PlayInputSource& input;
    ClipPlayer& clip;
    TickSource& ticks;
};

class RealTimePlayLoop final : public PlayLoop {
  public:
    // Attaches itself to the player (Player::SetPlayLoop). Every part must outlive the loop.
    explicit RealTimePlayLoop(const PlayLoopParts& parts);
    ~RealTimePlayLoop() override;
    RealTimePlayLoop(const RealTimePlayLoop&) = delete;
    RealTimePlayLoop& operator=(const RealTimePlayLoop&) = delete;

    // Set-mode: stops the clip, shows and stores the mode, redraws the current frame, enables
    // the menus unless the mode is 1; mode 0 stops play, any other mode plays from the current
    // frame (the loop starts when it is not running). ticksPerFrame follows the frame rate.
    void SetMode(int mode) override;
    // Button 120: the monitor between its window and full screen, frame 0, play.
    void FullScreenPlay();

    bool running() const { return running_; }
    int64_t ticksPerFrame() const { return ticksPerFrame_; }
    int startFrame() const { return startFrame_; }
    // Ticks run since the loop was entered.
    int64_t tickCount() const { return count_; }

    // Runs one round now; the tick source calls it, and tests may.
    void RunRound();

    // Told after each tick: the tick's number (from 1), the frame it drew and the counter ticks
    // since the loop was entered.
    using TickObserver = std::function<void(int64_t tick, int frame, int64_t sinceStart)>;
    void SetTickObserver(TickObserver observer) { observer_ = std::move(observer); }
    // Sets the thread's priority; by default QThread::setPriority on the current thread.
    using PriorityHook = std::function<void(PlayPriority)>;
    void SetPriorityHook(PriorityHook hook) { priority_ = std::move(hook); }
    // Shows the frame-rate report; by default the document host's message box.
    using RateReporter = std::function<void(const QString&)>;
    void SetRateReporter(RateReporter reporter) { reporter_ = std::move(reporter); }

    // frequency x 100 / frame rate (frames per second x 100), in 64-bit integers; a rate not
    // above 0 counts as 30 fps, and the result is at least 1.
    static int64_t TicksPerFrame(int64_t frequency, int frameRate);
    // "Frame rate is %.2f fps in %ld frames" for `count` ticks in `elapsed` counter ticks:
    // periods = (elapsed / count) x (1.0 / ticksPerFrame), the rate (frameRate / periods) x
    // 0.01. Nothing when no tick ran or periods is 0.
    static std::optional<QString> FrameRateReport(int64_t elapsed, int64_t count,
                                                  int64_t ticksPerFrame, int frameRate);

  private:
    void Enter();
    void Leave();
    void Tick();
    void Handle(const PlayInput& input);
    // The first sound track of the scene at frame whose range holds the frame.
    ShowNode* SoundTrackAt(int frame) const;
    void StartSound(ShowNode* track);
    void FollowSound();
    int currentFrame() const;

    Document& doc_;
    Player& player_;
    const PlayClock& clock_;
    FramePresenter& presenter_;
    PlayInputSource& input_;
    ClipPlayer& clip_;
    TickSource& ticks_;
    TickObserver observer_;
    PriorityHook priority_;
    RateReporter reporter_;

    bool running_ = false;
    bool inRound_ = false;
    bool restart_ = false;
    bool fullScreenPlayAfter_ = false;
    int frame_ = 0;
    int startFrame_ = 0;
    int64_t startCount_ = 0;
    int64_t loopStart_ = 0;
    int64_t ticksPerFrame_ = 1;
    int64_t count_ = 0;
    // The sound track whose clip was last started; compared, never read through.
    const ShowNode* soundTrack_ = nullptr;
};

}  // namespace quillon
