#pragma once
// What the play loop asks of the sound clip player (SoundClip): name a clip, learn its format,
// play it from a frame, stop it, and whether it is still playing. Tests put a recording clip
// player in its place.

#include <QString>
#include <cstdint>

namespace quillon {

enum class ScanMode { kScanOnly, kQueue };

class ClipPlayer {
  public:
    virtual ~ClipPlayer() = default;
    // The clip's file; empty means no clip.
    virtual void SetFileName(const QString& fileName) = 0;
    virtual QString fileName() const = 0;
    // Reads the file's header and chunks; with kQueue also queues the first buffers from
    // startFrame on. False when the file cannot be read or nothing is left to play.
    virtual bool OpenAndScan(int64_t startFrame, ScanMode mode) = 0;
    // Plays the clip from startFrame (counted from the clip's start). False when it did not
    // start (the reason, if any, has been shown).
    virtual bool Play(int64_t startFrame) = 0;
    // Ends playback and closes file and device; harmless when nothing plays.
    virtual void Stop() = 0;
    // Whether a clip is still playing; a clip whose sound has all been played counts as
    // stopped (and is closed on the way).
    virtual bool Playing() = 0;
};

}  // namespace quillon
