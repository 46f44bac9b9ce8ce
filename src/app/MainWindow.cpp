#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "GuiHost.h"
#include "Icons.h"
#include "InfoDialogRouter.h"
#include "Playback.h"
#include "PlayerPane.h"
#include "TransportButton.h"
#include "commands/MenuLayout.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/Timecode.h"
#include "monitor/MonitorWidget.h"
#include "pictures/PictureMediaLoader.h"
#include "player/Player.h"
#include "stage/StageReadout.h"
#include "stage/StageView.h"
#include "timeline/TimelineGeometry.h"
#include "timeline/TimelineView.h"
#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

// The pane that holds the monitor: the widget leaves it for full screen and comes back.
QWidget* MonitorPane(MonitorWidget* monitor) {
    auto* pane = new QWidget;
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(monitor);
    return pane;
}

}  // namespace

MainWindow::MainWindow(Document& doc, ShowFiles& files, GuiHost& host, RecentFiles& recent,
                       PictureMediaLoader& media, GlTextureUploader& textures, bool pictureMode)
    : doc_(doc), files_(files), host_(host), profile_(doc.profile()) {
    setAcceptDrops(true);
    host_.setWindow(this);
    BuildPanes(media, textures, pictureMode);

    commands_ = new CommandRegistry(this);
    context_ = std::unique_ptr<CommandContext>(new CommandContext{
        doc_, files_, host_, profile_, recent, media, textures, *this, *stageView_, *timelineView_,
        *monitor_, *player_, *commands_, pictureMode});
    RegisterAllCommands(*context_);
    connect(commands_, &CommandRegistry::commandRun, this, &MainWindow::UpdateCommands);
    BuildMenuBar(*menuBar(), *commands_, pictureMode);
    toolBar_ = addToolBar(QStringLiteral("Tools"));
    toolBar_->setObjectName("toolBar");
    BuildToolBar(*toolBar_, *commands_);
    ShowRostrumMode(doc_.settings().rostrumMode);
    BuildStatusBar();
    playback_ =
        std::make_unique<Playback>(doc_, *player_,
                                   PlaybackPanes{*monitor_, *stageView_, *timelineView_,
                                                 *static_cast<PlayerPane*>(playerPane_), *this},
                                   media);
    static_cast<PlayerPane*>(playerPane_)->SetTransportActions(*commands_);
    // The transport buttons show the mode and the range as they change.
    connect(player_, &Player::modeChanged, this, &MainWindow::UpdateCommands);
    connect(player_, &Player::rangeChanged, this, &MainWindow::UpdateCommands);

    doc_.AddListener(this);
    const auto play = [this] { player_->Start(1); };
    const auto rewindAndPlay = [this] {
        doc_.UpdateViewsAtFrame(0, Refresh::kViews);
        player_->Start(1);
    };
    connect(monitor_, &MonitorWidget::playRequested, player_, play);
    connect(monitor_, &MonitorWidget::rewindAndPlayRequested, player_, rewindAndPlay);
    connect(stageView_, &StageView::playRequested, player_, play);
    connect(stageView_, &StageView::rewindAndPlayRequested, player_, rewindAndPlay);
    new InfoDialogRouter(doc_, files_, *stageView_, *timelineView_, this);
    stageView_->InitialUpdate();
    UpdateCommands();
    setWindowTitle(doc_.WindowTitle());
}

MainWindow::~MainWindow() {
    // Play stops before the panes it draws on go.
    playback_.reset();
    doc_.RemoveListener(this);
    // The host outlives the window: nothing of the window may be reached through it now.
    host_.setWindow(nullptr);
}

void MainWindow::BuildPanes(PictureMediaLoader& media, GlTextureUploader& textures,
                            bool pictureMode) {
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
    stageView_->SetMaxTextureSize(media.textures().uploader().MaxTextureSize());
    right_ = new QSplitter(Qt::Vertical, upper_);
    right_->setObjectName("rightSplitter");
    monitor_ = new MonitorWidget(doc_, media, textures);
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
}

void MainWindow::ShowRostrumMode(bool on) {
    ShowPanelButtons(*toolBar_, *commands_, !on);
    static_cast<PlayerPane*>(playerPane_)->SetRostrumMode(on);
}

void MainWindow::UpdateCommands() {
    commands_->UpdateCommands();
}

void MainWindow::RedrawAll() {
    stageView_->viewport()->update();
    monitor_->update();
    UpdateCommands();
}

void MainWindow::DocumentChanged(const DocumentChange& change) {
    if (change.Has(DocumentChange::kFrame)) UpdateReadout();
    // A frame of play changes nothing the commands depend on.
    if (change.playTick) return;
    UpdateCommands();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // Play stops before anything is asked, without its frame-rate report.
    if (player_->playing()) {
        player_->ClearTestRate();
        player_->Stop();
    }
    // Unsaved sets and the show are offered for saving first; a save that is cancelled or
    // fails keeps the window and the show.
    if (!files_.CloseShow()) {
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

void MainWindow::OpenFile(const QString& path) {
    OpenAnyFile(*context_, path);
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
    // Without a stored height the upper row leaves the timeline room for a scene's rows and
    // three tracks under them, and for the stage's read-out panel beside them.
    const int roomy = centralWidget()->height() - TimelineRoom();
    const int stageHeight = Get(profile_, settings::kStageHeight, std::min(bottom * 5 / 6, roomy));
    SizePanes(stageWidth, stageHeight);
}

void MainWindow::LayoutStatusBar() {
    if (!readout_) return;
    const int cx = statusBar()->width();
    for (int i = 0; i < 3; ++i)
        transport_[i]->setGeometry(cx / 2 - 50 + 20 * i, 4, 18, 14);
    scaleText_->setGeometry(cx / 2 - 50 + 40 + 18 + 4, 2, 140, 18);
    // The read-out from cx - 100 to cx - 40, 14 high, or as much larger as its text needs,
    // keeping its right edge; the zoom buttons stay 2 and 4 pixels beside it.
    const QSize box = TextBox(readout_->font(), QStringLiteral("00:00:00:00"), QSize(60, 14));
    const int left = cx - 40 - box.width();
    readout_->setGeometry(left, 4, box.width(), box.height());
    spread_->setGeometry(left - 20, 4, 18, 14);
    squeeze_->setGeometry(cx - 36, 4, 18, 14);
}

int MainWindow::TimelineRoom() const {
    constexpr int kTracks = 3;
    const int rows = timeline::kFirstItemRow + kTracks * timeline::kRowHeight + 4;
    const int chrome = timelineView_->height() - timelineView_->viewport()->height();
    // The read-out panel reaches 155 pixels up from the timeline's bottom.
    return std::max(rows + chrome, 155 + 3) + main_->handleWidth();
}

void MainWindow::PlaceStageReadout() {
    if (!stageReadout_) return;
    // 32 pixels wide at the timeline's left edge, from 155 to 12 pixels above its bottom, less
    // 3 pixels on every side; wider when its numbers need it.
    const int h = timelineView_->height();
    const int top = std::max(0, h - 155) + 3;
    const int bottom = std::max(top + 1, h - 12 - 3);
    stageReadout_->setGeometry(3, top, StageReadout::PanelWidth(), bottom - top);
    stageReadout_->raise();
}

void MainWindow::UpdateReadout() {
    if (!readout_) return;
    readout_->setText(
        QString::fromStdString(FormatTimecode(doc_.currentFrame(), doc_.frameRate())));
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutStatusBar();
    PlaceStageReadout();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) OpenFile(url.toLocalFile());
    event->acceptProposedAction();
}

void MainWindow::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setMinimumHeight(std::max(22, QFontMetrics(SmallDialogFont()).height() + 10));
    const int ids[3] = {kCmdPlayBackwards, kCmdStop, kCmdPlayForwards};
    for (int i = 0; i < 3; ++i) {
        transport_[i] = new QToolButton(bar);
        action(ids[i])->setIcon(ToolIcon(ids[i]));
        transport_[i]->setDefaultAction(action(ids[i]));
        transport_[i]->setAutoRaise(true);
        // While the show plays, the play loop takes clicks on them by this id.
        transport_[i]->setProperty(kTransportProperty, ids[i]);
    }
    spread_ = new QToolButton(bar);
    action(kCmdTimelineSpread)->setIcon(ToolIcon(kCmdTimelineSpread));
    spread_->setDefaultAction(action(kCmdTimelineSpread));
    squeeze_ = new QToolButton(bar);
    action(kCmdTimelineSqueeze)->setIcon(ToolIcon(kCmdTimelineSqueeze));
    squeeze_->setDefaultAction(action(kCmdTimelineSqueeze));
    readout_ = new QLabel(bar);
    readout_->setObjectName("positionReadout");
    readout_->setAlignment(Qt::AlignCenter);
    readout_->setFrameShape(QFrame::Box);
    readout_->setFont(SmallDialogFont());
    scaleText_ = new QLabel(bar);
    scaleText_->setObjectName("timelineScaleText");
    scaleText_->setText(timelineView_->TimeScaleText());
    connect(timelineView_, &TimelineView::timeScaleTextChanged, scaleText_, &QLabel::setText);
    connect(stageView_, &StageView::ScaleLabelRedrawRequested, scaleText_,
            [this] { scaleText_->setText(timelineView_->TimeScaleText()); });
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

}  // namespace quillon
