// Drag steps on the stage plan at 800 x 600 on Qt's offscreen platform, in a scene of 50 actors
// and 40 floor and wall panels: one mouse move sent to the plan, then the event loop until the
// dragged objects are redrawn over the picture of the rest and the read-out panel shows the new
// values. BM_DragStepActors drags 5 selected actors, BM_DragStepCamera the camera,
// BM_DragStepPanels 4 selected panels; BM_DragStepActorsWithMonitor also renders the monitor's
// frame (720 x 484, offscreen OpenGL, read back; every actor and panel textured with a keyed
// 256 x 256 picture) as "Show Monitor on Drag" asks after every step. BM_WholePlanRepaint, the
// baseline, repaints the whole plan of the same scene. Targets: a drag step under 4 ms, with the
// monitor under 16 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <vector>

#include "cli/ConsoleHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Set.h"
#include "monitor/OffscreenMonitor.h"
#include "stage/StageReadout.h"
#include "stage/StageView.h"

using namespace quillon;

namespace {

constexpr int kActors = 50;
constexpr int kPanels = 40;
constexpr int kSelectedActors = 5;
constexpr int kSelectedPanels = 4;

struct Plan {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ConsoleHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<QWidget> window;
    StageView* view = nullptr;
    std::unique_ptr<OffscreenMonitor> monitor;

    explicit Plan(bool withMonitor) {
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        if (withMonitor) {
            QString error;
            monitor = OffscreenMonitor::Create(*doc, 720, 484, &error);
            if (!monitor) qFatal("no offscreen monitor: %s", qPrintable(error));
        }
        ShowNode& scene = *doc->root().children[0];
        AddActors(scene);
        AddSet(scene);
        if (monitor) GivePictures(scene);
        window = std::make_unique<QWidget>();
        auto* layout = new QHBoxLayout(window.get());
        view = new StageView(*doc);
        view->SetStartupPictureEnabled(false);
        auto* readout = new StageReadout;
        readout->setFixedWidth(44);
        layout->addWidget(readout);
        layout->addWidget(view);
        view->SetReadout(readout);
        window->resize(844, 600);
        view->InitialUpdate();
        window->show();
        QApplication::processEvents();
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
        doc->monitorCamera().pose.eastWest() = 700;
        doc->monitorCamera().pose.northSouth() = 500;
        if (monitor) {
            QObject::connect(view, &StageView::MonitorRedrawRequested, [this] {
                monitor->context().MakeCurrent();
                monitor->renderer().RenderFrame(false);
                std::vector<uint8_t> bgra(720 * 484 * 4);
                monitor->renderer().ReadPixels(720, 484, bgra.data());
                benchmark::DoNotOptimize(bgra.data());
            });
        }
        QApplication::processEvents();
    }
    void AddActors(ShowNode& scene) {
        for (int i = 0; i < kActors; ++i) {
            auto* actor = new ShowNode;
            actor->kind = NodeKind::Actor;
            scene.AddChild(actor, true);
            KeyFrame k;
            k.eastWest() = float(50 + (i % 10) * 75);
            k.northSouth() = float(60 + (i / 10) * 110);
            k.width() = float(40 + (i % 7) * 10);
            k.height() = k.width();
            k.upDown() = 20;
            k.pan() = float(i * 23);
            actor->AddKey(k, 0);
            actor->setSelected(i % (kActors / kSelectedActors) == 0);
        }
        doc->UpdateViewsAtFrame(0);
    }
    // Every actor a keyed 256 x 256 picture and every panel a picture, as the monitor draws
    // a real scene.
    void GivePictures(ShowNode& scene) {
        QImage image(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                image.setPixel(x, y, (x * 3 + y) % 64 < 8 ? 0x0000FF : qRgb(x, y, 128));
        const QString path = dir.filePath("card.png");
        image.save(path);
        monitor->context().MakeCurrent();
        for (ShowNode* actor : scene.children) {
            if (!actor->Is(NodeKind::Actor)) continue;
            actor->keyColor = 0xFF0000;
            if (!doc->mediaLoader().AssignActorPicture(*doc, path, *actor, false))
                qFatal("the card picture did not load");
        }
        for (SetPanel& panel : scene.set->panels) {
            std::snprintf(panel.imagePath, sizeof panel.imagePath, "%s", qPrintable(path));
            doc->mediaLoader().LoadPanelPicture(*doc, panel);
        }
        doc->UpdateViewsAtFrame(0);
    }
    void AddSet(ShowNode& scene) {
        scene.set = std::make_unique<Set>();
        // Set unit -10 is plan pixel 0 at scale 1: the panels lie over the view's 800 x 600.
        for (int i = 0; i < kPanels; ++i) {
            SetPanel p;
            const float x = -9.8f + (i % 8) * 0.45f, z = -9.8f + (i / 8) * 0.55f;
            const bool wall = i % 3 == 0;
            const float xs[4] = {x, x + 0.4f, x + 0.4f, x};
            const float zs[4] = {z, z, wall ? z : z + 0.45f, wall ? z : z + 0.45f};
            for (int c = 0; c < 4; ++c) {
                p.cornerEastWest[c] = xs[c];
                p.cornerNorthSouth[c] = zs[c];
                p.cornerUpDown[c] = wall && c < 2 ? 0.5f : 0.0f;
            }
            p.selected = i % (kPanels / kSelectedPanels) == 0;
            scene.set->AddPanel(p);
        }
    }
    void Send(QEvent::Type type, QPoint at) {
        QWidget* port = view->viewport();
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
        QMouseEvent e(type, QPointF(at), port->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
        QApplication::sendEvent(port, &e);
    }
};

void DragLoop(benchmark::State& state, Plan& plan, QPoint press) {
    plan.Send(QEvent::MouseButtonPress, press);
    QApplication::processEvents();
    if (plan.view->dragMode() == 0) state.SkipWithError("nothing was taken by the press");
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 40;
        plan.Send(QEvent::MouseMove, press + QPoint(step * 3, (step % 5) * 4));
        QApplication::processEvents();
    }
    plan.Send(QEvent::MouseButtonRelease, press);
    QApplication::processEvents();
}

// The first selected actor sits at stage (50, 60): a press in its middle takes the move handle.
void BM_DragStepActors(benchmark::State& state) {
    Plan plan(false);
    DragLoop(state, plan, QPoint(52, 62));
    state.SetLabel("5 of 50 actors, 40 panels; target < 4 ms");
}
BENCHMARK(BM_DragStepActors)->Unit(benchmark::kMicrosecond);

void BM_DragStepCamera(benchmark::State& state) {
    Plan plan(false);
    DragLoop(state, plan, QPoint(705, 505));
    state.SetLabel("camera over 50 actors, 40 panels; target < 4 ms");
}
BENCHMARK(BM_DragStepCamera)->Unit(benchmark::kMicrosecond);

// Panel 0 is a wall from set (-9.8, -9.8) to (-9.4, -9.8): plan (40, 40) to (120, 40).
void BM_DragStepPanels(benchmark::State& state) {
    Plan plan(false);
    DragLoop(state, plan, QPoint(80, 40));
    state.SetLabel("4 of 40 panels, 50 actors; target < 4 ms");
}
BENCHMARK(BM_DragStepPanels)->Unit(benchmark::kMicrosecond);

void BM_DragStepActorsWithMonitor(benchmark::State& state) {
    Plan plan(true);
    DragLoop(state, plan, QPoint(52, 62));
    state.SetLabel(
        "5 of 50 actors + textured monitor 720x484 render and read-back; target < 16 ms");
}
BENCHMARK(BM_DragStepActorsWithMonitor)->Unit(benchmark::kMicrosecond);

void BM_WholePlanRepaint(benchmark::State& state) {
    Plan plan(false);
    for (auto _ : state) {
        plan.view->viewport()->update();
        QApplication::processEvents();
    }
    state.SetLabel("the whole plan of the same scene (baseline)");
}
BENCHMARK(BM_WholePlanRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
