#pragma once
// The input taken while the show plays: an event filter on the whole application that holds
// every key press and mouse click back from the widgets. A key press, a left double click on
// the monitor, a left click on a transport button (its command id) and a left click in the
// timeline (the frame under it) are kept for the play loop, which takes one each round; all
// other input (releases, moves, wheels, clicks elsewhere, menu shortcuts) is dropped. A modal
// box that comes up while playing gets its input as usual.

#include <QObject>
#include <deque>

#include "player/PlaySurroundings.h"

namespace quillon {

class TimelineView;

class PlayInputFilter final : public QObject, public PlayInputSource {
    Q_OBJECT
  public:
    explicit PlayInputFilter(TimelineView& timeline, QObject* parent = nullptr);
    ~PlayInputFilter() override;

    void SetCapturing(bool on) override;
    std::optional<PlayInput> Take() override;
    bool capturing() const { return capturing_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Keep(const PlayInput& input);

    TimelineView& timeline_;
    bool capturing_ = false;
    std::deque<PlayInput> inputs_;
};

}  // namespace quillon
