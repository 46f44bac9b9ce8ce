// One step of the current frame in the running application, as Go-to-frame does it, in a show of
// 50 scenes x 20 actor tracks with pictures: the document moves, then the stage plan, the
// timeline strip and the monitor repaint; an iteration ends when the monitor has swapped its
// new frame. Run under a window system with OpenGL (scripts/run-benchmarks.sh starts Xvfb).
// BM_FrameStep is the whole step; BM_FrameStepUnpaced the same with the monitor's half-frame
// swap pacing switched off (a 60 fps show rate), so it shows the drawing work alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSurfaceFormat>
#include <QTemporaryDir>
#include <memory>

#include "app/Application.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "monitor/MonitorWidget.h"
#include "pictures/Picture.h"
#include "timeline/TimelineView.h"

using namespace quillon;

namespace {

constexpr int kScenes = 50;
constexpr int kTracks = 20;
constexpr int kSceneLength = 300;

struct Fixture {
    QTemporaryDir dir;
    Profile profile{dir.filePath("bench.ini")};
    Application app{profile, false};
    bool swapped = false;

    Fixture() {
        QString error;
        if (!app.Start(&error)) {
            std::fprintf(stderr, "%s\n", error.toUtf8().constData());
            std::exit(1);
        }
        app.SetStartupPicture(false);
        app.Show({});
        Document& doc = app.doc();
        // Twenty pictures of their own, shared by the scenes.
        QStringList pictures;
        for (int i = 0; i < kTracks; ++i) {
            Picture p;
            p.Create(128, 128, 24);
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 128; ++x) {
                    uint8_t* px = p.Bits(y) + x * 3;
                    px[0] = uint8_t(i * 12);
                    px[1] = uint8_t(x * 2);
                    px[2] = uint8_t(y * 2);
                }
            pictures << dir.filePath(QStringLiteral("card%1.bmp").arg(i));
            p.Save(pictures.back(), PictureWriteMode::kBmp, nullptr);
        }
        for (int s = 1; s < kScenes; ++s)
            doc.NewScene(kSceneLength);
        for (int s = 0; s < kScenes; ++s) {
            ShowNode* scene = doc.root().children[s];
            doc.UpdateViewsAtFrame(scene->startFrame);
            for (int t = 0; t < kTracks; ++t) {
                doc.AddTrack(NodeKind::Actor, scene->startFrame, scene->endFrame, StagePlace{},
                             pictures[t]);
                ShowNode& actor = *scene->children.back();
                KeyFrame a = actor.keys.front();
                a.frame = 0;
                a.eastWest() = 1700 + (t % 5) * 150;
                a.northSouth() = 1500 + (t / 5) * 120;
                a.width() = 200;
                a.height() = 200;
                KeyFrame b = a;
                b.frame = kSceneLength - 1;
                b.eastWest() += 100;
                actor.keys = {a, b};
            }
        }
        doc.UpdateViewsAtFrame(0, Refresh::kViews);
        QObject::connect(app.window().monitor(), &QOpenGLWidget::frameSwapped,
                         [this] { swapped = true; });
        QApplication::processEvents();
    }

    // Go-to-frame and wait for the monitor's swap.
    void Step(int frame) {
        swapped = false;
        app.window().timelineView()->GoToFrame(frame, true);
        while (!swapped)
            QApplication::processEvents(QEventLoop::AllEvents);
    }
};

// Made on first use and dropped before the QApplication goes.
std::unique_ptr<Fixture> fixture;

Fixture& F() {
    if (!fixture) fixture = std::make_unique<Fixture>();
    return *fixture;
}

void RunSteps(benchmark::State& state, int showRate) {
    Fixture& f = F();
    f.app.doc().settings().frameRate = showRate;
    int frame = 0;
    const int total = kScenes * kSceneLength;
    for (auto _ : state) {
        frame = (frame + 7) % total;  // across scene boundaries now and then
        f.Step(frame);
    }
    f.app.doc().settings().frameRate = 3000;
}

void BM_FrameStep(benchmark::State& state) {
    RunSteps(state, 3000);
}
BENCHMARK(BM_FrameStep)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

void BM_FrameStepUnpaced(benchmark::State& state) {
    RunSteps(state, 6000);
}
BENCHMARK(BM_FrameStepUnpaced)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QSurfaceFormat format;
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(16);
    format.setSwapInterval(0);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // Recovery copies of the user's own shows must not bring up a question here.
    QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fixture.reset();
    return 0;
}
