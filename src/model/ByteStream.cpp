#include "ByteStream.h"

#include <bit>
#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillon {

namespace {
// On a little-endian machine the in-memory key record is its file record, so runs of keys are
// copied whole; elsewhere they go field by field.
constexpr bool kKeysAreFileBytes = std::endian::native == std::endian::little &&
                                   sizeof(KeyFrame) == kKeyFrameBytes &&
                                   offsetof(KeyFrame, frame) == 48 &&
                                   offsetof(KeyFrame, hold) == 52 && offsetof(KeyFrame, act) == 54;
}  // namespace

void LeWriter::Keys(const KeyFrame* keys, size_t count) {
    if constexpr (kKeysAreFileBytes) {
        Bytes(keys, count * kKeyFrameBytes);
    } else {
        for (size_t i = 0; i < count; ++i) {
            for (float c : keys[i].channel)
                F32(c);
            I32(keys[i].frame);
            I16(keys[i].hold);
            U16(keys[i].act);
        }
    }
}

KeyFrame LeReader::Key() {
    KeyFrame k;
    for (float& c : k.channel)
        c = F32();
    k.frame = I32();
    k.hold = I16();
    k.act = U16();
    return k;
}

void DecodeKeys(const unsigned char* bytes, size_t count, KeyFrame* keys) {
    if constexpr (kKeysAreFileBytes) {
        if (static_cast<const void*>(bytes) != static_cast<const void*>(keys))
            std::memmove(keys, bytes, count * kKeyFrameBytes);
    } else {
        // Record i is read whole before keys[i] is written, so decoding in place is safe.
        for (size_t i = 0; i < count; ++i) {
            LeReader r(bytes + i * kKeyFrameBytes, kKeyFrameBytes);
            keys[i] = r.Key();
        }
    }
}

TextModeReader::TextModeReader(std::FILE* file)
    : file_(file), owned_(new unsigned char[kBufferBytes]), buf_(owned_.get()) {}

TextModeReader::TextModeReader(const unsigned char* data, size_t size)
    // Never written through: Fill() leaves a memory reader's bytes alone.
    : buf_(const_cast<unsigned char*>(data)), len_(size) {}

void LeWriter::U16(uint16_t v) {
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    out_.append(b, 2);
}

void LeWriter::U32(uint32_t v) {
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    out_.append(b, 4);
}

void LeWriter::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, 4);
    U32(bits);
}

bool LeReader::Take(size_t n) {
    if (!ok_ || size_ - pos_ < n) {
        ok_ = false;
        return false;
    }
    return true;
}

uint8_t LeReader::U8() {
    if (!Take(1)) return 0;
    return p_[pos_++];
}

uint16_t LeReader::U16() {
    if (!Take(2)) return 0;
    const uint16_t v = uint16_t(p_[pos_]) | uint16_t(p_[pos_ + 1]) << 8;
    pos_ += 2;
    return v;
}

uint32_t LeReader::U32() {
    if (!Take(4)) return 0;
    const uint32_t v = uint32_t(p_[pos_]) | uint32_t(p_[pos_ + 1]) << 8 |
                       uint32_t(p_[pos_ + 2]) << 16 | uint32_t(p_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
}

float LeReader::F32() {
    const uint32_t bits = U32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

void LeReader::Bytes(void* dst, size_t n) {
    if (!Take(n)) {
        std::memset(dst, 0, n);
        return;
    }
    std::memcpy(dst, p_ + pos_, n);
    pos_ += n;
}

std::string TextModeEncode(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 64 + 16);
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    while (p < end) {
        const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (!nl) {
            out.append(p, static_cast<size_t>(end - p));
            break;
        }
        const char* q = static_cast<const char*>(nl);
        out.append(p, static_cast<size_t>(q - p));
        out.append("\r\n", 2);
        p = q + 1;
    }
    return out;
}

bool TextModeReader::Fill() {
    if (!file_) return false;
    base_ += pos_;
    // Keep an unconsumed trailing CR at the front so a CR LF split across reads still pairs.
    if (pos_ < len_) {
        std::memmove(buf_, buf_ + pos_, len_ - pos_);
        len_ -= pos_;
    } else {
        len_ = 0;
    }
    pos_ = 0;
    const size_t got = std::fread(buf_ + len_, 1, kBufferBytes - len_, file_);
    len_ += got;
    return got > 0;
}

int TextModeReader::Get() {
    if (pos_ >= len_ && !Fill()) return -1;
    unsigned char c = buf_[pos_];
    if (c == '\r') {
        if (pos_ + 1 >= len_) Fill();  // may bring the LF in (pos_ is 0 afterwards)
        if (pos_ + 1 < len_ && buf_[pos_ + 1] == '\n') {
            pos_ += 2;
            return '\n';
        }
    }
    ++pos_;
    return c;
}

namespace {

// Copies from src to dst turning each CR LF into LF, until src is used up or want bytes are
// made. A CR that is the last byte of src stays unconsumed: only the next buffer can tell
// whether an LF follows it.
void TranslateRun(const unsigned char* src, size_t srcLen, unsigned char* dst, size_t want,
                  size_t& consumed, size_t& produced) {
    size_t i = 0, o = 0;
#if defined(__SSE2__)
    // Sixteen bytes at a time: most blocks hold no CR and are copied as they stand.
    const __m128i cr = _mm_set1_epi8('\r');
    while (i + 16 <= srcLen && o + 16 <= want) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + o), v);
        if (mask == 0) {
            i += 16;
            o += 16;
            continue;
        }
        const unsigned k = static_cast<unsigned>(__builtin_ctz(mask));
        i += k;
        o += k;
        if (i + 1 >= srcLen) break;
        const bool pair = src[i + 1] == '\n';
        dst[o++] = pair ? '\n' : '\r';
        i += pair ? 2 : 1;
    }
#endif
    while (i < srcLen && o < want) {
        const unsigned char c = src[i];
        if (c == '\r') {
            if (i + 1 >= srcLen) break;
            if (src[i + 1] == '\n') {
                dst[o++] = '\n';
                i += 2;
                continue;
            }
        }
        dst[o++] = c;
        ++i;
    }
    consumed = i;
    produced = o;
}

}  // namespace

bool TextModeReader::Read(void* dst, size_t n) {
    auto* out = static_cast<unsigned char*>(dst);
    size_t done = 0;
    while (done < n) {
        if (pos_ >= len_ && !Fill()) return false;
        size_t consumed = 0, produced = 0;
        TranslateRun(buf_ + pos_, len_ - pos_, out + done, n - done, consumed, produced);
        pos_ += consumed;
        done += produced;
        if (consumed == 0 && done < n) {
            // A CR at the end of the buffer: Get() refills and pairs it.
            const int c = Get();
            if (c < 0) return false;
            out[done++] = static_cast<unsigned char>(c);
        }
    }
    return true;
}

bool TextModeReader::ReadLine(std::string& line, size_t maxBytes) {
    line.clear();
    int c = Get();
    if (c < 0) return false;
    while (c >= 0 && c != '\n') {
        if (line.size() < maxBytes) line.push_back(static_cast<char>(c));
        c = Get();
    }
    return true;
}

int TextModeReader::PeekByte() {
    if (pos_ >= len_ && !Fill()) return -1;
    return buf_[pos_];
}

}  // namespace quillon
