#pragma once
// Owners for FFmpeg's handles: each frees its handle the way FFmpeg asks, so every path out of
// a reader or writer releases what it opened; and FFmpeg's error texts. Shared by the movie
// source and the movie writer.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
#include <libswscale/swscale.h>
}

#include <QString>
#include <memory>

namespace quillon::ffmpeg {

// FFmpeg's own words for an error code ("Permission denied", "Invalid data found when
// processing input").
inline QString ErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

struct CloseInput {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
struct FreeOutput {
    void operator()(AVFormatContext* f) const {
        if (f->pb) avio_closep(&f->pb);
        avformat_free_context(f);
    }
};
struct FreeCodec {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FreeFrame {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct FreePacket {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct FreeScaler {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct FreeAvMemory {
    void operator()(uint8_t* p) const { av_free(p); }
};
struct FreeDictionary {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using InputHandle = std::unique_ptr<AVFormatContext, CloseInput>;
using OutputHandle = std::unique_ptr<AVFormatContext, FreeOutput>;
using CodecHandle = std::unique_ptr<AVCodecContext, FreeCodec>;
using FrameHandle = std::unique_ptr<AVFrame, FreeFrame>;
using PacketHandle = std::unique_ptr<AVPacket, FreePacket>;
using ScalerHandle = std::unique_ptr<SwsContext, FreeScaler>;
using AvMemoryHandle = std::unique_ptr<uint8_t, FreeAvMemory>;
using DictionaryHandle = std::unique_ptr<AVDictionary, FreeDictionary>;

}  // namespace quillon::ffmpeg
