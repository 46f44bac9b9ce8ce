// The WAV reader and the clip player: the chunk walk on crafted and broken files, the start
// offset and length arithmetic, and what reaches the output when a clip plays from a frame
// (streamed 4096 bytes at a time, two buffers in flight), with the messages of each failure.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <vector>

#include "../model/ScriptedHost.h"
#include "WaveBytes.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "player/ShowSoundtrack.h"
#include "player/SoundClip.h"
#include "player/WaveFile.h"
#include "player/WaveFileOutput.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

WaveScan Scan(const std::string& bytes) {
    QByteArray data(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return ScanWave(buffer);
}

const std::string kFmt8k = Chunk("fmt ", FmtBody(1, 1, 8000, 8000, 1, 8));

}  // namespace

TEST(WaveFileTest, ChunkWalkOnCraftedFiles) {
    struct Case {
        const char* what;
        std::string bytes;
        WaveStatus status;
        uint32_t dataSize;
    } cases[] = {
        {"plain", PcmWave(Ramp(16000)), WaveStatus::kOk, 16000},
        {"fmt after other chunks",
         Riff(Chunk("LIST", "INFOabcd") + Chunk("junk", "xyz") + kFmt8k + Chunk("data", Ramp(10))),
         WaveStatus::kOk, 10},
        {"data before fmt keeps the default format", Riff(Chunk("data", Ramp(10)) + kFmt8k),
         WaveStatus::kOk, 10},
        {"no data chunk", Riff(kFmt8k + Chunk("LIST", "abcd")), WaveStatus::kNoData, 0},
        {"the RIFF size ends the walk before data", Riff(kFmt8k + Chunk("data", Ramp(10)), 10),
         WaveStatus::kNoData, 0},
        {"truncated header", std::string("RIFF\x10\0\0\0WA", 10), WaveStatus::kTooShort, 0},
        {"empty file", std::string(), WaveStatus::kTooShort, 0},
        {"not RIFF", "RIFX" + PcmWave("ab").substr(4), WaveStatus::kNotRiff, 0},
        {"not WAVE", Riff(kFmt8k, -1, "AVI "), WaveStatus::kNotWave, 0},
        {"a chunk larger than the file", Riff(Chunk("junk", "abc", 0x7FFFFFF0) + kFmt8k),
         WaveStatus::kTooShort, 0},
        {"a fmt chunk cut short", Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8000, 1, 8), 40)),
         WaveStatus::kTooShort, 0},
        {"a huge RIFF size and no data", Riff(kFmt8k, 0xFFFFFFFF), WaveStatus::kNoData, 0},
        {"a data chunk claiming more than the file",
         Riff(kFmt8k + Chunk("data", "abc", 0xFFFFFFFF)), WaveStatus::kOk, 0xFFFFFFFF},
        {"an overlong fmt chunk",
         Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 8000, 1, 8) + std::string(1100, 'z')) +
              Chunk("data", "ab")),
         WaveStatus::kOk, 2},
        {"an odd-sized chunk, walked without padding",
         Riff(Chunk("odd!", "x") + kFmt8k + Chunk("data", "ab")), WaveStatus::kOk, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WaveScan scan = Scan(c.bytes);
        EXPECT_EQ(scan.status, c.status);
        EXPECT_EQ(scan.dataSize, c.dataSize);
    }
}

TEST(WaveFileTest, FormatFieldsAndTheirTags) {
    struct Case {
        std::string fmt;
        WaveFormat expected;
    } cases[] = {
        {FmtBody(1, 2, 44100, 176400, 4, 16), {1, 2, 44100, 176400, 4, 16}},
        // Other tags are read; bits per sample only for PCM.
        {FmtBody(3, 2, 48000, 384000, 8, 32), {3, 2, 48000, 384000, 8, 0}},
        {FmtBody(0x55, 1, 22050, 4000, 1, 0) + LeBytes().u16(12).s + std::string(12, '\0'),
         {0x55, 1, 22050, 4000, 1, 0}},
        // A 14-byte format (no bits field) and one of 6 bytes: the fields it holds.
        {FmtBody(1, 1, 11025, 11025, 1, 8).substr(0, 14), {1, 1, 11025, 11025, 1, 0}},
        {FmtBody(1, 2, 11025, 11025, 1, 8).substr(0, 6), {1, 2, 8000, 8000, 1, 0}},
    };
    for (const Case& c : cases) {
        const WaveScan scan = Scan(Riff(Chunk("fmt ", c.fmt) + Chunk("data", "abcd")));
        ASSERT_TRUE(scan.ok());
        const WaveFormat& f = scan.format;
        EXPECT_EQ(f.formatTag, c.expected.formatTag);
        EXPECT_EQ(f.channels, c.expected.channels);
        EXPECT_EQ(f.samplesPerSecond, c.expected.samplesPerSecond);
        EXPECT_EQ(f.avgBytesPerSecond, c.expected.avgBytesPerSecond);
        EXPECT_EQ(f.blockAlign, c.expected.blockAlign);
        EXPECT_EQ(f.bitsPerSample, c.expected.bitsPerSample);
    }
}

TEST(WaveFileTest, StartOffsetAndLengthInFrames) {
    struct Case {
        int rate;  // frames per second x 100
        uint32_t perSecond;
        unsigned channels, block;
        uint32_t dataSize;
        int64_t frame, offset, length;
    } cases[] = {
        // 30 fps, 8000 bytes a second: frame 30 skips 8000 bytes; 16000 bytes last 60 frames.
        {3000, 8000, 1, 1, 16000, 30, 8000, 60},
        {3000, 8000, 1, 1, 16000, 1, 266, 60},
        // 29.97 counts 29 whole frames a second for the offset; a stereo 16-bit clip starts on
        // a whole sample (188565 -> 188564).
        {2997, 176400, 2, 4, 1764000, 31, 188564, 299},
        {2400, 88200, 1, 2, 88200, 5, 18374, 24},
        // No channels, or no bytes a second: no length, no division by zero.
        {3000, 8000, 0, 1, 16000, 30, 8000, 0},
        {3000, 0, 1, 1, 16000, 30, 0, 0},
        // A rate under one frame a second counts as one.
        {50, 8000, 1, 1, 16000, 2, 16000, 1},
        // The largest sizes: 64-bit products, no overflow.
        {6000, 1, 1, 1, 0xFFFFFFFF, 2147483647, 35791394, 257698037700},
        {3000, 0xFFFFFFFF, 1, 1, 0xFFFFFFFF, 2147483647, 307445734347077495, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.rate << " " << c.perSecond << " " << c.frame);
        WaveFormat f;
        f.channels = uint16_t(c.channels);
        f.avgBytesPerSecond = c.perSecond;
        f.blockAlign = uint16_t(c.block);
        EXPECT_EQ(StartOffset(c.frame, f, c.rate), c.offset);
        EXPECT_EQ(LengthInFrames(c.rate, c.dataSize, f), c.length);
    }
}

namespace {

class FakeClock final : public PlayClock {
  public:
    int64_t Frequency() const override { return 1000; }  // milliseconds
    int64_t Counter() const override { return now; }
    int64_t now = 0;
};

// An output that records the buffers handed to it and says done when told to.
class RecordingOutput final : public AudioOutput {
  public:
    int Open(const WaveFormat& f, Client* c) override {
        opened.push_back(f);
        client = openResult == kAudioOpened ? c : nullptr;
        return openResult;
    }
    void Write(const uint8_t* data, size_t size) override {
        writes.emplace_back(reinterpret_cast<const char*>(data), size);
        queued.push_back(size);
    }
    bool Idle() const override { return queued.empty(); }
    void Reset() override {
        queued.clear();
        ++resets;
    }
    void Close() override { client = nullptr; }
    void FinishOne() {
        queued.pop_front();
        if (client) client->BufferDone();
    }
    int openResult = kAudioOpened;
    Client* client = nullptr;
    std::vector<WaveFormat> opened;
    std::vector<std::string> writes;
    std::deque<size_t> queued;
    int resets = 0;
};

class SoundClipTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        doc = std::make_unique<Document>(*profile, host);
    }
    QString File(const std::string& bytes, const char* name = "c.wav") {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
};

}  // namespace

TEST_F(SoundClipTest, StreamsFourKilobytePiecesTwoInFlight) {
    const std::string data = Ramp(16000);
    RecordingOutput out;
    SoundClip clip(*doc, out);
    clip.SetFileName(File(PcmWave(data)));
    ASSERT_TRUE(clip.OpenAndScan(0, ScanMode::kScanOnly));
    EXPECT_EQ(clip.LengthInFrames(), 60);
    // From frame 30 of a 30 fps show: 8000 bytes skipped, 8000 to go in 4096 + 3904.
    ASSERT_TRUE(clip.Play(30));
    EXPECT_EQ(out.writes.size(), 2u);
    out.FinishOne();
    EXPECT_EQ(out.writes.size(), 2u);  // nothing left to queue
    EXPECT_TRUE(clip.Playing());
    out.FinishOne();
    EXPECT_FALSE(clip.Playing());  // played to the end: stopped, device closed
    EXPECT_EQ(out.writes[0], data.substr(8000, 4096));
    EXPECT_EQ(out.writes[1], data.substr(12096));

    // From frame 0: a third piece is queued only when the first is done.
    out.writes.clear();
    ASSERT_TRUE(clip.Play(0));
    EXPECT_EQ(out.writes.size(), 2u);
    out.FinishOne();
    EXPECT_EQ(out.writes.size(), 3u);
    EXPECT_EQ(out.writes[2], data.substr(8192, 4096));
    clip.Stop();
    clip.Stop();  // twice is harmless
    EXPECT_FALSE(clip.Playing());
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST_F(SoundClipTest, FailuresAndTheirMessages) {
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file name at all
        int openResult;
        int64_t frame;
        QStringList messages;
        bool plays;
    } cases[] = {
        {"no clip", "", kAudioOpened, 0, {"No clip to play!"}, false},
        {"not RIFF",
         "RIFX" + PcmWave("abcd").substr(4),
         kAudioOpened,
         0,
         {"Not a valid RIFF file"},
         false},
        {"not WAVE", Riff(kFmt8k, -1, "WAVX"), kAudioOpened, 0, {"Not a valid WAV file"}, false},
        {"truncated: silent", PcmWave(Ramp(100)).substr(0, 30), kAudioOpened, 0, {}, false},
        {"no data: silent", Riff(kFmt8k), kAudioOpened, 0, {}, false},
        {"past the end: silent", PcmWave(Ramp(8000)), kAudioOpened, 30, {}, false},
        {"device busy",
         PcmWave(Ramp(100)),
         kAudioAllocated,
         0,
         {"The sound device is in use by another program"},
         false},
        {"device error",
         PcmWave(Ramp(100)),
         kAudioBadFormat,
         0,
         {"Error opening wave output device 32\n"},
         false},
        {"no device: silent", PcmWave(Ramp(100)), kAudioNoDevice, 0, {}, false},
        {"not PCM: silent",
         Riff(Chunk("fmt ", FmtBody(3, 1, 8000, 32000, 4, 32)) + Chunk("data", Ramp(64))),
         kAudioOpened,
         0,
         {},
         false},
        {"fine", PcmWave(Ramp(100)), kAudioOpened, 0, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        RecordingOutput out;
        out.openResult = c.openResult;
        SoundClip clip(*doc, out);
        // As the play loop does: the format first, then play when the file could be read.
        bool read = true;
        if (!c.bytes.empty()) {
            clip.SetFileName(File(c.bytes));
            read = clip.OpenAndScan(0, ScanMode::kScanOnly);
        }
        EXPECT_EQ(read && clip.Play(c.frame), c.plays);
        EXPECT_EQ(clip.Playing(), c.plays);
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_EQ(!out.writes.empty(), c.plays);
    }
}

TEST_F(SoundClipTest, RecordingHoldsThePlayedBytesInTheClipsFormat) {
    // 16-bit stereo at 11025: 44100 bytes a second. From frame 15 at 30 fps: 22050 bytes in.
    const std::string data = Ramp(44100 * 2);
    FakeClock clock;
    const QString recording = dir.filePath("out.wav");
    {
        WaveFileOutput out(recording, clock);
        SoundClip clip(*doc, out);
        clip.SetFileName(File(PcmWave(data, 2, 11025, 16)));
        ASSERT_TRUE(clip.OpenAndScan(0, ScanMode::kScanOnly));
        ASSERT_TRUE(clip.Play(30));
        // The device plays in real time: after half a second, 22050 bytes; the rest after
        // another 1.5 seconds, when the clip has ended.
        clock.now = 500;
        out.Pump();
        EXPECT_EQ(out.bytesRecorded(), 22050);
        EXPECT_TRUE(clip.Playing());
        clock.now = 2000;
        out.Pump();
        EXPECT_FALSE(clip.Playing());
        EXPECT_EQ(out.bytesRecorded(), 44100);
        ASSERT_TRUE(out.Finish());
    }
    QFile file(recording);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray all = file.readAll();
    EXPECT_EQ(std::string(all.constData(), size_t(all.size())),
              PcmWave(data.substr(44100), 2, 11025, 16));
}

TEST_F(SoundClipTest, RecordingStopsWhereThePlayStops) {
    const std::string data = Ramp(16000);
    FakeClock clock;
    WaveFileOutput out(dir.filePath("out.wav"), clock);
    SoundClip clip(*doc, out);
    clip.SetFileName(File(PcmWave(data)));
    clip.OpenAndScan(0, ScanMode::kScanOnly);
    clock.now = 1000;  // the device starts when the first buffer comes
    ASSERT_TRUE(clip.Play(0));
    clock.now = 1250;
    clip.Stop();  // a quarter second played: 2000 bytes
    clock.now = 5000;
    out.Pump();
    EXPECT_EQ(out.bytesRecorded(), 2000);
}

TEST(ShowSoundTest, PcmDecodingForMovies) {
    auto le16 = [](std::initializer_list<int> v) {
        LeBytes b;
        for (int x : v)
            b.u16(unsigned(x) & 0xFFFF);
        return b.s;
    };
    const std::string fuzzFound = [] {
        // Found by the WAV fuzzer: 12-bit samples in one-byte blocks were read a byte too far.
        QFile f(QUILLON_TEST_DATA "/wave/fuzz-12-bit-samples.wav");
        return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
    }();
    ASSERT_FALSE(fuzzFound.empty());
    struct Case {
        const char* what;
        std::string wave;
        int channels;
        int64_t frames;
        std::vector<int16_t> samples;
    } cases[] = {
        {"8-bit mono on both sides",
         PcmWave(std::string("\x80\xFF\x00", 3)),
         2,
         10,
         {0, 0, 32512, 32512, -32768, -32768}},
        {"16-bit stereo, first channel",
         PcmWave(le16({1000, -2000, 3, 4}), 2, 8000, 16),
         1,
         10,
         {1000, 3}},
        {"cut at the frames asked for", PcmWave(le16({5, 6, 7}), 1, 8000, 16), 1, 2, {5, 6}},
        {"a file shorter than its data chunk",
         Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 16000, 2, 16)) +
              Chunk("data", le16({9}) + "x", 10)),
         1,
         10,
         {9}},
        {"a block too small for its samples",
         Riff(Chunk("fmt ", FmtBody(1, 2, 8000, 8000, 1, 16)) + Chunk("data", Ramp(8))),
         2,
         10,
         {}},
        {"12-bit samples", fuzzFound, 2, 1 << 16, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes(c.wave.data(), qsizetype(c.wave.size()));
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        const WaveScan scan = ScanWave(buffer);
        ASSERT_TRUE(scan.ok());
        EXPECT_EQ(ReadPcm16(buffer, scan, c.channels, c.frames), c.samples);
    }
}
