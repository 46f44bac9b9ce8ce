// Storyboard printing against rendering the same frames: BM_BoardsPdf runs `quillon-cli boards`
// as a user does on the demo show with 100 entries, at 300 dpi on letter pages with camera
// pictures and blocking diagrams (51 pages: two entries a page), and reports pages_per_second.
// The baseline BM_FramesToPng renders the same 100 frames to PNG with `quillon-cli frame`, one
// run each, at the image box's size (1147 x 860). Target: the PDF no slower than twice the
// frames alone.
#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/ShowFile.h"
#include "model/Timecode.h"

using namespace quillon;

namespace {

constexpr int kEntries = 100;

int Frame(int i) {
    return 1 + 3 * i;  // spread over both scenes of the demo (frames 0 to 359)
}

struct Demo {
    QTemporaryDir dir;
    std::string cli = QUILLON_CLI;
    std::string show;
    std::string profile;
    bool ok = false;
    Demo() {
        profile = dir.filePath("bench.ini").toStdString();
        const std::string folder = dir.filePath("demo").toStdString();
        if (Run("make-demo '" + folder + "'") != 0) return;
        show = folder + "/demo.shw";
        ShowFileContents contents;
        if (ReadShowFile(show, contents) != ShowReadResult::Ok) return;
        std::vector<std::string> entries;
        for (int i = 0; i < kEntries; ++i)
            entries.push_back(FormatTimecode(Frame(i), 3000) + "Entry " + std::to_string(i));
        ok = WriteShowFile(show, *contents.root, entries);
    }
    int Run(const std::string& args) const {
        return std::system(
            (cli + " --profile '" + profile + "' " + args + " >/dev/null 2>&1").c_str());
    }
};

Demo& TheDemo() {
    static Demo demo;
    return demo;
}

void BM_BoardsPdf(benchmark::State& state) {
    Demo& demo = TheDemo();
    if (!demo.ok) return state.SkipWithError("the demo show could not be made");
    const std::string out = demo.dir.filePath("boards.pdf").toStdString();
    for (auto _ : state) {
        if (demo.Run("boards '" + demo.show + "' -o '" + out + "' --blocking on") != 0)
            return state.SkipWithError("boards failed");
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(double(kEntries / 2 + 1), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FramesToPng(benchmark::State& state) {
    Demo& demo = TheDemo();
    if (!demo.ok) return state.SkipWithError("the demo show could not be made");
    const std::string out = demo.dir.filePath("frame.png").toStdString();
    for (auto _ : state) {
        for (int i = 0; i < kEntries; ++i) {
            if (demo.Run("frame '" + demo.show + "' --frame " + std::to_string(Frame(i)) +
                         " --size 1147x860 -o '" + out + "'") != 0)
                return state.SkipWithError("frame failed");
        }
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(kEntries), benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK(BM_BoardsPdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FramesToPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
