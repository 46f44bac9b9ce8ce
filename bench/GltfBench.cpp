// glTF export of the demo show: BM_ExportDemo writes the binary glTF of the demo already read
// (every picture read, keyed and encoded as PNG, the moves sampled, the file written whole);
// BM_ReadAndExportDemo adds reading the show, as quillon-cli gltf does. Baseline
// BM_ReadDemoOnly: reading the show alone. BM_CliGltfDemo times the whole command a user runs,
// `quillon-cli gltf demo.shw -o demo.glb`, process start included; target under 1 s.
#include <benchmark/benchmark.h>

#include <QProcess>
#include <QTemporaryDir>

#include "model/Document.h"
#include "model/DocumentHost.h"
#include "model/Profile.h"
#include "model/QuietHost.h"
#include "model/ShowFiles.h"
#include "output/GltfExporter.h"

using namespace quillon;

namespace {

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

void BM_CliGltfDemo(benchmark::State& state) {
    QTemporaryDir dir;
    for (auto _ : state) {
        QProcess cli;
        cli.start(QStringLiteral(QUILLON_CLI), {"--profile", dir.filePath("bench.ini"), "gltf",
                                                kDemo, "-o", dir.filePath("demo.glb")});
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
            state.SkipWithError(cli.readAllStandardError().toStdString().c_str());
    }
}

}  // namespace

BENCHMARK(BM_CliGltfDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndExportDemo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDemoOnly)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
