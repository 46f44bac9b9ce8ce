#pragma once
// Ctrl-C during a long command: while a CtrlC lives, SIGINT only raises a flag the command
// checks between its steps, so it can close what it writes and exit with 130.

#include <atomic>
#include <csignal>

namespace quillon::cli {

namespace detail {
inline std::atomic<bool> ctrlCPressed{false};
extern "C" inline void OnCtrlC(int) {
    ctrlCPressed = true;
}
}  // namespace detail

class CtrlC {
  public:
    CtrlC() {
        detail::ctrlCPressed = false;
        previous_ = std::signal(SIGINT, detail::OnCtrlC);
    }
    ~CtrlC() { std::signal(SIGINT, previous_); }
    CtrlC(const CtrlC&) = delete;
    CtrlC& operator=(const CtrlC&) = delete;
    static bool pressed() { return detail::ctrlCPressed; }

  private:
    void (*previous_)(int) = SIG_DFL;
};

}  // namespace quillon::cli
