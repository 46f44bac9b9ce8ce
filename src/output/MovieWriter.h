#pragma once
// MovieWriter: writes rendered frames to an AVI file through FFmpeg, with the compression the
// user chose, or to a numbered sequence of Targa files. The caller fills the public fields,
// opens, writes frames (24-bit bottom-up pictures of width x height) and closes. Closing
// finishes the AVI file whatever happened before: after a failed write or a cancelled run the
// frames written so far play. Uncompressed AVI frames are stored as the picture holds them:
// bottom row first under a positive height, rows of whole 4-byte words.
//
// Targa output keeps no file open. Each frame goes to fileName, which starts as the chosen
// name; the frame loop names its numbered frames through TargaFrameName (take0012.tga), while
// hold frames go to whatever fileName holds.

#include <QString>
#include <cstdint>
#include <memory>

#include "output/MovieCodec.h"
#include "pictures/Picture.h"

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

    // VRML and Targa formats need nothing and succeed. AVI: creates the file with one video
    // stream at truncate(frameRate + 0.05) frames per second and width x height, encoded with
    // `codec`. False, with nothing left open, when the size or rate cannot be written, the
    // codec refuses them (4:2:0 codecs want even sizes) or the file cannot be created.
    bool Open();
    // Writes one frame: a 24-bit picture of width x height, bottom row first. AVI: encoded
    // and appended; Targa: saved to fileName as an uncompressed 24-bit Targa. False when the
    // picture does not fit, nothing is open, or the write fails.
    bool WriteFrame(const Picture& frame);
    // Finishes and closes the AVI file: frames still inside the encoder are written, then the
    // index. Safe to call more than once and on a writer that never opened.
    void Close();

    bool isOpen() const { return avi_ != nullptr; }
    // Frames handed to the AVI stream since Open.
    int64_t framesWritten() const { return framesWritten_; }

  private:
    struct Avi;  // FFmpeg handles
    bool OpenAvi();
    std::unique_ptr<Avi> avi_;
    Picture scratch_;  // Targa frames are saved from here
    int64_t framesWritten_ = 0;
};

}  // namespace quillon
