#include "RenderCommands.h"

#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "ConsoleHost.h"
#include "MovieOptions.h"
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
    MovieJob job = MovieJobFromOptions(args, profile);
    const Size size{job.width, job.height};
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
