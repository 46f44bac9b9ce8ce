#include "RecoverCommands.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "Json.h"
#include "model/DurableFile.h"
#include "model/RecoveryStore.h"
#include "model/ShowFile.h"

namespace quillon::cli {

namespace {

const char* StateName(RecoveryEntry::State s) {
    switch (s) {
        case RecoveryEntry::State::kReady:
            return "ready";
        case RecoveryEntry::State::kInUse:
            return "in use";
        case RecoveryEntry::State::kDamaged:
            break;
    }
    return "damaged";
}

std::string Text(const QString& s) {
    return s.toStdString();
}

std::string Native(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw Failure{"cannot read " + Text(path)};
    return f.readAll().toStdString();
}

void PrintLine(std::string& line) {
    line += "}\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
}

int List(const RecoveryStore& store) {
    for (const RecoveryEntry& e : store.List()) {
        std::string line = "{\"id\": ";
        json::String(line, Text(e.id));
        line += ", \"state\": ";
        json::String(line, StateName(e.state));
        if (!e.damage.isEmpty() && e.state == RecoveryEntry::State::kDamaged) {
            line += ", \"damage\": ";
            json::String(line, Text(e.damage));
        }
        if (e.hasIndex) {
            line += ", \"title\": ";
            json::String(line, Text(e.title()));
            line += ", \"show\": ";
            json::String(line, Text(e.index.showPath));
            line += ", \"time\": ";
            json::String(line, Text(e.index.time.toString(Qt::ISODateWithMs)));
            line += ", \"pid\": ";
            json::Int(line, e.index.pid);
            line += ", \"host\": ";
            json::String(line, Text(e.index.host));
            line += ", \"sets\": ";
            json::Int(line, static_cast<long long>(e.index.setList.size()));
            line += std::string(", \"newerThanShow\": ") + (e.newerThanShow ? "true" : "false");
            line += std::string(", \"declined\": ") + (e.declined ? "true" : "false");
        }
        PrintLine(line);
    }
    return 0;
}

// Writes the copy's show to out. A set kept with the copy that differs from the file at its
// own path (or has none) is written beside out as OUT.sceneN.set, and the show names that file
// instead; otherwise the show's bytes are the copy's, unchanged.
int Recover(const RecoveryStore& store, const QString& id, const std::string& out) {
    const auto entry = store.Find(id);
    if (!entry) throw Failure{"no recovery copy " + Text(id) + " in " + Text(store.folder())};
    if (entry->state == RecoveryEntry::State::kInUse)
        throw Failure{"recovery copy " + Text(id) + " is kept by a running Quillon; save it there"};
    if (entry->state == RecoveryEntry::State::kDamaged)
        throw Failure{"recovery copy " + Text(id) + " is damaged: " + Text(entry->damage)};

    std::string show = ReadAll(entry->folder + u'/' + entry->index.show.name);
    const QString outPath = QString::fromStdString(out);
    QString base = outPath;
    if (base.endsWith(QStringLiteral(".shw"), Qt::CaseInsensitive)) base.chop(4);
    std::vector<std::pair<int, QString>> written;
    ShowFileContents contents;
    bool renamed = false;
    // A whole copy's sets lie within its sets file, so each has its bytes, in index order.
    const RecoveredShow kept = entry->ToRecovered();
    for (size_t i = 0; i < kept.sets.size() && i < entry->index.setList.size(); ++i) {
        const std::string& bytes = kept.sets[i].bytes;
        const RecoveryIndex::Set& s = entry->index.setList[i];
        QFile own(s.path);
        if (!s.path.isEmpty() && own.open(QIODevice::ReadOnly) &&
            own.readAll().toStdString() == bytes)
            continue;
        if (!renamed) {
            ReadShowBytes(reinterpret_cast<const unsigned char*>(show.data()), show.size(),
                          contents);
            renamed = true;
        }
        if (!contents.root || s.scene >= contents.root->childCount()) continue;
        const QString setPath = base + QStringLiteral(".scene%1.set").arg(s.scene);
        if (!WriteFileAtomically(Native(setPath), bytes))
            throw Failure{"Couldn't write SET file: " + Text(setPath)};
        contents.root->children[size_t(s.scene)]->SetFileName(Native(setPath));
        written.emplace_back(s.scene, setPath);
    }
    if (renamed) show = SerializeShow(*contents.root, contents.captions);
    if (!WriteFileAtomically(out, show)) throw Failure{"Couldn't write file: " + out};
    std::string line = "{\"file\": ";
    json::String(line, out);
    line += ", \"show\": ";
    json::String(line, Text(entry->index.showPath));
    PrintLine(line);
    for (const auto& [scene, path] : written) {
        line = "{\"file\": ";
        json::String(line, Text(path));
        line += ", \"scene\": ";
        json::Int(line, scene);
        PrintLine(line);
    }
    return 0;
}

}  // namespace

int CmdRecover(std::vector<std::string> words) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    const Args args(std::move(words), {"--list"});
    args.Allow({"--list", "--out"});
    const RecoveryStore store(RecoveryStore::DefaultFolder());
    if (args.Has("--list")) {
        if (!args.positionals().empty() || args.Has("--out"))
            throw Failure{"recover --list takes nothing else"};
        return List(store);
    }
    if (args.positionals().size() != 1) throw Failure{"expected one recovery copy id (see --list)"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"recover needs -o OUT.shw"};
    return Recover(store, QString::fromStdString(args.positionals()[0]), *out);
}

}  // namespace quillon::cli
