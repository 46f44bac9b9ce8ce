// Timecode text: writing at the usual and odd rates, reading free-form text, and which counts
// survive a write and read back.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "model/Timecode.h"

using namespace quillon;

namespace {
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
}  // namespace

TEST(Timecode, Writes) {
    // 1 h 2 min 3 s 4 fr with an hour of R x 36, a minute of R x 60 / 100 and F frames a second.
    struct Case {
        int64_t n;
        int rate;
        bool shortForm;
        const char* want;
    } cases[] = {
        {90000 + 50 + 11, 2500, false, "01:00:02:11"},
        {108000 + 2 * 1800 + 3 * 30 + 4, 3000, false, "01:02:03:04"},
        {90000 + 2 * 1500 + 3 * 25 + 4, 2500, false, "01:02:03:04"},
        {86400 + 2 * 1440 + 3 * 24 + 4, 2400, false, "01:02:03:04"},
        {107892 + 2 * 1798 + 3 * 30 + 4, 2997, false, "01:02:03:04"},  // minute 179820 / 100
        {54000 + 2 * 900 + 3 * 15 + 4, 1500, false, "01:02:03:04"},
        {215784 + 2 * 3596 + 3 * 60 + 4, 5994, false, "01:02:03:04"},
        {1468, 2449, false, "00:00:01:04"},   // a minute of 1469 but F = 24: 61 s shows as 01
        {199, 20000, false, "00:00:00:199"},  // F = 200: three digits written whole
        {0, 3000, false, "00:00:00:00"},
        // Hours wrap at twelve.
        {11 * 108000 + 59 * 1800 + 59 * 30 + 29, 3000, false, "11:59:59:29"},
        {12 * 108000, 3000, false, "00:00:00:00"},
        {13 * 108000 + 5, 3000, false, "01:00:00:05"},
        {13 * 90000 + 5, 2500, false, "01:00:00:05"},
        // Negative counts and the short form.
        {-1, 3000, false, "00:00:00.01"},
        {-111694, 3000, false, "01:02:03.04"},
        {111694, 3000, true, "02:03:04"},
        {-111694, 3000, true, "02:03.04"},
        {108000, 3000, true, "00:00:00"},
        // Rates without a whole frame a second are taken as 30 fps.
        {108000, 0, false, "01:00:00:00"},
        {108000, -1, false, "01:00:00:00"},
        // 29.97: 1798 frames a minute, 107892 an hour, whose last 12 frames show as minute 00.
        {1797, 2997, false, "00:00:59:27"},
        {1798, 2997, false, "00:01:00:00"},
        {107880, 2997, false, "00:00:00:00"},
        {107891, 2997, false, "00:00:00:11"},
        {107892, 2997, false, "01:00:00:00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTimecode(c.n, c.rate, c.shortForm), c.want) << c.n << " at " << c.rate;

    // The most negative count has no positive twin; it still gets a well-formed text.
    const std::string extreme = FormatTimecode(kMin, 3000);
    ASSERT_EQ(extreme.size(), 11u);
    EXPECT_EQ(extreme[8], '.');
    EXPECT_EQ(extreme.find_first_not_of("0123456789:."), std::string::npos);
}

TEST(Timecode, WholeFramesPerSecond) {
    const std::pair<int, int> cases[] = {{0, 30}, {-2500, 30}, {49, 30},
                                         {50, 1}, {2997, 30},  {2449, 24}};
    for (const auto& [rate, fps] : cases)
        EXPECT_EQ(WholeFramesPerSecond(rate), fps) << rate;
}

TEST(Timecode, Reads) {
    struct Case {
        std::string text;
        int rate;
        int64_t old, want;
    } cases[] = {
        {"1:2:3", 2500, 0, 1553},  // 1 minute (1500), 2 seconds (50) and 3 frames
        {"01:02:03:04", 3000, 0, 111694},
        // Any non-digit separates, including a minus sign that is not the first character,
        // bytes outside ASCII and an embedded NUL.
        {"1 2 3", 2500, 0, 1553},
        {"1h2m3f", 2500, 0, 1553},
        {"1-2-3", 2500, 0, 1553},
        {"  1::2 ,3  ", 2500, 0, 1553},
        {"1\t2\n3", 2500, 0, 1553},
        {"\xff\xfe"
         "1\x80"
         "2",
         3000, 0, 32},
        {std::string("1\0"
                     "2",
                     3),
         3000, 0, 32},
        {"5", 3000, 0, 5},
        {"7:", 3000, 0, 7},
        {"0:90", 3000, 0, 90},               // groups are not range-checked
        {"9:01:02:03:04", 3000, 0, 111694},  // fields beyond hours are ignored
        {"00:01:00:00", 2997, 0, 1800},      // reading counts F x 60 frames a minute
        {"01:02:03:04", 2997, 0, 111694},
        {"1:00", 0, 0, 30},  // an unusable rate reads as 30 fps
        {"1:00", std::numeric_limits<int>::min(), 0, 30},
        // Long digit runs split into pairs from the right: 12345 is 1:23:45.
        {"12345", 3000, 0, 1800 + 23 * 30 + 45},
        {"123", 3000, 0, 53},
        {"1020304", 3000, 0, 111694},
        {std::string(100000, '9'), 3000, 0, 99 * (1 + 30 + 1800 + 108000)},
        {"1" + std::string(1000000, '0'), 3000, 0, 0},
        {"99:99:99:99", std::numeric_limits<int>::max(), 0, 7783318085103},  // F = 21474836
        // Text without digits.
        {"", 3000, 500, 0},
        {"abc", 3000, 500, 0},
        {"+", 3000, 500, 500},
        {"-xyz", 3000, 500, 500},
        // A leading sign makes the reading relative.
        {"+10", 3000, 100, 110},
        {"-1:00", 3000, 100, 70},
        {"-1:00", 3000, 0, -30},
        {"+1:00:00:00", 2500, 7, 90007},
        {"  \t+5", 3000, 10, 15},  // leading blanks are skipped
        {"--5", 3000, 10, 5},      // the second "-" only separates
        {"5+", 3000, 10, 5},       // a sign anywhere else is a separator
        {"x+5", 3000, 10, 5},
        {"+99:99:99:99", 3000, kMax - 1, kMax},  // relative readings stop at the 64-bit limits
        {"-99", 3000, kMin + 1, kMin},
        {"-0", 3000, kMin, kMin},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseTimecode(c.text, c.rate, c.old), c.want)
            << "\"" << c.text.substr(0, 20) << "\" at " << c.rate;
}

TEST(Timecode, RoundTripAtWholeHundredRates) {
    for (int rate : {2400, 2500, 3000, 1500, 6000}) {
        const int64_t hour = int64_t{rate} * 36;
        // Every count of the first three minutes, then a stride over twelve hours.
        for (int64_t n = 0; n < 3 * hour / 60; ++n)
            ASSERT_EQ(ParseTimecode(FormatTimecode(n, rate), rate), n) << rate << " " << n;
        for (int64_t n = 0; n < 12 * hour; n += 7919)
            ASSERT_EQ(ParseTimecode(FormatTimecode(n, rate), rate), n) << rate << " " << n;
        // Twelve hours and more come back modulo twelve hours; the short form drops hours.
        EXPECT_EQ(ParseTimecode(FormatTimecode(12 * hour + 17, rate), rate), 17);
        EXPECT_EQ(ParseTimecode(FormatTimecode(hour + 17, rate, true), rate), 17);
    }
    // The full stop is only a separator: a written negative count reads as positive.
    EXPECT_EQ(ParseTimecode(FormatTimecode(-111694, 3000), 3000), 111694);
}

TEST(Timecode, RoundTripAtDropRateHoldsOnlyInsideTheFirstMinute) {
    // Writing at 2997 counts 1798 frames a minute, reading counts 1800.
    for (int64_t n = 0; n < 1798; ++n)
        ASSERT_EQ(ParseTimecode(FormatTimecode(n, 2997), 2997), n) << n;
    for (int64_t n = 1798; n < 107892; ++n)
        ASSERT_NE(ParseTimecode(FormatTimecode(n, 2997), 2997), n) << n;
}
