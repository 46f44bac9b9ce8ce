#include "OffscreenPlay.h"

#include <GL/gl.h>

#include <QCoreApplication>
#include <cmath>
#include <optional>

#include "model/Document.h"
#include "monitor/OffscreenMonitor.h"
#include "player/Player.h"
#include "player/QtAudioOutput.h"
#include "player/RealTimePlayLoop.h"
#include "player/SoundClip.h"
#include "player/TimerTicks.h"
#include "player/WaveFileOutput.h"

namespace quillon::cli {

namespace {

// The offscreen monitor as the loop's screen: each frame rendered and finished, nothing else
// to draw; full screen is only the rule that every frame is drawn.
class OffscreenPresenter final : public FramePresenter {
  public:
    // The monitor's context is made current here, once: nothing else draws in this process.
    OffscreenPresenter(Document& doc, OffscreenMonitor& monitor, bool fullScreen)
        : doc_(doc), monitor_(monitor), fullScreen_(fullScreen) {
        monitor_.context().MakeCurrent();
    }
    void ShowFrame(int frame, bool) override {
        doc_.UpdateViewsAtFrame(frame, Refresh::kPlay);
        monitor_.renderer().RenderFrame(true);
        // Drawn means finished: the next frame is not started on a frame still being drawn.
        glFinish();
    }
    bool FullScreen() const override { return fullScreen_; }
    void ToggleFullScreen() override { fullScreen_ = !fullScreen_; }
    void SetMenusEnabled(bool) override {}
    void PlayStopped() override {}

  private:
    Document& doc_;
    OffscreenMonitor& monitor_;
    bool fullScreen_;
};

// Nobody clicks or types at a command line's play.
class NoInput final : public PlayInputSource {
  public:
    void SetCapturing(bool) override {}
    std::optional<PlayInput> Take() override { return std::nullopt; }
};

// Play without sound: a clip player that plays nothing.
class SilentClip final : public ClipPlayer {
  public:
    void SetFileName(const QString& name) override { name_ = name; }
    QString fileName() const override { return name_; }
    bool OpenAndScan(int64_t, ScanMode) override { return false; }
    bool Play(int64_t) override { return false; }
    void Stop() override {}
    bool Playing() override { return false; }

  private:
    QString name_;
};

}  // namespace

OffscreenPlay::OffscreenPlay(Document& doc, OffscreenMonitor& monitor, Player& player,
                             const OffscreenPlayOptions& options)
    : player_(player) {
    presenter_ = std::make_unique<OffscreenPresenter>(doc, monitor, options.fullScreen);
    input_ = std::make_unique<NoInput>();
    ticks_ = std::make_unique<TimerTicks>();
    if (!options.recording.isEmpty()) {
        auto file = std::make_unique<WaveFileOutput>(options.recording, clock_);
        recording_ = file.get();
        recordingName_ = options.recording;
        output_ = std::move(file);
        QObject::connect(&pump_, &QTimer::timeout, [this] { recording_->Pump(); });
        pump_.start(2);
    } else {
        output_ = std::make_unique<QtAudioOutput>();
    }
    soundClip_ = std::make_unique<SoundClip>(doc, *output_);
    silent_ = std::make_unique<SilentClip>();
    ClipPlayer& clip = options.silent ? *silent_ : *soundClip_;
    loop_ = std::make_unique<RealTimePlayLoop>(
        PlayLoopParts{doc, player, clock_, *presenter_, *input_, clip, *ticks_});
    // No thread of a command line's run is raised above others.
    loop_->SetPriorityHook([](PlayPriority) {});
}

OffscreenPlay::~OffscreenPlay() {
    pump_.stop();
    loop_.reset();
}

void OffscreenPlay::Run(int mode, double seconds) {
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [this] {
        if (!loop_->running()) QCoreApplication::quit();
    });
    watch.start(5);
    QTimer limit;
    limit.setSingleShot(true);
    if (seconds > 0) {
        QObject::connect(&limit, &QTimer::timeout, [this] { player_.Stop(); });
        limit.start(int(std::lround(seconds * 1000)));
    }
    player_.Start(mode);
    if (loop_->running()) QCoreApplication::exec();
}

QString OffscreenPlay::FinishRecording() {
    if (!recording_) return QString();
    pump_.stop();
    recording_->Pump();
    const bool had = recording_->hasFile();
    if (had && !recording_->Finish())
        return QStringLiteral("Couldn't write file: ") + recordingName_;
    if (!had) return QStringLiteral("no sound was played; %1 not written").arg(recordingName_);
    return QString();
}

}  // namespace quillon::cli
