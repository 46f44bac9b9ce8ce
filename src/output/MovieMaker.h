#pragma once
// MovieMaker: the frame loop of "Make Movie". It moves the document's current frame over a
// range, has each frame rendered, reads it back and hands it to a MovieWriter, with still holds
// before and after, reverse play, interlaced fields and the show-to-movie frame step. The
// rendering itself is behind MovieFrameSource (the monitor's renderer on screen or offscreen),
// and the user-facing side of a run behind MovieProgress, so this loop needs no GL and no
// widgets.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "output/MovieSoundtrack.h"
#include "output/MovieWriter.h"
#include "pictures/Picture.h"

namespace quillon {

class Document;

// The frames of a run: start .. end of the show (end excluded), forwards or reversed, with
// copies of the first and last frame written before and after.
struct MovieRange {
    int32_t start = 0;
    int32_t end = 0;
    bool reverse = false;
    int startHold = 0;
    int endHold = 0;
};

// What the loop renders through.
class MovieFrameSource {
  public:
    virtual ~MovieFrameSource() = default;
    // Draws the document's current frame as the active camera sees it. With swap the frame is
    // paced and shown; without it stays where ReadPixels finds it.
    virtual void RenderFrame(bool swap) = 0;
    // Shows the frame left by RenderFrame(false) without rendering it again.
    virtual void SwapNow() = 0;
    // Reads the frame rendered last: width x height pixels of 4 bytes (blue, green, red,
    // alpha), bottom row first, rows packed. False when that cannot be read.
    virtual bool ReadPixels(int width, int height, uint8_t* bgra) = 0;
};

// The user-facing side of a run. The defaults do nothing and never stop.
class MovieProgress {
  public:
    virtual ~MovieProgress() = default;
    // Looked at once per written frame, as the loop looks at one waiting message: true (a key
    // press, a cancel) ends the current hold or the main loop.
    virtual bool StopRequested() { return false; }
    // The player's frame display follows the loop.
    virtual void FrameShown(int32_t /*frame*/) {}
    // Before the first render: the drawing area becomes width x height.
    virtual void BeginRun(int /*width*/, int /*height*/) {}
    // After the last write: the window is laid out as before the run.
    virtual void EndRun() {}
};

class MovieMaker {
  public:
    // The writer is filled and opened by the caller; the maker never opens or closes it.
    MovieMaker(Document& doc, MovieFrameSource& source, MovieWriter& writer,
               MovieProgress& progress);

    // Reads the frame the caller has just rendered (in field mode renders both fields itself)
    // into a width x height 24-bit picture and writes it: AVI frame or Targa file. False when
    // reading or writing fails.
    bool WriteFrame(long index);

    // Renders the range at the writer's frame rate. VRML output renders nothing: the world
    // goes to the writer's fileName. True when the whole range was written; false when a write
    // failed or the user stopped the main loop.
    bool MakeMovie(const MovieRange& range);

    // The show's sound, written beside the frames when the writer has a sound stream (its
    // channels and rate those of the soundtrack). Null for none; not owned.
    void SetSoundtrack(const MovieSoundtrack* sound) { sound_ = sound; }

    // The frame last assembled by WriteFrame (24-bit, bottom row first).
    const Picture& frame() const { return frame_; }

  private:
    bool ReadInto(std::vector<uint8_t>& bgra);
    bool WriteHold(int count, const char* status, long& n);
    // The sound of the movie frame just written: silence for a hold.
    bool WriteSound(bool hold);

    Document& doc_;
    MovieFrameSource& source_;
    MovieWriter& writer_;
    MovieProgress& progress_;
    Picture frame_;
    std::vector<uint8_t> read_;
    const MovieSoundtrack* sound_ = nullptr;
    std::unique_ptr<MovieSoundMixer> mixer_;
    std::vector<int16_t> samples_;
};

}  // namespace quillon
