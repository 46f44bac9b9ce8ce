#include "PlayCommands.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <memory>

#include "Json.h"
#include "OffscreenPlay.h"
#include "OffscreenSession.h"
#include "player/Player.h"
#include "player/RealTimePlayLoop.h"
#include "player/WaveFile.h"

namespace quillon::cli {

namespace {

const char kCannotRead[] = "Couldn't read sound file";

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

    OffscreenPlayOptions options{.fullScreen = args.Has("--fullscreen"),
                                 .silent = args.Has("--no-audio")};
    if (const auto out = args.Value("--audio-out"))
        options.recording = QString::fromStdString(*out);
    OffscreenPlay play(doc, *session.monitor, player, options);
    RealTimePlayLoop& loop = play.loop();
    std::string report;
    loop.SetRateReporter([&report](const QString& text) { report = text.toStdString(); });
    const bool trace = args.Has("--trace");
    const int64_t frequency = play.clock().Frequency();
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

    play.Run(mode, seconds);
    if (const QString warning = play.FinishRecording(); !warning.isEmpty())
        std::fprintf(stderr, "quillon-cli: warning: %s\n", warning.toUtf8().constData());
    for (const QString& m : session.host.messages)
        std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
    if (!report.empty()) std::printf("%s\n", report.c_str());
    std::fflush(stdout);
    return 0;
}

}  // namespace quillon::cli
