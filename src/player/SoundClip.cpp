#include "SoundClip.h"

#include <algorithm>

#include "model/Document.h"

namespace quillon {

SoundClip::SoundClip(Document& doc, AudioOutput& output) : doc_(doc), output_(output) {}

SoundClip::~SoundClip() {
    Stop();
}

bool SoundClip::OpenAndScan(int64_t startFrame, ScanMode mode) {
    if (playing_) Stop();
    file_.close();
    file_.setFileName(fileName_);
    if (fileName_.isEmpty() || !file_.open(QIODevice::ReadOnly)) return false;
    const WaveScan scan = ScanWave(file_);
    if (!scan.ok()) {
        file_.close();
        if (scan.status == WaveStatus::kNotRiff)
            doc_.host().Error(QString::fromLatin1(kMessageNotRiff), QString());
        else if (scan.status == WaveStatus::kNotWave)
            doc_.host().Error(QString::fromLatin1(kMessageNotWave), QString());
        return false;
    }
    format_ = scan.format;
    dataSize_ = scan.dataSize;
    const int64_t offset = StartOffset(startFrame, format_, doc_.frameRate());
    if (startFrame != 0 && offset >= int64_t(dataSize_)) {
        // Nothing left to play from there.
        file_.close();
        return false;
    }
    if (!file_.seek(scan.dataStart + offset)) {
        file_.close();
        return false;
    }
    position_ = offset;
    if (mode == ScanMode::kScanOnly) {
        file_.close();
        return true;
    }
    exhausted_ = false;
    for (int i = 0; i < 2 && !exhausted_; ++i)
        exhausted_ = !QueueBuffer();
    return true;
}

bool SoundClip::QueueBuffer() {
    const int64_t n = std::min<int64_t>(kBufferSize, int64_t(dataSize_) - position_);
    if (n <= 0) return false;
    auto& buffer = buffers_[nextBuffer_];
    if (file_.read(reinterpret_cast<char*>(buffer.data()), n) != n) return false;
    position_ += n;
    ++inFlight_;
    nextBuffer_ ^= 1;
    output_.Write(buffer.data(), size_t(n));
    return true;
}

void SoundClip::BufferDone() {
    if (inFlight_ > 0) --inFlight_;
    if (playing_ && !exhausted_) exhausted_ = !QueueBuffer();
}

bool SoundClip::Play(int64_t startFrame) {
    Stop();
    if (fileName_.isEmpty()) {
        doc_.host().Error(QString::fromLatin1(kMessageNoClip), QString());
        return false;
    }
    // Only PCM is played; other formats are known by their header and stay silent.
    if (!format_.IsPcm()) return false;
    const int opened = output_.Open(format_, this);
    if (opened != kAudioOpened) {
        output_.Close();
        Stop();
        if (opened == kAudioAllocated)
            doc_.host().Error(QString::fromLatin1(kMessageDeviceInUse), QString());
        else if (opened != kAudioNoDevice)
            doc_.host().Error(QString::asprintf("Error opening wave output device %d\n", opened),
                              QString());
        return false;
    }
    deviceOpen_ = true;
    if (!OpenAndScan(startFrame, ScanMode::kQueue)) {
        Stop();
        return false;
    }
    playing_ = true;
    return true;
}

void SoundClip::Stop() {
    file_.close();
    playing_ = false;
    exhausted_ = false;
    nextBuffer_ = 0;
    inFlight_ = 0;
    position_ = 0;
    if (deviceOpen_) {
        output_.Reset();
        output_.Close();
        deviceOpen_ = false;
    }
}

bool SoundClip::Playing() {
    if (!playing_) return false;
    // The device has played the last buffer: the clip has ended.
    if (exhausted_ && output_.Idle()) {
        Stop();
        return false;
    }
    return true;
}

int64_t SoundClip::LengthInFrames() const {
    return quillon::LengthInFrames(doc_.frameRate(), dataSize_, format_);
}

}  // namespace quillon
