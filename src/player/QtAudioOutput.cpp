#include "QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>

namespace quillon {

namespace {

// How often the sink is looked at for room: a tenth of its buffer or less.
constexpr int kFeedMilliseconds = 5;

}  // namespace

QtAudioOutput::QtAudioOutput(QObject* parent) : QObject(parent) {
    timer_.setInterval(kFeedMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &QtAudioOutput::Feed);
}

QtAudioOutput::~QtAudioOutput() {
    Close();
}

int QtAudioOutput::Open(const WaveFormat& wave, Client* client) {
    Close();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull()) return kAudioNoDevice;
    QAudioFormat format;
    format.setSampleRate(int(std::min<uint32_t>(wave.samplesPerSecond, INT32_MAX)));
    format.setChannelCount(wave.channels);
    switch (wave.bitsPerSample) {
        case 8:
            format.setSampleFormat(QAudioFormat::UInt8);
            break;
        case 16:
            format.setSampleFormat(QAudioFormat::Int16);
            break;
        case 32:
            format.setSampleFormat(QAudioFormat::Int32);
            break;
        default:
            return kAudioBadFormat;
    }
    if (!wave.IsPcm() || wave.channels == 0 || wave.samplesPerSecond == 0 ||
        !device.isFormatSupported(format))
        return kAudioBadFormat;
    sink_ = std::make_unique<QAudioSink>(device, format);
    // About a tenth of a second in the device: the picture and the sound stay close, and a stop
    // is heard at once.
    sink_->setBufferSize(format.bytesForDuration(100000));
    device_ = sink_->start();
    if (!device_ || sink_->error() != QAudio::NoError) {
        const bool busy = sink_->error() == QAudio::OpenError;
        Close();
        return busy ? kAudioAllocated : kAudioError;
    }
    client_ = client;
    bytesPerSecond_ = format.bytesForDuration(1000000);
    silence_ = wave.bitsPerSample == 8 ? 0x80 : 0;
    soundBytes_ = 0;
    padded_ = false;
    timer_.start();
    return kAudioOpened;
}

void QtAudioOutput::Write(const uint8_t* data, size_t size) {
    if (!sink_ || size == 0) return;
    queue_.push_back(Buffer{std::vector<uint8_t>(data, data + size)});
    Feed();
}

void QtAudioOutput::Feed() {
    if (!sink_ || !device_ || feeding_) return;
    feeding_ = true;
    while (!queue_.empty()) {
        Buffer& front = queue_.front();
        const qint64 room = sink_->bytesFree();
        if (room <= 0) break;
        const qint64 n = std::min<qint64>(room, qint64(front.bytes.size() - front.written));
        const qint64 written =
            device_->write(reinterpret_cast<const char*>(front.bytes.data() + front.written), n);
        if (written <= 0) break;
        front.written += size_t(written);
        if (!front.padding) soundBytes_ += written;
        if (front.written < front.bytes.size()) continue;
        const bool padding = front.padding;
        queue_.pop_front();
        // The refill is queued as soon as the device has taken a buffer.
        if (!padding && client_) client_->BufferDone();
    }
    feeding_ = false;
}

bool QtAudioOutput::Idle() const {
    if (!sink_) return true;
    if (!queue_.empty()) {
        for (const Buffer& b : queue_)
            if (!b.padding) return false;
    }
    // Everything of the clip is in the device. A device starts playing when its buffer has
    // filled once; a clip's tail shorter than that is followed by silence so that it plays.
    if (!padded_) {
        auto* self = const_cast<QtAudioOutput*>(this);
        self->padded_ = true;
        self->queue_.push_back(Buffer{
            std::vector<uint8_t>(size_t(std::max<qsizetype>(sink_->bufferSize(), 0)), silence_), 0,
            true});
        self->Feed();
    }
    const int64_t soundMicroseconds =
        bytesPerSecond_ > 0 ? soundBytes_ * 1000000 / bytesPerSecond_ : 0;
    return sink_->processedUSecs() >= soundMicroseconds;
}

void QtAudioOutput::Reset() {
    queue_.clear();
    if (sink_) sink_->reset();
    device_ = nullptr;
}

void QtAudioOutput::Close() {
    timer_.stop();
    client_ = nullptr;
    queue_.clear();
    device_ = nullptr;
    if (sink_) {
        sink_->reset();
        sink_.reset();
    }
}

int64_t QtAudioOutput::playedMicroseconds() const {
    return sink_ ? sink_->processedUSecs() : 0;
}

}  // namespace quillon
