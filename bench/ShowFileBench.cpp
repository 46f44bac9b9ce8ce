// Writing and reading a large show (100 scenes x 20 tracks x 100 keys, about 11 MB) against a
// plain fwrite/fread of the same number of bytes, in the same run and on the same file system.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "model/ShowFile.h"

using namespace quillon;

namespace {

std::unique_ptr<ShowNode> BigShow() {
    auto root = std::make_unique<ShowNode>();
    root->SetName("Root");
    root->endFrame = 0x7fffffff;
    for (int s = 0; s < 100; ++s) {
        auto* scene = new ShowNode;
        scene->startFrame = s * 1000;
        scene->endFrame = s * 1000 + 1000;
        scene->SetName("SCENE " + std::to_string(s + 1));
        root->AddChild(scene, false);
        for (int t = 0; t < 20; ++t) {
            auto* track = new ShowNode;
            track->kind = t < 4 ? NodeKind::Camera : NodeKind::Actor;
            scene->AddChild(track, true);
            track->SetName("TRACK " + std::to_string(t));
            track->SetFileName("/home/user/pictures/track" + std::to_string(t) + ".tga");
            for (int k = 0; k < 100; ++k) {
                KeyFrame key;
                for (int c = 0; c < kChannelCount; ++c)
                    key.channel[c] = float(k * 7 + c) * 1.37f;
                key.frame = k * 10;
                key.hold = static_cast<int16_t>(k % 3);
                track->keys.push_back(key);
            }
        }
    }
    return root;
}

const std::string& Path() {
    static const std::string path = "/tmp/quillon-bench-" + std::to_string(getpid()) + ".shw";
    return path;
}

struct Fixture {
    std::unique_ptr<ShowNode> root = BigShow();
    std::vector<std::string> captions{"caption one", "caption two"};
    std::string bytes = SerializeShow(*root, captions);
};

Fixture& F() {
    static Fixture f;
    return f;
}

void BM_WriteShow(benchmark::State& state) {
    for (auto _ : state) {
        if (!WriteShowFile(Path(), *F().root, F().captions)) state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(F().bytes.size()));
}

void BM_PlainFwrite(benchmark::State& state) {
    const std::string& bytes = F().bytes;
    const std::string path = Path() + ".plain";
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes.size()));
    std::remove(path.c_str());
}

// The same read into a buffer allocated for it, as a program that keeps what it reads must.
void BM_PlainFreadNewBuffer(benchmark::State& state) {
    WriteShowFile(Path(), *F().root, F().captions);
    const size_t size = F().bytes.size();
    for (auto _ : state) {
        std::unique_ptr<char[]> buffer(new char[size]);
        std::FILE* f = std::fopen(Path().c_str(), "rb");
        const size_t got = std::fread(buffer.get(), 1, size, f);
        std::fclose(f);
        benchmark::DoNotOptimize(got);
        benchmark::DoNotOptimize(buffer.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void BM_ReadShow(benchmark::State& state) {
    WriteShowFile(Path(), *F().root, F().captions);
    for (auto _ : state) {
        ShowFileContents show;
        if (ReadShowFile(Path(), show) != ShowReadResult::Ok) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(show.root.get());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(F().bytes.size()));
}

void BM_PlainFread(benchmark::State& state) {
    WriteShowFile(Path(), *F().root, F().captions);
    std::string buffer(F().bytes.size(), '\0');
    for (auto _ : state) {
        std::FILE* f = std::fopen(Path().c_str(), "rb");
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(buffer.size()));
}

}  // namespace

BENCHMARK(BM_PlainFwrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteShow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFreadNewBuffer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadShow)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(Path().c_str());
    return 0;
}
