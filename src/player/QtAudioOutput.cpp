#include "QtAudioOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <algorithm>
#include <cstring>

namespace quillon {

// The bytes handed over and not yet taken by the sink, buffer by buffer. The sink reads from
// it on this thread (its own timer), so no lock is needed.
class QtAudioOutput::Feed final : public QIODevice {
  public:
    explicit Feed(QtAudioOutput& owner) : owner_(owner) {}

    void Append(const uint8_t* data, size_t size) {
        queue_.emplace_back(data, data + size);
        pending_ += qint64(size);
        emit readyRead();
    }
    void Clear() {
        queue_.clear();
        taken_ = 0;
        pending_ = 0;
    }
    bool Empty() const { return queue_.empty(); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return pending_ + QIODevice::bytesAvailable(); }

  protected:
    qint64 readData(char* data, qint64 maxSize) override {
        qint64 copied = 0;
        int done = 0;
        while (copied < maxSize && !queue_.empty()) {
            const std::vector<uint8_t>& front = queue_.front();
            const qint64 n = std::min<qint64>(maxSize - copied, qint64(front.size()) - taken_);
            std::memcpy(data + copied, front.data() + taken_, size_t(n));
            copied += n;
            taken_ += n;
            if (taken_ == qint64(front.size())) {
                queue_.pop_front();
                taken_ = 0;
                ++done;
            }
        }
        pending_ -= copied;
        // The clip player refills from the event loop, not from inside the sink's read.
        if (done > 0) {
            const int generation = owner_.generation_;
            QMetaObject::invokeMethod(
                &owner_, [this, done, generation] { owner_.TakeDone(done, generation); },
                Qt::QueuedConnection);
        }
        return copied;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    QtAudioOutput& owner_;
    std::deque<std::vector<uint8_t>> queue_;
    qint64 taken_ = 0;
    qint64 pending_ = 0;
};

QtAudioOutput::QtAudioOutput(QObject* parent)
    : QObject(parent), feed_(std::make_unique<Feed>(*this)) {}

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
    sink_->setBufferSize(std::max(4096, format.bytesForDuration(100000)));
    client_ = client;
    ++generation_;
    feed_->Clear();
    feed_->open(QIODevice::ReadOnly);
    sink_->start(feed_.get());
    switch (sink_->error()) {
        case QAudio::NoError:
            return kAudioOpened;
        case QAudio::OpenError:
            Close();
            return kAudioAllocated;
        default:
            Close();
            return kAudioError;
    }
}

void QtAudioOutput::Write(const uint8_t* data, size_t size) {
    if (!sink_ || size == 0) return;
    feed_->Append(data, size);
}

bool QtAudioOutput::Idle() const {
    if (!sink_) return true;
    return feed_->Empty() && sink_->state() != QAudio::ActiveState;
}

void QtAudioOutput::Reset() {
    ++generation_;
    feed_->Clear();
    if (sink_) sink_->reset();
}

void QtAudioOutput::Close() {
    ++generation_;
    client_ = nullptr;
    if (sink_) {
        sink_->reset();
        sink_.reset();
    }
    feed_->Clear();
    feed_->close();
}

int64_t QtAudioOutput::playedMicroseconds() const {
    return sink_ ? sink_->processedUSecs() : 0;
}

void QtAudioOutput::TakeDone(int count, int generation) {
    // Buffers of a clip that has since been stopped are not reported.
    for (int i = 0; i < count && generation == generation_ && client_; ++i)
        client_->BufferDone();
}

}  // namespace quillon
