#pragma once
// MainWindow: the one main window. Stage plan top left, monitor top right with the player pane
// under it, timeline across the bottom; the menus, tool bar and status-bar controls, each
// command routed to the document, a view, the monitor or a dialog. Display toggles write their
// profile keys at once; the window rectangle and pane sizes are read at start and written at
// close.

#include <QHash>
#include <QMainWindow>
#include <functional>

#include "model/DocumentListener.h"

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolButton;
class QToolBar;

namespace quillon {

class Document;
class GlTextureUploader;
class GuiHost;
class MonitorWidget;
class PictureMediaLoader;
class Player;
class Profile;
class StageReadout;
class StageView;
class TimelineView;

// Command ids of the menus, tool bar and status bar; the window's actions are found by them.
// The ids the commands have always had where they are known (the frame's own commands, the
// transport and zoom buttons, the framework's file and edit commands), others of our own.
enum CommandId : int {
    kCmdNewShow = 57600,
    kCmdOpenShow = 57601,
    kCmdSaveShow = 57603,
    kCmdSaveShowAs = 57604,
    kCmdPrint = 57607,
    kCmdMakeMovie = 32806,
    kCmdPartsList = 32881,
    kCmdBatchRecord = 32889,
    kCmdRecent1 = 57616,
    kCmdRecent2 = 57617,
    kCmdRecent3 = 57618,
    kCmdExit = 57665,
    kCmdUndo = 57643,
    kCmdRedo = 57644,
    kCmdScaleKeys = 32811,
    kCmdConstantMotion = 32815,
    kCmdAddNewScene = 32818,
    kCmdDeleteScene = 32817,
    kCmdPreferences = 32871,
    kCmdShowOnDrag = 32801,
    kCmdLumicardMode = 32879,
    kCmdDrawGridFloor = 32825,
    kCmdShowCameraPath = 32883,
    kCmdCenterCamera = 32776,
    kCmdEnlargeStage = 32894,
    kCmdShrinkStage = 32895,
    kCmdMovingTimeline = 32785,
    kCmdMovingCamera = 32796,
    kCmdPlaySoundTracks = 32849,
    kCmdShowReticle = 32912,
    kCmdNewSet = 32827,
    kCmdOpenSet = 32828,
    kCmdSaveSetAs = 32823,
    kCmdAppendSet = 32830,
    kCmdSnapToGrid = 32898,
    kCmdDrawSet = 32824,
    kCmdColorKey = 32862,
    kCmdCutPanel = 32832,
    kCmdCopyPanel = 32833,
    kCmdPastePanel = 32834,
    kCmdAddFloorPanel = 32826,
    kCmdAddWallPanel = 32820,
    kCmdAddActor = 32802,
    kCmdAddSound = 32803,
    kCmdAddScript = 32850,
    kCmdSmoothFiltering = 32905,
    kCmdFeatherEdges = 32884,
    kCmdShowScript = 32851,
    kCmdDeleteActor = 32804,
    kCmdGetHelp = 57667,
    kCmdAbout = 57664,
    kCmdTestFrameRate = 32885,
    kCmdAddKeyAdvance = 32904,
    kCmdAddKey = 32896,
    kCmdLockSet = 32897,
    kCmdAddCamera = 32916,
    kCmdJogAmount = 32780,
    kCmdPlayBackwards = 150,
    kCmdStop = 151,
    kCmdPlayForwards = 152,
    kCmdZoomOut = 197,
    kCmdZoomIn = 198,
};

class MainWindow final : public QMainWindow, public DocumentListener {
    Q_OBJECT
  public:
    // The monitor is made here on the loader's textures; the document's media loader stays the
    // caller's. pictureMode renames and removes menus as a picture (rostrum) program.
    MainWindow(Document& doc, GuiHost& host, PictureMediaLoader& media, GlTextureUploader& textures,
               bool pictureMode);
    ~MainWindow() override;

    QAction* action(int id) const { return actions_.value(id); }
    MonitorWidget* monitor() const { return monitor_; }
    QSplitter* mainSplitter() const { return main_; }
    QSplitter* upperSplitter() const { return upper_; }
    QSplitter* rightSplitter() const { return right_; }
    QWidget* playerPane() const { return playerPane_; }
    QLabel* positionReadout() const { return readout_; }
    QLabel* timelineScaleText() const { return scaleText_; }
    QLabel* stagePositionText() const { return positionLine_; }
    StageView* stageView() const { return stageView_; }
    TimelineView* timelineView() const { return timelineView_; }
    Player* player() const { return player_; }
    QToolBar* toolBar() const { return toolBar_; }

    // The application's open operation: ".SHW" anywhere in the name (any case) opens a show,
    // ".SET" becomes the current scene's set, anything else an actor spanning the current
    // scene; then frame 0 and the information beep.
    void OpenFile(const QString& path);
    // Enabling and check marks of every command, as the menus show them.
    void UpdateCommands();
    // Pane sizing with a stage-pane width and an upper-row height (pixels).
    void SizePanes(int stageWidth, int upperHeight);
    // Reads the window rectangle and pane sizes from the profile, clamped to the screen.
    void RestoreLayout();
    // The Make Movie command; the settings dialog and file dialog are skipped when given.
    void MakeMovie();
    // Offers unsaved sets and the show for saving; false when the show's save was cancelled
    // or failed (the caller then keeps what is open).
    bool SaveChanges();

    // DocumentListener
    void CurrentFrameChanged(int frame) override;
    void ViewsNeedRedraw() override;
    void ShowLayoutChanged() override;
    void SelectionChanged() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildMenus(bool pictureMode);
    void BuildToolBar();
    void BuildStatusBar();
    void LayoutStatusBar();
    // A command; without run it is a command of a part still to come and stays disabled.
    QAction* Add(QMenu* menu, int id, const QString& text, std::function<void()> run,
                 std::function<bool()> enabled = {});
    // A display toggle: flips the flag (whose setter writes its profile key); checked while on.
    QAction* AddToggle(QMenu* menu, int id, const QString& text, std::function<bool()> get,
                       std::function<void(bool)> set);
    void UpdateRecentFiles();
    void AddRecentFile(const QString& path);
    void UpdateReadout();
    void RedrawAll();
    void PlaceStageReadout();

    Document& doc_;
    GuiHost& host_;
    Profile& profile_;
    PictureMediaLoader& media_;
    GlTextureUploader& textures_;
    QHash<int, QAction*> actions_;
    QHash<int, std::function<bool()>> enabled_;
    QHash<int, std::function<bool()>> checked_;
    QSplitter* main_ = nullptr;
    QSplitter* upper_ = nullptr;
    QSplitter* right_ = nullptr;
    QWidget* playerPane_ = nullptr;
    MonitorWidget* monitor_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolButton* transport_[3] = {};
    QToolButton* zoomOut_ = nullptr;
    QToolButton* zoomIn_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* scaleText_ = nullptr;
    QStringList recent_;
    bool pictureMode_ = false;
    StageView* stageView_ = nullptr;
    TimelineView* timelineView_ = nullptr;
    StageReadout* stageReadout_ = nullptr;
    QLabel* positionLine_ = nullptr;
    Player* player_ = nullptr;
    bool gridSnap_ = false;
};

}  // namespace quillon
