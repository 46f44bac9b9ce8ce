// The script following the frame: a frame change of a 3000-frame scene with a 2000-line script
// in the visible script window (the frame's line scrolled to the top and the text painted).
// BM_FrameChangeFollowed is the frame change with the window shown; BM_FrameChangeHidden, the
// baseline, the same change with the window hidden (the document's own work and an event
// pass). Target: under 1 ms a change.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "model/Document.h"
#include "model/Profile.h"
#include "model/QuietHost.h"
#include "model/ShowNode.h"
#include "script/ScriptWindow.h"

using namespace quillon;

namespace {

struct Bench {
    QTemporaryDir dir;
    Profile profile{dir.filePath("p.ini")};
    QuietHost host;
    Document doc{profile, host};
    ScriptWindow window{doc, nullptr};
    Bench() {
        doc.Reset(false);
        while (doc.root().childCount() > 0)
            doc.root().RemoveChild(0);
        doc.NewScene(3000);
        QByteArray text;
        for (int i = 0; i < 2000; ++i)
            text += "Line " + QByteArray::number(i) + " of the script, where the figure turns.\n";
        QFile f(dir.filePath("script.txt"));
        f.open(QIODevice::WriteOnly);
        f.write(text);
        f.close();
        window.LoadFile(dir.filePath("script.txt"));
        window.resize(400, 300);
    }
};

Bench& TheBench() {
    static Bench bench;
    return bench;
}

void Run(benchmark::State& state, bool shown) {
    Bench& b = TheBench();
    b.window.setVisible(shown);
    QApplication::processEvents();
    int frame = 0;
    for (auto _ : state) {
        frame = (frame + 7) % 3000;
        b.doc.UpdateViewsAtFrame(frame);
        // The scrolled text painted.
        QApplication::processEvents();
    }
    if (shown && b.window.FirstVisibleLine() == 0 && frame > 10)
        state.SkipWithError("the script did not follow");
}

void BM_FrameChangeFollowed(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(BM_FrameChangeFollowed)->Unit(benchmark::kMicrosecond);

void BM_FrameChangeHidden(benchmark::State& state) {
    Run(state, false);
}
BENCHMARK(BM_FrameChangeHidden)->Unit(benchmark::kMicrosecond);

}  // namespace
