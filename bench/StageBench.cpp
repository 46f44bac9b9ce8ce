// The stage plan's paint at 800 x 600 on Qt's offscreen platform, one whole-viewport paint per
// iteration. BM_PaintPlan draws a scene of 20 actors, a set of 12 floor and wall panels, the
// camera and a 6-key camera path while the frame moves, as playback redraws it.
// BM_PaintPlanRostrum draws the same actors as 512 x 512 pictures in rostrum mode, and
// BM_PaintRostrumArtwork one rostrum actor of a 4096 x 4096 artwork.
// BM_PaintBackgroundOnly is the baseline: the same viewport with an empty scene (grey and grid
// and the camera), the least any paint of the plan costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "cli/ConsoleHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "pictures/PictureMedia.h"
#include "stage/StageView.h"

using namespace quillon;

namespace {

constexpr int kActors = 20;
constexpr int kPanels = 12;
constexpr int kSceneLength = 300;

struct Plan {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ConsoleHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<StageView> view;
    QImage image;
    int side;

    Plan(bool filled, bool rostrum, int pictureSide = 512) : side(pictureSide) {
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        profile->WriteInt("Stage", "ShowCameraPath", filled ? 0x0000FF : -1);
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        doc->settings().rostrumMode = rostrum;
        ShowNode& scene = *doc->root().children[0];
        if (filled) {
            AddActors(scene, rostrum);
            AddSet(scene);
            AddCameraPath(scene);
        }
        view = std::make_unique<StageView>(*doc);
        view->SetStartupPictureEnabled(false);
        view->resize(800, 600);
        view->InitialUpdate();
        image = QImage(view->viewport()->size(), QImage::Format_RGB32);
    }
    void AddActors(ShowNode& scene, bool rostrum) {
        const int count = side > 512 ? 1 : kActors;
        for (int i = 0; i < count; ++i) {
            auto* actor = new ShowNode;
            actor->kind = NodeKind::Actor;
            scene.AddChild(actor, true);
            KeyFrame k;
            k.eastWest() = float(60 + (i % 5) * 140);
            k.northSouth() = float(60 + (i / 5) * 120);
            k.width() = rostrum ? 100.0f : float(40 + i * 4);
            k.pan() = float(i * 17);
            actor->AddKey(k, 0);
            k.frame = kSceneLength - 1;
            k.eastWest() += 100;
            k.pan() += 90;
            actor->AddKey(k, 0);
            actor->setSelected(i % 4 == 0);
            if (rostrum) {
                auto media = std::make_shared<PictureMedia>();
                media->picture.Create(side, side, 24);
                for (int y = 0; y < side; ++y) {
                    uint8_t* row = media->picture.Bits(y);
                    for (int x = 0; x < side * 3; ++x)
                        row[x] = uint8_t(x ^ y ^ i);
                }
                actor->media = media;
                actor->aspect = 1.0f;
            }
        }
    }
    void AddSet(ShowNode& scene) {
        scene.set = std::make_unique<Set>();
        for (int i = 0; i < kPanels; ++i) {
            SetPanel p;
            const float x = -9.5f + (i % 4) * 1.2f, z = -9.5f + (i / 4) * 1.0f;
            const float xs[4] = {x, x + 1, x + 1, x};
            const float zs[4] = {z, z, z + 0.8f, z + 0.8f};
            for (int c = 0; c < 4; ++c) {
                p.cornerEastWest[c] = xs[c];
                p.cornerNorthSouth[c] = i % 3 == 0 ? z : zs[c];
                p.cornerUpDown[c] = i % 3 == 0 && c < 2 ? 0.48f : 0.0f;
            }
            p.selected = i % 5 == 0;
            scene.set->AddPanel(p);
        }
    }
    void AddCameraPath(ShowNode& scene) {
        ShowNode& camera = *scene.children[0];
        for (int i = 1; i < 6; ++i) {
            KeyFrame k = camera.keys[0];
            k.frame = i * 50;
            k.eastWest() = float(200 + i * 90);
            k.northSouth() = float(200 + (i % 2) * 150);
            camera.AddKey(k, 0);
        }
    }
    void Paint(int frame) {
        doc->UpdateViewsAtFrame(frame);
        view->viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
};

void PaintLoop(benchmark::State& state, bool filled, bool rostrum, int side = 512) {
    Plan plan(filled, rostrum, side);
    plan.Paint(0);  // the first paint places the camera
    int frame = 0;
    for (auto _ : state) {
        plan.Paint(frame);
        frame = (frame + 1) % kSceneLength;
    }
}

void BM_PaintPlan(benchmark::State& state) {
    PaintLoop(state, true, false);
}
void BM_PaintPlanRostrum(benchmark::State& state) {
    PaintLoop(state, true, true);
}
void BM_PaintRostrumArtwork(benchmark::State& state) {
    PaintLoop(state, true, true, 4096);
}
void BM_PaintBackgroundOnly(benchmark::State& state) {
    PaintLoop(state, false, false);
}

BENCHMARK(BM_PaintPlan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintPlanRostrum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintRostrumArtwork)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintBackgroundOnly)->Unit(benchmark::kMillisecond);

}  // namespace
