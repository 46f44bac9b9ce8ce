#include "Document.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "Motion.h"
#include "Paths.h"
#include "Profile.h"
#include "SetFile.h"
#include "ShowFile.h"

namespace quillon {

namespace {

const QString kShowFilter = QStringLiteral("Show Files (*.shw)|*.shw|All Files *.*|*.*||");
const QString kSetFilter = QStringLiteral("Set Files (*.set)|*.set||");
const QString kSetLookupFilter = QStringLiteral("Set Files (*.set)|*.set|All Files *.*|*.*||");
const QString kAviFilter = QStringLiteral("AVI Movie Files (*.avi)|*.avi|All Files *.*|*.*||");
const QString kWaveFilter = QStringLiteral("Wave Audio Files (*.wav)|*.wav|All Files *.*|*.*||");
const QString kScriptFilter = QStringLiteral(
    "Rich Text Files (*.rtf)|*.rtf|Plain Text Files (*.txt)|*.txt|All Files *.*|*.*||");
const QString kAllFilter = QStringLiteral("All Files *.*|*.*||");

QString BuildPictureFilter() {
    return QStringLiteral(
               "All Graphics Files "
               "|*.bmp;*.tga;*.png;*.gif;*.jpg;*.pcx;*.avi;*.wmf;*.tif|") +
           QStringLiteral("Windows BMPs (*.bmp)|*.bmp|") +
           QStringLiteral("JPEG Compressed (*.jpg)|*.jpg|") +
           QStringLiteral("Portable Network Graphics (*.png)|*.png|") +
           QStringLiteral("Targa Files (*.tga)|*.tga|") +
           QStringLiteral("GIF Files (*.gif)|*.gif|") + QStringLiteral("TIF Files (*.tif)|*.tif|") +
           QStringLiteral("PCX Files (*.pcx)|*.pcx|") +
           QStringLiteral("Windows Metafile (*.wmf)|*.wmf|") +
           QStringLiteral("AVI Movie Files (*.avi)|*.avi|") + QStringLiteral("All Files *.*|*.*||");
}

std::string NodeFile(const ShowNode& n) {
    return n.GetFileName();
}

// A track's file: its full path, and its display name as the track's name.
void GiveFile(ShowNode& node, const QString& path) {
    node.SetFileName(ToRecordText(path));
    node.SetName(DisplayName(ToRecordText(path)));
}

// A sound or movie track lasts as many frames as its clip.
void EndAfter(ShowNode& node, int frames) {
    node.endFrame =
        static_cast<int32_t>(std::min<int64_t>(int64_t(node.startFrame) + frames, INT32_MAX));
}

void CollectLive(const ShowNode& n, std::unordered_map<const ShowNode*, uint64_t>& live) {
    live.emplace(&n, n.serial());
    for (const ShowNode* c : n.children)
        CollectLive(*c, live);
}

template <typename Fn>
void ForEachNodeAfterRoot(ShowNode& root, Fn&& fn) {
    for (ShowNode* c : root.children) {
        fn(*c);
        ForEachNodeAfterRoot(*c, fn);
    }
}

}  // namespace

bool KeysEqual(const KeyFrame& a, const KeyFrame& b) {
    if (a.hold != b.hold || a.act != b.act) return false;
    for (int c = 0; c < kChannelCount; ++c) {
        const double x = std::trunc(double(a.channel[c]) * 100.0);
        const double y = std::trunc(double(b.channel[c]) * 100.0);
        if (std::fabs(x) != std::fabs(y)) return false;
    }
    return true;
}

Document::Document(Profile& profile, DocumentHost& host) : profile_(profile), host_(host) {
    settings_ = ReadDocumentSettings(profile_);
    projectFolder_ = settings_.folder;
    pictureFilter_ = BuildPictureFilter();
    root_ = std::make_unique<ShowNode>();
    root_->SetName("Root");
    root_->startFrame = 0;
    root_->endFrame = 0x7fffffff;
    for (UndoSlot& s : undo_)
        s.snapshot = std::make_unique<ShowNode>();
}

Document::~Document() {
    // Snapshots share their children with live nodes; they never own them.
    for (UndoSlot& s : undo_)
        s.snapshot->ReleaseChildren();
}

void Document::AddListener(DocumentListener* listener) {
    listeners_.push_back(listener);
}

void Document::RemoveListener(DocumentListener* listener) {
    std::erase(listeners_, listener);
}

void Document::SetMediaLoader(MediaLoader* loader) {
    loader_ = loader ? loader : &nullLoader_;
}

void Document::SetActiveCamera(int index) {
    activeCamera_ = std::clamp(index, 0, 3);
}

void Document::SetProjectFolderFromFile(const QString& file) {
    const std::string folder = FolderOf(ToRecordText(file));
    if (folder.empty()) return;
    projectFolder_ = FromRecordText(folder);
    settings::Write(profile_, settings::kFolder, projectFolder_);
}

void Document::SetSetLocked(bool on) {
    setLocked_ = on;
    if (on) {
        if (Set* set = SetOfSceneAt(currentFrame_)) set->SelectAll(false);
        NotifyStage();
    }
}

void Document::NotifyRedraw() {
    for (auto* l : listeners_)
        l->ViewsNeedRedraw();
}
void Document::NotifyLayout() {
    for (auto* l : listeners_)
        l->ShowLayoutChanged();
}
void Document::NotifyStage() {
    for (auto* l : listeners_)
        l->StageChanged();
}
void Document::NotifySelection() {
    for (auto* l : listeners_)
        l->SelectionChanged();
}

// ---------------------------------------------------------------------------------------------
// Lookups

ShowNode* Document::SceneAt(int frame) {
    ShowNode* found = nullptr;
    for (ShowNode* s : root_->children) {
        if (s->startFrame <= frame && frame < s->endFrame) {
            found = s;
            break;
        }
    }
    currentScene_ = found;
    return found;
}

ShowNode* Document::SelectedActorAt(int frame) {
    ShowNode* scene = SceneAt(frame);
    if (!scene) return nullptr;
    for (ShowNode* c : scene->children)
        if (c->selected()) return c;
    return nullptr;
}

ShowNode* Document::FirstSelected() const {
    for (ShowNode* s : root_->children) {
        if (s->selected()) return s;
        for (ShowNode* c : s->children)
            if (c->selected()) return c;
    }
    return nullptr;
}

ShowNode* Document::ActiveTrack(ShowNode* node) const {
    if (node && node->Is(NodeKind::Scene)) return node->ChildAt(activeCamera_);
    return node;
}

Set* Document::SetOfSceneAt(int frame) {
    ShowNode* scene = SceneAt(frame);
    return scene ? scene->set.get() : nullptr;
}

int Document::TotalFrames() const {
    int total = 0;
    for (const ShowNode* s : root_->children)
        total = std::max(total, s->endFrame);
    return total;
}

ShowNode* Document::SceneForCommand() {
    ShowNode* scene = SceneAt(currentFrame_);
    if (!scene) host_.Beep(BeepKind::Exclamation);
    return scene;
}

// ---------------------------------------------------------------------------------------------
// Prompts

bool Document::AskSave(const QString& name, const QString& label) {
    return host_.AskYesNo(QStringLiteral("Save changes to ") + (name.isEmpty() ? label : name) +
                          QStringLiteral("?"));
}

bool Document::Confirm() {
    return host_.AskYesNo(QStringLiteral("Are you sure?"));
}

void Document::ShowError(const QString& text, long code) {
    if (code == -9999)
        host_.Message(text);
    else
        host_.Message(text + QString::asprintf("  [ %ld ]", code));
}

void Document::ShowKeyInfo(const ShowNode& node, int index, const KeyFrame& key) {
    QString text = QString::asprintf("Num: %d, Actor: ", index);
    text += FromRecordText(node.GetName());
    text += QString::asprintf("\r\nFrm: %ld, Hold: %d, Act: %d\r\n", long(key.frame), int(key.hold),
                              int(key.act));
    for (int c = 0; c < kChannelCount; ++c)
        text += QString::asprintf("Mat%d: %f\r\n", c, double(key.channel[c]));
    host_.ShowText(text);
}

std::optional<QString> Document::AskOpen(const QString& filter, const QString& ext) {
    FileDialogRequest req;
    req.filter = filter;
    req.defaultExtension = ext;
    req.startFolder = projectFolder_;
    return host_.OpenFileName(req);
}

// ---------------------------------------------------------------------------------------------
// Show files

void Document::SetShowPath(const QString& path) {
    path_ = path;
    title_ = QStringLiteral("Quillon");
    if (!path.isEmpty()) {
        QString cut = path;
        const qsizetype dot = cut.indexOf(QLatin1Char('.'));
        if (dot >= 0) cut.truncate(dot);
        title_ += QStringLiteral(" - ") + cut.toUpper();
    }
    host_.SetWindowTitle(title_);
}

void Document::ClearUndo() {
    for (UndoSlot& s : undo_) {
        s.snapshot->ReleaseChildren();
        s.snapshot = std::make_unique<ShowNode>();
        s.target = nullptr;
        s.targetSerial = 0;
        s.childSerials.clear();
    }
    undoIndex_ = -1;
    undoCount_ = 0;
    redoCount_ = 0;
    redoSlots_.clear();
}

void Document::Reset(bool withScene) {
    ClearUndo();
    currentFrame_ = 0;
    SetShowPath(QString());
    captions_.clear();
    if (withScene) {
        while (root_->childCount() > 0)
            root_->RemoveChild(root_->childCount() - 1);
        currentScene_ = nullptr;
        NewScene(kNewSceneLength);
    }
    loader_->ResetTextures();
    modified_ = false;
}

void Document::NewShow() {
    if (modified_ && !Confirm()) return;
    Reset(true);
    NotifyLayout();
    NotifyRedraw();
}

void Document::OpenShow() {
    if (modified_ && AskSave(path_, QStringLiteral("Show File"))) SaveShow();
    modified_ = false;
    FileDialogRequest req;
    req.filter = kShowFilter;
    req.defaultExtension = QStringLiteral("shw");
    req.startFolder = projectFolder_;
    const auto chosen = host_.OpenFileName(req);
    if (!chosen) return;
    host_.AddRecentFile(*chosen);
    ReadShow(*chosen);
}

bool Document::ReadShow(const QString& path) {
    if (modified_ && AskSave(path_, QStringLiteral("Show File"))) WriteShow(path_);

    ShowReadOptions options;
    options.rostrumMode = settings_.rostrumMode;
    options.defaultKeyColor = settings_.defaultKeyColor;
    ShowFileContents contents;
    // A file that is not a show at all leaves the open show as it was, like one that cannot be
    // opened; a truncated show keeps every whole record.
    if (ReadShowFile(ToRecordText(path), contents, options) != ShowReadResult::Ok) {
        host_.Message(QStringLiteral("Couldn't read file"));
        return false;
    }

    modified_ = false;
    host_.SetWaitCursor(true);
    while (root_->childCount() > 0)
        root_->RemoveChild(root_->childCount() - 1);
    currentScene_ = nullptr;
    ClearUndo();
    for (ShowNode* scene : contents.root->children)
        root_->AddChild(scene, false);
    contents.root->ReleaseChildren();

    readingFolder_ = FromRecordText(FolderOf(ToRecordText(path)));
    ForEachNodeAfterRoot(*root_, [this](ShowNode& node) {
        const std::string file = NodeFile(node);
        if (DisplayName(file).empty()) return;
        QString found = FromRecordText(file);
        LookupFile(node.kind, found);
        node.SetFileName(ToRecordText(found));
        switch (node.kind) {
            case NodeKind::Actor:
                loader_->AssignActorPicture(*this, found, node, false);
                break;
            case NodeKind::Scene: {
                if (!node.set) node.set = std::make_unique<Set>();
                if (!ReadSet(*node.set, found, false, false)) node.set.reset();
                break;
            }
            case NodeKind::Script:
                if (loader_->LoadScript(*this, found, node))
                    for (auto* l : listeners_)
                        l->ShowScriptWindow();
                break;
            default:
                break;
        }
    });
    readingFolder_.clear();

    if (contents.hasCaptionSection) captions_ = std::move(contents.captions);

    SetShowPath(path);
    UpdateViewsAtFrame(0, false, false);
    NotifyLayout();
    NotifyRedraw();
    SetProjectFolderFromFile(path);
    host_.SetWaitCursor(false);
    return true;
}

bool Document::WriteShow(const QString& path) {
    if (path_.size() < 4) return SaveShowAs();
    if (!WriteShowFile(ToRecordText(path), *root_, captions_)) {
        host_.Message(QStringLiteral("Couldn't write file"));
        return false;
    }
    modified_ = false;
    for (ShowNode* scene : root_->children) {
        if (scene->set && scene->set->dirty && !scene->GetFileName().empty())
            WriteSet(*scene->set, FromRecordText(scene->GetFileName()));
    }
    host_.AddRecentFile(path);
    return true;
}

bool Document::SaveShow() {
    return WriteShow(path_);
}

bool Document::SaveShowAs() {
    FileDialogRequest req;
    req.filter = kShowFilter;
    req.defaultExtension = QStringLiteral("shw");
    req.startFolder = projectFolder_;
    req.initialName = path_;
    req.overwritePrompt = true;
    const auto chosen = host_.SaveFileName(req);
    if (!chosen || chosen->size() < 4) return false;
    SetShowPath(*chosen);
    SetProjectFolderFromFile(*chosen);
    return WriteShow(*chosen);
}

void Document::SetScriptSaver(std::function<bool()> isModified, std::function<void()> save,
                              std::function<QString()> path) {
    scriptModified_ = std::move(isModified);
    saveScript_ = std::move(save);
    scriptPath_ = std::move(path);
}

void Document::CloseShow() {
    for (ShowNode* scene : root_->children) {
        if (scene->set && scene->set->dirty &&
            AskSave(FromRecordText(scene->set->path), QStringLiteral("Set File")))
            SaveSet(true, scene);
    }
    if (modified_ && AskSave(path_, QStringLiteral("Show File"))) WriteShow(path_);
    if (scriptModified_ && scriptModified_() &&
        AskSave(scriptPath_ ? scriptPath_() : QString(), QStringLiteral("Script File")) &&
        saveScript_)
        saveScript_();
}

// ---------------------------------------------------------------------------------------------
// Scenes and tracks

KeyFrame Document::NewTrackKey(NodeKind kind) const {
    if (kind == NodeKind::Camera) return DefaultCameraKey(settings_.rostrumMode);
    const StageViewArea area = host_.VisibleStageArea();
    KeyFrame key;
    key.eastWest() = static_cast<float>(area.centreX);
    key.northSouth() = static_cast<float>(area.centreY);
    key.width() = static_cast<float>(area.clientHeight * 0.25);
    key.height() = static_cast<float>(area.clientHeight / 6.0);
    return key;
}

bool Document::AddTrack(NodeKind kind, int start, int end, const QString& file) {
    if (kind != NodeKind::Camera) PushUndo(nullptr);
    ShowNode* scene = SceneAt(start);
    if (!scene || int64_t(start) > int64_t(scene->endFrame) - 8) return false;

    auto* node = new ShowNode;
    node->kind = kind;
    node->startFrame = start;
    node->endFrame = end;
    if (!scene->AddChild(node, false)) {
        delete node;
        return false;
    }
    node->AddKey(NewTrackKey(kind), 0);
    node->keyColor = settings_.defaultKeyColor;

    switch (kind) {
        case NodeKind::Actor:
            if (!file.isEmpty()) {
                GiveFile(*node, file);
                loader_->AssignActorPicture(*this, file, *node, true);
            } else if (const auto chosen = AskOpen(pictureFilter_, QString())) {
                node->SetFileName(ToRecordText(*chosen));
                if (loader_->AssignActorPicture(*this, *chosen, *node, true)) {
                    node->SetName(DisplayName(ToRecordText(*chosen)));
                    SetProjectFolderFromFile(*chosen);
                }
            }
            break;
        case NodeKind::SoundTrack:
            if (const auto chosen = AskOpen(kWaveFilter, QStringLiteral("wav"))) {
                SetProjectFolderFromFile(*chosen);
                if (const auto frames = loader_->LoadSound(*this, *chosen, *node)) {
                    EndAfter(*node, *frames);
                    GiveFile(*node, *chosen);
                }
            }
            break;
        case NodeKind::Movie:
            if (const auto chosen = AskOpen(kAviFilter, QStringLiteral("avi"))) {
                SetProjectFolderFromFile(*chosen);
                if (const auto frames = loader_->MovieFrameCount(*chosen)) {
                    EndAfter(*node, *frames);
                    GiveFile(*node, *chosen);
                }
            }
            break;
        case NodeKind::Script:
            if (const auto chosen = AskOpen(kScriptFilter, QString())) {
                SetProjectFolderFromFile(*chosen);
                if (loader_->LoadScript(*this, *chosen, *node)) GiveFile(*node, *chosen);
            }
            break;
        default:
            break;
    }

    if (settings_.rostrumMode && kind != NodeKind::Camera && node->KeyCount() > 0) {
        KeyFrame& k = node->keys[0];
        k.eastWest() = static_cast<float>(k.width() * 0.5);
        k.northSouth() = static_cast<float>(k.height() * 0.5);
    }

    NotifyLayout();
    node->setSelected(true);
    NotifySelection();
    EvaluateNode(*node, start, false);
    NotifyRedraw();
    return true;
}

ShowNode* Document::NewScene(int length) {
    if (length < 1) return nullptr;
    int start = 0;
    for (const ShowNode* s : root_->children)
        start = std::max(start, s->endFrame);
    if (int64_t(start) + length > INT32_MAX) return nullptr;

    auto* scene = new ShowNode;
    scene->kind = NodeKind::Scene;
    scene->startFrame = start;
    scene->endFrame = start + length;
    scene->SetName(QString::asprintf("SCENE %d", root_->childCount() + 1).toStdString());
    scene->AddKey(DefaultCameraKey(settings_.rostrumMode), 0);
    if (!root_->AddChild(scene, false)) {
        delete scene;
        return nullptr;
    }
    // Every scene has four cameras, made as "Add Addtional Camera" makes them (no undo step).
    for (int i = 0; i < 4; ++i)
        AppendCamera(*scene, settings_.rostrumMode, settings_.defaultKeyColor);

    UpdateViewsAtFrame(start, false, false);
    NotifyLayout();
    return scene;
}

void Document::DeleteSelectedScenes() {
    PushUndo(nullptr);
    for (int i = root_->childCount() - 1; i >= 0; --i) {
        if (!root_->children[i]->selected()) continue;
        if (root_->children[i] == currentScene_) currentScene_ = nullptr;
        root_->RemoveChild(i);
    }
    host_.Beep(BeepKind::Asterisk);
    if (SceneAt(currentFrame_)) UpdateViewsAtFrame(currentFrame_, false, false);
    NotifySelection();
    NotifyLayout();
    NotifyRedraw();
}

void Document::DeleteSelectedTracks() {
    ShowNode* scene = SceneForCommand();
    if (!scene) return;
    PushUndo(nullptr);
    for (int i = scene->childCount() - 1; i >= 0; --i) {
        ShowNode* c = scene->children[i];
        // The first four cameras are part of the scene itself; they stay even when selected.
        if (!c->selected() || (i < 4 && c->Is(NodeKind::Camera))) continue;
        scene->RemoveChild(i);
    }
    host_.Beep(BeepKind::Asterisk);
    NotifySelection();
    NotifyLayout();
    NotifyRedraw();
}

bool Document::AddActorCommand(const QString& file) {
    ShowNode* scene = SceneForCommand();
    if (!scene) return false;
    const bool ok = AddTrack(NodeKind::Actor, scene->startFrame, scene->endFrame, file);
    if (ok) host_.Beep(BeepKind::Asterisk);
    return ok;
}

bool Document::AddSoundCommand() {
    if (!SceneForCommand()) return false;
    const int start = currentFrame_;
    const bool ok = AddTrack(NodeKind::SoundTrack, start, start + (settings_.frameRate + 50) / 100);
    if (ok) host_.Beep(BeepKind::Asterisk);
    return ok;
}

bool Document::AddScriptCommand() {
    ShowNode* scene = SceneForCommand();
    if (!scene) return false;
    const bool ok = AddTrack(NodeKind::Script, scene->startFrame, scene->endFrame);
    if (ok) {
        for (auto* l : listeners_)
            l->ShowScriptWindow();
        host_.Beep(BeepKind::Asterisk);
    }
    return ok;
}

bool Document::AddCameraCommand() {
    ShowNode* scene = SceneForCommand();
    if (!scene) return false;
    const bool ok = AddTrack(NodeKind::Camera, scene->startFrame, scene->endFrame);
    if (ok) host_.Beep(BeepKind::Asterisk);
    return ok;
}

void Document::AddNewSceneCommand() {
    NewScene(kNewSceneLength);
    NotifyRedraw();
}

void Document::ConstantMotionCommand() {
    modified_ = true;
    ShowNode* scene = nullptr;
    if (settings_.rostrumMode) {
        scene = SceneAt(currentFrame_);
    } else {
        for (ShowNode* s : root_->children)
            if (s->selected()) {
                scene = s;
                break;
            }
    }
    ShowNode* camera = ActiveTrack(scene);
    if (!camera) {
        host_.Beep(BeepKind::Exclamation);
        return;
    }
    // Every frame of the move is measured: a long camera path takes a while.
    host_.SetWaitCursor(true);
    ConstantMotion(*camera, 0, kConstantMotionEnd);
    host_.SetWaitCursor(false);
    UpdateViewsAtFrame(currentFrame_, false, true);
}

void Document::ToggleScaleKeys() {
    settings_.scaleKeys = !settings_.scaleKeys;
    settings::Write(profile_, settings::kScaleKeys, settings_.scaleKeys ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// Undo

void Document::PushUndo(ShowNode* node) {
    modified_ = true;
    if (!node) return;
    undoIndex_ = (undoIndex_ + 1) % kUndoSlots;
    UndoSlot& slot = undo_[undoIndex_];
    slot.snapshot->ReleaseChildren();
    slot.snapshot->CopyFrom(*node);
    slot.target = node;
    slot.targetSerial = node->serial();
    slot.childSerials.clear();
    for (const ShowNode* c : node->children)
        slot.childSerials.push_back(c->serial());
    undoCount_ = std::min(undoCount_ + 1, kUndoSlots - 1);
    redoCount_ = 0;
    redoSlots_.clear();
}

bool Document::SlotRestorable(const UndoSlot& slot) const {
    if (!slot.target) return false;
    // The snapshot shares its children with the tree at the time it was taken: restoring it is
    // safe only while the target and every one of those children are still alive, and no
    // child has joined since.
    std::unordered_map<const ShowNode*, uint64_t> live;
    CollectLive(*root_, live);
    auto alive = [&live](const ShowNode* n, uint64_t serial) {
        const auto it = live.find(n);
        return it != live.end() && it->second == serial;
    };
    if (!alive(slot.target, slot.targetSerial)) return false;
    const auto& kids = slot.snapshot->children;
    if (kids.size() != slot.childSerials.size()) return false;
    for (size_t i = 0; i < kids.size(); ++i)
        if (!alive(kids[i], slot.childSerials[i])) return false;
    // Children added since would lose their owner: the target must hold the same children,
    // in any order.
    std::vector<const ShowNode*> then(kids.begin(), kids.end());
    std::vector<const ShowNode*> now(slot.target->children.begin(), slot.target->children.end());
    std::sort(then.begin(), then.end());
    std::sort(now.begin(), now.end());
    return then == now;
}

void Document::SwapSlotWithTarget(UndoSlot& slot) {
    ShowNode* target = slot.target;
    auto current = std::make_unique<ShowNode>();
    current->CopyFrom(*target);
    ShowNode* parent = target->parent;
    const uint64_t serial = target->serial();
    target->CopyFrom(*slot.snapshot);
    target->parent = parent;
    for (ShowNode* c : target->children)
        c->parent = target;
    slot.snapshot->ReleaseChildren();
    slot.snapshot = std::move(current);
    slot.targetSerial = serial;
    slot.childSerials.clear();
    for (const ShowNode* c : slot.snapshot->children)
        slot.childSerials.push_back(c->serial());
}

void Document::Undo() {
    if (undoIndex_ < 0 || undoCount_ == 0) return;
    UndoSlot& slot = undo_[undoIndex_];
    const int undone = undoIndex_;
    const bool restorable = SlotRestorable(slot);
    if (restorable) {
        SwapSlotWithTarget(slot);
    } else {
        slot.target = nullptr;  // its node is gone: never restore this entry
    }
    undoIndex_ = undoIndex_ - 1;
    if (undoIndex_ < 0) undoIndex_ = undoCount_ >= 2 ? kUndoSlots - 1 : 0;
    redoCount_ = std::min(redoCount_ + 1, kUndoSlots - 1);
    undoCount_ = std::max(undoCount_ - 1, 0);
    redoSlots_.push_back(restorable ? undone : -1);
    if (SceneAt(currentFrame_)) UpdateViewsAtFrame(currentFrame_, false, false);
    NotifyLayout();
    NotifyRedraw();
}

void Document::Redo() {
    if (redoCount_ <= 0 || redoSlots_.empty()) return;
    const int slotIndex = redoSlots_.back();
    redoSlots_.pop_back();
    --redoCount_;
    if (slotIndex < 0) return;  // the undo it stands for restored nothing
    UndoSlot& slot = undo_[slotIndex];
    if (SlotRestorable(slot)) SwapSlotWithTarget(slot);
    undoIndex_ = slotIndex;
    undoCount_ = std::min(undoCount_ + 1, kUndoSlots - 1);
    modified_ = true;
    if (SceneAt(currentFrame_)) UpdateViewsAtFrame(currentFrame_, false, false);
    NotifyLayout();
    NotifyRedraw();
}

// ---------------------------------------------------------------------------------------------
// Frames and keys

void Document::UpdateViewsAtFrame(int frame, bool halfFrame, bool refresh) {
    ShowNode* scene = SceneAt(frame);
    if (!scene) return;
    currentFrame_ = frame;
    EvaluateNode(*scene, frame, halfFrame);
    for (ShowNode* c : scene->children)
        EvaluateNode(*c, frame, halfFrame);
    if (ShowNode* camera = ActiveTrack(scene); camera && camera != scene)
        monitorCamera_.pose = camera->pose;
    for (auto* l : listeners_) {
        l->CurrentFrameChanged(frame);
        l->ScriptFollowFrame(frame);
    }
    if (refresh) NotifyRedraw();
}

void Document::SetKeyFrames(int frame, bool force) {
    const int tolerance =
        settings::Get(profile_, settings::kTimelineScale, settings_.frameRate) / 8;
    ShowNode* scene = SceneAt(frame);
    if (!scene) return;
    ShowNode* camera = ActiveTrack(scene);
    bool added = false;
    PushUndo(camera);
    if (camera && camera != scene) {
        KeyFrame key = monitorCamera_.pose;
        if (!KeysEqual(key, camera->pose) || (scene->selected() && force)) {
            if (currentFrame_ < 5) currentFrame_ = 0;
            key.frame = static_cast<int32_t>(int64_t(currentFrame_) - scene->startFrame);
            added |= camera->AddKey(key, tolerance);
        }
    }
    for (ShowNode* child : scene->children) {
        if (child->Is(NodeKind::Camera)) continue;
        KeyFrame kept = child->pose;
        EvaluateNode(*child, currentFrame_, false);
        if (!KeysEqual(kept, child->pose) || (child->selected() && force)) {
            kept.frame = static_cast<int32_t>(int64_t(currentFrame_) - child->startFrame);
            added |= child->AddKey(kept, tolerance);
        }
    }
    if (added) {
        host_.Beep(BeepKind::Asterisk);
        UpdateViewsAtFrame(currentFrame_, false, true);
    }
}

int Document::FindAdjacentKey(int frame, bool previous) const {
    ShowNode* track = ActiveTrack(FirstSelected());
    if (!track || track->KeyCount() == 0) return frame;
    const ShowNode& t = *track;
    int64_t next = INT64_MIN, prev = INT64_MIN;
    for (const KeyFrame& k : t.keys) {
        const int64_t f = int64_t(t.startFrame) + k.frame;
        if (f > frame && next == INT64_MIN) next = f;
        if (f < frame) prev = f;
    }
    auto clampInt = [](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    if (!previous)
        return clampInt(next != INT64_MIN ? next : int64_t(t.startFrame) + t.keys.front().frame);
    return clampInt(prev != INT64_MIN ? prev : int64_t(t.startFrame) + t.keys.back().frame);
}

void Document::FitMoves(ShowNode& actor, int oldWidth, int oldHeight, ShowNode* camera) {
    constexpr int tile = 512;
    if (oldWidth == 0 || oldHeight == 0 || !actor.media || actor.KeyCount() == 0) return;
    const int newWidth = actor.media->Width();
    const int newHeight = actor.media->Height();
    const double r = double(newWidth) / double(oldWidth);
    if (r == 0.0) return;

    double minX = 0.0, minY = 0.0;
    for (const KeyFrame& k : actor.keys) {
        minX = std::min(minX, double(k.eastWest()) - 0.5 * k.width());
        minY = std::min(minY, double(k.northSouth()) - 0.5 * k.height());
    }
    const double x0 = actor.keys[0].eastWest();
    const double y0 = actor.keys[0].northSouth();

    int dx = 0, dy = 0;
    if (oldWidth % tile != 0) dx = static_cast<int>((tile - oldWidth % tile) * 0.5 * r);
    if (oldHeight % tile != 0) dy = static_cast<int>((tile - oldHeight % tile) * 0.5 * r);
    if (newWidth % tile != 0) dx -= static_cast<int>((tile - newWidth % tile) * 0.5);
    if (newHeight % tile != 0) dy -= static_cast<int>((tile - newHeight % tile) * 0.5);

    if (camera) {
        for (KeyFrame& k : camera->keys) {
            k.eastWest() = static_cast<float>((k.eastWest() - x0) * r + (x0 - minX + dx));
            k.northSouth() = static_cast<float>((k.northSouth() - y0) * r + (y0 - minY + dy));
            const double a = k.width() * 0.5 * 0.0174532;
            k.upDown() = static_cast<float>(std::tan(a) * k.upDown() * r / std::sin(a));
        }
    }
    for (KeyFrame& k : actor.keys) {
        k.eastWest() = static_cast<float>(k.eastWest() - minX);
        k.northSouth() = static_cast<float>(k.northSouth() - minY);
    }
}

// ---------------------------------------------------------------------------------------------
// Files that moved

bool Document::LookupFile(NodeKind kind, QString& path) {
    const std::string stored = ToRecordText(path);
    if (FileExists(stored)) return true;
    const std::string bare = BareName(stored);
    if (!bare.empty()) {
        for (const QString& folder : {projectFolder_, readingFolder_}) {
            if (folder.isEmpty()) continue;
            const std::string candidate = JoinFolder(ToRecordText(folder), bare);
            if (FileExists(candidate)) {
                path = FromRecordText(candidate);
                return true;
            }
        }
    }

    host_.SetStatusText(QStringLiteral("Looking for: ") + path);
    bool found = false;
    if (host_.AskFindMissingFile(path)) {
        FileDialogRequest req;
        req.startFolder = projectFolder_;
        req.initialName = FromRecordText(bare);
        switch (kind) {
            case NodeKind::Actor:
                req.defaultExtension = QStringLiteral("bmp");
                req.filter = pictureFilter_;
                break;
            case NodeKind::Movie:
                req.defaultExtension = QStringLiteral("avi");
                req.filter = kAviFilter;
                break;
            case NodeKind::SoundTrack:
                req.defaultExtension = QStringLiteral("wav");
                req.filter = kWaveFilter;
                break;
            case NodeKind::Scene:
                req.defaultExtension = QStringLiteral("set");
                req.filter = kSetLookupFilter;
                break;
            default:
                req.filter = kAllFilter;
                break;
        }
        if (const auto chosen = host_.OpenFileName(req)) {
            path = *chosen;
            modified_ = true;
            SetProjectFolderFromFile(*chosen);
            found = true;
        }
    }
    host_.SetStatusText(QString());
    return found;
}

// ---------------------------------------------------------------------------------------------
// Sets and panels

bool Document::ReadSet(Set& set, const QString& path, bool append, bool skipLookup) {
    QString p = path;
    if (!skipLookup) LookupFile(NodeKind::Scene, p);
    std::FILE* f = std::fopen(ToRecordText(p).c_str(), "rb");
    if (!f) return false;
    if (!append) set.Clear();
    set.SetPath(ToRecordText(p));
    std::vector<SetPanel> panels;
    const bool ok = ReadSetStream(f, panels);
    std::fclose(f);
    if (!ok) return false;
    set.dirty = 0;
    for (const SetPanel& read : panels) {
        SetPanel& panel = set.AddPanel(read);
        const size_t len = strnlen(panel.imagePath, kPanelPathBytes - 1);
        if (len < 5) {
            panel.textureSlot = -1;
            continue;
        }
        if (!skipLookup) {
            const std::string before(panel.imagePath, len);
            QString image = FromRecordText(before);
            LookupFile(NodeKind::Actor, image);
            const std::string after = ToRecordText(image);
            if (after != before) {
                SetBoundedText(panel.imagePath, after);
                set.dirty = 1;
            }
        }
        if (!loader_->LoadPanelPicture(*this, panel)) panel.textureSlot = -1;
    }
    return true;
}

bool Document::WriteSet(Set& set, const QString& path) {
    if (!WriteSetFile(ToRecordText(path), set.panels)) {
        host_.Message(QStringLiteral("Couldn't write SET file"));
        return false;
    }
    set.SetPath(ToRecordText(path));
    set.dirty = 0;
    return true;
}

bool Document::OpenSet(const QString* path, ShowNode* scene, bool append, bool skipLookup) {
    if (!scene) return false;
    QString chosen;
    if (!path) {
        FileDialogRequest req;
        req.filter = kSetFilter;
        req.startFolder = projectFolder_;
        const auto picked = host_.OpenFileName(req);
        if (!picked) return false;
        SetProjectFolderFromFile(*picked);
        chosen = *picked;
    } else {
        chosen = *path;
    }
    if (chosen.isEmpty()) return false;
    host_.SetWaitCursor(true);
    if (!scene->set) scene->set = std::make_unique<Set>();
    const bool ok = ReadSet(*scene->set, chosen, append, skipLookup);
    scene->SetFileName(scene->set->path);
    host_.SetWaitCursor(false);
    NotifyStage();
    return ok;
}

bool Document::SaveSet(bool askName, ShowNode* scene) {
    if (!scene || !scene->set) return false;
    QString name = FromRecordText(scene->GetFileName());
    if (name.isEmpty() || askName) {
        FileDialogRequest req;
        req.filter = kSetFilter;
        req.defaultExtension = QStringLiteral("set");
        req.startFolder = projectFolder_;
        req.initialName = name;
        req.overwritePrompt = true;
        const auto picked = host_.SaveFileName(req);
        if (!picked) return false;
        SetProjectFolderFromFile(*picked);
        name = *picked;
    }
    scene->SetFileName(ToRecordText(name));
    return WriteSet(*scene->set, name);
}

void Document::NewSet(ShowNode* scene) {
    if (!scene || !scene->set) return;
    if (!Confirm()) return;
    scene->set->Clear();
    scene->SetFileName("");
    NotifyStage();
}

ShowNode* Document::CurrentSceneWithSet() {
    ShowNode* scene = SceneAt(currentFrame_);
    return scene && scene->set ? scene : nullptr;
}

void Document::NewPanel(bool wall) {
    ShowNode* scene = SceneForCommand();
    if (!scene) return;
    PushUndo(scene);
    if (!scene->set) scene->set = std::make_unique<Set>();
    Set& set = *scene->set;
    set.SelectAll(false);

    const StageViewArea area = host_.VisibleStageArea();
    const double x = area.centreX, y = area.centreY;
    SetPanel panel;
    const float left = static_cast<float>((x - 2048.0) * 0.005);
    const float right = static_cast<float>((x - 1952.0) * 0.005);
    panel.cornerEastWest[0] = left;
    panel.cornerEastWest[1] = right;
    panel.cornerEastWest[2] = right;
    panel.cornerEastWest[3] = left;
    if (wall) {
        panel.cornerUpDown[0] = panel.cornerUpDown[1] = 0.48f;
        for (float& v : panel.cornerNorthSouth)
            v = static_cast<float>((y - 2000.0) * 0.005);
    } else {
        const float nearEdge = static_cast<float>((y - 2048.0) * 0.005);
        const float farEdge = static_cast<float>((y - 1952.0) * 0.005);
        panel.cornerNorthSouth[0] = panel.cornerNorthSouth[1] = nearEdge;
        panel.cornerNorthSouth[2] = panel.cornerNorthSouth[3] = farEdge;
    }
    panel.panelColor = 255;
    panel.selected = 1;
    panel.textureSlot = -1;
    panel.keyColor = settings_.defaultKeyColor;

    if (const auto chosen = AskOpen(pictureFilter_, QString())) {
        SetBoundedText(panel.imagePath, ToRecordText(*chosen));
        if (loader_->LoadPanelPicture(*this, panel))
            SetProjectFolderFromFile(*chosen);
        else
            panel.textureSlot = -1;
    }
    set.AddPanel(panel);
    set.dirty = 1;
    NotifySelection();
    NotifyStage();
}

void Document::CopyPanels() {
    ShowNode* scene = CurrentSceneWithSet();
    if (!scene || setLocked_) return;
    panelClipboard_.clear();
    for (const SetPanel& p : scene->set->panels)
        if (p.selected) panelClipboard_.push_back(p);
    clipboardUsed_ = true;
}

void Document::CutPanels() {
    ShowNode* scene = CurrentSceneWithSet();
    if (!scene) return;
    CopyPanels();
    RemoveSelectedPanels();
}

void Document::RemoveSelectedPanels() {
    ShowNode* scene = CurrentSceneWithSet();
    if (!scene || setLocked_) return;
    Set& set = *scene->set;
    for (int i = set.panelCount() - 1; i >= 0; --i)
        if (set.panels[i].selected) set.DeletePanel(i);
    NotifyStage();
}

void Document::PastePanels() {
    ShowNode* scene = CurrentSceneWithSet();
    if (!scene || setLocked_ || !clipboardUsed_) return;
    Set& set = *scene->set;
    set.SelectAll(false);
    for (const SetPanel& p : panelClipboard_)
        set.AddPanel(p);
    set.dirty = 1;
    NotifySelection();
    NotifyStage();
}

}  // namespace quillon
