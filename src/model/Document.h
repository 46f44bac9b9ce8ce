#pragma once
// The application's one document: it owns the show (node tree, sets, captions, panel clipboard,
// undo ring) and carries out every operation that changes the show as a whole. It talks to the
// user only through DocumentHost, tells views of changes through DocumentListener and loads
// media through MediaLoader.

#include <QString>
#include <array>
#include <functional>
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

namespace quillon {

class Profile;

// Hundredths of every channel compared without sign, plus hold and act.
bool KeysEqual(const KeyFrame& a, const KeyFrame& b);

class Document {
  public:
    static constexpr int kUndoSlots = 16;
    static constexpr int kNewSceneLength = 300;
    static constexpr int kConstantMotionEnd = 2592000;

    Document(Profile& profile, DocumentHost& host);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    void AddListener(DocumentListener* listener);
    void RemoveListener(DocumentListener* listener);
    // The loader stays owned by the caller; nullptr restores the loader that loads nothing.
    void SetMediaLoader(MediaLoader* loader);
    MediaLoader& mediaLoader() { return *loader_; }
    DocumentHost& host() { return host_; }
    Profile& profile() { return profile_; }

    // --- show state ---
    ShowNode& root() { return *root_; }
    const ShowNode& root() const { return *root_; }
    const QString& path() const { return path_; }
    bool modified() const { return modified_; }
    void SetModified(bool on) { modified_ = on; }
    std::vector<std::string>& captions() { return captions_; }
    int activeCamera() const { return activeCamera_; }
    void SetActiveCamera(int index);
    ShowNode* currentScene() const { return currentScene_; }
    const QString& projectFolder() const { return projectFolder_; }
    // Makes the folder of a chosen file the project folder and writes it to the profile.
    void SetProjectFolderFromFile(const QString& file);
    const QString& pictureFilter() const { return pictureFilter_; }
    const DocumentSettings& settings() const { return settings_; }
    DocumentSettings& settings() { return settings_; }

    // Process-wide values every view reads.
    int currentFrame() const { return currentFrame_; }
    int frameRate() const { return settings_.frameRate; }
    bool rostrumMode() const { return settings_.rostrumMode; }
    MonitorCamera& monitorCamera() { return monitorCamera_; }
    // The stage's set lock: copy and paste leave a locked set alone.
    bool setLocked() const { return setLocked_; }
    void SetSetLocked(bool on);

    // --- lookups ---
    ShowNode* SceneAt(int frame);
    ShowNode* SelectedActorAt(int frame);
    ShowNode* FirstSelected() const;
    ShowNode* ActiveTrack(ShowNode* node) const;
    Set* SetOfSceneAt(int frame);
    int TotalFrames() const;

    // --- show files ---
    void Reset(bool withScene);
    void NewShow();
    void OpenShow();
    bool ReadShow(const QString& path);
    bool WriteShow(const QString& path);
    bool SaveShow();
    bool SaveShowAs();
    // The close prompts: dirty sets, the show, then the script.
    void CloseShow();
    void SetShowPath(const QString& path);
    QString WindowTitle() const { return title_; }
    // Set by the script window when its text has unsaved changes; CloseShow asks about it.
    void SetScriptSaver(std::function<bool()> isModified, std::function<void()> save,
                        std::function<QString()> path);

    // --- prompts ---
    bool AskSave(const QString& name, const QString& label);
    bool Confirm();
    void ShowError(const QString& text, long code);
    void ShowKeyInfo(const ShowNode& node, int index, const KeyFrame& key);

    // --- scenes and tracks ---
    bool AddTrack(NodeKind kind, int start, int end, const QString& file = QString());
    ShowNode* NewScene(int length);
    void DeleteSelectedScenes();
    void DeleteSelectedTracks();
    // Menu commands that act on the scene at the current frame (warning beep when none).
    bool AddActorCommand(const QString& file = QString());
    bool AddSoundCommand();
    bool AddScriptCommand();
    bool AddCameraCommand();
    void AddNewSceneCommand();
    void ConstantMotionCommand();
    void ToggleScaleKeys();

    // --- undo ---
    void PushUndo(ShowNode* node);
    void Undo();
    void Redo();
    int undoCount() const { return undoCount_; }
    int redoCount() const { return redoCount_; }
    int undoIndex() const { return undoIndex_; }

    // --- keys and frames ---
    void UpdateViewsAtFrame(int frame, bool halfFrame, bool refresh);
    void SetKeyFrames(int frame, bool force);
    int FindAdjacentKey(int frame, bool previous) const;
    void FitMoves(ShowNode& actor, int oldWidth, int oldHeight, ShowNode* camera);

    // --- files that moved ---
    bool LookupFile(NodeKind kind, QString& path);
    // Set to the folder of the show being read, so files moved together with it are found.
    const QString& readingFolder() const { return readingFolder_; }

    // --- sets and panels ---
    bool ReadSet(Set& set, const QString& path, bool append, bool skipLookup);
    bool WriteSet(Set& set, const QString& path);
    bool OpenSet(const QString* path, ShowNode* scene, bool append, bool skipLookup);
    bool SaveSet(bool askName, ShowNode* scene);
    void NewSet(ShowNode* scene);
    void NewPanel(bool wall);
    void CopyPanels();
    void CutPanels();
    void PastePanels();
    void RemoveSelectedPanels();
    bool panelClipboardUsed() const { return clipboardUsed_; }
    const std::vector<SetPanel>& panelClipboard() const { return panelClipboard_; }

  private:
    struct UndoSlot {
        std::unique_ptr<ShowNode> snapshot;
        ShowNode* target = nullptr;
        uint64_t targetSerial = 0;
        std::vector<uint64_t> childSerials;
    };
    bool SlotRestorable(const UndoSlot& slot) const;
    void SwapSlotWithTarget(UndoSlot& slot);
    void ClearUndo();
    ShowNode* SceneForCommand();
    void NotifyRedraw();
    void NotifyLayout();
    void NotifyStage();
    void NotifySelection();
    std::optional<QString> AskOpen(const QString& filter, const QString& ext);
    KeyFrame NewTrackKey(NodeKind kind) const;
    ShowNode* CurrentSceneWithSet();

    Profile& profile_;
    DocumentHost& host_;
    NullMediaLoader nullLoader_;
    MediaLoader* loader_ = &nullLoader_;
    std::vector<DocumentListener*> listeners_;

    QString path_;
    QString title_ = QStringLiteral("Quillon");
    bool modified_ = false;
    std::unique_ptr<ShowNode> root_;
    ShowNode* currentScene_ = nullptr;
    int activeCamera_ = 0;
    std::vector<std::string> captions_;
    QString projectFolder_;
    QString pictureFilter_;
    QString readingFolder_;
    DocumentSettings settings_;
    int currentFrame_ = 0;
    MonitorCamera monitorCamera_;
    bool setLocked_ = false;

    std::array<UndoSlot, kUndoSlots> undo_;
    int undoIndex_ = -1;
    int undoCount_ = 0;
    int redoCount_ = 0;
    std::vector<int> redoSlots_;  // slots undone, most recent last

    std::vector<SetPanel> panelClipboard_;
    bool clipboardUsed_ = false;

    std::function<bool()> scriptModified_;
    std::function<void()> saveScript_;
    std::function<QString()> scriptPath_;
};

}  // namespace quillon
