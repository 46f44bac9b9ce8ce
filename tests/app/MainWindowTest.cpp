// The main window under a real window system (Xvfb, Mesa's OpenGL), driven through the X
// server where it matters: the menus against the described texts, accelerators, enabling and
// check marks, picture and rostrum modes, the title the window system shows, status-bar
// prompts, opening, dropping and closing shows and their questions, the timeline zoom buttons,
// the movie settings' refusals, and a profile with absurd values.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include "../model/ScriptedHost.h"
#include "WindowTestKit.h"
#include "app/MainWindow.h"
#include "app/MovieSettingsDialog.h"
#include "app/StoryboardDialog.h"
#include "model/Document.h"
#include "model/Settings.h"
#include "model/ShowFile.h"
#include "model/ShowFiles.h"
#include "monitor/MonitorWidget.h"
#include "stage/StageView.h"
#include "timeline/TimelineGeometry.h"
#include "timeline/TimelineView.h"

using namespace quillon;
using namespace quillon::testkit;

namespace {

// The menus as the program describes them: titles and items in order, "-" for a separator
// (the recent files, hidden while the list is empty, are left out).
const std::vector<std::pair<QString, QStringList>> kMenus = {
    {"&File",
     {"&New Show\tCtrl+N", "&Open Show...\tCtrl+O", "&Save Show\tCtrl+S",
      "Save Show &As...\tCtrl+H", "-", "&Print...\tCtrl+P", "&Make Movie", "Make Parts &List",
      "Batch Record/AVI", "-", "-", "E&xit", "-", "Export glTF...", "Recover Unsaved Work..."}},
    {"&Edit",
     {"&Undo\tCtrl+Z", "&Redo\tCtrl+A", "-", "&Scale Keys", "&Constant Motion", "-",
      "&Add New Scene", "&Delete Scene\tCtrl+D", "-", "Preferences"}},
    {"Sta&ge",
     {"Show Monitor on &Drag", "&Lumicard Mode", "Draw &Grid Floor", "Show Camera &Path",
      "&Center Camera", "&Enlarge Stage Area", "&Shrink Stage Area"}},
    {"&Player",
     {"Moving &Timeline", "Moving &Camera", "Play Sound Tracks", "Show Camera Reticle\t Ctrl-R"}},
    {"&Set",
     {"&New Set", "&Open Set", "Save Set &As...", "Append to Set", "-", "Snap to Grid\tCtrl-G",
      "Draw &Set", "Color Key", "-", "Cu&t Panel\tCtrl-X", "&Copy Panel\tCtrl-C",
      "&Paste Panel\tCtrl-V", "-", "Add Floor Panel\tCtrl-F", "Add Wall Panel\tCtrl-W"}},
    {"&Actors",
     {"Add &Actor\tCtrl+I", "Add &Sound ", "Add S&cript", "-", "Smooth Filtering", "&Feather Edges",
      "Show Script", "-", "Delete Actor"}},
    {"&Help", {"Get &Help", "&About", "-", "&Test Frame Rate"}},
};

QMenu* Menu(QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

QStringList MenuItems(QMenuBar* bar, const QString& title) {
    QStringList items;
    QMenu* menu = Menu(bar, title);
    if (!menu) return items;
    for (QAction* item : menu->actions()) {
        if (item->isSeparator())
            items << "-";
        else if (item->isVisible())
            items << item->text();
    }
    return items;
}

QString Title(const std::pair<QString, QStringList>& menu) {
    return menu.first;
}

// The name the window system knows the window by.
QString WindowSystemTitle(QWidget* w) {
    QProcess p;
    p.start("xdotool", {"getwindowname", QString::number(w->winId())});
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// A show of one scene with a dirty set written beside it.
QString WriteShow(const QString& dir, const QString& name, int scenes = 1) {
    Profile p(dir + "/w.ini");
    ScriptedHost quiet;
    Document writer(p, quiet);
    writer.Reset(true);
    for (int i = 1; i < scenes; ++i)
        writer.NewScene(120);
    const QString path = dir + "/" + name;
    EXPECT_TRUE(WriteShowFile(path.toStdString(), writer.root(), writer.captions()));
    return path;
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(MainWindowTest, MenusAreTheDescribedOnes) {
    for (bool pictureMode : {false, true}) {
        SCOPED_TRACE(pictureMode ? "picture mode" : "normal");
        App app(Path(pictureMode ? "q.ini" : "p.ini"), pictureMode);
        QMenuBar* bar = app.window->menuBar();
        QStringList titles, expected;
        for (QAction* a : bar->actions())
            titles << a->text();
        for (const auto& menu : kMenus) {
            // Picture mode: no Set menu, the actors menu is "Pictures" without Lumicard Mode.
            if (pictureMode && Title(menu) == "&Set") continue;
            const QString title =
                pictureMode && Title(menu) == "&Actors" ? QString("Pictures") : Title(menu);
            expected << title;
            QStringList items = menu.second;
            if (pictureMode) {
                items.removeAll("&Lumicard Mode");
                items.replaceInStrings("Add &Actor\tCtrl+I", "Add Picture\tCtrl+I");
                items.replaceInStrings("Delete Actor", "Delete Picture");
            }
            EXPECT_EQ(MenuItems(bar, title), items) << title.toStdString();
        }
        EXPECT_EQ(titles, expected);
        EXPECT_EQ(app.doc.settings().rostrumMode, pictureMode);
        // The profile keeps the normal mode; the new show has one scene of 300 frames.
        EXPECT_EQ(app.profile.GetInt("Stage", "RostrumMode", -1), -1);
        EXPECT_EQ(app.doc.root().children[0]->length(), 300);
    }
}

TEST_F(MainWindowTest, AcceleratorsWorkWhicheverMenuShowsTheirCommand) {
    // The described accelerators, pressed through the X server; in picture mode too, where
    // the set menu is gone but its accelerators stay.
    const std::pair<const char*, int> keys[] = {
        {"ctrl+z", kCmdUndo},        {"alt+BackSpace", kCmdUndo},
        {"ctrl+c", kCmdCopyPanel},   {"ctrl+Insert", kCmdCopyPanel},
        {"ctrl+x", kCmdCutPanel},    {"shift+Delete", kCmdCutPanel},
        {"ctrl+v", kCmdPastePanel},  {"shift+Insert", kCmdPastePanel},
        {"ctrl+r", kCmdShowReticle}, {"ctrl+g", kCmdSnapToGrid},
        {"ctrl+d", kCmdDeleteScene},
    };
    for (bool pictureMode : {false, true}) {
        SCOPED_TRACE(pictureMode ? "picture mode" : "normal");
        App app(Path(pictureMode ? "q.ini" : "p.ini"), pictureMode);
        MainWindow& w = *app.window;
        XClick(w.stageView(), QPoint(50, 50));
        SetPanel panel;
        panel.selected = 1;
        for (const auto& [key, id] : keys) {
            // Each press finds what its command needs: an undo entry, a selected panel, a
            // copy, a selected scene (Delete Scene, last, takes the scene away).
            ShowNode& scene = *app.doc.root().children[0];
            app.doc.PushUndo(&scene);
            if (!scene.set) scene.set = std::make_unique<Set>();
            scene.set->panels.assign(1, panel);
            app.doc.CopyPanels();
            scene.setSelected(true);
            w.UpdateCommands();
            QSignalSpy spy(w.action(id), &QAction::triggered);
            XInput({"key", key});
            EXPECT_EQ(spy.count(), 1) << key;
        }
    }
}

TEST_F(MainWindowTest, TheWindowSystemShowsTheDescribedTitle) {
    const QString show = WriteShow(dir.path(), "my.show.shw");
    QString cut = show;
    cut.truncate(cut.indexOf('.'));
    const QString title = "Quillon - " + cut.toUpper();
    // The program itself, started on the show as a user starts it.
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QUILLON_PROFILE", Path("program.ini"));
    program.setProcessEnvironment(env);
    program.start(QUILLON_APP, {"--no-startup-picture", show});
    ASSERT_TRUE(program.waitForStarted());
    QProcess search;
    search.start("xdotool", {"search", "--sync", "--name", "^Quillon - "});
    ASSERT_TRUE(search.waitForFinished(20000));
    const QString id = QString::fromUtf8(search.readAllStandardOutput()).split('\n').value(0);
    QProcess name;
    name.start("xdotool", {"getwindowname", id});
    ASSERT_TRUE(name.waitForFinished(5000));
    EXPECT_EQ(QString::fromUtf8(name.readAllStandardOutput()).trimmed(), title);
    program.kill();
    program.waitForFinished();
    // In this process's window too, untitled and with the show.
    App app(Path("p.ini"));
    EXPECT_EQ(WindowSystemTitle(app.window), "Quillon");
    app.window->OpenFile(show);
    EXPECT_EQ(WindowSystemTitle(app.window), title);
}

TEST_F(MainWindowTest, EnablingFollowsTheShow) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    w.UpdateCommands();
    for (int id : {kCmdSaveShow, kCmdUndo, kCmdSaveSetAs, kCmdPastePanel, kCmdCutPanel})
        EXPECT_FALSE(w.action(id)->isEnabled()) << id;
    // Moving the camera and keying it takes an undo snapshot and marks the show changed.
    app.doc.monitorCamera().pose.eastWest() += 100;
    w.action(kCmdAddKey)->trigger();
    EXPECT_TRUE(w.action(kCmdSaveShow)->isEnabled());
    EXPECT_TRUE(w.action(kCmdUndo)->isEnabled());
    // A floor panel (its picture dialog cancelled) gives the scene a set, in the middle of the
    // plan in view; copying fills the clipboard.
    w.stageView()->horizontalScrollBar()->setValue(300);
    w.stageView()->verticalScrollBar()->setValue(500);
    {
        Answerer cancel({""});
        w.action(kCmdAddFloorPanel)->trigger();
    }
    EXPECT_TRUE(w.action(kCmdSaveSetAs)->isEnabled());
    EXPECT_TRUE(w.action(kCmdCutPanel)->isEnabled());
    const QSize client = w.stageView()->viewport()->size();
    const QPointF middle =
        w.stageView()->ClientToStage(QPoint(client.width() / 2, client.height() / 2));
    const SetPanel& panel = app.doc.root().children[0]->set->panels.back();
    EXPECT_NEAR((panel.cornerEastWest[0] + panel.cornerEastWest[1]) / 2,
                (middle.x() - 2000) * 0.005, 0.01);
    w.action(kCmdCopyPanel)->trigger();
    EXPECT_TRUE(w.action(kCmdPastePanel)->isEnabled());
}

TEST_F(MainWindowTest, AddKeyForcesOnlyInTheStagesVerticalMode) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    ShowNode& scene = *app.doc.root().children[0];
    {
        Answerer cancel({""});  // the picture dialog
        ASSERT_TRUE(app.doc.AddTrack(NodeKind::Actor, 0, 300, StagePlace{}));
    }
    ShowNode* still = scene.children.back();  // selected, as every new track is
    app.doc.UpdateViewsAtFrame(100);
    // Nothing moved: no key anywhere.
    w.action(kCmdAddKey)->trigger();
    EXPECT_EQ(still->KeyCount(), 1);
    // Shift held in the stage plan: the selected track is keyed all the same.
    XClick(w.stageView(), QPoint(40, 40));
    XInput({"keydown", "shift"});
    EXPECT_TRUE(w.stageView()->verticalMode());
    w.action(kCmdAddKey)->trigger();
    XInput({"keyup", "shift"});
    EXPECT_FALSE(w.stageView()->verticalMode());
    EXPECT_EQ(still->KeyCount(), 2);
    // "Add KeyFrame and advance 1 sec" at 30 fps: a key where the camera was moved, then 30
    // frames on.
    app.doc.UpdateViewsAtFrame(0);
    const float eastWest = app.doc.monitorCamera().pose.eastWest() + 100;
    app.doc.monitorCamera().pose.eastWest() = eastWest;
    w.action(kCmdAddKeyAdvance)->trigger();
    EXPECT_EQ(app.doc.currentFrame(), 30);
    const ShowNode& camera = *scene.children[app.doc.activeCamera()];
    EXPECT_FLOAT_EQ(camera.keys[0].eastWest(), eastWest);
}

TEST_F(MainWindowTest, TogglesWriteTheirProfileKeysAtOnce) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    const struct {
        int id;
        const char* section;
        const char* key;
        int after;  // the value written by one toggle from the defaults
    } toggles[] = {
        {kCmdDrawGridFloor, "Stage", "ShowGrid", 1},
        {kCmdDrawSet, "Stage", "ShowSet", 0},
        {kCmdShowOnDrag, "Stage", "ShowOnDrag", 0},
        {kCmdFeatherEdges, "Texture", "FeatherActors", 0},
        {kCmdSmoothFiltering, "Texture", "Filtering", 0},
        {kCmdColorKey, "Texture", "ColorKeying", 0},
        {kCmdMovingCamera, "Player", "MoveCamera", 1},
        {kCmdMovingTimeline, "Timeline", "MovePlay", 0},
        {kCmdPlaySoundTracks, "Player", "PlayAudio", 0},
        {kCmdScaleKeys, "Project", "ScaleKeys", 0},
        {kCmdSnapToGrid, "Stage", "GridSnap", 1},
    };
    for (const auto& t : toggles) {
        QAction* a = w.action(t.id);
        const bool before = a->isChecked();
        a->trigger();
        EXPECT_EQ(app.profile.GetInt(t.section, t.key, -1), t.after) << t.key;
        EXPECT_NE(a->isChecked(), before) << t.key;
    }
    EXPECT_TRUE(w.monitor()->renderer().drawGridFloor);
    EXPECT_FALSE(w.monitor()->renderer().drawSet);
    w.action(kCmdShowReticle)->trigger();
    EXPECT_TRUE(w.monitor()->renderer().showReticle);
    EXPECT_TRUE(w.action(kCmdShowReticle)->isChecked());
}

TEST_F(MainWindowTest, LumicardModeTurnsOnlyTheToolBarsPanelButtonsIntoSeparators) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    QToolBar* bar = w.toolBar();
    const int buttons = bar->actions().size();
    w.action(kCmdLumicardMode)->trigger();
    EXPECT_TRUE(app.doc.settings().rostrumMode);
    EXPECT_EQ(app.profile.GetInt("Stage", "RostrumMode", -1), 1);
    EXPECT_FALSE(bar->actions().contains(w.action(kCmdAddWallPanel)));
    EXPECT_FALSE(bar->actions().contains(w.action(kCmdAddFloorPanel)));
    EXPECT_EQ(bar->actions().size(), buttons);
    EXPECT_TRUE(bar->actions().back()->isSeparator());
    // The menu items and their accelerators stay.
    EXPECT_TRUE(MenuItems(w.menuBar(), "&Set").contains("Add Floor Panel\tCtrl-F"));
    EXPECT_TRUE(w.action(kCmdAddFloorPanel)->isVisible());
    QSignalSpy spy(w.action(kCmdAddFloorPanel), &QAction::triggered);
    XClick(w.stageView(), QPoint(40, 40));
    {
        Answerer cancel({""});
        XInput({"key", "ctrl+f"});
    }
    EXPECT_EQ(spy.count(), 1);
    // Off again: the buttons are back in their places.
    w.action(kCmdLumicardMode)->trigger();
    EXPECT_EQ(bar->actions().size(), buttons);
    EXPECT_EQ(bar->actions().back(), w.action(kCmdAddFloorPanel));
}

TEST_F(MainWindowTest, StatusBarPromptsForMenuItemsAndToolBarButtons) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    // A tool-bar button under the pointer.
    QWidget* centre = w.toolBar()->widgetForAction(w.action(kCmdCenterCamera));
    ASSERT_NE(centre, nullptr);
    // From somewhere else first: a pointer already resting on the button enters nothing.
    XMove(w.stageView(), QPoint(40, 40));
    QApplication::processEvents();
    XMove(centre, centre->rect().center());
    EXPECT_TRUE(
        WaitFor([&] { return w.statusBar()->currentMessage() == "Center Camera in Stage"; }, 2000))
        << w.statusBar()->currentMessage().toStdString();
    // A menu item highlighted.
    XClick(w.menuBar(),
           w.menuBar()->actionGeometry(Menu(w.menuBar(), "&Set")->menuAction()).center());
    QMenu* set = Menu(w.menuBar(), "&Set");
    ASSERT_TRUE(WaitFor([&] { return set->isVisible(); }, 2000));
    XMove(set, set->actionGeometry(w.action(kCmdAppendSet)).center());
    EXPECT_TRUE(WaitFor(
        [&] {
            return w.statusBar()->currentMessage() ==
                   "Add new set panels to existing set from file";
        },
        2000))
        << w.statusBar()->currentMessage().toStdString();
    XInput({"key", "Escape"});
    // Every command has a prompt.
    for (QAction* a : w.actions()) {
        if (a->isSeparator()) continue;
        EXPECT_FALSE(a->statusTip().isEmpty()) << a->text().toStdString();
    }
}

TEST_F(MainWindowTest, OpeningAShowAsksOnceAndOnlyShowsThatOpenedAreRecent) {
    App app(Path("p.ini"));
    const QString good = WriteShow(dir.path(), "Dropped.SHW.bak", 2);
    // A changed show with a changed set: opening another asks about the show, once.
    app.doc.root().children[0]->set = std::make_unique<Set>();
    app.doc.root().children[0]->set->dirty = 1;
    app.doc.PushUndo(nullptr);
    {
        Answerer no({"No"});
        app.window->OpenFile(good);  // ".SHW" anywhere in the name, any case
        EXPECT_EQ(no.texts, QStringList({"Save changes to Show File?"}));
    }
    EXPECT_EQ(app.doc.path(), good);
    EXPECT_EQ(app.doc.root().childCount(), 2);
    EXPECT_EQ(app.doc.currentFrame(), 0);
    // A file that is not a show: the stop icon, the described text, and the file and the
    // reason under it; the open show stays and the recent list keeps only the real show.
    QFile junk(Path("junk.shw"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a show at all");
    junk.close();
    {
        Answerer ok({"OK"});
        app.window->OpenFile(Path("junk.shw"));
        ASSERT_EQ(ok.texts, QStringList({"Couldn't read file"}));
        EXPECT_EQ(ok.icons.value(0), QMessageBox::Critical);
        EXPECT_TRUE(ok.informative.value(0).contains(Path("junk.shw")));
        EXPECT_TRUE(ok.informative.value(0).contains("not a show file"));
    }
    EXPECT_EQ(app.doc.path(), good);
    EXPECT_EQ(app.profile.GetString("Recent File List", "File1", ""), good);
    EXPECT_EQ(app.profile.GetString("Recent File List", "File2", ""), "");
    // Anything else becomes an actor spanning the scene at the current frame.
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(Path("hero.png")));
    ShowNode& scene = *app.doc.root().children[0];
    const int before = scene.childCount();
    app.window->OpenFile(Path("hero.png"));
    ASSERT_EQ(scene.childCount(), before + 1);
    EXPECT_EQ(scene.children.back()->kind, NodeKind::Actor);
    EXPECT_EQ(scene.children.back()->length(), scene.length());
}

TEST_F(MainWindowTest, ClosingAsksWithCancelAndAnUntouchedDemoAsksNothing) {
    App app(Path("p.ini"));
    // The demo, from a copy of its folder: nothing to save when it closes untouched.
    const QDir demo(QFileInfo(kDemo).path());
    QDir().mkpath(Path("demo"));
    for (const QString& f : demo.entryList(QDir::Files))
        ASSERT_TRUE(QFile::copy(demo.filePath(f), Path("demo/" + f)));
    ASSERT_TRUE(app.files.ReadShow(Path("demo/demo.shw")));
    for (const ShowNode* scene : app.doc.root().children) {
        if (!scene->set) continue;
        EXPECT_EQ(scene->set->dirty, 0) << scene->GetName();
    }
    {
        Answerer any({"Cancel"});
        EXPECT_TRUE(app.files.CloseShow());
        EXPECT_TRUE(any.texts.isEmpty()) << any.texts.join("; ").toStdString();
    }
    // Changed: Cancel keeps the window and the show; No closes it and writes the layout.
    app.doc.SetModified(true);
    {
        Answerer cancel({"Cancel"});
        EXPECT_FALSE(app.window->close());
        EXPECT_EQ(cancel.texts, QStringList({"Save changes to " + Path("demo/demo.shw") + "?"}));
    }
    EXPECT_TRUE(app.window->isVisible());
    EXPECT_TRUE(app.doc.modified());
    {
        // Yes, on an untitled show, and the name dialog cancelled: the window stays too.
        app.doc.SetShowPath(QString());
        Answerer yes({"Yes", ""});
        EXPECT_FALSE(app.window->close());
    }
    {
        Answerer no({"No"});
        EXPECT_TRUE(app.window->close());
    }
    EXPECT_GT(app.profile.GetInt("Window", "Right", -1), 0);
    EXPECT_GT(app.profile.GetInt("Window", "Stage Width", -1), 0);
}

TEST_F(MainWindowTest, TimelineZoomButtonsAndStageScaleSteps) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    // The button left of the read-out shows "+" and spreads the timeline out (fewer frames a
    // band: 30 -> 15 at 30 fps); the one right of it shows "-" and squeezes it.
    auto buttons = w.statusBar()->findChildren<QToolButton*>();
    QToolButton *left = nullptr, *right = nullptr;
    const QRect readout = w.positionReadout()->geometry();
    for (QToolButton* b : buttons) {
        if (b->geometry().right() < readout.left() && b->geometry().left() > readout.left() - 40)
            left = b;
        if (b->geometry().left() > readout.right()) right = b;
    }
    ASSERT_TRUE(left && right);
    // The plus: a dark upright stroke across the lens's middle that the minus lacks.
    const QImage plus = left->icon().pixmap(16, 15).toImage();
    const QImage minus = right->icon().pixmap(16, 15).toImage();
    EXPECT_GT(qAlpha(plus.pixel(6, 4)), 128);
    EXPECT_LT(qAlpha(minus.pixel(6, 4)), 128);
    const int before = w.timelineView()->scale();
    XClick(left, left->rect().center());
    EXPECT_EQ(w.timelineView()->scale(), before / 2);
    XClick(right, right->rect().center());
    XClick(right, right->rect().center());
    EXPECT_EQ(w.timelineView()->scale(), before * 2);
    // The limits: 15 and 960 frames a band.
    for (int i = 0; i < 8; ++i)
        w.action(kCmdTimelineSqueeze)->trigger();
    EXPECT_EQ(app.profile.GetInt("Timeline", "Scale", -1), 960);
    for (int i = 0; i < 8; ++i)
        w.action(kCmdTimelineSpread)->trigger();
    EXPECT_EQ(app.profile.GetInt("Timeline", "Scale", -1), 15);

    // Stage steps of 0.25 below 1 and 0.5 above, within 0.25 .. 4.
    const std::pair<int, int> steps[] = {{kCmdShrinkStage, 750},
                                         {kCmdEnlargeStage, 1000},
                                         {kCmdEnlargeStage, 1500},
                                         {kCmdShrinkStage, 1000}};
    for (const auto& [id, scale] : steps) {
        w.action(id)->trigger();
        EXPECT_EQ(app.profile.GetInt("Stage", "Scale", -1), scale);
    }
}

TEST_F(MainWindowTest, MovieSettingsRefuseARateOrSizeNoMovieCanHave) {
    App app(Path("p.ini"));
    const struct {
        const char* rate;
        const char* width;
        bool accepted;
    } cases[] = {
        {"abc", "720", false}, {"0", "720", false},   {"-5", "720", false},
        {"25", "0", false},    {"25", "5000", false}, {"12.5", "640", true},
    };
    for (const auto& c : cases) {
        MovieSettingsDialog dialog(app.doc, app.window);
        dialog.rateEdit()->setText(c.rate);
        dialog.widthEdit()->setText(c.width);
        Answerer ok({"OK"});
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.rate << " " << c.width;
        EXPECT_EQ(ok.texts.isEmpty(), c.accepted) << c.rate;
        // Nothing refused is stored.
        EXPECT_EQ(app.profile.Contains("Movie", "FrameRate"), c.accepted) << c.rate;
    }
    EXPECT_EQ(app.profile.GetInt("Movie", "FrameRate", -1), 1250);
}

TEST_F(MainWindowTest, AbsurdProfileStillGivesAUsableWindow) {
    {
        Profile p(Path("bad.ini"));
        const std::pair<const char*, int> values[] = {{"Left", -5000},      {"Top", 99999},
                                                      {"Right", -3},        {"Bottom", 7},
                                                      {"Stage Width", -20}, {"Stage Height", 0}};
        for (const auto& [key, value] : values)
            p.WriteInt("Window", key, value);
        p.WriteInt("Stage", "Scale", 0);
        p.WriteInt("Timeline", "Scale", -4);
    }
    App app(Path("bad.ini"));
    const QRect r = app.window->geometry();
    EXPECT_GE(r.width(), 200);
    EXPECT_GE(r.height(), 150);
    for (QSplitter* s :
         {app.window->mainSplitter(), app.window->upperSplitter(), app.window->rightSplitter()})
        for (int size : s->sizes())
            EXPECT_GT(size, 0);
    EXPECT_GT(app.window->monitor()->width(), 0);
}

TEST_F(MainWindowTest, TheFirstWindowShowsItsWork) {
    // An empty profile, the demo opened as from the command line.
    App app(Path("first.ini"));
    MainWindow& w = *app.window;
    app.window->OpenFile(kDemo);
    QApplication::processEvents();
    // The timeline shows a scene's own rows and at least three track rows.
    EXPECT_GE(w.timelineView()->viewport()->height(),
              timeline::kFirstItemRow + 3 * timeline::kRowHeight);
    // The stage looks at the camera and at the set of the scene at frame 0.
    StageView& stage = *w.stageView();
    const QRect view = stage.viewport()->rect();
    const KeyFrame& camera = app.doc.monitorCamera().pose;
    EXPECT_TRUE(view.contains(stage.StageToClient(camera.eastWest(), camera.northSouth())));
    int cornersInView = 0;
    for (const SetPanel& panel : app.doc.currentScene()->set->panels)
        for (int k = 0; k < 4; ++k)
            cornersInView += view.contains(stage.StageToClient(
                panel.cornerEastWest[k] * 200 + 2000, panel.cornerNorthSouth[k] * 200 + 2000));
    EXPECT_GT(cornersInView, 0);
    // Zooming keeps the stage point at the middle of the view where it was.
    const QPoint middle = view.center();
    for (int id : {kCmdEnlargeStage, kCmdEnlargeStage, kCmdShrinkStage}) {
        const QPointF before = stage.ClientToStage(middle);
        w.action(id)->trigger();
        const QPointF after = stage.ClientToStage(middle);
        EXPECT_NEAR(after.x(), before.x(), 2.0 / stage.scale()) << id;
        EXPECT_NEAR(after.y(), before.y(), 2.0 / stage.scale()) << id;
    }
    // The monitor keeps the show's aspect inside its pane: black bars beside the picture.
    MonitorWidget& monitor = *w.monitor();
    app.doc.UpdateViewsAtFrame(60, Refresh::kViews);
    const QRect picture = monitor.PictureRect();
    EXPECT_NEAR(double(picture.height()) / picture.width(), app.doc.settings().aspectRatio, 0.01);
    EXPECT_TRUE(monitor.rect().contains(picture));
    ASSERT_GT(monitor.width() - picture.width(), 4) << "the pane is as wide as the picture";
    const QImage shown = monitor.grabFramebuffer();
    const int y = picture.center().y();
    EXPECT_EQ(qGray(shown.pixel(1, y)), 0);
    EXPECT_EQ(qGray(shown.pixel(monitor.width() - 2, y)), 0);
    EXPECT_GT(LitPixels(shown.copy(picture)), 10);
    // The read-outs hold their text: the status bar's timecode box and the stage read-out.
    const QLabel* readout = w.positionReadout();
    EXPECT_GE(readout->width(), readout->fontMetrics().horizontalAdvance("00:00:00:00"));
    EXPECT_GE(readout->fontMetrics().ascent(), 7);
    EXPECT_GE(w.stagePositionText()->fontMetrics().ascent(), 7);
}

TEST_F(MainWindowTest, PrintDialogCollectsFramesInTimeOrderOnceEach) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    w.action(kCmdPrint)->trigger();
    auto* dialog = w.findChild<StoryboardDialog*>("storyboardDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(dialog->windowTitle(), "Print / Preview");
    const std::pair<const char*, bool> checks[] = {{"showImages", true},
                                                   {"showCaptions", true},
                                                   {"showBlocking", false},
                                                   {"showTimecode", true},
                                                   {"largeImages", true}};
    for (const auto& [name, on] : checks)
        EXPECT_EQ(dialog->findChild<QCheckBox*>(name)->isChecked(), on) << name;
    auto* frames = dialog->findChild<QListWidget*>("frames");
    auto* caption = dialog->findChild<QLineEdit*>("caption");
    auto* add = dialog->findChild<QPushButton*>("addFrame");
    for (int frame : {90, 30, 90, 60}) {
        app.doc.UpdateViewsAtFrame(frame, Refresh::kViews);
        add->click();
    }
    ASSERT_EQ(frames->count(), 3);
    EXPECT_EQ(frames->currentItem()->text(), "00:00:02:00");
    EXPECT_TRUE(app.doc.modified());
    caption->setText("Walks in");
    emit caption->textEdited("Walks in");
    EXPECT_EQ(app.doc.captions(),
              (std::vector<std::string>{"00:00:01:00", "00:00:02:00Walks in", "00:00:03:00"}));
    // Selecting a line goes to its frame and shows its caption.
    frames->item(0)->setSelected(true);
    EXPECT_EQ(app.doc.currentFrame(), 30);
    EXPECT_TRUE(caption->text().isEmpty());
    frames->item(1)->setSelected(true);
    EXPECT_EQ(caption->text(), "Walks in");
    dialog->findChild<QPushButton*>("removeFrame")->click();
    EXPECT_EQ(app.doc.captions(), (std::vector<std::string>{"00:00:01:00", "00:00:03:00"}));
    EXPECT_EQ(frames->currentItem()->text(), "00:00:01:00");
    // "&Print..." again replaces the dialog: one at a time.
    w.action(kCmdPrint)->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.findChildren<StoryboardDialog*>().size(), 1);
    // The pages drawn through the window's monitor context: a PDF with the two entries.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path("board.pdf"));
    w.findChild<StoryboardDialog*>("storyboardDialog")->PrintTo(printer);
    EXPECT_GT(QFile(Path("board.pdf")).size(), 1000);
}
