// Reading pictures. A 4096 x 4096 x 32 Targa through Load against a plain fread of the same
// file, and a 2048 x 2048 JPEG through Load (the imaging-library adapter) against
// GraphicsMagick's own decode of that file alone, also followed by filling its texels (and by
// everything an upload does before the graphics side takes over); fixtures are written here by
// our writers.
#include <Magick++.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QString>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/Settings.h"
#include "model/ShowNode.h"
#include "pictures/ImageLibrary.h"
#include "pictures/Picture.h"
#include "pictures/Texels.h"
#include "pictures/TextureTable.h"

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
        if (!p.Save(QString::fromStdString(targa), PictureWriteMode::kTarga, nullptr)) std::abort();
        FillScene(p, 2048, 24);
        if (!p.Save(QString::fromStdString(jpeg), PictureWriteMode::kBmp, nullptr)) std::abort();
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
        if (!p.Load(name, {}, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(p.Bits(0));
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * F().targaBytes);
}

// A new picture each time: the 64 MB buffer is allocated and first touched inside the load.
void BM_LoadTargaFreshPicture(benchmark::State& state) {
    const QString name = QString::fromStdString(F().targa);
    for (auto _ : state) {
        Picture p;
        if (!p.Load(name, {}, nullptr)) state.SkipWithError("load failed");
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
        if (!p.Load(name, {}, nullptr)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(p.Bits(0));
    }
}

// Load and FillTexels as an actor upload does: a 2048 x 2048 texture keyed with blue, the
// texel buffer allocated per upload.
void BM_LoadJpegAndFillTexels(benchmark::State& state) {
    Picture p;
    const QString name = QString::fromStdString(F().jpeg);
    for (auto _ : state) {
        if (!p.Load(name, {}, nullptr)) state.SkipWithError("load failed");
        const int w = TextureDimension(p.Width(), TextureRounding::kSmallestNotBelow, 4096);
        const int h = TextureDimension(p.Height(), TextureRounding::kSmallestNotBelow, 4096);
        std::unique_ptr<uint8_t[]> texels(new uint8_t[size_t(w) * size_t(h) * 4]);
        if (!FillTexels(p, w, h, texels.get(), 0x00FF0000)) state.SkipWithError("fill failed");
        benchmark::DoNotOptimize(texels.get());
    }
}

// Takes the texels and lets them go, so that only our side of an upload is measured.
class DiscardingUploader final : public TextureUploader {
  public:
    int MaxTextureSize() const override { return 4096; }
    void Upload(int, int, int, const uint8_t* texels, const UploadOptions&) override {
        benchmark::DoNotOptimize(texels);
    }
    void Delete(int) override {}
};

// The whole of an actor's upload up to the graphics side: Load, then UploadTexture with the
// default settings (table lookup, texels, feathering).
void BM_LoadJpegAndUploadTexture(benchmark::State& state) {
    Picture p;
    DiscardingUploader uploader;
    TextureTable table(uploader);
    DocumentSettings settings;
    ShowNode actor;
    actor.kind = NodeKind::Actor;
    actor.keyColor = settings.defaultKeyColor;
    actor.SetFileName(F().jpeg);
    const QString name = QString::fromStdString(F().jpeg);
    for (auto _ : state) {
        if (!p.Load(name, {}, nullptr)) state.SkipWithError("load failed");
        if (table.UploadTexture(actor, p, settings) < 0) state.SkipWithError("upload failed");
    }
}

}  // namespace

BENCHMARK(BM_PlainReadTarga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTarga)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadTargaFreshPicture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphicsMagickDecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpegAndFillTexels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpegAndUploadTexture)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    F();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
