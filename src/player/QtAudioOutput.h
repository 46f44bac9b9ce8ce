#pragma once
// QtAudioOutput: the sound device, through Qt Multimedia's QAudioSink on the default output.
// The sink pulls the clip's bytes from a small device of our own that holds the buffers the
// clip player hands over; when the sink has taken a whole buffer, the clip player is told (on
// this object's thread, from the event loop) and queues the next. PCM of 8, 16 or 32 bits, one
// or more channels and any rate the device takes; everything else is refused as a bad format.

#include <QObject>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "player/AudioOutput.h"

class QAudioSink;

namespace quillon {

class QtAudioOutput final : public QObject, public AudioOutput {
    Q_OBJECT
  public:
    explicit QtAudioOutput(QObject* parent = nullptr);
    ~QtAudioOutput() override;

    // kAudioNoDevice without any output device; kAudioBadFormat for a format the device does
    // not take; kAudioAllocated when the device cannot be opened; kAudioError for other
    // failures of the sink.
    int Open(const WaveFormat& format, Client* client) override;
    void Write(const uint8_t* data, size_t size) override;
    bool Idle() const override;
    void Reset() override;
    void Close() override;

    // Microseconds of sound the device has played since Open.
    int64_t playedMicroseconds() const;

  private:
    class Feed;
    void TakeDone(int count, int generation);

    std::unique_ptr<Feed> feed_;
    std::unique_ptr<QAudioSink> sink_;
    Client* client_ = nullptr;
    int generation_ = 0;
};

}  // namespace quillon
