#pragma once
// The play loop's screen in the window: Show-frame makes the frame current as a frame of play
// (the monitor renders it, the readouts and, with "Moving &Timeline", the timeline follow; the
// stage plan stays as it is, only its camera symbol moving when asked), the monitor's full
// screen, the menus and "PLY" while playing forwards, and the views brought up to date when
// play stops.

#include "player/PlaySurroundings.h"

class QMenuBar;

namespace quillon {

class Document;
class MonitorWidget;
class PlayerPane;
class StageView;
class TimelineView;

class ScreenPresenter final : public FramePresenter {
  public:
    ScreenPresenter(Document& doc, MonitorWidget& monitor, StageView& stage, TimelineView& timeline,
                    PlayerPane& pane, QMenuBar& menus);

    void ShowFrame(int frame, bool moveCamera) override;
    bool FullScreen() const override;
    void ToggleFullScreen() override;
    void SetMenusEnabled(bool on) override;
    void PlayStopped() override;

  private:
    Document& doc_;
    MonitorWidget& monitor_;
    StageView& stage_;
    TimelineView& timeline_;
    PlayerPane& pane_;
    QMenuBar& menus_;
};

}  // namespace quillon
