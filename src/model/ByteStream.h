#pragma once
// Little-endian record streams with a sticky error flag, and the text-mode byte translation
// that show files pass through (0x0A on disk as 0x0D 0x0A).

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "KeyFrame.h"

namespace quillon {

// Appends little-endian fields to a byte string.
class LeWriter {
  public:
    explicit LeWriter(std::string& out) : out_(out) {}
    void U8(uint8_t v) { out_.push_back(static_cast<char>(v)); }
    void I16(int16_t v) { U16(static_cast<uint16_t>(v)); }
    void U16(uint16_t v);
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void U32(uint32_t v);
    void F32(float v);
    void Bytes(const void* data, size_t n) { out_.append(static_cast<const char*>(data), n); }
    // A run of key frame records, 56 bytes each.
    void Keys(const KeyFrame* keys, size_t count);

  private:
    std::string& out_;
};

// Reads little-endian fields from a byte range. Once a read runs past the end every later read
// fails too and ok() stays false; failed reads yield zeroes.
class LeReader {
  public:
    LeReader(const void* data, size_t size) : p_(static_cast<const uint8_t*>(data)), size_(size) {}
    uint8_t U8();
    int16_t I16() { return static_cast<int16_t>(U16()); }
    uint16_t U16();
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint32_t U32();
    float F32();
    void Bytes(void* dst, size_t n);
    KeyFrame Key();
    bool ok() const { return ok_; }
    size_t position() const { return pos_; }

  private:
    bool Take(size_t n);
    const uint8_t* p_;
    size_t size_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// Decodes count 56-byte key records; bytes may be the very storage of keys (in place).
void DecodeKeys(const unsigned char* bytes, size_t count, KeyFrame* keys);

// Text-mode output: every 0x0A is written as 0x0D 0x0A.
std::string TextModeEncode(std::string_view bytes);

// Text-mode input over a FILE*: every 0x0D 0x0A pair reads as 0x0A; other bytes pass unchanged
// (so files without the translation read as they stand). Buffered; never reads the whole file.
class TextModeReader {
  public:
    explicit TextModeReader(std::FILE* file);
    // Reads from bytes already in memory (a mapped file); the bytes must outlive the reader.
    TextModeReader(const unsigned char* data, size_t size);
    // Reads exactly n translated bytes; false (with a partial copy) at the end of the file.
    bool Read(void* dst, size_t n);
    // Reads a line without its line break; false when nothing is left. maxBytes bounds the line
    // kept (the rest of an overlong line is skipped).
    bool ReadLine(std::string& line, size_t maxBytes);
    // First raw byte of the file, without consuming it; -1 when the file is empty.
    int PeekByte();
    // Raw (untranslated) bytes consumed so far: where in the file a read stopped.
    size_t BytesRead() const { return base_ + pos_; }

  private:
    int Get();  // next translated byte or -1
    bool Fill();
    static constexpr size_t kBufferBytes = 256 * 1024;
    std::FILE* file_ = nullptr;  // null when reading from memory
    std::unique_ptr<unsigned char[]> owned_;
    unsigned char* buf_ = nullptr;
    size_t pos_ = 0;
    size_t len_ = 0;
    size_t base_ = 0;  // raw offset of buf_[0] in the file
};

}  // namespace quillon
