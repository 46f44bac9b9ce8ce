#include "ScreenPresenter.h"

#include <QAction>
#include <QMenuBar>

#include "PlayerPane.h"
#include "model/Document.h"
#include "monitor/MonitorWidget.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"

namespace quillon {

ScreenPresenter::ScreenPresenter(Document& doc, MonitorWidget& monitor, StageView& stage,
                                 TimelineView& timeline, PlayerPane& pane, QMenuBar& menus)
    : doc_(doc),
      monitor_(monitor),
      stage_(stage),
      timeline_(timeline),
      pane_(pane),
      menus_(menus) {}

void ScreenPresenter::ShowFrame(int frame, bool moveCamera) {
    const KeyFrame before = doc_.monitorCamera().pose;
    doc_.UpdateViewsAtFrame(frame, Refresh::kPlay);
    if (moveCamera) stage_.RedrawCamera(before);
    // Rendered even where no scene holds the frame, so that the next frame shown paces the
    // loop as every other does.
    if (MonitorWidget* full = monitor_.fullScreenWindow())
        full->update();
    else
        monitor_.update();
}

bool ScreenPresenter::FullScreen() const {
    return monitor_.fullScreen();
}

void ScreenPresenter::ToggleFullScreen() {
    monitor_.ToggleFullScreen();
}

void ScreenPresenter::SetMenusEnabled(bool on) {
    for (QAction* menu : menus_.actions())
        menu->setEnabled(on);
    pane_.SetPlaying(!on);
}

void ScreenPresenter::PlayStopped() {
    timeline_.GoToFrame(doc_.currentFrame(), true);
}

}  // namespace quillon
