#pragma once
// What the play loop works through besides the clock and the clip player: the screen it shows
// frames on, the input that steers it while it plays, and the pulse that runs its rounds. The
// window gives the monitor, the panes and the event loop; the command line an offscreen
// renderer and a timer; tests record what the loop asks.

#include <functional>
#include <optional>

namespace quillon {

// Show-frame and the rest of what the loop asks of the screen.
class FramePresenter {
  public:
    virtual ~FramePresenter() = default;
    // Makes frame current and renders the monitor; with moveCamera the stage's camera symbol
    // moves to its new place too. Nothing else of the stage is drawn.
    virtual void ShowFrame(int frame, bool moveCamera) = 0;
    // Whether the monitor fills the screen (every frame is then drawn, one per tick).
    virtual bool FullScreen() const = 0;
    virtual void ToggleFullScreen() = 0;
    // The menus are disabled, and "PLY" shown, while playing forwards; enabled again after.
    virtual void SetMenusEnabled(bool on) = 0;
    // Play has stopped: the timeline scrolls to the current frame and the stage redraws.
    virtual void PlayStopped() = 0;
};

// One input taken while playing.
struct PlayInput {
    enum class Kind {
        kKey,           // any key press: stop
        kDoubleClick,   // a left double click on the monitor: stop and toggle full screen
        kButton,        // a click on a transport button (its command id, 110 .. 121, 150 .. 152)
        kTimelineClick  // a left click in the timeline: play again from the clicked frame
    };
    Kind kind = Kind::kKey;
    int button = 0;  // kButton: the command id
    int frame = 0;   // kTimelineClick: the frame under the click
};

// The input the window takes while playing: every key, click and the like is held back from the
// widgets and kept here, and the loop takes at most one each round. Inputs other than those
// above are dropped by the source itself.
class PlayInputSource {
  public:
    virtual ~PlayInputSource() = default;
    // Holding input back begins and ends with play.
    virtual void SetCapturing(bool on) = 0;
    virtual std::optional<PlayInput> Take() = 0;
};

// The pulse of the loop: calls round each time the loop should run a round (after each shown
// frame on screen, as often as the event loop allows offscreen) until Stop.
class TickSource {
  public:
    virtual ~TickSource() = default;
    virtual void Start(std::function<void()> round) = 0;
    virtual void Stop() = 0;
};

}  // namespace quillon
