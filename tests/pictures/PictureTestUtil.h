#pragma once
// Helpers for the picture tests: byte strings as files, pixels, Targa headers and the gm tool
// (package graphicsmagick) for fixtures in other formats.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "model/ByteStream.h"
#include "pictures/Picture.h"

namespace quillon::testing {

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// ReadFrom over bytes in memory.
inline bool ReadBytes(Picture& p, const std::string& bytes, int step,
                      DocumentHost* host = nullptr) {
    std::string copy = bytes + '\0';  // fmemopen needs a non-empty buffer
    std::FILE* f = bytes.empty() ? std::tmpfile() : fmemopen(copy.data(), bytes.size(), "rb");
    const bool ok = p.ReadFrom(f, step, host);
    std::fclose(f);
    return ok;
}

// What WriteTo puts in a file.
inline std::string WriteBytes(const Picture& p, PictureWriteMode mode) {
    std::FILE* f = std::tmpfile();
    EXPECT_TRUE(p.WriteTo(f, mode));
    std::string bytes(size_t(std::ftell(f)), '\0');
    std::rewind(f);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    return bytes;
}

struct Bgr {
    uint8_t b, g, r;
    bool operator==(const Bgr&) const = default;
    friend void PrintTo(const Bgr& c, std::ostream* os) {
        *os << "bgr(" << int(c.b) << ", " << int(c.g) << ", " << int(c.r) << ")";
    }
};

// Pixel x of row y (counted from the bottom).
inline Bgr PixelAt(const Picture& p, int x, int y) {
    const uint8_t* q = p.Bits(y) + size_t(x) * size_t(p.BitCount() / 8);
    return {q[0], q[1], q[2]};
}

inline void SetPixel(Picture& p, int x, int y, Bgr c, uint8_t alpha = 0) {
    uint8_t* q = p.Bits(y) + size_t(x) * size_t(p.BitCount() / 8);
    q[0] = c.b;
    q[1] = c.g;
    q[2] = c.r;
    if (p.BitCount() == 32) q[3] = alpha;
}

// An upright picture of colour(x, y counted from the top), alpha x + y at 32 bits.
template <typename Colour>
void Fill(Picture& p, int width, int height, int bits, Colour colour) {
    ASSERT_TRUE(p.Create(width, height, bits));
    std::memset(p.Bits(0), 0, size_t(p.RowBytes()) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(p, x, y, colour(x, height - 1 - y), uint8_t(x + y));
}

inline std::string TargaHeader(int width, int height, int depth, int type = 2, int descriptor = 0,
                               int idLength = 0, int mapLength = 0, int mapBits = 0) {
    std::string h;
    LeWriter w(h);
    w.U8(uint8_t(idLength));
    w.U8(mapLength ? 1 : 0);
    w.U8(uint8_t(type));
    w.U16(0);
    w.U16(uint16_t(mapLength));
    w.U8(uint8_t(mapBits));
    w.U32(0);
    w.U16(uint16_t(width));
    w.U16(uint16_t(height));
    w.U8(uint8_t(depth));
    w.U8(uint8_t(descriptor));
    return h;
}

// Runs `gm ARGS` and gives its standard output; a failed run gives text starting with \x01.
inline std::string Gm(const std::string& args) {
    std::FILE* p = popen(("gm " + args + " 2>/dev/null").c_str(), "r");
    std::string out;
    char buf[256];
    for (size_t n; p && (n = std::fread(buf, 1, sizeof(buf), p)) > 0;)
        out.append(buf, n);
    return p && pclose(p) == 0 ? out : std::string("\x01gm failed: ") + args;
}
inline bool GmOk(const std::string& args) {
    return Gm(args).rfind("\x01", 0) != 0;
}

}  // namespace quillon::testing
