#pragma once
// The play loop's clock: a counter and its ticks per second. SteadyPlayClock counts the
// monotonic clock's nanoseconds; tests give a clock they move by hand.

#include <chrono>
#include <cstdint>

namespace quillon {

class PlayClock {
  public:
    virtual ~PlayClock() = default;
    // Counter ticks per second (never 0).
    virtual int64_t Frequency() const = 0;
    virtual int64_t Counter() const = 0;
};

class SteadyPlayClock final : public PlayClock {
  public:
    int64_t Frequency() const override { return 1000000000; }
    int64_t Counter() const override {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace quillon
