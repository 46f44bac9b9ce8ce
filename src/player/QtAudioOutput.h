#pragma once
// QtAudioOutput: the sound device, through Qt Multimedia's QAudioSink on the default output.
// The buffers the clip player hands over are pushed into the sink as it has room for them
// (looked at every few milliseconds); when a buffer has gone into the sink the clip player is
// told and queues the next. A clip has been played when the device has played every byte
// written (its tail is padded with silence so that the device starts a clip shorter than its
// own buffer). PCM of 8, 16 or 32 bits, any channels and any rate the device takes; everything
// else is refused as a bad format.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "player/AudioOutput.h"

class QAudioSink;
class QIODevice;

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
    struct Buffer {
        std::vector<uint8_t> bytes;
        size_t written = 0;
        bool padding = false;
    };
    void Feed();

    std::unique_ptr<QAudioSink> sink_;
    QIODevice* device_ = nullptr;  // the sink's, while it is open
    Client* client_ = nullptr;
    QTimer timer_;
    std::deque<Buffer> queue_;
    bool feeding_ = false;
    bool padded_ = false;
    int bytesPerSecond_ = 0;
    uint8_t silence_ = 0;
    int64_t soundBytes_ = 0;  // bytes of the clip (not padding) written to the sink
};

}  // namespace quillon
