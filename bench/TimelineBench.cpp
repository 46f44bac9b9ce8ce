// Cost of one frame step on the timeline in a show of 50 scenes x 20 tracks (5 keys each, with
// holds): the document moves the current frame, the view invalidates the cut line's two strips
// and the event loop repaints them. The whole application must redraw the stage, the timeline
// strip and the monitor in under 30 ms per step; BM_FullRepaint, a repaint of the whole view
// at the same place, is the baseline the strips are held against.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <memory>

#include "cli/ConsoleHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"

using namespace quillon;

namespace {

constexpr int kScenes = 50;
constexpr int kTracks = 20;
constexpr int kSceneLength = 300;

struct Show {
    Show() : profile(dir.filePath("profile.ini")), doc(profile, host) {
        doc.Reset(true);
        for (int s = 1; s < kScenes; ++s)
            doc.NewScene(kSceneLength);
        for (ShowNode* scene : doc.root().children) {
            for (int t = 0; t < kTracks; ++t) {
                auto* track = new ShowNode;
                track->kind = t % 7 == 6 ? NodeKind::SoundTrack : NodeKind::Actor;
                track->startFrame = scene->startFrame + t;
                track->endFrame = scene->endFrame - t;
                track->SetName("Track " + std::to_string(t));
                scene->AddChild(track, false);
                for (int k = 0; k < 5; ++k) {
                    KeyFrame key;
                    key.frame = k * 50;
                    key.hold = static_cast<int16_t>(k % 2 ? 10 : 0);
                    track->AddKey(key, 0);
                }
            }
        }
        doc.UpdateViewsAtFrame(0);
        player = std::make_unique<Player>(doc);
        view = std::make_unique<TimelineView>(doc, *player);
        view->resize(1200, 320);
        view->show();
        QApplication::processEvents();
    }
    QTemporaryDir dir;
    ConsoleHost host;  // keeps messages, answers no
    Profile profile;
    Document doc;
    std::unique_ptr<Player> player;
    std::unique_ptr<TimelineView> view;
};

// A frame step in the middle of the show's visible part: the strips only.
void BM_FrameStep(benchmark::State& state) {
    Show show;
    show.view->GoToFrame(20 * kSceneLength, false);
    QApplication::processEvents();
    const int first = show.doc.currentFrame();
    int frame = first;
    for (auto _ : state) {
        // Steps stay on screen: 200 frames at the default scale are 400 pixels.
        frame = frame + 1 < first + 200 ? frame + 1 : first;
        show.doc.UpdateViewsAtFrame(frame);
        QApplication::processEvents();
    }
    state.SetLabel("50 scenes x 20 tracks, document step + strip repaint; target < 30 ms");
}
BENCHMARK(BM_FrameStep)->Unit(benchmark::kMicrosecond);

// A drag step: a selected track's outline follows the mouse (old and new lines repainted, the
// frame counter told). Target: under 2 ms.
void BM_DragStep(benchmark::State& state) {
    Show show;
    show.view->GoToFrame(20 * kSceneLength, false);
    QApplication::processEvents();
    QWidget* port = show.view->viewport();
    // Track 3 of the scene in view (row 76), pressed in its middle and held past the beep.
    ShowNode* track = show.doc.root().children[20]->children[4 + 3];
    track->setSelected(true);
    show.doc.NotifyChanged({.aspects = DocumentChange::kSelection});
    const int scroll = show.view->horizontalScrollBar()->value();
    const QPointF press(double(show.view->timeScale().X(track->startFrame + 100) - scroll), 80);
    auto send = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, port->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(port, &e);
    };
    send(QEvent::MouseButtonPress, press, Qt::LeftButton);
    QElapsedTimer held;
    held.start();
    while (!show.view->dragging() && held.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!show.view->dragging()) state.SkipWithError("the drag did not start");
    int step = 0;
    for (auto _ : state) {
        step = (step + 1) % 100;
        send(QEvent::MouseMove, press + QPointF(step * 3, (step % 3) * 12), Qt::LeftButton);
        QApplication::processEvents();
    }
    send(QEvent::MouseButtonRelease, press, Qt::NoButton);
    state.SetLabel("50 scenes x 20 tracks, outline moved + frame counter; target < 2 ms");
}
BENCHMARK(BM_DragStep)->Unit(benchmark::kMicrosecond);

// The baseline: the whole view repainted at the same place.
void BM_FullRepaint(benchmark::State& state) {
    Show show;
    show.view->GoToFrame(20 * kSceneLength, false);
    QApplication::processEvents();
    for (auto _ : state)
        show.view->viewport()->repaint();
    state.SetLabel("the whole 1200 x 320 view");
}
BENCHMARK(BM_FullRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
