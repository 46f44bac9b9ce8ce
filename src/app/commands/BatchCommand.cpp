// "Batch Record/AVI" in the window: the save question, the Record to Tape dialog, the movie
// settings in AVI mode, then the batch itself. AVI passes render in the monitor's context with a
// progress bar; the tape batch plays each show on the full-screen monitor through the play loop,
// with the slate painted over it and the operator's message box when there is no recorder port.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <functional>

#include "CommandContext.h"
#include "app/GuiHost.h"
#include "app/MainWindow.h"
#include "app/MovieSettingsDialog.h"
#include "app/RecordToTapeDialog.h"
#include "model/Document.h"
#include "model/ShowFiles.h"
#include "monitor/MonitorWidget.h"
#include "output/MovieJob.h"
#include "pictures/MovieSource.h"
#include "player/Player.h"
#include "tape/Batch.h"
#include "tape/VtrLink.h"

namespace quillon {

namespace {

// Runs the event loop for a while, so the window stays alive; stop ends it early.
void Pause(int milliseconds, const std::function<bool()>& stop) {
    QElapsedTimer t;
    t.start();
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (t.elapsed() >= milliseconds || stop()) loop.quit();
    });
    tick.start(5);
    if (t.elapsed() < milliseconds && !stop()) loop.exec();
}

// The AVI passes: one progress bar over each pass, its label naming the show; Cancel ends the
// batch at the next frame.
class BatchProgressDialog final : public BatchProgress, public MovieProgress {
  public:
    BatchProgressDialog(QWidget* parent, const Document& doc, int shows)
        : dialog_(QString(), QStringLiteral("Cancel"), 0, 1, parent), doc_(doc), shows_(shows) {
        dialog_.setWindowTitle(QStringLiteral("Batch Record/AVI"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(0);
    }
    // BatchProgress
    void PassStarted(int show, const QString& name, bool) override {
        dialog_.setLabelText(
            QStringLiteral("Show %1 of %2: %3").arg(show + 1).arg(shows_).arg(name));
        dialog_.setRange(0, std::max(1, doc_.TotalFrames()));
        dialog_.setValue(0);
    }
    void Note(const QString& text) override { notes_ << text; }
    const QStringList& notes() const { return notes_; }
    // MovieProgress
    bool StopRequested() override {
        QCoreApplication::processEvents();
        return dialog_.wasCanceled();
    }
    void FrameShown(int32_t frame) override {
        dialog_.setValue(std::clamp(frame, 0, dialog_.maximum()));
    }

  private:
    QProgressDialog dialog_;
    const Document& doc_;
    int shows_;
    QStringList notes_;
};

// The wait for the recorder to record: a box with Cancel; a key press in it ends the wait too.
class RecorderWait final : public WaitControl {
  public:
    explicit RecorderWait(QWidget* parent)
        : box_(QStringLiteral("Waiting for the recorder to record..."), QStringLiteral("Cancel"), 0,
               0, parent) {
        box_.setWindowTitle(QStringLiteral("Batch Record/AVI"));
        box_.setWindowModality(Qt::ApplicationModal);
        box_.setMinimumDuration(0);
        box_.installEventFilter(&keys_);
    }
    void Show() { box_.show(); }
    void Hide() { box_.hide(); }
    bool StopRequested() override {
        QCoreApplication::processEvents();
        return box_.wasCanceled() || keys_.pressed;
    }

  private:
    struct KeyWatch final : QObject {
        bool pressed = false;
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) pressed = true;
            return false;
        }
    } keys_;
    QProgressDialog box_;
};

// The tape batch on the screen: the monitor full screen, the play loop, the operator's boxes.
class ScreenTapeStage final : public TapeStage {
  public:
    ScreenTapeStage(CommandContext& c) : c_(c), wait_(&c.window) { clock_.start(); }

    void EnterFullScreen() override {
        if (!c_.monitor.fullScreen()) c_.monitor.ToggleFullScreen();
    }
    void LeaveFullScreen() override {
        c_.monitor.ClearSlate();
        if (c_.monitor.fullScreen()) c_.monitor.ToggleFullScreen();
    }
    bool AskForRecord(const QString& message) override {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Quillon"), message,
                        QMessageBox::Ok, Screen());
        box.exec();
        return true;
    }
    void Beep() override { c_.host.Beep(BeepKind::Asterisk); }
    void DrawFrame(int frame) override {
        c_.monitor.ClearSlate();
        c_.doc.UpdateViewsAtFrame(frame);
        Screen()->repaint();
    }
    void PaintSlate(const QString& name) override { c_.monitor.ShowSlate(name, c_.pictureMode); }
    void Wait(int milliseconds) override {
        Pause(milliseconds, [] { return false; });
    }
    int Play(int mode) override {
        if (!c_.player.Start(mode)) return c_.doc.currentFrame();
        // The loop marks itself playing at its first round; it is over once stopped and out.
        Pause(INT_MAX, [this] { return c_.player.mode() == kStopped && !c_.player.playing(); });
        return c_.doc.currentFrame();
    }
    WaitControl& recordWait() override {
        wait_.Show();
        return wait_;
    }
    void PassStarted(int, const QString&, bool) override { wait_.Hide(); }
    void Note(const QString& text) override { notes_ << text; }
    int64_t NowMs() override { return clock_.elapsed(); }
    const QStringList& notes() const { return notes_; }

  private:
    QWidget* Screen() {
        return c_.monitor.fullScreenWindow() ? static_cast<QWidget*>(c_.monitor.fullScreenWindow())
                                             : &c_.monitor;
    }
    CommandContext& c_;
    RecorderWait wait_;
    QElapsedTimer clock_;
    QStringList notes_;
};

void Report(CommandContext& c, const BatchResult& result, const QStringList& notes) {
    if (!notes.isEmpty()) c.host.SetStatusText(notes.join(QStringLiteral("; ")));
    if (result.completed || result.error == QStringLiteral("stopped")) return;
    c.host.Error(result.failedShow.isEmpty()
                     ? QStringLiteral("The batch could not run")
                     : QStringLiteral("The batch ended at %1").arg(result.failedShow),
                 result.error);
}

}  // namespace

void BatchRecord(CommandContext& c) {
    if (c.doc.modified() && c.host.AskYesNo(QStringLiteral("Do you want to save current show?")))
        c.files.SaveShowAs();
    RecordToTapeDialog dialog(c.doc, &c.window);
    if (dialog.exec() != QDialog::Accepted) return;
    const BatchSettings settings = dialog.settings();

    if (settings.makeAvi) {
        MovieSettingsDialog movieDialog(c.doc, &c.window);
        if (movieDialog.exec() != QDialog::Accepted) return;
        MovieJob movie = movieDialog.job();
        MovieSource::SilenceLibraryLog();
        MonitorMovieSource source(c.monitor, c.doc, c.media, c.textures, movie.width, movie.height);
        if (!source.valid()) return;
        BatchProgressDialog progress(&c.window, c.doc, int(settings.shows.size()));
        const BatchResult result =
            RunAviBatch(c.doc, c.files, settings, movie, source, progress, progress);
        c.host.Beep(BeepKind::Asterisk);
        Report(c, result, progress.notes());
        return;
    }
    ScreenTapeStage stage(c);
    VtrLink link;
    const BatchResult result =
        RunTapeBatch(c.doc, c.files, settings, link, VtrDevice(c.profile, settings.port), stage);
    c.host.Beep(BeepKind::Asterisk);
    Report(c, result, stage.notes());
}

}  // namespace quillon
