#pragma once
// The show's sound tracks made ready for a movie: each track's WAV file read with our own
// reader, its PCM (8 or 16 bits, any channels and rate) turned into 16-bit samples at one rate
// and channel count, and cut at the track's end. The rate is the highest of the clips', the
// channels the most of theirs (at most two); clips at other rates are resampled linearly.
// Tracks whose files are missing, unreadable or not PCM are left out, each named in `skipped`.

#include <QStringList>

#include "output/MovieSoundtrack.h"

namespace quillon {

class Document;

struct ShowSoundtrackResult {
    MovieSoundtrack sound;
    QStringList skipped;  // "file: why" for every track left out
};

ShowSoundtrackResult BuildShowSoundtrack(const Document& doc);

}  // namespace quillon
