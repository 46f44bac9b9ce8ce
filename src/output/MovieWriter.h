#pragma once
// MovieWriter: writes rendered frames to an AVI file through FFmpeg, with the compression the
// user chose, or to a numbered sequence of Targa files. The caller fills the public fields,
// opens, writes frames (24-bit bottom-up pictures of width x height) and closes. Closing
// finishes the AVI file whatever happened before: after a failed write or a cancelled run the
// frames written so far play. Uncompressed AVI frames are stored as the picture holds them:
// bottom row first under a positive height, rows of whole 4-byte words.
//
// Compressed AVI frames are converted and encoded on a thread of the writer's own while the
// caller renders the next frame: WriteFrame copies the picture and returns; frames are written
// in the order given, none is dropped. A write that fails there makes the next WriteFrame (and
// framesWritten) report it.
//
// Targa output keeps no file open. Each frame goes to fileName, which starts as the chosen
// name; the frame loop names its numbered frames through TargaFrameName (take0012.tga), while
// hold frames go to whatever fileName holds.

#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "output/MovieCodec.h"
#include "pictures/Picture.h"

struct AVCodec;

namespace quillon {

// The format index of the movie settings.
enum class MovieFormat {
    kAvi = 0,
    kVrml = 1,
    kTarga16 = 2,  // written as 24-bit Targa files, like kTarga24
    kTarga24 = 3,
};

// Where a Targa sequence starts: the chosen name cut at the first "." of its last path
// component, less the digits at its end (at most six, the last being the units). Those digits
// are the first frame number, 0 when there are none.
struct TargaNumbering {
    QString baseName;
    long first = 0;
};
TargaNumbering TargaNumberingFor(const QString& chosenName);
// base + n as "%s%04ld.tga".
QString TargaFrameName(const QString& baseName, long number);

class DocumentHost;

class MovieWriter {
  public:
    MovieWriter();
    ~MovieWriter();  // closes whatever is still open
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    int32_t height = 0;
    int32_t width = 0;
    int32_t fieldMode = 0;  // 0 frames, 1 even first, 2 odd first (used by the frame loop)
    MovieFormat format = MovieFormat::kAvi;
    float frameRate = 30.0f;  // movie frames per second
    // The chosen file name; for Targa output, the name the next frame is written to.
    QString fileName;
    MovieCodec codec = MovieCodec::kUncompressed;
    // An AVI's sound: 16-bit signed PCM of this many channels at this rate, as a second
    // stream beside the pictures. 0 channels: no sound stream. Other formats ignore it.
    int audioChannels = 0;
    int audioSampleRate = 0;
    // Where a Targa frame that cannot be saved says so ("Error opening graphics file"): once
    // a run, the first time; null for silence. Not owned.
    DocumentHost* host = nullptr;

    // VRML and Targa formats need nothing and succeed. AVI: creates the file with one video
    // stream at truncate(frameRate + 0.05) frames per second and width x height, encoded with
    // `codec`. False, with nothing left open, when the size or rate cannot be written, the
    // codec refuses them (4:2:0 codecs want even sizes) or the file cannot be created.
    bool Open();
    // Writes one frame: a 24-bit picture of width x height, bottom row first. AVI: encoded
    // and appended (compressed frames on the encoding thread); false when the picture does not
    // fit, nothing is open, or this or an earlier write failed. Targa: saved to fileName as an
    // uncompressed 24-bit Targa; a frame that cannot be saved is counted (failedFrames) and the
    // run goes on, so the result is true whenever the picture fits.
    bool WriteFrame(const Picture& frame);
    // Appends sample frames (channels interleaved) to the sound stream. False when the movie
    // has no sound stream or the write failed.
    bool WriteAudio(const int16_t* samples, int64_t sampleFrames);
    // Finishes and closes the AVI file: frames still inside the encoder are written, then the
    // index. Safe to call more than once and on a writer that never opened.
    void Close();

    bool isOpen() const { return avi_ != nullptr; }
    // Frames written to the AVI stream since Open (waits for the encoding thread to catch up).
    int64_t framesWritten() const;
    // Why the last failing Open or WriteFrame failed, in words: FFmpeg's own text where FFmpeg
    // failed ("Permission denied", "File too large"), ours otherwise ("the codec refuses odd
    // sizes ..."). A failure on the encoding thread is told here once the next WriteFrame
    // reports it. Empty when nothing has failed since Open began.
    QString errorString() const;
    // Targa frames that could not be saved since Open.
    int failedFrames() const { return failedFrames_; }

  private:
    struct Avi;  // FFmpeg handles
    bool OpenAvi();
    // The steps of OpenAvi, each false (with the reason kept) when it fails.
    bool OpenEncoder(Avi& avi, const AVCodec* encoder, int pixelFormat, int rate);
    bool OpenAudio(Avi& avi);
    bool PrepareFrames(Avi& avi);
    bool CreateFile(Avi& avi);
    // Keeps the reason and returns false, for `return Fail(...)`.
    bool Fail(const QString& reason);
    // Converts and encodes one picture into the open stream; false when that fails.
    bool Encode(const Picture& picture);
    void StartEncoder();
    void StopEncoder();
    void EncoderLoop();
    void WaitIdle() const;

    std::unique_ptr<Avi> avi_;
    Picture scratch_;  // Targa frames are saved from here
    std::atomic<int64_t> framesWritten_{0};

    // The encoding thread and the pictures passed to it: two buffers, so that one frame is
    // encoded while the next is rendered and copied.
    static constexpr int kBuffers = 2;
    std::thread encoder_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<std::unique_ptr<Picture>> buffers_;
    std::vector<Picture*> free_;
    std::deque<Picture*> queue_;
    bool busy_ = false;
    bool stopping_ = false;
    std::atomic<bool> failed_{false};
    int failedFrames_ = 0;
    QString error_;  // guarded by mutex_: the encoding thread fails too
};

}  // namespace quillon
