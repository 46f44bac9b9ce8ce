#pragma once
// WaveFileOutput: an audio output that records instead of sounding. It stands for a device
// that plays the clip's format in real time by a clock: the buffers handed to it are played at
// the format's average bytes per second, each one reported done when the clock has passed its
// last byte, and the bytes played are appended to a WAV file in the format of the first clip
// opened. So the file holds exactly what a device would have played, in the clip's format, cut
// where play was stopped; and the clip player streams into it as it streams into a device.
//
// Time moves only in Pump, which the owner calls often (a timer) or, in tests, after moving
// the clock. The file's header is completed by Finish (or the destructor).

#include <QFile>
#include <QString>
#include <cstdint>
#include <deque>
#include <vector>

#include "player/AudioOutput.h"
#include "player/PlayClock.h"

namespace quillon {

class WaveFileOutput final : public AudioOutput {
  public:
    // The file is created at the first Open; the clock stays the caller's.
    WaveFileOutput(const QString& path, const PlayClock& clock);
    ~WaveFileOutput() override;

    // kAudioBadFormat for a format of 0 bytes a second or 0 block alignment; kAudioError when
    // the file cannot be created.
    int Open(const WaveFormat& format, Client* client) override;
    void Write(const uint8_t* data, size_t size) override;
    bool Idle() const override { return queue_.empty(); }
    void Reset() override;
    void Close() override;

    // Plays what is due by now: appends it to the file and reports the buffers done.
    void Pump();
    // Writes the header's sizes and closes the file; false when the file could not be written.
    bool Finish();

    // Bytes written to the file's data so far.
    int64_t bytesRecorded() const { return recorded_; }
    bool hasFile() const { return file_.isOpen(); }

  private:
    struct Buffer {
        std::vector<uint8_t> bytes;
        size_t played = 0;
    };

    QFile file_;
    const PlayClock& clock_;
    Client* client_ = nullptr;
    WaveFormat fileFormat_;
    uint32_t bytesPerSecond_ = 0;
    std::deque<Buffer> queue_;
    bool running_ = false;
    int64_t runStart_ = 0;  // counter when the device last started from silence
    int64_t runBytes_ = 0;  // bytes played since then
    int64_t recorded_ = 0;
    bool failed_ = false;
};

}  // namespace quillon
