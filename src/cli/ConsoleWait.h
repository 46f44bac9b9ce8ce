#pragma once
// The command line's wait for the tape recorder: Ctrl-C, or a time limit when one is given,
// ends it.

#include <QElapsedTimer>

#include "Interrupt.h"
#include "tape/VtrLink.h"

namespace quillon::cli {

class ConsoleWait final : public WaitControl {
  public:
    // seconds <= 0: no time limit.
    explicit ConsoleWait(double seconds = 0) : limitMs_(seconds > 0 ? qint64(seconds * 1000) : -1) {
        clock_.start();
    }
    bool StopRequested() override {
        return CtrlC::pressed() || (limitMs_ >= 0 && clock_.elapsed() >= limitMs_);
    }

  private:
    CtrlC ctrlC_;
    qint64 limitMs_;
    QElapsedTimer clock_;
};

}  // namespace quillon::cli
