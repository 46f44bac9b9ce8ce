// The main window under a real window system (Xvfb, Mesa's OpenGL): menu structure and texts,
// enabling rules and check marks, picture mode, files dropped on the window, the status-bar
// zoom and stage scale steps, the close question, and a profile with absurd values.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include "../model/ScriptedHost.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/ShowFile.h"
#include "monitor/GlTextureUploader.h"
#include "monitor/LoaderContext.h"
#include "monitor/MonitorWidget.h"
#include "pictures/PictureMediaLoader.h"
#include "stage/StageView.h"

using namespace quillon;

namespace {

// The program as main() starts it, on a profile of the test's own.
struct App {
    explicit App(const QString& profilePath, bool pictureMode = false)
        : profile(profilePath), application(profile, pictureMode) {
        QString error;
        EXPECT_TRUE(application.Start(&error)) << error.toStdString();
        application.Show({});
        QApplication::processEvents();
        window = &application.window();
    }
    Profile profile;
    Application application;
    Document& doc = application.doc();
    MainWindow* window = nullptr;
};

QStringList MenuTitles(QMenuBar* bar) {
    QStringList titles;
    for (QAction* a : bar->actions())
        titles << a->text();
    return titles;
}

QStringList MenuItems(QMenuBar* bar, const QString& title) {
    for (QAction* a : bar->actions()) {
        if (a->text() != title || !a->menu()) continue;
        QStringList items;
        for (QAction* item : a->menu()->actions())
            if (item->isSeparator())
                items << "-";
            else if (item->isVisible())
                items << item->text();
        return items;
    }
    return {};
}

// Answers the next modal dialog: the button with the given text, or reject() for "".
void AnswerNextDialog(const QString& button) {
    QTimer::singleShot(200, [button] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return AnswerNextDialog(button);
        if (button.isEmpty()) {
            if (auto* d = qobject_cast<QDialog*>(modal)) d->reject();
            return;
        }
        for (QAbstractButton* b : modal->findChildren<QAbstractButton*>())
            if (b->text().remove('&') == button) return b->click();
    });
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(MainWindowTest, MenusHaveTheirItemsInOrder) {
    App app(Path("p.ini"));
    QMenuBar* bar = app.window->menuBar();
    EXPECT_EQ(MenuTitles(bar),
              QStringList({"&File", "&Edit", "Sta&ge", "&Player", "&Set", "&Actors", "&Help"}));
    EXPECT_EQ(MenuItems(bar, "&File"),
              QStringList({"&New Show\tCtrl+N", "&Open Show...\tCtrl+O", "&Save Show\tCtrl+S",
                           "Save Show &As...\tCtrl+H", "-", "&Print...\tCtrl+P", "&Make Movie",
                           "Make Parts &List", "Batch Record/AVI", "-", "-", "E&xit"}));
    EXPECT_EQ(MenuItems(bar, "&Edit"),
              QStringList({"&Undo\tCtrl+Z", "&Redo\tCtrl+A", "-", "&Scale Keys", "&Constant Motion",
                           "-", "&Add New Scene", "&Delete Scene\tCtrl+D", "-", "Preferences"}));
    EXPECT_EQ(MenuItems(bar, "Sta&ge"),
              QStringList({"Show Monitor on &Drag", "&Lumicard Mode", "Draw &Grid Floor",
                           "Show Camera &Path", "&Center Camera", "&Enlarge Stage Area",
                           "&Shrink Stage Area"}));
    EXPECT_EQ(MenuItems(bar, "&Player"),
              QStringList({"Moving &Timeline", "Moving &Camera", "Play Sound Tracks",
                           "Show Camera Reticle\t Ctrl-R"}));
    EXPECT_EQ(MenuItems(bar, "&Set"),
              QStringList({"&New Set", "&Open Set", "Save Set &As...", "Append to Set", "-",
                           "Snap to Grid\tCtrl-G", "Draw &Set", "Color Key", "-",
                           "Cu&t Panel\tCtrl-X", "&Copy Panel\tCtrl-C", "&Paste Panel\tCtrl-V", "-",
                           "Add Floor Panel\tCtrl-F", "Add Wall Panel\tCtrl-W"}));
    EXPECT_EQ(
        MenuItems(bar, "&Actors"),
        QStringList({"Add &Actor\tCtrl+I", "Add &Sound ", "Add S&cript", "-", "Smooth Filtering",
                     "&Feather Edges", "Show Script", "-", "Delete Actor"}));
    EXPECT_EQ(MenuItems(bar, "&Help"),
              QStringList({"Get &Help", "&About", "-", "&Test Frame Rate"}));
    // Accelerators beyond the menu texts.
    EXPECT_TRUE(app.window->action(kCmdUndo)->shortcuts().contains(QKeySequence("Alt+Backspace")));
    EXPECT_TRUE(
        app.window->action(kCmdPastePanel)->shortcuts().contains(QKeySequence("Shift+Insert")));
    EXPECT_EQ(app.window->action(kCmdShowReticle)->shortcut(), QKeySequence("Ctrl+R"));
}

TEST_F(MainWindowTest, EnablingFollowsTheShow) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    w.UpdateCommands();
    EXPECT_FALSE(w.action(kCmdSaveShow)->isEnabled());
    EXPECT_FALSE(w.action(kCmdUndo)->isEnabled());
    EXPECT_FALSE(w.action(kCmdSaveSetAs)->isEnabled());
    EXPECT_FALSE(w.action(kCmdPastePanel)->isEnabled());
    // A key set on the camera takes an undo snapshot and marks the show changed.
    w.action(kCmdAddKey)->trigger();
    EXPECT_TRUE(w.action(kCmdSaveShow)->isEnabled());
    EXPECT_TRUE(w.action(kCmdUndo)->isEnabled());
    // A floor panel gives the scene a set (its picture dialog cancelled); copying fills the
    // clipboard.
    w.stageView()->horizontalScrollBar()->setValue(300);
    w.stageView()->verticalScrollBar()->setValue(500);
    AnswerNextDialog("");
    w.action(kCmdAddFloorPanel)->trigger();
    EXPECT_TRUE(w.action(kCmdSaveSetAs)->isEnabled());
    // It lies in the middle of the part of the plan in view.
    const QSize client = w.stageView()->viewport()->size();
    const QPointF middle =
        w.stageView()->ClientToStage(QPoint(client.width() / 2, client.height() / 2));
    const SetPanel& panel = app.doc.root().children[0]->set->panels.back();
    const float centreX = (panel.cornerEastWest[0] + panel.cornerEastWest[1]) / 2;
    EXPECT_NEAR(centreX, (middle.x() - 2000) * 0.005, 0.01);
    EXPECT_LT(middle.x(), 1000);  // away from the stage's own middle
    w.action(kCmdCopyPanel)->trigger();
    EXPECT_TRUE(w.action(kCmdPastePanel)->isEnabled());
    // "Add KeyFrame and advance 1 sec" at 30 fps: a key here, then 30 frames on.
    app.doc.UpdateViewsAtFrame(0);
    const float eastWest = app.doc.monitorCamera().pose.eastWest() + 100;
    app.doc.monitorCamera().pose.eastWest() = eastWest;
    w.action(kCmdAddKeyAdvance)->trigger();
    EXPECT_EQ(app.doc.currentFrame(), 30);
    const ShowNode& camera = *app.doc.root().children[0]->children[app.doc.activeCamera()];
    ASSERT_GE(camera.KeyCount(), 1);
    EXPECT_EQ(camera.keys[0].frame, 0);
    EXPECT_FLOAT_EQ(camera.keys[0].eastWest(), eastWest);
    // Commands of parts still to come are there, disabled.
    EXPECT_FALSE(w.action(kCmdPrint)->isEnabled());
    EXPECT_FALSE(w.action(kCmdBatchRecord)->isEnabled());
}

TEST_F(MainWindowTest, TogglesWriteTheirProfileKeysAtOnce) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    QAction* grid = w.action(kCmdDrawGridFloor);
    EXPECT_FALSE(grid->isChecked());
    grid->trigger();
    EXPECT_TRUE(grid->isChecked());
    EXPECT_EQ(app.profile.GetInt("Stage", "ShowGrid", -1), 1);
    EXPECT_TRUE(w.monitor()->renderer().drawGridFloor);
    w.action(kCmdFeatherEdges)->trigger();
    EXPECT_EQ(app.profile.GetInt("Texture", "FeatherActors", -1), 0);
    EXPECT_FALSE(app.doc.settings().featherActors);
    w.action(kCmdMovingCamera)->trigger();
    EXPECT_EQ(app.profile.GetInt("Player", "MoveCamera", -1), 1);
    w.action(kCmdShowReticle)->trigger();
    EXPECT_TRUE(w.monitor()->renderer().showReticle);
    EXPECT_TRUE(w.action(kCmdShowReticle)->isChecked());
    // Lumicard mode hides the panel buttons and keeps the flag.
    w.action(kCmdLumicardMode)->trigger();
    EXPECT_TRUE(app.doc.settings().rostrumMode);
    EXPECT_EQ(app.profile.GetInt("Stage", "RostrumMode", -1), 1);
    EXPECT_FALSE(w.action(kCmdAddWallPanel)->isVisible());
}

TEST_F(MainWindowTest, PictureModeRenamesAndRemovesMenus) {
    App app(Path("p.ini"), true);
    QMenuBar* bar = app.window->menuBar();
    EXPECT_EQ(MenuTitles(bar),
              QStringList({"&File", "&Edit", "Sta&ge", "&Player", "Pictures", "&Help"}));
    const QStringList pictures = MenuItems(bar, "Pictures");
    EXPECT_EQ(pictures.first(), "Add Picture\tCtrl+I");
    EXPECT_EQ(pictures.last(), "Delete Picture");
    EXPECT_FALSE(MenuItems(bar, "Sta&ge").contains("&Lumicard Mode"));
    EXPECT_TRUE(app.doc.settings().rostrumMode);
    // The profile keeps the normal mode.
    EXPECT_EQ(app.profile.GetInt("Stage", "RostrumMode", -1), -1);
    ASSERT_EQ(app.doc.root().childCount(), 1);
    EXPECT_EQ(app.doc.root().children[0]->length(), 300);
}

TEST_F(MainWindowTest, DroppedShowOpensWhateverItsCase) {
    {
        Profile p(Path("w.ini"));
        ScriptedHost quiet;
        Document writer(p, quiet);
        writer.Reset(true);
        writer.NewScene(120);
        ASSERT_TRUE(
            WriteShowFile(Path("Dropped.SHW.bak").toStdString(), writer.root(), writer.captions()));
    }
    App app(Path("p.ini"));
    EXPECT_TRUE(app.window->acceptDrops());
    // Dropped files go through the application's open operation.
    app.window->OpenFile(Path("Dropped.SHW.bak"));
    EXPECT_EQ(app.doc.path(), Path("Dropped.SHW.bak"));
    EXPECT_EQ(app.doc.root().childCount(), 2);
    EXPECT_EQ(app.doc.currentFrame(), 0);
    // Anything else becomes an actor spanning the scene at the current frame.
    QImage picture(64, 64, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(Path("hero.png")));
    ShowNode& scene = *app.doc.root().children[0];
    const int before = scene.childCount();
    app.window->OpenFile(Path("hero.png"));
    ASSERT_EQ(scene.childCount(), before + 1);
    EXPECT_EQ(scene.children.back()->kind, NodeKind::Actor);
    EXPECT_EQ(scene.children.back()->startFrame, scene.startFrame);
    EXPECT_EQ(scene.children.back()->endFrame, scene.endFrame);
}

TEST_F(MainWindowTest, AFileThatIsNotAShowLeavesTheOpenShow) {
    App app(Path("p.ini"));
    app.doc.NewScene(90);
    const int scenes = app.doc.root().childCount();
    const QString before = app.doc.path();
    QFile junk(Path("junk.shw"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("this is not a show at all");
    junk.close();
    // "Couldn't read file" comes up; OK closes it.
    QString message;
    QTimer::singleShot(200, [&message] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        message = box->text();
        box->accept();
    });
    app.window->OpenFile(Path("junk.shw"));
    EXPECT_EQ(message, "Couldn't read file");
    EXPECT_EQ(app.doc.root().childCount(), scenes);
    EXPECT_EQ(app.doc.path(), before);
}

TEST_F(MainWindowTest, ZoomAndStageScaleSteps) {
    App app(Path("p.ini"));
    MainWindow& w = *app.window;
    // 30 fps: the timeline starts at 30; in to 60, ... 960 and no further.
    auto zoom = [&](bool in) {
        w.action(in ? kCmdZoomIn : kCmdZoomOut)->trigger();
        return app.profile.GetInt("Timeline", "Scale", -1);
    };
    int last = 0;
    for (int i = 0; i < 8; ++i)
        last = zoom(true);
    EXPECT_EQ(last, 960);
    for (int i = 0; i < 8; ++i)
        last = zoom(false);
    EXPECT_EQ(last, 15);

    auto step = [&](int id) {
        w.action(id)->trigger();
        return app.profile.GetInt("Stage", "Scale", -1);
    };
    EXPECT_EQ(step(kCmdShrinkStage), 750);
    EXPECT_EQ(step(kCmdEnlargeStage), 1000);
    EXPECT_EQ(step(kCmdEnlargeStage), 1500);
    for (int i = 0; i < 8; ++i)
        step(kCmdShrinkStage);
    EXPECT_EQ(step(kCmdShrinkStage), 250);
}

TEST_F(MainWindowTest, ClosingAChangedShowAsksAndACancelledSaveKeepsIt) {
    App app(Path("p.ini"));
    app.doc.SetModified(true);
    // "Save changes to Show File?" Yes, then the save dialog is cancelled: the window stays.
    AnswerNextDialog("Yes");
    QTimer::singleShot(700, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) d->reject();
    });
    EXPECT_FALSE(app.window->close());
    EXPECT_TRUE(app.window->isVisible());
    EXPECT_TRUE(app.doc.modified());
    // No: the window closes and writes its layout.
    AnswerNextDialog("No");
    EXPECT_TRUE(app.window->close());
    EXPECT_GT(app.profile.GetInt("Window", "Right", -1), 0);
    EXPECT_GT(app.profile.GetInt("Window", "Stage Width", -1), 0);
}

TEST_F(MainWindowTest, AbsurdProfileStillGivesAUsableWindow) {
    {
        Profile p(Path("bad.ini"));
        p.WriteInt("Window", "Left", -5000);
        p.WriteInt("Window", "Top", 99999);
        p.WriteInt("Window", "Right", -3);
        p.WriteInt("Window", "Bottom", 7);
        p.WriteInt("Window", "Stage Width", -20);
        p.WriteInt("Window", "Stage Height", 0);
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
