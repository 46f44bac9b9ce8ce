#pragma once
// The show's sound tracks made ready for a movie: each track's WAV file read with our own
// reader, its PCM (8 or 16 bits, any channels and rate) turned into 16-bit samples at one rate
// and channel count, and cut at the track's end. The rate is the highest of the clips', the
// channels the most of theirs (at most two); clips at other rates are resampled linearly.
// Tracks whose files are missing, unreadable or not PCM are left out, each named in `skipped`.

#include <QIODevice>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "output/MovieSoundtrack.h"
#include "player/WaveFile.h"

namespace quillon {

class Document;

struct ShowSoundtrackResult {
    MovieSoundtrack sound;
    QStringList skipped;  // "file: why" for every track left out
};

ShowSoundtrackResult BuildShowSoundtrack(const Document& doc);

// Reads at most `frames` sample frames of 8- or 16-bit PCM from the device (standing at the
// data) as `channels`-channel 16-bit samples: 8-bit samples are centred and widened, a clip with
// fewer channels repeats its last one, extra channels are dropped. What the file holds is kept
// when it ends early; nothing for other sample sizes or a block too small for its samples.
std::vector<int16_t> ReadPcm16(QIODevice& in, const WaveScan& scan, int channels, int64_t frames);

}  // namespace quillon
