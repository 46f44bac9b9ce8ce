// Autosave of a large show: 50 scenes x 20 tracks (5 keys each), every scene with a set of 24
// panels, the show and every set unsaved. BM_AutosaveTick is what the user-interface thread
// waits for at each autosave (the snapshot of show and sets, and handing it to the worker);
// BM_RecoveryCopyWrite is the worker's whole write of one copy (files flushed to disk, renamed,
// the folder synced); BM_AutosaveTickAndWrite both, back to back. Baseline BM_PlainWrite: one
// fwrite of the same bytes into the same folder, without any flushing.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <cstdio>

#include "model/Autosave.h"
#include "model/Document.h"
#include "model/DocumentHost.h"
#include "model/Profile.h"
#include "model/QuietHost.h"
#include "model/RecoveryCopy.h"
#include "model/RecoverySnapshot.h"

using namespace quillon;

namespace {

struct BigShow {
    QTemporaryDir dir;
    Profile profile{dir.filePath("bench.ini")};
    QuietHost host;
    Document doc{profile, host};
    BigShow() {
        doc.Reset(false);
        for (int s = 0; s < 50; ++s) {
            ShowNode* scene = doc.NewScene(300);
            for (int t = 4; t < 20; ++t) {
                auto* actor = new ShowNode;
                actor->kind = NodeKind::Actor;
                scene->AddChild(actor, true);
                actor->SetName("ACTOR " + std::to_string(t));
                actor->SetFileName("/home/user/pictures/actor" + std::to_string(t) + ".png");
                for (int k = 0; k < 5; ++k) {
                    KeyFrame key;
                    key.frame = k * 60;
                    key.eastWest() = float(1000 + 100 * k + t);
                    key.northSouth() = float(1500 + 37 * k);
                    key.width() = 120;
                    key.height() = 240;
                    actor->keys.push_back(key);
                }
            }
            scene->set = std::make_unique<Set>();
            for (int p = 0; p < 24; ++p) {
                SetPanel panel;
                panel.cornerEastWest[1] = panel.cornerEastWest[2] = float(p) * 0.48f;
                std::snprintf(panel.imagePath, sizeof(panel.imagePath), "/home/user/set/p%d.jpg",
                              p);
                scene->set->AddPanel(panel);
            }
            scene->set->dirty = 1;
            scene->SetFileName("/home/user/sets/scene" + std::to_string(s) + ".set");
        }
        doc.SetShowPath(dir.filePath("big.shw"));
        doc.SetModified(true);
    }
};

BigShow& Show() {
    static BigShow show;
    return show;
}

// Something changes between autosaves, as it would while the user works.
void Touch(Document& doc, int i) {
    doc.root().children[0]->children[4]->keys[0].eastWest() = float(i % 1000);
    doc.NotifyChanged({.aspects = DocumentChange::kKeys});
}

void BM_AutosaveTick(benchmark::State& state) {
    BigShow& show = Show();
    QTemporaryDir store;
    Autosave autosave(show.doc, store.path());
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        autosave.Wait();
        Touch(show.doc, ++i);
        state.ResumeTiming();
        autosave.Tick();
    }
    autosave.Wait();
    autosave.Discard();
    autosave.Wait();
    state.counters["show_kb"] = double(RecoverySnapshot::Take(show.doc).show.size()) / 1024;
}

void BM_RecoveryCopyWrite(benchmark::State& state) {
    BigShow& show = Show();
    QTemporaryDir store;
    RecoveryCopy copy(store.path());
    const RecoverySnapshot snapshot = RecoverySnapshot::Take(show.doc);
    size_t bytes = snapshot.show.size();
    for (const auto& s : snapshot.sets)
        bytes += s.bytes.size();
    for (auto _ : state) {
        QString why;
        if (!copy.Write(snapshot, &why)) state.SkipWithError(why.toStdString().c_str());
    }
    copy.Remove();
    state.counters["copy_kb"] = double(bytes) / 1024;
}

void BM_AutosaveTickAndWrite(benchmark::State& state) {
    BigShow& show = Show();
    QTemporaryDir store;
    Autosave autosave(show.doc, store.path());
    int i = 0;
    for (auto _ : state) {
        Touch(show.doc, ++i);
        autosave.Tick();
        autosave.Wait();
    }
    autosave.Discard();
    autosave.Wait();
}

void BM_PlainWrite(benchmark::State& state) {
    BigShow& show = Show();
    const RecoverySnapshot snapshot = RecoverySnapshot::Take(show.doc);
    std::string all = snapshot.show;
    for (const auto& s : snapshot.sets)
        all += s.bytes;
    const std::string path = show.dir.filePath("plain.bin").toStdString();
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(all.data(), 1, all.size(), f);
        std::fclose(f);
    }
}

}  // namespace

BENCHMARK(BM_AutosaveTick)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecoveryCopyWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutosaveTickAndWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
