#pragma once
// The application's one document: it owns the show (node tree, sets, captions, panel clipboard,
// undo ring) and carries out every operation that changes the show as a whole: scenes and
// tracks, turning poses into keys, undo, panels, and making a frame current. Files, with their
// prompts and dialogs, are ShowFiles' work. It talks to the user only through DocumentHost,
// tells views what changed through DocumentListener and loads media through MediaLoader.

#include <QString>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "DocumentHost.h"
#include "DocumentListener.h"
#include "MediaLoader.h"
#include "MonitorCamera.h"
#include "Settings.h"
#include "ShowNode.h"
#include "UndoRing.h"

namespace quillon {

class Profile;
class ScriptHolder;

// Hundredths of every channel compared without sign, plus hold and act.
bool KeysEqual(const KeyFrame& a, const KeyFrame& b);

// Where on the stage plan new tracks and panels go: the centre of the part of the plan the user
// looks at, in stage units, and the plan's client height in pixels (new cards are sized from
// it). The caller says; the default is the middle of the stage in a 400-pixel view.
struct StagePlace {
    double centreX = 2000.0;
    double centreY = 2000.0;
    int clientHeight = 400;
};

// What a frame change redraws besides the monitor: nothing more, or the stage and timeline;
// kPlay is a frame of real-time play, which the stage plan leaves alone (see
// DocumentChange::playTick).
enum class Refresh { kNone, kViews, kPlay };
// The instant a frame is evaluated at: the frame itself or half a frame later (the second
// field of an interlaced frame).
enum class FrameInstant { kWhole, kHalf };
// "Add or Reset KeyFrame": keys only what moved, or also every selected track (Shift).
enum class KeyForce { kMovedOnly, kSelectedToo };
enum class KeyDirection { kNext, kPrevious };
enum class PanelKind { kFloor, kWall };

class Document {
  public:
    static constexpr int kNewSceneLength = 300;
    static constexpr int kConstantMotionEnd = 2592000;

    Document(Profile& profile, DocumentHost& host);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    void AddListener(DocumentListener* listener);
    void RemoveListener(DocumentListener* listener);
    // Tells every listener. Views and dialogs that change records in place call it too.
    void NotifyChanged(const DocumentChange& change);
    // The loader stays owned by the caller; nullptr restores the loader that loads nothing.
    void SetMediaLoader(MediaLoader* loader);
    MediaLoader& mediaLoader() { return *loader_; }
    // The script window, which loads script tracks' files and holds their text; null for none
    // (nothing is loaded then). Stays owned by the caller.
    void SetScriptHolder(ScriptHolder* holder) { script_ = holder; }
    ScriptHolder* scriptHolder() const { return script_; }
    // The file loaded into the script holder (which shows it); false without one or when the
    // file cannot be read.
    bool LoadScript(const QString& path);
    DocumentHost& host() { return host_; }
    Profile& profile() { return profile_; }
    const Profile& profile() const { return profile_; }

    // --- show state ---
    ShowNode& root() { return *root_; }
    const ShowNode& root() const { return *root_; }
    const QString& path() const { return path_; }
    bool modified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }
    std::vector<std::string>& captions() { return captions_; }
    const std::vector<std::string>& captions() const { return captions_; }
    int activeCamera() const { return activeCamera_; }
    void SetActiveCamera(int index);
    const QString& projectFolder() const { return projectFolder_; }
    // Makes the folder of a chosen file the project folder and writes it to the profile.
    void SetProjectFolderFromFile(const QString& file);
    const DocumentSettings& settings() const { return settings_; }
    DocumentSettings& settings() { return settings_; }

    // Process-wide values every view reads.
    int currentFrame() const { return currentFrame_; }
    int frameRate() const { return settings_.frameRate; }
    bool rostrumMode() const { return settings_.rostrumMode; }
    MonitorCamera& monitorCamera() { return monitorCamera_; }
    const MonitorCamera& monitorCamera() const { return monitorCamera_; }
    // The stage's set lock: copy and paste leave a locked set alone.
    bool setLocked() const { return setLocked_; }
    void SetSetLocked(bool on);

    // --- lookups (they change nothing) ---
    ShowNode* SceneAt(int frame) const;
    // The scene that holds the current frame.
    ShowNode* currentScene() const { return SceneAt(currentFrame_); }
    ShowNode* SelectedActorAt(int frame) const;
    ShowNode* FirstSelected() const;
    // A scene stands for its active camera; any other node for itself.
    ShowNode* ActiveTrack(ShowNode* node) const;
    Set* SetOfSceneAt(int frame) const;
    int TotalFrames() const;

    // --- the show as a whole ---
    // Empties the undo ring, goes to frame 0, forgets the path and the captions, and with
    // withScene replaces every scene by one new scene; clears modified.
    void Reset(bool withScene);
    // The path and the window title: "Quillon", with " - " and the path cut at its first "."
    // and upper-cased when there is a path.
    void SetShowPath(const QString& path);
    QString WindowTitle() const { return title_; }
    // The name "Save Show &As..." offers for an untitled show: where a show recovered after a
    // crash used to live. Forgotten whenever the path changes.
    const QString& suggestedPath() const { return suggestedPath_; }
    void SetSuggestedPath(const QString& path) { suggestedPath_ = path; }
    // Replaces every scene by those of a show just read (root's children are taken over) and
    // empties the undo ring.
    void AdoptScenes(ShowNode& readRoot);

    // --- prompts ---
    void ShowError(const QString& text);
    // The text followed by "  [ code ]".
    void ShowError(const QString& text, long code);
    void ShowKeyInfo(const ShowNode& node, int index, const KeyFrame& key);

    // --- scenes and tracks ---
    // A track of kind over start .. end in the scene at start, its first key placed at place;
    // a file, when given, is its picture (actors); otherwise the kind's file dialog asks.
    // False when no scene holds start or start lies within the scene's last 8 frames.
    bool AddTrack(NodeKind kind, int start, int end, const StagePlace& place,
                  const QString& file = QString());
    ShowNode* NewScene(int length);
    void DeleteSelectedScenes();
    void DeleteSelectedTracks();
    // Menu commands that act on the scene at the current frame (warning beep when none).
    bool AddActorCommand(const StagePlace& place, const QString& file = QString());
    bool AddSoundCommand(const StagePlace& place);
    bool AddScriptCommand(const StagePlace& place);
    bool AddCameraCommand();
    void AddNewSceneCommand();
    void ConstantMotionCommand();
    void ToggleScaleKeys();

    // --- undo ---
    // Marks the show modified and, for a node, snapshots it before it changes.
    void PushUndo(ShowNode* node);
    void Undo();
    void Redo();
    int undoCount() const { return undo_.undoCount(); }
    int redoCount() const { return undo_.redoCount(); }
    int undoIndex() const { return undo_.index(); }

    // --- keys and frames ---
    // Makes frame current when a scene holds it: evaluates the scene and its tracks, copies
    // the active camera's pose to the monitor camera and tells the views.
    void UpdateViewsAtFrame(int frame, Refresh refresh = Refresh::kNone,
                            FrameInstant instant = FrameInstant::kWhole);
    void SetKeyFrames(int frame, KeyForce force);
    int FindAdjacentKey(int frame, KeyDirection direction) const;
    void FitMoves(ShowNode& actor, int oldWidth, int oldHeight, ShowNode* camera);

    // --- panels ---
    void NewPanel(PanelKind kind, const StagePlace& place);
    void CopyPanels();
    void CutPanels();
    void PastePanels();
    void RemoveSelectedPanels();
    bool panelClipboardUsed() const { return clipboardUsed_; }
    const std::vector<SetPanel>& panelClipboard() const { return panelClipboard_; }

  private:
    ShowNode* SceneForCommand();
    void Notify(uint32_t aspects, std::vector<const ShowNode*> nodes = {});
    std::optional<QString> AskOpen(const QString& filter, const QString& ext);
    KeyFrame NewTrackKey(NodeKind kind, const StagePlace& place) const;
    // Step 5 of adding a track: the kind's file, given or chosen, and what it loads.
    void GiveTrackItsFile(ShowNode& node, const QString& file);
    ShowNode* CurrentSceneWithSet();
    void AfterUndoStep(ShowNode* changed);

    Profile& profile_;
    DocumentHost& host_;
    NullMediaLoader nullLoader_;
    MediaLoader* loader_ = &nullLoader_;
    std::vector<DocumentListener*> listeners_;

    QString path_;
    QString suggestedPath_;
    QString title_ = QStringLiteral("Quillon");
    bool modified_ = false;
    std::unique_ptr<ShowNode> root_;
    int activeCamera_ = 0;
    std::vector<std::string> captions_;
    QString projectFolder_;
    DocumentSettings settings_;
    int currentFrame_ = 0;
    ScriptHolder* script_ = nullptr;
    MonitorCamera monitorCamera_;
    bool setLocked_ = false;
    UndoRing undo_;

    std::vector<SetPanel> panelClipboard_;
    bool clipboardUsed_ = false;
};

}  // namespace quillon
