#include "Playback.h"

#include <QKeyEvent>
#include <QMainWindow>
#include <QMenuBar>

#include "PlayInputFilter.h"
#include "PlayerPane.h"
#include "ScreenPresenter.h"
#include "SwapTicks.h"
#include "model/Document.h"
#include "pictures/PictureMediaLoader.h"
#include "player/Player.h"
#include "player/QtAudioOutput.h"
#include "player/RealTimePlayLoop.h"
#include "player/SoundClip.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"

namespace quillon {

namespace {

QMenuBar& MenuBarOf(QWidget& window) {
    if (auto* main = qobject_cast<QMainWindow*>(&window)) return *main->menuBar();
    return *window.findChild<QMenuBar*>();
}

}  // namespace

Playback::Playback(Document& doc, Player& player, const PlaybackPanes& panes,
                   PictureMediaLoader& media)
    : doc_(doc), player_(player), timeline_(panes.timeline), media_(media) {
    clock_ = std::make_unique<SteadyPlayClock>();
    audio_ = std::make_unique<QtAudioOutput>();
    clip_ = std::make_unique<SoundClip>(doc, *audio_);
    presenter_ = std::make_unique<ScreenPresenter>(doc, panes.monitor, panes.stage, panes.timeline,
                                                   panes.pane, MenuBarOf(panes.window));
    input_ = std::make_unique<PlayInputFilter>(panes.timeline);
    ticks_ = std::make_unique<SwapTicks>(panes.monitor);
    loop_ = std::make_unique<RealTimePlayLoop>(
        PlayLoopParts{doc, player, *clock_, *presenter_, *input_, *clip_, *ticks_});
    // "Add &Sound": the clip player reads the chosen file and says how long it lasts.
    media_.SetSoundReader([this](const QString& path) -> std::optional<int> {
        clip_->SetFileName(path);
        if (!clip_->OpenAndScan(0, ScanMode::kScanOnly)) return std::nullopt;
        return int(std::min<int64_t>(clip_->LengthInFrames(), INT32_MAX));
    });
    panes.stage.installEventFilter(this);
    panes.stage.viewport()->installEventFilter(this);
}

Playback::~Playback() {
    media_.SetSoundReader(nullptr);
    loop_.reset();
}

bool Playback::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || player_.playing()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    switch (key->key()) {
        case Qt::Key_P:
            player_.Start(kPlayForwards);
            return true;
        case Qt::Key_0:
        case Qt::Key_O:
            timeline_.GoToFrame(0, true);
            player_.Start(kPlayForwards);
            return true;
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace quillon
