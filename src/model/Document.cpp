#include "Document.h"

#include <algorithm>
#include <cmath>

#include "Motion.h"
#include "Paths.h"
#include "Profile.h"
#include "ScriptHolder.h"

namespace quillon {

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
    suggestedPath_.clear();
    title_ = QStringLiteral("Quillon");
    if (!path.isEmpty()) {
        QString cut = path;
        const qsizetype dot = cut.indexOf(QLatin1Char('.'));
        if (dot >= 0) cut.truncate(dot);
        title_ += QStringLiteral(" - ") + cut.toUpper();
    }
    host_.SetWindowTitle(title_);
}

bool Document::LoadScript(const QString& path) {
    return script_ && script_->Load(path);
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
    if (refresh == Refresh::kPlay)
        NotifyChanged({.aspects = aspects, .frame = frame, .playTick = true});
    else
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

}  // namespace quillon
