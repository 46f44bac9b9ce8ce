#include "ShowFiles.h"

#include <cstring>

#include "Document.h"
#include "FileFilters.h"
#include "Paths.h"
#include "ScriptHolder.h"
#include "SetFile.h"
#include "ShowFile.h"

namespace quillon {

namespace {

template <typename Fn>
void ForEachNodeAfterRoot(ShowNode& root, Fn&& fn) {
    for (ShowNode* c : root.children) {
        fn(*c);
        ForEachNodeAfterRoot(*c, fn);
    }
}

}  // namespace

ShowFiles::ShowFiles(Document& doc) : doc_(doc), host_(doc.host()) {}

bool ShowFiles::AskSave(const QString& name, const QString& label) {
    return host_.AskYesNo(QStringLiteral("Save changes to ") + (name.isEmpty() ? label : name) +
                          QStringLiteral("?"));
}

bool ShowFiles::Confirm() {
    return host_.AskYesNo(QStringLiteral("Are you sure?"));
}

// ---------------------------------------------------------------------------------------------
// Shows

void ShowFiles::NewShow() {
    if (doc_.modified() && !Confirm()) return;
    doc_.Reset(true);
    doc_.NotifyChanged({.aspects = DocumentChange::kShow | DocumentChange::kRedraw});
}

bool ShowFiles::OfferToSave() {
    if (doc_.modified() && AskSave(doc_.path(), QStringLiteral("Show File")) && !SaveShow())
        return false;
    // Asked once: reading the new show must not ask again.
    doc_.SetModified(false);
    return true;
}

void ShowFiles::OpenShow() {
    if (!OfferToSave()) return;
    FileDialogRequest req;
    req.filter = filters::kShow;
    req.defaultExtension = QStringLiteral("shw");
    req.startFolder = doc_.projectFolder();
    const auto chosen = host_.OpenFileName(req);
    if (!chosen) return;
    if (ReadShow(*chosen)) host_.AddRecentFile(*chosen);
}

bool ShowFiles::OpenShowFile(const QString& path) {
    if (!OfferToSave()) return false;
    if (!ReadShow(path)) return false;
    host_.AddRecentFile(path);
    return true;
}

bool ShowFiles::ReadShow(const QString& path) {
    return ReadShowFrom(path, nullptr);
}

bool ShowFiles::RecoverShow(const RecoveredShow& show) {
    return ReadShowFrom(show.showFile, &show);
}

namespace {

// Whether a file holds exactly these bytes.
bool FileHolds(const std::string& path, const std::string& bytes) {
    std::FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::string held;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0 && held.size() <= bytes.size())
        held.append(buffer, n);
    std::fclose(f);
    return held == bytes;
}

}  // namespace

bool ShowFiles::ReadShowFrom(const QString& path, const RecoveredShow* recovered) {
    if (doc_.modified() && AskSave(doc_.path(), QStringLiteral("Show File")))
        WriteShow(doc_.path());

    ShowReadOptions options;
    options.rostrumMode = doc_.settings().rostrumMode;
    options.defaultKeyColor = doc_.settings().defaultKeyColor;
    ShowFileContents contents;
    // A file that is not a show at all leaves the open show as it was, like one that cannot be
    // opened; a truncated show keeps every whole record.
    if (ReadShowFile(ToRecordText(path), contents, options) != ShowReadResult::Ok) {
        host_.Error(QStringLiteral("Couldn't read file"),
                    path + QStringLiteral(": ") + FromRecordText(contents.failure));
        return false;
    }

    doc_.SetModified(false);
    WaitCursor wait(host_);
    doc_.AdoptScenes(*contents.root);

    // The set a recovery copy kept for a scene, if any.
    auto keptSet = [&](const ShowNode& node) -> const std::string* {
        if (!recovered || node.parent != &doc_.root()) return nullptr;
        const int scene = doc_.root().IndexOf(&node);
        for (const RecoveredShow::SetCopy& s : recovered->sets)
            if (s.scene == scene) return &s.bytes;
        return nullptr;
    };

    bool scriptLoaded = false;
    const QString& showPath = recovered ? recovered->originalPath : path;
    readingFolder_ = FromRecordText(FolderOf(ToRecordText(showPath)));
    MediaLoader& loader = doc_.mediaLoader();
    ForEachNodeAfterRoot(doc_.root(), [&](ShowNode& node) {
        if (const std::string* kept = node.Is(NodeKind::Scene) ? keptSet(node) : nullptr) {
            // The copy's set stands in for the file: it holds what the user had, saved or not.
            const std::string own = node.GetFileName();
            if (!node.set) node.set = std::make_unique<Set>();
            if (!ReadSetBytes(*node.set, *kept, FromRecordText(own), SetLoad::kReplace,
                              FileLookup::kLookUp)) {
                node.set.reset();
                return;
            }
            // Changed unless it is the file at its own path (a picture found elsewhere has
            // already marked it).
            if (!FileHolds(own, *kept)) node.set->dirty = 1;
            return;
        }
        // Any name is looked for; a folder that starts with "." (~/.local, a hidden project
        // folder) cuts the display name to nothing but the file is there all the same.
        const std::string file = node.GetFileName();
        if (file.empty()) return;
        QString found = FromRecordText(file);
        LookupFile(node.kind, found);
        node.SetFileName(ToRecordText(found));
        switch (node.kind) {
            case NodeKind::Actor:
                loader.AssignActorPicture(doc_, found, node, false);
                break;
            case NodeKind::Scene:
                if (!node.set) node.set = std::make_unique<Set>();
                if (!ReadSet(*node.set, found, SetLoad::kReplace, FileLookup::kLookUp))
                    node.set.reset();
                break;
            case NodeKind::Script:
                scriptLoaded |= doc_.LoadScript(found);
                break;
            default:
                break;
        }
    });
    readingFolder_.clear();

    if (contents.hasCaptionSection) doc_.captions() = std::move(contents.captions);

    if (recovered) {
        // Untitled, so that nothing is saved over the user's file unasked.
        doc_.SetShowPath(QString());
        doc_.SetSuggestedPath(recovered->originalPath);
    } else {
        doc_.SetShowPath(path);
    }
    doc_.UpdateViewsAtFrame(0);
    uint32_t aspects = DocumentChange::kShow | DocumentChange::kRedraw;
    if (scriptLoaded) aspects |= DocumentChange::kScript;
    doc_.NotifyChanged({.aspects = aspects});
    if (!showPath.isEmpty()) doc_.SetProjectFolderFromFile(showPath);
    if (recovered) doc_.SetModified(true);
    return true;
}

bool ShowFiles::WriteShow(const QString& path) {
    if (doc_.path().size() < 4) return SaveShowAs();
    if (!WriteShowFile(ToRecordText(path), doc_.root(), doc_.captions())) {
        host_.Message(QStringLiteral("Couldn't write file"));
        return false;
    }
    doc_.SetModified(false);
    for (ShowNode* scene : doc_.root().children) {
        if (scene->set && scene->set->dirty && !scene->GetFileName().empty())
            WriteSet(*scene->set, FromRecordText(scene->GetFileName()));
    }
    host_.AddRecentFile(path);
    return true;
}

bool ShowFiles::SaveShow() {
    return WriteShow(doc_.path());
}

bool ShowFiles::SaveShowAs() {
    FileDialogRequest req;
    req.filter = filters::kShow;
    req.defaultExtension = QStringLiteral("shw");
    req.startFolder = doc_.projectFolder();
    req.initialName = doc_.path().isEmpty() ? doc_.suggestedPath() : doc_.path();
    req.overwritePrompt = true;
    const auto chosen = host_.SaveFileName(req);
    if (!chosen || chosen->size() < 4) return false;
    doc_.SetShowPath(*chosen);
    doc_.SetProjectFolderFromFile(*chosen);
    return WriteShow(*chosen);
}

bool ShowFiles::CloseShow() {
    auto ask = [this](const QString& name, const char* label) {
        return host_.AskYesNoCancel(QStringLiteral("Save changes to ") +
                                    (name.isEmpty() ? QString::fromLatin1(label) : name) +
                                    QStringLiteral("?"));
    };
    for (ShowNode* scene : doc_.root().children) {
        if (!scene->set || !scene->set->dirty) continue;
        const Answer a = ask(FromRecordText(scene->set->path), "Set File");
        if (a == Answer::kCancel) return false;
        if (a == Answer::kYes) SaveSet(scene, SetName::kAsk);
    }
    if (doc_.modified()) {
        const Answer a = ask(doc_.path(), "Show File");
        if (a == Answer::kCancel) return false;
        if (a == Answer::kYes && !SaveShow()) return false;
    }
    if (ScriptHolder* script = doc_.scriptHolder(); script && script->modified()) {
        const Answer a = ask(script->path(), "Script File");
        if (a == Answer::kCancel) return false;
        if (a == Answer::kYes) script->Save();
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Files that moved

bool ShowFiles::LookupFile(NodeKind kind, QString& path) {
    return Resolve(kind, path) != Found::kMissing;
}

ShowFiles::Found ShowFiles::Resolve(NodeKind kind, QString& path) {
    const std::string stored = ToRecordText(path);
    if (FileExists(stored)) return Found::kAsStored;
    const std::string bare = BareName(stored);
    if (!bare.empty()) {
        for (const QString& folder : {doc_.projectFolder(), readingFolder_}) {
            if (folder.isEmpty()) continue;
            const std::string candidate = JoinFolder(ToRecordText(folder), bare);
            if (FileExists(candidate)) {
                path = FromRecordText(candidate);
                return Found::kBeside;
            }
        }
    }

    host_.SetStatusText(QStringLiteral("Looking for: ") + path);
    Found found = Found::kMissing;
    if (host_.AskFindMissingFile(path)) {
        const FileDialogRequest req =
            filters::ForMissingFile(kind, doc_.projectFolder(), FromRecordText(bare));
        if (const auto chosen = host_.OpenFileName(req)) {
            path = *chosen;
            doc_.SetModified(true);
            doc_.SetProjectFolderFromFile(*chosen);
            found = Found::kChosen;
        }
    }
    host_.SetStatusText(QString());
    return found;
}

// ---------------------------------------------------------------------------------------------
// Sets

bool ShowFiles::ReadSet(Set& set, const QString& path, SetLoad load, FileLookup lookup) {
    QString p = path;
    if (lookup == FileLookup::kLookUp) LookupFile(NodeKind::Scene, p);
    std::FILE* f = std::fopen(ToRecordText(p).c_str(), "rb");
    if (!f) return false;
    if (load == SetLoad::kReplace) set.Clear();
    set.SetPath(ToRecordText(p));
    std::vector<SetPanel> panels;
    const bool ok = ReadSetStream(f, panels);
    std::fclose(f);
    if (!ok) return false;
    TakePanels(set, panels, lookup);
    return true;
}

bool ShowFiles::ReadSetBytes(Set& set, const std::string& bytes, const QString& path, SetLoad load,
                             FileLookup lookup) {
    std::vector<SetPanel> panels;
    if (!quillon::ReadSetBytes(bytes, panels)) return false;
    if (load == SetLoad::kReplace) set.Clear();
    set.SetPath(ToRecordText(path));
    TakePanels(set, panels, lookup);
    return true;
}

void ShowFiles::TakePanels(Set& set, const std::vector<SetPanel>& panels, FileLookup lookup) {
    const bool lookUp = lookup == FileLookup::kLookUp;
    set.dirty = 0;
    MediaLoader& loader = doc_.mediaLoader();
    for (const SetPanel& read : panels) {
        SetPanel& panel = set.AddPanel(read);
        const size_t len = strnlen(panel.imagePath, kPanelPathBytes - 1);
        if (len < 5) {
            panel.textureSlot = -1;
            continue;
        }
        if (lookUp) {
            const std::string before(panel.imagePath, len);
            QString image = FromRecordText(before);
            const Found found = Resolve(NodeKind::Actor, image);
            const std::string after = ToRecordText(image);
            if (after != before) {
                SetBoundedText(panel.imagePath, after);
                // A bare name found beside the show or in the project folder is found there
                // again next time: the set is no different. A stored folder that moved, or a
                // file the user chose, must be saved.
                const bool bareNameAgain = found == Found::kBeside && FolderOf(before).empty();
                if (!bareNameAgain) set.dirty = 1;
            }
        }
        if (!loader.LoadPanelPicture(doc_, panel)) panel.textureSlot = -1;
    }
}

bool ShowFiles::WriteSet(Set& set, const QString& path) {
    if (!WriteSetFile(ToRecordText(path), set.panels)) {
        host_.Message(QStringLiteral("Couldn't write SET file"));
        return false;
    }
    set.SetPath(ToRecordText(path));
    set.dirty = 0;
    return true;
}

bool ShowFiles::OpenSet(ShowNode* scene, SetLoad load, const std::optional<QString>& path) {
    if (!scene) return false;
    QString chosen;
    if (!path) {
        FileDialogRequest req;
        req.filter = filters::kSet;
        req.startFolder = doc_.projectFolder();
        const auto picked = host_.OpenFileName(req);
        if (!picked) return false;
        doc_.SetProjectFolderFromFile(*picked);
        chosen = *picked;
    } else {
        chosen = *path;
    }
    if (chosen.isEmpty()) return false;
    bool ok = false;
    {
        WaitCursor wait(host_);
        if (!scene->set) scene->set = std::make_unique<Set>();
        ok = ReadSet(*scene->set, chosen, load, FileLookup::kLookUp);
        scene->SetFileName(scene->set->path);
    }
    doc_.NotifyChanged({.aspects = DocumentChange::kPanels, .nodes = {scene}});
    return ok;
}

bool ShowFiles::SaveSet(ShowNode* scene, SetName askName) {
    if (!scene || !scene->set) return false;
    QString name = FromRecordText(scene->GetFileName());
    if (name.isEmpty() || askName == SetName::kAsk) {
        FileDialogRequest req;
        req.filter = filters::kSet;
        req.defaultExtension = QStringLiteral("set");
        req.startFolder = doc_.projectFolder();
        req.initialName = name;
        req.overwritePrompt = true;
        const auto picked = host_.SaveFileName(req);
        if (!picked) return false;
        doc_.SetProjectFolderFromFile(*picked);
        name = *picked;
    }
    scene->SetFileName(ToRecordText(name));
    return WriteSet(*scene->set, name);
}

void ShowFiles::NewSet(ShowNode* scene) {
    if (!scene || !scene->set) return;
    if (!Confirm()) return;
    scene->set->Clear();
    scene->SetFileName("");
    doc_.NotifyChanged({.aspects = DocumentChange::kPanels, .nodes = {scene}});
}

}  // namespace quillon
