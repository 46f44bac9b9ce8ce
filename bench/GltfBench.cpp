// glTF export of the demo show: BM_ExportDemo writes the binary glTF of the demo already read
// (every picture read, keyed and encoded as PNG, the moves sampled, the file written whole);
// BM_ReadAndExportDemo adds reading the show, as quillon-cli gltf does. Baseline
// BM_ReadDemoOnly: reading the show alone.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "model/Document.h"
#include "model/DocumentHost.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "output/GltfExporter.h"

using namespace quillon;

namespace {

class QuietHost final : public DocumentHost {
  public:
    void Message(const QString&) override {}
    void Error(const QString&, const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
    Answer AskYesNoCancel(const QString&) override { return Answer::kNo; }
    std::optional<QString> OpenFileName(const FileDialogRequest&) override { return {}; }
    std::optional<QString> SaveFileName(const FileDialogRequest&) override { return {}; }
    bool AskFindMissingFile(const QString&) override { return false; }
    void ShowText(const QString&) override {}
    void Beep(BeepKind) override {}
    void SetWaitCursor(bool) override {}
    void SetStatusText(const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void AddRecentFile(const QString&) override {}
};

const QString kDemo = QStringLiteral(QUILLON_DEMO_DIR "/demo.shw");

void BM_ExportDemo(benchmark::State& state) {
    QTemporaryDir dir;
    Profile profile(dir.filePath("bench.ini"));
    QuietHost host;
    Document doc(profile, host);
    ShowFiles(doc).ReadShow(kDemo);
    for (auto _ : state) {
        GltfExporter exporter(doc);
        if (!exporter.Export(dir.filePath("demo.glb")))
            state.SkipWithError(exporter.errorString().toStdString().c_str());
    }
}

void BM_ReadAndExportDemo(benchmark::State& state) {
    QTemporaryDir dir;
    Profile profile(dir.filePath("bench.ini"));
    QuietHost host;
    for (auto _ : state) {
        Document doc(profile, host);
        ShowFiles(doc).ReadShow(kDemo);
        GltfExporter exporter(doc);
        if (!exporter.Export(dir.filePath("demo.gltf")))
            state.SkipWithError(exporter.errorString().toStdString().c_str());
    }
}

void BM_ReadDemoOnly(benchmark::State& state) {
    QTemporaryDir dir;
    Profile profile(dir.filePath("bench.ini"));
    QuietHost host;
    for (auto _ : state) {
        Document doc(profile, host);
        ShowFiles(doc).ReadShow(kDemo);
    }
}

}  // namespace

BENCHMARK(BM_ExportDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndExportDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDemoOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
