#pragma once
// Movie fixtures, made with the ffmpeg tool (package ffmpeg) from raw frames written here, so
// that every pixel of a lossless movie is known.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "PictureTestUtil.h"

namespace quillon::testing {

// Stream frame n at pixel x, y (counted from the top). Even frames are colour pictures that
// carry their frame number in blue and their place in green and red; odd frames are grey
// mattes whose level depends on frame and place.
inline Bgr StreamPixel(int n, int x, int y) {
    if (n % 2) {
        const uint8_t g = uint8_t(n * 5 + x + 2 * y);
        return {g, g, g};
    }
    return {uint8_t(n * 2), uint8_t(x * 2), uint8_t(y * 9 + 3)};
}

// Lossless and exact for BGR pictures; a keyframe every 10 frames, so frames between depend on
// the ones before them.
inline const std::string kLossless = "-c:v ffv1 -pix_fmt bgr0 -g 10";
inline const std::string kAlphaTitle = " -metadata:s:v:0 title=AlphaInterleave";

inline bool RunCommand(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// Writes `frames` frames of pixel(n, x, y) as raw BGR and lets ffmpeg turn them into path with
// the given output options (codec, metadata, "-f avi" ...). The path goes at the end of the
// command, or where the options say {out} (after a redirection, say).
template <typename Pixel>
bool MakeMovie(const std::string& path, int width, int height, int frames,
               const std::string& options, Pixel pixel) {
    const std::string raw = path + ".bgr";
    std::string bytes;
    bytes.reserve(size_t(width) * size_t(height) * 3 * size_t(frames));
    for (int n = 0; n < frames; ++n)
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Bgr c = pixel(n, x, y);
                bytes += char(c.b);
                bytes += char(c.g);
                bytes += char(c.r);
            }
    WriteFileBytes(raw, bytes);
    std::string command = "ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bgr24 -s " +
                          std::to_string(width) + "x" + std::to_string(height) + " -r 25 -i '" +
                          raw + "' " + options;
    const size_t out = command.find("{out}");
    if (out == std::string::npos)
        command += " '" + path + "'";
    else
        command.replace(out, 5, "'" + path + "'");
    const bool ok = RunCommand(command);
    std::remove(raw.c_str());
    return ok;
}

inline bool MakeMovie(const std::string& path, int width, int height, int frames,
                      const std::string& options) {
    return MakeMovie(path, width, height, frames, options, StreamPixel);
}

// Each pixel of a decoded picture against stream frame `colour` and, for a 32-bit picture,
// the first byte of stream frame `matte` as alpha; the bytes after a 24-bit row's last pixel
// must be zero.
template <typename Pixel>
::testing::AssertionResult FrameIs(const Picture& p, int width, int height, int colour, int matte,
                                   Pixel pixel, int tolerance = 0) {
    if (p.Width() != width || p.Height() != height)
        return ::testing::AssertionFailure() << "size " << p.Width() << " x " << p.Height();
    const int bytes = p.BitCount() / 8;
    if (bytes != (matte >= 0 ? 4 : 3))
        return ::testing::AssertionFailure() << p.BitCount() << " bits";
    auto near = [&](int got, int want) { return std::abs(got - want) <= tolerance; };
    for (int row = 0; row < height; ++row) {
        const uint8_t* q = p.Bits(row);
        const int y = height - 1 - row;
        for (int x = 0; x < width; ++x, q += bytes) {
            const Bgr want = pixel(colour, x, y);
            if (!near(q[0], want.b) || !near(q[1], want.g) || !near(q[2], want.r))
                return ::testing::AssertionFailure()
                       << "frame " << colour << " pixel " << x << "," << y << " is "
                       << ::testing::PrintToString(Bgr{q[0], q[1], q[2]}) << ", expected "
                       << ::testing::PrintToString(want);
            if (matte >= 0 && !near(q[3], pixel(matte, x, y).b))
                return ::testing::AssertionFailure()
                       << "matte " << matte << " pixel " << x << "," << y << " alpha " << int(q[3]);
        }
        for (int k = bytes * width; k < p.RowBytes(); ++k)
            if (p.Bits(row)[k] != 0)
                return ::testing::AssertionFailure() << "row " << row << " padding not cleared";
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult FrameIs(const Picture& p, int width, int height, int colour,
                                          int matte = -1) {
    return FrameIs(p, width, height, colour, matte, StreamPixel);
}

// How many files this process has open.
inline int OpenFileCount() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

}  // namespace quillon::testing
