#pragma once
// Where a sound clip's bytes go: the sound device (QAudioSink, QtAudioOutput) or a recording of
// what the device would be given (WaveFileOutput, for tests and the command line). The clip
// player hands over one buffer at a time, at most two in flight, and queues the next when the
// output says it is done with one, so memory never grows with the clip.

#include <cstddef>
#include <cstdint>

#include "player/WaveFile.h"

namespace quillon {

// Open's answers, numbered as the wave-out device errors they stand for.
enum AudioOpenResult : int {
    kAudioOpened = 0,
    kAudioError = 1,       // the device failed for another reason
    kAudioAllocated = 4,   // the device is held by another program
    kAudioBadFormat = 32,  // the device cannot play this format
    kAudioNoDevice = -1,   // there is no sound device at all: play goes on silently
};

class AudioOutput {
  public:
    // Told, on the thread that drives the output, when a buffer handed to Write has been
    // taken by the device and its bytes are no longer needed.
    class Client {
      public:
        virtual ~Client() = default;
        virtual void BufferDone() = 0;
    };

    virtual ~AudioOutput() = default;
    // Opens the device for the format; an AudioOpenResult. The client is told of every buffer
    // until Close.
    virtual int Open(const WaveFormat& format, Client* client) = 0;
    // Queues one buffer (the bytes are copied).
    virtual void Write(const uint8_t* data, size_t size) = 0;
    // Whether everything written has been played.
    virtual bool Idle() const = 0;
    // Drops whatever is queued and not yet played; no BufferDone follows for it.
    virtual void Reset() = 0;
    // Closes the device. Safe to call when it is not open.
    virtual void Close() = 0;
};

}  // namespace quillon
