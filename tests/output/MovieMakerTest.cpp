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
        readHalves.push_back(half);
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
    std::vector<bool> readHalves;
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

std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; ++i)
        v.push_back(i);
    return v;
}

QByteArray ReadFileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

class MovieMakerTest : public ::testing::Test {
  protected:
    static constexpr int kWidth = 6;  // rows of 18 bytes: the picture pads them to 20
    static constexpr int kHeight = 4;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(false);
        while (doc->root().childCount() > 0)
            doc->root().RemoveChild(doc->root().childCount() - 1);
        doc->settings().frameRate = 3000;
        ASSERT_NE(AddScene(300), nullptr);

        source = std::make_unique<FakeSource>(*doc);
        writer.width = kWidth;
        writer.height = kHeight;
        writer.frameRate = 30.0f;
        writer.format = MovieFormat::kAvi;
        writer.codec = MovieCodec::kUncompressed;
        writer.fileName = dir.filePath("movie.avi");
        maker = std::make_unique<MovieMaker>(*doc, *source, writer, progress);
    }

    // A scene of `length` frames after the others whose active camera's east-west channel
    // runs straight from the scene's first show frame to its end frame.
    ShowNode* AddScene(int length) {
        ShowNode* scene = doc->NewScene(length);
        if (!scene) return nullptr;
        ShowNode* camera = doc->ActiveTrack(scene);
        if (!camera || camera == scene) return nullptr;
        camera->motionMode = kLinear | kStraightMotion;
        camera->keys.clear();
        KeyFrame first, last;
        first.frame = scene->startFrame - camera->startFrame;
        first.eastWest() = float(scene->startFrame);
        last.frame = scene->endFrame - camera->startFrame;
        last.eastWest() = float(scene->endFrame);
        camera->keys = {first, last};
        return scene;
    }

    bool OpenWriter() { return writer.Open(); }

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

TEST_F(MovieMakerTest, TheFakeSourceSeesTheFrameAndTheHalfFrameInstant) {
    doc->UpdateViewsAtFrame(17, false, false);
    EXPECT_FLOAT_EQ(doc->monitorCamera().pose.eastWest(), 17.0f);
    EXPECT_FALSE(source->Half());
    doc->UpdateViewsAtFrame(17, true, false);
    EXPECT_FLOAT_EQ(doc->monitorCamera().pose.eastWest(), 17.5f);
    EXPECT_TRUE(source->Half());
}

TEST_F(MovieMakerTest, ThirtyFramesShowAtFifteenFramesMovieWritesEverySecondFrame) {
    writer.frameRate = 15.0f;
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(10, 30, false, 0, 0));
    writer.Close();
    const std::vector<int> want = {10, 12, 14, 16, 18, 20, 22, 24, 26, 28};
    EXPECT_EQ(source->readFrames, want);
    EXPECT_EQ(AviFrames(writer.fileName), want);
    EXPECT_EQ(writer.framesWritten(), 10);
}

TEST_F(MovieMakerTest, TwentyFourFromThirtySkipsEveryFifthFrame) {
    writer.frameRate = 24.0f;
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 11, false, 0, 0));
    writer.Close();
    const std::vector<int> want = {0, 1, 2, 3, 5, 6, 7, 8, 10};
    EXPECT_EQ(source->readFrames, want);
    EXPECT_EQ(AviFrames(writer.fileName), want);
}

TEST_F(MovieMakerTest, EveryFrameIsRenderedAndShownBeforeItIsRead) {
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(3, 6, false, 0, 0));
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
    EXPECT_EQ(doc->currentFrame(), 6);  // left at the end frame
    EXPECT_EQ(progress.events, "BE");
    EXPECT_EQ(progress.beginWidth, kWidth);
    EXPECT_EQ(progress.beginHeight, kHeight);
}

TEST_F(MovieMakerTest, ReversePlayRunsFromTheEndBackwards) {
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 10, true, 0, 0));
    writer.Close();
    // Frame start + end - position: the end frame first, start + 1 last.
    const std::vector<int> want = {10, 9, 8, 7, 6, 5, 4, 3, 2, 1};
    EXPECT_EQ(source->readFrames, want);
    EXPECT_EQ(AviFrames(writer.fileName), want);
    std::vector<int> shown = {10};
    shown.insert(shown.end(), want.begin(), want.end());
    shown.push_back(0);
    EXPECT_EQ(progress.shown, shown);
    EXPECT_EQ(doc->currentFrame(), 0);  // left at the start frame
}

TEST_F(MovieMakerTest, ReversePlayAtHalfTheRate) {
    writer.frameRate = 15.0f;
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(20, 30, true, 0, 0));
    const std::vector<int> want = {30, 28, 26, 24, 22};
    EXPECT_EQ(source->readFrames, want);
}

TEST_F(MovieMakerTest, StatusClimbsFromZeroToNinetyNinePercent) {
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(100, 200, false, 0, 0));
    ASSERT_EQ(host.status.size(), 101);
    // Equal rates step by exactly 1: frame 100 + i reads i percent.
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(host.status[i], QStringLiteral("%1 Percent Done").arg(i)) << i;
    EXPECT_EQ(host.status[0], "0 Percent Done");
    EXPECT_EQ(host.status[99], "99 Percent Done");
    EXPECT_EQ(host.status.last(), QString());
    EXPECT_EQ(host.waitCursor, "+-");
    EXPECT_EQ(source->readFrames, Range(100, 200));
}

TEST_F(MovieMakerTest, StatusFollowsThePositionAtAnotherRate) {
    writer.frameRate = 24.0f;
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 10, false, 0, 0));
    // Positions 0, 1.25, 2.5, ... 8.75 of 10 frames.
    const QStringList want = {"0 Percent Done",  "12 Percent Done", "25 Percent Done",
                              "37 Percent Done", "50 Percent Done", "62 Percent Done",
                              "75 Percent Done", "87 Percent Done", ""};
    EXPECT_EQ(host.status, want);
}

TEST_F(MovieMakerTest, HoldsRepeatTheFirstAndLastFrames) {
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 5, false, 3, 2));
    writer.Close();
    const std::vector<int> want = {0, 0, 0, 0, 1, 2, 3, 4, 5, 5};
    EXPECT_EQ(source->readFrames, want);
    EXPECT_EQ(AviFrames(writer.fileName), want);
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
    EXPECT_EQ(host.waitCursor, "+-");
}

TEST_F(MovieMakerTest, ReversePlayHoldsTheEndFirstAndTheStartLast) {
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 4, true, 1, 2));
    const std::vector<int> want = {4, 4, 3, 2, 1, 0, 0};
    EXPECT_EQ(source->readFrames, want);
}

TEST_F(MovieMakerTest, AStopDuringTheStartHoldSkipsTheRestOfItOnly) {
    progress.stopOn = {2};
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 5, false, 5, 1));
    writer.Close();
    const std::vector<int> want = {0, 0, 0, 1, 2, 3, 4, 5};
    EXPECT_EQ(source->readFrames, want);
    EXPECT_EQ(AviFrames(writer.fileName), want);
    EXPECT_EQ(host.status.count(QStringLiteral("Writing Start Hold")), 2);
    EXPECT_EQ(host.status.count(QStringLiteral("Writing End Hold")), 1);
}

TEST_F(MovieMakerTest, AStopDuringTheEndHoldKeepsTheResult) {
    progress.stopOn = {4};  // after the first of three end-hold frames
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 3, false, 0, 3));
    const std::vector<int> want = {0, 1, 2, 3};
    EXPECT_EQ(source->readFrames, want);
}

TEST_F(MovieMakerTest, AStopInTheMainLoopEndsItEarlyAndLeavesAPlayableMovie) {
    progress.stopOn = {5};  // before the fifth main-loop frame
    ASSERT_TRUE(OpenWriter());
    EXPECT_FALSE(maker->MakeMovie(0, 30, false, 0, 2));
    // The end frame is still made current and the end hold still written.
    const std::vector<int> want = {0, 1, 2, 3, 30, 30};
    EXPECT_EQ(source->readFrames, want);
    EXPECT_EQ(progress.shown.back(), 30);
    EXPECT_EQ(progress.events, "BE");
    EXPECT_EQ(host.status.last(), QString());
    EXPECT_EQ(host.waitCursor, "+-");
    writer.Close();
    MovieSource movie;
    Picture picture;
    EXPECT_EQ(movie.Open(writer.fileName, &picture), 6);
    EXPECT_EQ(AviFrames(writer.fileName), want);
}

TEST_F(MovieMakerTest, AFailedReadEndsTheLoopWithFalse) {
    source->failRead = 4;
    ASSERT_TRUE(OpenWriter());
    EXPECT_FALSE(maker->MakeMovie(0, 20, false, 0, 0));
    writer.Close();
    const std::vector<int> written = {0, 1, 2};
    EXPECT_EQ(AviFrames(writer.fileName), written);
    // No fifth main-loop read: the loop ended at the failed one.
    EXPECT_EQ(source->reads, 4);
    EXPECT_EQ(host.waitCursor, "+-");
    EXPECT_EQ(host.status.last(), QString());
}

TEST_F(MovieMakerTest, AFailedReadInTheLastFrameStillFails) {
    source->failRead = 10;
    ASSERT_TRUE(OpenWriter());
    EXPECT_FALSE(maker->MakeMovie(0, 10, false, 0, 0));
}

TEST_F(MovieMakerTest, AFailedWriteEndsTheLoopWithFalse) {
    // Never opened: the writer refuses every frame.
    EXPECT_FALSE(maker->MakeMovie(0, 20, false, 0, 0));
    EXPECT_EQ(source->reads, 1);
    EXPECT_EQ(host.waitCursor, "+-");
    EXPECT_EQ(progress.events, "BE");
}

TEST_F(MovieMakerTest, AFailedStartHoldWriteEndsTheHoldAndFailsTheRun) {
    writer.format = MovieFormat::kTarga24;
    writer.fileName = dir.filePath("missing/take.tga");  // a folder that does not exist
    EXPECT_FALSE(maker->MakeMovie(0, 3, false, 4, 0));
    // One hold frame tried, then the main loop tried its first frame.
    EXPECT_EQ(source->reads, 2);
    EXPECT_EQ(host.status.count(QStringLiteral("Writing Start Hold")), 1);
}

TEST_F(MovieMakerTest, TargaFramesAreNumberedFromZero) {
    writer.format = MovieFormat::kTarga24;
    writer.fileName = dir.filePath("take.tga");
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(40, 44, false, 0, 0));
    const QStringList want = {"take0000.tga", "take0001.tga", "take0002.tga", "take0003.tga"};
    EXPECT_EQ(QDir(dir.path()).entryList({"*.tga"}, QDir::Files, QDir::Name), want);
    for (int i = 0; i < 4; ++i) {
        Picture p;
        ASSERT_TRUE(p.Load(dir.filePath(want[i]), {}, nullptr));
        EXPECT_EQ(p.Bits(0)[0], 40 + i);
    }
    // The end hold (none here) would write to the name as chosen, which is kept.
    EXPECT_EQ(writer.fileName, dir.filePath("take.tga"));
}

TEST_F(MovieMakerTest, TargaHoldsWriteToTheChosenNameWhileTheNumberAdvances) {
    writer.format = MovieFormat::kTarga16;
    writer.fileName = dir.filePath("take0010.tga");
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(5, 8, false, 2, 1));
    const QStringList want = {"take0010.tga", "take0012.tga", "take0013.tga", "take0014.tga"};
    EXPECT_EQ(QDir(dir.path()).entryList({"*.tga"}, QDir::Files, QDir::Name), want);
    const int shows[] = {8, 5, 6, 7};  // the chosen name holds the end hold, written last
    for (int i = 0; i < 4; ++i) {
        Picture p;
        ASSERT_TRUE(p.Load(dir.filePath(want[i]), {}, nullptr));
        EXPECT_EQ(p.Bits(0)[0], shows[i]) << want[i].toStdString();
    }
    const std::vector<int> read = {5, 5, 5, 6, 7, 8};
    EXPECT_EQ(source->readFrames, read);
}

TEST_F(MovieMakerTest, ATargaFrameHoldsTheReadPixelsBottomRowFirst) {
    writer.format = MovieFormat::kTarga24;
    writer.fileName = dir.filePath("shot7.tga");
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(21, 23, false, 0, 0));
    // The second frame: show frame 22, read 2.
    const QByteArray bytes = ReadFileBytes(dir.filePath("shot0008.tga"));
    ASSERT_EQ(bytes.size(), 18 + kWidth * kHeight * 3);
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.constData());
    EXPECT_EQ(b[2], 2);  // uncompressed true colour
    EXPECT_EQ(b[12] | b[13] << 8, kWidth);
    EXPECT_EQ(b[14] | b[15] << 8, kHeight);
    EXPECT_EQ(b[16], 24);
    EXPECT_EQ(b[17], 0);  // bottom-left origin
    std::string want;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = PixelFor(22, false, 2, x, y);
            want += char(p.b);
            want += char(p.g);
            want += char(p.r);
        }
    EXPECT_EQ(bytes.mid(18).toStdString(), want);
}

TEST_F(MovieMakerTest, WriteFrameKeepsBlueGreenRedOfEveryPixelAndClearsRowPadding) {
    ASSERT_TRUE(OpenWriter());
    doc->UpdateViewsAtFrame(9, false, false);
    ASSERT_TRUE(maker->WriteFrame(0));
    const Picture& f = maker->frame();
    ASSERT_EQ(f.Width(), kWidth);
    ASSERT_EQ(f.Height(), kHeight);
    ASSERT_EQ(f.BitCount(), 24);
    for (int y = 0; y < kHeight; ++y) {
        const uint8_t* row = f.Bits(y);
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = PixelFor(9, false, 1, x, y);
            EXPECT_EQ(row[x * 3 + 0], p.b);
            EXPECT_EQ(row[x * 3 + 1], p.g);
            EXPECT_EQ(row[x * 3 + 2], p.r);
        }
        for (int i = kWidth * 3; i < f.RowBytes(); ++i)
            EXPECT_EQ(row[i], 0) << "row " << y << " byte " << i;
    }
    // No new buffer for the next frame.
    const uint8_t* bits = f.Bits(0);
    ASSERT_TRUE(maker->WriteFrame(1));
    EXPECT_EQ(maker->frame().Bits(0), bits);
}

TEST_F(MovieMakerTest, OddFirstTakesTheBottomRowFromHalfAFrameLater) {
    writer.fieldMode = 2;
    ASSERT_TRUE(OpenWriter());
    doc->UpdateViewsAtFrame(12, false, false);
    ASSERT_TRUE(maker->WriteFrame(0));
    // Two renders without swap, each shown by SwapNow, at the later instant first.
    ASSERT_EQ(source->renders.size(), 2u);
    EXPECT_FALSE(source->renders[0].swap);
    EXPECT_TRUE(source->renders[0].half);
    EXPECT_FALSE(source->renders[1].swap);
    EXPECT_FALSE(source->renders[1].half);
    EXPECT_EQ(source->renders[0].frame, 12);
    EXPECT_EQ(source->renders[1].frame, 12);
    EXPECT_EQ(source->swaps, 2);
    const Picture& f = maker->frame();
    for (int y = 0; y < kHeight; ++y) {
        const bool even = y % 2 == 0;
        for (int x = 0; x < kWidth; ++x) {
            const Pixel p = PixelFor(12, even, even ? 1 : 2, x, y);
            EXPECT_EQ(f.Bits(y)[x * 3 + 0], p.b) << x << "," << y;
            EXPECT_EQ(f.Bits(y)[x * 3 + 1], p.g) << x << "," << y;
            EXPECT_EQ(f.Bits(y)[x * 3 + 2], p.r) << x << "," << y;
        }
    }
}

TEST_F(MovieMakerTest, EvenFirstTakesTheBottomRowFromTheFramesOwnInstant) {
    writer.fieldMode = 1;
    ASSERT_TRUE(OpenWriter());
    doc->UpdateViewsAtFrame(12, false, false);
    ASSERT_TRUE(maker->WriteFrame(0));
    ASSERT_EQ(source->renders.size(), 2u);
    EXPECT_FALSE(source->renders[0].half);
    EXPECT_TRUE(source->renders[1].half);
    const Picture& f = maker->frame();
    for (int y = 0; y < kHeight; ++y) {
        const bool odd = y % 2 == 1;
        const Pixel p = PixelFor(12, odd, odd ? 2 : 1, 0, y);
        EXPECT_EQ(f.Bits(y)[1], p.g) << y;
        EXPECT_EQ(f.Bits(y)[2], p.r) << y;
    }
}

TEST_F(MovieMakerTest, FieldsInAWholeRunReadTwicePerFrame) {
    writer.fieldMode = 2;
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(0, 3, false, 1, 0));
    writer.Close();
    const std::vector<int> frames = {0, 0, 0, 0, 1, 1, 2, 2};
    EXPECT_EQ(source->readFrames, frames);
    const std::vector<bool> halves = {true, false, true, false, true, false, true, false};
    EXPECT_EQ(source->readHalves, halves);
    // Bottom row of each movie frame: the show frame it belongs to.
    const std::vector<int> movie = {0, 0, 1, 2};
    EXPECT_EQ(AviFrames(writer.fileName), movie);
}

TEST_F(MovieMakerTest, AStepThatCannotEndTheLoopIsRefused) {
    ASSERT_TRUE(OpenWriter());
    for (float rate : {0.0f, -24.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::max()}) {
        writer.frameRate = rate;
        EXPECT_FALSE(maker->MakeMovie(0, 10, false, 1, 1)) << rate;
    }
    writer.frameRate = 30.0f;
    doc->settings().frameRate = 0;
    EXPECT_FALSE(maker->MakeMovie(0, 10, false, 1, 1));
    doc->settings().frameRate = -3000;
    EXPECT_FALSE(maker->MakeMovie(0, 10, false, 1, 1));
    EXPECT_EQ(source->renders.size(), 0u);
    EXPECT_EQ(source->reads, 0);
    EXPECT_TRUE(host.status.isEmpty());
    EXPECT_EQ(host.waitCursor, "");
    EXPECT_EQ(progress.events, "");
    writer.Close();
    EXPECT_EQ(writer.framesWritten(), 0);
}

TEST_F(MovieMakerTest, AnEmptyRangeWritesOnlyTheHolds) {
    ASSERT_TRUE(OpenWriter());
    EXPECT_TRUE(maker->MakeMovie(7, 7, false, 1, 1));
    const std::vector<int> want = {7, 7};
    EXPECT_EQ(source->readFrames, want);
}

TEST_F(MovieMakerTest, VrmlOutputWritesTheWorldUnderTheWaitCursor) {
    writer.format = MovieFormat::kVrml;
    writer.fileName = dir.filePath("world.wrl");
    EXPECT_TRUE(maker->MakeMovie(0, 10, false, 2, 2));
    EXPECT_TRUE(QFileInfo(writer.fileName).size() > 0);
    EXPECT_EQ(host.waitCursor, "+-");
    EXPECT_EQ(source->renders.size(), 0u);
    EXPECT_EQ(source->reads, 0);
    EXPECT_EQ(progress.events, "");
}

TEST_F(MovieMakerTest, AVrmlWorldThatCannotBeWrittenFails) {
    writer.format = MovieFormat::kVrml;
    writer.fileName = dir.filePath("missing/world.wrl");
    EXPECT_FALSE(maker->MakeMovie(0, 10, false, 0, 0));
    EXPECT_EQ(host.waitCursor, "+-");
}

}  // namespace
}  // namespace quillon
