// Playback in the window under Xvfb, driven through the X server as a user drives it: "p"
// plays the demo with the menus disabled and "PLY" in the player pane, any key stops it and
// gives the menus back; the transport buttons at their places, pressed for the mode that
// plays, and their clicks while playing; a click in the timeline plays on from there; the
// frame-rate test; "Add &Sound" making a track as long as its clip.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPaintEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "../player/WaveBytes.h"
#include "WindowTestKit.h"
#include "app/MainWindow.h"
#include "app/MovieSettingsDialog.h"
#include "app/PlayerPane.h"
#include "app/TransportButton.h"
#include "model/Document.h"
#include "model/ShowFiles.h"
#include "monitor/MonitorWidget.h"
#include "player/Player.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"

using namespace quillon;
using namespace quillon::testkit;

namespace {

// Counts the paints a widget gets.
struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() != QEvent::Paint) return false;
        ++count;
        int64_t area = 0;
        for (const QRect& r : static_cast<QPaintEvent*>(e)->region())
            area += int64_t(r.width()) * r.height();
        largest = std::max(largest, area);
        return false;
    }
    int count = 0;
    int64_t largest = 0;  // pixels of the largest paint
};

class PlaybackWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    static bool MenusEnabled(MainWindow* w) {
        bool all = true;
        for (QAction* menu : w->menuBar()->actions())
            all = all && menu->isEnabled();
        return all;
    }
    static bool MenusDisabled(MainWindow* w) {
        for (QAction* menu : w->menuBar()->actions())
            if (menu->isEnabled()) return false;
        return !w->menuBar()->actions().isEmpty();
    }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(PlaybackWindowTest, PPlaysAndAKeyStops) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    MainWindow* w = app.window;
    auto* pane = qobject_cast<PlayerPane*>(w->playerPane());
    Player* player = w->player();
    // The stage plan is not repainted while the show plays (the camera stays put unless
    // "Moving &Camera" is on).
    PaintCounter stagePaints(w->stageView()->viewport());
    // "p" in the monitor, typed on the keyboard.
    XClick(w->monitor(), w->monitor()->rect().center());
    stagePaints.count = 0;
    XInput({"key", "p"});
    ASSERT_TRUE(WaitFor([&] { return player->playing() && app.doc.currentFrame() > 15; }));
    EXPECT_EQ(stagePaints.count, 0);
    stagePaints.largest = 0;
    EXPECT_EQ(player->mode(), kPlayForwards);
    EXPECT_TRUE(MenusDisabled(w));
    EXPECT_TRUE(pane->plyShown());
    // Mode buttons show the mode that plays.
    EXPECT_TRUE(w->action(kCmdPlayButton)->isChecked());
    EXPECT_FALSE(w->action(kCmdStopButton)->isChecked());
    // Ctrl+S is a key like any other while playing: it stops play and saves nothing.
    XInput({"key", "ctrl+s"});
    ASSERT_TRUE(WaitFor([&] { return !player->playing(); }));
    EXPECT_FALSE(app.doc.modified());
    EXPECT_EQ(player->mode(), kStopped);
    EXPECT_TRUE(MenusEnabled(w));
    EXPECT_FALSE(pane->plyShown());
    EXPECT_TRUE(w->action(kCmdStopButton)->isChecked());
    // At the stop the plan catches up.
    EXPECT_TRUE(WaitFor([&] { return stagePaints.count > 0; }));
    const int stoppedAt = app.doc.currentFrame();
    EXPECT_GT(stoppedAt, 15);
    EXPECT_EQ(w->timelineView()->cutLineFrame(), stoppedAt);
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(app.doc.currentFrame(), stoppedAt);

    // The stage plan's "0" rewinds and plays; playing backwards leaves the menus enabled.
    XClick(w->stageView()->viewport(), QPoint(20, 20));
    XInput({"key", "0"});
    ASSERT_TRUE(WaitFor([&] { return player->playing(); }));
    XInput({"key", "Escape"});
    ASSERT_TRUE(WaitFor([&] { return !player->playing(); }));
    EXPECT_LT(app.doc.currentFrame(), stoppedAt);
    w->timelineView()->GoToFrame(150, true);
    XClick(pane, QPoint(pane->width() - 5, 5));
    XInput({"key", "r"});
    ASSERT_TRUE(WaitFor([&] { return player->playing(); }));
    EXPECT_EQ(player->mode(), kPlayBackwards);
    EXPECT_TRUE(MenusEnabled(w));
    EXPECT_FALSE(pane->plyShown());
    XInput({"key", "space"});
    ASSERT_TRUE(WaitFor([&] { return !player->playing(); }));

    // "Moving &Camera": the plan repaints where the camera was and is, not whole.
    w->action(kCmdMovingCamera)->trigger();
    app.doc.UpdateViewsAtFrame(0, Refresh::kViews);
    WaitFor([] { return false; }, 200);
    stagePaints.count = stagePaints.largest = 0;
    player->Start(kPlayForwards);
    ASSERT_TRUE(WaitFor([&] { return app.doc.currentFrame() > 40; }));
    const int paints = stagePaints.count;
    const int64_t largest = stagePaints.largest;
    player->Stop();
    EXPECT_GT(paints, 0);
    const QSize plan = w->stageView()->viewport()->size();
    EXPECT_LT(largest, int64_t(plan.width()) * plan.height() / 4);
}

TEST_F(PlaybackWindowTest, TransportButtonsAtTheirPlaces) {
    App app(Path("p.ini"));
    auto* pane = qobject_cast<PlayerPane*>(app.window->playerPane());
    const QRect box = pane->TransportBox();
    // Offsets in the transport box; 16 x 14 each.
    const std::pair<int, QPoint> places[] = {
        {110, {4, 4}},   {111, {22, 4}},  {112, {40, 4}},  {113, {58, 4}},
        {114, {76, 4}},  {115, {4, 21}},  {116, {76, 21}}, {121, {4, 43}},
        {118, {40, 43}}, {117, {58, 43}}, {119, {76, 43}},
    };
    const int widerCounter = box.width() - 97;  // the jog forward button makes room for it
    for (const auto& [id, at] : places) {
        TransportButton* b = pane->button(id);
        ASSERT_NE(b, nullptr) << id;
        const QPoint expected = box.topLeft() + at + QPoint(id == 116 ? widerCounter : 0, 0);
        EXPECT_EQ(b->geometry(), QRect(expected, QSize(16, 14))) << id;
        EXPECT_TRUE(b->isVisible()) << id;
        EXPECT_FALSE(b->geometry().intersects(pane->ReadoutBox())) << id;
    }
    // Full-screen play, 22 x 21: the pane's corner when the pane is 32 pixels wider than the
    // block (88 wide), else 22 pixels left of the block's right edge and 10 below it.
    EXPECT_EQ(PlayerPane::ButtonPlace(120, QRect(4, 100, 97, 98), 120), QRect(4, 7, 22, 21));
    EXPECT_EQ(PlayerPane::ButtonPlace(120, QRect(4, 100, 97, 98), 119),
              QRect(4 + 92 - 22, 100 + 57 + 10, 22, 21));
    EXPECT_EQ(pane->button(120)->geometry(), PlayerPane::ButtonPlace(120, box, pane->width()));
    EXPECT_TRUE(pane->button(120)->isVisible());
    // Up and down images differ; the range button shows its state.
    TransportButton* range = pane->button(117);
    const QImage off = range->grab().toImage();
    app.window->action(kCmdRangeToggle)->trigger();
    EXPECT_TRUE(app.window->player()->rangeOn());
    EXPECT_NE(range->grab().toImage(), off);
    // The status bar's copies are enabled now.
    for (int id : {kCmdPlayBackwards, kCmdStop, kCmdPlayForwards})
        EXPECT_TRUE(app.window->action(id)->isEnabled()) << id;

    // In rostrum mode (and so in picture mode) there is no full-screen play button.
    app.window->action(kCmdLumicardMode)->trigger();
    EXPECT_FALSE(pane->button(120)->isVisible());
    app.window->action(kCmdLumicardMode)->trigger();
    EXPECT_TRUE(pane->button(120)->isVisible());
    App pictures(Path("q.ini"), true);
    auto* picturePane = qobject_cast<PlayerPane*>(pictures.window->playerPane());
    EXPECT_FALSE(picturePane->button(120)->isVisible());
    EXPECT_TRUE(picturePane->button(113)->isVisible());
}

TEST_F(PlaybackWindowTest, ClicksWhilePlaying) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    MainWindow* w = app.window;
    auto* pane = qobject_cast<PlayerPane*>(w->playerPane());
    Player* player = w->player();
    auto click = [&](int id) { XClick(pane->button(id), QPoint(8, 7)); };
    // The play button plays; fast forward changes the mode and play goes on.
    click(113);
    ASSERT_TRUE(WaitFor([&] { return player->playing(); }));
    click(114);
    ASSERT_TRUE(WaitFor([&] { return player->mode() == kFastForward; }));
    EXPECT_TRUE(player->playing());
    EXPECT_TRUE(w->action(kCmdFastForwardButton)->isChecked());
    // A click in the timeline plays on forwards from the clicked frame.
    TimelineView* timeline = w->timelineView();
    timeline->GoToFrame(0, false);
    const int target = 200;
    XClick(timeline->viewport(),
           QPoint(int(timeline->ClientXOfFrame(target)), timeline->viewport()->height() / 2));
    ASSERT_TRUE(WaitFor([&] { return player->mode() == kPlayForwards; }));
    EXPECT_TRUE(player->playing());
    EXPECT_GE(app.doc.currentFrame(), target);
    EXPECT_LT(app.doc.currentFrame(), target + 60);
    // The status bar's stop stops.
    QToolButton* stop = nullptr;
    for (QToolButton* b : w->statusBar()->findChildren<QToolButton*>())
        if (b->defaultAction() == w->action(kCmdStop)) stop = b;
    ASSERT_NE(stop, nullptr);
    XClick(stop, stop->rect().center());
    ASSERT_TRUE(WaitFor([&] { return !player->playing(); }));
    EXPECT_TRUE(MenusEnabled(w));
    // Jog buttons when stopped: by the jog amount.
    const int at = app.doc.currentFrame();
    click(116);
    EXPECT_EQ(app.doc.currentFrame(), at + 1);
}

TEST_F(PlaybackWindowTest, TestFrameRateReportsAfterPlay) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    Answerer ok({"OK"});
    app.window->action(kCmdTestFrameRate)->trigger();
    ASSERT_TRUE(WaitFor([&] { return ok.texts.size() == 1; }));
    EXPECT_EQ(ok.texts[0], "Play show to test Frame Rate");
    app.window->player()->Start(kPlayForwards);
    WaitFor([] { return false; }, 500);
    app.window->player()->Stop();
    ASSERT_TRUE(WaitFor([&] { return ok.texts.size() == 2; }));
    EXPECT_TRUE(QRegularExpression("^Frame rate is \\d+\\.\\d\\d fps in \\d+ frames$")
                    .match(ok.texts[1])
                    .hasMatch())
        << ok.texts[1].toStdString();
}

TEST_F(PlaybackWindowTest, AddSoundMakesATrackAsLongAsItsClip) {
    App app(Path("p.ini"));
    const QString clip = Path("clip.wav");
    ASSERT_TRUE(quillon::testing::WriteBytes(
        clip, quillon::testing::PcmWave(quillon::testing::Ramp(16000))));
    app.doc.UpdateViewsAtFrame(20);
    // The file dialog, once it is up, gets the file's name typed and confirmed.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!files) return;
        poll.stop();
        auto* name = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(clip);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(name, &enter);
    });
    poll.start(100);
    ASSERT_TRUE(app.window->action(kCmdAddSound)->isEnabled());
    app.window->action(kCmdAddSound)->trigger();
    const ShowNode* track = app.doc.root().children[0]->children.back();
    ASSERT_TRUE(track->Is(NodeKind::SoundTrack));
    // 16000 bytes at 8000 a second: 60 frames at 30 fps, from the current frame.
    EXPECT_EQ(track->startFrame, 20);
    EXPECT_EQ(track->endFrame, 80);
    EXPECT_EQ(track->GetName(), "clip");
}

TEST_F(PlaybackWindowTest, MakeMovieWithTheSoundTracks) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    // Half a second of 16-bit mono at 22050 on a track from frame 0.
    const QString clip = Path("clip.wav");
    ASSERT_TRUE(quillon::testing::WriteBytes(
        clip, quillon::testing::PcmWave(quillon::testing::Ramp(22050), 1, 22050, 16)));
    auto* track = new ShowNode;
    track->kind = NodeKind::SoundTrack;
    track->endFrame = 60;
    track->SetFileName(clip.toStdString());
    app.doc.root().children[0]->AddChild(track, false);
    const QString movie = Path("take.avi");
    QTimer::singleShot(300, [&] {
        auto* dialog = qobject_cast<MovieSettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->soundBox()->text(), "Include sound tracks");
        dialog->endEdit()->setText("1:00");
        dialog->widthEdit()->setText("160");
        dialog->heightEdit()->setText("120");
        dialog->soundBox()->setChecked(true);
        auto* poll = new QTimer(app.window);
        QObject::connect(poll, &QTimer::timeout, [poll, movie] {
            auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!files) return;
            poll->stop();
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(movie);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(name, &enter);
        });
        poll->start(100);
        dialog->accept();
    });
    app.window->action(kCmdMakeMovie)->trigger();
    EXPECT_EQ(app.profile.GetInt("Movie", "Sound", -1), 1);
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,codec_name", "-of",
                            "default=noprint_wrappers=1", movie});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QString streams = QString::fromUtf8(probe.readAllStandardOutput());
    EXPECT_TRUE(streams.contains("codec_type=audio")) << streams.toStdString();
    EXPECT_TRUE(streams.contains("pcm_s16le")) << streams.toStdString();
}

TEST_F(PlaybackWindowTest, ClosingTheWindowStopsPlayFirst) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    Player* player = app.window->player();
    Answerer ok({"OK"});
    player->RequestFrameRateTest();
    player->Start(kPlayForwards);
    ASSERT_TRUE(WaitFor([&] { return app.doc.currentFrame() > 3; }));
    // The measurement is dropped: no box comes up while the window closes.
    EXPECT_TRUE(app.window->close());
    EXPECT_FALSE(player->playing());
    EXPECT_TRUE(MenusEnabled(app.window));
    EXPECT_EQ(ok.texts, QStringList{"Play show to test Frame Rate"});
}
