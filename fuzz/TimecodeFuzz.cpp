// Reads arbitrary text as timecode at usual, odd and nonsensical rates and old values, writes
// the result back, and checks what must hold whatever the text.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "model/Timecode.h"

using namespace quillon;

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool StartsWithSign(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\n\r\v\f");
    return first != std::string::npos && (text[first] == '+' || text[first] == '-');
}

void CheckText(const std::string& text, bool negative, bool shortForm) {
    Check(text.find_first_not_of("0123456789:.") == std::string::npos);
    const size_t colons = std::count(text.begin(), text.end(), ':');
    const size_t stops = std::count(text.begin(), text.end(), '.');
    Check(colons + stops == (shortForm ? 2u : 3u));
    Check(stops == (negative ? 1u : 0u));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    static constexpr int kRates[] = {2400,
                                     2500,
                                     2997,
                                     3000,
                                     1500,
                                     5994,
                                     0,
                                     -1,
                                     49,
                                     50,
                                     std::numeric_limits<int>::max(),
                                     std::numeric_limits<int>::min()};
    static constexpr int64_t kOld[] = {
        0, 1, -1, 108000, std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()};
    const int rate = in.ConsumeBool() ? in.PickValueInArray(kRates) : in.ConsumeIntegral<int>();
    const int64_t old =
        in.ConsumeBool() ? in.PickValueInArray(kOld) : in.ConsumeIntegral<int64_t>();
    const std::string text = in.ConsumeRemainingBytesAsString();

    const int64_t value = ParseTimecode(text, rate, old);
    if (!StartsWithSign(text)) {
        // An absolute reading is at most 99:99:99:99.
        const int64_t fps = WholeFramesPerSecond(rate);
        Check(value >= 0 && value <= 99 + 99 * fps * (1 + 60 + 3600));
    }

    for (bool shortForm : {false, true}) {
        CheckText(FormatTimecode(value, rate, shortForm), value < 0, shortForm);
    }

    // At rates of whole frames per second the text reads back as the magnitude modulo
    // twelve hours, as long as the frames field has two digits (below 100 fps).
    if (rate > 0 && rate % 100 == 0 && rate < 10000) {
        const uint64_t magnitude =
            value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
        const uint64_t twelveHours = uint64_t(rate) * 36 * 12;
        Check(ParseTimecode(FormatTimecode(value, rate), rate) ==
              static_cast<int64_t>(magnitude % twelveHours));
    }
    return 0;
}
