// "&Make Movie" in the window: the settings dialog, the file dialog, then the frames rendered in
// the monitor's context at the movie's size, with a progress bar and a Cancel button.
#include <QCoreApplication>
#include <QProgressDialog>
#include <cstdio>
#include <memory>

#include "CommandContext.h"
#include "app/GuiHost.h"
#include "app/MainWindow.h"
#include "app/MovieSettingsDialog.h"
#include "model/Document.h"
#include "monitor/MonitorWidget.h"
#include "output/MovieJob.h"
#include "pictures/MovieSource.h"
#include "player/ShowSoundtrack.h"

namespace quillon {

namespace {

FileDialogRequest MovieFileRequest(const Document& doc, MovieFormat format) {
    FileDialogRequest request;
    request.startFolder = doc.projectFolder();
    switch (format) {
        case MovieFormat::kVrml:
            request.filter = QStringLiteral("VRML 2.0 Files (*.wrl)|*.wrl|All Files *.*|*.*||");
            request.defaultExtension = QStringLiteral("wrl");
            break;
        case MovieFormat::kTarga16:
        case MovieFormat::kTarga24:
            request.filter = QStringLiteral("Targa Files (*.tga)|*.tga|All Files *.*|*.*||");
            request.defaultExtension = QStringLiteral("tga");
            break;
        case MovieFormat::kAvi:
            request.filter = QStringLiteral("AVI Files (*.avi)|*.avi|All Files *.*|*.*||");
            request.defaultExtension = QStringLiteral("avi");
            break;
    }
    return request;
}

// The progress bar with its Cancel button; the loop looks at it once per frame.
class DialogProgress final : public MovieProgress {
  public:
    DialogProgress(QWidget* parent, const MovieRange& range)
        : dialog_(QStringLiteral("Making the movie..."), QStringLiteral("Cancel"), 0,
                  std::abs(range.end - range.start), parent),
          start_(range.start) {
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(300);
    }
    bool StopRequested() override {
        QCoreApplication::processEvents();
        return dialog_.wasCanceled();
    }
    void FrameShown(int32_t frame) override { dialog_.setValue(std::abs(frame - start_)); }
    void EndRun() override { dialog_.reset(); }

  private:
    QProgressDialog dialog_;
    int32_t start_;
};

}  // namespace

void MakeMovie(CommandContext& c) {
    MovieSettingsDialog dialog(c.doc, &c.window);
    if (dialog.exec() != QDialog::Accepted) return;
    MovieJob job = dialog.job();
    if (job.range.start == job.range.end) return;
    const std::optional<QString> path = c.host.SaveFileName(MovieFileRequest(c.doc, job.format));
    if (!path) return;
    job.fileName = *path;
    // FFmpeg's own notes go nowhere useful in a window; failures are ours to report.
    MovieSource::SilenceLibraryLog();
    if (job.format == MovieFormat::kVrml) {
        // Nothing is rendered: the movie maker writes the world.
        MovieProgress none;
        MakeMovie(c.doc, c.monitor.renderer(), job, none);
        return;
    }
    // The writer and the frame buffer refuse sizes and rates they cannot take, and the movie
    // maker whatever else it cannot make.
    MonitorMovieSource source(c.monitor, c.doc, c.media, c.textures, job.width, job.height);
    if (!source.valid()) return;
    // The sound tracks, when asked for: movies that carry no sound say so on stderr, as do
    // tracks that cannot be read.
    ShowSoundtrackResult sound;
    if (const QString note = SoundIgnoredReason(job); !note.isEmpty()) {
        std::fprintf(stderr, "quillon: %s\n", note.toUtf8().constData());
    } else if (job.includeSound) {
        sound = BuildShowSoundtrack(c.doc);
        for (const QString& skipped : sound.skipped)
            std::fprintf(stderr, "quillon: sound track left out: %s\n",
                         skipped.toUtf8().constData());
    }
    DialogProgress progress(&c.window, job.range);
    const MovieResult result = MakeMovie(c.doc, source, job, progress, &sound.sound);
    // A run that could not finish, or finished without some of its frames, says so.
    if (result.outcome == MovieOutcome::kEndedEarly)
        c.host.Error(QStringLiteral("The movie ended early"), result.error);
    else if (result.failedFrames > 0)
        c.host.Error(QStringLiteral("%1 frames could not be written").arg(result.failedFrames),
                     result.error);
}

}  // namespace quillon
