#pragma once
// RIFF WAVE files made byte by byte for the tests, independently of the reader: a header, then
// chunks in any order with any sizes.
#include <QFile>
#include <QString>
#include <cstdint>
#include <string>

#include "../model/LeBytes.h"

namespace quillon::testing {

// A "fmt " chunk body: tag, channels, rate, bytes a second, block, bits (16 bytes).
inline std::string FmtBody(unsigned tag, unsigned channels, uint32_t rate, uint32_t perSecond,
                           unsigned block, unsigned bits) {
    return LeBytes().u16(tag).u16(channels).u32(rate).u32(perSecond).u16(block).u16(bits).s;
}

inline std::string Chunk(const std::string& id, const std::string& body, int64_t claimed = -1) {
    return id + LeBytes().u32(uint32_t(claimed < 0 ? int64_t(body.size()) : claimed)).s + body;
}

// "RIFF", the size (by default what follows), "WAVE" (or another form) and the chunks.
inline std::string Riff(const std::string& chunks, int64_t riffSize = -1,
                        const std::string& form = "WAVE") {
    return "RIFF" +
           LeBytes().u32(uint32_t(riffSize < 0 ? int64_t(4 + chunks.size()) : riffSize)).s + form +
           chunks;
}

// A PCM clip of the given bytes: mono 8-bit at 8000 a second unless said otherwise.
inline std::string PcmWave(const std::string& data, unsigned channels = 1, uint32_t rate = 8000,
                           unsigned bits = 8) {
    const unsigned block = channels * bits / 8;
    return Riff(Chunk("fmt ", FmtBody(1, channels, rate, rate * block, block, bits)) +
                Chunk("data", data));
}

// n bytes counting 0, 1, 2, ... (mod 251, so no piece repeats at a buffer's length).
inline std::string Ramp(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = char(i % 251);
    return s;
}

inline bool WriteBytes(const QString& path, const std::string& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

}  // namespace quillon::testing
