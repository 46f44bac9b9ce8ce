#pragma once
// Playback in the window: the play loop with its clock, the monitor's screen, the input taken
// while playing, the swap-paced pulse, the sound device and the one clip player, made together
// once the panes exist and attached to the player. It also gives the picture loader the clip
// player's Length-in-frames for "Add &Sound", and the stage plan its play keys ("p", "0", "o").

#include <QObject>
#include <memory>

namespace quillon {

class Document;
class MonitorWidget;
class PictureMediaLoader;
class PlayInputFilter;
class Player;
class PlayerPane;
class QtAudioOutput;
class RealTimePlayLoop;
class ScreenPresenter;
class SoundClip;
class StageView;
class SteadyPlayClock;
class SwapTicks;
class TimelineView;

struct PlaybackPanes {
    MonitorWidget& monitor;
    StageView& stage;
    TimelineView& timeline;
    PlayerPane& pane;
    QWidget& window;  // its menu bar is disabled while playing forwards
};

class Playback final : public QObject {
    Q_OBJECT
  public:
    Playback(Document& doc, Player& player, const PlaybackPanes& panes, PictureMediaLoader& media);
    ~Playback() override;

    RealTimePlayLoop& loop() { return *loop_; }
    SoundClip& clip() { return *clip_; }
    PlayInputFilter& input() { return *input_; }

  protected:
    // The stage plan's play keys.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Document& doc_;
    Player& player_;
    TimelineView& timeline_;
    PictureMediaLoader& media_;
    std::unique_ptr<SteadyPlayClock> clock_;
    std::unique_ptr<QtAudioOutput> audio_;
    std::unique_ptr<SoundClip> clip_;
    std::unique_ptr<ScreenPresenter> presenter_;
    std::unique_ptr<PlayInputFilter> input_;
    std::unique_ptr<SwapTicks> ticks_;
    std::unique_ptr<RealTimePlayLoop> loop_;
};

}  // namespace quillon
