#include "PlayCommands.h"

#include <GL/gl.h>

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <memory>

#include "Json.h"
#include "OffscreenSession.h"
#include "player/Player.h"
#include "player/QtAudioOutput.h"
#include "player/RealTimePlayLoop.h"
#include "player/SoundClip.h"
#include "player/TimerTicks.h"
#include "player/WaveFile.h"
#include "player/WaveFileOutput.h"

namespace quillon::cli {

namespace {

const char kCannotRead[] = "Couldn't read sound file";

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

// --no-audio: a clip player that plays nothing.
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

// "--range A B" takes two values; the argument reader takes options of one, so the pair is
// taken out first.
std::optional<std::pair<std::string, std::string>> TakeRange(std::vector<std::string>& words) {
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] != "--range") continue;
        if (i + 2 >= words.size()) throw Failure{"--range needs two timecodes A B"};
        std::pair<std::string, std::string> range{words[i + 1], words[i + 2]};
        words.erase(words.begin() + long(i), words.begin() + long(i) + 3);
        return range;
    }
    return std::nullopt;
}

}  // namespace

int CmdSound(const Args& args, const Profile& profile) {
    args.Allow({"--rate", "--from"});
    if (args.positionals().size() != 1) throw Failure{"expected one sound file"};
    const std::string path = args.positionals()[0];
    const int rate = args.Value("--rate") ? ParseInt32(*args.Value("--rate"), "rate")
                                          : settings::Get(profile, settings::kFrameRate);
    if (rate <= 0) throw Failure{"rate must be above 0 (frames per second x 100)"};
    const int from = args.Value("--from") ? ParseInt32(*args.Value("--from"), "frame") : 0;
    if (from < 0) throw Failure{"--from must not be negative"};

    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) throw Failure{kCannotRead};
    const WaveScan scan = ScanWave(file);
    switch (scan.status) {
        case WaveStatus::kOk:
            break;
        case WaveStatus::kNotRiff:
            throw Failure{kMessageNotRiff};
        case WaveStatus::kNotWave:
            throw Failure{kMessageNotWave};
        case WaveStatus::kTooShort:
        case WaveStatus::kNoData:
            throw Failure{kCannotRead};
    }
    const WaveFormat& f = scan.format;
    const int64_t offset = StartOffset(from, f, rate);
    if (from != 0 && offset >= int64_t(scan.dataSize))
        throw Failure{"Nothing to play from frame " + std::to_string(from)};
    std::string out = "{\"formatTag\": ";
    json::Int(out, f.formatTag);
    out += ", \"channels\": ";
    json::Int(out, f.channels);
    out += ", \"samplesPerSecond\": ";
    json::Int(out, f.samplesPerSecond);
    out += ", \"avgBytesPerSecond\": ";
    json::Int(out, f.avgBytesPerSecond);
    out += ", \"blockAlign\": ";
    json::Int(out, f.blockAlign);
    out += ", \"bitsPerSample\": ";
    json::Int(out, f.IsPcm() ? f.bitsPerSample : 0);
    out += ", \"dataSize\": ";
    json::Int(out, scan.dataSize);
    out += ", \"frames\": ";
    json::Int(out, LengthInFrames(rate, scan.dataSize, f));
    out += ", \"offset\": ";
    json::Int(out, offset);
    out += "}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int CmdPlay(std::vector<std::string> words, Profile& profile) {
    const auto range = TakeRange(words);
    const Args args(std::move(words), {"--fullscreen", "--trace", "--test-rate", "--no-audio"});
    args.Allow({"--start", "--end", "--mode", "--seconds", "--fullscreen", "--size", "--trace",
                "--test-rate", "--audio-out", "--no-audio"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const int mode = args.Value("--mode") ? ParseInt32(*args.Value("--mode"), "mode") : 1;
    if (mode < -2 || mode > 2 || mode == 0) throw Failure{"--mode must be -2, -1, 1 or 2"};
    double seconds = -1;
    if (const auto s = args.Value("--seconds")) {
        seconds = ParseDouble(*s, "seconds");
        if (!(seconds > 0) || seconds > 1e6) throw Failure{"--seconds must be above 0"};
    }
    const Size size = MovieSize(args, profile);

    Session session(profile, args.positionals()[0], size);
    Document& doc = *session.doc;
    const int rate = doc.frameRate();
    const int total = doc.TotalFrames();
    auto frameOf = [&](const std::string& text, const char* what) {
        const int32_t f = ParseFrameTimecode(text, rate, what);
        if (f < 0 || f >= total || !doc.SceneAt(f))
            throw Failure{std::string(what) + " " + text + " is in no scene of the show (" +
                          FormatTimecode(0, rate) + " to " + FormatTimecode(total - 1, rate) + ")"};
        return f;
    };
    const int start = args.Value("--start") ? frameOf(*args.Value("--start"), "start") : 0;
    std::optional<int> end;
    if (const auto e = args.Value("--end")) end = ParseFrameTimecode(*e, rate, "end");

    Player player(doc);
    if (range) {
        // The end mark first, so that the start mark lands as given (marks given the wrong way
        // round swap, as the buttons do).
        doc.UpdateViewsAtFrame(frameOf(range->second, "range end"));
        player.MarkRangeEnd();
        doc.UpdateViewsAtFrame(frameOf(range->first, "range start"));
        player.MarkRangeStart();
    }
    if (total > 0) doc.UpdateViewsAtFrame(start);

    SteadyPlayClock clock;
    OffscreenPresenter presenter(doc, *session.monitor, args.Has("--fullscreen"));
    NoInput input;
    TimerTicks ticks;
    std::unique_ptr<AudioOutput> output;
    WaveFileOutput* recording = nullptr;
    QTimer pump;
    if (const auto out = args.Value("--audio-out")) {
        auto file = std::make_unique<WaveFileOutput>(QString::fromStdString(*out), clock);
        recording = file.get();
        output = std::move(file);
        QObject::connect(&pump, &QTimer::timeout, [recording] { recording->Pump(); });
        pump.start(2);
    } else {
        output = std::make_unique<QtAudioOutput>();
    }
    SoundClip soundClip(doc, *output);
    SilentClip silent;
    ClipPlayer& clip = args.Has("--no-audio") ? static_cast<ClipPlayer&>(silent) : soundClip;
    RealTimePlayLoop loop({doc, player, clock, presenter, input, clip, ticks});
    // No thread of a command line's run is raised above others.
    loop.SetPriorityHook([](PlayPriority) {});
    std::string report;
    loop.SetRateReporter([&report](const QString& text) { report = text.toStdString(); });
    const bool trace = args.Has("--trace");
    const int64_t frequency = clock.Frequency();
    std::string line;
    loop.SetTickObserver([&](int64_t tick, int frame, int64_t since) {
        if (trace) {
            line = "{\"tick\": ";
            json::Int(line, tick);
            line += ", \"frame\": ";
            json::Int(line, frame);
            line += ", \"us\": ";
            json::Int(line, since * 1000000 / frequency);
            line += "}\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
        }
        if (end && (mode > 0 ? frame >= *end : frame <= *end)) player.Stop();
    });
    if (args.Has("--test-rate")) player.RequestFrameRateTest();
    session.host.messages.clear();

    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!loop.running()) QCoreApplication::quit();
    });
    watch.start(5);
    if (seconds > 0)
        QTimer::singleShot(int(std::lround(seconds * 1000)), [&player] { player.Stop(); });
    player.Start(mode);
    if (loop.running()) QCoreApplication::exec();
    pump.stop();
    if (recording) {
        recording->Pump();
        const bool had = recording->hasFile();
        if (had && !recording->Finish())
            std::fprintf(stderr, "quillon-cli: warning: Couldn't write file: %s\n",
                         args.Value("--audio-out")->c_str());
        if (!had)
            std::fprintf(stderr, "quillon-cli: warning: no sound was played; %s not written\n",
                         args.Value("--audio-out")->c_str());
    }
    for (const QString& m : session.host.messages)
        std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
    if (!report.empty()) std::printf("%s\n", report.c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace quillon::cli
