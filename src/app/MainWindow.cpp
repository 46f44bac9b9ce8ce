#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressDialog>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "GuiHost.h"
#include "Icons.h"
#include "MovieSettingsDialog.h"
#include "PlayerPane.h"
#include "PreferencesDialog.h"
#include "Prompts.h"
#include "SettingsValues.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/Timecode.h"
#include "monitor/MonitorWidget.h"
#include "output/MovieMaker.h"
#include "output/MovieWriter.h"
#include "pictures/MovieSource.h"
#include "pictures/PictureMediaLoader.h"
#include "player/Player.h"
#include "stage/StageReadout.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"
#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

const QString kRecentSection = QStringLiteral("Recent File List");

// The pane that holds the monitor: the widget leaves it for full screen and comes back.
QWidget* MonitorPane(MonitorWidget* monitor) {
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(monitor);
    return pane;
}

}  // namespace

MainWindow::MainWindow(Document& doc, GuiHost& host, PictureMediaLoader& media,
                       GlTextureUploader& textures, bool pictureMode)
    : doc_(doc),
      host_(host),
      profile_(doc.profile()),
      media_(media),
      textures_(textures),
      pictureMode_(pictureMode) {
    setAcceptDrops(true);
    host_.setWindow(this);
    host_.statusText = [this](const QString& text) { statusBar()->showMessage(text); };
    host_.recentFile = [this](const QString& path) { AddRecentFile(path); };

    // Main splitter: upper row over the timeline; upper: stage | right; right: monitor over
    // the player pane.
    player_ = new Player(doc_, this);
    main_ = new QSplitter(Qt::Vertical, this);
    main_->setObjectName("mainSplitter");
    upper_ = new QSplitter(Qt::Horizontal, main_);
    upper_->setObjectName("upperSplitter");
    stageView_ = new StageView(doc_, upper_);
    stageView_->setObjectName("stagePane");
    stageView_->SetPictureMode(pictureMode);
    stageView_->SetMaxTextureSize(media_.textures().uploader().MaxTextureSize());
    right_ = new QSplitter(Qt::Vertical, upper_);
    right_->setObjectName("rightSplitter");
    monitor_ = new MonitorWidget(doc_, media_, textures_);
    right_->addWidget(MonitorPane(monitor_));
    timelineView_ = new TimelineView(doc_, *player_, main_);
    timelineView_->setObjectName("timelinePane");
    auto* playerPane = new PlayerPane(doc_, *player_, *monitor_, *timelineView_, right_);
    playerPane->setObjectName("playerPane");
    playerPane->SetPictureMode(pictureMode);
    playerPane_ = playerPane;
    // The stage's read-out panel sits in the strip at the timeline's left edge.
    stageReadout_ = new StageReadout(timelineView_);
    stageView_->SetReadout(stageReadout_);
    for (QSplitter* s : {main_, upper_, right_})
        s->setChildrenCollapsible(false);
    connect(main_, &QSplitter::splitterMoved, this, &MainWindow::PlaceStageReadout);
    setCentralWidget(main_);

    // The monitor draws what the stage view's toggles say.
    monitor_->renderer().drawGridFloor = stageView_->showGrid();
    monitor_->renderer().drawSet = stageView_->showSet();
    connect(stageView_, &StageView::MonitorRedrawRequested, monitor_,
            qOverload<>(&QWidget::update));

    BuildMenus(pictureMode);
    BuildToolBar();
    BuildStatusBar();
    // New tracks and panels go to the middle of the part of the plan in view.
    host_.stageArea = [this] {
        const QSize client = stageView_->viewport()->size();
        const QPointF centre =
            stageView_->ClientToStage(QPoint(client.width() / 2, client.height() / 2));
        return StageViewArea{centre.x(), centre.y(), client.height()};
    };
    doc_.AddListener(this);
    monitor_->playForwards = [this] { player_->Start(1); };
    monitor_->rewindAndPlay = [this] {
        doc_.UpdateViewsAtFrame(0, false, true);
        player_->Start(1);
    };
    stageView_->InitialUpdate();
    UpdateRecentFiles();
    UpdateCommands();
    setWindowTitle(doc_.WindowTitle());
}

MainWindow::~MainWindow() {
    doc_.RemoveListener(this);
    // The host outlives the window: nothing of the window may be reached through it now.
    host_.statusText = nullptr;
    host_.recentFile = nullptr;
    host_.stageArea = nullptr;
    host_.setWindow(nullptr);
}

QAction* MainWindow::Add(QMenu* menu, int id, const QString& text, std::function<void()> run,
                         std::function<bool()> enabled) {
    auto* a = new QAction(text, this);
    a->setData(id);
    if (run) {
        connect(a, &QAction::triggered, this, [this, run] {
            run();
            UpdateCommands();
        });
        if (enabled) enabled_.insert(id, std::move(enabled));
    } else {
        a->setEnabled(false);
    }
    if (menu) menu->addAction(a);
    actions_.insert(id, a);
    return a;
}

QAction* MainWindow::AddToggle(QMenu* menu, int id, const QString& text, std::function<bool()> get,
                               std::function<void(bool)> set) {
    QAction* a = Add(menu, id, text, [get, set] { set(!get()); });
    a->setCheckable(true);
    checked_.insert(id, get);
    return a;
}

void MainWindow::BuildMenus(bool pictureMode) {
    using settings::Write;
    QMenuBar* bar = menuBar();
    auto sceneHasSet = [this] {
        ShowNode* scene = doc_.SceneAt(doc_.currentFrame());
        return scene && scene->set;
    };
    auto anySelected = [this] { return doc_.FirstSelected() != nullptr; };

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    Add(file, kCmdNewShow, QStringLiteral("&New Show\tCtrl+N"), [this] {
        doc_.NewShow();
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    Add(file, kCmdOpenShow, QStringLiteral("&Open Show...\tCtrl+O"), [this] {
        doc_.OpenShow();
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    Add(
        file, kCmdSaveShow, QStringLiteral("&Save Show\tCtrl+S"), [this] { doc_.SaveShow(); },
        [this] { return doc_.modified(); })
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    Add(file, kCmdSaveShowAs, QStringLiteral("Save Show &As...\tCtrl+H"), [this] {
        doc_.SaveShowAs();
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    file->addSeparator();
    Add(file, kCmdPrint, QStringLiteral("&Print...\tCtrl+P"), nullptr);
    Add(file, kCmdMakeMovie, QStringLiteral("&Make Movie"), [this] { MakeMovie(); });
    Add(file, kCmdPartsList, QStringLiteral("Make Parts &List"),
        [this] { ShowPartsList(this, PartsListText(doc_, QDate::currentDate())); });
    Add(file, kCmdBatchRecord, QStringLiteral("Batch Record/AVI"), nullptr);
    file->addSeparator();
    for (int i = 0; i < 3; ++i) {
        const int id = kCmdRecent1 + i;
        QAction* a = Add(file, id, QString(), [this, i] {
            if (i < recent_.size()) OpenFile(recent_[i]);
        });
        a->setVisible(false);
    }
    file->addSeparator();
    Add(file, kCmdExit, QStringLiteral("E&xit"), [this] { close(); });

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    QAction* undo = Add(
        edit, kCmdUndo, QStringLiteral("&Undo\tCtrl+Z"), [this] { doc_.Undo(); },
        [this] { return doc_.undoCount() > 0; });
    undo->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    Add(
        edit, kCmdRedo, QStringLiteral("&Redo\tCtrl+A"), [this] { doc_.Redo(); },
        [this] { return doc_.redoCount() > 0; })
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+A")));
    edit->addSeparator();
    AddToggle(
        edit, kCmdScaleKeys, QStringLiteral("&Scale Keys"),
        [this] { return doc_.settings().scaleKeys; }, [this](bool) { doc_.ToggleScaleKeys(); });
    Add(edit, kCmdConstantMotion, QStringLiteral("&Constant Motion"),
        [this] { doc_.ConstantMotionCommand(); });
    edit->addSeparator();
    Add(edit, kCmdAddNewScene, QStringLiteral("&Add New Scene"),
        [this] { doc_.AddNewSceneCommand(); });
    Add(
        edit, kCmdDeleteScene, QStringLiteral("&Delete Scene\tCtrl+D"),
        [this] { doc_.DeleteSelectedScenes(); }, anySelected)
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+D")));
    edit->addSeparator();
    Add(edit, kCmdPreferences, QStringLiteral("Preferences"), [this] {
        PreferencesDialog dialog(doc_, this);
        if (dialog.exec() == QDialog::Accepted) {
            stageView_->CenterCamera();
            RedrawAll();
        }
    });

    QMenu* stage = bar->addMenu(QStringLiteral("Sta&ge"));
    AddToggle(
        stage, kCmdShowOnDrag, QStringLiteral("Show Monitor on &Drag"),
        [this] { return stageView_->showOnDrag(); },
        [this](bool) { stageView_->ToggleShowOnDrag(); });
    QAction* lumicard = AddToggle(
        stage, kCmdLumicardMode, QStringLiteral("&Lumicard Mode"),
        [this] { return doc_.settings().rostrumMode; },
        [this](bool on) {
            doc_.settings().rostrumMode = on;
            Write(profile_, settings::kRostrumMode, on);
            doc_.SetActiveCamera(0);
            stageView_->CenterCamera();
            const bool panels = !on;
            for (int id : {kCmdAddWallPanel, kCmdAddFloorPanel})
                if (QAction* a = action(id)) a->setVisible(panels);
            RedrawAll();
        });
    AddToggle(
        stage, kCmdDrawGridFloor, QStringLiteral("Draw &Grid Floor"),
        [this] { return stageView_->showGrid(); },
        [this](bool) {
            stageView_->ToggleShowGrid();
            monitor_->renderer().drawGridFloor = stageView_->showGrid();
            RedrawAll();
        });
    AddToggle(
        stage, kCmdShowCameraPath, QStringLiteral("Show Camera &Path"),
        [this] { return stageView_->cameraPathShown(); },
        [this](bool) { stageView_->ToggleCameraPath(); });
    Add(stage, kCmdCenterCamera, QStringLiteral("&Center Camera"),
        [this] { stageView_->CenterCamera(); });
    Add(stage, kCmdEnlargeStage, QStringLiteral("&Enlarge Stage Area"), [this] {
        stageView_->EnlargeStage();
        scaleText_->setText(timelineView_->TimeScaleText());
    });
    Add(stage, kCmdShrinkStage, QStringLiteral("&Shrink Stage Area"), [this] {
        stageView_->ShrinkStage();
        scaleText_->setText(timelineView_->TimeScaleText());
    });

    QMenu* player = bar->addMenu(QStringLiteral("&Player"));
    AddToggle(
        player, kCmdMovingTimeline, QStringLiteral("Moving &Timeline"),
        [this] { return timelineView_->movePlay(); },
        [this](bool) { timelineView_->ToggleMovePlay(); });
    AddToggle(
        player, kCmdMovingCamera, QStringLiteral("Moving &Camera"),
        [this] { return player_->moveCamera(); }, [this](bool) { player_->ToggleMoveCamera(); });
    AddToggle(
        player, kCmdPlaySoundTracks, QStringLiteral("Play Sound Tracks"),
        [this] { return player_->playAudio(); }, [this](bool) { player_->TogglePlayAudio(); });
    AddToggle(
        player, kCmdShowReticle, QStringLiteral("Show Camera Reticle\t Ctrl-R"),
        [this] { return monitor_->renderer().showReticle; },
        [this](bool) { monitor_->ToggleReticle(); })
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+R")));

    QMenu* set = bar->addMenu(QStringLiteral("&Set"));
    Add(set, kCmdNewSet, QStringLiteral("&New Set"),
        [this] { doc_.NewSet(doc_.SceneAt(doc_.currentFrame())); });
    Add(set, kCmdOpenSet, QStringLiteral("&Open Set"),
        [this] { doc_.OpenSet(nullptr, doc_.SceneAt(doc_.currentFrame()), false, false); });
    Add(
        set, kCmdSaveSetAs, QStringLiteral("Save Set &As..."),
        [this] { doc_.SaveSet(true, doc_.SceneAt(doc_.currentFrame())); }, sceneHasSet);
    Add(set, kCmdAppendSet, QStringLiteral("Append to Set"),
        [this] { doc_.OpenSet(nullptr, doc_.SceneAt(doc_.currentFrame()), true, false); });
    set->addSeparator();
    AddToggle(
        set, kCmdSnapToGrid, QStringLiteral("Snap to Grid\tCtrl-G"), [this] { return gridSnap_; },
        [this](bool on) {
            gridSnap_ = on;
            Write(profile_, settings::kGridSnap, on);
        })
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    AddToggle(
        set, kCmdDrawSet, QStringLiteral("Draw &Set"), [this] { return stageView_->showSet(); },
        [this](bool) {
            stageView_->ToggleShowSet();
            monitor_->renderer().drawSet = stageView_->showSet();
            RedrawAll();
        });
    AddToggle(
        set, kCmdColorKey, QStringLiteral("Color Key"),
        [this] { return doc_.settings().colorKeying; },
        [this](bool on) {
            doc_.settings().colorKeying = on;
            Write(profile_, settings::kColorKeying, on);
            RedrawAll();
        });
    set->addSeparator();
    Add(
        set, kCmdCutPanel, QStringLiteral("Cu&t Panel\tCtrl-X"), [this] { doc_.CutPanels(); },
        [this] {
            ShowNode* scene = doc_.SceneAt(doc_.currentFrame());
            if (!scene || !scene->set) return false;
            for (const SetPanel& p : scene->set->panels)
                if (p.selected) return true;
            return false;
        })
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Delete"))});
    Add(set, kCmdCopyPanel, QStringLiteral("&Copy Panel\tCtrl-C"), [this] { doc_.CopyPanels(); })
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Insert"))});
    Add(
        set, kCmdPastePanel, QStringLiteral("&Paste Panel\tCtrl-V"), [this] { doc_.PastePanels(); },
        [this] { return doc_.panelClipboardUsed(); })
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Insert"))});
    set->addSeparator();
    Add(set, kCmdAddFloorPanel, QStringLiteral("Add Floor Panel\tCtrl-F"), [this] {
        doc_.NewPanel(false);
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    Add(set, kCmdAddWallPanel, QStringLiteral("Add Wall Panel\tCtrl-W"), [this] {
        doc_.NewPanel(true);
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+W")));

    QMenu* actors = bar->addMenu(QStringLiteral("&Actors"));
    Add(actors, kCmdAddActor, QStringLiteral("Add &Actor\tCtrl+I"), [this] {
        doc_.AddActorCommand();
    })->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    Add(actors, kCmdAddSound, QStringLiteral("Add &Sound "), nullptr);
    Add(actors, kCmdAddScript, QStringLiteral("Add S&cript"), nullptr);
    actors->addSeparator();
    AddToggle(
        actors, kCmdSmoothFiltering, QStringLiteral("Smooth Filtering"),
        [this] { return doc_.settings().filtering; },
        [this](bool on) {
            doc_.settings().filtering = on;
            Write(profile_, settings::kFiltering, on);
        });
    AddToggle(
        actors, kCmdFeatherEdges, QStringLiteral("&Feather Edges"),
        [this] { return doc_.settings().featherActors; },
        [this](bool on) {
            doc_.settings().featherActors = on;
            Write(profile_, settings::kFeatherActors, on);
            RedrawAll();
        });
    Add(actors, kCmdShowScript, QStringLiteral("Show Script"), nullptr);
    actors->addSeparator();
    Add(
        actors, kCmdDeleteActor, QStringLiteral("Delete Actor"),
        [this] { doc_.DeleteSelectedTracks(); }, anySelected);

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    Add(help, kCmdGetHelp, QStringLiteral("Get &Help"), nullptr);
    Add(help, kCmdAbout, QStringLiteral("&About"), [this] {
        QMessageBox box(this);
        box.setWindowTitle(QStringLiteral("About Quillon"));
        box.setIconPixmap(ProgramPicture());
        box.setText(QStringLiteral("Quillon\nPrevisualisation and cut-out animation"));
        box.exec();
    });
    help->addSeparator();
    Add(help, kCmdTestFrameRate, QStringLiteral("&Test Frame Rate"),
        [this] { player_->RequestFrameRateTest(); });

    // Commands without a menu item of their own.
    Add(nullptr, kCmdAddKey, QStringLiteral("Add or Reset KeyFrame"),
        [this] { doc_.SetKeyFrames(doc_.currentFrame(), true); });
    Add(nullptr, kCmdAddKeyAdvance, QStringLiteral("Add KeyFrame and advance 1 sec"), [this] {
        doc_.SetKeyFrames(doc_.currentFrame(), true);
        // One second of frames: the rate is held in hundredths.
        const int step = (doc_.frameRate() + 50) / 100;
        doc_.UpdateViewsAtFrame(doc_.currentFrame() + step, false, true);
    });
    AddToggle(
        nullptr, kCmdLockSet, QStringLiteral("Lock Set"), [this] { return doc_.setLocked(); },
        [this](bool on) { doc_.SetSetLocked(on); });
    Add(nullptr, kCmdAddCamera, QStringLiteral("Add Addtional Camera to Scene"),
        [this] { doc_.AddCameraCommand(); });
    Add(nullptr, kCmdJogAmount, QStringLiteral("Jog Amount"), [this] {
        const int64_t answer = AskTimecode(this, player_->jogAmount(), doc_.frameRate(),
                                           QStringLiteral("Type frames to advance on jog"), 1,
                                           player_->maxJogAmount());
        player_->ApplyJogAmount(answer);
    });
    // Status-bar prompts of the commands that have one.
    const std::pair<int, const char*> prompts[] = {
        {kCmdCenterCamera, "Center Camera in Stage"},
        {kCmdNewSet, "Create a new set for the current scene "},
        {kCmdOpenSet, "Load an existing set to current scene"},
        {kCmdAppendSet, "Add new set panels to existing set from file"},
        {kCmdSaveSetAs, "Save set to disk"},
    };
    for (const auto& [id, prompt] : prompts)
        action(id)->setStatusTip(QString::fromLatin1(prompt));
    for (QMenu* m : {file, edit, stage, player, set, actors, help})
        connect(m, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);

    if (pictureMode) {
        actors->setTitle(QStringLiteral("Pictures"));
        action(kCmdAddActor)->setText(QStringLiteral("Add Picture\tCtrl+I"));
        action(kCmdDeleteActor)->setText(QStringLiteral("Delete Picture"));
        stage->removeAction(lumicard);
        bar->removeAction(set->menuAction());
    }
}

void MainWindow::BuildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName("toolBar");
    toolBar_->setIconSize(QSize(16, 15));
    auto add = [this](int id, const QString& tip) {
        QAction* a = action(id);
        a->setIcon(ToolIcon(id));
        a->setToolTip(tip);
        toolBar_->addAction(a);
    };
    add(kCmdAddKeyAdvance, QStringLiteral("Add KeyFrame and advance 1 sec"));
    add(kCmdAddKey, QStringLiteral("Add or Reset KeyFrame"));
    toolBar_->addSeparator();
    add(kCmdEnlargeStage, QStringLiteral("Enlarge Stage"));
    add(kCmdCenterCamera, QStringLiteral("Center Camera"));
    add(kCmdShrinkStage, QStringLiteral("Shrink Stage"));
    toolBar_->addSeparator();
    add(kCmdScaleKeys, QStringLiteral("Stretch Keys"));
    add(kCmdSnapToGrid, QStringLiteral("Snap to Grid"));
    add(kCmdLockSet, QStringLiteral("Lock Set"));
    toolBar_->addSeparator();
    add(kCmdAddWallPanel, QStringLiteral("Add New Wall Panel"));
    add(kCmdAddFloorPanel, QStringLiteral("Add New Floor Panel"));
    // In rostrum mode the panel buttons give way.
    const bool panels = !doc_.settings().rostrumMode;
    for (int id : {kCmdAddWallPanel, kCmdAddFloorPanel})
        action(id)->setVisible(panels);
}

void MainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setMinimumHeight(22);
    const int ids[3] = {kCmdPlayBackwards, kCmdStop, kCmdPlayForwards};
    const char* tips[3] = {"Play backwards", "Stop", "Play"};
    for (int i = 0; i < 3; ++i) {
        transport_[i] = new QToolButton(bar);
        transport_[i]->setIcon(ToolIcon(ids[i]));
        transport_[i]->setToolTip(QString::fromLatin1(tips[i]));
        transport_[i]->setAutoRaise(true);
        // The play loop arrives with playback; until then the buttons are shown, disabled.
        transport_[i]->setEnabled(false);
    }
    zoomOut_ = new QToolButton(bar);
    QAction* out = Add(nullptr, kCmdZoomOut, QStringLiteral("Timeline zoom out"),
                       [this] { timelineView_->ZoomOut(); });
    out->setIcon(ToolIcon(kCmdZoomOut));
    zoomOut_->setDefaultAction(out);
    zoomIn_ = new QToolButton(bar);
    QAction* in = Add(nullptr, kCmdZoomIn, QStringLiteral("Timeline zoom in"),
                      [this] { timelineView_->ZoomIn(); });
    in->setIcon(ToolIcon(kCmdZoomIn));
    zoomIn_->setDefaultAction(in);
    readout_ = new QLabel(bar);
    readout_->setObjectName("positionReadout");
    readout_->setAlignment(Qt::AlignCenter);
    readout_->setFrameShape(QFrame::Box);
    readout_->setFont(SmallDialogFont());
    scaleText_ = new QLabel(bar);
    scaleText_->setObjectName("timelineScaleText");
    scaleText_->setText(timelineView_->TimeScaleText());
    connect(timelineView_, &TimelineView::timeScaleTextChanged, scaleText_, &QLabel::setText);
    // The stage's position line: east/west, north/south and the floor width seen.
    positionLine_ = new QLabel(bar);
    positionLine_->setObjectName("stagePositionLine");
    positionLine_->setFont(SmallDialogFont());
    positionLine_->setAutoFillBackground(true);
    QPalette palette = positionLine_->palette();
    palette.setColor(QPalette::Window, QColor(208, 208, 208));
    palette.setColor(QPalette::WindowText, Qt::black);
    positionLine_->setPalette(palette);
    bar->addWidget(positionLine_);
    connect(stageView_, &StageView::PositionTextChanged, positionLine_, &QLabel::setText);
    positionLine_->setText(stageView_->positionText());
    UpdateReadout();
}

void MainWindow::LayoutStatusBar() {
    if (!readout_) return;
    const int cx = statusBar()->width();
    for (int i = 0; i < 3; ++i)
        transport_[i]->setGeometry(cx / 2 - 50 + 20 * i, 4, 18, 14);
    scaleText_->setGeometry(cx / 2 - 50 + 40 + 18 + 4, 2, 140, 18);
    zoomOut_->setGeometry(cx - 120, 4, 18, 14);
    readout_->setGeometry(cx - 100, 4, 60, 14);
    zoomIn_->setGeometry(cx - 36, 4, 18, 14);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutStatusBar();
    PlaceStageReadout();
}

void MainWindow::PlaceStageReadout() {
    if (!stageReadout_) return;
    // 32 pixels wide at the timeline's left edge, from 155 to 12 pixels above its bottom, less
    // 3 pixels on every side.
    const int h = timelineView_->height();
    const int top = std::max(0, h - 155) + 3;
    const int bottom = std::max(top + 1, h - 12 - 3);
    stageReadout_->setGeometry(3, top, 26, bottom - top);
    stageReadout_->raise();
}

void MainWindow::UpdateReadout() {
    if (!readout_) return;
    readout_->setText(
        QString::fromStdString(FormatTimecode(doc_.currentFrame(), doc_.frameRate())));
}

void MainWindow::UpdateCommands() {
    for (auto it = enabled_.begin(); it != enabled_.end(); ++it)
        if (QAction* a = action(it.key())) a->setEnabled(it.value()());
    for (auto it = checked_.begin(); it != checked_.end(); ++it)
        if (QAction* a = action(it.key())) a->setChecked(it.value()());
}

// After a display setting changed: the plan and the monitor draw with it. (Document changes
// reach the views through their own listeners.)
void MainWindow::RedrawAll() {
    stageView_->viewport()->update();
    monitor_->update();
    UpdateCommands();
}

void MainWindow::CurrentFrameChanged(int) {
    UpdateReadout();
}

void MainWindow::ViewsNeedRedraw() {
    UpdateCommands();
}
void MainWindow::ShowLayoutChanged() {
    UpdateCommands();
}
void MainWindow::SelectionChanged() {
    UpdateCommands();
}

void MainWindow::SizePanes(int stageWidth, int upperHeight) {
    if (stageWidth == 0 && upperHeight == 0) return;
    QList<int> mainSizes = main_->sizes();
    QList<int> upperSizes = upper_->sizes();
    if (stageWidth < 0) stageWidth = upperSizes.value(0);
    if (upperHeight < 0) upperHeight = mainSizes.value(0);
    if (stageWidth <= 0 || upperHeight <= 0) return;
    const int clientWidth = centralWidget()->width();
    const int monitorHeight =
        std::max(1, int((clientWidth - stageWidth - 44) * doc_.settings().aspectRatio));
    const int clientHeight = centralWidget()->height();
    main_->setSizes({upperHeight, std::max(1, clientHeight - upperHeight)});
    upper_->setSizes({stageWidth, std::max(1, clientWidth - stageWidth)});
    right_->setSizes({monitorHeight, std::max(1, upperHeight - monitorHeight)});
    PlaceStageReadout();
}

void MainWindow::RestoreLayout() {
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    // Without a stored rectangle the window takes most of the screen.
    const QRect current(
        available.topLeft() + QPoint(available.width() / 20, available.height() / 20),
        available.size() * 0.9);
    using settings::Get;
    int left = Get(profile_, settings::kWindowLeft, current.left());
    int top = Get(profile_, settings::kWindowTop, current.top());
    int right = Get(profile_, settings::kWindowRight, current.right() + 1);
    int bottom = Get(profile_, settings::kWindowBottom, current.bottom() + 1);
    // Clamp to the present screen; a rectangle that leaves nothing usable falls back to the
    // default one.
    const int screenWidth = screen->geometry().width();
    const int screenHeight = screen->geometry().height();
    left = std::clamp(left, 0, screenWidth);
    right = std::clamp(right, 0, screenWidth);
    top = std::clamp(top, 0, screenHeight);
    bottom = std::clamp(bottom, 0, screenHeight);
    if (right - left < 200 || bottom - top < 150) {
        left = current.left();
        top = current.top();
        right = current.right() + 1;
        bottom = current.bottom() + 1;
    }
    setGeometry(left, top, right - left, bottom - top);
    const int stageWidth = Get(profile_, settings::kStageWidth, right * 3 / 4);
    const int stageHeight = Get(profile_, settings::kStageHeight, bottom * 5 / 6);
    SizePanes(stageWidth, stageHeight);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Unsaved sets and the show are offered for saving first; a save that is cancelled or
    // fails keeps the window and the show.
    if (!SaveChanges()) {
        event->ignore();
        return;
    }
    const QRect r = geometry();
    using settings::Write;
    Write(profile_, settings::kWindowLeft, r.left());
    Write(profile_, settings::kWindowTop, r.top());
    Write(profile_, settings::kWindowRight, r.right() + 1);
    Write(profile_, settings::kWindowBottom, r.bottom() + 1);
    Write(profile_, settings::kStageHeight, main_->sizes().value(0));
    Write(profile_, settings::kStageWidth, upper_->sizes().value(0));
    event->accept();
}

bool MainWindow::SaveChanges() {
    for (ShowNode* scene : doc_.root().children) {
        if (scene->set && scene->set->dirty &&
            doc_.AskSave(QString::fromStdString(scene->set->path), QStringLiteral("Set File")))
            doc_.SaveSet(true, scene);
    }
    if (doc_.modified() && doc_.AskSave(doc_.path(), QStringLiteral("Show File")))
        return doc_.SaveShow();
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) OpenFile(url.toLocalFile());
    event->acceptProposedAction();
}

void MainWindow::OpenFile(const QString& path) {
    const QString upper = path.toUpper();
    if (upper.contains(QStringLiteral(".SHW"))) {
        if (!SaveChanges()) return;
        if (doc_.ReadShow(path)) host_.AddRecentFile(path);
    } else if (upper.contains(QStringLiteral(".SET"))) {
        ShowNode* scene = doc_.SceneAt(doc_.currentFrame());
        if (scene) doc_.OpenSet(&path, scene, false, false);
    } else {
        ShowNode* scene = doc_.SceneAt(doc_.currentFrame());
        if (scene) doc_.AddTrack(NodeKind::Actor, scene->startFrame, scene->endFrame, path);
    }
    doc_.UpdateViewsAtFrame(0, false, true);
    host_.Beep(BeepKind::Asterisk);
    RedrawAll();
}

void MainWindow::UpdateRecentFiles() {
    recent_.clear();
    for (int i = 1; i <= 3; ++i) {
        const QString f = profile_.GetString(kRecentSection, QStringLiteral("File%1").arg(i), {});
        if (!f.isEmpty()) recent_ << f;
    }
    for (int i = 0; i < 3; ++i) {
        QAction* a = action(kCmdRecent1 + i);
        if (!a) continue;
        a->setVisible(i < recent_.size());
        if (i < recent_.size())
            a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(recent_[i]).fileName()));
    }
}

void MainWindow::AddRecentFile(const QString& path) {
    recent_.removeAll(path);
    recent_.prepend(path);
    while (recent_.size() > 3)
        recent_.removeLast();
    for (int i = 0; i < 3; ++i)
        profile_.WriteString(kRecentSection, QStringLiteral("File%1").arg(i + 1), recent_.value(i));
    UpdateRecentFiles();
}

void MainWindow::MakeMovie() {
    MovieSettingsDialog dialog(doc_, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const MovieSettings m = dialog.settings();
    if (m.startFrame == m.endFrame) return;
    FileDialogRequest request;
    request.startFolder = doc_.projectFolder();
    if (m.format == 1) {
        request.filter = QStringLiteral("VRML 2.0 Files (*.wrl)|*.wrl|All Files *.*|*.*||");
        request.defaultExtension = QStringLiteral("wrl");
    } else if (m.format == 2 || m.format == 3) {
        request.filter = QStringLiteral("Targa Files (*.tga)|*.tga|All Files *.*|*.*||");
        request.defaultExtension = QStringLiteral("tga");
    } else {
        request.filter = QStringLiteral("AVI Files (*.avi)|*.avi|All Files *.*|*.*||");
        request.defaultExtension = QStringLiteral("avi");
    }
    const std::optional<QString> path = host_.SaveFileName(request);
    if (!path) return;
    // FFmpeg's own notes go nowhere useful in a window; failures are ours to report.
    MovieSource::SilenceLibraryLog();
    MovieWriter writer;
    writer.format = static_cast<MovieFormat>(std::clamp<int>(m.format, 0, 3));
    writer.width = m.width;
    writer.height = m.height;
    writer.fieldMode = m.fieldMode;
    writer.frameRate = m.frameRate;
    writer.codec = dialog.codec();
    writer.fileName = *path;
    if (writer.format == MovieFormat::kVrml) {
        // Nothing is rendered: the movie maker writes the world.
        MovieProgress none;
        MovieMaker(doc_, monitor_->renderer(), writer, none)
            .MakeMovie(m.startFrame, m.endFrame, false, 0, 0);
        return;
    }
    // The writer and the frame buffer refuse sizes and rates they cannot take, and the movie
    // maker whatever else it cannot make.
    if (!writer.Open()) return;
    MonitorMovieSource source(*monitor_, doc_, media_, textures_, m.width, m.height);
    if (!source.valid()) return;
    // A progress bar with a cancel button; the loop looks at it once per frame.
    QProgressDialog progress(QStringLiteral("Making the movie..."), QStringLiteral("Cancel"), 0,
                             std::abs(m.endFrame - m.startFrame), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    struct Progress final : MovieProgress {
        QProgressDialog& dialog;
        int32_t start;
        explicit Progress(QProgressDialog& d, int32_t s) : dialog(d), start(s) {}
        bool StopRequested() override {
            QCoreApplication::processEvents();
            return dialog.wasCanceled();
        }
        void FrameShown(int32_t frame) override { dialog.setValue(std::abs(frame - start)); }
    } hooks(progress, m.startFrame);
    MovieMaker maker(doc_, source, writer, hooks);
    maker.MakeMovie(m.startFrame, m.endFrame, false, 0, 0);
    writer.Close();
    progress.reset();
}

}  // namespace quillon
