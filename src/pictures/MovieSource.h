#pragma once
// A movie file as a source of pictures: its size, its number of frames and one decoded frame
// at a time, through FFmpeg. A stream whose title contains "AlphaInterleave" carries colour and
// matte frames alternately; the matte becomes the picture's alpha. Opened, used and closed
// within one operation; every failure is silent and reported as 0 or false, with its reason
// kept for errorString.

#include <QString>
#include <memory>

namespace quillon {

class Picture;

class MovieSource {
  public:
    // Frames wider or taller than this are refused, as a Picture cannot hold them.
    static constexpr int kMaxSide = 4096;

    MovieSource();
    ~MovieSource();  // closes whatever is still open
    MovieSource(const MovieSource&) = delete;
    MovieSource& operator=(const MovieSource&) = delete;

    // Opens the first video stream of an AVI file; the number of movie frames (halved for an
    // AlphaInterleave stream), 0 on failure with nothing left open. A movie of no whole frame
    // counts as a failure. Frames are decoded into target (not owned).
    int Open(const QString& fileName, Picture* target);
    // Decodes movie frame index into the target as a bottom-up picture (24 bits, or 32 with
    // the matte as alpha); false without a target, past the end or on a decoding error.
    bool ReadFrame(int index);
    // Releases everything opened; safe on a partly opened or closed source.
    void Close();

    // Open, ReadFrame, Close: the number of movie frames, 0 on any failure (with its reason in
    // *error when given).
    static int LoadFrame(const QString& fileName, int index, Picture* target,
                         QString* error = nullptr);

    bool alphaInterleave() const { return alphaInterleave_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The number of movie frames the last Open reported. Like the size and the matte flag it
    // stays readable after Close, until the next Open.
    int frames() const { return frames_; }
    // Why the last failing Open or ReadFrame failed, in words: FFmpeg's own text where FFmpeg
    // failed ("No such file or directory"), ours otherwise ("the file has no video stream").
    // Empty when nothing has failed since Open began.
    const QString& errorString() const { return error_; }

    // FFmpeg reports damaged data and odd formats on stderr by itself; a program whose stderr
    // carries its own messages calls this once to silence that.
    static void SilenceLibraryLog();

  private:
    // Keeps the reason and returns false, for `return Fail(...)`.
    bool Fail(const QString& reason);

    struct Streams;  // FFmpeg handles
    std::unique_ptr<Streams> streams_;
    Picture* target_ = nullptr;
    bool alphaInterleave_ = false;
    int width_ = 0;
    int height_ = 0;
    int frames_ = 0;
    QString error_;
};

}  // namespace quillon
