#pragma once
// TimerTicks: the loop's pulse where nothing is shown on a screen (the command line, the
// benchmarks): a zero-interval timer, so a round runs each time the event loop has nothing
// else to do, as fast as the machine allows and never waiting for a display.

#include <QObject>
#include <QTimer>
#include <functional>

#include "player/PlaySurroundings.h"

namespace quillon {

class TimerTicks final : public TickSource {
  public:
    TimerTicks() {
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // A copy: the round may stop and start the pulse again with a round of its own.
            const std::function<void()> round = round_;
            if (round) round();
        });
    }
    void Start(std::function<void()> round) override {
        round_ = std::move(round);
        timer_.start();
    }
    void Stop() override { timer_.stop(); }

  private:
    QTimer timer_;
    std::function<void()> round_;
};

}  // namespace quillon
