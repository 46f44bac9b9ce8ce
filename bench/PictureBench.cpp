// Reading pictures. A 4096 x 4096 x 32 Targa through Load against a plain fread of the same
// file, and a 2048 x 2048 JPEG through Load (the imaging-library adapter) against
// GraphicsMagick's own decode of that file alone; fixtures are written here by our writers.
#include <Magick++.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QString>
#include <cstdio>
#include <string>
#include <vector>

#include "pictures/ImageLibrary.h"
#include "pictures/Picture.h"

using namespace quillon;

namespace {

std::string TempPath(const char* ext) {
    return "/tmp/quillon-bench-" + std::to_string(getpid()) + ext;
}

// Smooth gradients with a little grain, so the JPEG decoder has ordinary work to do.
void FillScene(Picture& p, int side, int bits) {
    if (!p.Create(side, side, bits)) std::abort();
    uint32_t noise = 12345;
    const int bpp = bits / 8;
    for (int y = 0; y < side; ++y) {
        uint8_t* q = p.Bits(y);
        for (int x = 0; x < side; ++x, q += bpp) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = int(noise >> 28) - 8;
            q[0] = uint8_t(std::clamp(x * 255 / side + grain, 0, 255));
            q[1] = uint8_t(std::clamp(y * 255 / side + grain, 0, 255));
            q[2] = uint8_t(std::clamp((x + y) * 255 / (2 * side) + grain, 0, 255));
            if (bpp == 4) q[3] = uint8_t(x ^ y);
        }
    }
}

struct Fixtures {
    std::string targa = TempPath(".tga");
    std::string jpeg = TempPath(".jpg");
    long targaBytes = 0;
    Fixtures() {
        Picture p;
        FillScene(p, 4096, 32);
        if (!p.Save(QString::fromStdString(targa), kWriteTarga, nullptr)) std::abort();
        FillScene(p, 2048, 24);
        if (!p.Save(QString::fromStdString(jpeg), kWriteBmp, nullptr)) std::abort();
        std::FILE* f = std::fopen(targa.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        targaBytes = std::ftell(f);
        std::fclose(f);
    }
    ~Fixtures() {
        std::remove(targa.c_str());
        std::remove(jpeg.c_str());
    }
};

Fixtures& F() {
    static Fixtures f;
    return f;
}

void BM_PlainReadTarga(benchmark::State& state) {
    std::vector<char> buffer(size_t(F().targaBytes));
    for (auto _ : state) {
        std::FILE* f = std::fopen(F().targa.c_str(), "rb");
        const size_t got = std::fread(buffer.data(), 1, buffer.size(), f);
        std::fclose(f);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * F().targaBytes);
}

// The usual case: the document's scratch picture already has the size, so Create keeps it.
void BM_LoadTarga(benchmark::State& state) {
    Picture p;
    const QString name = QString::fromStdString(F().targa);
    for (auto _ : state) {
        if (!p.Load(name, false, 0, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(p.Bits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * F().targaBytes);
}

// A new picture each time: the 64 MB buffer is allocated and first touched inside the load.
void BM_LoadTargaFreshPicture(benchmark::State& state) {
    const QString name = QString::fromStdString(F().targa);
    for (auto _ : state) {
        Picture p;
        if (!p.Load(name, false, 0, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(p.Bits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * F().targaBytes);
}

void BM_GraphicsMagickDecodeJpeg(benchmark::State& state) {
    ImageLibrary::Setup();
    for (auto _ : state) {
        Magick::Image image;
        image.read(F().jpeg);
        benchmark::DoNotOptimize(image.getConstPixels(0, 0, 1, 1));
    }
}

void BM_LoadJpeg(benchmark::State& state) {
    Picture p;
    const QString name = QString::fromStdString(F().jpeg);
    for (auto _ : state) {
        if (!p.Load(name, false, 0, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(p.Bits(0));
    }
}

}  // namespace

BENCHMARK(BM_PlainReadTarga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTarga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTargaFreshPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphicsMagickDecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    F();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
