// The show's sound cut into movie frames: sample counts per frame, silent holds, clips placed
// at their track's start (also when the movie starts inside a track), overlapping clips added
// and clipped, and a movie whose rate is stored rounded (29.97 as 30) keeping the show's pace.
#include <gtest/gtest.h>

#include <vector>

#include "output/MovieSoundtrack.h"

using namespace quillon;

namespace {

// Mono at 8000 samples a second; the clips count 1, 2, 3, ... from their first sample (up to
// 30000).
MovieSoundtrack Sound(std::vector<std::pair<int32_t, int>> clips) {
    MovieSoundtrack s{.channels = 1, .sampleRate = 8000};
    for (const auto& [start, length] : clips) {
        MovieSoundClip c{.startFrame = start};
        for (int i = 1; i <= length; ++i)
            c.samples.push_back(int16_t(i));
        s.clips.push_back(c);
    }
    return s;
}

// The samples of `frames` movie frames, holds first.
std::vector<std::vector<int16_t>> Frames(MovieSoundMixer& mixer, int holds, int frames) {
    std::vector<std::vector<int16_t>> out(size_t(holds + frames));
    for (int i = 0; i < holds + frames; ++i)
        mixer.NextFrame(i < holds, out[size_t(i)]);
    return out;
}

}  // namespace

TEST(MovieSoundMixerTest, FramesHoldTheirShareOfSamples) {
    const MovieSoundtrack sound = Sound({{0, 100000}});
    MovieSoundMixer mixer(sound, 3000, 0, 30, 30.0);
    const auto frames = Frames(mixer, 2, 4);
    // 8000 / 30 = 266.67 a frame: 266, 267, 267, 266, ...
    std::vector<size_t> sizes;
    for (const auto& f : frames)
        sizes.push_back(f.size());
    EXPECT_EQ(sizes, (std::vector<size_t>{266, 267, 267, 266, 267, 267}));
    // Holds are silent; the range's first frame starts with the clip's first sample.
    EXPECT_EQ(frames[1], std::vector<int16_t>(267, 0));
    EXPECT_EQ(frames[2][0], 1);
    EXPECT_EQ(frames[3][0], 268);
    EXPECT_EQ(mixer.sampleFramesWritten(), 1600);
}

TEST(MovieSoundMixerTest, ClipsArePlacedAtTheirTracksStart) {
    struct Case {
        const char* what;
        std::vector<std::pair<int32_t, int>> clips;
        int32_t start;  // the movie's first show frame
        int64_t at;     // a sample of the range
        int16_t value;
    } cases[] = {
        {"before the track: silence", {{3, 10}}, 0, 799, 0},
        {"the track's first frame", {{3, 10}}, 0, 800, 1},
        {"after the clip: silence", {{3, 10}}, 0, 810, 0},
        {"the movie starts inside the track", {{0, 100000}}, 30, 0, 8001},
        {"overlapping clips add", {{0, 100000}, {0, 100000}}, 0, 99, 200},
        {"and are held to 16 bits", {{0, 100000}, {0, 100000}}, 0, 29999, 32767},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MovieSoundtrack sound = Sound(c.clips);
        MovieSoundMixer mixer(sound, 3000, c.start, 30, 30.0);
        std::vector<int16_t> all, frame;
        while (int64_t(all.size()) <= c.at) {
            mixer.NextFrame(false, frame);
            all.insert(all.end(), frame.begin(), frame.end());
        }
        EXPECT_EQ(all[size_t(c.at)], c.value);
    }
}

TEST(MovieSoundMixerTest, ARoundedMovieRateKeepsTheShowsPace) {
    // 29.97 fps is stored as 30: a second of the stream shows 30 / 29.97 seconds of the show,
    // so after 100 seconds of stream the sound is 100.1 seconds into the clip.
    MovieSoundtrack sound{.channels = 1, .sampleRate = 8000};
    MovieSoundClip clip;
    for (int i = 0; i < 900000; ++i)
        clip.samples.push_back(int16_t(i / 100));  // the clip's hundredth sample
    sound.clips.push_back(clip);
    MovieSoundMixer mixer(sound, 3000, 0, 30, 29.97);
    std::vector<int16_t> frame;
    for (int i = 0; i < 3000; ++i)
        mixer.NextFrame(false, frame);
    mixer.NextFrame(false, frame);
    EXPECT_EQ(mixer.sampleFramesWritten(), 800266);
    EXPECT_EQ(frame[0], 8008);
}
