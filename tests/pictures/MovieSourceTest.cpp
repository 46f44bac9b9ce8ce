// MovieSource over FFmpeg: frame counts, the AlphaInterleave matte, exact pixels of lossless
// movies in every row layout, seeking in movies whose frames depend on each other, and
// damaged or foreign files and the reasons they give. Fixtures are made here with the ffmpeg
// tool.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <vector>

#include "MovieTestUtil.h"
#include "pictures/MovieSource.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

class MovieSourceTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { MovieSource::SilenceLibraryLog(); }
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    static QString Q(const std::string& s) { return QString::fromStdString(s); }
    QTemporaryDir dir;
};

}  // namespace

// A 100-frame movie whose stream is named "AlphaInterleave" reports 50 frames; frame 10 is
// stream frames 20 (colour) and 21 (matte), 32 bits per pixel. The same movie without the name
// reports 100 frames of 24 bits. Frames decode out of order, back and forth across keyframes,
// and only inside the movie.
TEST_F(MovieSourceTest, FramesOfPlainAndAlphaInterleaveMovies) {
    for (bool alpha : {true, false}) {
        SCOPED_TRACE(alpha ? "AlphaInterleave" : "plain");
        const std::string movie = Path(alpha ? "matte.avi" : "plain.avi");
        ASSERT_TRUE(MakeMovie(movie, 101, 20, 100, kLossless + (alpha ? kAlphaTitle : "")));
        const int frames = alpha ? 50 : 100;
        // The title is stored as the stream's name in the AVI, where other readers find it.
        EXPECT_EQ(ReadFileBytes(movie).find(std::string("strn\x10\0\0\0AlphaInterleave\0", 24)) !=
                      std::string::npos,
                  alpha);
        Picture target;
        // A picture of the same size keeps its buffer: the bytes after each row must still be
        // cleared, not left as they were.
        ASSERT_TRUE(target.Create(101, 20, 24));
        std::memset(target.Bits(0), 0xAB, size_t(target.RowBytes()) * 20);
        MovieSource source;
        ASSERT_EQ(source.Open(Q(movie), &target), frames);
        EXPECT_EQ(
            std::tuple(source.alphaInterleave(), source.width(), source.height(), source.frames()),
            std::tuple(alpha, 101, 20, frames));
        auto check = [&](int k) {
            ASSERT_TRUE(source.ReadFrame(k)) << k;
            const int colour = alpha ? 2 * k : k;
            ASSERT_TRUE(FrameIs(target, 101, 20, colour, alpha ? colour + 1 : -1)) << k;
        };
        for (int k : {10, 49, 0, 37, 36, 11, 12})
            check(k);
        for (int k = 0; k < frames && !alpha; ++k)
            check(k);
        for (int k = frames - 1; k >= 0; k -= 7)
            check(k);
        EXPECT_FALSE(source.ReadFrame(frames));
        EXPECT_FALSE(source.ReadFrame(-1));
        // Closed: no more frames, but what Open learnt stays readable.
        source.Close();
        EXPECT_FALSE(source.ReadFrame(0));
        EXPECT_EQ(std::tuple(source.width(), source.frames(), source.alphaInterleave()),
                  std::tuple(101, frames, alpha));
    }
    // The mark must appear in the title as written; one stream frame makes no movie frame.
    const std::string titled = Path("titled.avi"), single = Path("single.avi");
    for (auto [title, frames] : {std::pair{"key AlphaInterleave 2", 5}, {"alphainterleave", 10}}) {
        ASSERT_TRUE(
            MakeMovie(titled, 8, 4, 10, kLossless + " -metadata:s:v:0 \"title=" + title + "\""));
        MovieSource source;
        EXPECT_EQ(source.Open(Q(titled), nullptr), frames) << title;
    }
    ASSERT_TRUE(MakeMovie(single, 8, 4, 1, kLossless + kAlphaTitle));
    MovieSource source;
    EXPECT_EQ(source.Open(Q(single), nullptr), 0);
    EXPECT_EQ(source.errorString().toStdString(),
              "the AlphaInterleave movie has 1 stream frames; each movie frame takes two");
}

TEST_F(MovieSourceTest, OddWidthsCopyWholeRows) {
    // Raw AVI video keeps its rows bottom-up and padded to 4 bytes; FFV1 has neither.
    for (const std::string& codec : {std::string("-c:v rawvideo -pix_fmt bgr24"), kLossless}) {
        for (auto [w, h] : {std::pair{1, 1}, {3, 5}, {102, 3}, {255, 2}}) {
            const std::string movie = Path("odd.avi");
            ASSERT_TRUE(MakeMovie(movie, w, h, 3, codec));
            Picture target;
            ASSERT_EQ(MovieSource::LoadFrame(Q(movie), 2, &target), 3) << codec << " " << w;
            EXPECT_TRUE(FrameIs(target, w, h, 2)) << codec << " " << w << " x " << h;
        }
    }
}

TEST_F(MovieSourceTest, MotionJpegMatteIsCloseToTheGreyItWasMadeWith) {
    const std::string movie = Path("mjpeg.avi");
    auto solid = [](int n, int, int) {
        if (n % 2) return Bgr{uint8_t(10 + n * 12), uint8_t(10 + n * 12), uint8_t(10 + n * 12)};
        return Bgr{uint8_t(40 + n * 8), uint8_t(200 - n * 6), 120};
    };
    ASSERT_TRUE(MakeMovie(movie, 64, 48, 20, "-c:v mjpeg -q:v 2" + kAlphaTitle, solid));
    Picture target;
    MovieSource source;
    ASSERT_EQ(source.Open(Q(movie), &target), 10);
    // Neighbouring frames differ by 16 in blue and 12 in green, more than the codec's error.
    for (int k : {3, 9, 0, 4}) {
        ASSERT_TRUE(source.ReadFrame(k));
        EXPECT_TRUE(FrameIs(target, 64, 48, 2 * k, 2 * k + 1, solid, 4)) << "movie frame " << k;
    }
}

// MPEG-4 with two B-frames and open groups of pictures: frames come out of the decoder in
// another order than they are stored, and the frames just after a keyframe refer to the group
// before it. Each frame must match the ffmpeg tool's own decoding of the whole movie in order.
TEST_F(MovieSourceTest, ReorderedFramesMatchASequentialDecode) {
    const std::string movie = Path("bframes.avi"), reference = Path("reference.bgr");
    constexpr int w = 162, h = 120, count = 60;  // not a whole number of 16-pixel blocks
    // A bright square moves across a gradient, so every frame differs from its neighbours in
    // a way a lossy codec keeps.
    auto movingSquare = [](int n, int x, int y) {
        const int left = (n * 5) % 140;
        if (x >= left && x < left + 20 && y >= 40 && y < 60) return Bgr{230, 230, 40};
        return Bgr{uint8_t(x + n), uint8_t(y * 2), uint8_t(100 + n)};
    };
    ASSERT_TRUE(MakeMovie(movie, w, h, count, "-c:v mpeg4 -bf 2 -g 12 -q:v 3", movingSquare));
    ASSERT_TRUE(RunCommand("ffmpeg -nostdin -v error -y -i '" + movie +
                           "' -f rawvideo -pix_fmt bgr24 '" + reference + "'"));
    const std::string frames = ReadFileBytes(reference);
    ASSERT_EQ(frames.size(), size_t(w * h * 3 * count));
    auto decoded = [&](int n, int x, int y) {
        const char* q = frames.data() + ((size_t(n) * h + size_t(y)) * w + size_t(x)) * 3;
        return Bgr{uint8_t(q[0]), uint8_t(q[1]), uint8_t(q[2])};
    };
    // The neighbours really differ, so a frame taken from the wrong place cannot pass.
    for (int n = 0; n + 1 < count; ++n) {
        int most = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                most = std::max(most, std::abs(decoded(n, x, y).b - decoded(n + 1, x, y).b));
        ASSERT_GT(most, 20) << "frames " << n << " and " << n + 1;
    }
    Picture target;
    MovieSource source;
    ASSERT_EQ(source.Open(Q(movie), &target), count);
    for (int k : {0, 1, 2, 11, 10, 12, 13, 35, 59, 58, 24, 23, 22, 25, 26, 27}) {
        ASSERT_TRUE(source.ReadFrame(k)) << k;
        EXPECT_TRUE(FrameIs(target, w, h, k, -1, decoded, 2)) << "frame " << k;
    }
    for (int k : {10, 11, 47}) {
        ASSERT_EQ(MovieSource::LoadFrame(Q(movie), k, &target), count);
        EXPECT_TRUE(FrameIs(target, w, h, k, -1, decoded, 2)) << "LoadFrame " << k;
    }
}

// A movie written to a pipe has no index and a placeholder for its length in the header.
TEST_F(MovieSourceTest, MovieWithoutIndexHasItsFramesCounted) {
    const std::string movie = Path("piped.avi");
    ASSERT_TRUE(MakeMovie(movie, 24, 6, 30, kLossless + " -f avi pipe:1 > {out}"));
    ASSERT_EQ(ReadFileBytes(movie).find("idx1"), std::string::npos);
    Picture target;
    MovieSource source;
    ASSERT_EQ(source.Open(Q(movie), &target), 30);
    for (int k : {29, 3, 4, 17}) {
        ASSERT_TRUE(source.ReadFrame(k)) << k;
        EXPECT_TRUE(FrameIs(target, 24, 6, k)) << k;
    }
    EXPECT_FALSE(source.ReadFrame(30));
}

TEST_F(MovieSourceTest, BrokenOrForeignFilesYieldNothingAndLeaveNothingOpen) {
    const std::string good = Path("good.avi");
    ASSERT_TRUE(MakeMovie(good, 16, 8, 10, kLossless));
    const std::string goodBytes = ReadFileBytes(good);
    std::string noise(3000, '\0');
    uint32_t seed = 7;
    for (char& c : noise)
        c = char((seed = seed * 1664525u + 1013904223u) >> 24);
    // Each with the reason it gives.
    const std::tuple<const char*, std::string, const char*> written[] = {
        {"empty.avi", "", "not an AVI movie: Invalid data found"},
        {"noise.avi", noise, "not an AVI movie: Invalid data found"},
        {"riff-then-noise.avi", std::string("RIFF\x10\x27\0\0AVI LIST", 16) + noise,
         "the file has no video stream"},
        {"header-cut.avi", goodBytes.substr(0, 300), "not an AVI movie"}};
    std::vector<std::pair<std::string, const char*>> files = {
        {Path("missing.avi"), "cannot open the movie: No such file or directory"},
        {Path("audio.avi"), "the file has no video stream"},
        {Path("mp4-named.avi"), "not an AVI movie"},  // a movie, but not in an AVI file
        {Path("too-wide.avi"), "the frames are 4100 x 2; a picture holds 1 to 4096 pixels"}};
    for (const auto& [name, bytes, reason] : written) {
        files.emplace_back(Path(name), reason);
        WriteFileBytes(files.back().first, bytes);
    }
    ASSERT_TRUE(RunCommand("ffmpeg -nostdin -v error -y -f lavfi -i sine=d=0.5 -c:a pcm_s16le '" +
                           files[1].first + "'"));
    ASSERT_TRUE(MakeMovie(files[2].first, 16, 8, 10, "-c:v mpeg4 -f mp4"));
    ASSERT_TRUE(MakeMovie(files[3].first, 4100, 2, 2, kLossless));

    const int openBefore = OpenFileCount();
    for (const auto& [file, reason] : files) {
        SCOPED_TRACE(file);
        Picture target;
        MovieSource source;
        EXPECT_EQ(source.Open(Q(file), &target), 0);
        EXPECT_THAT(source.errorString().toStdString(), ::testing::HasSubstr(reason));
        EXPECT_EQ(std::pair(source.frames(), source.width()), std::pair(0, 0));
        EXPECT_FALSE(source.ReadFrame(0));
        EXPECT_EQ(OpenFileCount(), openBefore);
        QString error;
        EXPECT_EQ(MovieSource::LoadFrame(Q(file), 0, &target, &error), 0);
        EXPECT_THAT(error.toStdString(), ::testing::HasSubstr(reason));
        // Untouched: still a fresh picture.
        EXPECT_EQ(std::pair(target.Width(), target.BitCount()), std::pair(16, 8));
    }

    // Cut in the middle of its frames: the index at the end is lost, the header still promises
    // every frame. The whole frames before the cut decode, those after it fail, and the reader
    // still jumps back after running off the end.
    const std::string cut = Path("cut.avi");
    const size_t movi = goodBytes.find("movi"), index = goodBytes.find("idx1");
    ASSERT_NE(index, std::string::npos);
    ASSERT_LT(movi, index);
    WriteFileBytes(cut, goodBytes.substr(0, movi + (index - movi) * 6 / 10));
    Picture target;
    MovieSource source;
    ASSERT_EQ(source.Open(Q(cut), &target), 10);
    int whole = 0;
    while (whole < 10 && source.ReadFrame(whole)) {
        EXPECT_TRUE(FrameIs(target, 16, 8, whole)) << whole;
        ++whole;
    }
    EXPECT_GE(whole, 4);
    EXPECT_LE(whole, 6);
    for (int k = whole + 1; k < 10; ++k) {
        EXPECT_FALSE(source.ReadFrame(k)) << k;
        EXPECT_THAT(
            source.errorString().toStdString(),
            ::testing::HasSubstr("of stream frame " + std::to_string(k) + " cannot be decoded"));
    }
    ASSERT_TRUE(source.ReadFrame(1));
    EXPECT_TRUE(FrameIs(target, 16, 8, 1));
    source.Close();
    EXPECT_EQ(OpenFileCount(), openBefore);
}

TEST_F(MovieSourceTest, ReadFrameNeedsATargetAndAFrameInsideTheMovie) {
    const std::string movie = Path("short.avi");
    ASSERT_TRUE(MakeMovie(movie, 12, 4, 5, kLossless));
    MovieSource source;
    EXPECT_FALSE(source.ReadFrame(0));  // never opened
    EXPECT_EQ(source.errorString().toStdString(), "no movie is open");
    source.Close();  // closing what was never opened is harmless
    ASSERT_EQ(source.Open(Q(movie), nullptr), 5);
    EXPECT_TRUE(source.errorString().isEmpty());
    EXPECT_FALSE(source.ReadFrame(0));
    EXPECT_EQ(source.errorString().toStdString(), "no picture to decode into");
    source.Close();
    source.Close();
    Picture target;
    for (auto [index, frames, reason] :
         {std::tuple{5, 0, "frame 5 is outside the movie's 5 frames"},
          {-1, 0, "frame -1 is outside the movie's 5 frames"},
          {4, 5, ""}}) {
        QString error;
        EXPECT_EQ(MovieSource::LoadFrame(Q(movie), index, &target, &error), frames) << index;
        EXPECT_EQ(error.toStdString(), reason);
    }
    EXPECT_TRUE(FrameIs(target, 12, 4, 4));
    EXPECT_EQ(MovieSource::LoadFrame(Q(movie), 0, nullptr), 0);
}
