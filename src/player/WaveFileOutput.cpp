#include "WaveFileOutput.h"

#include <algorithm>

#include "model/ByteStream.h"

namespace quillon {

namespace {

// A canonical 44-byte PCM header, or one with an 18-byte "fmt " chunk for other tags.
std::string Header(const WaveFormat& f, uint32_t dataSize) {
    const bool pcm = f.IsPcm();
    const uint32_t fmtSize = pcm ? 16 : 18;
    std::string out;
    LeWriter w(out);
    w.Bytes("RIFF", 4);
    w.U32(4 + 8 + fmtSize + 8 + dataSize);
    w.Bytes("WAVEfmt ", 8);
    w.U32(fmtSize);
    w.U16(f.formatTag);
    w.U16(f.channels);
    w.U32(f.samplesPerSecond);
    w.U32(f.avgBytesPerSecond);
    w.U16(f.blockAlign);
    w.U16(f.bitsPerSample);
    if (!pcm) w.U16(0);
    w.Bytes("data", 4);
    w.U32(dataSize);
    return out;
}

}  // namespace

WaveFileOutput::WaveFileOutput(const QString& path, const PlayClock& clock)
    : file_(path), clock_(clock) {}

WaveFileOutput::~WaveFileOutput() {
    Finish();
}

int WaveFileOutput::Open(const WaveFormat& format, Client* client) {
    if (format.avgBytesPerSecond == 0 || format.blockAlign == 0) return kAudioBadFormat;
    if (!file_.isOpen()) {
        if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) return kAudioError;
        fileFormat_ = format;
        const std::string header = Header(format, 0);
        failed_ = file_.write(header.data(), qint64(header.size())) != qint64(header.size());
    }
    client_ = client;
    bytesPerSecond_ = format.avgBytesPerSecond;
    queue_.clear();
    running_ = false;
    return kAudioOpened;
}

void WaveFileOutput::Write(const uint8_t* data, size_t size) {
    if (!client_ || size == 0) return;
    queue_.push_back(Buffer{std::vector<uint8_t>(data, data + size), 0});
    if (!running_) {
        // The device starts from silence now.
        running_ = true;
        runStart_ = clock_.Counter();
        runBytes_ = 0;
    }
}

void WaveFileOutput::Pump() {
    if (!running_ || bytesPerSecond_ == 0) return;
    const __int128 elapsed = std::max<int64_t>(0, clock_.Counter() - runStart_);
    const int64_t due =
        int64_t(elapsed * bytesPerSecond_ / std::max<int64_t>(1, clock_.Frequency()));
    while (runBytes_ < due && !queue_.empty()) {
        Buffer& front = queue_.front();
        const size_t n =
            size_t(std::min<int64_t>(due - runBytes_, int64_t(front.bytes.size() - front.played)));
        if (file_.isOpen() &&
            file_.write(reinterpret_cast<const char*>(front.bytes.data() + front.played),
                        qint64(n)) != qint64(n))
            failed_ = true;
        front.played += n;
        runBytes_ += int64_t(n);
        recorded_ += int64_t(n);
        if (front.played == front.bytes.size()) {
            queue_.pop_front();
            // The refill is queued at the instant the device finished the buffer.
            if (client_) client_->BufferDone();
        }
    }
    // Nothing more to play: the device falls silent until the next buffer comes.
    if (queue_.empty()) running_ = false;
}

void WaveFileOutput::Reset() {
    // What has been played so far stays in the recording; the rest is dropped.
    Pump();
    queue_.clear();
    running_ = false;
}

void WaveFileOutput::Close() {
    client_ = nullptr;
    queue_.clear();
    running_ = false;
}

bool WaveFileOutput::Finish() {
    if (!file_.isOpen()) return !failed_;
    const uint32_t dataSize = uint32_t(std::min<int64_t>(recorded_, UINT32_MAX - 64));
    const std::string header = Header(fileFormat_, dataSize);
    if (!file_.seek(0) ||
        file_.write(header.data(), qint64(header.size())) != qint64(header.size()))
        failed_ = true;
    file_.close();
    return !failed_;
}

}  // namespace quillon
