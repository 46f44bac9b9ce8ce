// The movie writer: AVI files in each compression read back through MovieSource, Targa
// sequences under their exact names, frame stepping and the codec choice in the profile.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../pictures/MovieTestUtil.h"
#include "model/Profile.h"
#include "output/MovieCodec.h"
#include "output/MovieFrameStep.h"
#include "output/MovieWriter.h"
#include "pictures/MovieSource.h"

namespace quillon {
namespace {

using testing::Bgr;
using testing::PixelAt;

// Frame n of a lossless movie at x, y counted from the top: every pixel tells its frame, column
// and row, so a swapped channel, a flipped picture or a shifted row shows.
Bgr PatternPixel(int n, int x, int y) {
    return {uint8_t(n * 20 + 10), uint8_t(x * 4 + 1), uint8_t(y * 6 + 2)};
}

// Frame n of a lossy movie: a solid colour over the top half and another over the bottom half.
Bgr TopColour(int n) {
    return {uint8_t(200 - n * 25), uint8_t(40 + n * 20), uint8_t(90)};
}
Bgr BottomColour(int n) {
    return {uint8_t(30), uint8_t(180 - n * 15), uint8_t(60 + n * 30)};
}

template <typename Colour>
void MakeFrame(Picture& p, int width, int height, Colour colour) {
    testing::Fill(p, width, height, 24, colour);
}

void PatternFrame(Picture& p, int n, int width, int height) {
    MakeFrame(p, width, height, [n](int x, int y) { return PatternPixel(n, x, y); });
}

void HalvesFrame(Picture& p, int n, int width, int height) {
    MakeFrame(p, width, height,
              [n, height](int, int y) { return y < height / 2 ? TopColour(n) : BottomColour(n); });
}

::testing::AssertionResult Near(Bgr got, Bgr want, int tolerance) {
    if (std::abs(got.b - want.b) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.r - want.r) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << ::testing::PrintToString(got) << " is not near " << ::testing::PrintToString(want);
}

std::string Probe(const std::string& entries, const std::string& path) {
    const std::string command =
        "ffprobe -v error -select_streams v:0 -show_entries stream=" + entries +
        " -of default=noprint_wrappers=1:nokey=1 '" + path + "'";
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

class MovieWriterTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_.path().toStdString()))
            names.insert(e.path().filename().string());
        return names;
    }
    void Configure(MovieWriter& w, const QString& name, int width, int height, MovieCodec codec,
                   float rate = 25.0f) {
        w.fileName = Path(name);
        w.width = width;
        w.height = height;
        w.format = MovieFormat::kAvi;
        w.codec = codec;
        w.frameRate = rate;
    }
    QTemporaryDir dir_;
};

// --- Lossless: every pixel comes back.

void WriteAndCheckLossless(MovieWriter& w, const QString& path, int width, int height, int frames) {
    ASSERT_TRUE(w.Open());
    Picture frame;
    for (int n = 0; n < frames; ++n) {
        PatternFrame(frame, n, width, height);
        ASSERT_TRUE(w.WriteFrame(frame)) << "frame " << n;
    }
    EXPECT_EQ(w.framesWritten(), frames);
    w.Close();
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(Probe("nb_frames", path.toStdString()), std::to_string(frames));

    Picture read;
    MovieSource source;
    ASSERT_EQ(source.Open(path, &read), frames);
    EXPECT_EQ(source.width(), width);
    EXPECT_EQ(source.height(), height);
    for (int n = 0; n < frames; ++n) {
        ASSERT_TRUE(source.ReadFrame(n));
        EXPECT_TRUE(testing::FrameIs(read, width, height, n, -1, PatternPixel)) << "frame " << n;
    }
}

TEST_F(MovieWriterTest, UncompressedFramesReadBackExactly) {
    MovieWriter w;
    // 30 pixels of 3 bytes do not fill whole 4-byte words: the picture's rows carry padding.
    Configure(w, "raw.avi", 30, 20, MovieCodec::kUncompressed);
    WriteAndCheckLossless(w, Path("raw.avi"), 30, 20, 5);
    EXPECT_EQ(Probe("codec_name", Path("raw.avi").toStdString()), "rawvideo");
}

uint32_t LittleEndian32(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = (v << 8) | uint8_t(bytes.at(at + size_t(k)));
    return v;
}

// Uncompressed frames are stored the way a Windows bitmap is: a positive height (bottom row
// first) and rows of whole 4-byte words, the padding zero.
TEST_F(MovieWriterTest, UncompressedRowsAreBottomUpWholeWords) {
    MovieWriter w;
    Configure(w, "rows.avi", 30, 20, MovieCodec::kUncompressed);
    ASSERT_TRUE(w.Open());
    Picture frame;
    PatternFrame(frame, 0, 30, 20);
    std::memset(frame.Bits(0) + 90, 0xAB, 2);  // padding in the picture is not written
    ASSERT_TRUE(w.WriteFrame(frame));
    w.Close();
    const std::string bytes = testing::ReadFileBytes(Path("rows.avi").toStdString());
    const size_t strf = bytes.find("strf");
    ASSERT_NE(strf, std::string::npos);
    EXPECT_EQ(LittleEndian32(bytes, strf + 12), 30u);  // biWidth
    EXPECT_EQ(LittleEndian32(bytes, strf + 16), 20u);  // biHeight, positive
    const size_t chunk = bytes.find("00dc", bytes.find("movi"));
    ASSERT_NE(chunk, std::string::npos);
    ASSERT_EQ(LittleEndian32(bytes, chunk + 4), 92u * 20u);
    // The first row stored is the picture's bottom row.
    const std::string firstRow = bytes.substr(chunk + 8, 92);
    std::string expected(reinterpret_cast<const char*>(frame.Bits(0)), 90);
    expected += std::string(2, '\0');
    EXPECT_EQ(firstRow, expected);
}

TEST_F(MovieWriterTest, Ffv1FramesReadBackExactly) {
    MovieWriter w;
    Configure(w, "ffv1.avi", 30, 21, MovieCodec::kFfv1);
    WriteAndCheckLossless(w, Path("ffv1.avi"), 30, 21, 14);
    EXPECT_EQ(Probe("codec_name", Path("ffv1.avi").toStdString()), "ffv1");
}

// --- Lossy: the colours come back near enough, the right way up.

struct LossyCase {
    MovieCodec codec;
    const char* probedName;
};

class LossyMovieTest : public MovieWriterTest, public ::testing::WithParamInterface<LossyCase> {};

TEST_P(LossyMovieTest, SolidColoursReadBackNearly) {
    const int width = 64, height = 48, frames = 6;
    MovieWriter w;
    Configure(w, "lossy.avi", width, height, GetParam().codec);
    ASSERT_TRUE(w.Open());
    Picture frame;
    for (int n = 0; n < frames; ++n) {
        HalvesFrame(frame, n, width, height);
        ASSERT_TRUE(w.WriteFrame(frame)) << "frame " << n;
    }
    w.Close();

    const std::string path = Path("lossy.avi").toStdString();
    EXPECT_EQ(Probe("codec_name", path), GetParam().probedName);
    Picture read;
    MovieSource source;
    ASSERT_EQ(source.Open(Path("lossy.avi"), &read), frames);
    EXPECT_EQ(source.width(), width);
    EXPECT_EQ(source.height(), height);
    for (int n = 0; n < frames; ++n) {
        ASSERT_TRUE(source.ReadFrame(n));
        // Away from the edge between the halves, where 4:2:0 colour blurs.
        for (int x : {4, 32, 59}) {
            EXPECT_TRUE(Near(PixelAt(read, x, height - 1 - 8), TopColour(n), 10))
                << "frame " << n << " top x " << x;
            EXPECT_TRUE(Near(PixelAt(read, x, 8), BottomColour(n), 10))
                << "frame " << n << " bottom x " << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, LossyMovieTest,
                         ::testing::Values(LossyCase{MovieCodec::kMotionJpeg, "mjpeg"},
                                           LossyCase{MovieCodec::kMpeg4, "mpeg4"},
                                           LossyCase{MovieCodec::kH264, "h264"}),
                         [](const ::testing::TestParamInfo<LossyCase>& info) {
                             return std::string(info.param.probedName);
                         });

// --- The stream's rate.

TEST(AviFrameRate, TruncatesAfterAddingFiveHundredths) {
    EXPECT_EQ(AviFrameRate(29.97f), 30);
    EXPECT_EQ(AviFrameRate(29.9f), 29);
    EXPECT_EQ(AviFrameRate(24.0f), 24);
    EXPECT_EQ(AviFrameRate(23.976f), 24);
    EXPECT_EQ(AviFrameRate(25.94f), 25);
    EXPECT_EQ(AviFrameRate(0.5f), 0);
}

TEST_F(MovieWriterTest, FileRateIsTheTruncatedRateOverOne) {
    for (const auto& [rate, expected] : {std::pair{29.97f, "30/1"}, std::pair{29.9f, "29/1"}}) {
        MovieWriter w;
        Configure(w, "rate.avi", 16, 16, MovieCodec::kUncompressed, rate);
        ASSERT_TRUE(w.Open());
        Picture frame;
        PatternFrame(frame, 0, 16, 16);
        ASSERT_TRUE(w.WriteFrame(frame));
        w.Close();
        EXPECT_EQ(Probe("r_frame_rate", Path("rate.avi").toStdString()), expected) << rate;
    }
}

TEST_F(MovieWriterTest, RateBelowOneIsRefused) {
    MovieWriter w;
    Configure(w, "slow.avi", 16, 16, MovieCodec::kUncompressed, 0.9f);
    EXPECT_FALSE(w.Open());
    EXPECT_FALSE(QFile::exists(Path("slow.avi")));
}

// --- Failures and early ends.

TEST_F(MovieWriterTest, UnwritablePathFailsCleanly) {
    MovieWriter w;
    Configure(w, "no such folder/movie.avi", 16, 16, MovieCodec::kUncompressed);
    EXPECT_FALSE(w.Open());
    EXPECT_FALSE(w.isOpen());
    Picture frame;
    PatternFrame(frame, 0, 16, 16);
    EXPECT_FALSE(w.WriteFrame(frame));
    w.Close();
    // A folder where the file should go.
    ASSERT_TRUE(QDir(dir_.path()).mkdir("taken.avi"));
    Configure(w, "taken.avi", 16, 16, MovieCodec::kFfv1);
    EXPECT_FALSE(w.Open());
    EXPECT_EQ(Files(), (std::set<std::string>{"taken.avi"}));
}

// H.264 in 4:2:0 wants even sizes and is refused before any file is made; MPEG-4 and Motion
// JPEG take odd sizes and give them back.
TEST_F(MovieWriterTest, OddSizes) {
    MovieWriter h264;
    Configure(h264, "odd.avi", 31, 17, MovieCodec::kH264);
    EXPECT_FALSE(h264.Open());
    EXPECT_FALSE(QFile::exists(Path("odd.avi")));
    for (MovieCodec codec : {MovieCodec::kMpeg4, MovieCodec::kMotionJpeg}) {
        const std::string name = MovieCodecName(codec).toStdString();
        MovieWriter w;
        Configure(w, "odd.avi", 31, 17, codec);
        ASSERT_TRUE(w.Open()) << name;
        Picture frame;
        for (int n = 0; n < 2; ++n) {
            HalvesFrame(frame, n, 31, 17);
            ASSERT_TRUE(w.WriteFrame(frame)) << name;
        }
        w.Close();
        Picture read;
        MovieSource source;
        ASSERT_EQ(source.Open(Path("odd.avi"), &read), 2) << name;
        EXPECT_EQ(source.width(), 31);
        EXPECT_EQ(source.height(), 17);
        ASSERT_TRUE(source.ReadFrame(1));
        EXPECT_TRUE(Near(PixelAt(read, 15, 14), TopColour(1), 12)) << name;
        EXPECT_TRUE(Near(PixelAt(read, 15, 2), BottomColour(1), 12)) << name;
    }
}

TEST_F(MovieWriterTest, ClosingMidwayLeavesThePlayableFramesWrittenSoFar) {
    const int width = 24, height = 10;
    for (MovieCodec codec : {MovieCodec::kUncompressed, MovieCodec::kFfv1}) {
        const QString path = Path("partial.avi");
        {
            MovieWriter w;
            Configure(w, "partial.avi", width, height, codec);
            ASSERT_TRUE(w.Open());
            Picture frame;
            for (int n = 0; n < 3; ++n) {
                PatternFrame(frame, n, width, height);
                ASSERT_TRUE(w.WriteFrame(frame));
            }
            // A frame of the wrong size fails and is not counted; the loop would stop here.
            Picture wrong;
            PatternFrame(wrong, 3, width + 2, height);
            EXPECT_FALSE(w.WriteFrame(wrong));
            EXPECT_EQ(w.framesWritten(), 3);
            // No Close: the writer going away finishes the file.
        }
        // The headers count the frames and the index lists them: the file was finished.
        EXPECT_EQ(Probe("nb_frames", path.toStdString()), "3");
        EXPECT_NE(testing::ReadFileBytes(path.toStdString()).find("idx1"), std::string::npos);
        Picture read;
        MovieSource source;
        ASSERT_EQ(source.Open(path, &read), 3) << MovieCodecName(codec).toStdString();
        for (int n = 0; n < 3; ++n) {
            ASSERT_TRUE(source.ReadFrame(n));
            EXPECT_TRUE(testing::FrameIs(read, width, height, n, -1, PatternPixel));
        }
        source.Close();
        ASSERT_TRUE(QFile::remove(path));
    }
}

// A disk that fills up mid-way: a child process whose files may not grow past 40000 bytes
// writes frames of 9216 bytes. A write must fail (not report success while the data is lost)
// and closing afterwards must still return.
// Uncompressed frames are written at once; compressed ones on the encoding thread, whose
// failure the next WriteFrame reports.
void FullDiskFailsAWrite(const QString& path, MovieCodec codec) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{40000, 40000};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
        MovieWriter w;
        w.fileName = path;
        w.width = 64;
        w.height = 48;
        w.codec = codec;
        if (!w.Open()) _exit(3);
        Picture frame;
        PatternFrame(frame, 0, 64, 48);
        int written = 0;
        while (written < 500 && w.WriteFrame(frame))
            ++written;
        const bool failed = written < 500 && !w.WriteFrame(frame);
        w.Close();
        _exit(failed ? 0 : 4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LE(QFileInfo(path).size(), 40000);
}

TEST_F(MovieWriterTest, AFullDiskFailsAWrite) {
    FullDiskFailsAWrite(Path("full.avi"), MovieCodec::kUncompressed);
    FullDiskFailsAWrite(Path("full-ffv1.avi"), MovieCodec::kFfv1);
}

TEST_F(MovieWriterTest, CloseIsSafeTwiceAndBeforeOpen) {
    MovieWriter w;
    w.Close();
    Configure(w, "twice.avi", 8, 8, MovieCodec::kUncompressed);
    ASSERT_TRUE(w.Open());
    Picture frame;
    PatternFrame(frame, 0, 8, 8);
    ASSERT_TRUE(w.WriteFrame(frame));
    w.Close();
    w.Close();
    EXPECT_FALSE(w.WriteFrame(frame));
    Picture read;
    EXPECT_EQ(MovieSource::LoadFrame(Path("twice.avi"), 0, &read), 1);
}

TEST_F(MovieWriterTest, FramesOfAnotherSizeOrDepthAreRefused) {
    MovieWriter w;
    Configure(w, "depth.avi", 8, 8, MovieCodec::kUncompressed);
    ASSERT_TRUE(w.Open());
    Picture frame;
    ASSERT_TRUE(frame.Create(8, 8, 32));
    EXPECT_FALSE(w.WriteFrame(frame));
    PatternFrame(frame, 0, 8, 9);
    EXPECT_FALSE(w.WriteFrame(frame));
    EXPECT_EQ(w.framesWritten(), 0);
}

// --- Targa sequences.

TEST(TargaNumbering, FromTheChosenName) {
    auto check = [](const char* chosen, const char* base, long first) {
        const TargaNumbering n = TargaNumberingFor(QString::fromUtf8(chosen));
        EXPECT_EQ(n.baseName.toStdString(), base) << chosen;
        EXPECT_EQ(n.first, first) << chosen;
    };
    check("/shows/take.tga", "/shows/take", 0);
    check("/shows/take99.tga", "/shows/take", 99);
    check("/shows/take0010.tga", "/shows/take", 10);
    check("/shows/take", "/shows/take", 0);
    check("/shows/take.final.tga", "/shows/take", 0);
    check("/my.shows/take5.tga", "/my.shows/take", 5);
    check("/shows/take1234567.tga", "/shows/take1", 234567);
    check("/shows/007.tga", "/shows/", 7);
    check("/shows/.tga", "/shows/", 0);
}

TEST(TargaNumbering, FrameNames) {
    EXPECT_EQ(TargaFrameName("/shows/take", 0).toStdString(), "/shows/take0000.tga");
    EXPECT_EQ(TargaFrameName("/shows/take", 99).toStdString(), "/shows/take0099.tga");
    EXPECT_EQ(TargaFrameName("/shows/take", 12345).toStdString(), "/shows/take12345.tga");
    EXPECT_EQ(TargaFrameName("", 7).toStdString(), "0007.tga");
}

// The frame loop's use of the writer: holds go to the chosen name, numbered frames after them.
TEST_F(MovieWriterTest, TargaSequenceUnderExactNames) {
    for (MovieFormat format : {MovieFormat::kTarga16, MovieFormat::kTarga24}) {
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        MovieWriter w;
        w.format = format;
        w.width = 10;
        w.height = 6;
        w.fileName = folder.filePath("shot0010.tga");
        ASSERT_TRUE(w.Open());
        EXPECT_FALSE(w.isOpen());  // nothing stays open

        const TargaNumbering numbering = TargaNumberingFor(w.fileName);
        long n = numbering.first;
        Picture frame;
        std::vector<std::string> expectedBytes;
        for (int hold = 0; hold < 2; ++hold, ++n) {
            PatternFrame(frame, hold, 10, 6);
            ASSERT_TRUE(w.WriteFrame(frame));
        }
        const std::string holdBytes = testing::WriteBytes(frame, PictureWriteMode::kTarga);
        for (int k = 0; k < 3; ++k, ++n) {
            w.fileName = TargaFrameName(numbering.baseName, n);
            PatternFrame(frame, 5 + k, 10, 6);
            ASSERT_TRUE(w.WriteFrame(frame));
            expectedBytes.push_back(testing::WriteBytes(frame, PictureWriteMode::kTarga));
        }
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder.path().toStdString()))
            names.insert(e.path().filename().string());
        EXPECT_EQ(names, (std::set<std::string>{"shot0010.tga", "shot0012.tga", "shot0013.tga",
                                                "shot0014.tga"}));
        const std::string dir = folder.path().toStdString() + "/";
        EXPECT_EQ(testing::ReadFileBytes(dir + "shot0010.tga"), holdBytes);
        EXPECT_EQ(testing::ReadFileBytes(dir + "shot0012.tga"), expectedBytes[0]);
        EXPECT_EQ(testing::ReadFileBytes(dir + "shot0014.tga"), expectedBytes[2]);
        // An uncompressed 24-bit Targa: 18-byte header, then 3 bytes a pixel.
        ASSERT_EQ(expectedBytes[0].size(), 18u + 10u * 6u * 3u);
        EXPECT_EQ(expectedBytes[0][2], 2);
        EXPECT_EQ(expectedBytes[0][16], 24);
        w.Close();
    }
}

TEST_F(MovieWriterTest, TargaNumberingFromAPlainName) {
    MovieWriter w;
    w.format = MovieFormat::kTarga24;
    w.width = 4;
    w.height = 4;
    w.fileName = Path("take.tga");
    ASSERT_TRUE(w.Open());
    const TargaNumbering numbering = TargaNumberingFor(w.fileName);
    Picture frame;
    for (long n = numbering.first; n < numbering.first + 2; ++n) {
        w.fileName = TargaFrameName(numbering.baseName, n);
        PatternFrame(frame, int(n), 4, 4);
        ASSERT_TRUE(w.WriteFrame(frame));
    }
    EXPECT_EQ(Files(), (std::set<std::string>{"take0000.tga", "take0001.tga"}));
    Picture read;
    ASSERT_TRUE(read.Load(Path("take0001.tga"), {}, nullptr));
    EXPECT_TRUE(testing::FrameIs(read, 4, 4, 1, -1, PatternPixel));
}

TEST_F(MovieWriterTest, TargaWriteToAMissingFolderFails) {
    MovieWriter w;
    w.format = MovieFormat::kTarga24;
    w.width = 4;
    w.height = 4;
    w.fileName = Path("missing/take.tga");
    ASSERT_TRUE(w.Open());
    Picture frame;
    PatternFrame(frame, 0, 4, 4);
    EXPECT_FALSE(w.WriteFrame(frame));
    EXPECT_TRUE(Files().empty());
}

// --- Stepping a show at the movie's rate.

TEST(MovieFrameStep, ThirtyToTwentyFour) {
    const double step = MovieFrameStep(3000, 24.0f);
    EXPECT_DOUBLE_EQ(step, 1.25);
    EXPECT_EQ(MovieFrameSequence(0, 11, step), (std::vector<int32_t>{0, 1, 2, 3, 5, 6, 7, 8, 10}));
}

TEST(MovieFrameStep, ThirtyToFifteenTakesEverySecondFrame) {
    const double step = MovieFrameStep(3000, 15.0f);
    EXPECT_DOUBLE_EQ(step, 2.0);
    EXPECT_EQ(MovieFrameSequence(7, 16, step), (std::vector<int32_t>{7, 9, 11, 13, 15}));
}

TEST(MovieFrameStep, SameRateTakesEveryFrameUpToTheEnd) {
    const double step = MovieFrameStep(2500, 25.0f);
    EXPECT_DOUBLE_EQ(step, 1.0);
    std::vector<int32_t> frames = MovieFrameSequence(100, 200, step);
    ASSERT_EQ(frames.size(), 100u);
    EXPECT_EQ(frames.front(), 100);
    EXPECT_EQ(frames.back(), 199);
}

TEST(MovieFrameStep, ProgressClimbsFromZeroToNinetyNine) {
    const double step = MovieFrameStep(3000, 30.0f);
    std::vector<int> shown;
    for (double position = 100; int32_t(position) < 200; position += step)
        shown.push_back(MovieProgressPercent(position, 100, 200));
    ASSERT_EQ(shown.size(), 100u);
    EXPECT_EQ(shown.front(), 0);
    EXPECT_EQ(shown[37], 37);
    EXPECT_EQ(shown.back(), 99);
    EXPECT_EQ(MovieProgressPercent(12.5, 0, 50), 25);
    EXPECT_EQ(MovieProgressPercent(3.0, 7, 7), 0);
}

TEST(MovieFrameStep, NoStepNoFrames) {
    EXPECT_EQ(MovieFrameStep(3000, 0.0f), 0.0);
    EXPECT_TRUE(MovieFrameSequence(0, 10, 0.0).empty());
    EXPECT_TRUE(MovieFrameSequence(5, 5, 1.0).empty());
}

// --- The codec choice in the profile.

TEST(MovieCodecProfile, StoredUnderMovieCodec) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Profile profile(dir.filePath("quillon.ini"));
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kUncompressed);
    WriteMovieCodec(profile, MovieCodec::kH264);
    EXPECT_EQ(profile.GetInt("Movie", "Codec", -1), 4);
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kH264);
    WriteMovieCodec(profile, MovieCodec::kFfv1);
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kFfv1);
    profile.WriteInt("Movie", "Codec", 9);
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kUncompressed);
    profile.WriteInt("Movie", "Codec", -1);
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kUncompressed);
}

TEST(MovieCodecProfile, EveryIndexNamesItsCodec) {
    std::set<QString> names;
    for (int i = 0; i < kMovieCodecCount; ++i) {
        EXPECT_EQ(static_cast<int>(MovieCodecFromIndex(i)), i);
        names.insert(MovieCodecName(MovieCodecFromIndex(i)));
    }
    EXPECT_EQ(names.size(), size_t(kMovieCodecCount));
    EXPECT_FALSE(names.contains(QString()));
}

}  // namespace
}  // namespace quillon
