// Loading a script: a 1 MB RTF document (styled runs, paragraphs, Unicode and code-page
// characters, a skipped picture) read from its file into text, as the script window loads it.
// BM_ReadScriptFile is ReadScriptFile on the file; BM_ReadFileBytes, the baseline, only reads
// the file's bytes. Target: the script under 200 ms.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include "script/ScriptFile.h"

using namespace quillon;

namespace {

struct Script {
    QTemporaryDir dir;
    QString path = dir.filePath("script.rtf");
    Script() {
        QByteArray rtf =
            "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Courier "
            "New;}}{\\colortbl;\\red200\\green0\\blue0;}\r\n";
        rtf += "{\\pict\\wmetafile8 " + QByteArray(20000, 'a') + "}\r\n";
        for (int line = 0; rtf.size() < 1'000'000; ++line) {
            rtf += "{\\b SCENE " + QByteArray::number(line) + "} {\\i\\cf1 EXT. STREET} \\endash  ";
            rtf += "{\\f1\\fs20 The figure walks past the caf\\'e9 \\u8364? lamp and stops.} ";
            rtf += "\\ldblquote Is anyone here?\\rdblquote\\par\r\n";
        }
        rtf += "}";
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(rtf);
    }
};

Script& TheScript() {
    static Script script;
    return script;
}

void BM_ReadScriptFile(benchmark::State& state) {
    for (auto _ : state) {
        const auto text = ReadScriptFile(TheScript().path);
        if (!text) state.SkipWithError("cannot read the script");
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(BM_ReadScriptFile)->Unit(benchmark::kMillisecond);

void BM_ReadFileBytes(benchmark::State& state) {
    for (auto _ : state) {
        QFile f(TheScript().path);
        f.open(QIODevice::ReadOnly);
        const QByteArray bytes = f.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
