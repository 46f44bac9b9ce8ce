#include "MovieSource.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <QFile>
#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "FfmpegHandles.h"
#include "Picture.h"

namespace quillon {

namespace {

using namespace ffmpeg;

constexpr char kAlphaInterleave[] = "AlphaInterleave";
// Room after the scaler's last row for the bytes it may store past it.
constexpr size_t kScratchSlack = 256;

// The AVI reader gives a stream's name (its strn chunk) as the stream's title.
bool NameMarksAlphaInterleave(const AVDictionary* metadata) {
    const AVDictionaryEntry* e = av_dict_get(metadata, "title", nullptr, 0);
    return e && e->value && std::strstr(e->value, kAlphaInterleave);
}

// The full-range formats FFmpeg still hands out for JPEG-based codecs, as their plain
// counterparts; the range is then given to the scaler explicitly.
AVPixelFormat PlainFormat(AVPixelFormat f, bool& fullRange) {
    switch (f) {
        case AV_PIX_FMT_YUVJ420P:
            fullRange = true;
            return AV_PIX_FMT_YUV420P;
        case AV_PIX_FMT_YUVJ422P:
            fullRange = true;
            return AV_PIX_FMT_YUV422P;
        case AV_PIX_FMT_YUVJ444P:
            fullRange = true;
            return AV_PIX_FMT_YUV444P;
        case AV_PIX_FMT_YUVJ440P:
            fullRange = true;
            return AV_PIX_FMT_YUV440P;
        case AV_PIX_FMT_YUVJ411P:
            fullRange = true;
            return AV_PIX_FMT_YUV411P;
        default:
            return f;
    }
}

bool IsKeyFrame(const AVFrame& frame) {
#ifdef AV_FRAME_FLAG_KEY
    return frame.flags & AV_FRAME_FLAG_KEY;
#else
    return frame.key_frame;
#endif
}

bool SideFits(int side) {
    return side >= 1 && side <= MovieSource::kMaxSide;
}

}  // namespace

// The open file, its video stream's decoder and where decoding stands. Stream positions are
// frame numbers: an AVI video stream advances its time base by one tick per chunk, and its
// index gives each keyframe's position. AVI keeps no presentation times, so a frame comes out
// of the decoder stamped with the position of the chunk that released it; a decoder that
// reorders frames (B-frames) holds back as many chunks as its reorder delay, and the frame's
// own position is its stamp less that delay. A frame without a stamp follows the one before.
struct MovieSource::Streams {
    // Members go in reverse order: what was made from the file before the file itself.
    InputHandle format;
    CodecHandle codec;
    PacketHandle packet;
    FrameHandle current;   // the last frame the decoder gave, at currentIndex
    FrameHandle previous;  // the one decoded just before it, at previousIndex
    FrameHandle spare;     // where the next frame is received
    ScalerHandle scaler;
    AvMemoryHandle scratch;  // the scaler's output, scratchBytes long
    size_t scratchBytes = 0;
    Picture matte;  // kept between reads so its buffer is reused
    AVStream* stream = nullptr;
    int64_t currentIndex = -1;
    int64_t previousIndex = -1;
    int64_t expectedIndex = 0;  // where the last jump or the opening left the reader, or -1
    bool mayReorder = false;    // the codec can send frames out of order
    bool delayKnown = false;    // a frame has come out, so the decoder knows its reorder delay
    bool inputEnded = false;    // the decoder has been told that no more packets come
    int lastError = 0;          // FFmpeg's last complaint while reading or decoding
    QString error;              // why Start failed

    bool Start(const QString& fileName);
    int64_t CountFrames();
    const AVFrame* Decode(int64_t wanted);
    bool Convert(const AVFrame& frame, Picture& picture);

  private:
    bool SeekTo(int64_t position);
    const AVFrame* DecodeOn(int64_t wanted, int64_t from, bool checkLanding,
                            bool* badLanding = nullptr);
};

bool MovieSource::Streams::Start(const QString& fileName) {
    auto fail = [this](const QString& reason) {
        error = reason;
        return false;
    };
    // Only the AVI reader, and only local files: a name from a show file must not make FFmpeg
    // reach for a network protocol or guess at some other container.
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi) return fail(QStringLiteral("this FFmpeg has no AVI reader"));
    AVDictionary* rawOptions = nullptr;
    av_dict_set(&rawOptions, "protocol_whitelist", "file", 0);
    const QByteArray url = "file:" + QFile::encodeName(fileName);
    AVFormatContext* rawFormat = nullptr;
    const int opened = avformat_open_input(&rawFormat, url.constData(), avi, &rawOptions);
    DictionaryHandle options(rawOptions);
    if (opened == AVERROR_INVALIDDATA || opened == AVERROR_EOF)
        return fail(QStringLiteral("not an AVI movie: %1").arg(ErrorText(opened)));
    if (opened < 0) return fail(QStringLiteral("cannot open the movie: %1").arg(ErrorText(opened)));
    format.reset(rawFormat);

    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream* s = format->streams[i];
        if (!stream && s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
            !(s->disposition & AV_DISPOSITION_ATTACHED_PIC))
            stream = s;
        else
            s->discard = AVDISCARD_ALL;  // the demuxer skips what we never decode
    }
    if (!stream) return fail(QStringLiteral("the file has no video stream"));
    // The stream header normally gives the size; only a file without it is probed further.
    if (stream->codecpar->width <= 0 || stream->codecpar->height <= 0) {
        if (const int r = avformat_find_stream_info(format.get(), nullptr); r < 0)
            return fail(QStringLiteral("the video stream has no size: %1").arg(ErrorText(r)));
    }
    if (!SideFits(stream->codecpar->width) || !SideFits(stream->codecpar->height))
        return fail(QStringLiteral("the frames are %1 x %2; a picture holds 1 to %3 pixels a side")
                        .arg(stream->codecpar->width)
                        .arg(stream->codecpar->height)
                        .arg(kMaxSide));

    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return fail(QStringLiteral("this FFmpeg has no decoder for the %1 video codec")
                        .arg(QString::fromUtf8(avcodec_get_name(stream->codecpar->codec_id))));
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec) return fail(QStringLiteral("out of memory"));
    if (const int r = avcodec_parameters_to_context(codec.get(), stream->codecpar); r < 0)
        return fail(QStringLiteral("cannot set up the decoder: %1").arg(ErrorText(r)));
    codec->pkt_timebase = stream->time_base;
    // One thread, so frames come out in step with the packets that make them. A frame whose
    // own header claims more pixels than a picture can hold is refused before it is allocated.
    codec->thread_count = 1;
    codec->max_pixels = int64_t(kMaxSide) * kMaxSide;
    if (const int r = avcodec_open2(codec.get(), decoder, nullptr); r < 0)
        return fail(QStringLiteral("cannot open the %1 decoder: %2")
                        .arg(QString::fromUtf8(decoder->name), ErrorText(r)));
    const AVCodecDescriptor* description = avcodec_descriptor_get(decoder->id);
    mayReorder = description && (description->props & AV_CODEC_PROP_REORDER);

    packet.reset(av_packet_alloc());
    current.reset(av_frame_alloc());
    previous.reset(av_frame_alloc());
    spare.reset(av_frame_alloc());
    return packet && current && previous && spare ? true : fail(QStringLiteral("out of memory"));
}

// How many frames the stream holds. The index, when the file has one, tells what was really
// written: its last entry's position plus one, which also counts dropped frames (positions
// without a chunk of their own). Without an index the header's frame count is taken when the
// file could hold that many chunks (8 bytes each at the least); a writer that could not seek
// back to its header (one writing to a pipe) leaves no index and a placeholder there, and such
// a file has its packets counted once, through to its end.
int64_t MovieSource::Streams::CountFrames() {
    const int entries = avformat_index_get_entries_count(stream);
    if (entries > 0) {
        const AVIndexEntry* last = avformat_index_get_entry(stream, entries - 1);
        if (last && last->timestamp >= 0) return last->timestamp + 1;
    }
    const int64_t fileBytes = format->pb ? avio_size(format->pb) : -1;
    if (stream->nb_frames > 0 && fileBytes > 0 && stream->nb_frames <= fileBytes / 8)
        return stream->nb_frames;
    int64_t count = 0;
    while (av_read_frame(format.get(), packet.get()) >= 0) {
        if (packet->stream_index == stream->index) ++count;
        av_packet_unref(packet.get());
    }
    // Reading ran to the end; the first frame wanted sends the reader back.
    expectedIndex = -1;
    return count;
}

bool MovieSource::Streams::SeekTo(int64_t position) {
    if (av_seek_frame(format.get(), stream->index, position, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(codec.get());
    av_frame_unref(current.get());
    av_frame_unref(previous.get());
    currentIndex = previousIndex = -1;
    expectedIndex = position;
    inputEnded = false;
    return true;
}

// The frame shown at stream position `wanted`: the last one decoded at or before it. Decoding
// goes on from where it stands when that is no further from the wanted frame than the keyframe
// before it; otherwise the reader jumps to that keyframe. Null when the stream ends or breaks
// first.
const AVFrame* MovieSource::Streams::Decode(int64_t wanted) {
    if (currentIndex == wanted) return current.get();
    if (previousIndex >= 0 && previousIndex <= wanted && wanted < currentIndex)
        return previous.get();

    const AVIndexEntry* key =
        avformat_index_get_entry_from_timestamp(stream, wanted, AVSEEK_FLAG_BACKWARD);
    // A keyframe of a reordering stream may be followed by frames shown before it that refer
    // back into the previous group (an open group of pictures); decoding from the keyframe
    // before gives those their references. Until a frame has come out the delay is unknown, so
    // any codec that can reorder is treated so.
    if (key && key->timestamp > 0 && mayReorder && (codec->has_b_frames > 0 || !delayKnown))
        key = avformat_index_get_entry_from_timestamp(stream, key->timestamp - 1,
                                                      AVSEEK_FLAG_BACKWARD);
    const int64_t keyIndex = key ? key->timestamp : -1;
    const AVFrame* frame = nullptr;
    if (currentIndex >= 0 && currentIndex < wanted && keyIndex <= currentIndex + 1) {
        frame = DecodeOn(wanted, currentIndex + 1, false);
    } else if (currentIndex < 0 && expectedIndex >= 0 && expectedIndex <= wanted &&
               keyIndex <= expectedIndex) {
        frame = DecodeOn(wanted, expectedIndex, false);  // nothing decoded since the last jump
    } else {
        bool badLanding = true;
        if (keyIndex > 0 && SeekTo(keyIndex)) {
            badLanding = false;
            frame = DecodeOn(wanted, keyIndex, true, &badLanding);
        }
        // No index, or one that calls frames keyframes that are not (a file without an index
        // gets one made up as it is read, every entry a keyframe): decode from the start.
        if (badLanding && SeekTo(0)) frame = DecodeOn(wanted, 0, false);
    }
    // After a failure the reader stands nowhere in particular; the next frame wanted jumps.
    if (!frame) expectedIndex = -1;
    return frame;
}

// Receives frames from stream position `from` on until the wanted one. With checkLanding, the
// reader has just jumped to a keyframe: when the first frame turns out not to be one, or the
// decoder cannot make anything of the data there, *badLanding is set and null returned.
const AVFrame* MovieSource::Streams::DecodeOn(int64_t wanted, int64_t from, bool checkLanding,
                                              bool* badLanding) {
    auto landedBadly = [&] {
        if (!checkLanding) return false;
        *badLanding = true;
        return true;
    };
    // Every step receives a frame, reads a packet or passes over a damaged one; a stream that
    // keeps failing ends the search instead of running on.
    const int64_t distance = wanted > from ? wanted - from : 0;
    const int64_t steps = 8 * (distance + 1) + 1024;
    for (int64_t step = 0; step < steps; ++step) {
        const int received = avcodec_receive_frame(codec.get(), spare.get());
        if (received == 0) {
            if (checkLanding && !IsKeyFrame(*spare)) {
                av_frame_unref(spare.get());
                landedBadly();
                return nullptr;
            }
            checkLanding = false;
            const int64_t stamp = spare->best_effort_timestamp;
            const int64_t index = stamp != AV_NOPTS_VALUE ? stamp - codec->has_b_frames
                                  : currentIndex >= 0     ? currentIndex + 1
                                                          : std::max<int64_t>(from, 0);
            delayKnown = true;
            std::swap(previous, current);
            std::swap(current, spare);
            av_frame_unref(spare.get());
            previousIndex = currentIndex;
            currentIndex = index;
            if (currentIndex == wanted) return current.get();
            if (currentIndex > wanted) {
                // The wanted position holds no frame of its own (a dropped frame): the one
                // before it stays on screen. A jump that landed late gives what it found.
                return previousIndex >= 0 && previousIndex < wanted ? previous.get()
                                                                    : current.get();
            }
            continue;
        }
        if (received == AVERROR_EOF) return landedBadly(), nullptr;
        if (received != AVERROR(EAGAIN)) {
            lastError = received;
            if (landedBadly()) return nullptr;
            continue;  // a damaged frame; go on with the next
        }
        if (inputEnded) return landedBadly(), nullptr;
        if (const int r = av_read_frame(format.get(), packet.get()); r < 0) {
            if (r != AVERROR_EOF) lastError = r;
            avcodec_send_packet(codec.get(), nullptr);  // let the decoder give what it holds
            inputEnded = true;
            continue;
        }
        // A chunk the file was cut off in the middle of is not decoded: half a frame would come
        // out with whatever the decoder makes of the missing rest.
        int sent = 0;
        if (packet->flags & AV_PKT_FLAG_CORRUPT)
            sent = AVERROR_INVALIDDATA;
        else if (packet->stream_index == stream->index)
            sent = avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
        // A packet the decoder refuses is passed over, as a player would, unless it is the
        // one the reader jumped to.
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            lastError = sent;
            if (landedBadly()) return nullptr;
        }
    }
    return nullptr;
}

// Makes picture the frame's size at 24 bits, bottom row first.
bool MovieSource::Streams::Convert(const AVFrame& frame, Picture& picture) {
    const int w = frame.width, h = frame.height;
    if (!SideFits(w) || !SideFits(h)) return false;
    bool fullRange = frame.color_range == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = PlainFormat(AVPixelFormat(frame.format), fullRange);
    const AVPixFmtDescriptor* description = av_pix_fmt_desc_get(source);
    if (!description || (description->flags & AV_PIX_FMT_FLAG_HWACCEL)) return false;
    scaler.reset(sws_getCachedContext(scaler.release(), w, h, source, w, h, AV_PIX_FMT_BGR24,
                                      SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler) return false;
    if (!(description->flags & AV_PIX_FMT_FLAG_RGB)) {
        // The frame's own matrix and range, to full-range RGB.
        const int* matrix = sws_getCoefficients(frame.colorspace);
        sws_setColorspaceDetails(scaler.get(), matrix, fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    // The scaler stores whole blocks of pixels and may write a little past a row's last pixel,
    // so it fills a padded scratch image, whose rows are then copied into the picture.
    const int stride = (3 * w + 63) & ~63;
    const size_t bytes = size_t(stride) * size_t(h) + kScratchSlack;
    if (bytes > scratchBytes) {
        scratch.reset(static_cast<uint8_t*>(av_malloc(bytes)));
        scratchBytes = scratch ? bytes : 0;
        if (!scratch) return false;
    }
    uint8_t* destination[4] = {scratch.get(), nullptr, nullptr, nullptr};
    const int strides[4] = {stride, 0, 0, 0};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, h, destination, strides) != h)
        return false;
    if (!picture.Create(w, h, 24)) return false;
    // Top image row last: the picture is bottom-up. Rows are whole 4-byte words; the bytes past
    // the last pixel are cleared so that a saved picture does not carry what the buffer held.
    const size_t used = size_t(3 * w), rowBytes = size_t(picture.RowBytes());
    for (int y = 0; y < h; ++y) {
        uint8_t* row = picture.Bits(h - 1 - y);
        std::memcpy(row, scratch.get() + size_t(y) * size_t(stride), used);
        std::memset(row + used, 0, rowBytes - used);
    }
    return true;
}

MovieSource::MovieSource() = default;

MovieSource::~MovieSource() {
    Close();
}

bool MovieSource::Fail(const QString& reason) {
    error_ = reason;
    return false;
}

int MovieSource::Open(const QString& fileName, Picture* target) {
    Close();
    alphaInterleave_ = false;
    width_ = height_ = frames_ = 0;
    error_.clear();

    auto streams = std::make_unique<Streams>();
    if (!streams->Start(fileName)) return Fail(streams->error), 0;
    const bool alpha = NameMarksAlphaInterleave(streams->stream->metadata);
    const int64_t streamFrames = streams->CountFrames();
    const int64_t count = alpha ? streamFrames / 2 : streamFrames;
    if (count < 1) {
        // Also what a movie of no whole frame has to offer.
        Fail(alpha ? QStringLiteral("the AlphaInterleave movie has %1 stream frames; each movie "
                                    "frame takes two")
                         .arg(streamFrames)
                   : QStringLiteral("the movie has no frames"));
        return 0;
    }

    streams_ = std::move(streams);
    target_ = target;
    alphaInterleave_ = alpha;
    width_ = streams_->stream->codecpar->width;
    height_ = streams_->stream->codecpar->height;
    frames_ = int(std::min<int64_t>(count, INT_MAX));
    return frames_;
}

bool MovieSource::ReadFrame(int index) {
    if (!streams_) return Fail(QStringLiteral("no movie is open"));
    if (!target_) return Fail(QStringLiteral("no picture to decode into"));
    if (index < 0 || index >= frames_)
        return Fail(
            QStringLiteral("frame %1 is outside the movie's %2 frames").arg(index).arg(frames_));
    auto take = [this](int64_t at, Picture& picture, const char* what) {
        streams_->lastError = 0;
        const AVFrame* frame = streams_->Decode(at);
        if (!frame) {
            const int why = streams_->lastError;
            return Fail(QStringLiteral("the %1 of stream frame %2 cannot be decoded%3")
                            .arg(QLatin1String(what))
                            .arg(at)
                            .arg(why ? ": " + ErrorText(why)
                                     : QStringLiteral(": the movie ends before it")));
        }
        if (!streams_->Convert(*frame, picture))
            return Fail(QStringLiteral("stream frame %1 cannot be turned into a picture").arg(at));
        return true;
    };
    const int64_t colour = alphaInterleave_ ? 2 * int64_t(index) : index;
    if (!take(colour, *target_, "picture")) return false;
    if (!alphaInterleave_) return true;
    if (!take(colour + 1, streams_->matte, "matte")) return false;
    if (!target_->MergeAlpha(streams_->matte))
        return Fail(
            QStringLiteral("the matte of frame %1 is not the size of its picture").arg(index));
    return true;
}

void MovieSource::Close() {
    // The size, frame count and matte flag stay readable until the next Open.
    streams_.reset();
    target_ = nullptr;
}

int MovieSource::LoadFrame(const QString& fileName, int index, Picture* target, QString* error) {
    MovieSource source;
    int frames = source.Open(fileName, target);
    if (frames > 0 && !source.ReadFrame(index)) frames = 0;
    source.Close();
    if (error) *error = source.errorString();
    return frames;
}

void MovieSource::SilenceLibraryLog() {
    av_log_set_level(AV_LOG_QUIET);
}

}  // namespace quillon
