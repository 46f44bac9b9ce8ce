#pragma once
// One movie to make: the settings that the "Make a Movie" dialog settles on and that the
// command line's render options give, in one record, so that both make a movie the same way
// from the same profile. MakeMovie opens the writer for the job, runs the frame loop and closes
// the writer; it shows nothing to the user, and says why when it fails.

#include <QString>
#include <cstdint>

#include "output/MovieCodec.h"
#include "output/MovieMaker.h"
#include "output/MovieWriter.h"

namespace quillon {

class Document;
class Profile;

struct MovieJob {
    MovieFormat format = MovieFormat::kAvi;
    int32_t width = 720;
    int32_t height = 484;
    float frameRate = 30.0f;  // movie frames per second
    int32_t fieldMode = 0;    // 0 frames, 1 even field first, 2 odd field first
    MovieCodec codec = MovieCodec::kUncompressed;
    QString fileName;
    MovieRange range;
};

// The dialog's opening values: the profile's "Movie" section (a stored format outside 0..3 is
// AVI, a field mode outside 0..2 frames), the rate stored x 100, the codec, and the whole show.
MovieJob ReadMovieJob(const Profile& profile, int showFrameRate, int totalFrames);
// The dialog's OK: writes "Movie"/"Height", "Width", "FrameRate" (rate x 100 + 0.5), "Format",
// "FieldRender" and "Codec".
void WriteMovieJob(Profile& profile, const MovieJob& job);

enum class MovieOutcome {
    kWritten,     // every frame of the range
    kStopped,     // the user stopped the run; what was written is closed and plays
    kEndedEarly,  // a frame could not be read or written
    kNotOpened,   // nothing was written: the file, size, rate or codec was refused
};

struct MovieResult {
    MovieOutcome outcome = MovieOutcome::kNotOpened;
    // Why a run failed, or why a frame was not written, in the writer's words.
    QString error;
    // Targa frames that could not be saved (the run went on without them).
    int failedFrames = 0;
};

// Makes the job's movie from the frames of source (VRML: writes the world and renders
// nothing). The writer is opened and closed here; a Targa frame that cannot be saved is said
// through the document's host the first time, and the run goes on.
MovieResult MakeMovie(Document& doc, MovieFrameSource& source, const MovieJob& job,
                      MovieProgress& progress);

}  // namespace quillon
