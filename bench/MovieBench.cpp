// Decoding movie frames: a 720 x 486 Motion-JPEG AVI of 60 frames, made here with the ffmpeg
// tool (package ffmpeg), read frame by frame through MovieSource::LoadFrame (open, decode,
// close each time, as the renderer does on a frame's first showing) and, for comparison, by
// one Open followed by ReadFrame of every frame in order.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QString>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "pictures/MovieSource.h"
#include "pictures/Picture.h"

using namespace quillon;

namespace {

constexpr int kFrames = 60;

struct Fixture {
    std::string movie = "/tmp/quillon-bench-" + std::to_string(getpid()) + ".avi";
    Fixture() {
        const std::string command =
            "ffmpeg -nostdin -v error -y -f lavfi -i testsrc=size=720x486:rate=30 -frames:v " +
            std::to_string(kFrames) + " -c:v mjpeg -q:v 3 " + movie;
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "could not make the fixture: %s\n", command.c_str());
            std::exit(1);
        }
    }
    ~Fixture() { std::remove(movie.c_str()); }
};

Fixture& F() {
    static Fixture f;
    return f;
}

void BM_LoadFrame(benchmark::State& state) {
    const QString name = QString::fromStdString(F().movie);
    Picture target;
    int index = 0;
    for (auto _ : state) {
        if (MovieSource::LoadFrame(name, index, &target) != kFrames) {
            state.SkipWithError("LoadFrame failed");
            break;
        }
        benchmark::DoNotOptimize(target.Bits(0));
        index = (index + 1) % kFrames;
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_OpenReadAllFrames(benchmark::State& state) {
    const QString name = QString::fromStdString(F().movie);
    Picture target;
    for (auto _ : state) {
        MovieSource movie;
        if (movie.Open(name, &target) != kFrames) {
            state.SkipWithError("Open failed");
            break;
        }
        for (int i = 0; i < kFrames; ++i) {
            if (!movie.ReadFrame(i)) {
                state.SkipWithError("ReadFrame failed");
                break;
            }
            benchmark::DoNotOptimize(target.Bits(0));
        }
        movie.Close();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()) * kFrames, benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_LoadFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenReadAllFrames)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    MovieSource::SilenceLibraryLog();
    F();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
