#include "WaveFile.h"

#include <algorithm>
#include <cstring>

namespace quillon {

namespace {

constexpr qint64 kPiece = 1024;

bool ReadExactly(QIODevice& in, char* buffer, qint64 n) {
    return in.read(buffer, n) == n;
}

uint16_t U16(const char* p) {
    return static_cast<uint16_t>(uint8_t(p[0]) | uint8_t(p[1]) << 8);
}

uint32_t U32(const char* p) {
    return uint32_t(U16(p)) | uint32_t(U16(p + 2)) << 16;
}

// Skips n bytes by reading them, 1024 at a time; false when the device ends first.
bool Skip(QIODevice& in, qint64 n) {
    char piece[kPiece];
    while (n > 0) {
        const qint64 step = std::min(n, kPiece);
        if (!ReadExactly(in, piece, step)) return false;
        n -= step;
    }
    return true;
}

// The fields of a "fmt " chunk, as far as the chunk holds them.
void TakeFormat(const char* bytes, qint64 size, WaveFormat& format) {
    if (size >= 2) format.formatTag = U16(bytes);
    if (size >= 4) format.channels = U16(bytes + 2);
    if (size >= 8) format.samplesPerSecond = U32(bytes + 4);
    if (size >= 12) format.avgBytesPerSecond = U32(bytes + 8);
    if (size >= 14) format.blockAlign = U16(bytes + 12);
    format.bitsPerSample = 0;
    if (format.IsPcm() && size >= 16) format.bitsPerSample = U16(bytes + 14);
}

}  // namespace

WaveScan ScanWave(QIODevice& in) {
    WaveScan scan;
    char header[12];
    if (!ReadExactly(in, header, 12)) return scan;
    if (std::memcmp(header, "RIFF", 4) != 0) {
        scan.status = WaveStatus::kNotRiff;
        return scan;
    }
    if (std::memcmp(header + 8, "WAVE", 4) != 0) {
        scan.status = WaveStatus::kNotWave;
        return scan;
    }
    int64_t remaining = U32(header + 4);
    char chunk[8];
    while (remaining >= 0) {
        // The file ends between chunks: the walk is over without a "data" chunk.
        if (!ReadExactly(in, chunk, 8)) break;
        const uint32_t size = U32(chunk + 4);
        remaining -= 8 + int64_t(size);
        if (std::memcmp(chunk, "fmt", 3) == 0) {
            char body[kPiece];
            const qint64 taken = std::min<qint64>(size, kPiece);
            if (!ReadExactly(in, body, taken)) return scan;
            TakeFormat(body, taken, scan.format);
            // The rest of an overlong format chunk is passed over, so the walk stays on the
            // chunk boundaries.
            if (!Skip(in, qint64(size) - taken)) return scan;
        } else if (std::memcmp(chunk, "data", 4) == 0) {
            scan.dataSize = size;
            scan.dataStart = in.pos();
            scan.status = WaveStatus::kOk;
            return scan;
        } else if (!Skip(in, size)) {
            return scan;
        }
    }
    scan.status = WaveStatus::kNoData;
    return scan;
}

int64_t TruncatedFramesPerSecond(int frameRate) {
    return std::max<int64_t>(1, frameRate / 100);
}

int64_t StartOffset(int64_t frame, const WaveFormat& format, int frameRate) {
    if (frame <= 0) return 0;
    // A frame number of 31 bits times a rate of 32 bits needs more than 63: 128-bit product.
    const __int128 product = __int128(frame) * format.avgBytesPerSecond;
    const int64_t offset = static_cast<int64_t>(
        std::min<__int128>(product / TruncatedFramesPerSecond(frameRate), INT64_MAX));
    // A block is one sample of every channel: starting anywhere else would play the bytes of
    // one sample as parts of two, which is noise.
    const int64_t block = std::max<int64_t>(1, format.blockAlign);
    return offset - offset % block;
}

int64_t LengthInFrames(int frameRate, uint32_t dataSize, const WaveFormat& format) {
    if (format.channels == 0 || format.avgBytesPerSecond == 0 || frameRate <= 0) return 0;
    const uint64_t product = uint64_t(uint32_t(frameRate)) * uint64_t(dataSize);
    return int64_t(product / 100 / format.avgBytesPerSecond);
}

}  // namespace quillon
