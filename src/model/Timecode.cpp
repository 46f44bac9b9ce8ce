#include "model/Timecode.h"

#include <cstdio>
#include <limits>

namespace quillon {

namespace {

constexpr int kFallbackRate = 3000;

// Below 50 the whole frames per second, (rate + 50) / 100, would be 0 and every division by it
// would fault; such a rate (0, negative, or a typo) is read as the default 30 fps instead.
int64_t UsableRate(int rate) {
    return rate < 50 ? kFallbackRate : rate;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    }
    return sum;
}

int64_t SaturatingSub(int64_t a, int64_t b) {
    int64_t diff;
    if (__builtin_sub_overflow(a, b, &diff)) {
        return b > 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
    return diff;
}

}  // namespace

int WholeFramesPerSecond(int rate) {
    return static_cast<int>((UsableRate(rate) + 50) / 100);
}

std::string FormatTimecode(int64_t n, int rate, bool shortForm) {
    const bool negative = n < 0;
    // The magnitude in unsigned arithmetic, so that the most negative count has one too.
    const uint64_t count = negative ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);

    const uint64_t r = static_cast<uint64_t>(UsableRate(rate));
    // An hour and a minute are taken from the rate itself (R x 36 and R x 60 / 100 frames),
    // seconds and frames from the whole frames per second. For rates that are not whole
    // hundreds (2997) the two disagree slightly; the text shows exactly what these integer
    // divisions give.
    const uint64_t perHour = r * 36;
    const uint64_t perMinute = r * 60 / 100;
    const uint64_t fps = (r + 50) / 100;

    const uint64_t hours = (count / perHour) % 12;
    const uint64_t rest = count % perHour;
    const uint64_t minutes = (rest / perMinute) % 60;
    const uint64_t remainder = rest % perMinute;
    const uint64_t seconds = (remainder / fps) % 60;
    const uint64_t frames = remainder % fps;

    char buffer[96];
    if (shortForm) {
        std::snprintf(
            buffer, sizeof buffer, "%02llu:%02llu:%02llu", static_cast<unsigned long long>(minutes),
            static_cast<unsigned long long>(seconds), static_cast<unsigned long long>(frames));
    } else {
        std::snprintf(
            buffer, sizeof buffer, "%02llu:%02llu:%02llu:%02llu",
            static_cast<unsigned long long>(hours), static_cast<unsigned long long>(minutes),
            static_cast<unsigned long long>(seconds), static_cast<unsigned long long>(frames));
    }
    std::string text(buffer);
    if (negative) {
        text[text.rfind(':')] = '.';
    }
    return text;
}

// Reading rules:
// - Leading blanks are skipped; a "+" or "-" as the first character after them makes the
//   result relative to oldValue (added or subtracted). Otherwise the result is absolute.
// - The rest is scanned from its right end. Every character that is not an ASCII digit
//   separates groups. A run of digits is cut into groups of two from its right end, so
//   "12345" reads like "1:23:45" and "5" like "05". Groups are not range-checked:
//   "0:90" is 90 frames.
// - The groups from the right are frames, seconds, minutes and hours; anything further left
//   is ignored, so the scan stops after the fourth group and any length of text is safe.
// - Text without digits gives 0, i.e. oldValue itself when relative.
// The largest absolute result is about 99 x 3661 x F, far inside 64 bits for any int rate;
// relative results saturate at the 64-bit limits instead of wrapping.
int64_t ParseTimecode(std::string_view text, int rate, int64_t oldValue) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) {
        ++begin;
    }
    char sign = 0;
    if (begin < text.size() && (text[begin] == '+' || text[begin] == '-')) {
        sign = text[begin];
        ++begin;
    }

    int64_t groups[4] = {0, 0, 0, 0};
    int found = 0;
    size_t i = text.size();
    while (i > begin && found < 4) {
        if (!IsDigit(text[i - 1])) {
            --i;
            continue;
        }
        int value = text[i - 1] - '0';
        --i;
        if (i > begin && IsDigit(text[i - 1])) {
            value += 10 * (text[i - 1] - '0');
            --i;
        }
        groups[found++] = value;
    }

    const int64_t fps = WholeFramesPerSecond(rate);
    const int64_t frames =
        groups[0] + groups[1] * fps + groups[2] * fps * 60 + groups[3] * fps * 3600;

    if (sign == '+') {
        return SaturatingAdd(oldValue, frames);
    }
    if (sign == '-') {
        return SaturatingSub(oldValue, frames);
    }
    return frames;
}

}  // namespace quillon
