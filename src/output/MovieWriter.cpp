#include "MovieWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QFile>
#include <cerrno>
#include <cstring>

#include "MovieFrameStep.h"
#include "pictures/FfmpegHandles.h"

namespace quillon {

namespace {

using namespace ffmpeg;

constexpr int kMaxAviSide = Picture::kMaxSide;

// The encoder and the pixel layout it is fed for each choice. Uncompressed and FFV1 take the
// frame's own BGR bytes, so nothing is lost; the others take 4:2:0 YUV (full range for JPEG).
struct CodecChoice {
    AVCodecID id;
    AVPixelFormat pixels;
};

CodecChoice ChoiceFor(MovieCodec codec) {
    switch (codec) {
        case MovieCodec::kUncompressed:
            return {AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24};
        case MovieCodec::kMotionJpeg:
            return {AV_CODEC_ID_MJPEG, AV_PIX_FMT_YUVJ420P};
        case MovieCodec::kFfv1:
            return {AV_CODEC_ID_FFV1, AV_PIX_FMT_BGR0};
        case MovieCodec::kMpeg4:
            return {AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P};
        case MovieCodec::kH264:
            return {AV_CODEC_ID_H264, AV_PIX_FMT_YUV420P};
    }
    return {AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24};
}

bool IsTarga(MovieFormat format) {
    return format == MovieFormat::kTarga16 || format == MovieFormat::kTarga24;
}

QString SizeText(int width, int height) {
    return QStringLiteral("%1 x %2").arg(width).arg(height);
}

// Whether the pixel layout keeps one colour sample for two pixels across or down, which an
// encoder may refuse for an odd width or height.
bool SubsampledColour(AVPixelFormat format) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(format);
    return d && (d->log2_chroma_w > 0 || d->log2_chroma_h > 0);
}

}  // namespace

TargaNumbering TargaNumberingFor(const QString& chosenName) {
    // Only the file's own name is cut: a folder may well have a "." in its name.
    const qsizetype slash = chosenName.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = chosenName.indexOf(QLatin1Char('.'), slash + 1);
    QString base = dot < 0 ? chosenName : chosenName.left(dot);
    qsizetype digitsStart = base.size();
    while (digitsStart > slash + 1 && base.size() - digitsStart < 6 &&
           base.at(digitsStart - 1).isDigit() && base.at(digitsStart - 1).unicode() < 128)
        --digitsStart;
    TargaNumbering numbering;
    numbering.first = 0;
    for (qsizetype i = digitsStart; i < base.size(); ++i)
        numbering.first = numbering.first * 10 + (base.at(i).unicode() - '0');
    base.truncate(digitsStart);
    numbering.baseName = base;
    return numbering;
}

QString TargaFrameName(const QString& baseName, long number) {
    return QString::asprintf("%s%04ld.tga", baseName.toUtf8().constData(), number);
}

// The output file, its one video stream and encoder, and the frame the pictures are converted
// into. Members are released from the last up: the encoder and its buffers before the file.
struct MovieWriter::Avi {
    OutputHandle output;
    CodecHandle encoder;
    FrameHandle frame;
    PacketHandle packet;
    ScalerHandle scaler;
    AVStream* stream = nullptr;
    AVStream* audio = nullptr;  // the sound stream, when the movie has one
    int64_t audioSamples = 0;   // sample frames written to it
    // The file takes packets from the caller's thread (sound, uncompressed frames) and the
    // encoding thread (compressed frames): one at a time.
    std::mutex mux;
    bool headerWritten = false;
    bool broken = false;   // a write failed; the file is finished with what it holds
    bool rawRows = false;  // uncompressed: the picture's rows go out as they are

    // 0, or FFmpeg's error code when a packet could not be made or written.
    int Drain();
    void Finish();
};

// Hands every packet the encoder has ready to the file.
int MovieWriter::Avi::Drain() {
    for (;;) {
        const int received = avcodec_receive_packet(encoder.get(), packet.get());
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return 0;
        if (received < 0) return received;
        av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        std::lock_guard lock(mux);
        const int written = av_interleaved_write_frame(output.get(), packet.get());
        av_packet_unref(packet.get());
        if (written < 0) return written;
    }
}

void MovieWriter::Avi::Finish() {
    if (!headerWritten) return;
    headerWritten = false;
    if (!broken && avcodec_send_frame(encoder.get(), nullptr) >= 0) Drain();
    // The trailer writes the index and the frame counts into the headers: without it a
    // player sees no frames.
    av_write_trailer(output.get());
}

MovieWriter::MovieWriter() = default;

MovieWriter::~MovieWriter() {
    Close();
}

bool MovieWriter::Fail(const QString& reason) {
    std::lock_guard lock(mutex_);
    error_ = reason;
    return false;
}

QString MovieWriter::errorString() const {
    std::lock_guard lock(mutex_);
    return error_;
}

bool MovieWriter::Open() {
    Close();
    framesWritten_ = 0;
    failedFrames_ = 0;
    Fail(QString());
    if (format != MovieFormat::kAvi) return true;
    return OpenAvi();
}

bool MovieWriter::OpenAvi() {
    if (width < 1 || height < 1 || width > kMaxAviSide || height > kMaxAviSide)
        return Fail(QStringLiteral("the size %1 is outside 1 to %2 pixels a side")
                        .arg(SizeText(width, height))
                        .arg(kMaxAviSide));
    const int rate = AviFrameRate(frameRate);
    if (rate < 1)
        return Fail(QStringLiteral("a frame rate of %1 is stored as %2 frames a second")
                        .arg(double(frameRate))
                        .arg(rate));
    const CodecChoice choice = ChoiceFor(codec);
    const AVCodec* encoderCodec = avcodec_find_encoder(choice.id);
    if (!encoderCodec)
        return Fail(QStringLiteral("this FFmpeg has no %1 encoder").arg(MovieCodecName(codec)));

    auto avi = std::make_unique<Avi>();
    AVFormatContext* rawOutput = nullptr;
    const int allocated = avformat_alloc_output_context2(&rawOutput, nullptr, "avi", nullptr);
    if (allocated < 0 || !rawOutput)
        return Fail(QStringLiteral("cannot make an AVI file: %1").arg(ErrorText(allocated)));
    avi->output.reset(rawOutput);
    if (!OpenEncoder(*avi, encoderCodec, choice.pixels, rate) || !PrepareFrames(*avi) ||
        !OpenAudio(*avi) || !CreateFile(*avi))
        return false;
    avi->headerWritten = true;
    avi->rawRows = codec == MovieCodec::kUncompressed;
    avi_ = std::move(avi);
    // Uncompressed rows are only copied out, so they are written at once; compressed frames
    // are encoded beside the rendering.
    if (!avi_->rawRows) StartEncoder();
    return true;
}

bool MovieWriter::OpenEncoder(Avi& avi, const AVCodec* encoderCodec, int pixelFormat, int rate) {
    const auto pixels = static_cast<AVPixelFormat>(pixelFormat);
    avi.stream = avformat_new_stream(avi.output.get(), nullptr);
    avi.encoder.reset(avcodec_alloc_context3(encoderCodec));
    if (!avi.stream || !avi.encoder) return Fail(QStringLiteral("out of memory"));
    AVCodecContext& c = *avi.encoder;
    c.width = width;
    c.height = height;
    c.pix_fmt = pixels;
    c.time_base = AVRational{1, rate};
    c.framerate = AVRational{rate, 1};
    c.sample_aspect_ratio = AVRational{1, 1};
    c.thread_count = 1;
    // Frames go out in the order they come in: no frame waits for a later one.
    c.max_b_frames = 0;
    c.gop_size = 12;
    switch (codec) {
        case MovieCodec::kMotionJpeg:
        case MovieCodec::kMpeg4:
            // A fixed, high quality instead of the encoder's low default bit rate.
            c.flags |= AV_CODEC_FLAG_QSCALE;
            c.global_quality = FF_QP2LAMBDA * 2;
            break;
        case MovieCodec::kH264:
            av_opt_set(c.priv_data, "crf", "18", 0);
            av_opt_set(c.priv_data, "preset", "fast", 0);
            break;
        default:
            break;
    }
    if (avi.output->oformat->flags & AVFMT_GLOBALHEADER) c.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const bool oddSize = SubsampledColour(pixels) && (width % 2 || height % 2);
    auto refuseOddSize = [&] {
        return Fail(QStringLiteral("the %1 codec refuses odd sizes (%2): its 4:2:0 colour "
                                   "wants an even width and height")
                        .arg(MovieCodecName(codec), SizeText(width, height)));
    };
    // x264 always refuses an odd size in 4:2:0, and loses memory when it does: it is not asked.
    if (codec == MovieCodec::kH264 && oddSize) return refuseOddSize();
    if (const int opened = avcodec_open2(avi.encoder.get(), encoderCodec, nullptr); opened < 0) {
        // An encoder that wants whole colour samples says only that it failed; the size is
        // the likely cause, and the one the user can change.
        if (oddSize) return refuseOddSize();
        return Fail(QStringLiteral("the %1 encoder refuses %2 at %3 frames a second: %4")
                        .arg(MovieCodecName(codec), SizeText(width, height))
                        .arg(rate)
                        .arg(ErrorText(opened)));
    }
    if (const int r = avcodec_parameters_from_context(avi.stream->codecpar, avi.encoder.get());
        r < 0)
        return Fail(QStringLiteral("cannot describe the video stream: %1").arg(ErrorText(r)));
    avi.stream->time_base = c.time_base;
    avi.stream->avg_frame_rate = c.framerate;
    return true;
}

bool MovieWriter::OpenAudio(Avi& avi) {
    if (audioChannels <= 0) return true;
    if (audioChannels > 8 || audioSampleRate < 1 || audioSampleRate > 384000)
        return Fail(QStringLiteral("cannot write sound of %1 channels at %2 samples a second")
                        .arg(audioChannels)
                        .arg(audioSampleRate));
    avi.audio = avformat_new_stream(avi.output.get(), nullptr);
    if (!avi.audio) return Fail(QStringLiteral("out of memory"));
    AVCodecParameters& p = *avi.audio->codecpar;
    p.codec_type = AVMEDIA_TYPE_AUDIO;
    p.codec_id = AV_CODEC_ID_PCM_S16LE;
    p.sample_rate = audioSampleRate;
    av_channel_layout_default(&p.ch_layout, audioChannels);
    p.bits_per_coded_sample = 16;
    p.block_align = 2 * audioChannels;
    p.bit_rate = int64_t(audioSampleRate) * audioChannels * 16;
    avi.audio->time_base = AVRational{1, audioSampleRate};
    avi.audioSamples = 0;
    return true;
}

bool MovieWriter::WriteAudio(const int16_t* samples, int64_t sampleFrames) {
    if (!avi_ || !avi_->audio || sampleFrames < 0) return false;
    if (sampleFrames == 0) return true;
    Avi& a = *avi_;
    if (a.broken) return false;
    const int64_t bytes = sampleFrames * 2 * audioChannels;
    if (bytes > INT32_MAX / 2) return Fail(QStringLiteral("too much sound for one frame"));
    PacketHandle packet(av_packet_alloc());
    if (!packet || av_new_packet(packet.get(), int(bytes)) < 0)
        return Fail(QStringLiteral("out of memory"));
    // 16-bit samples go out little-endian, as they are held on this machine.
    std::memcpy(packet->data, samples, size_t(bytes));
    packet->pts = packet->dts = a.audioSamples;
    packet->duration = sampleFrames;
    packet->flags |= AV_PKT_FLAG_KEY;
    packet->stream_index = a.audio->index;
    // The muxer's time base may differ from the one asked for.
    av_packet_rescale_ts(packet.get(), AVRational{1, audioSampleRate}, a.audio->time_base);
    std::lock_guard lock(a.mux);
    if (const int written = av_interleaved_write_frame(a.output.get(), packet.get()); written < 0) {
        a.broken = true;
        return Fail(
            QStringLiteral("cannot write sound to %1: %2").arg(fileName, ErrorText(written)));
    }
    a.audioSamples += sampleFrames;
    return true;
}

bool MovieWriter::PrepareFrames(Avi& avi) {
    avi.frame.reset(av_frame_alloc());
    avi.packet.reset(av_packet_alloc());
    if (!avi.frame || !avi.packet) return Fail(QStringLiteral("out of memory"));
    const AVPixelFormat pixels = avi.encoder->pix_fmt;
    avi.frame->format = pixels;
    avi.frame->width = width;
    avi.frame->height = height;
    if (const int r = av_frame_get_buffer(avi.frame.get(), 0); r < 0)
        return Fail(QStringLiteral("no room for a frame: %1").arg(ErrorText(r)));
    avi.scaler.reset(sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, pixels,
                                    SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!avi.scaler) return Fail(QStringLiteral("cannot convert frames for the encoder"));
    return true;
}

bool MovieWriter::CreateFile(Avi& avi) {
    // Only the local file protocol: the name is a path, whatever characters it holds.
    const QByteArray url = "file:" + QFile::encodeName(fileName);
    if (const int r = avio_open(&avi.output->pb, url.constData(), AVIO_FLAG_WRITE); r < 0)
        return Fail(QStringLiteral("cannot create the file %1: %2").arg(fileName, ErrorText(r)));
    // Uncompressed frames are stored as a Windows bitmap keeps them: bottom row first, under
    // a positive height, each row whole 4-byte words.
    AVDictionary* options = nullptr;
    if (codec == MovieCodec::kUncompressed) av_dict_set(&options, "flipped_raw_rgb", "1", 0);
    const int headerWritten = avformat_write_header(avi.output.get(), &options);
    // The muxer hands back what it did not take.
    const ffmpeg::DictionaryHandle leftOver(options);
    if (headerWritten < 0)
        return Fail(QStringLiteral("cannot write the movie's header to %1: %2")
                        .arg(fileName, ErrorText(headerWritten)));
    return true;
}

bool MovieWriter::WriteFrame(const Picture& picture) {
    if (picture.BitCount() != 24 || picture.Width() != width || picture.Height() != height)
        return Fail(QStringLiteral("the frame is %1 at %2 bits; the movie takes %3 at 24")
                        .arg(SizeText(picture.Width(), picture.Height()))
                        .arg(picture.BitCount())
                        .arg(SizeText(width, height)));
    if (IsTarga(format)) {
        if (!scratch_.Create(width, height, 24)) return Fail(QStringLiteral("out of memory"));
        for (int row = 0; row < height; ++row)
            std::memcpy(scratch_.Bits(row), picture.Bits(row), size_t(picture.RowBytes()));
        // Save says only "Error opening graphics file" (the first time, then the run goes on
        // quietly); what the system said is in errno.
        errno = 0;
        if (scratch_.Save(fileName, PictureWriteMode::kTarga, failedFrames_ ? nullptr : host))
            return true;
        const int why = errno;
        ++failedFrames_;
        Fail(QStringLiteral("cannot save the Targa frame %1%2")
                 .arg(fileName,
                      why ? ": " + QString::fromLocal8Bit(std::strerror(why)) : QString()));
        return true;
    }
    if (!avi_) return Fail(QStringLiteral("no movie is open"));
    Avi& a = *avi_;
    if (a.broken) return false;  // the reason of the write that broke it stands
    if (a.rawRows) {
        // The picture's rows as they are, with the bytes after each row's last pixel cleared.
        const size_t used = size_t(width) * 3, rowBytes = size_t(picture.RowBytes());
        if (const int r = av_new_packet(a.packet.get(), int(rowBytes * size_t(height))); r < 0)
            return Fail(QStringLiteral("no room for a frame: %1").arg(ErrorText(r)));
        for (int row = 0; row < height; ++row) {
            uint8_t* out = a.packet->data + rowBytes * size_t(row);
            std::memcpy(out, picture.Bits(row), used);
            std::memset(out + used, 0, rowBytes - used);
        }
        a.packet->pts = a.packet->dts = framesWritten_;
        a.packet->duration = 1;
        a.packet->flags |= AV_PKT_FLAG_KEY;
        a.packet->stream_index = a.stream->index;
        av_packet_rescale_ts(a.packet.get(), a.encoder->time_base, a.stream->time_base);
        std::unique_lock muxLock(a.mux);
        const int written = av_interleaved_write_frame(a.output.get(), a.packet.get());
        muxLock.unlock();
        av_packet_unref(a.packet.get());
        if (written < 0) {
            a.broken = true;
            return Fail(QStringLiteral("cannot write frame %1 to %2: %3")
                            .arg(framesWritten_.load())
                            .arg(fileName, ErrorText(written)));
        }
        ++framesWritten_;
        return true;
    }
    if (failed_) return false;  // the encoding thread has given the reason
    // The picture is copied into a free buffer for the encoding thread.
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || failed_; });
    if (failed_) return false;
    Picture* buffer = free_.back();
    free_.pop_back();
    lock.unlock();
    if (!buffer->Create(width, height, 24)) {
        {
            std::lock_guard relock(mutex_);
            free_.push_back(buffer);
        }
        return Fail(QStringLiteral("out of memory"));
    }
    for (int row = 0; row < height; ++row)
        std::memcpy(buffer->Bits(row), picture.Bits(row), size_t(picture.RowBytes()));
    lock.lock();
    queue_.push_back(buffer);
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool MovieWriter::Encode(const Picture& picture) {
    Avi& a = *avi_;
    const int64_t number = framesWritten_;
    if (const int r = av_frame_make_writable(a.frame.get()); r < 0)
        return Fail(QStringLiteral("no room for frame %1: %2").arg(number).arg(ErrorText(r)));
    // The picture is bottom-up; the encoder wants the top row first, so the scaler reads from
    // the last row backwards.
    const uint8_t* source[4] = {picture.Bits(height - 1), nullptr, nullptr, nullptr};
    const int strides[4] = {-picture.RowBytes(), 0, 0, 0};
    if (sws_scale(a.scaler.get(), source, strides, 0, height, a.frame->data, a.frame->linesize) !=
        height)
        return Fail(QStringLiteral("cannot convert frame %1 for the encoder").arg(number));
    a.frame->pts = number;
    int result = avcodec_send_frame(a.encoder.get(), a.frame.get());
    if (result >= 0) result = a.Drain();
    if (result < 0) {
        a.broken = true;
        return Fail(QStringLiteral("cannot encode or write frame %1 to %2: %3")
                        .arg(number)
                        .arg(fileName, ErrorText(result)));
    }
    ++framesWritten_;
    return true;
}

void MovieWriter::StartEncoder() {
    buffers_.clear();
    free_.clear();
    queue_.clear();
    for (int i = 0; i < kBuffers; ++i) {
        buffers_.push_back(std::make_unique<Picture>());
        free_.push_back(buffers_.back().get());
    }
    stopping_ = false;
    busy_ = false;
    failed_ = false;
    encoder_ = std::thread([this] { EncoderLoop(); });
}

void MovieWriter::EncoderLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;  // stopping, and every frame is written
        Picture* picture = queue_.front();
        queue_.pop_front();
        busy_ = true;
        lock.unlock();
        // After a failure the rest are dropped unwritten: the file ends with what it holds.
        const bool ok = !failed_ && Encode(*picture);
        lock.lock();
        if (!ok) failed_ = true;
        busy_ = false;
        free_.push_back(picture);
        changed_.notify_all();
    }
}

void MovieWriter::StopEncoder() {
    if (!encoder_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    encoder_.join();
}

void MovieWriter::WaitIdle() const {
    if (!encoder_.joinable()) return;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return queue_.empty() && !busy_; });
}

int64_t MovieWriter::framesWritten() const {
    WaitIdle();
    return framesWritten_;
}

void MovieWriter::Close() {
    StopEncoder();
    if (!avi_) return;
    avi_->Finish();
    avi_.reset();
}

}  // namespace quillon
