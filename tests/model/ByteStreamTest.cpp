// Little-endian readers and writers, and the text-mode translation at buffer boundaries.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "model/ByteStream.h"

using namespace quillon;

namespace {

std::string ReferenceDecode(const std::string& in) {
    std::string out;
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] == '\r' && i + 1 < in.size() && in[i + 1] == '\n') continue;
        out.push_back(in[i]);
    }
    return out;
}

// Bytes dense in CR, LF and CR LF, with pairs placed across the reader's 256 KiB refill point.
std::string Awkward(size_t size) {
    std::mt19937 rng(7);
    std::string s(size, '\0');
    for (char& c : s) {
        const unsigned r = rng() % 16;
        c = r == 0 ? '\r' : r == 1 ? '\n' : static_cast<char>(rng());
    }
    const size_t edge = 256 * 1024;
    s[edge - 1] = '\r';
    s[edge] = '\n';
    s[2 * edge - 1] = '\r';
    s[2 * edge] = 'x';
    s[size - 1] = '\r';  // a lone CR at the very end stays a CR
    return s;
}

std::string ReadAll(TextModeReader& r, size_t total, size_t chunk) {
    std::string out(total, '\0');
    size_t done = 0;
    while (done < total) {
        const size_t n = std::min(chunk, total - done);
        EXPECT_TRUE(r.Read(out.data() + done, n)) << done;
        done += n;
    }
    char extra;
    EXPECT_FALSE(r.Read(&extra, 1));
    return out;
}

}  // namespace

TEST(ByteStream, LittleEndianFieldsAndStickyErrors) {
    std::string bytes;
    LeWriter w(bytes);
    w.U8(0xAB);
    w.I16(-2);
    w.U32(0x01020304);
    w.F32(1.5f);
    EXPECT_EQ(bytes, std::string("\xAB\xFE\xFF\x04\x03\x02\x01\x00\x00\xC0\x3F", 11));
    LeReader r(bytes.data(), bytes.size());
    EXPECT_EQ(r.U8(), 0xAB);
    EXPECT_EQ(r.I16(), -2);
    EXPECT_EQ(r.U32(), 0x01020304u);
    EXPECT_EQ(r.F32(), 1.5f);
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.U16(), 0);
    EXPECT_FALSE(r.ok());
    LeReader shortRead(bytes.data(), 3);
    EXPECT_EQ(shortRead.U32(), 0u);
    EXPECT_EQ(shortRead.U8(), 0);  // the error sticks even though a byte is left
    EXPECT_FALSE(shortRead.ok());
}

TEST(ByteStream, TextModeRoundTripAcrossRefills) {
    const std::string raw = Awkward(700 * 1024);
    const std::string expected = ReferenceDecode(raw);
    EXPECT_EQ(ReferenceDecode(TextModeEncode(expected)), expected);
    EXPECT_EQ(TextModeEncode("a\nb\n"), "a\r\nb\r\n");

    for (size_t chunk : {size_t(1), size_t(7), size_t(4096), size_t(100000), expected.size()}) {
        std::string copy = raw;
        std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
        ASSERT_NE(f, nullptr);
        TextModeReader stream(f);
        EXPECT_EQ(ReadAll(stream, expected.size(), chunk), expected) << "file, chunk " << chunk;
        std::fclose(f);

        TextModeReader memory(reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
        EXPECT_EQ(ReadAll(memory, expected.size(), chunk), expected) << "memory, chunk " << chunk;
    }
}

TEST(ByteStream, LinesAndPeek) {
    const std::string text = "3 CAPTIONS\r\nfirst\r\n\r\nlone\rcr\r\nlast";
    TextModeReader r(reinterpret_cast<const unsigned char*>(text.data()), text.size());
    EXPECT_EQ(r.PeekByte(), '3');
    std::string line;
    std::vector<std::string> lines;
    while (r.ReadLine(line, 3))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"3 C", "fir", "", "lon", "las"}));
    TextModeReader empty(nullptr, 0);
    EXPECT_EQ(empty.PeekByte(), -1);
    EXPECT_FALSE(empty.ReadLine(line, 10));
}
