#include "RenderCommands.h"

#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QString>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "ConsoleHost.h"
#include "model/Document.h"
#include "model/DurableFile.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/Timecode.h"
#include "monitor/OffscreenMonitor.h"
#include "monitor/ReticlePainter.h"
#include "output/MovieJob.h"
#include "pictures/MovieSource.h"

namespace quillon::cli {

namespace {

constexpr int kMaxSide = 4096;

struct Size {
    int width = 0;
    int height = 0;
};

// The picture size: the profile's "Movie" Width and Height unless --size WxH is given.
// Refused outside 1 .. 4096 a side, unless `check` is off (a VRML world has no picture).
Size MovieSize(const Args& args, const Profile& profile, bool check = true) {
    Size s{settings::Get(profile, settings::kMovieWidth),
           settings::Get(profile, settings::kMovieHeight)};
    std::string source = "the profile says ";
    if (const auto text = args.Value("--size")) {
        const size_t x = text->find('x');
        if (x == std::string::npos) throw Failure{"bad size (WxH expected): " + *text};
        s = {ParseInt32(text->substr(0, x), "width"), ParseInt32(text->substr(x + 1), "height")};
        source.clear();
    }
    if (check && (s.width < 1 || s.height < 1 || s.width > kMaxSide || s.height > kMaxSide))
        throw Failure{"size must be from 1x1 to 4096x4096: " + source + std::to_string(s.width) +
                      "x" + std::to_string(s.height)};
    return s;
}

// A document with an offscreen monitor as its media loader, the show read into it.
struct Session {
    ConsoleHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<OffscreenMonitor> monitor;

    Session(Profile& profile, const std::string& show, Size size) {
        doc = std::make_unique<Document>(profile, host);
        QString error;
        monitor = OffscreenMonitor::Create(*doc, size.width, size.height, &error);
        if (!monitor) throw Failure{error.toStdString()};
        // The stage view's toggles decide what the monitor draws.
        monitor->renderer().drawGridFloor = settings::Get(profile, settings::kShowGrid) != 0;
        monitor->renderer().drawSet = settings::Get(profile, settings::kShowSet) != 0;
        if (!ShowFiles(*doc).ReadShow(QString::fromStdString(show)))
            throw Failure{host.ReadFailure(show)};
        monitor->renderer().UpdateSwapTicks();
        // Pictures that could not be found or read are drawn without their textures.
        for (const QString& m : host.messages)
            std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
        host.messages.clear();
    }
    ~Session() {
        monitor.reset();
        doc.reset();
    }
};

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

int32_t ParseFrameTimecode(const std::string& text, int rate, const std::string& what) {
    if (text.empty() || text.find_first_not_of("0123456789:;. ") != std::string::npos)
        throw Failure{"bad " + what + " timecode: " + text};
    const int64_t frames = ParseTimecode(text, rate);
    if (frames > INT32_MAX) throw Failure{what + " out of range: " + text};
    return static_cast<int32_t>(frames);
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
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") ||
        !WriteFileAtomically(*out, png.toStdString()))
        throw Failure{"Couldn't write file: " + *out};
    return 0;
}

int CmdRender(std::vector<std::string> words, Profile& profile) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    const Args args(std::move(words), {});
    args.Allow({"--out", "--format", "--start", "--end", "--fps", "--size", "--fields", "--codec"});
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

    // FFmpeg's own notes would break the progress line; failures are reported by us.
    MovieSource::SilenceLibraryLog();
    ConsoleProgress progress(start, end);
    const MovieResult result = MakeMovie(doc, session.monitor->renderer(), job, progress);
    for (const QString& m : session.host.messages)
        std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
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
