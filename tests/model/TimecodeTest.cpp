// Timecode text: writing at the usual and odd rates, reading free-form text, and which
// counts survive a write and read back.
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

TEST(Timecode, WritesOneHourTwoSecondsElevenFramesAtPal) {
    // 25 fps: one hour is 2500 x 36 = 90000 frames, two seconds 50, plus 11.
    EXPECT_EQ(FormatTimecode(90000 + 50 + 11, 2500), "01:00:02:11");
}

TEST(Timecode, WritesEachRate) {
    // 1 h 2 min 3 s 4 fr, with an hour of R x 36, a minute of R x 60 / 100 and F frames a second.
    // 3000: 108000 + 2 x 1800 + 3 x 30 + 4 = 111694
    EXPECT_EQ(FormatTimecode(111694, 3000), "01:02:03:04");
    // 2500: 90000 + 2 x 1500 + 3 x 25 + 4 = 93079
    EXPECT_EQ(FormatTimecode(93079, 2500), "01:02:03:04");
    // 2400: 86400 + 2 x 1440 + 3 x 24 + 4 = 89356
    EXPECT_EQ(FormatTimecode(89356, 2400), "01:02:03:04");
    // 2997: hour 107892, minute 179820 / 100 = 1798, F = 30: 107892 + 3596 + 90 + 4 = 111582
    EXPECT_EQ(FormatTimecode(111582, 2997), "01:02:03:04");
    // 1500: 54000 + 2 x 900 + 3 x 15 + 4 = 55849
    EXPECT_EQ(FormatTimecode(55849, 1500), "01:02:03:04");
    // 5994: hour 215784, minute 359640 / 100 = 3596, F = 60: 215784 + 7192 + 180 + 4 = 223160
    EXPECT_EQ(FormatTimecode(223160, 5994), "01:02:03:04");
    // 2449: minute 1469 but F = 24, so 1468 frames are 61 s (shown 01) and 4 frames.
    EXPECT_EQ(FormatTimecode(1468, 2449), "00:00:01:04");
    // F = 200 at 20000: a frames field of three digits is written whole.
    EXPECT_EQ(FormatTimecode(199, 20000), "00:00:00:199");
    EXPECT_EQ(FormatTimecode(0, 3000), "00:00:00:00");
}

TEST(Timecode, HoursWrapAtTwelve) {
    EXPECT_EQ(FormatTimecode(11 * 108000 + 59 * 1800 + 59 * 30 + 29, 3000), "11:59:59:29");
    EXPECT_EQ(FormatTimecode(12 * 108000, 3000), "00:00:00:00");
    EXPECT_EQ(FormatTimecode(13 * 108000 + 5, 3000), "01:00:00:05");
    EXPECT_EQ(FormatTimecode(13 * 90000 + 5, 2500), "01:00:00:05");
}

TEST(Timecode, NegativeAndShortForms) {
    EXPECT_EQ(FormatTimecode(-1, 3000), "00:00:00.01");
    EXPECT_EQ(FormatTimecode(-111694, 3000), "01:02:03.04");
    EXPECT_EQ(FormatTimecode(111694, 3000, true), "02:03:04");
    EXPECT_EQ(FormatTimecode(-111694, 3000, true), "02:03.04");
    EXPECT_EQ(FormatTimecode(108000, 3000, true), "00:00:00");
    // The most negative count has no positive twin; it still gets a well-formed text.
    const std::string extreme = FormatTimecode(kMin, 3000);
    ASSERT_EQ(extreme.size(), 11u);
    EXPECT_EQ(extreme[8], '.');
    EXPECT_EQ(extreme.find_first_not_of("0123456789:."), std::string::npos);
}

TEST(Timecode, RatesWithoutWholeFramesFallBackToThirty) {
    EXPECT_EQ(WholeFramesPerSecond(0), 30);
    EXPECT_EQ(WholeFramesPerSecond(-2500), 30);
    EXPECT_EQ(WholeFramesPerSecond(49), 30);
    EXPECT_EQ(WholeFramesPerSecond(50), 1);
    EXPECT_EQ(WholeFramesPerSecond(2997), 30);
    EXPECT_EQ(FormatTimecode(108000, 0), "01:00:00:00");
    EXPECT_EQ(FormatTimecode(108000, -1), "01:00:00:00");
    EXPECT_EQ(ParseTimecode("1:00", 0), 30);
    EXPECT_EQ(ParseTimecode("1:00", std::numeric_limits<int>::min()), 30);
}

TEST(Timecode, ReadsGroupsFromTheRight) {
    // 25 fps: 1:2:3 is 1 minute (1500), 2 seconds (50) and 3 frames.
    EXPECT_EQ(ParseTimecode("1:2:3", 2500), 1553);
    EXPECT_EQ(ParseTimecode("01:02:03:04", 3000), 111694);
    // Any non-digit separates, including a minus sign that is not the first character.
    for (const char* text :
         {"1 2 3", "1.2.3", "1;2/3", "1h2m3f", "1-2-3", "  1::2 ,3  ", "1\t2\n3"}) {
        EXPECT_EQ(ParseTimecode(text, 2500), 1553) << text;
    }
    EXPECT_EQ(ParseTimecode("5", 3000), 5);
    EXPECT_EQ(ParseTimecode("7:", 3000), 7);
    EXPECT_EQ(ParseTimecode("0:90", 3000), 90);  // groups are not range-checked
    // Fields beyond hours are ignored.
    EXPECT_EQ(ParseTimecode("9:01:02:03:04", 3000), 111694);
    // Bytes outside ASCII, and an embedded NUL, separate like any other non-digit.
    EXPECT_EQ(ParseTimecode("\xff\xfe"
                            "1\x80"
                            "2",
                            3000),
              32);
    EXPECT_EQ(ParseTimecode(std::string_view("1\0"
                                             "2",
                                             3),
                            3000),
              32);
}

TEST(Timecode, LongDigitRunsSplitIntoPairsFromTheRight) {
    // 12345 reads as 1:23:45: 1800 + 23 x 30 + 45 = 2535.
    EXPECT_EQ(ParseTimecode("12345", 3000), 2535);
    EXPECT_EQ(ParseTimecode("123", 3000), 53);  // 1:23
    EXPECT_EQ(ParseTimecode("1020304", 3000), 111694);
    // 100000 nines: only 99:99:99:99 counts, 99 x (1 + 30 + 1800 + 108000) = 10873269.
    EXPECT_EQ(ParseTimecode(std::string(100000, '9'), 3000), 10873269);
    // A one followed by a million zeros: the four groups on the right are all zero.
    EXPECT_EQ(ParseTimecode("1" + std::string(1000000, '0'), 3000), 0);
    // At the largest rate F = 21474836: 99 + 99 x 21474836 x 3661 still fits.
    EXPECT_EQ(ParseTimecode("99:99:99:99", std::numeric_limits<int>::max()), 7783318085103);
}

TEST(Timecode, TextWithoutDigits) {
    EXPECT_EQ(ParseTimecode("", 3000, 500), 0);
    EXPECT_EQ(ParseTimecode("abc", 3000, 500), 0);
    EXPECT_EQ(ParseTimecode("   ", 3000, 500), 0);
    EXPECT_EQ(ParseTimecode("+", 3000, 500), 500);
    EXPECT_EQ(ParseTimecode("-", 3000, 500), 500);
    EXPECT_EQ(ParseTimecode("-xyz", 3000, 500), 500);
}

TEST(Timecode, SignMakesTheReadingRelative) {
    EXPECT_EQ(ParseTimecode("+10", 3000, 100), 110);
    EXPECT_EQ(ParseTimecode("-1:00", 3000, 100), 70);
    EXPECT_EQ(ParseTimecode("-1:00", 3000, 0), -30);
    EXPECT_EQ(ParseTimecode("+1:00:00:00", 2500, 7), 90007);
    EXPECT_EQ(ParseTimecode("  \t+5", 3000, 10), 15);  // leading blanks are skipped
    EXPECT_EQ(ParseTimecode("--5", 3000, 10), 5);      // the second "-" only separates
    // A sign anywhere else is a separator and the reading is absolute.
    EXPECT_EQ(ParseTimecode("5+", 3000, 10), 5);
    EXPECT_EQ(ParseTimecode("x+5", 3000, 10), 5);
    // Relative readings stop at the 64-bit limits.
    EXPECT_EQ(ParseTimecode("+99:99:99:99", 3000, kMax - 1), kMax);
    EXPECT_EQ(ParseTimecode("-99", 3000, kMin + 1), kMin);
    EXPECT_EQ(ParseTimecode("-0", 3000, kMin), kMin);
}

TEST(Timecode, NegativeTextReadsBackAsItsMagnitude) {
    // The full stop is only a separator: a written negative count reads as positive.
    EXPECT_EQ(ParseTimecode(FormatTimecode(-111694, 3000), 3000), 111694);
}

TEST(Timecode, RoundTripAtWholeHundredRates) {
    for (int rate : {2400, 2500, 3000, 1500, 6000}) {
        const int64_t hour = int64_t{rate} * 36;
        // Every count of the first minutes, then a stride over twelve hours.
        for (int64_t n = 0; n < 3 * hour / 60; ++n) {
            ASSERT_EQ(ParseTimecode(FormatTimecode(n, rate), rate), n) << rate << " " << n;
        }
        for (int64_t n = 0; n < 12 * hour; n += 7919) {
            ASSERT_EQ(ParseTimecode(FormatTimecode(n, rate), rate), n) << rate << " " << n;
        }
        // Twelve hours and more come back modulo twelve hours; the short form drops hours.
        EXPECT_EQ(ParseTimecode(FormatTimecode(12 * hour + 17, rate), rate), 17);
        EXPECT_EQ(ParseTimecode(FormatTimecode(hour + 17, rate, true), rate), 17);
    }
}

TEST(Timecode, RoundTripAtDropRateHoldsOnlyInsideTheFirstMinute) {
    // Writing at 2997 counts 1798 frames a minute and 107892 an hour, reading counts
    // F x 60 = 1800 and F x 3600 = 108000. So text read back equals the count only below 1798.
    for (int64_t n = 0; n < 1798; ++n) {
        ASSERT_EQ(ParseTimecode(FormatTimecode(n, 2997), 2997), n) << n;
    }
    EXPECT_EQ(FormatTimecode(1797, 2997), "00:00:59:27");
    EXPECT_EQ(FormatTimecode(1798, 2997), "00:01:00:00");
    EXPECT_EQ(ParseTimecode("00:01:00:00", 2997), 1800);
    EXPECT_EQ(ParseTimecode("01:02:03:04", 2997), 111694);  // written from 111582
    // 107892 / 1798 = 60 rest 12: the hour's last 12 frames show as its first minute 00.
    EXPECT_EQ(FormatTimecode(107880, 2997), "00:00:00:00");
    EXPECT_EQ(FormatTimecode(107891, 2997), "00:00:00:11");
    EXPECT_EQ(FormatTimecode(107892, 2997), "01:00:00:00");
    for (int64_t n = 1798; n < 107892; ++n) {
        ASSERT_NE(ParseTimecode(FormatTimecode(n, 2997), 2997), n) << n;
    }
}
