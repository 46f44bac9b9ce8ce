// The movie writer: AVI files in each compression read back through MovieSource, the stored
// rows and rate, refusals and early ends, Targa frames and their numbering, and the codec
// choice in the profile. The frame loop that drives the writer is MovieMakerTest's.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "../pictures/MovieTestUtil.h"
#include "model/Profile.h"
#include "output/MovieCodec.h"
#include "output/MovieFrameStep.h"  // AviFrameRate
#include "output/MovieWriter.h"
#include "pictures/MovieSource.h"

namespace quillon {
namespace {

using testing::Bgr;
using testing::FrameIs;
using testing::PixelAt;

// Frame n of a lossless movie at x, y counted from the top: every pixel tells its frame, column
// and row, so a swapped channel, a flipped picture or a shifted row shows.
Bgr PatternPixel(int n, int x, int y) {
    return {uint8_t(n * 20 + 10), uint8_t(x * 4 + 1), uint8_t(y * 6 + 2)};
}
void PatternFrame(Picture& p, int n, int width, int height) {
    testing::Fill(p, width, height, 24, [n](int x, int y) { return PatternPixel(n, x, y); });
}

// Frame n of a lossy movie: one solid colour over the top half, another over the bottom half.
Bgr TopColour(int n) {
    return {uint8_t(200 - n * 25), uint8_t(40 + n * 20), uint8_t(90)};
}
Bgr BottomColour(int n) {
    return {uint8_t(30), uint8_t(180 - n * 15), uint8_t(60 + n * 30)};
}
void HalvesFrame(Picture& p, int n, int width, int height) {
    testing::Fill(p, width, height, 24, [n, height](int, int y) {
        return y < height / 2 ? TopColour(n) : BottomColour(n);
    });
}

::testing::AssertionResult Near(Bgr got, Bgr want, int tolerance) {
    if (std::abs(got.b - want.b) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.r - want.r) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << ::testing::PrintToString(got) << " is not near " << ::testing::PrintToString(want);
}

// What ffprobe says of the first video stream.
std::string Probe(const std::string& entries, const QString& path) {
    const std::string command =
        "ffprobe -v error -select_streams v:0 -show_entries stream=" + entries +
        " -of default=noprint_wrappers=1:nokey=1 '" + path.toStdString() + "'";
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
                   float rate = 25.0f, MovieFormat format = MovieFormat::kAvi) {
        w.fileName = Path(name);
        w.width = width;
        w.height = height;
        w.format = format;
        w.codec = codec;
        w.frameRate = rate;
    }
    QTemporaryDir dir_;
};

// --- AVI files read back.

struct LosslessCase {
    MovieCodec codec;
    const char* probedName;
    int width, height, frames;
    float rate;
    const char* probedRate;  // truncate(rate + 0.05) over 1
};

class LosslessMovieTest : public MovieWriterTest,
                          public ::testing::WithParamInterface<LosslessCase> {};

TEST_P(LosslessMovieTest, EveryPixelReadsBack) {
    const LosslessCase& c = GetParam();
    MovieWriter w;
    Configure(w, "lossless.avi", c.width, c.height, c.codec, c.rate);
    ASSERT_TRUE(w.Open());
    Picture frame, read;
    for (int n = 0; n < c.frames; ++n) {
        PatternFrame(frame, n, c.width, c.height);
        ASSERT_TRUE(w.WriteFrame(frame)) << "frame " << n;
    }
    EXPECT_EQ(w.framesWritten(), c.frames);
    w.Close();
    EXPECT_FALSE(w.isOpen());
    const QString path = Path("lossless.avi");
    EXPECT_EQ(Probe("codec_name,r_frame_rate,nb_frames", path),
              std::string(c.probedName) + "\n" + c.probedRate + "\n" + std::to_string(c.frames));
    MovieSource source;
    ASSERT_EQ(source.Open(path, &read), c.frames);
    for (int n = 0; n < c.frames; ++n) {
        ASSERT_TRUE(source.ReadFrame(n));
        EXPECT_TRUE(FrameIs(read, c.width, c.height, n, -1, PatternPixel)) << "frame " << n;
    }
}

// 30 pixels of 3 bytes do not fill whole 4-byte words: the picture's rows carry padding.
INSTANTIATE_TEST_SUITE_P(Codecs, LosslessMovieTest,
                         ::testing::Values(LosslessCase{MovieCodec::kUncompressed, "rawvideo", 30,
                                                        20, 5, 29.97f, "30/1"},
                                           LosslessCase{MovieCodec::kFfv1, "ffv1", 30, 21, 14,
                                                        29.9f, "29/1"}),
                         [](const auto& info) { return std::string(info.param.probedName); });

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
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    const size_t strf = bytes.find("strf"), chunk = bytes.find("00dc", bytes.find("movi"));
    ASSERT_NE(strf, std::string::npos);
    ASSERT_NE(chunk, std::string::npos);
    EXPECT_EQ(std::tuple(u32(strf + 12), u32(strf + 16), u32(chunk + 4)),
              std::tuple(30u, 20u, 92u * 20u));  // biWidth, positive biHeight, chunk size
    EXPECT_EQ(bytes.substr(chunk + 8, 92),
              std::string(reinterpret_cast<const char*>(frame.Bits(0)), 90) + '\0' + '\0');
}

// Lossy codecs give the colours back near enough and the right way up; MPEG-4 and Motion JPEG
// take odd sizes too.
struct LossyCase {
    MovieCodec codec;
    const char* name;
    int width, height;
};

class LossyMovieTest : public MovieWriterTest, public ::testing::WithParamInterface<LossyCase> {};

TEST_P(LossyMovieTest, SolidColoursReadBackNearly) {
    const auto [codec, name, width, height] = GetParam();
    const int frames = 6;
    MovieWriter w;
    Configure(w, "lossy.avi", width, height, codec);
    ASSERT_TRUE(w.Open());
    Picture frame, read;
    for (int n = 0; n < frames; ++n) {
        HalvesFrame(frame, n, width, height);
        ASSERT_TRUE(w.WriteFrame(frame)) << "frame " << n;
    }
    w.Close();
    EXPECT_EQ(Probe("codec_name,width,height", Path("lossy.avi")),
              std::string(name) + "\n" + std::to_string(width) + "\n" + std::to_string(height));
    MovieSource source;
    ASSERT_EQ(source.Open(Path("lossy.avi"), &read), frames);
    for (int n = 0; n < frames; ++n) {
        ASSERT_TRUE(source.ReadFrame(n));
        // Away from the edge between the halves, where 4:2:0 colour blurs.
        for (int x : {3, width / 2, width - 4}) {
            EXPECT_TRUE(Near(PixelAt(read, x, height - 3), TopColour(n), 12)) << n << " x " << x;
            EXPECT_TRUE(Near(PixelAt(read, x, 2), BottomColour(n), 12)) << n << " x " << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Codecs, LossyMovieTest,
                         ::testing::Values(LossyCase{MovieCodec::kMotionJpeg, "mjpeg", 64, 48},
                                           LossyCase{MovieCodec::kMpeg4, "mpeg4", 64, 48},
                                           LossyCase{MovieCodec::kH264, "h264", 64, 48},
                                           LossyCase{MovieCodec::kMotionJpeg, "mjpeg", 31, 17},
                                           LossyCase{MovieCodec::kMpeg4, "mpeg4", 31, 17}),
                         [](const auto& info) {
                             return std::string(info.param.name) + std::to_string(info.param.width);
                         });

TEST(AviFrameRate, TruncatesAfterAddingFiveHundredths) {
    for (auto [rate, stored] :
         {std::pair{29.97f, 30}, {29.9f, 29}, {24.0f, 24}, {23.976f, 24}, {25.94f, 25}, {0.5f, 0}})
        EXPECT_EQ(AviFrameRate(rate), stored) << rate;
}

// --- Refusals and early ends.

// Open refuses what cannot be written before any file is made, and says why.
TEST_F(MovieWriterTest, RefusedMoviesMakeNoFileAndSayWhy) {
    ASSERT_TRUE(QDir(dir_.path()).mkdir("taken.avi"));  // a folder where the file should go
    ASSERT_TRUE(QDir(dir_.path()).mkdir("locked"));
    ASSERT_TRUE(QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner));
    const struct {
        const char* name;
        int width, height;
        MovieCodec codec;
        float rate;
        const char* reason;
    } cases[] = {
        {"slow.avi", 16, 16, MovieCodec::kUncompressed, 0.9f, "stored as 0 frames a second"},
        {"odd.avi", 31, 17, MovieCodec::kH264, 25, "refuses odd sizes (31 x 17)"},
        {"empty.avi", 0, 16, MovieCodec::kUncompressed, 25, "0 x 16 is outside 1 to 4096"},
        {"huge.avi", 4097, 16, MovieCodec::kFfv1, 25, "4097 x 16 is outside 1 to 4096"},
        {"no such folder/movie.avi", 16, 16, MovieCodec::kUncompressed, 25,
         "No such file or directory"},
        {"taken.avi", 16, 16, MovieCodec::kFfv1, 25, "Is a directory"},
        // Root may write anywhere; everyone else is refused.
        {"locked/movie.avi", 16, 16, MovieCodec::kFfv1, 25,
         geteuid() == 0 ? nullptr : "Permission denied"},
    };
    Picture frame;
    PatternFrame(frame, 0, 16, 16);
    for (const auto& c : cases) {
        if (!c.reason) continue;
        SCOPED_TRACE(c.name);
        MovieWriter w;
        Configure(w, c.name, c.width, c.height, c.codec, c.rate);
        EXPECT_FALSE(w.Open());
        EXPECT_FALSE(w.isOpen());
        EXPECT_THAT(w.errorString().toStdString(), ::testing::HasSubstr(c.reason));
        EXPECT_FALSE(w.WriteFrame(frame));
        if (c.width == 16 && c.height == 16) {
            EXPECT_EQ(w.errorString().toStdString(), "no movie is open");
        }
        w.Close();
    }
    EXPECT_EQ(Files(), (std::set<std::string>{"locked", "taken.avi"}));
    EXPECT_TRUE(QDir(Path("locked")).isEmpty());
}

TEST_F(MovieWriterTest, ClosingMidwayLeavesThePlayableFramesWrittenSoFar) {
    const int width = 24, height = 10;
    for (MovieCodec codec : {MovieCodec::kUncompressed, MovieCodec::kFfv1}) {
        SCOPED_TRACE(MovieCodecName(codec).toStdString());
        const QString path = Path("partial.avi");
        Picture frame, wrong, read;
        {
            MovieWriter w;
            w.Close();  // harmless before Open
            Configure(w, "partial.avi", width, height, codec);
            ASSERT_TRUE(w.Open());
            for (int n = 0; n < 3; ++n) {
                PatternFrame(frame, n, width, height);
                ASSERT_TRUE(w.WriteFrame(frame));
            }
            // Frames of another size or depth fail and are not counted.
            PatternFrame(wrong, 3, width + 2, height);
            EXPECT_FALSE(w.WriteFrame(wrong));
            EXPECT_EQ(w.errorString(),
                      "the frame is 26 x 10 at 24 bits; the movie takes 24 x 10 at 24");
            ASSERT_TRUE(wrong.Create(width, height, 32));
            EXPECT_FALSE(w.WriteFrame(wrong));
            EXPECT_EQ(w.framesWritten(), 3);
            // No Close: the writer going away finishes the file.
        }
        // The headers count the frames and the index lists them: the file was finished.
        EXPECT_EQ(Probe("nb_frames", path), "3");
        EXPECT_NE(testing::ReadFileBytes(path.toStdString()).find("idx1"), std::string::npos);
        MovieSource source;
        ASSERT_EQ(source.Open(path, &read), 3);
        for (int n = 0; n < 3; ++n) {
            ASSERT_TRUE(source.ReadFrame(n));
            EXPECT_TRUE(FrameIs(read, width, height, n, -1, PatternPixel));
        }
        source.Close();
        ASSERT_TRUE(QFile::remove(path));
    }
    // Closed twice, nothing more is written.
    MovieWriter w;
    Configure(w, "twice.avi", 8, 8, MovieCodec::kUncompressed);
    ASSERT_TRUE(w.Open());
    Picture frame, read;
    PatternFrame(frame, 0, 8, 8);
    ASSERT_TRUE(w.WriteFrame(frame));
    w.Close();
    w.Close();
    EXPECT_FALSE(w.WriteFrame(frame));
    EXPECT_EQ(MovieSource::LoadFrame(Path("twice.avi"), 0, &read), 1);
}

// A disk that fills up mid-way: a child process whose files may not grow past 40000 bytes
// writes frames of 9216 bytes. A write must fail (not report success while the data is lost)
// and closing afterwards must still return, the reason being what the system said. Uncompressed
// frames are written at once; compressed ones on the encoding thread, whose failure the next
// WriteFrame reports.
TEST_F(MovieWriterTest, AFullDiskFailsAWrite) {
    for (MovieCodec codec : {MovieCodec::kUncompressed, MovieCodec::kFfv1}) {
        const QString path = Path(codec == MovieCodec::kFfv1 ? "full-ffv1.avi" : "full.avi");
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{40000, 40000};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
            MovieWriter w;
            Configure(w, QFileInfo(path).fileName(), 64, 48, codec);
            if (!w.Open()) _exit(3);
            Picture frame;
            PatternFrame(frame, 0, 64, 48);
            int written = 0;
            while (written < 500 && w.WriteFrame(frame))
                ++written;
            const bool failed = written < 500 && !w.WriteFrame(frame);
            const bool told = w.errorString().contains("File too large");
            w.Close();
            _exit(!failed ? 4 : !told ? 5 : 0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << path.toStdString();
        EXPECT_LE(QFileInfo(path).size(), 40000);
    }
}

// --- Targa sequences.

TEST(TargaNumbering, FromTheChosenNameAndBackToFrameNames) {
    const struct {
        const char* chosen;
        const char* base;
        long first;
    } chosen[] = {{"/shows/take.tga", "/shows/take", 0},
                  {"/shows/take99.tga", "/shows/take", 99},
                  {"/shows/take0010.tga", "/shows/take", 10},
                  {"/shows/take", "/shows/take", 0},
                  {"/shows/take.final.tga", "/shows/take", 0},
                  {"/my.shows/take5.tga", "/my.shows/take", 5},
                  {"/shows/take1234567.tga", "/shows/take1", 234567},  // six digits at most
                  {"/shows/007.tga", "/shows/", 7},
                  {"/shows/.tga", "/shows/", 0}};
    for (const auto& c : chosen) {
        const TargaNumbering n = TargaNumberingFor(QString::fromUtf8(c.chosen));
        EXPECT_EQ(std::pair(n.baseName.toStdString(), n.first),
                  std::pair(std::string(c.base), c.first))
            << c.chosen;
    }
    for (auto [base, number, name] : {std::tuple{"/shows/take", 0L, "/shows/take0000.tga"},
                                      {"/shows/take", 99L, "/shows/take0099.tga"},
                                      {"/shows/take", 12345L, "/shows/take12345.tga"},
                                      {"", 7L, "0007.tga"}})
        EXPECT_EQ(TargaFrameName(base, number).toStdString(), name);
}

// Each frame is saved to fileName as it stands (the frame loop names the numbered ones) as an
// uncompressed 24-bit Targa, for both Targa formats; nothing stays open between frames.
TEST_F(MovieWriterTest, TargaFramesGoToTheirNamesAsTheyStand) {
    Picture frame;
    for (MovieFormat format : {MovieFormat::kTarga16, MovieFormat::kTarga24}) {
        MovieWriter w;
        Configure(w, "shot.tga", 10, 6, MovieCodec::kUncompressed, 25, format);
        ASSERT_TRUE(w.Open());
        EXPECT_FALSE(w.isOpen());
        for (int k : {0, 1}) {
            w.fileName = TargaFrameName(Path("shot"), 10 + int(format) * 2 + k);
            PatternFrame(frame, k, 10, 6);
            ASSERT_TRUE(w.WriteFrame(frame));
            EXPECT_EQ(testing::ReadFileBytes(w.fileName.toStdString()),
                      testing::WriteBytes(frame, PictureWriteMode::kTarga));
        }
    }
    EXPECT_EQ(Files(), (std::set<std::string>{"shot0014.tga", "shot0015.tga", "shot0016.tga",
                                              "shot0017.tga"}));
    // A frame that cannot be saved is counted, the run goes on, and the writer says why.
    MovieWriter w;
    Configure(w, "missing/take.tga", 10, 6, MovieCodec::kUncompressed, 25, MovieFormat::kTarga24);
    ASSERT_TRUE(w.Open());
    EXPECT_TRUE(w.WriteFrame(frame));
    EXPECT_EQ(w.failedFrames(), 1);
    EXPECT_EQ(w.errorString().toStdString(), "cannot save the Targa frame " +
                                                 Path("missing/take.tga").toStdString() +
                                                 ": No such file or directory");
    EXPECT_EQ(Files().size(), 4u);
}

TEST(MovieCodecProfile, StoredUnderMovieCodec) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Profile profile(dir.filePath("quillon.ini"));
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kUncompressed);
    WriteMovieCodec(profile, MovieCodec::kH264);
    EXPECT_EQ(profile.GetInt("Movie", "Codec", -1), 4);
    EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kH264);
    for (int stored : {9, -1}) {  // out of range: uncompressed
        profile.WriteInt("Movie", "Codec", stored);
        EXPECT_EQ(ReadMovieCodec(profile), MovieCodec::kUncompressed) << stored;
    }
}

}  // namespace
}  // namespace quillon
