#pragma once
// The play loop's pulse on screen: a round after each frame the monitor has shown (its swap,
// paced by the display's vertical blank and the monitor's half-frame pacing), so the loop draws
// as often as the screen shows. A frame that is never shown (a hidden window, a modal box over
// the loop) does not stop play: after a tenth of a second without a swap the next round runs
// anyway.

#include <QMetaObject>
#include <QTimer>
#include <functional>

#include "player/PlaySurroundings.h"

namespace quillon {

class MonitorWidget;

class SwapTicks final : public TickSource {
  public:
    explicit SwapTicks(MonitorWidget& monitor);
    ~SwapTicks() override;
    void Start(std::function<void()> round) override;
    void Stop() override;

  private:
    void Round();
    MonitorWidget& monitor_;
    QMetaObject::Connection swapped_;
    QTimer fallback_;
    std::function<void()> round_;
};

}  // namespace quillon
