#include "Document.h"

#include <algorithm>
#include <cmath>

#include "FileFilters.h"
#include "Motion.h"
#include "Paths.h"
#include "Profile.h"
#include "ShowFile.h"

namespace quillon {

namespace {

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
    root_ = std::make_unique<ShowNode>();
    root_->SetName("Root");
    root_->startFrame = 0;
    root_->endFrame = 0x7fffffff;
}

Document::~Document() = default;

void Document::AddListener(DocumentListener* listener) {
    listeners_.push_back(listener);
}

void Document::RemoveListener(DocumentListener* listener) {
    std::erase(listeners_, listener);
}

void Document::NotifyChanged(const DocumentChange& change) {
    // A listener may add or remove listeners while it is told: tell a copy.
    const std::vector<DocumentListener*> listeners = listeners_;
    for (DocumentListener* l : listeners)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end())
            l->DocumentChanged(change);
}

void Document::Notify(uint32_t aspects, std::vector<const ShowNode*> nodes) {
    DocumentChange change;
    change.aspects = aspects;
    change.nodes = std::move(nodes);
    change.frame = currentFrame_;
    NotifyChanged(change);
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
        Notify(DocumentChange::kPanels);
    }
}

// ---------------------------------------------------------------------------------------------
// Lookups

ShowNode* Document::SceneAt(int frame) const {
    for (ShowNode* s : root_->children)
        if (s->startFrame <= frame && frame < s->endFrame) return s;
    return nullptr;
}

ShowNode* Document::SelectedActorAt(int frame) const {
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

Set* Document::SetOfSceneAt(int frame) const {
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
    ShowNode* scene = currentScene();
    if (!scene) host_.Beep(BeepKind::Exclamation);
    return scene;
}

// ---------------------------------------------------------------------------------------------
// Prompts

void Document::ShowError(const QString& text) {
    host_.Message(text);
}

void Document::ShowError(const QString& text, long code) {
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
// The show as a whole

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

void Document::Reset(bool withScene) {
    undo_.Clear();
    currentFrame_ = 0;
    SetShowPath(QString());
    captions_.clear();
    if (withScene) {
        while (root_->childCount() > 0)
            root_->RemoveChild(root_->childCount() - 1);
        NewScene(kNewSceneLength);
    }
    loader_->ResetTextures();
    modified_ = false;
}

void Document::AdoptScenes(ShowNode& readRoot) {
    while (root_->childCount() > 0)
        root_->RemoveChild(root_->childCount() - 1);
    undo_.Clear();
    for (ShowNode* scene : readRoot.children)
        root_->AddChild(scene, false);
    readRoot.ReleaseChildren();
}

// ---------------------------------------------------------------------------------------------
// Scenes and tracks

KeyFrame Document::NewTrackKey(NodeKind kind, const StagePlace& place) const {
    if (kind == NodeKind::Camera) return DefaultCameraKey(settings_.rostrumMode);
    KeyFrame key;
    key.eastWest() = static_cast<float>(place.centreX);
    key.northSouth() = static_cast<float>(place.centreY);
    key.width() = static_cast<float>(place.clientHeight * 0.25);
    key.height() = static_cast<float>(place.clientHeight / 6.0);
    return key;
}

void Document::GiveTrackItsFile(ShowNode& node, const QString& file) {
    switch (node.kind) {
        case NodeKind::Actor:
            if (!file.isEmpty()) {
                GiveFile(node, file);
                loader_->AssignActorPicture(*this, file, node, true);
            } else if (const auto chosen = AskOpen(filters::Pictures(), QString())) {
                node.SetFileName(ToRecordText(*chosen));
                if (loader_->AssignActorPicture(*this, *chosen, node, true)) {
                    node.SetName(DisplayName(ToRecordText(*chosen)));
                    SetProjectFolderFromFile(*chosen);
                }
            }
            break;
        case NodeKind::SoundTrack:
            if (const auto chosen = AskOpen(filters::kWave, QStringLiteral("wav"))) {
                SetProjectFolderFromFile(*chosen);
                if (const auto frames = loader_->LoadSound(*this, *chosen, node)) {
                    EndAfter(node, *frames);
                    GiveFile(node, *chosen);
                }
            }
            break;
        case NodeKind::Movie:
            if (const auto chosen = AskOpen(filters::kAvi, QStringLiteral("avi"))) {
                SetProjectFolderFromFile(*chosen);
                if (const auto frames = loader_->MovieFrameCount(*chosen)) {
                    EndAfter(node, *frames);
                    GiveFile(node, *chosen);
                }
            }
            break;
        case NodeKind::Script:
            if (const auto chosen = AskOpen(filters::kScript, QString())) {
                SetProjectFolderFromFile(*chosen);
                if (loader_->LoadScript(*this, *chosen, node)) GiveFile(node, *chosen);
            }
            break;
        default:
            break;
    }
}

bool Document::AddTrack(NodeKind kind, int start, int end, const StagePlace& place,
                        const QString& file) {
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
    node->AddKey(NewTrackKey(kind, place), 0);
    node->keyColor = settings_.defaultKeyColor;
    GiveTrackItsFile(*node, file);

    if (settings_.rostrumMode && kind != NodeKind::Camera && node->KeyCount() > 0) {
        KeyFrame& k = node->keys[0];
        k.eastWest() = static_cast<float>(k.width() * 0.5);
        k.northSouth() = static_cast<float>(k.height() * 0.5);
    }

    node->setSelected(true);
    EvaluateNode(*node, start, false);
    Notify(DocumentChange::kNodes | DocumentChange::kSelection | DocumentChange::kRedraw, {node});
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

    UpdateViewsAtFrame(start);
    Notify(DocumentChange::kNodes, {scene});
    return scene;
}

void Document::DeleteSelectedScenes() {
    PushUndo(nullptr);
    for (int i = root_->childCount() - 1; i >= 0; --i)
        if (root_->children[i]->selected()) root_->RemoveChild(i);
    host_.Beep(BeepKind::Asterisk);
    if (currentScene()) UpdateViewsAtFrame(currentFrame_);
    Notify(DocumentChange::kNodes | DocumentChange::kSelection | DocumentChange::kRedraw);
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
    Notify(DocumentChange::kNodes | DocumentChange::kSelection | DocumentChange::kRedraw, {scene});
}

bool Document::AddActorCommand(const StagePlace& place, const QString& file) {
    ShowNode* scene = SceneForCommand();
    if (!scene) return false;
    const bool ok = AddTrack(NodeKind::Actor, scene->startFrame, scene->endFrame, place, file);
    if (ok) host_.Beep(BeepKind::Asterisk);
    return ok;
}

bool Document::AddSoundCommand(const StagePlace& place) {
    if (!SceneForCommand()) return false;
    const int start = currentFrame_;
    const bool ok =
        AddTrack(NodeKind::SoundTrack, start, start + (settings_.frameRate + 50) / 100, place);
    if (ok) host_.Beep(BeepKind::Asterisk);
    return ok;
}

bool Document::AddScriptCommand(const StagePlace& place) {
    ShowNode* scene = SceneForCommand();
    if (!scene) return false;
    const bool ok = AddTrack(NodeKind::Script, scene->startFrame, scene->endFrame, place);
    if (ok) {
        Notify(DocumentChange::kScript, {scene->children.back()});
        host_.Beep(BeepKind::Asterisk);
    }
    return ok;
}

bool Document::AddCameraCommand() {
    ShowNode* scene = SceneForCommand();
    if (!scene) return false;
    const bool ok = AddTrack(NodeKind::Camera, scene->startFrame, scene->endFrame, StagePlace{});
    if (ok) host_.Beep(BeepKind::Asterisk);
    return ok;
}

void Document::AddNewSceneCommand() {
    NewScene(kNewSceneLength);
    Notify(DocumentChange::kRedraw);
}

void Document::ConstantMotionCommand() {
    modified_ = true;
    ShowNode* scene = nullptr;
    if (settings_.rostrumMode) {
        scene = currentScene();
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
    {
        // Every frame of the move is measured: a long camera path takes a while.
        WaitCursor wait(host_);
        ConstantMotion(*camera, 0, kConstantMotionEnd);
    }
    Notify(DocumentChange::kKeys, {camera});
    UpdateViewsAtFrame(currentFrame_, Refresh::kViews);
}

void Document::ToggleScaleKeys() {
    settings_.scaleKeys = !settings_.scaleKeys;
    settings::Write(profile_, settings::kScaleKeys, settings_.scaleKeys ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// Undo

void Document::PushUndo(ShowNode* node) {
    modified_ = true;
    if (node) undo_.Push(*node);
}

void Document::AfterUndoStep(ShowNode* changed) {
    if (currentScene()) UpdateViewsAtFrame(currentFrame_);
    std::vector<const ShowNode*> nodes;
    if (changed) nodes.push_back(changed);
    Notify(DocumentChange::kNodes | DocumentChange::kRange | DocumentChange::kKeys |
               DocumentChange::kPanels | DocumentChange::kRedraw,
           std::move(nodes));
}

void Document::Undo() {
    if (undo_.undoCount() == 0) return;
    AfterUndoStep(undo_.Undo(*root_));
}

void Document::Redo() {
    if (undo_.redoCount() == 0) return;
    ShowNode* changed = undo_.Redo(*root_);
    modified_ = true;
    AfterUndoStep(changed);
}

// ---------------------------------------------------------------------------------------------
// Frames and keys

void Document::UpdateViewsAtFrame(int frame, Refresh refresh, FrameInstant instant) {
    ShowNode* scene = SceneAt(frame);
    if (!scene) return;
    currentFrame_ = frame;
    const bool halfFrame = instant == FrameInstant::kHalf;
    EvaluateNode(*scene, frame, halfFrame);
    for (ShowNode* c : scene->children)
        EvaluateNode(*c, frame, halfFrame);
    if (ShowNode* camera = ActiveTrack(scene); camera && camera != scene)
        monitorCamera_.pose = camera->pose;
    uint32_t aspects = DocumentChange::kFrame;
    if (refresh == Refresh::kViews) aspects |= DocumentChange::kRedraw;
    Notify(aspects);
}

void Document::SetKeyFrames(int frame, KeyForce keyForce) {
    const bool force = keyForce == KeyForce::kSelectedToo;
    const int tolerance =
        settings::Get(profile_, settings::kTimelineScale, settings_.frameRate) / 8;
    ShowNode* scene = SceneAt(frame);
    if (!scene) return;
    ShowNode* camera = ActiveTrack(scene);
    std::vector<const ShowNode*> keyed;
    PushUndo(camera);
    if (camera && camera != scene) {
        KeyFrame key = monitorCamera_.pose;
        if (!KeysEqual(key, camera->pose) || (scene->selected() && force)) {
            if (currentFrame_ < 5) currentFrame_ = 0;
            key.frame = static_cast<int32_t>(int64_t(currentFrame_) - scene->startFrame);
            if (camera->AddKey(key, tolerance)) keyed.push_back(camera);
        }
    }
    for (ShowNode* child : scene->children) {
        if (child->Is(NodeKind::Camera)) continue;
        KeyFrame kept = child->pose;
        EvaluateNode(*child, currentFrame_, false);
        if (!KeysEqual(kept, child->pose) || (child->selected() && force)) {
            kept.frame = static_cast<int32_t>(int64_t(currentFrame_) - child->startFrame);
            if (child->AddKey(kept, tolerance)) keyed.push_back(child);
        }
    }
    if (!keyed.empty()) {
        host_.Beep(BeepKind::Asterisk);
        Notify(DocumentChange::kKeys, keyed);
        UpdateViewsAtFrame(currentFrame_, Refresh::kViews);
    }
}

int Document::FindAdjacentKey(int frame, KeyDirection direction) const {
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
    // Past the last key the next one is the first again, and before the first the last.
    if (direction == KeyDirection::kNext)
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
// Panels

ShowNode* Document::CurrentSceneWithSet() {
    ShowNode* scene = currentScene();
    return scene && scene->set ? scene : nullptr;
}

void Document::NewPanel(PanelKind kind, const StagePlace& place) {
    ShowNode* scene = SceneForCommand();
    if (!scene) return;
    PushUndo(scene);
    if (!scene->set) scene->set = std::make_unique<Set>();
    Set& set = *scene->set;
    set.SelectAll(false);

    const double x = place.centreX, y = place.centreY;
    SetPanel panel;
    const float left = static_cast<float>((x - 2048.0) * 0.005);
    const float right = static_cast<float>((x - 1952.0) * 0.005);
    panel.cornerEastWest[0] = left;
    panel.cornerEastWest[1] = right;
    panel.cornerEastWest[2] = right;
    panel.cornerEastWest[3] = left;
    if (kind == PanelKind::kWall) {
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

    if (const auto chosen = AskOpen(filters::Pictures(), QString())) {
        SetBoundedText(panel.imagePath, ToRecordText(*chosen));
        if (loader_->LoadPanelPicture(*this, panel))
            SetProjectFolderFromFile(*chosen);
        else
            panel.textureSlot = -1;
    }
    set.AddPanel(panel);
    set.dirty = 1;
    Notify(DocumentChange::kPanels, {scene});
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
    Notify(DocumentChange::kPanels, {scene});
}

void Document::PastePanels() {
    ShowNode* scene = CurrentSceneWithSet();
    if (!scene || setLocked_ || !clipboardUsed_) return;
    Set& set = *scene->set;
    set.SelectAll(false);
    for (const SetPanel& p : panelClipboard_)
        set.AddPanel(p);
    set.dirty = 1;
    Notify(DocumentChange::kPanels, {scene});
}

}  // namespace quillon
