#include "BatchCommands.h"

#include <poll.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <string>
#include <utility>

#include "ConsoleWait.h"
#include "Interrupt.h"
#include "Json.h"
#include "MovieOptions.h"
#include "OffscreenPlay.h"
#include "OffscreenSession.h"
#include "SlurmBatch.h"
#include "model/ShowFiles.h"
#include "monitor/OffscreenMonitor.h"
#include "pictures/MovieSource.h"
#include "player/Player.h"
#include "player/RealTimePlayLoop.h"
#include "tape/Batch.h"
#include "tape/VtrLink.h"

namespace quillon::cli {

namespace {

void Say(const QString& text) {
    std::fprintf(stderr, "quillon-cli: %s\n", text.toUtf8().constData());
}

// One line per pass on stderr; the AVI passes add the movie's progress bar on a terminal.
class ConsoleBatchReport : public BatchProgress {
  public:
    explicit ConsoleBatchReport(int shows) : shows_(shows) {}
    void PassStarted(int show, const QString& name, bool) override {
        Say(QStringLiteral("show %1 of %2: %3").arg(show + 1).arg(shows_).arg(name));
    }
    void PassLogged(const QString& in, const QString& out) override {
        Say(QStringLiteral("  %1 to %2").arg(in, out));
    }
    void Note(const QString& text) override { Say(QStringLiteral("note: ") + text); }

  private:
    int shows_;
};

// The AVI batch: the progress bar starts again for each pass, over the show just read.
class ConsoleAviReport final : public ConsoleBatchReport {
  public:
    ConsoleAviReport(int shows, const Document& doc, ConsoleProgress& progress)
        : ConsoleBatchReport(shows), doc_(doc), progress_(progress) {}
    void PassStarted(int show, const QString& name, bool reverse) override {
        ConsoleBatchReport::PassStarted(show, name, reverse);
        progress_.Restart(0, doc_.TotalFrames());
    }

  private:
    const Document& doc_;
    ConsoleProgress& progress_;
};

// The tape batch offscreen: every frame drawn into the offscreen monitor in real time, the
// sound on the sound device, the operator at the terminal.
class ConsoleTapeStage final : public TapeStage {
  public:
    ConsoleTapeStage(int shows, Document& doc, OffscreenMonitor& monitor, Player& player,
                     OffscreenPlay& play)
        : report_(shows), doc_(doc), monitor_(monitor), player_(player), play_(play) {
        clock_.start();
        // Ctrl-C stops play at the next tick; the batch then ends as stopped before the end.
        play_.loop().SetTickObserver([this](int64_t, int, int64_t) {
            if (CtrlC::pressed()) player_.Stop();
        });
    }

    void PassStarted(int show, const QString& name, bool reverse) override {
        report_.PassStarted(show, name, reverse);
    }
    void PassLogged(const QString& in, const QString& out) override { report_.PassLogged(in, out); }
    void Note(const QString& text) override { report_.Note(text); }

    // Waits for Enter on stdin; Ctrl-C or the end of the input calls the batch off.
    bool AskForRecord(const QString& message) override {
        Say(message + QStringLiteral(" (press Enter when it records, Ctrl-C to call it off)"));
        for (;;) {
            if (CtrlC::pressed()) return false;
            pollfd in{.fd = STDIN_FILENO, .events = POLLIN, .revents = 0};
            const int ready = poll(&in, 1, 50);
            QCoreApplication::processEvents();
            if (ready <= 0) continue;
            char c = 0;
            const ssize_t n = read(STDIN_FILENO, &c, 1);
            if (n <= 0) {
                Say(QStringLiteral("no answer: the input ended"));
                return false;
            }
            if (c == '\n') return true;
        }
    }
    void Beep() override {
        if (isatty(STDERR_FILENO)) std::fputc('\a', stderr);
    }
    void DrawFrame(int frame) override { monitor_.DrawFrame(frame); }
    void PaintSlate(const QString& name) override { Say(QStringLiteral("slate: ") + name); }
    void Wait(int milliseconds) override {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < milliseconds && !CtrlC::pressed()) {
            QCoreApplication::processEvents();
            QThread::msleep(std::min<qint64>(5, std::max<qint64>(1, milliseconds - t.elapsed())));
        }
    }
    int Play(int mode) override {
        if (CtrlC::pressed()) return doc_.currentFrame();
        play_.Run(mode);
        return doc_.currentFrame();
    }
    WaitControl& recordWait() override { return wait_; }
    int64_t NowMs() override { return clock_.elapsed(); }

  private:
    ConsoleBatchReport report_;
    ConsoleWait wait_;
    Document& doc_;
    OffscreenMonitor& monitor_;
    Player& player_;
    OffscreenPlay& play_;
    QElapsedTimer clock_;
};

// Options that the shows' own passes on Slurm take over unchanged.
const char* const kPassedValues[] = {"--start", "--hold-start", "--hold-end", "--fps",
                                     "--size",  "--codec",      "--fields"};
const char* const kPassedFlags[] = {"--reverse", "--sound"};

int HoldSeconds(const Args& args, const char* name, int profileValue) {
    const auto text = args.Value(name);
    if (!text) return profileValue;
    const int v = ParseInt32(*text, name);
    if (v < 0 || v > BatchSettings::kMostHoldSeconds)
        throw Failure{std::string(name) + " is whole seconds from 0 to " +
                      std::to_string(BatchSettings::kMostHoldSeconds) + ": " + *text};
    return v;
}

int Finish(const BatchResult& result) {
    std::string line = "{\"completed\": ";
    line += result.completed ? "true" : "false";
    line += ", \"passes\": ";
    json::Int(line, result.passes);
    line += "}\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    if (result.completed) return 0;
    if (CtrlC::pressed()) {
        Say(result.failedShow.isEmpty()
                ? QStringLiteral("batch called off")
                : QStringLiteral("batch called off at ") + result.failedShow);
        return 130;
    }
    if (result.error == QStringLiteral("stopped")) throw Failure{"batch called off"};
    if (result.failedShow.isEmpty()) throw Failure{result.error.toStdString()};
    throw Failure{"batch ended at " + result.failedShow.toStdString() + ": " +
                  result.error.toStdString()};
}

}  // namespace

int CmdBatch(std::vector<std::string> words, Profile& profile) {
    const Args args(std::move(words), {"--avi", "--reverse", "--video", "--a1", "--a2", "--wait",
                                       "--collect", "--sound", "--no-audio"});
    args.Allow({"--avi",      "--reverse", "--log",       "--start", "--hold-start",
                "--hold-end", "--port",    "--video",     "--a1",    "--a2",
                "--no-audio", "--fps",     "--size",      "--codec", "--fields",
                "--sound",    "--engine",  "--partition", "--wait",  "--collect"});
    if (args.positionals().empty()) throw Failure{"batch needs at least one show"};
    if (args.positionals().size() > size_t(BatchSettings::kMostShows))
        throw Failure{"a batch holds at most " + std::to_string(BatchSettings::kMostShows) +
                      " shows; " + std::to_string(args.positionals().size()) + " were given"};
    const bool avi = args.Has("--avi");
    const std::string engine = args.Value("--engine").value_or("local");
    if (engine != "local" && engine != "slurm")
        throw Failure{"the engine is local or slurm: " + engine};
    const bool slurm = engine == "slurm";
    if (slurm && !avi) throw Failure{"--engine slurm makes AVI files: add --avi"};
    if (slurm && args.Has("--collect")) throw Failure{"--collect is the last step of a batch"};
    if (!slurm && (args.Has("--partition") || args.Has("--wait")))
        throw Failure{"--partition and --wait go with --engine slurm"};
    if (args.Has("--collect") && !avi) throw Failure{"--collect checks AVI files: add --avi"};
    if (avi && (args.Has("--port") || args.Has("--video") || args.Has("--a1") || args.Has("--a2")))
        throw Failure{"--port, --video, --a1 and --a2 are for tape, not --avi"};
    if (!args.Has("--port") && (args.Has("--video") || args.Has("--a1") || args.Has("--a2")))
        throw Failure{"--video, --a1 and --a2 go with --port"};
    if (!avi &&
        (args.Has("--fps") || args.Has("--codec") || args.Has("--fields") || args.Has("--sound")))
        throw Failure{"--fps, --codec, --fields and --sound are for --avi"};

    // The dialog's opening values, then the options over them. Reverse and AVI mode are the
    // options' alone, so that a profile never turns a tape batch into files.
    const int profileRate = settings::Get(profile, settings::kFrameRate);
    BatchSettings s = BatchSettings::FromProfile(profile, profileRate, 0);
    s.reverse = args.Has("--reverse");
    s.makeAvi = avi;
    s.startHold = HoldSeconds(args, "--hold-start", s.startHold);
    s.endHold = HoldSeconds(args, "--hold-end", s.endHold);
    if (const auto start = args.Value("--start")) {
        s.startTimecode = ParseFrameTimecode(*start, profileRate, "start");
        s.startText = QString::fromStdString(FormatTimecode(s.startTimecode, profileRate));
    }
    for (const std::string& show : args.positionals()) {
        const QFileInfo info(QString::fromStdString(show));
        if (!info.isFile()) throw Failure{"no such show: " + show};
        s.shows << info.absoluteFilePath();
    }
    if (const auto log = args.Value("--log"))
        s.logName = *log == "None" ? QStringLiteral("None")
                                   : QFileInfo(QString::fromStdString(*log)).absoluteFilePath();
    s.video = args.Has("--video");
    s.audio1 = args.Has("--a1");
    s.audio2 = args.Has("--a2");
    if (const QString refusal = s.Refusal(); !refusal.isEmpty())
        throw Failure{refusal.toStdString()};

    if (slurm) {
        SlurmBatchRequest request;
        request.settings = s;
        request.cli = QCoreApplication::applicationFilePath();
        request.profile = profile.path();
        request.partition = QString::fromStdString(args.Value("--partition").value_or(""));
        for (const char* name : kPassedValues)
            if (const auto v = args.Value(name))
                request.passOptions << QString::fromLatin1(name) << QString::fromStdString(*v);
        for (const char* name : kPassedFlags)
            if (args.Has(name)) request.passOptions << QString::fromLatin1(name);
        return RunSlurmBatch(request, args.Has("--wait"));
    }

    MovieJob movie;
    Size size{};
    if (avi) {
        movie = MovieJobFromOptions(args, profile);
        movie.includeSound = args.Has("--sound");
        size = {movie.width, movie.height};
    } else {
        size = MovieSize(args, profile);
    }
    Session session(profile, size);
    Document& doc = *session.doc;
    ShowFiles files(doc);

    if (args.Has("--collect")) {
        ConsoleBatchReport report(int(s.shows.size()));
        return Finish(CollectAviBatch(doc, files, s, report));
    }
    if (avi) {
        MovieSource::SilenceLibraryLog();
        ConsoleProgress progress(0, 1);
        ConsoleAviReport report(int(s.shows.size()), doc, progress);
        const BatchResult result =
            RunAviBatch(doc, files, s, movie, session.monitor->renderer(), progress, report);
        for (const QString& m : session.host.messages)
            Say(QStringLiteral("warning: ") + m);
        return Finish(result);
    }

    Player player(doc);
    const OffscreenPlayOptions options{.fullScreen = false, .silent = args.Has("--no-audio")};
    OffscreenPlay play(doc, *session.monitor, player, options);
    // Its wait for the recorder takes Ctrl-C for the whole batch.
    ConsoleTapeStage stage(int(s.shows.size()), doc, *session.monitor, player, play);
    VtrLink link;
    const QString device = QString::fromStdString(args.Value("--port").value_or(""));
    const BatchResult result = RunTapeBatch(doc, files, s, link, device, stage);
    for (const QString& m : session.host.messages)
        Say(QStringLiteral("warning: ") + m);
    return Finish(result);
}

}  // namespace quillon::cli
