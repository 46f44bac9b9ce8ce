#pragma once
// SoundClip: the one sound clip player, owned with the player. It reads a sound track's RIFF
// WAVE file (WaveFile.h), plays it from any frame of the track through an AudioOutput, and
// streams the data from disk in 4096-byte buffers, two in flight, each refilled as the output
// finishes one, so memory does not grow with the clip. It also tells how many show frames a
// clip lasts.
//
// Messages ("Not a valid RIFF file", "No clip to play!", the device errors) go through the
// document's host with the stop icon; an unreadable or truncated file fails silently. Whatever
// fails, the clip player is left stopped and play goes on without sound.

#include <QFile>
#include <QString>
#include <array>
#include <cstdint>

#include "player/AudioOutput.h"
#include "player/ClipPlayer.h"
#include "player/WaveFile.h"

namespace quillon {

class Document;

inline constexpr char kMessageNoClip[] = "No clip to play!";
inline constexpr char kMessageDeviceInUse[] = "The sound device is in use by another program";

class SoundClip final : public ClipPlayer, private AudioOutput::Client {
  public:
    static constexpr int kBufferSize = 4096;

    // The document gives the frame rate and the host; the output stays the caller's. Both must
    // outlive the clip player.
    SoundClip(Document& doc, AudioOutput& output);
    ~SoundClip() override;
    SoundClip(const SoundClip&) = delete;
    SoundClip& operator=(const SoundClip&) = delete;

    void SetFileName(const QString& fileName) override { fileName_ = fileName; }
    QString fileName() const override { return fileName_; }
    // Open-and-scan: the header and chunks are read and the format, data size and position
    // recorded; the file is left at the start offset of startFrame (none when startFrame is 0),
    // and with kQueue the first two buffers are queued. False when the file cannot be opened
    // or read whole up to its data, has no "data" chunk, or startFrame lies at or past the end
    // of the data.
    bool OpenAndScan(int64_t startFrame, ScanMode mode) override;
    // Stops, opens the output for the recorded format and scans the file again from startFrame
    // with queueing. Formats other than PCM are read but stay silent: false without a message.
    bool Play(int64_t startFrame) override;
    void Stop() override;
    bool Playing() override;

    // Length-in-frames at the show's frame rate (0 for a clip of no channels).
    int64_t LengthInFrames() const;
    const WaveFormat& format() const { return format_; }
    uint32_t dataSize() const { return dataSize_; }
    // Bytes of the data consumed so far, from the start offset on.
    int64_t position() const { return position_; }

  private:
    void BufferDone() override;
    // Reads the next piece of the data into the next buffer and hands it to the output; false
    // when nothing is left or the file ends early.
    bool QueueBuffer();

    Document& doc_;
    AudioOutput& output_;
    QString fileName_;
    QFile file_;
    WaveFormat format_;
    uint32_t dataSize_ = 0;
    int64_t position_ = 0;
    bool playing_ = false;
    bool deviceOpen_ = false;
    bool exhausted_ = false;  // the last buffer has been queued
    int nextBuffer_ = 0;
    int inFlight_ = 0;
    std::array<std::array<uint8_t, kBufferSize>, 2> buffers_{};
};

}  // namespace quillon
