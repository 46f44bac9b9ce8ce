// The movie maker's frame loop over a real document and a real movie writer, with a frame
// source whose pixels tell which show frame was current, at which instant (the frame's own or
// half a frame later) and in which read they were made: frame stepping, reverse play, holds,
// status texts, stop requests, Targa numbering, interlaced fields and failures.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "model/Document.h"
#include "model/Motion.h"
#include "model/Profile.h"
#include "model/ScriptedHost.h"
#include "output/MovieMaker.h"
#include "output/MovieWriter.h"
#include "pictures/MovieSource.h"
#include "pictures/Picture.h"

namespace quillon {
namespace {

// What a read pixel says: blue the show frame (low byte), green whether the document stood
// half a frame later (bit 7) and the row (bits 0..6), red the read's number (high nibble,
// counted from 1) and the column (low nibble). Alpha is never wanted in the picture.
struct Pixel {
    uint8_t b, g, r, a;
};
Pixel PixelFor(int frame, bool half, int read, int x, int y) {
    return {uint8_t(frame & 0xFF), uint8_t((half ? 0x80 : 0) | (y & 0x7F)),
            uint8_t(((read & 0x0F) << 4) | (x & 0x0F)), 0xEE};
}

// One RenderFrame, as the source saw the document.
struct Render {
    int frame;
    bool half;
    bool swap;
};

// The document's state when each read is made. The active camera is keyed so that its
// east-west channel is the show frame, plus one half at the half-frame instant.
class FakeSource : public MovieFrameSource {
  public:
    explicit FakeSource(Document& d) : doc(d) {}

    bool Half() {
        const float ew = doc.monitorCamera().pose.eastWest();
        return ew - std::floor(ew) > 0.25f;
    }
    void RenderFrame(bool swap) override { renders.push_back({doc.currentFrame(), Half(), swap}); }
    void SwapNow() override { ++swaps; }
    bool ReadPixels(int width, int height, uint8_t* bgra) override {
        ++reads;
        if (reads == failRead) return false;
        const int frame = doc.currentFrame();
        const bool half = Half();
        readFrames.push_back(frame);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Pixel p = PixelFor(frame, half, reads, x, y);
                uint8_t* q = bgra + (size_t(y) * size_t(width) + size_t(x)) * 4;
                q[0] = p.b;
                q[1] = p.g;
                q[2] = p.r;
                q[3] = p.a;
            }
        return true;
    }

    Document& doc;
    std::vector<Render> renders;
    int swaps = 0;
    int reads = 0;
    int failRead = -1;  // the read (from 1) that fails
    std::vector<int> readFrames;
};

// Stops on the given calls of StopRequested (from 1) and records everything else.
class FakeProgress : public MovieProgress {
  public:
    bool StopRequested() override { return stopOn.count(++stopCalls) != 0; }
    void FrameShown(int32_t frame) override { shown.push_back(frame); }
    void BeginRun(int width, int height) override {
        events += 'B';
        beginWidth = width;
        beginHeight = height;
    }
    void EndRun() override { events += 'E'; }

    std::set<int> stopOn;
    int stopCalls = 0;
    std::vector<int> shown;
    std::string events;
    int beginWidth = 0, beginHeight = 0;
};

class MovieMakerTest : public ::testing::Test {
  protected:
    static constexpr int kWidth = 6;  // rows of 18 bytes: the picture pads them to 20
    static constexpr int kHeight = 4;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);  // one scene of 300 frames
        doc->settings().frameRate = 3000;
        // The active camera's east-west channel runs straight from 0 to 300: the show frame,
        // and half a frame more at the half-frame instant.
        ShowNode* camera = doc->ActiveTrack(doc->root().children[0]);
        camera->motionMode = kLinear | kStraightMotion;
        camera->keys.resize(2);
        camera->keys[1].frame = 300;
        camera->keys[0].eastWest() = 0;
        camera->keys[1].eastWest() = 300;

        source = std::make_unique<FakeSource>(*doc);
        writer.width = kWidth;
        writer.height = kHeight;
        writer.frameRate = 30.0f;
        writer.format = MovieFormat::kAvi;
        writer.codec = MovieCodec::kUncompressed;
        writer.fileName = dir.filePath("movie.avi");
        maker = std::make_unique<MovieMaker>(*doc, *source, writer, progress);
    }

    // The blue byte of pixel 0 of every frame of the written AVI, read back through
    // MovieSource: the show frame each movie frame shows.
    std::vector<int> AviFrames(const QString& path) {
        std::vector<int> frames;
        Picture picture;
        MovieSource movie;
        const int count = movie.Open(path, &picture);
        for (int i = 0; i < count; ++i) {
            if (!movie.ReadFrame(i)) break;
            frames.push_back(picture.Bits(0)[0]);
        }
        return frames;
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<FakeSource> source;
    FakeProgress progress;
    MovieWriter writer;
    std::unique_ptr<MovieMaker> maker;
};

// One whole run into an AVI file: the show frames read, in order, and the frames the movie
// holds (the bottom row's show frame) when they differ from the frames read.
struct RunCase {
    const char* name;
    float movieRate;
    MovieRange range;
    std::vector<int> read;
    bool result = true;
    std::set<int> stopOn = {};  // StopRequested calls (from 1) that answer yes
    int failRead = -1;
    int fieldMode = 0;
    std::vector<int> written = {};
};

void PrintTo(const RunCase& c, std::ostream* os) {
    *os << c.name;
}

class MovieRunTest : public MovieMakerTest, public ::testing::WithParamInterface<RunCase> {};

TEST_P(MovieRunTest, WritesTheFramesInOrder) {
    const RunCase& c = GetParam();
    writer.frameRate = c.movieRate;
    writer.fieldMode = c.fieldMode;
    progress.stopOn = c.stopOn;
    source->failRead = c.failRead;
    ASSERT_TRUE(writer.Open());
    EXPECT_EQ(maker->MakeMovie(c.range), c.result);
    writer.Close();
    EXPECT_EQ(source->readFrames, c.read);
    EXPECT_EQ(AviFrames(writer.fileName), c.written.empty() ? c.read : c.written);
    // Whatever happened, the run ends on its last frame with the window, status and cursor
    // given back.
    EXPECT_EQ(progress.shown.back(), c.range.reverse ? c.range.start : c.range.end);
    EXPECT_EQ(doc->currentFrame(), progress.shown.back());
    EXPECT_EQ(progress.events, "BE");
    EXPECT_EQ(host.status.last(), QString());
    EXPECT_EQ(host.waitCursor, "+-");
}

// A 30 fps show at 15 fps steps by 2, at 24 fps by 1.25. Reverse play shows start + end -
// position: the end frame first, start + 1 last. A stop during the start hold skips the rest of
// it only; one during the end hold keeps the result; one in the main loop ends it early, and
// the end frame is still made current and its hold written. A failed read ends the loop with
// false, even in the last frame. "Odd first" reads each frame twice, half a frame later first;
// the movie frame's bottom row is the show frame it belongs to.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Runs, MovieRunTest, ::testing::Values(
    //       name               rate {start, end, reverse, startHold, endHold}, frames read,
    //                                 result, stops, failed read, field mode, frames written
    RunCase{"Fifteen",          15, {10, 30}, {10, 12, 14, 16, 18, 20, 22, 24, 26, 28}},
    RunCase{"TwentyFour",       24, {0, 11}, {0, 1, 2, 3, 5, 6, 7, 8, 10}},
    RunCase{"Reverse",          30, {0, 10, true}, {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}},
    RunCase{"ReverseFifteen",   15, {20, 30, true}, {30, 28, 26, 24, 22}},
    RunCase{"Holds",            30, {0, 5, false, 3, 2}, {0, 0, 0, 0, 1, 2, 3, 4, 5, 5}},
    RunCase{"ReverseHolds",     30, {0, 4, true, 1, 2}, {4, 4, 3, 2, 1, 0, 0}},
    RunCase{"EmptyRangeHolds",  30, {7, 7, false, 1, 1}, {7, 7}},
    RunCase{"StopInStartHold",  30, {0, 5, false, 5, 1}, {0, 0, 0, 1, 2, 3, 4, 5}, true, {2}},
    RunCase{"StopInEndHold",    30, {0, 3, false, 0, 3}, {0, 1, 2, 3}, true, {4}},
    RunCase{"StopInMainLoop",   30, {0, 30, false, 0, 2}, {0, 1, 2, 3, 30, 30}, false, {5}},
    RunCase{"FailedRead",       30, {0, 20}, {0, 1, 2}, false, {}, 4},
    RunCase{"FailedLastRead",   30, {0, 10}, {0, 1, 2, 3, 4, 5, 6, 7, 8}, false, {}, 10},
    RunCase{"Fields",           30, {0, 3, false, 1}, {0, 0, 0, 0, 1, 1, 2, 2}, true, {}, -1, 2,
            {0, 0, 1, 2}}),
    [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(MovieMakerTest, EveryFrameIsRenderedAndShownBeforeItIsRead) {
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(maker->MakeMovie({.start = 3, .end = 6}));
    // The start made current first, each frame, then the end.
    const std::vector<int> shown = {3, 3, 4, 5, 6};
    EXPECT_EQ(progress.shown, shown);
    ASSERT_EQ(source->renders.size(), 5u);
    for (size_t i = 0; i < source->renders.size(); ++i) {
        EXPECT_EQ(source->renders[i].frame, shown[i]) << i;
        EXPECT_TRUE(source->renders[i].swap) << i;
        EXPECT_FALSE(source->renders[i].half) << i;
    }
    EXPECT_EQ(source->swaps, 0);
    EXPECT_EQ(progress.beginWidth, kWidth);
    EXPECT_EQ(progress.beginHeight, kHeight);
}

TEST_F(MovieMakerTest, StatusClimbsFromZeroToNinetyNinePercent) {
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(maker->MakeMovie({.start = 100, .end = 200}));
    std::vector<int> frames(100);
    std::iota(frames.begin(), frames.end(), 100);
    EXPECT_EQ(source->readFrames, frames);
    // Equal rates step by exactly 1: frame 100 + i reads i percent; the text is cleared last.
    QStringList want;
    for (int i = 0; i < 100; ++i)
        want << QStringLiteral("%1 Percent Done").arg(i);
    EXPECT_EQ(host.status, want << QString());
}

TEST_F(MovieMakerTest, StatusFollowsThePositionAndTheHolds) {
    // At 24 fps: positions 0, 1.25, 2.5, ... 8.75 of 10 frames.
    writer.frameRate = 24.0f;
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(maker->MakeMovie({.start = 0, .end = 10}));
    EXPECT_EQ(host.status, QStringList({"0 Percent Done", "12 Percent Done", "25 Percent Done",
                                        "37 Percent Done", "50 Percent Done", "62 Percent Done",
                                        "75 Percent Done", "87 Percent Done", ""}));
    host.status.clear();
    progress.stopCalls = 0;
    writer.frameRate = 30.0f;
    EXPECT_TRUE(maker->MakeMovie({.start = 0, .end = 5, .startHold = 3, .endHold = 2}));
    const QStringList status = {"Writing Start Hold",
                                "Writing Start Hold",
                                "Writing Start Hold",
                                "0 Percent Done",
                                "20 Percent Done",
                                "40 Percent Done",
                                "60 Percent Done",
                                "80 Percent Done",
                                "Writing End Hold",
                                "Writing End Hold",
                                ""};
    EXPECT_EQ(host.status, status);
    // One look at the user per written frame: after each hold frame, before each main frame.
    EXPECT_EQ(progress.stopCalls, 3 + 5 + 2);
}

TEST_F(MovieMakerTest, WritesThatFailEndTheRun) {
    // Never opened: the writer refuses every frame.
    EXPECT_FALSE(maker->MakeMovie({.start = 0, .end = 20}));
    EXPECT_EQ(source->reads, 1);
    EXPECT_EQ(host.waitCursor, "+-");
    EXPECT_EQ(progress.events, "BE");
}

TEST_F(MovieMakerTest, ATargaFrameThatCannotBeSavedIsSaidOnceAndTheRunGoesOn) {
    // A folder that does not exist: every frame is tried, the picture writer's message comes
    // once, and the frames not written are counted.
    writer.format = MovieFormat::kTarga24;
    writer.fileName = dir.filePath("missing/take.tga");
    writer.host = &host;
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(maker->MakeMovie({.start = 0, .end = 3, .startHold = 4, .endHold = 1}));
    EXPECT_EQ(source->reads, 4 + 3 + 1);
    EXPECT_EQ(host.status.count(QStringLiteral("Writing Start Hold")), 4);
    EXPECT_EQ(host.messages, QStringList({"Error opening graphics file"}));
    EXPECT_EQ(writer.failedFrames(), 8);
    EXPECT_TRUE(writer.errorString().contains(dir.filePath("missing/take")));
}

TEST_F(MovieMakerTest, TargaFramesAreNumberedFromTheChosenName) {
    // take.tga numbers from 0, take99.tga from 99; take0010.tga from 10, with the holds written
    // to the chosen name (which ends up holding the end hold, written last) while the number
    // advances.
    struct Case {
        MovieFormat format;
        const char* name;
        MovieRange range;
        std::vector<int> numbers, shows;
    };
    // clang-format off
    const Case cases[] = {
        {MovieFormat::kTarga24, "take.tga", {40, 44}, {0, 1, 2, 3}, {40, 41, 42, 43}},
        {MovieFormat::kTarga24, "take99.tga", {0, 2}, {99, 100}, {0, 1}},
        {MovieFormat::kTarga16, "take0010.tga", {5, 8, false, 2, 1}, {10, 12, 13, 14}, {8, 5, 6, 7}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        writer.format = c.format;
        writer.fileName = folder.filePath(c.name);
        EXPECT_TRUE(maker->MakeMovie(c.range));
        QStringList files;
        for (int n : c.numbers)
            files << QStringLiteral("take%1.tga").arg(n, 4, 10, QChar('0'));
        EXPECT_EQ(QDir(folder.path()).entryList({"*.tga"}, QDir::Files, QDir::Name), files);
        for (int i = 0; i < files.size(); ++i) {
            Picture p;
            ASSERT_TRUE(p.Load(folder.filePath(files[i]), {}, nullptr));
            EXPECT_EQ(p.Bits(0)[0], c.shows[i]) << files[i].toStdString();
        }
        EXPECT_EQ(writer.fileName, folder.filePath(c.name));  // the chosen name is kept
    }
}

TEST_F(MovieMakerTest, ATargaFrameHoldsTheReadPixelsBottomRowFirst) {
    writer.format = MovieFormat::kTarga24;
    writer.fileName = dir.filePath("shot7.tga");
    ASSERT_TRUE(writer.Open());
    EXPECT_TRUE(maker->MakeMovie({.start = 21, .end = 23}));
    // The second frame: show frame 22, read 2. An uncompressed true-colour header, then the
    // pixels' blue, green and red, bottom row first.
    std::string want = std::string("\0\0\2", 3) + std::string(9, '\0');
    want += {char(kWidth), 0, char(kHeight), 0, 24, 0};
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = PixelFor(22, false, 2, x, y);
            want += {char(p.b), char(p.g), char(p.r)};
        }
    QFile file(dir.filePath("shot0008.tga"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), want);
}

TEST_F(MovieMakerTest, WriteFrameKeepsBlueGreenRedOfEveryPixelAndClearsRowPadding) {
    ASSERT_TRUE(writer.Open());
    doc->UpdateViewsAtFrame(9);
    ASSERT_TRUE(maker->WriteFrame(0));
    const Picture& f = maker->frame();
    ASSERT_EQ(f.Width(), kWidth);
    ASSERT_EQ(f.Height(), kHeight);
    ASSERT_EQ(f.BitCount(), 24);
    for (int y = 0; y < kHeight; ++y) {
        std::string want;
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = PixelFor(9, false, 1, x, y);
            want += {char(p.b), char(p.g), char(p.r)};
        }
        want.resize(size_t(f.RowBytes()), '\0');
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(f.Bits(y)), want.size()), want) << y;
    }
    // No new buffer for the next frame.
    const uint8_t* bits = f.Bits(0);
    ASSERT_TRUE(maker->WriteFrame(1));
    EXPECT_EQ(maker->frame().Bits(0), bits);
}

TEST_F(MovieMakerTest, FieldsTakeAlternateRowsFromTwoInstants) {
    // "Odd first" renders half a frame later first and takes its rows 0, 2, ... from that read;
    // "Even first" the other way round. Rows count from the bottom.
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode == 1 ? "even first" : "odd first");
        source->renders.clear();
        source->reads = 0;
        source->swaps = 0;
        writer.fieldMode = mode;
        ASSERT_TRUE(writer.Open());
        doc->UpdateViewsAtFrame(12);
        ASSERT_TRUE(maker->WriteFrame(0));
        // Two renders without swap, each shown by SwapNow.
        ASSERT_EQ(source->renders.size(), 2u);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(source->renders[i].frame, 12);
            EXPECT_FALSE(source->renders[i].swap);
            EXPECT_EQ(source->renders[i].half, (i == 0) == (mode == 2));
        }
        EXPECT_EQ(source->swaps, 2);
        const Picture& f = maker->frame();
        for (int y = 0; y < kHeight; ++y) {
            const bool firstRead = y % 2 == 0;
            const bool half = firstRead == (mode == 2);
            for (int x = 0; x < kWidth; ++x) {
                const Pixel p = PixelFor(12, half, firstRead ? 1 : 2, x, y);
                EXPECT_EQ(f.Bits(y)[x * 3 + 1], p.g) << x << "," << y;
                EXPECT_EQ(f.Bits(y)[x * 3 + 2], p.r) << x << "," << y;
            }
        }
        writer.Close();
    }
}

TEST_F(MovieMakerTest, AStepThatCannotEndTheLoopIsRefused) {
    ASSERT_TRUE(writer.Open());
    const std::pair<float, int> rates[] = {{0.0f, 3000},
                                           {-24.0f, 3000},
                                           {std::numeric_limits<float>::quiet_NaN(), 3000},
                                           {std::numeric_limits<float>::max(), 3000},
                                           {30.0f, 0},
                                           {30.0f, -3000}};
    for (const auto& [movieRate, showRate] : rates) {
        writer.frameRate = movieRate;
        doc->settings().frameRate = showRate;
        EXPECT_FALSE(maker->MakeMovie({.start = 0, .end = 10, .startHold = 1, .endHold = 1}))
            << movieRate << " from " << showRate;
    }
    EXPECT_EQ(source->renders.size(), 0u);
    EXPECT_EQ(source->reads, 0);
    EXPECT_TRUE(host.status.isEmpty());
    EXPECT_EQ(host.waitCursor, "");
    EXPECT_EQ(progress.events, "");
    writer.Close();
    EXPECT_EQ(writer.framesWritten(), 0);
}

TEST_F(MovieMakerTest, VrmlOutputWritesTheWorldUnderTheWaitCursor) {
    writer.format = MovieFormat::kVrml;
    const std::pair<const char*, bool> names[] = {{"world.wrl", true},
                                                  {"missing/world.wrl", false}};
    for (const auto& [name, ok] : names) {
        host.waitCursor.clear();
        writer.fileName = dir.filePath(name);
        EXPECT_EQ(maker->MakeMovie({.start = 0, .end = 10, .startHold = 2, .endHold = 2}), ok);
        EXPECT_EQ(QFileInfo(writer.fileName).size() > 0, ok) << name;
        EXPECT_EQ(host.waitCursor, "+-");
    }
    EXPECT_EQ(source->renders.size(), 0u);
    EXPECT_EQ(source->reads, 0);
    EXPECT_EQ(progress.events, "");
}

}  // namespace
}  // namespace quillon
