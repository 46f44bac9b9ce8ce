// The document's editing operations: scenes, tracks and their files, and set panels.
#include <algorithm>

#include "Document.h"
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
                if (LoadScript(*chosen)) GiveFile(node, *chosen);
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
