#pragma once
// One movie to make: the settings that the "Make a Movie" dialog settles on and that the
// command line's render options give, in one record, so that both make a movie the same way
// from the same profile. MakeMovie opens the writer for the job, runs the frame loop and closes
// the writer; it shows nothing to the user, and says why when it fails.

#include <QString>
#include <cstdint>

#include "model/Settings.h"
#include "output/MovieCodec.h"
#include "output/MovieMaker.h"
#include "output/MovieWriter.h"

namespace quillon {

class Document;
class Profile;

namespace settings {
// Whether the movie dialog puts the sound tracks in (0 or 1), kept beside the codec.
inline const IntSetting kMovieSound{kMovie, QStringLiteral("Sound"), 0};
}  // namespace settings

struct MovieJob {
    MovieFormat format = MovieFormat::kAvi;
    int32_t width = 720;
    int32_t height = 484;
    float frameRate = 30.0f;  // movie frames per second
    int32_t fieldMode = 0;    // 0 frames, 1 even field first, 2 odd field first
    MovieCodec codec = MovieCodec::kUncompressed;
    QString fileName;
    MovieRange range;
    // Put the show's sound tracks into the movie (an AVI of whole frames played forwards; other
    // movies are made without them, see SoundIgnoredReason).
    bool includeSound = false;
};

// Why a job that asks for sound will be made without it: fields, reverse play and Targa
// sequences carry no sound (VRML has no time). Empty when the sound goes in or was not asked
// for.
QString SoundIgnoredReason(const MovieJob& job);

// The dialog's opening values: the profile's "Movie" section (a stored format outside 0..3 is
// AVI, a field mode outside 0..2 frames), the rate stored x 100, the codec, the sound choice,
// and the whole show.
MovieJob ReadMovieJob(const Profile& profile, int showFrameRate, int totalFrames);
// The dialog's OK: writes "Movie"/"Height", "Width", "FrameRate" (rate x 100 + 0.5), "Format",
// "FieldRender", "Codec" and "Sound".
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
// With includeSound and a soundtrack that has sound, the AVI gets a sound stream of the
// soundtrack's format (not owned; null for none).
MovieResult MakeMovie(Document& doc, MovieFrameSource& source, const MovieJob& job,
                      MovieProgress& progress, const MovieSoundtrack* sound = nullptr);

}  // namespace quillon
