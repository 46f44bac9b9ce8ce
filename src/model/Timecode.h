#pragma once
// Timecode text: frame counts written as HH:MM:SS:FF at a rate in frames per second x 100
// (3000 = 30 fps, 2997 = 29.97 fps), and read back from free-form text.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// Whole frames per second of a rate: (rate + 50) / 100. A rate below 50, which would give no
// whole frame per second, is taken as 3000 here and in the functions below.
int WholeFramesPerSecond(int rate);

// Writes n as "HH:MM:SS:FF" ("MM:SS:FF" in the short form). A negative count is written from
// its absolute value with a full stop in place of the last colon.
std::string FormatTimecode(int64_t n, int rate, bool shortForm = false);

// Reads text from its right end: runs of one or two digits are frames, seconds, minutes, hours.
// A leading "+" adds the result to oldValue, a leading "-" subtracts it (leading blanks are
// skipped first). Never fails: text without digits reads as 0. Longer digit runs are cut into
// pairs from their right end; see the .cpp for the full reading.
int64_t ParseTimecode(std::string_view text, int rate, int64_t oldValue = 0);

}  // namespace quillon
