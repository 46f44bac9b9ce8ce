#pragma once
// The seam between the player's state and the real-time play loop (RealTimePlayLoop): the
// player hands it the mode changes and the full-screen play button. Until a loop is attached
// the player can stop but never starts playing.

namespace quillon {

class PlayLoop {
  public:
    virtual ~PlayLoop() = default;
    // Set-mode: the one entry that starts, steers and stops play. mode is 0 stopped, 1 play,
    // -1 play backwards, 2 fast forward, -2 fast backwards. The loop stores the mode in the
    // player (Player::StoreMode) and sets and clears Player::SetPlaying while it runs.
    virtual void SetMode(int mode) = 0;
    // Button 120: the monitor between its window and full screen, frame 0, and play.
    virtual void FullScreenPlay() {}
};

}  // namespace quillon
