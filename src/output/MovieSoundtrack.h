#pragma once
// The show's sound for a movie: the sound tracks' clips decoded to 16-bit signed PCM at one
// rate and channel count (the player's ShowSoundtrack makes them from the WAV files), and the
// mixer that cuts that sound into movie frames in step with the pictures: each clip starts at
// its track's start frame and ends at its track's end, overlapping clips are added (clipped to
// 16 bits), hold frames are silent, and the show-to-movie frame step is followed so the sound
// of a frame is the sound of the show frame the movie shows there.

#include <cstdint>
#include <vector>

namespace quillon {

struct MovieSoundClip {
    int32_t startFrame = 0;        // the track's start frame (show frames)
    std::vector<int16_t> samples;  // interleaved; already cut at the track's end
};

struct MovieSoundtrack {
    int channels = 0;
    int sampleRate = 0;
    std::vector<MovieSoundClip> clips;
    bool usable() const { return channels > 0 && sampleRate > 0; }
};

class MovieSoundMixer {
  public:
    // The movie's range starts at show frame `start`; its stream runs at `aviRate` frames a
    // second (the integer rate the AVI is written at) for a movie made at `movieRate`, whose
    // frames step through the show at the show's own pace. showRate is frames per second x 100.
    MovieSoundMixer(const MovieSoundtrack& sound, int showRate, int32_t start, int aviRate,
                    double movieRate);

    // The samples of the next movie frame (interleaved): silence for a hold frame, the show's
    // sound for a frame of the range. Frames get sampleRate / aviRate sample frames each, the
    // remainders spread so that n frames hold n x sampleRate / aviRate in all.
    void NextFrame(bool hold, std::vector<int16_t>& out);

    int64_t sampleFramesWritten() const { return written_; }

  private:
    int16_t SampleAt(int64_t mainSample, int channel) const;

    const MovieSoundtrack& sound_;
    int aviRate_;
    double ratio_;  // show seconds per movie second (1 when the movie keeps its rate)
    std::vector<double> clipOffsets_;        // clip sample at the first frame of the range
    std::vector<int64_t> clipOffsetsExact_;  // the same, whole, for ratio 1
    int64_t frames_ = 0;
    int64_t written_ = 0;
    int64_t mainStart_ = -1;
};

}  // namespace quillon
