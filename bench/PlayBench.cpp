// Benchmarks of real-time play, each one run of `quillon-cli play` as a user runs it:
// BM_PlayDemoOffscreen plays the demo offscreen at 30 fps for 10 seconds and, from its trace,
// reports the frames drawn against the frames due (drawn_ratio; target at least 0.99) and how
// far the frame shown fell behind the frame due at its tick (max_lag_frames after the first
// tick; target at most 1).
// BM_AudioDrift60s plays a show whose sound track lasts longer than a minute for 60 seconds,
// recording the sound with --audio-out, and compares where the sound is when play stops (the
// bytes played, at the clip's bytes a second) with where the picture is (the trace's last
// tick): drift_frames, the sound ahead (+) or behind (-) the picture in frames; target under 1.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "cli/ConsoleHost.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "player/WaveFile.h"

using namespace quillon;

namespace {

struct Tick {
    int64_t tick = 0;
    int frame = 0;
    int64_t us = 0;
};

// Runs a command and gives the ticks of its trace; false when it fails.
bool RunTrace(const std::string& command, std::vector<Tick>& ticks) {
    std::FILE* out = popen(command.c_str(), "r");
    if (!out) return false;
    char line[512];
    while (std::fgets(line, sizeof(line), out)) {
        const QJsonObject o = QJsonDocument::fromJson(QByteArray(line)).object();
        if (o.contains("tick"))
            ticks.push_back({o["tick"].toInteger(), o["frame"].toInt(), o["us"].toInteger()});
    }
    return pclose(out) == 0 && !ticks.empty();
}

std::string Quoted(const QString& s) {
    return "'" + s.toStdString() + "'";
}

void BM_PlayDemoOffscreen(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string command = std::string(QUILLON_CLI) + " --profile " +
                                Quoted(dir.filePath("p.ini")) + " play " +
                                QUILLON_SOURCE_DIR "/data/demo/demo.shw" +
                                " --seconds 10 --trace --no-audio --size 720x484";
    std::vector<Tick> ticks;
    for (auto _ : state) {
        ticks.clear();
        if (!RunTrace(command, ticks)) {
            state.SkipWithError("quillon-cli play failed");
            return;
        }
    }
    // Due at a tick: the frames whole 1/30 s periods since the loop started (from frame 0).
    auto due = [](int64_t us) { return int(us * 30 / 1000000); };
    std::set<int> drawn;
    int maxLag = 0;
    for (const Tick& t : ticks) {
        drawn.insert(t.frame);
        if (t.tick > 1) maxLag = std::max(maxLag, due(t.us) - t.frame);
    }
    const int lastDue = due(ticks.back().us);
    int drawnDue = 0;
    for (int f = 0; f <= lastDue; ++f)
        drawnDue += drawn.count(f) ? 1 : 0;
    state.counters["ticks"] = double(ticks.size());
    state.counters["frames_due"] = lastDue + 1;
    state.counters["frames_drawn"] = drawnDue;
    state.counters["drawn_ratio"] = double(drawnDue) / (lastDue + 1);
    state.counters["max_lag_frames"] = maxLag;
}
BENCHMARK(BM_PlayDemoOffscreen)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_AudioDrift60s(benchmark::State& state) {
    QTemporaryDir dir;
    // 70 s of 16-bit stereo at 44100: 176400 bytes a second.
    const int perSecond = 176400;
    const QString clip = dir.filePath("long.wav");
    {
        QFile f(clip);
        const uint32_t data = uint32_t(perSecond) * 70;
        std::string header = "RIFF";
        auto u32 = [&header](uint32_t v) {
            for (int i = 0; i < 4; ++i)
                header.push_back(char(v >> (8 * i)));
        };
        auto u16 = [&header](uint16_t v) {
            header.push_back(char(v));
            header.push_back(char(v >> 8));
        };
        u32(36 + data);
        header += "WAVEfmt ";
        u32(16);
        u16(1);
        u16(2);
        u32(44100);
        u32(perSecond);
        u16(4);
        u16(16);
        header += "data";
        u32(data);
        if (!f.open(QIODevice::WriteOnly)) return state.SkipWithError("cannot write the clip");
        f.write(header.data(), qint64(header.size()));
        std::vector<char> second(static_cast<size_t>(perSecond));
        for (size_t i = 0; i < second.size(); ++i)
            second[i] = char((i * 37) & 0xFF);
        for (int s = 0; s < 70; ++s)
            f.write(second.data(), qint64(second.size()));
    }
    // An 80 s show (30 fps) with the clip as a track from frame 0.
    const QString show = dir.filePath("s.shw");
    {
        Profile profile(dir.filePath("p.ini"));
        ConsoleHost host;
        Document doc(profile, host);
        doc.Reset(false);
        doc.NewScene(2400);
        auto* track = new ShowNode;
        track->kind = NodeKind::SoundTrack;
        track->startFrame = 0;
        track->endFrame = 2400;
        track->SetFileName(ToRecordText(clip));
        doc.root().children[0]->AddChild(track, false);
        doc.SetShowPath(show);
        if (!ShowFiles(doc).WriteShow(show)) return state.SkipWithError("cannot write the show");
    }
    const QString recording = dir.filePath("out.wav");
    const std::string command =
        std::string(QUILLON_CLI) + " --profile " + Quoted(dir.filePath("p.ini")) + " play " +
        Quoted(show) + " --seconds 60 --trace --size 320x240 --audio-out " + Quoted(recording);
    std::vector<Tick> ticks;
    for (auto _ : state) {
        if (!RunTrace(command, ticks)) return state.SkipWithError("quillon-cli play failed");
    }
    QFile f(recording);
    if (!f.open(QIODevice::ReadOnly)) return state.SkipWithError("no recording");
    const WaveScan scan = ScanWave(f);
    // Where the sound is at the stop and where the picture is at the last tick, in frames.
    const double soundFrames = double(scan.dataSize) / perSecond * 30.0;
    const double pictureFrames = double(ticks.back().us) * 30.0 / 1e6;
    state.counters["sound_frames"] = soundFrames;
    state.counters["picture_frames"] = pictureFrames;
    state.counters["last_frame_shown"] = ticks.back().frame;
    state.counters["drift_frames"] = soundFrames - pictureFrames;
}
BENCHMARK(BM_AudioDrift60s)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
