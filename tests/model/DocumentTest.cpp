// Document operations through a scripted host: undo ring, key setting, file lookup, titles,
// tracks, sets and panels, and the show file life cycle.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/SetFile.h"
#include "model/ShowFile.h"

using namespace quillon;

namespace {

class DocumentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
    }
    // A fresh document over the profile as it stands now.
    Document& MakeDoc() {
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        return *doc;
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    void Touch(const QString& path, const QByteArray& bytes = "x") {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    ShowNode& Scene(int i = 0) { return *doc->root().children[i]; }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
};

ShowNode* AddActor(ShowNode& scene) {
    auto* a = new ShowNode;
    a->kind = NodeKind::Actor;
    scene.AddChild(a, true);
    KeyFrame k;
    k.eastWest() = 100.0f;
    a->AddKey(k, 0);
    return a;
}

class FixedMedia : public NodeMedia {
  public:
    FixedMedia(int w, int h) : w_(w), h_(h) {}
    int Width() const override { return w_; }
    int Height() const override { return h_; }

  private:
    int w_, h_;
};

}  // namespace

TEST_F(DocumentTest, NewShowHasOneSceneWithFourCameras) {
    Document& d = MakeDoc();
    ASSERT_EQ(d.root().childCount(), 1);
    EXPECT_EQ(d.root().GetName(), "Root");
    EXPECT_EQ(d.root().endFrame, 0x7fffffff);
    const ShowNode& s = Scene();
    EXPECT_EQ(s.GetName(), "SCENE 1");
    EXPECT_EQ(s.startFrame, 0);
    EXPECT_EQ(s.endFrame, 300);
    ASSERT_EQ(s.KeyCount(), 1);
    EXPECT_FLOAT_EQ(s.keys[0].eastWest(), 200.0f);
    EXPECT_FLOAT_EQ(s.keys[0].upDown(), 48.0f);
    ASSERT_EQ(s.childCount(), 4);
    for (const ShowNode* c : s.children) {
        EXPECT_EQ(c->kind, NodeKind::Camera);
        EXPECT_EQ(c->GetName(), "");
        EXPECT_EQ(c->keyColor, 0xFF0000);
        EXPECT_FLOAT_EQ(c->keys[0].width(), 25.0f);
    }
    EXPECT_FALSE(d.modified());
    EXPECT_EQ(host.title, "Quillon");
    // A second scene follows the first; adding a scene does not mark the show modified.
    d.AddNewSceneCommand();
    EXPECT_EQ(Scene(1).GetName(), "SCENE 2");
    EXPECT_EQ(Scene(1).startFrame, 300);
    EXPECT_EQ(d.currentFrame(), 300);
    EXPECT_FALSE(d.modified());
}

TEST_F(DocumentTest, RostrumCamerasLookStraightDown) {
    profile->WriteInt("Stage", "RostrumMode", 5);
    Document& d = MakeDoc();
    EXPECT_TRUE(d.rostrumMode());
    const KeyFrame& k = Scene().children[0]->keys[0];
    EXPECT_FLOAT_EQ(k.upDown(), 200.0f);
    EXPECT_FLOAT_EQ(k.tilt(), -90.0f);
}

TEST_F(DocumentTest, UndoRingWrapsAt16AndKeepsAtMost15) {
    Document& d = MakeDoc();
    ShowNode* actor = AddActor(Scene());
    EXPECT_EQ(d.undoCount(), 0);
    d.Undo();  // nothing to undo: harmless
    for (int i = 1; i <= 20; ++i) {
        d.PushUndo(actor);
        actor->keys[0].eastWest() = float(i);
        if (i == 16) {
            EXPECT_EQ(d.undoIndex(), 15);
        }
        if (i == 17) {
            EXPECT_EQ(d.undoIndex(), 0);
        }
    }
    EXPECT_EQ(d.undoCount(), 15);
    EXPECT_TRUE(d.modified());
    for (int i = 0; i < 20; ++i)
        d.Undo();
    EXPECT_EQ(d.undoCount(), 0);
    EXPECT_EQ(d.redoCount(), 15);
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 5.0f);
    // Redo walks forward over the same ring.
    d.Redo();
    d.Redo();
    d.Redo();
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 8.0f);
    EXPECT_EQ(d.redoCount(), 12);
    d.Undo();
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 7.0f);
    // A new edit ends the redo chain.
    d.PushUndo(actor);
    EXPECT_EQ(d.redoCount(), 0);
    d.Redo();
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 7.0f);
}

TEST_F(DocumentTest, UndoNeverRestoresDeletedNodes) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    ShowNode* actor = AddActor(scene);
    d.PushUndo(&scene);  // the snapshot shares the scene's children, the actor among them
    d.PushUndo(actor);
    actor->setSelected(true);
    for (ShowNode* c : scene.children)
        if (c != actor) c->setSelected(false);
    d.UpdateViewsAtFrame(10, false, false);
    d.DeleteSelectedTracks();
    ASSERT_EQ(scene.childCount(), 4);
    d.Undo();  // the actor's own entry: gone
    d.Undo();  // the scene's entry would bring the deleted actor back: refused
    EXPECT_EQ(scene.childCount(), 4);
    for (const ShowNode* c : scene.children)
        EXPECT_EQ(c->kind, NodeKind::Camera);
}

TEST_F(DocumentTest, UndoNeverOrphansNodesAddedSince) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    d.NewPanel(false);  // takes a snapshot of the scene
    ASSERT_TRUE(d.AddTrack(NodeKind::Actor, 0, 300));
    ASSERT_EQ(scene.childCount(), 5);
    d.Undo();  // restoring the scene's old child list would drop the new actor
    EXPECT_EQ(scene.childCount(), 5);
    EXPECT_EQ(scene.set->panelCount(), 1);
    // Reordering the same children does not stand in the way.
    d.PushUndo(&scene);
    scene.set->AddPanel(SetPanel{});
    ASSERT_TRUE(scene.MoveChildBefore(scene.children[4], scene.children[0]));
    d.Undo();
    EXPECT_EQ(scene.set->panelCount(), 1);
    EXPECT_EQ(scene.children[4]->kind, NodeKind::Actor);
}

TEST_F(DocumentTest, UndoRestoresASceneAndItsSet) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    scene.set = std::make_unique<Set>();
    d.PushUndo(&scene);
    scene.set->AddPanel(SetPanel{});
    scene.keys[0].eastWest() = 999.0f;
    d.Undo();
    EXPECT_EQ(scene.set->panelCount(), 0);
    EXPECT_FLOAT_EQ(scene.keys[0].eastWest(), 200.0f);
    EXPECT_EQ(scene.childCount(), 4);
    EXPECT_EQ(scene.children[0]->parent, &scene);
}

TEST_F(DocumentTest, SetKeyFramesTurnsPosesIntoKeys) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    ShowNode* camera = scene.children[0];
    ShowNode* actor = AddActor(scene);
    ShowNode* still = AddActor(scene);
    d.UpdateViewsAtFrame(3, false, false);
    EXPECT_EQ(d.monitorCamera().pose, camera->pose);

    // Below frame 5 the key goes to frame 0 and the current frame follows.
    d.monitorCamera().pose.eastWest() = 321.0f;
    d.SetKeyFrames(d.currentFrame(), false);
    EXPECT_EQ(d.currentFrame(), 0);
    ASSERT_EQ(camera->KeyCount(), 1);
    EXPECT_FLOAT_EQ(camera->keys[0].eastWest(), 321.0f);
    EXPECT_EQ(host.beeps.back(), BeepKind::Asterisk);

    // Later: a new key on the camera and on the moved actor only.
    d.UpdateViewsAtFrame(100, false, false);
    d.monitorCamera().pose.northSouth() = 777.0f;
    actor->pose.eastWest() = 555.0f;
    d.SetKeyFrames(d.currentFrame(), false);
    ASSERT_EQ(camera->KeyCount(), 2);
    EXPECT_EQ(camera->keys[1].frame, 100);
    EXPECT_FLOAT_EQ(camera->keys[1].northSouth(), 777.0f);
    ASSERT_EQ(actor->KeyCount(), 2);
    EXPECT_EQ(actor->keys[1].frame, 100);
    EXPECT_FLOAT_EQ(actor->pose.eastWest(), 555.0f);
    EXPECT_EQ(still->KeyCount(), 1);

    // Within the tolerance (timeline scale 30 / 8 = 3 frames) the key is replaced.
    d.UpdateViewsAtFrame(102, false, false);
    actor->pose.eastWest() = 600.0f;
    d.SetKeyFrames(d.currentFrame(), false);
    ASSERT_EQ(actor->KeyCount(), 2);
    EXPECT_EQ(actor->keys[1].frame, 100);
    EXPECT_FLOAT_EQ(actor->keys[1].eastWest(), 600.0f);

    // Forcing keys a selected track even when nothing moved.
    still->setSelected(true);
    d.UpdateViewsAtFrame(200, false, false);
    d.SetKeyFrames(d.currentFrame(), true);
    EXPECT_EQ(still->KeyCount(), 2);
    EXPECT_EQ(camera->KeyCount(), 2);  // the scene itself is not selected
}

TEST_F(DocumentTest, KeysEqualComparesHundredthsWithoutSign) {
    KeyFrame a, b;
    a.channel[0] = 0.004f;
    b.channel[0] = 0.001f;
    EXPECT_TRUE(KeysEqual(a, b));
    a.channel[3] = 1.23f;
    b.channel[3] = -1.23f;
    EXPECT_TRUE(KeysEqual(a, b));
    b.channel[3] = 1.24f;
    EXPECT_FALSE(KeysEqual(a, b));
    b.channel[3] = 1.23f;
    b.hold = 1;
    EXPECT_FALSE(KeysEqual(a, b));
    b.hold = 0;
    b.act = 1;
    EXPECT_FALSE(KeysEqual(a, b));
}

TEST_F(DocumentTest, FindAdjacentKeyWraps) {
    Document& d = MakeDoc();
    ShowNode* actor = AddActor(Scene());
    actor->startFrame = 10;
    KeyFrame k;
    k.frame = 20;
    actor->AddKey(k, 0);
    k.frame = 50;
    actor->AddKey(k, 0);                        // keys at absolute 10, 30, 60
    EXPECT_EQ(d.FindAdjacentKey(0, false), 0);  // nothing selected
    actor->setSelected(true);
    for (ShowNode* c : Scene().children)
        if (c != actor) c->setSelected(false);
    EXPECT_EQ(d.FindAdjacentKey(10, false), 30);
    EXPECT_EQ(d.FindAdjacentKey(45, false), 60);
    EXPECT_EQ(d.FindAdjacentKey(60, false), 10);
    EXPECT_EQ(d.FindAdjacentKey(60, true), 30);
    EXPECT_EQ(d.FindAdjacentKey(10, true), 60);
}

TEST_F(DocumentTest, WindowTitleFromThePath) {
    Document& d = MakeDoc();
    d.SetShowPath("C:\\shows\\demo.shw");
    EXPECT_EQ(host.title, "Quillon - C:\\SHOWS\\DEMO");
    d.SetShowPath("C:\\my.shows\\demo.shw");
    EXPECT_EQ(host.title, "Quillon - C:\\MY");
    d.SetShowPath(QString());
    EXPECT_EQ(host.title, "Quillon");
}

TEST_F(DocumentTest, PromptTexts) {
    Document& d = MakeDoc();
    host.yesNo = {true, false};
    EXPECT_TRUE(d.AskSave("", "Show File"));
    EXPECT_FALSE(d.AskSave("/x/a.shw", "Show File"));
    EXPECT_EQ(host.questions[0], "Save changes to Show File?");
    EXPECT_EQ(host.questions[1], "Save changes to /x/a.shw?");
    d.Confirm();
    EXPECT_EQ(host.questions[2], "Are you sure?");
    d.ShowError("Image is bigger than the maximum size allowed of:", 1024);
    d.ShowError("Plain", -9999);
    EXPECT_EQ(host.messages[0], "Image is bigger than the maximum size allowed of:  [ 1024 ]");
    EXPECT_EQ(host.messages[1], "Plain");

    ShowNode n;
    n.SetName("BOB");
    KeyFrame k;
    k.frame = 12;
    k.hold = -1;
    k.act = 65535;
    k.channel[0] = 1.5f;
    d.ShowKeyInfo(n, 2, k);
    ASSERT_EQ(host.texts.size(), 1);
    EXPECT_TRUE(
        host.texts[0].startsWith("Num: 2, Actor: BOB\r\nFrm: 12, Hold: -1, Act: 65535\r\nMat0: "
                                 "1.500000\r\nMat1: 0.000000\r\n"));
    EXPECT_TRUE(host.texts[0].endsWith("Mat11: 0.000000\r\n"));
}

TEST_F(DocumentTest, AddTrackDefaults) {
    profile->WriteInt("System", "FrameRate", 2500);
    Document& d = MakeDoc();
    d.UpdateViewsAtFrame(40, false, false);
    // Sound: (2500 + 50) / 100 = 25 frames until a clip sets its length (the dialog is cancelled).
    ASSERT_TRUE(d.AddSoundCommand());
    ShowNode* sound = Scene().children.back();
    EXPECT_EQ(sound->kind, NodeKind::SoundTrack);
    EXPECT_EQ(sound->startFrame, 40);
    EXPECT_EQ(sound->endFrame, 65);
    EXPECT_TRUE(sound->selected());
    EXPECT_EQ(sound->keyColor, 0xFF0000);
    EXPECT_EQ(host.openRequests.back().filter,
              "Wave Audio Files (*.wav)|*.wav|All Files *.*|*.*||");
    EXPECT_TRUE(d.modified());

    // An actor sits at the centre of the visible stage area.
    host.area = {1500.0, 2500.0, 600};
    ASSERT_TRUE(d.AddActorCommand());
    const ShowNode* actor = Scene().children.back();
    EXPECT_EQ(actor->startFrame, 0);
    EXPECT_EQ(actor->endFrame, 300);
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 1500.0f);
    EXPECT_FLOAT_EQ(actor->keys[0].northSouth(), 2500.0f);
    EXPECT_FLOAT_EQ(actor->keys[0].width(), 150.0f);
    EXPECT_FLOAT_EQ(actor->keys[0].height(), 100.0f);
    EXPECT_TRUE(host.openRequests.back().filter.startsWith("All Graphics Files |*.bmp;*.tga;"));

    // Refused within the last 8 frames of the scene; nothing at all outside every scene.
    EXPECT_FALSE(d.AddTrack(NodeKind::Actor, 293, 300));
    EXPECT_TRUE(d.AddTrack(NodeKind::Actor, 292, 300));
    d.UpdateViewsAtFrame(5000, false, false);  // no scene there: the frame stays
    EXPECT_EQ(d.currentFrame(), 40);
}

TEST_F(DocumentTest, CommandsWithoutASceneBeep) {
    Document& d = MakeDoc();
    Scene().SetRange(100, 300, false, true, false);
    d.UpdateViewsAtFrame(150, false, false);
    Scene().SetRange(200, 300, false, true, false);  // the current frame is now outside
    host.beeps.clear();
    EXPECT_FALSE(d.AddActorCommand());
    ASSERT_EQ(host.beeps.size(), 1u);
    EXPECT_EQ(host.beeps[0], BeepKind::Exclamation);
}

TEST_F(DocumentTest, RostrumActorPutsItsCornerAtTheOrigin) {
    profile->WriteInt("Stage", "RostrumMode", 1);
    Document& d = MakeDoc();
    host.area = {1000.0, 1000.0, 480};
    ASSERT_TRUE(d.AddActorCommand());
    const KeyFrame& k = Scene().children.back()->keys[0];
    EXPECT_FLOAT_EQ(k.width(), 120.0f);
    EXPECT_FLOAT_EQ(k.height(), 80.0f);
    EXPECT_FLOAT_EQ(k.eastWest(), 60.0f);
    EXPECT_FLOAT_EQ(k.northSouth(), 40.0f);
}

TEST_F(DocumentTest, LookupFileFindsMovedFiles) {
    Document& d = MakeDoc();
    Touch(Path("project/pic.bmp"));
    d.SetProjectFolderFromFile(Path("project/anything.shw"));
    EXPECT_EQ(profile->GetString("Project", "Folder", "\\"), Path("project/"));

    QString p = Path("gone/folder/pic.bmp");
    EXPECT_TRUE(d.LookupFile(NodeKind::Actor, p));
    EXPECT_EQ(p, Path("project/pic.bmp"));
    // A Windows path with backslashes resolves by its bare name too.
    p = "C:\\OLD\\PIC.bmp";
    Touch(Path("project/PIC.bmp"));
    EXPECT_TRUE(d.LookupFile(NodeKind::Actor, p));
    EXPECT_EQ(p, Path("project/PIC.bmp"));
    EXPECT_TRUE(host.missing.isEmpty());

    // Not found: the dialog is offered; No leaves the path.
    p = Path("nowhere/x.wav");
    EXPECT_FALSE(d.LookupFile(NodeKind::SoundTrack, p));
    EXPECT_EQ(p, Path("nowhere/x.wav"));
    ASSERT_EQ(host.missing.size(), 1);
    EXPECT_EQ(host.status.front(), "Looking for: " + Path("nowhere/x.wav"));
    EXPECT_EQ(host.status.back(), "");
    EXPECT_FALSE(d.modified());

    // Yes and a chosen file: the path changes, the show is modified, the folder follows.
    Touch(Path("elsewhere/x.wav"));
    host.findMissing = {true};
    host.files = {Path("elsewhere/x.wav")};
    EXPECT_TRUE(d.LookupFile(NodeKind::SoundTrack, p));
    EXPECT_EQ(p, Path("elsewhere/x.wav"));
    EXPECT_TRUE(d.modified());
    EXPECT_EQ(host.openRequests.back().defaultExtension, "wav");
    EXPECT_EQ(d.projectFolder(), Path("elsewhere/"));
}

TEST_F(DocumentTest, SaveAndOpenRoundTrip) {
    Document& d = MakeDoc();
    d.captions() = {"one", "two"};
    AddActor(Scene())->SetName("BOB");
    d.PushUndo(nullptr);
    // Untitled: Save asks for a name first.
    host.files = {Path("show.shw")};
    ASSERT_TRUE(d.SaveShow());
    EXPECT_EQ(host.saveRequests.size(), 1u);
    EXPECT_TRUE(host.saveRequests[0].overwritePrompt);
    EXPECT_FALSE(d.modified());
    EXPECT_EQ(d.path(), Path("show.shw"));

    Document other(*profile, host);
    ASSERT_TRUE(other.ReadShow(Path("show.shw")));
    ASSERT_EQ(other.root().childCount(), 1);
    EXPECT_EQ(other.root().children[0]->children.back()->GetName(), "BOB");
    EXPECT_EQ(other.captions(), (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(other.projectFolder(), dir.path() + "/");
    EXPECT_EQ(other.currentFrame(), 0);
}

TEST_F(DocumentTest, UnreadableFilesLeaveTheShowAlone) {
    Document& d = MakeDoc();
    AddActor(Scene());
    Touch(Path("junk.shw"), QByteArray(1000, '\x55'));
    EXPECT_FALSE(d.ReadShow(Path("junk.shw")));
    EXPECT_FALSE(d.ReadShow(Path("missing.shw")));
    ASSERT_EQ(host.messages.size(), 2);
    EXPECT_EQ(host.messages[0], "Couldn't read file");
    EXPECT_EQ(Scene().childCount(), 5);
}

TEST_F(DocumentTest, FailedSaveKeepsTheOldFileAndTheModifiedFlag) {
    Document& d = MakeDoc();
    d.SetShowPath(Path("keep.shw"));
    ASSERT_TRUE(d.WriteShow(Path("keep.shw")));
    QFile f(Path("keep.shw"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    f.close();

    AddActor(Scene());
    d.PushUndo(nullptr);
    // A folder in the way of the file: the write fails and the message appears.
    QDir().mkpath(Path("blocked.shw"));
    d.SetShowPath(Path("blocked.shw"));
    EXPECT_FALSE(d.WriteShow(Path("blocked.shw")));
    EXPECT_EQ(host.messages.back(), "Couldn't write file");
    EXPECT_TRUE(d.modified());
    EXPECT_TRUE(QFileInfo(Path("blocked.shw")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QStringList() << ".blocked*").size(), 0);

    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(DocumentTest, ShowFoundBesideItsMovedFiles) {
    // A show and its set written in one folder, then moved together elsewhere.
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    scene.set = std::make_unique<Set>();
    scene.set->AddPanel(SetPanel{});
    host.files = {Path("a/stage.set")};
    QDir().mkpath(Path("a"));
    ASSERT_TRUE(d.SaveSet(true, &scene));
    d.SetShowPath(Path("a/show.shw"));
    ASSERT_TRUE(d.WriteShow(Path("a/show.shw")));
    ASSERT_TRUE(QDir().rename(Path("a"), Path("b")));

    Document other(*profile, host);
    ASSERT_TRUE(other.ReadShow(Path("b/show.shw")));
    EXPECT_TRUE(host.missing.isEmpty());
    const ShowNode& s = *other.root().children[0];
    EXPECT_EQ(QString::fromStdString(s.GetFileName()), Path("b/stage.set"));
    ASSERT_NE(s.set, nullptr);
    EXPECT_EQ(s.set->panelCount(), 1);
}

TEST_F(DocumentTest, OnlyDirtySetsAreWrittenWithTheShow) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    scene.set = std::make_unique<Set>();
    scene.set->AddPanel(SetPanel{});
    scene.SetFileName(Path("s.set").toStdString());
    d.SetShowPath(Path("s.shw"));
    scene.set->dirty = 0;
    ASSERT_TRUE(d.WriteShow(Path("s.shw")));
    EXPECT_FALSE(QFile::exists(Path("s.set")));
    scene.set->dirty = 1;
    ASSERT_TRUE(d.WriteShow(Path("s.shw")));
    EXPECT_TRUE(QFile::exists(Path("s.set")));
    EXPECT_EQ(scene.set->dirty, 0);
    EXPECT_EQ(QFileInfo(Path("s.set")).size(), 1 + 188);

    // A set that cannot be written says so and stays dirty.
    QDir().mkpath(Path("setdir.set"));
    scene.SetFileName(Path("setdir.set").toStdString());
    scene.set->dirty = 1;
    ASSERT_TRUE(d.WriteShow(Path("s.shw")));
    EXPECT_EQ(host.messages.back(), "Couldn't write SET file");
    EXPECT_EQ(scene.set->dirty, 1);
}

TEST_F(DocumentTest, PanelsAndTheClipboard) {
    Document& d = MakeDoc();
    host.area = {2100.0, 1900.0, 400};
    d.NewPanel(true);
    ShowNode& scene = Scene();
    ASSERT_NE(scene.set, nullptr);
    ASSERT_EQ(scene.set->panelCount(), 1);
    const SetPanel& wall = scene.set->panels[0];
    EXPECT_FLOAT_EQ(wall.cornerEastWest[0], 0.26f);  // (2100 - 2048) * 0.005
    EXPECT_FLOAT_EQ(wall.cornerEastWest[1], 0.74f);  // (2100 - 1952) * 0.005
    EXPECT_FLOAT_EQ(wall.cornerUpDown[0], 0.48f);
    EXPECT_FLOAT_EQ(wall.cornerUpDown[2], 0.0f);
    EXPECT_FLOAT_EQ(wall.cornerNorthSouth[3], -0.5f);
    EXPECT_EQ(wall.panelColor, 255u);
    EXPECT_EQ(wall.selected, 1);
    EXPECT_EQ(wall.textureSlot, -1);
    EXPECT_EQ(wall.keyColor, 0xFF0000);
    EXPECT_EQ(scene.set->dirty, 1);

    d.NewPanel(false);
    ASSERT_EQ(scene.set->panelCount(), 2);
    EXPECT_EQ(scene.set->panels[0].selected, 0);  // the new panel is the selection
    const SetPanel& floor = scene.set->panels[1];
    EXPECT_TRUE(floor.IsFloor());
    EXPECT_FLOAT_EQ(floor.cornerNorthSouth[0], -0.74f);
    EXPECT_FLOAT_EQ(floor.cornerNorthSouth[2], -0.26f);

    // Nothing selected: the clipboard is empty, yet Paste is now allowed.
    scene.set->SelectAll(false);
    EXPECT_FALSE(d.panelClipboardUsed());
    d.CutPanels();
    EXPECT_EQ(scene.set->panelCount(), 2);
    EXPECT_TRUE(d.panelClipboardUsed());
    scene.set->dirty = 0;
    d.PastePanels();
    EXPECT_EQ(scene.set->panelCount(), 2);
    EXPECT_EQ(scene.set->dirty, 1);

    scene.set->panels[1].selected = 1;
    d.CopyPanels();
    d.PastePanels();
    d.PastePanels();
    EXPECT_EQ(scene.set->panelCount(), 4);
    EXPECT_EQ(scene.set->panels[1].selected, 0);
    EXPECT_EQ(scene.set->panels[3].selected, 1);
    d.CutPanels();
    EXPECT_EQ(scene.set->panelCount(), 3);

    // A locked set is not copied into nor pasted onto, and locking deselects it.
    scene.set->panels[0].selected = 1;
    d.SetSetLocked(true);
    EXPECT_FALSE(scene.set->AnySelected());
    d.PastePanels();
    EXPECT_EQ(scene.set->panelCount(), 3);
}

TEST_F(DocumentTest, ReadSetAppendsAndNotesMovedPictures) {
    Document& d = MakeDoc();
    Touch(Path("proj/wall.tga"));
    d.SetProjectFolderFromFile(Path("proj/x"));
    SetPanel a, b;
    std::strcpy(a.imagePath, "C:\\ART\\wall.tga");
    std::strcpy(b.imagePath, "abcd");  // shorter than 5 characters: no picture
    b.textureSlot = 12;
    ASSERT_TRUE(WriteSetFile(Path("one.set").toStdString(), {a}));
    ASSERT_TRUE(WriteSetFile(Path("two.set").toStdString(), {b, b}));

    Set set;
    ASSERT_TRUE(d.ReadSet(set, Path("one.set"), false, false));
    ASSERT_EQ(set.panelCount(), 1);
    EXPECT_EQ(std::string(set.panels[0].imagePath), Path("proj/wall.tga").toStdString());
    EXPECT_EQ(set.dirty, 1);  // found elsewhere: the set must be saved with the new path
    EXPECT_EQ(set.panels[0].textureSlot, -1);  // no picture loader here

    ASSERT_TRUE(d.ReadSet(set, Path("two.set"), true, false));
    ASSERT_EQ(set.panelCount(), 3);
    EXPECT_EQ(std::string(set.panels[0].imagePath), Path("proj/wall.tga").toStdString());
    EXPECT_EQ(set.panels[2].textureSlot, -1);
    EXPECT_EQ(set.path, Path("two.set").toStdString());
    EXPECT_EQ(set.dirty, 0);

    // A file that cannot be opened changes nothing.
    EXPECT_FALSE(d.ReadSet(set, Path("none.set"), false, true));
    EXPECT_EQ(set.panelCount(), 3);

    // NewSet asks first.
    ShowNode& scene = Scene();
    scene.set = set.CopySet();
    scene.SetFileName("x.set");
    host.yesNo = {false, true};
    d.NewSet(&scene);
    EXPECT_EQ(scene.set->panelCount(), 3);
    d.NewSet(&scene);
    EXPECT_EQ(scene.set->panelCount(), 0);
    EXPECT_EQ(scene.GetFileName(), "");
}

TEST_F(DocumentTest, ClosePromptsInOrder) {
    Document& d = MakeDoc();
    Scene().set = std::make_unique<Set>();
    Scene().set->path = "/sets/a.set";
    Scene().set->dirty = 1;
    d.PushUndo(nullptr);
    d.SetShowPath("/shows/b.shw");
    d.CloseShow();
    ASSERT_EQ(host.questions.size(), 2);
    EXPECT_EQ(host.questions[0], "Save changes to /sets/a.set?");
    EXPECT_EQ(host.questions[1], "Save changes to /shows/b.shw?");
}

TEST_F(DocumentTest, DeleteSelectedScenes) {
    Document& d = MakeDoc();
    d.AddNewSceneCommand();
    d.AddNewSceneCommand();
    Scene(1).setSelected(true);
    d.DeleteSelectedScenes();
    ASSERT_EQ(d.root().childCount(), 2);
    EXPECT_EQ(Scene(1).GetName(), "SCENE 3");
    EXPECT_EQ(host.beeps.back(), BeepKind::Asterisk);
    EXPECT_TRUE(d.modified());
}

TEST_F(DocumentTest, FitMovesScalesTheCameraAboutTheActor) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    ShowNode* camera = scene.children[0];
    ShowNode* actor = AddActor(scene);
    actor->keys[0].eastWest() = 300.0f;
    actor->keys[0].northSouth() = 200.0f;
    actor->keys[0].width() = 600.0f;
    actor->keys[0].height() = 400.0f;
    actor->media = std::make_shared<FixedMedia>(1200, 800);
    camera->keys[0].eastWest() = 350.0f;
    camera->keys[0].northSouth() = 250.0f;
    camera->keys[0].width() = 30.0f;
    camera->keys[0].upDown() = 100.0f;

    d.FitMoves(*actor, 600, 400, camera);
    // r = 2; minX = min(0, 300 - 300) = 0, minY = min(0, 200 - 200) = 0;
    // dx = trunc((512 - 88) * 0.5 * 2) - trunc((512 - 176) * 0.5) = 424 - 168 = 256
    // dy = trunc((512 - 400) * 0.5 * 2) - trunc((512 - 288) * 0.5) = 112 - 112 = 0
    EXPECT_FLOAT_EQ(camera->keys[0].eastWest(), (350 - 300) * 2 + (300 - 0 + 256));
    EXPECT_FLOAT_EQ(camera->keys[0].northSouth(), (250 - 200) * 2 + (200 - 0 + 0));
    const double a = 30 * 0.5 * 0.0174532;
    EXPECT_FLOAT_EQ(camera->keys[0].upDown(), float(std::tan(a) * 100.0 * 2 / std::sin(a)));
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 300.0f);

    // An actor that sticks out past the origin moves everything back into view.
    actor->keys[0].eastWest() = 100.0f;
    d.FitMoves(*actor, 1200, 800, camera);
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 300.0f);  // minX = 100 - 300 = -200
}
