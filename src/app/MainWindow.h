#pragma once
// MainWindow: the one main window. Stage plan top left, monitor top right with the player pane
// under it, timeline across the bottom; the menu bar and tool bar showing the command registry's
// actions (the commands themselves are declared under commands/), and the status bar's
// transport and zoom buttons and read-outs. The window rectangle and pane sizes are read at
// start and written at close.

#include <QMainWindow>
#include <memory>

#include "commands/CommandContext.h"
#include "commands/CommandIds.h"
#include "commands/CommandRegistry.h"
#include "model/DocumentListener.h"

class QLabel;
class QSplitter;
class QToolButton;
class QToolBar;

namespace quillon {

class Document;
class GlTextureUploader;
class GuiHost;
class MonitorWidget;
class PictureMediaLoader;
class Playback;
class Player;
class Profile;
class RecentFiles;
class ShowFiles;
class StageReadout;
class StageView;
class TimelineView;

class MainWindow final : public QMainWindow, public DocumentListener {
    Q_OBJECT
  public:
    // The monitor is made here on the loader's textures; the document's media loader stays the
    // caller's. pictureMode renames and removes menus as a picture (rostrum) program.
    MainWindow(Document& doc, ShowFiles& files, GuiHost& host, RecentFiles& recent,
               PictureMediaLoader& media, GlTextureUploader& textures, bool pictureMode);
    ~MainWindow() override;

    CommandRegistry& commands() { return *commands_; }
    QAction* action(int id) const { return commands_->action(id); }
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
    // The play loop, the sound and what they work through.
    Playback* playback() const { return playback_.get(); }
    QToolBar* toolBar() const { return toolBar_; }

    // The application's open operation (see OpenAnyFile).
    void OpenFile(const QString& path);
    // Enabling and check marks of every command, as the menus show them.
    void UpdateCommands();
    // After a display setting changed: the plan and the monitor draw with it.
    void RedrawAll();
    // Pane sizing with a stage-pane width and an upper-row height (pixels).
    void SizePanes(int stageWidth, int upperHeight);
    // Reads the window rectangle and pane sizes from the profile, clamped to the screen.
    void RestoreLayout();
    // The rostrum mode's tool bar: the panel buttons give way while it is on.
    void ShowRostrumMode(bool on);

    // DocumentListener: the read-out follows the frame; any change may change what is enabled.
    void DocumentChanged(const DocumentChange& change) override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void BuildPanes(PictureMediaLoader& media, GlTextureUploader& textures, bool pictureMode);
    void BuildStatusBar();
    void LayoutStatusBar();
    void UpdateReadout();
    void PlaceStageReadout();
    // The height the timeline pane is given on a first run (no stored pane sizes).
    int TimelineRoom() const;

    Document& doc_;
    ShowFiles& files_;
    GuiHost& host_;
    Profile& profile_;
    CommandRegistry* commands_ = nullptr;
    std::unique_ptr<CommandContext> context_;
    QSplitter* main_ = nullptr;
    QSplitter* upper_ = nullptr;
    QSplitter* right_ = nullptr;
    QWidget* playerPane_ = nullptr;
    MonitorWidget* monitor_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QToolButton* transport_[3] = {};
    QToolButton* spread_ = nullptr;
    QToolButton* squeeze_ = nullptr;
    QLabel* readout_ = nullptr;
    QLabel* scaleText_ = nullptr;
    StageView* stageView_ = nullptr;
    TimelineView* timelineView_ = nullptr;
    StageReadout* stageReadout_ = nullptr;
    QLabel* positionLine_ = nullptr;
    Player* player_ = nullptr;
    std::unique_ptr<Playback> playback_;
};

}  // namespace quillon
