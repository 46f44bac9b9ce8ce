// The frame renderer against a bare OpenGL loop, both on the same offscreen context at
// 720 x 484 (Mesa's software renderer here): a scene of 20 keyed, alpha-blended 256 x 256
// picture cards, a textured floor and a textured wall.
//
// BM_BareGlLoop is the baseline: the same quads with the same textures and the same state
// changes, issued straight from a prepared list, then read back. BM_RenderFrame moves the
// document to each frame of a moving scene, renders it with FrameRenderer and reads it back.
// BM_CliRenderToMotionJpegAvi runs the whole `quillon-cli render` process on the scene saved as
// a show at its default 30 fps, as a user does, making every frame into a Motion-JPEG AVI;
// BM_BareGlLoopPipedToFfmpeg is its baseline: the bare loop's frames piped into an ffmpeg
// process (package ffmpeg) encoding Motion JPEG at the same quality into an AVI.
// BM_RenderFrameMemory renders 10,000 frames and reports how far the resident size grew after
// the first 1,000 (rss_growth_kb).
// BM_PlayLoopFullScreen runs the play loop in this process in full screen with BM_RenderFrame's
// drawing, so the loop's own cost shows beside it in the same run.
// BM_CliPlayTestRateFullScreen runs `quillon-cli play --fullscreen --test-rate` on the same
// saved show and reports the play loop's own frame-rate measurement.
// BM_FirstFrameOfPanelSet runs the whole `quillon-cli frame` command on a show whose one scene
// has a set of panels/pictures panels sharing that many 1024 x 1024 PNG pictures: opening the
// show, reading its set and pictures and rendering the first frame.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/ConsoleHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFile.h"
#include "model/ShowFiles.h"
#include "monitor/OffscreenMonitor.h"
#include "pictures/Picture.h"
#include "player/Player.h"
#include "player/RealTimePlayLoop.h"
#include "player/TimerTicks.h"

using namespace quillon;

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 484;
constexpr int kActors = 20;
constexpr int kSceneLength = 300;

// A 256 x 256 picture with a keyed-out background: a disc in a colour of its own on blue.
QString WriteCardPicture(const QString& folder, int index) {
    Picture p;
    p.Create(256, 256, 24);
    for (int y = 0; y < 256; ++y) {
        uint8_t* row = p.Bits(y);
        for (int x = 0; x < 256; ++x) {
            const int dx = x - 128, dy = y - 128;
            const bool inside = dx * dx + dy * dy < 120 * 120;
            row[x * 3 + 0] = inside ? uint8_t(40 + index * 9) : 255;
            row[x * 3 + 1] = inside ? uint8_t(x) : 0;
            row[x * 3 + 2] = inside ? uint8_t(y) : 0;
        }
    }
    const QString path = QDir(folder).filePath(QStringLiteral("card%1.bmp").arg(index));
    p.Save(path, PictureWriteMode::kBmp, nullptr);
    return path;
}

QString WritePanelPicture(const QString& folder, const char* name, int shade) {
    Picture p;
    p.Create(256, 256, 24);
    for (int y = 0; y < 256; ++y) {
        uint8_t* row = p.Bits(y);
        for (int x = 0; x < 256; ++x) {
            const uint8_t v = uint8_t(((x / 32 + y / 32) % 2) ? shade : shade / 2);
            row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = v;
        }
    }
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    p.Save(path, PictureWriteMode::kBmp, nullptr);
    return path;
}

SetPanel Panel(const QString& picture, const float (&x)[4], const float (&y)[4],
               const float (&z)[4]) {
    SetPanel panel;
    SetBoundedText(reinterpret_cast<char(&)[kNodeTextBytes]>(panel.imagePath),
                   picture.toStdString());
    for (int k = 0; k < 4; ++k) {
        panel.cornerEastWest[k] = x[k];
        panel.cornerUpDown[k] = y[k];
        panel.cornerNorthSouth[k] = z[k];
    }
    return panel;
}

// One document with the scene, on its own offscreen monitor.
struct Stage {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ConsoleHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<OffscreenMonitor> monitor;
    std::vector<uint8_t> pixels = std::vector<uint8_t>(size_t(kWidth) * kHeight * 4);

    Stage() {
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        QString error;
        monitor = OffscreenMonitor::Create(*doc, kWidth, kHeight, &error);
        if (!monitor) {
            std::fprintf(stderr, "no offscreen OpenGL: %s\n", error.toUtf8().constData());
            std::exit(1);
        }
        doc->Reset(true);
        ShowNode& scene = *doc->root().children[0];
        scene.SetRange(0, kSceneLength, RangeValues::kAbsolute, KeyTiming::kKeep,
                       RangeChildren::kFollow);
        // Cards on a 5 x 4 grid, each walking a little to the side over the scene.
        for (int i = 0; i < kActors; ++i) {
            doc->AddTrack(NodeKind::Actor, 0, kSceneLength, StagePlace{},
                          WriteCardPicture(dir.path(), i));
            ShowNode& actor = *scene.children.back();
            KeyFrame first = actor.keys.front();
            first.frame = 0;
            first.eastWest() = 1700 + (i % 5) * 150;
            first.northSouth() = 1500 + (i / 5) * 120;
            first.upDown() = 0;
            first.width() = 200;
            first.height() = 200;
            first.pan() = 10;
            KeyFrame last = first;
            last.frame = kSceneLength - 1;
            last.eastWest() += 60;
            last.pan() = -10;
            actor.keys = {first, last};
        }
        const float floorX[4] = {-4, 4, 4, -4}, floorY[4] = {0, 0, 0, 0},
                    floorZ[4] = {-6, -6, 2, 2};
        const float wallX[4] = {-4, 4, 4, -4}, wallY[4] = {4, 4, 0, 0}, wallZ[4] = {-6, -6, -6, -6};
        scene.set = std::make_unique<Set>();
        scene.set->panels = {
            Panel(WritePanelPicture(dir.path(), "floor.bmp", 200), floorX, floorY, floorZ),
            Panel(WritePanelPicture(dir.path(), "wall.bmp", 160), wallX, wallY, wallZ)};
        for (SetPanel& panel : scene.set->panels)
            doc->mediaLoader().LoadPanelPicture(*doc, panel);
        // The camera stands back and a little up, looking along -z.
        ShowNode& camera = *scene.children[0];
        for (KeyFrame& k : camera.keys) {
            k.eastWest() = 2000;
            k.northSouth() = 2500;
            k.upDown() = 150;
            k.width() = 45;
            k.pan() = 0;
            k.tilt() = -5;
        }
        doc->settings().featherActors = true;  // every card blended
        doc->settings().frameRate = 6000;      // no pacing: frames are read, not shown
    }
    ~Stage() {
        monitor.reset();
        doc.reset();
    }
};

Stage& TheStage() {
    static Stage stage;
    return stage;
}

void BM_RenderFrame(benchmark::State& state) {
    Stage& s = TheStage();
    int frame = 0;
    for (auto _ : state) {
        s.doc->UpdateViewsAtFrame(frame);
        s.monitor->renderer().RenderFrame(false);
        s.monitor->renderer().ReadPixels(kWidth, kHeight, s.pixels.data());
        benchmark::DoNotOptimize(s.pixels.data());
        frame = (frame + 1) % kSceneLength;
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// The play loop in this process on the same scene, in full screen (every frame drawn), its
// frames drawn as BM_RenderFrame draws them (frame change, RenderFrame, read-back): the loop's
// own cost is the difference between its frames_per_second and BM_RenderFrame's.
class ReadBackPresenter final : public FramePresenter {
  public:
    explicit ReadBackPresenter(Stage& s) : s_(s) {}
    void ShowFrame(int frame, bool) override {
        s_.doc->UpdateViewsAtFrame(frame, Refresh::kPlay);
        s_.monitor->renderer().RenderFrame(false);
        s_.monitor->renderer().ReadPixels(kWidth, kHeight, s_.pixels.data());
    }
    bool FullScreen() const override { return true; }
    void ToggleFullScreen() override {}
    void SetMenusEnabled(bool) override {}
    void PlayStopped() override {}

  private:
    Stage& s_;
};

class NoInput final : public PlayInputSource {
  public:
    void SetCapturing(bool) override {}
    std::optional<PlayInput> Take() override { return std::nullopt; }
};

class NoSound final : public ClipPlayer {
  public:
    void SetFileName(const QString&) override {}
    QString fileName() const override { return {}; }
    bool OpenAndScan(int64_t, ScanMode) override { return false; }
    bool Play(int64_t) override { return false; }
    void Stop() override {}
    bool Playing() override { return false; }
};

void BM_PlayLoopFullScreen(benchmark::State& state) {
    static int argc = 1;
    static char name[] = "bench_render";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    Stage& s = TheStage();
    Player player(*s.doc);
    SteadyPlayClock clock;
    ReadBackPresenter presenter(s);
    NoInput input;
    NoSound sound;
    TimerTicks ticks;
    RealTimePlayLoop loop({*s.doc, player, clock, presenter, input, sound, ticks});
    loop.SetPriorityHook([](PlayPriority) {});
    int64_t frames = 0;
    for (auto _ : state) {
        s.doc->UpdateViewsAtFrame(0);
        player.Start(kPlayForwards);
        QEventLoop wait;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!loop.running()) wait.quit();
        });
        poll.start(1);
        wait.exec();
        frames += loop.tickCount();
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PlayLoopFullScreen)->Unit(benchmark::kSecond)->MinTime(3.0)->UseRealTime();

// The same frames drawn from a prepared list: no document, no evaluation, no table.
struct Quad {
    unsigned texture = 0;
    float alpha = 1;
    float xyz[4][3];
};

class BareLoop {
  public:
    explicit BareLoop(Stage& s) {
        // The quads of every frame of the scene, as the renderer would draw them.
        frames_.resize(kSceneLength);
        for (int f = 0; f < kSceneLength; ++f) {
            s.doc->UpdateViewsAtFrame(f);
            camera_ = s.doc->monitorCamera().pose;
            ShowNode& scene = *s.doc->root().children[0];
            for (const SetPanel& p : scene.set->panels) {
                Quad q;
                q.texture = s.monitor->textures().Name(p.textureSlot);
                for (int k = 0; k < 4; ++k) {
                    q.xyz[k][0] = p.cornerEastWest[k];
                    q.xyz[k][1] = p.cornerUpDown[k];
                    q.xyz[k][2] = p.cornerNorthSouth[k];
                }
                frames_[f].push_back(q);
            }
            for (int i = 3; i < scene.childCount(); ++i) {
                const KeyFrame& pose = scene.children[i]->pose;
                Quad q;
                q.texture = s.monitor->textures().Name(scene.children[i]->textureSlot);
                const float a = pose.pan() * 0.0174532f, half = pose.width() * 0.0025f;
                const float cx = (pose.eastWest() - 2000) * 0.005f;
                const float cz = (pose.northSouth() - 2000) * 0.005f;
                const float y0 = pose.upDown() * 0.005f, y1 = y0 + pose.height() * 0.005f;
                const float dx = half * std::cos(a), dz = half * std::sin(a);
                const float v[4][3] = {{cx - dx, y1, cz - dz},
                                       {cx + dx, y1, cz + dz},
                                       {cx + dx, y0, cz + dz},
                                       {cx - dx, y0, cz - dz}};
                std::memcpy(q.xyz, v, sizeof v);
                frames_[f].push_back(q);
            }
        }
    }

    // Draws frame f and reads it into bgra.
    void Draw(int f, uint8_t* bgra) const {
        static constexpr float kTexture[4][2] = {
            {0.01f, 0.98f}, {0.98f, 0.98f}, {0.98f, 0.01f}, {0.01f, 0.01f}};
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(camera_.width(), double(kWidth) / kHeight, 0.1, 20.0);
        glRotatef(-camera_.tilt(), 1, 0, 0);
        glRotatef(camera_.pan(), 0, 1, 0);
        glTranslatef((2000 - camera_.eastWest()) * 0.005f, -camera_.upDown() * 0.005f,
                     (2000 - camera_.northSouth()) * 0.005f);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.1f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_TEXTURE_2D);
        const std::vector<Quad>& quads = frames_[f];
        for (size_t i = 0; i < quads.size(); ++i) {
            const bool card = i >= 2;
            if (card) glEnable(GL_BLEND);
            glBindTexture(GL_TEXTURE_2D, quads[i].texture);
            glColor4f(1, 1, 1, quads[i].alpha);
            glBegin(GL_QUADS);
            for (int k = 0; k < 4; ++k) {
                glTexCoord2fv(kTexture[k]);
                glVertex3fv(quads[i].xyz[k]);
            }
            glEnd();
            if (card) glDisable(GL_BLEND);
        }
        glDisable(GL_ALPHA_TEST);
        glReadPixels(0, 0, kWidth, kHeight, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    }

  private:
    std::vector<std::vector<Quad>> frames_;
    KeyFrame camera_;
};

void BM_BareGlLoop(benchmark::State& state) {
    Stage& s = TheStage();
    const BareLoop loop(s);
    int frame = 0;
    for (auto _ : state) {
        loop.Draw(frame, s.pixels.data());
        benchmark::DoNotOptimize(s.pixels.data());
        frame = (frame + 1) % kSceneLength;
    }
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareGlLoop)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

std::string MoviePath(const char* name) {
    return "/tmp/quillon-bench-" + std::to_string(getpid()) + "-" + name + ".avi";
}

// The scene saved as a show with its set and pictures; an empty path when it cannot be.
QString SavedShow() {
    Stage& s = TheStage();
    const QString show = s.dir.filePath("bench.shw"), set = s.dir.filePath("bench.set");
    ShowNode& scene = *s.doc->root().children[0];
    scene.SetFileName(set.toStdString());
    if (!ShowFiles(*s.doc).WriteSet(*scene.set, set) ||
        !WriteShowFile(show.toStdString(), s.doc->root(), {}))
        return {};
    return show;
}

// What a user runs: the whole `quillon-cli render` process on the scene, saved as a show with
// its set and pictures, at the show's default 30 fps, into a Motion-JPEG AVI of every frame.
void BM_CliRenderToMotionJpegAvi(benchmark::State& state) {
    Stage& s = TheStage();
    const QString show = SavedShow();
    if (show.isEmpty()) {
        state.SkipWithError("cannot write the show");
        return;
    }
    const std::string path = MoviePath("cli");
    const std::string command = std::string(QUILLON_CLI) + " --profile '" +
                                s.dir.filePath("cli.ini").toStdString() + "' render '" +
                                show.toStdString() + "' -o " + path + " --codec mjpeg --size " +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight);
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("quillon-cli render failed");
            break;
        }
    }
    std::remove(path.c_str());
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()) * kSceneLength, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CliRenderToMotionJpegAvi)->Unit(benchmark::kSecond)->MinTime(5.0)->UseRealTime();

// "&Test Frame Rate" on the scene: `quillon-cli play --fullscreen --test-rate`, the real play
// loop drawing every frame of the 300 as fast as it can at 720 x 484, and its own report
// (test_rate_fps) beside BM_RenderFrame's frames_per_second: the loop's overhead is the
// difference.
void BM_CliPlayTestRateFullScreen(benchmark::State& state) {
    Stage& s = TheStage();
    const QString show = SavedShow();
    if (show.isEmpty()) {
        state.SkipWithError("cannot write the show");
        return;
    }
    const std::string command = std::string(QUILLON_CLI) + " --profile '" +
                                s.dir.filePath("cli.ini").toStdString() + "' play '" +
                                show.toStdString() + "' --fullscreen --test-rate --no-audio" +
                                " --size " + std::to_string(kWidth) + "x" + std::to_string(kHeight);
    double rate = 0;
    long frames = 0;
    for (auto _ : state) {
        std::FILE* out = popen(command.c_str(), "r");
        char line[256] = {};
        double fps = 0;
        long count = 0;
        while (out && std::fgets(line, sizeof(line), out))
            std::sscanf(line, "Frame rate is %lf fps in %ld frames", &fps, &count);
        if (!out || pclose(out) != 0 || count == 0) {
            state.SkipWithError("quillon-cli play failed");
            break;
        }
        rate += fps;
        frames += count;
    }
    state.counters["test_rate_fps"] = rate / double(std::max<int64_t>(1, state.iterations()));
    state.counters["ticks"] = double(frames) / double(std::max<int64_t>(1, state.iterations()));
}
BENCHMARK(BM_CliPlayTestRateFullScreen)->Unit(benchmark::kSecond)->Iterations(3)->UseRealTime();

void BM_BareGlLoopPipedToFfmpeg(benchmark::State& state) {
    Stage& s = TheStage();
    const BareLoop loop(s);
    const std::string path = MoviePath("pipe");
    // The same quality as the movie writer's Motion JPEG (quantiser 2).
    const std::string command = "ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt bgra -s " +
                                std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                " -r 30 -i - -vf vflip -c:v mjpeg -q:v 2 -f avi " + path;
    for (auto _ : state) {
        FILE* pipe = popen(command.c_str(), "w");
        if (pipe == nullptr) {
            state.SkipWithError("no ffmpeg");
            break;
        }
        bool written = true;
        for (int f = 0; f < kSceneLength && written; ++f) {
            loop.Draw(f, s.pixels.data());
            written = std::fwrite(s.pixels.data(), 1, s.pixels.size(), pipe) == s.pixels.size();
        }
        if (pclose(pipe) != 0 || !written) state.SkipWithError("ffmpeg failed");
    }
    std::remove(path.c_str());
    state.counters["frames_per_second"] =
        benchmark::Counter(double(state.iterations()) * kSceneLength, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareGlLoopPipedToFfmpeg)->Unit(benchmark::kSecond)->MinTime(5.0)->UseRealTime();

long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_RenderFrameMemory(benchmark::State& state) {
    Stage& s = TheStage();
    for (auto _ : state) {
        long afterWarmUp = 0;
        for (int i = 0; i < 10000; ++i) {
            s.doc->UpdateViewsAtFrame(i % kSceneLength);
            s.monitor->renderer().RenderFrame(false);
            s.monitor->renderer().ReadPixels(kWidth, kHeight, s.pixels.data());
            if (i == 999) afterWarmUp = ResidentKb();
        }
        state.counters["rss_growth_kb"] = double(ResidentKb() - afterWarmUp);
        state.counters["rss_kb"] = double(ResidentKb());
    }
}
BENCHMARK(BM_RenderFrameMemory)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// Pictures with enough detail that decoding them is real work, as photographed textures are.
QString WriteDetailedPng(const QString& folder, int index) {
    QImage image(1024, 1024, QImage::Format_RGB32);
    uint32_t seed = 12345u + uint32_t(index);
    for (int y = 0; y < 1024; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < 1024; ++x) {
            seed = seed * 1664525u + 1013904223u;
            row[x] = qRgb((x + index * 40) & 255, (y + (seed >> 28)) & 255, (seed >> 24) & 255);
        }
    }
    const QString path = QDir(folder).filePath(QStringLiteral("texture%1.png").arg(index));
    image.save(path);
    return path;
}

void BM_FirstFrameOfPanelSet(benchmark::State& state) {
    const int panels = int(state.range(0)), pictures = int(state.range(1));
    QTemporaryDir dir;
    Profile profile(dir.filePath("profile.ini"));
    ConsoleHost host;
    Document doc(profile, host);
    doc.Reset(true);
    std::vector<QString> files;
    for (int i = 0; i < pictures; ++i)
        files.push_back(WriteDetailedPng(dir.path(), i));
    ShowNode& scene = *doc.root().children[0];
    scene.set = std::make_unique<Set>();
    // A wall of panels side by side in front of the camera.
    for (int i = 0; i < panels; ++i) {
        const float x = -5 + 0.1f * float(i), xs[4] = {x, x + 0.1f, x + 0.1f, x};
        const float ys[4] = {1, 1, 0, 0}, zs[4] = {-2, -2, -2, -2};
        scene.set->panels.push_back(Panel(files[size_t(i % pictures)], xs, ys, zs));
    }
    const QString set = dir.filePath("wall.set"), show = dir.filePath("wall.shw");
    if (!ShowFiles(doc).WriteSet(*scene.set, set)) state.SkipWithError("cannot write the set");
    scene.SetFileName(set.toStdString());
    if (!WriteShowFile(show.toStdString(), doc.root(), {}))
        state.SkipWithError("cannot write the show");
    const std::string command = std::string(QUILLON_CLI) + " --profile '" +
                                dir.filePath("cli.ini").toStdString() + "' frame '" +
                                show.toStdString() + "' --frame 0 --size 320x240 -o '" +
                                dir.filePath("frame.png").toStdString() + "'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("quillon-cli frame failed");
            break;
        }
    }
}
BENCHMARK(BM_FirstFrameOfPanelSet)
    ->Args({2, 2})
    ->Args({100, 2})
    ->Args({100, 100})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
