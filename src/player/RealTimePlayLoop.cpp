#include "RealTimePlayLoop.h"

#include <QThread>
#include <algorithm>

#include "model/Document.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "player/Player.h"

namespace quillon {

namespace {

void SetThreadPriority(PlayPriority priority) {
    QThread* thread = QThread::currentThread();
    switch (priority) {
        case PlayPriority::kNormal:
            thread->setPriority(QThread::NormalPriority);
            break;
        case PlayPriority::kHighest:
            thread->setPriority(QThread::HighestPriority);
            break;
        case PlayPriority::kTimeCritical:
            thread->setPriority(QThread::TimeCriticalPriority);
            break;
    }
}

int ClampToInt(int64_t v) {
    return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

RealTimePlayLoop::RealTimePlayLoop(const PlayLoopParts& parts)
    : doc_(parts.doc),
      player_(parts.player),
      clock_(parts.clock),
      presenter_(parts.presenter),
      input_(parts.input),
      clip_(parts.clip),
      ticks_(parts.ticks),
      priority_(&SetThreadPriority),
      reporter_([this](const QString& text) { doc_.host().Message(text); }) {
    ticksPerFrame_ = TicksPerFrame(clock_.Frequency(), doc_.frameRate());
    player_.SetPlayLoop(this);
}

RealTimePlayLoop::~RealTimePlayLoop() {
    if (running_) {
        // Nothing is reported while the program goes away.
        player_.ClearTestRate();
        inRound_ = false;
        Leave();
    }
    if (player_.playLoop() == this) player_.SetPlayLoop(nullptr);
}

int64_t RealTimePlayLoop::TicksPerFrame(int64_t frequency, int frameRate) {
    const int64_t rate = frameRate > 0 ? frameRate : settings::kDefaultFrameRate;
    return std::max<int64_t>(1, frequency * 100 / rate);
}

std::optional<QString> RealTimePlayLoop::FrameRateReport(int64_t elapsed, int64_t count,
                                                         int64_t ticksPerFrame, int frameRate) {
    if (count <= 0 || ticksPerFrame <= 0) return std::nullopt;
    const double periods = double(elapsed / count) * (1.0 / double(ticksPerFrame));
    if (periods == 0) return std::nullopt;
    return QString::asprintf("Frame rate is %.2f fps in %ld frames", (frameRate / periods) * 0.01,
                             long(count));
}

int RealTimePlayLoop::currentFrame() const {
    return running_ ? frame_ : doc_.currentFrame();
}

void RealTimePlayLoop::SetMode(int mode) {
    if (mode < kFastBackwards || mode > kFastForward) return;
    clip_.Stop();
    soundTrack_ = nullptr;
    player_.StoreMode(mode);
    presenter_.ShowFrame(currentFrame(), player_.moveCamera());
    presenter_.SetMenusEnabled(mode != kPlayForwards);
    ticksPerFrame_ = TicksPerFrame(clock_.Frequency(), doc_.frameRate());
    if (mode == kStopped) {
        // Views that follow the frame only while nothing plays follow it from here on.
        player_.SetPlaying(false);
        presenter_.PlayStopped();
        // Inside a round the loop is left when the round ends.
        if (running_ && !inRound_) Leave();
        return;
    }
    startFrame_ = currentFrame();
    if (running_) {
        // The frame formula counts from the mode change: the new mode starts from the frame
        // shown now, not from where the loop would have been had it played in this mode all
        // along.
        startCount_ = clock_.Counter();
    } else {
        Enter();
    }
}

void RealTimePlayLoop::FullScreenPlay() {
    if (running_) {
        // The loop is left first; the command runs when the round ends.
        fullScreenPlayAfter_ = true;
        SetMode(kStopped);
        if (!inRound_) {
            fullScreenPlayAfter_ = false;
        } else {
            return;
        }
    }
    presenter_.ToggleFullScreen();
    doc_.UpdateViewsAtFrame(0, Refresh::kViews);
    SetMode(kPlayForwards);
}

void RealTimePlayLoop::Enter() {
    running_ = true;
    count_ = 0;
    frame_ = doc_.currentFrame();
    priority_(player_.playAudio() ? PlayPriority::kHighest : PlayPriority::kTimeCritical);
    presenter_.ShowFrame(frame_, player_.moveCamera());
    startCount_ = loopStart_ = clock_.Counter();
    restart_ = true;
    input_.SetCapturing(true);
    ticks_.Start([this] { RunRound(); });
}

void RealTimePlayLoop::Leave() {
    ticks_.Stop();
    input_.SetCapturing(false);
    const int64_t end = clock_.Counter();
    running_ = false;
    player_.SetPlaying(false);
    clip_.Stop();
    soundTrack_ = nullptr;
    if (player_.testRate()) {
        player_.ClearTestRate();
        if (const auto report =
                FrameRateReport(end - loopStart_, count_, ticksPerFrame_, doc_.frameRate()))
            reporter_(*report);
    }
    if (!player_.playAudio()) priority_(PlayPriority::kNormal);
}

void RealTimePlayLoop::RunRound() {
    if (!running_ || inRound_) return;
    inRound_ = true;
    const bool sound = player_.playAudio();
    if (restart_) {
        // The first round after a (re)start: playing, and the sound track under the frame
        // starts from it.
        restart_ = false;
        player_.SetPlaying(true);
        if (sound && player_.mode() == kPlayForwards) FollowSound();
    }
    ++count_;
    Tick();
    if (player_.mode() != kStopped) {
        if (const auto input = input_.Take()) Handle(*input);
    }
    // After a restart the sound waits for the next round's start.
    if (!restart_ && sound && player_.mode() == kPlayForwards) FollowSound();
    inRound_ = false;
    if (player_.mode() == kStopped && running_) {
        Leave();
        if (fullScreenPlayAfter_) {
            fullScreenPlayAfter_ = false;
            FullScreenPlay();
        }
    }
}

void RealTimePlayLoop::Tick() {
    // Without the range the whole show plays once.
    const bool rangeOn = player_.rangeOn();
    const int start = rangeOn ? player_.rangeStart() : 0;
    const int end = rangeOn ? player_.rangeEnd() : doc_.TotalFrames() - 1;
    if (frame_ < 0) {
        frame_ = start;
        SetMode(rangeOn && player_.mode() != kStopped ? kPlayForwards : kStopped);
    }
    if (frame_ > end) {
        if (!rangeOn || player_.mode() == kStopped) {
            frame_ = end;
            SetMode(kStopped);
        } else {
            // Range play loops: back to the start mark, forwards.
            frame_ = start;
            SetMode(kPlayForwards);
        }
    }
    const int shown = frame_;
    presenter_.ShowFrame(shown, player_.moveCamera());
    const int64_t counter = clock_.Counter();
    const int mode = player_.mode();
    if (mode != kStopped) {
        if (presenter_.FullScreen()) {
            frame_ = ClampToInt(int64_t(frame_) + mode);
        } else {
            // Late frames are skipped: the frame due now, never the next one in turn.
            const int64_t periods = (counter - startCount_) / ticksPerFrame_;
            frame_ = ClampToInt(int64_t(startFrame_) + mode * periods);
        }
    }
    if (observer_) observer_(count_, shown, counter - loopStart_);
}

void RealTimePlayLoop::Handle(const PlayInput& input) {
    switch (input.kind) {
        case PlayInput::Kind::kKey:
            SetMode(kStopped);
            break;
        case PlayInput::Kind::kDoubleClick:
            SetMode(kStopped);
            clip_.Stop();
            presenter_.ToggleFullScreen();
            break;
        case PlayInput::Kind::kTimelineClick:
            // Play again from the clicked frame, as if just started there.
            clip_.Stop();
            frame_ = input.frame;
            SetMode(kPlayForwards);
            restart_ = true;
            break;
        case PlayInput::Kind::kButton:
            switch (input.button) {
                case 110:
                    SetMode(kFastBackwards);
                    break;
                case 111:
                case 150:
                    SetMode(kPlayBackwards);
                    break;
                case 113:
                case 152:
                    SetMode(player_.mode() == kPlayForwards ? kStopped : kPlayForwards);
                    break;
                case 114:
                    SetMode(kFastForward);
                    break;
                case 112:
                case 151:
                    SetMode(kStopped);
                    break;
                case 115:
                    player_.JogBack();
                    break;
                case 116:
                    player_.JogForward();
                    break;
                case 120:
                    FullScreenPlay();
                    break;
                case 121:
                    // Cameras are cut live: play goes on.
                    player_.NextCamera();
                    break;
                default:
                    break;
            }
            break;
    }
}

ShowNode* RealTimePlayLoop::SoundTrackAt(int frame) const {
    ShowNode* scene = doc_.SceneAt(frame);
    if (!scene) return nullptr;
    for (ShowNode* child : scene->children)
        if (child->Is(NodeKind::SoundTrack) && frame >= child->startFrame &&
            frame < child->endFrame)
            return child;
    return nullptr;
}

void RealTimePlayLoop::StartSound(ShowNode* track) {
    soundTrack_ = track;
    if (!track) return;
    clip_.SetFileName(FromRecordText(track->GetFileName()));
    // A clip that cannot be read leaves play silent; its own messages have been shown.
    if (clip_.OpenAndScan(0, ScanMode::kScanOnly)) clip_.Play(int64_t(frame_) - track->startFrame);
}

void RealTimePlayLoop::FollowSound() {
    ShowNode* track = SoundTrackAt(frame_);
    if (track == soundTrack_) return;
    clip_.Stop();
    StartSound(track);
}

}  // namespace quillon
