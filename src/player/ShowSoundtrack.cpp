#include "ShowSoundtrack.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#include "model/Document.h"
#include "model/Paths.h"
#include "player/WaveFile.h"

namespace quillon {

namespace {

struct Track {
    const ShowNode* node;
    QString file;
    WaveScan scan;
};

// The PCM sample at byte p as a 16-bit value.
int16_t Sample16(const uint8_t* p, int bits) {
    if (bits == 8) return int16_t((int(p[0]) - 128) << 8);
    return int16_t(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}

}  // namespace

std::vector<int16_t> ReadPcm16(QIODevice& file, const WaveScan& scan, int channels,
                               int64_t frames) {
    const WaveFormat& f = scan.format;
    std::vector<int16_t> out;
    // Only whole 8- or 16-bit samples: a 12-bit clip would be read a byte past its blocks.
    if ((f.bitsPerSample != 8 && f.bitsPerSample != 16) || f.channels == 0 || channels <= 0)
        return out;
    const int bytesPerSample = f.bitsPerSample / 8;
    const int block = f.blockAlign ? f.blockAlign : bytesPerSample * f.channels;
    if (block < bytesPerSample * f.channels) return out;
    const int64_t available = std::min<int64_t>(scan.dataSize / block, frames);
    // Room for what the file says, up to a million sample frames: a size in a header is not
    // yet bytes on disk.
    out.reserve(size_t(std::clamp<int64_t>(available, 0, 1 << 20)) * size_t(channels));
    std::vector<uint8_t> piece(size_t(block) * 4096);
    int64_t left = available;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, 4096);
        const qint64 got = file.read(reinterpret_cast<char*>(piece.data()), n * block);
        const int64_t whole = got > 0 ? got / block : 0;
        for (int64_t i = 0; i < whole; ++i) {
            const uint8_t* frame = piece.data() + i * block;
            for (int ch = 0; ch < channels; ++ch) {
                // A mono clip in a stereo movie sounds on both sides.
                const int from = std::min(ch, int(f.channels) - 1);
                out.push_back(Sample16(frame + from * bytesPerSample, f.bitsPerSample));
            }
        }
        if (whole < n) break;  // the file ends early: what was read is kept
        left -= n;
    }
    return out;
}

namespace {

// Linear resampling of interleaved samples from one rate to another.
std::vector<int16_t> Resample(const std::vector<int16_t>& in, int channels, int from, int to) {
    if (from == to || in.empty()) return in;
    const int64_t frames = int64_t(in.size()) / channels;
    const int64_t outFrames = frames * to / from;
    std::vector<int16_t> out(size_t(outFrames * channels));
    for (int64_t k = 0; k < outFrames; ++k) {
        const double at = double(k) * from / to;
        const int64_t i = int64_t(at);
        const double t = at - double(i);
        const int64_t j = std::min(i + 1, frames - 1);
        for (int ch = 0; ch < channels; ++ch) {
            const double a = in[size_t(i * channels + ch)], b = in[size_t(j * channels + ch)];
            out[size_t(k * channels + ch)] = int16_t(std::lround(a + (b - a) * t));
        }
    }
    return out;
}

}  // namespace

ShowSoundtrackResult BuildShowSoundtrack(const Document& doc) {
    ShowSoundtrackResult result;
    std::vector<Track> tracks;
    for (const ShowNode* scene : doc.root().children) {
        for (const ShowNode* child : scene->children) {
            if (!child->Is(NodeKind::SoundTrack) || child->endFrame <= child->startFrame) continue;
            Track t{child, FromRecordText(child->GetFileName()), {}};
            QFile file(t.file);
            if (!file.open(QIODevice::ReadOnly)) {
                result.skipped << t.file + QStringLiteral(": cannot be opened");
                continue;
            }
            t.scan = ScanWave(file);
            const WaveFormat& f = t.scan.format;
            if (!t.scan.ok()) {
                result.skipped << t.file + QStringLiteral(": not a WAV file that can be read");
            } else if (!f.IsPcm() || (f.bitsPerSample != 8 && f.bitsPerSample != 16) ||
                       f.channels == 0 || f.samplesPerSecond == 0 || f.samplesPerSecond > 384000) {
                result.skipped << t.file + QStringLiteral(": not 8- or 16-bit PCM");
            } else {
                tracks.push_back(t);
            }
        }
    }
    MovieSoundtrack& sound = result.sound;
    for (const Track& t : tracks) {
        sound.channels = std::max(sound.channels, std::min<int>(2, t.scan.format.channels));
        sound.sampleRate = std::max<int>(sound.sampleRate, int(t.scan.format.samplesPerSecond));
    }
    const int64_t showRate = doc.frameRate() > 0 ? doc.frameRate() : 3000;
    for (const Track& t : tracks) {
        QFile file(t.file);
        if (!file.open(QIODevice::ReadOnly) || !file.seek(t.scan.dataStart)) continue;
        const int clipRate = int(t.scan.format.samplesPerSecond);
        // The track's length in the clip's own samples: the clip is cut at the track's end.
        const int64_t length =
            int64_t(t.node->endFrame - int64_t(t.node->startFrame)) * 100 * clipRate / showRate;
        MovieSoundClip clip;
        clip.startFrame = t.node->startFrame;
        clip.samples = Resample(ReadPcm16(file, t.scan, sound.channels, length), sound.channels,
                                clipRate, sound.sampleRate);
        sound.clips.push_back(std::move(clip));
    }
    return result;
}

}  // namespace quillon
