#pragma once
// The real play loop on an offscreen monitor, for the command line's play and tape batch: the
// monitor as the loop's screen (every frame rendered and finished), no input, the steady
// clock, a zero-interval tick, and the clip player on the sound device, on a recording file or
// silent. Run() plays in a mode until play stops, with Qt's event loop running meanwhile.

#include <QString>
#include <QTimer>
#include <memory>

#include "player/PlayClock.h"

namespace quillon {
class AudioOutput;
class ClipPlayer;
class Document;
class FramePresenter;
class OffscreenMonitor;
class Player;
class PlayInputSource;
class RealTimePlayLoop;
class SoundClip;
class TimerTicks;
class WaveFileOutput;
}  // namespace quillon

namespace quillon::cli {

struct OffscreenPlayOptions {
    bool fullScreen = false;
    bool silent = false;  // no clip is played
    QString recording;    // the WAV file the sound goes to instead of the sound device
};

class OffscreenPlay {
  public:
    OffscreenPlay(Document& doc, OffscreenMonitor& monitor, Player& player,
                  const OffscreenPlayOptions& options);
    ~OffscreenPlay();
    OffscreenPlay(const OffscreenPlay&) = delete;
    OffscreenPlay& operator=(const OffscreenPlay&) = delete;

    RealTimePlayLoop& loop() { return *loop_; }
    const SteadyPlayClock& clock() const { return clock_; }
    // Starts play in mode and returns when it has stopped (by itself, by Player::Stop from a
    // timer or tick observer, or after `seconds` when above 0).
    void Run(int mode, double seconds = -1);
    // With a recording: the sound written out. Empty, or a warning to print.
    QString FinishRecording();

  private:
    Player& player_;
    SteadyPlayClock clock_;
    std::unique_ptr<FramePresenter> presenter_;
    std::unique_ptr<PlayInputSource> input_;
    std::unique_ptr<TimerTicks> ticks_;
    std::unique_ptr<AudioOutput> output_;
    WaveFileOutput* recording_ = nullptr;
    QString recordingName_;
    std::unique_ptr<SoundClip> soundClip_;
    std::unique_ptr<ClipPlayer> silent_;
    std::unique_ptr<RealTimePlayLoop> loop_;
    QTimer pump_;
};

}  // namespace quillon::cli
