#pragma once
// The transport's state: one application-wide object, created with the player pane, that holds
// whether and how the show plays, the jog step, the play range and the play options. The
// transport buttons and the main frame's toggles call the operations below; the timeline reads
// the jog step and the range marks; the play loop (attached through PlayLoop) acts on the rest.
//
// The player holds a reference to the document, which must outlive it. It never opens a
// window: the one message it shows goes through the document's host.

#include <QObject>
#include <cstdint>

namespace quillon {

class Document;
class PlayLoop;

// Playing modes: the frame step per elapsed frame period.
enum PlayMode : int {
    kFastBackwards = -2,
    kPlayBackwards = -1,
    kStopped = 0,
    kPlayForwards = 1,
    kFastForward = 2,
};

// The most frames one jog click may advance: the frames of 60 seconds at the rate (frames per
// second x 100), at least 1. A rate below 50 is read as 30 fps, as the timecode text reads it.
int MaxJogAmount(int frameRate);

class Player : public QObject {
    Q_OBJECT

  public:
    // Reads "Player"/"JogAmt", "MoveCamera" and "PlayAudio" from the document's profile. A jog
    // amount outside 1 .. MaxJogAmount is brought to the nearer limit.
    explicit Player(Document& document, QObject* parent = nullptr);

    // The play loop that Start and Stop hand their mode to; nullptr detaches it. Not owned.
    void SetPlayLoop(PlayLoop* loop) { loop_ = loop; }
    PlayLoop* playLoop() const { return loop_; }

    int mode() const { return mode_; }
    int jogAmount() const { return jogAmount_; }
    bool rangeOn() const { return rangeOn_; }
    int rangeStart() const { return rangeStart_; }
    int rangeEnd() const { return rangeEnd_; }
    bool playing() const { return playing_; }
    bool moveCamera() const { return moveCamera_; }
    bool playAudio() const { return playAudio_; }
    bool testRate() const { return testRate_; }

    // --- starting and stopping (through the play loop) ---
    // Asks the play loop for mode m. False, with nothing changed, when no loop is attached or
    // m is not one of the five modes: playing is the loop's work, never faked here.
    bool Start(int m);
    // Mode 0: through the loop when one is attached, else stored directly.
    void Stop();
    // The play button: stop when already playing forwards, else play forwards.
    bool PlayOrStop();
    // Button 120 through the play loop: full screen (or back), frame 0, play. False without a
    // loop.
    bool FullScreenPlay();

    // --- for the play loop only ---
    void StoreMode(int m);
    void SetPlaying(bool on) { playing_ = on; }
    void ClearTestRate() { testRate_ = false; }

    // --- transport buttons ---
    // Jog back / forward: the current frame -/+ the jog amount, play stopped, then the document
    // goes to that frame clamped to 0 .. last frame of the show.
    void JogBack();
    void JogForward();
    // The range button: range play on or off.
    void ToggleRange();
    // The range start mark: range on; the current frame becomes the start, or, when the end mark
    // lies before it, the old end becomes the start and the current frame the end.
    void MarkRangeStart();
    // The range end mark: range on; the current frame becomes the end, or, when it lies before
    // the start mark, the old start becomes the end and the current frame the start.
    void MarkRangeEnd();
    // The next camera: the document's active camera index steps round the "Stage"/"Cameras"
    // count (at most 4). Nothing happens in rostrum mode or when the count is below 1.
    void NextCamera();

    // --- menu commands ---
    void ToggleMoveCamera();  // "Moving &Camera", written to "Player"/"MoveCamera"
    void TogglePlayAudio();   // "Play Sound Tracks", written to "Player"/"PlayAudio"
    // "&Test Frame Rate": the next play measures the frame rate.
    void RequestFrameRateTest();
    // The jog amount command's answer, from the timecode prompt "Type frames to advance on jog"
    // (which the shell shows with the current amount, minimum 1 and maximum MaxJogAmount):
    // clamped to 1 .. MaxJogAmount, stored and written to "Player"/"JogAmt". Returns the value
    // stored.
    int ApplyJogAmount(int64_t frames);
    int maxJogAmount() const;

  signals:
    void modeChanged(int mode);
    void jogAmountChanged(int frames);
    // rangeOn, rangeStart or rangeEnd changed: the timeline redraws its marks.
    void rangeChanged();
    void moveCameraChanged(bool on);
    void playAudioChanged(bool on);

  private:
    void Jog(int64_t step);

    Document& doc_;
    PlayLoop* loop_ = nullptr;
    int mode_ = kStopped;
    int jogAmount_ = 1;
    bool rangeOn_ = false;
    int rangeStart_ = 0;
    int rangeEnd_ = 0;
    bool playing_ = false;
    bool moveCamera_ = false;
    bool playAudio_ = true;
    bool testRate_ = false;
};

}  // namespace quillon
