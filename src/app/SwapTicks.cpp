#include "SwapTicks.h"

#include "monitor/MonitorWidget.h"

namespace quillon {

SwapTicks::SwapTicks(MonitorWidget& monitor) : monitor_(monitor) {
    fallback_.setSingleShot(true);
    fallback_.setInterval(100);
    QObject::connect(&fallback_, &QTimer::timeout, [this] { Round(); });
}

SwapTicks::~SwapTicks() {
    Stop();
}

void SwapTicks::Start(std::function<void()> round) {
    Stop();
    round_ = std::move(round);
    swapped_ =
        QObject::connect(&monitor_, &MonitorWidget::frameShown, &monitor_, [this] { Round(); });
    fallback_.start();
}

void SwapTicks::Stop() {
    QObject::disconnect(swapped_);
    fallback_.stop();
    round_ = nullptr;
}

void SwapTicks::Round() {
    if (!round_) return;
    fallback_.start();
    // A copy: the round may stop this pulse and start it again.
    const std::function<void()> round = round_;
    round();
}

}  // namespace quillon
