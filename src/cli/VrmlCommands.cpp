#include "VrmlCommands.h"

#include <QString>
#include <cstdio>
#include <string>
#include <utility>

#include "ConsoleHost.h"
#include "model/Document.h"
#include "model/ShowFiles.h"
#include "output/VrmlExporter.h"

namespace quillon::cli {

int CmdVrml(std::vector<std::string> words, Profile& profile) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    const Args args(std::move(words), {});
    args.Allow({"--out"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const std::string show = args.positionals()[0];
    const auto out = args.Value("--out");
    if (!out) throw Failure{"vrml needs -o OUT.wrl"};

    // The world's text needs only the show; the exporter reads the pictures itself, so the
    // document loads no media.
    ConsoleHost host;
    Document doc(profile, host);
    if (!ShowFiles(doc).ReadShow(QString::fromStdString(show)))
        throw Failure{host.ReadFailure(show)};
    host.messages.clear();
    VrmlExporter exporter(doc);
    if (!exporter.Export(QString::fromStdString(*out)))
        throw Failure{host.lastMessage().toStdString() + ": " + *out};
    // Pictures that would not load still gave their textures; say what was said about them.
    for (const QString& m : host.messages)
        std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
    return 0;
}

}  // namespace quillon::cli
