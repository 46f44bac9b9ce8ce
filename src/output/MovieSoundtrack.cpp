#include "MovieSoundtrack.h"

#include <algorithm>
#include <cmath>

namespace quillon {

namespace {

// floor(a / b) for b > 0.
int64_t FloorDiv(__int128 a, int64_t b) {
    __int128 q = a / b;
    if (a % b != 0 && a < 0) --q;
    return int64_t(q);
}

}  // namespace

MovieSoundMixer::MovieSoundMixer(const MovieSoundtrack& sound, int showRate, int32_t start,
                                 int aviRate, double movieRate)
    : sound_(sound), aviRate_(std::max(1, aviRate)) {
    // Movie frame i shows show frame start + i x step, step being the show's frames per movie
    // frame, so a second of the stream (aviRate frames) holds aviRate / movieRate show seconds.
    ratio_ = movieRate > 0 ? double(aviRate_) / movieRate : 1.0;
    const int64_t rate = showRate > 0 ? showRate : 3000;
    for (const MovieSoundClip& clip : sound_.clips) {
        const __int128 shifted =
            __int128(int64_t(start) - clip.startFrame) * 100 * sound_.sampleRate;
        clipOffsetsExact_.push_back(FloorDiv(shifted, rate));
        clipOffsets_.push_back((double(start) - clip.startFrame) * 100.0 * sound_.sampleRate /
                               double(rate));
    }
}

int16_t MovieSoundMixer::SampleAt(int64_t mainSample, int channel) const {
    int sum = 0;
    const bool exact = ratio_ == 1.0;
    for (size_t c = 0; c < sound_.clips.size(); ++c) {
        const int64_t index = exact ? clipOffsetsExact_[c] + mainSample
                                    : int64_t(std::floor(clipOffsets_[c] + mainSample * ratio_));
        const std::vector<int16_t>& samples = sound_.clips[c].samples;
        const int64_t frames = int64_t(samples.size()) / sound_.channels;
        if (index < 0 || index >= frames) continue;
        sum += samples[size_t(index * sound_.channels + channel)];
    }
    return int16_t(std::clamp(sum, -32768, 32767));
}

void MovieSoundMixer::NextFrame(bool hold, std::vector<int16_t>& out) {
    const int channels = std::max(1, sound_.channels);
    ++frames_;
    const int64_t target = frames_ * sound_.sampleRate / aviRate_;
    const int64_t count = std::max<int64_t>(0, target - written_);
    out.assign(size_t(count * channels), 0);
    if (!hold) {
        if (mainStart_ < 0) mainStart_ = written_;
        for (int64_t k = 0; k < count; ++k)
            for (int ch = 0; ch < channels; ++ch)
                out[size_t(k * channels + ch)] = SampleAt(written_ + k - mainStart_, ch);
    }
    written_ = target;
}

}  // namespace quillon
