#pragma once
// Reading RIFF WAVE files: the header, the chunk walk that finds the "fmt " and "data" chunks,
// and the arithmetic that ties a clip to show frames (where a start frame falls in the data and
// how many frames the clip lasts). The reader works on any QIODevice (a file, or bytes in
// memory), never reads more than 1024 bytes at a time and never allocates by what the file
// says, so no file, however broken, makes it crash, hang or divide by zero.

#include <QIODevice>
#include <QString>
#include <cstdint>

namespace quillon {

// The clip's format, as the "fmt " chunk gives it. The defaults are what a clip holds before
// any file was read: PCM, mono, 8000 samples and 8000 bytes a second, 8 bits.
struct WaveFormat {
    uint16_t formatTag = 1;
    uint16_t channels = 1;
    uint32_t samplesPerSecond = 8000;
    uint32_t avgBytesPerSecond = 8000;
    uint16_t blockAlign = 1;
    // Read only for PCM (tag 1); 0 for every other tag.
    uint16_t bitsPerSample = 8;

    bool IsPcm() const { return formatTag == kPcm; }
    static constexpr uint16_t kPcm = 1;
};

enum class WaveStatus {
    kOk,
    kNotRiff,   // the first four bytes are not "RIFF"
    kNotWave,   // bytes 8 to 11 are not "WAVE"
    kTooShort,  // the header or a chunk ended before the file said it would
    kNoData,    // the walk ended (by the RIFF size or the file's end) without a "data" chunk
};

// The messages a bad header gives; the other failures are silent.
inline constexpr char kMessageNotRiff[] = "Not a valid RIFF file";
inline constexpr char kMessageNotWave[] = "Not a valid WAV file";

struct WaveScan {
    WaveStatus status = WaveStatus::kTooShort;
    WaveFormat format;
    // The size the "data" chunk claims (the file may hold fewer bytes).
    uint32_t dataSize = 0;
    // Where the data begins in the device.
    qint64 dataStart = 0;
    bool ok() const { return status == WaveStatus::kOk; }
};

// Reads the 12-byte header and walks the chunks from the device's current position: a chunk
// whose identifier begins "fmt" gives the format (at most its first 1024 bytes are looked at),
// "data" ends the walk, anything else is skipped in pieces of at most 1024 bytes. The RIFF size
// bounds the walk. On success the device stands at the first byte of the data.
WaveScan ScanWave(QIODevice& in);

// Whole frames a second of a frame rate held as frames per second x 100, truncated (2997 gives
// 29; the timecode text rounds instead), at
// least 1 so that no rate divides by zero.
int64_t TruncatedFramesPerSecond(int frameRate);

// The byte of the data where start frame `frame` (counted from the clip's start) begins:
// frame x average bytes per second / whole frames per second, in 64 bits and truncating, then
// brought down to a whole block so that a stereo or 16-bit clip never starts inside a sample.
int64_t StartOffset(int64_t frame, const WaveFormat& format, int frameRate);

// The clip's length in show frames: frame rate x data size / 100 / average bytes per second,
// unsigned 64-bit and truncating at each division; 0 for a format of 0 channels or 0 bytes a
// second.
int64_t LengthInFrames(int frameRate, uint32_t dataSize, const WaveFormat& format);

}  // namespace quillon
