#include "RenderCommands.h"

#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "ConsoleHost.h"
#include "OffscreenSession.h"
#include "model/Document.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/Timecode.h"
#include "monitor/OffscreenMonitor.h"
#include "monitor/ReticlePainter.h"
#include "output/MovieJob.h"
#include "pictures/MovieSource.h"
#include "player/ShowSoundtrack.h"

namespace quillon::cli {

namespace {

std::atomic<bool> interrupted{false};
extern "C" void OnInterrupt(int) {
    interrupted = true;
}

// Ctrl-C stops the run at the next frame, so the movie is closed properly.
class ConsoleProgress final : public MovieProgress {
  public:
    ConsoleProgress(int32_t start, int32_t end) : start_(start), end_(end) {
        bar_ = isatty(STDERR_FILENO) != 0;
        previous_ = std::signal(SIGINT, OnInterrupt);
        interrupted = false;
    }
    ~ConsoleProgress() override {
        std::signal(SIGINT, previous_);
        if (bar_ && shown_) std::fputc('\n', stderr);
    }
    bool StopRequested() override { return interrupted; }
    void FrameShown(int32_t frame) override {
        if (!bar_) return;
        const int span = end_ > start_ ? end_ - start_ : 1;
        int percent = static_cast<int>((int64_t(frame) - start_) * 100 / span);
        percent = std::clamp(percent, 0, 100);
        const int filled = percent * 30 / 100;
        std::fprintf(stderr, "\r[%.*s%.*s] %3d%%  frame %d", filled,
                     "==============================", 30 - filled,
                     "                              ", percent, frame);
        std::fflush(stderr);
        shown_ = true;
    }

  private:
    int32_t start_, end_;
    bool bar_ = false;
    bool shown_ = false;
    void (*previous_)(int) = SIG_DFL;
};

MovieFormat ParseFormat(const std::string& text) {
    if (text == "avi") return MovieFormat::kAvi;
    if (text == "vrml") return MovieFormat::kVrml;
    if (text == "tga16") return MovieFormat::kTarga16;
    if (text == "tga24") return MovieFormat::kTarga24;
    throw Failure{"unknown format (avi, tga16, tga24 or vrml): " + text};
}

MovieCodec ParseCodec(const std::string& text) {
    static const char* names[] = {"raw", "mjpeg", "ffv1", "mpeg4", "h264"};
    for (int i = 0; i < kMovieCodecCount; ++i)
        if (text == names[i]) return MovieCodecFromIndex(i);
    throw Failure{"unknown codec (raw, mjpeg, ffv1, mpeg4 or h264): " + text};
}

int ParseFields(const std::string& text) {
    if (text == "frames") return 0;
    if (text == "even") return 1;
    if (text == "odd") return 2;
    throw Failure{"unknown field mode (frames, even or odd): " + text};
}

float ParseRate(const std::string& text) {
    float rate = 0;
    try {
        size_t used = 0;
        rate = std::stof(text, &used);
        if (used != text.size()) throw Failure{"bad frame rate: " + text};
    } catch (const std::exception&) {
        throw Failure{"bad frame rate: " + text};
    }
    if (!(rate > 0) || rate > 1000)
        throw Failure{"frame rate must be above 0 and at most 1000: " + text};
    return rate;
}

}  // namespace

int CmdFrame(std::vector<std::string> words, Profile& profile) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    const Args args(std::move(words), {"--reticle"});
    args.Allow({"--out", "--frame", "--size", "--reticle"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"frame needs -o OUT.png"};
    const auto frameText = args.Value("--frame");
    if (!frameText) throw Failure{"frame needs --frame F"};
    const int frame = ParseInt32(*frameText, "frame");
    const Size size = MovieSize(args, profile);

    Session session(profile, args.positionals()[0], size);
    const int total = session.doc->TotalFrames();
    if (frame < 0 || frame >= total || !session.doc->SceneAt(frame))
        throw Failure{"frame " + std::to_string(frame) +
                      " is in no scene of the show (frames 0 to " + std::to_string(total - 1) +
                      ")"};
    QImage image = session.monitor->RenderImage(frame);
    if (image.isNull()) throw Failure{"the frame could not be rendered"};
    if (args.Has("--reticle")) {
        QPainter painter(&image);
        PaintReticle(painter, ReticleFor(image.width(), image.height(),
                                         session.doc->settings().reticleRatio));
    }
    QSaveFile file(QString::fromStdString(*out));
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        throw Failure{"Couldn't write file: " + *out};
    return 0;
}

int CmdRender(std::vector<std::string> words, Profile& profile) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    const Args args(std::move(words), {"--sound"});
    args.Allow({"--out", "--format", "--start", "--end", "--fps", "--size", "--fields", "--codec",
                "--sound"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"render needs -o OUT"};

    // The movie settings as the dialog would open them, then the options over them.
    MovieJob job = ReadMovieJob(profile, settings::Get(profile, settings::kFrameRate), 0);
    if (const auto f = args.Value("--format")) job.format = ParseFormat(*f);
    const Size size = MovieSize(args, profile, job.format != MovieFormat::kVrml);
    job.width = size.width;
    job.height = size.height;
    if (const auto f = args.Value("--fields")) job.fieldMode = ParseFields(*f);
    if (const auto c = args.Value("--codec")) job.codec = ParseCodec(*c);
    if (const auto f = args.Value("--fps")) job.frameRate = ParseRate(*f);
    if (!(job.frameRate > 0)) throw Failure{"the profile's movie frame rate is not above 0"};
    // The sound tracks go in only when asked for here, whatever the dialog last chose.
    job.includeSound = args.Has("--sound");

    Session session(profile, args.positionals()[0], size);
    Document& doc = *session.doc;
    const int showRate = doc.frameRate();
    const int32_t total = doc.TotalFrames();
    int32_t start = 0, end = total;
    if (const auto s = args.Value("--start")) start = ParseFrameTimecode(*s, showRate, "start");
    if (const auto e = args.Value("--end")) end = ParseFrameTimecode(*e, showRate, "end");
    if (job.format != MovieFormat::kVrml && (start < 0 || end > total || start >= end))
        throw Failure{"frames " + FormatTimecode(start, showRate) + " to " +
                      FormatTimecode(end, showRate) + " are not a range of the show (" +
                      FormatTimecode(0, showRate) + " to " + FormatTimecode(total, showRate) + ")"};
    job.range.start = start;
    job.range.end = end;
    job.fileName = QString::fromStdString(*out);
    ShowSoundtrackResult sound;
    if (const QString note = SoundIgnoredReason(job); !note.isEmpty()) {
        std::fprintf(stderr, "quillon-cli: note: %s\n", note.toUtf8().constData());
    } else if (job.includeSound) {
        sound = BuildShowSoundtrack(doc);
        for (const QString& skipped : sound.skipped)
            std::fprintf(stderr, "quillon-cli: warning: sound track left out: %s\n",
                         skipped.toUtf8().constData());
    }

    // FFmpeg's own notes would break the progress line; failures are reported by us.
    MovieSource::SilenceLibraryLog();
    ConsoleProgress progress(start, end);
    const MovieResult result =
        MakeMovie(doc, session.monitor->renderer(), job, progress, &sound.sound);
    for (const QString& m : session.host.messages)
        std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
    if (result.failedFrames > 0)
        std::fprintf(stderr, "quillon-cli: warning: %d frames could not be written (%s)\n",
                     result.failedFrames, result.error.toUtf8().constData());
    const std::string reason =
        result.error.isEmpty() ? std::string() : " (" + result.error.toStdString() + ")";
    switch (result.outcome) {
        case MovieOutcome::kWritten:
            return 0;
        case MovieOutcome::kStopped:
            std::fprintf(stderr, "quillon-cli: cancelled; what was written is closed and plays\n");
            return 130;
        case MovieOutcome::kNotOpened:
            throw Failure{"Couldn't write file: " + *out + reason};
        case MovieOutcome::kEndedEarly:
            break;
    }
    throw Failure{"the movie ended early (a frame could not be written): " + *out + reason};
}

}  // namespace quillon::cli
