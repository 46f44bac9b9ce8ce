// Document operations through a scripted host: scenes and tracks, key setting, panels and the
// clipboard, titles and prompts, and the change notices views receive.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"

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

void SelectOnly(ShowNode& scene, const ShowNode* chosen) {
    scene.setSelected(false);
    for (ShowNode* c : scene.children)
        c->setSelected(c == chosen);
}

class FixedMedia : public NodeMedia {
  public:
    FixedMedia(int w, int h) : w_(w), h_(h) {}
    int Width() const override { return w_; }
    int Height() const override { return h_; }

  private:
    int w_, h_;
};

// Every notice, in order.
struct RecordingListener : DocumentListener {
    void DocumentChanged(const DocumentChange& change) override { changes.push_back(change); }
    uint32_t All() const {
        uint32_t all = 0;
        for (const DocumentChange& c : changes)
            all |= c.aspects;
        return all;
    }
    std::vector<DocumentChange> changes;
};

}  // namespace

TEST_F(DocumentTest, NewShowHasOneSceneWithFourCameras) {
    Document& d = MakeDoc();
    ASSERT_EQ(d.root().childCount(), 1);
    EXPECT_EQ(d.root().GetName(), "Root");
    EXPECT_EQ(d.root().endFrame, 0x7fffffff);
    const ShowNode& s = Scene();
    EXPECT_EQ(s.GetName(), "SCENE 1");
    EXPECT_EQ(s.length(), 300);
    ASSERT_EQ(s.KeyCount(), 1);
    EXPECT_FLOAT_EQ(s.keys[0].eastWest(), 200.0f);
    EXPECT_FLOAT_EQ(s.keys[0].upDown(), 48.0f);
    ASSERT_EQ(s.childCount(), 4);
    for (const ShowNode* c : s.children) {
        EXPECT_EQ(c->kind, NodeKind::Camera);
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

TEST_F(DocumentTest, SetKeyFramesTurnsPosesIntoKeys) {
    Document& d = MakeDoc();
    ShowNode& scene = Scene();
    ShowNode* camera = scene.children[0];
    ShowNode* actor = AddActor(scene);
    ShowNode* still = AddActor(scene);
    d.UpdateViewsAtFrame(3);
    EXPECT_EQ(d.monitorCamera().pose, camera->pose);

    // Below frame 5 the key goes to frame 0 and the current frame follows.
    d.monitorCamera().pose.eastWest() = 321.0f;
    d.SetKeyFrames(d.currentFrame(), KeyForce::kMovedOnly);
    EXPECT_EQ(d.currentFrame(), 0);
    ASSERT_EQ(camera->KeyCount(), 1);
    EXPECT_FLOAT_EQ(camera->keys[0].eastWest(), 321.0f);
    EXPECT_EQ(host.beeps.back(), BeepKind::Asterisk);

    // Later: a new key on the camera and on the moved actor only.
    d.UpdateViewsAtFrame(100);
    d.monitorCamera().pose.northSouth() = 777.0f;
    actor->pose.eastWest() = 555.0f;
    d.SetKeyFrames(d.currentFrame(), KeyForce::kMovedOnly);
    ASSERT_EQ(camera->KeyCount(), 2);
    EXPECT_EQ(camera->keys[1].frame, 100);
    EXPECT_FLOAT_EQ(camera->keys[1].northSouth(), 777.0f);
    ASSERT_EQ(actor->KeyCount(), 2);
    EXPECT_EQ(actor->keys[1].frame, 100);
    EXPECT_FLOAT_EQ(actor->pose.eastWest(), 555.0f);
    EXPECT_EQ(still->KeyCount(), 1);

    // Within the tolerance (timeline scale 30 / 8 = 3 frames) the key is replaced.
    d.UpdateViewsAtFrame(102);
    actor->pose.eastWest() = 600.0f;
    d.SetKeyFrames(d.currentFrame(), KeyForce::kMovedOnly);
    ASSERT_EQ(actor->KeyCount(), 2);
    EXPECT_EQ(actor->keys[1].frame, 100);
    EXPECT_FLOAT_EQ(actor->keys[1].eastWest(), 600.0f);

    // Nothing moved: no key, no beep, unless forced on a selected track.
    d.UpdateViewsAtFrame(200);
    host.beeps.clear();
    still->setSelected(true);
    d.SetKeyFrames(d.currentFrame(), KeyForce::kMovedOnly);
    EXPECT_EQ(still->KeyCount(), 1);
    EXPECT_TRUE(host.beeps.empty());
    d.SetKeyFrames(d.currentFrame(), KeyForce::kSelectedToo);
    EXPECT_EQ(still->KeyCount(), 2);
    EXPECT_EQ(camera->KeyCount(), 2);  // the scene itself is not selected
}

TEST_F(DocumentTest, KeysEqualComparesHundredthsWithoutSign) {
    struct Case {
        int channel;
        float a, b;
        int16_t holdB;
        uint16_t actB;
        bool equal;
    };
    const Case cases[] = {
        {0, 0.004f, 0.001f, 0, 0, true},  // both truncate to 0 hundredths
        {3, 1.23f, -1.23f, 0, 0, true},   // sign ignored
        {3, 1.23f, 1.24f, 0, 0, false},  {11, 5.0f, 5.0f, 1, 0, false},  // hold differs
        {11, 5.0f, 5.0f, 0, 1, false},                                   // act differs
    };
    for (const Case& c : cases) {
        KeyFrame a, b;
        a.channel[c.channel] = c.a;
        b.channel[c.channel] = c.b;
        b.hold = c.holdB;
        b.act = c.actB;
        EXPECT_EQ(KeysEqual(a, b), c.equal) << c.channel << ": " << c.a << " vs " << c.b;
    }
}

TEST_F(DocumentTest, FindAdjacentKeyWraps) {
    Document& d = MakeDoc();
    ShowNode* actor = AddActor(Scene());
    actor->startFrame = 10;
    KeyFrame k;
    k.frame = 20;
    actor->AddKey(k, 0);
    k.frame = 50;
    actor->AddKey(k, 0);  // keys at absolute 10, 30, 60
    SelectOnly(Scene(), nullptr);
    EXPECT_EQ(d.FindAdjacentKey(7, KeyDirection::kNext), 7);  // nothing selected
    SelectOnly(Scene(), actor);
    const struct {
        int from;
        KeyDirection direction;
        int expected;
    } cases[] = {
        {10, KeyDirection::kNext, 30},     {45, KeyDirection::kNext, 60},
        {60, KeyDirection::kNext, 10},     {60, KeyDirection::kPrevious, 30},
        {10, KeyDirection::kPrevious, 60}, {0, KeyDirection::kPrevious, 60},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d.FindAdjacentKey(c.from, c.direction), c.expected) << c.from;
}

TEST_F(DocumentTest, WindowTitleFromThePath) {
    Document& d = MakeDoc();
    const std::pair<QString, QString> cases[] = {
        {"C:\\shows\\demo.shw", "Quillon - C:\\SHOWS\\DEMO"},
        {"C:\\my.shows\\demo.shw", "Quillon - C:\\MY"},
        {"", "Quillon"},
    };
    for (const auto& [path, title] : cases) {
        d.SetShowPath(path);
        EXPECT_EQ(host.title, title);
        EXPECT_EQ(d.WindowTitle(), title);
    }
}

TEST_F(DocumentTest, ErrorAndKeyTexts) {
    Document& d = MakeDoc();
    d.ShowError("Image is bigger than the maximum size allowed of:", 1024);
    d.ShowError("Plain");
    EXPECT_EQ(
        host.messages,
        QStringList({"Image is bigger than the maximum size allowed of:  [ 1024 ]", "Plain"}));

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
    d.UpdateViewsAtFrame(40);
    // Sound: (2500 + 50) / 100 = 25 frames until a clip sets its length (the dialog is cancelled).
    ASSERT_TRUE(d.AddSoundCommand(StagePlace{}));
    ShowNode* sound = Scene().children.back();
    EXPECT_EQ(sound->kind, NodeKind::SoundTrack);
    EXPECT_EQ(sound->startFrame, 40);
    EXPECT_EQ(sound->endFrame, 65);
    EXPECT_TRUE(sound->selected());
    EXPECT_EQ(host.openRequests.back().filter,
              "Wave Audio Files (*.wav)|*.wav|All Files *.*|*.*||");
    EXPECT_TRUE(d.modified());

    // An actor sits at the place given, sized from the view's height.
    ASSERT_TRUE(d.AddActorCommand(StagePlace{1500.0, 2500.0, 600}));
    const ShowNode* actor = Scene().children.back();
    EXPECT_EQ(actor->startFrame, 0);
    EXPECT_EQ(actor->endFrame, 300);
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 1500.0f);
    EXPECT_FLOAT_EQ(actor->keys[0].northSouth(), 2500.0f);
    EXPECT_FLOAT_EQ(actor->keys[0].width(), 150.0f);
    EXPECT_FLOAT_EQ(actor->keys[0].height(), 100.0f);
    EXPECT_TRUE(host.openRequests.back().filter.startsWith("All Graphics Files |*.bmp;*.tga;"));

    // Refused within the last 8 frames of the scene; nothing at all outside every scene.
    EXPECT_FALSE(d.AddTrack(NodeKind::Actor, 293, 300, StagePlace{}));
    EXPECT_TRUE(d.AddTrack(NodeKind::Actor, 292, 300, StagePlace{}));
    d.UpdateViewsAtFrame(5000);  // no scene there: the frame stays
    EXPECT_EQ(d.currentFrame(), 40);
}

TEST_F(DocumentTest, CommandsWithoutASceneBeep) {
    Document& d = MakeDoc();
    Scene().SetRange(100, 300, RangeValues::kAbsolute);
    d.UpdateViewsAtFrame(150);
    Scene().SetRange(200, 300, RangeValues::kAbsolute);  // the current frame is now outside
    host.beeps.clear();
    EXPECT_FALSE(d.AddActorCommand(StagePlace{}));
    EXPECT_FALSE(d.AddCameraCommand());
    d.NewPanel(PanelKind::kFloor, StagePlace{});
    EXPECT_EQ(host.beeps, std::vector<BeepKind>(3, BeepKind::Exclamation));
    EXPECT_EQ(Scene().childCount(), 4);
    EXPECT_EQ(Scene().set, nullptr);
}

TEST_F(DocumentTest, RostrumActorPutsItsCornerAtTheOrigin) {
    profile->WriteInt("Stage", "RostrumMode", 1);
    Document& d = MakeDoc();
    ASSERT_TRUE(d.AddActorCommand(StagePlace{1000.0, 1000.0, 480}));
    const KeyFrame& k = Scene().children.back()->keys[0];
    EXPECT_FLOAT_EQ(k.width(), 120.0f);
    EXPECT_FLOAT_EQ(k.height(), 80.0f);
    EXPECT_FLOAT_EQ(k.eastWest(), 60.0f);
    EXPECT_FLOAT_EQ(k.northSouth(), 40.0f);
}

TEST_F(DocumentTest, PanelsAndTheClipboard) {
    Document& d = MakeDoc();
    const StagePlace place{2100.0, 1900.0, 400};
    d.NewPanel(PanelKind::kWall, place);
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
    EXPECT_EQ(d.undoCount(), 1);  // the scene was snapshotted first

    d.NewPanel(PanelKind::kFloor, place);
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

TEST_F(DocumentTest, DeleteSelectedScenesAndTracks) {
    Document& d = MakeDoc();
    d.AddNewSceneCommand();
    d.AddNewSceneCommand();
    Scene(1).setSelected(true);
    d.DeleteSelectedScenes();
    ASSERT_EQ(d.root().childCount(), 2);
    EXPECT_EQ(Scene(1).GetName(), "SCENE 3");
    EXPECT_EQ(host.beeps.back(), BeepKind::Asterisk);
    EXPECT_TRUE(d.modified());

    // The scene's own four cameras stay even when selected; an extra camera goes.
    d.UpdateViewsAtFrame(10);
    ASSERT_TRUE(d.AddCameraCommand());
    ShowNode* actor = AddActor(Scene(0));
    for (ShowNode* c : Scene(0).children)
        c->setSelected(true);
    d.DeleteSelectedTracks();
    ASSERT_EQ(Scene(0).childCount(), 4);
    for (const ShowNode* c : Scene(0).children) {
        EXPECT_NE(c, actor);
        EXPECT_EQ(c->kind, NodeKind::Camera);
    }
}

TEST_F(DocumentTest, UndoAndRedoGoThroughTheDocument) {
    Document& d = MakeDoc();
    ShowNode* actor = AddActor(Scene());
    RecordingListener listener;
    d.AddListener(&listener);
    d.PushUndo(actor);
    actor->keys[0].eastWest() = 7.0f;
    d.SetModified(false);
    d.Undo();
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 100.0f);
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_TRUE(listener.changes.back().Has(DocumentChange::kKeys));
    EXPECT_EQ(listener.changes.back().nodes, std::vector<const ShowNode*>{actor});
    d.Redo();
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 7.0f);
    EXPECT_TRUE(d.modified());
    d.RemoveListener(&listener);
}

TEST_F(DocumentTest, NoticesSayWhatChanged) {
    Document& d = MakeDoc();
    RecordingListener listener;
    d.AddListener(&listener);
    struct Step {
        const char* what;
        std::function<void()> act;
        uint32_t must;     // aspects that must be among the notices
        uint32_t mustNot;  // aspects that must not
    };
    using C = DocumentChange;
    const Step steps[] = {
        {"frame step", [&] { d.UpdateViewsAtFrame(12); }, C::kFrame,
         C::kNodes | C::kPanels | C::kSelection | C::kRedraw | C::kShow},
        {"frame step with refresh", [&] { d.UpdateViewsAtFrame(13, Refresh::kViews); },
         C::kFrame | C::kRedraw, C::kNodes | C::kPanels},
        {"new actor", [&] { d.AddActorCommand(StagePlace{}); }, C::kNodes | C::kSelection,
         C::kPanels | C::kShow},
        {"new panel", [&] { d.NewPanel(PanelKind::kWall, StagePlace{}); }, C::kPanels,
         C::kNodes | C::kFrame | C::kShow},
        {"set lock", [&] { d.SetSetLocked(true); }, C::kPanels, C::kNodes | C::kFrame},
        {"new scene", [&] { d.AddNewSceneCommand(); }, C::kNodes | C::kFrame, C::kPanels},
    };
    for (const Step& s : steps) {
        listener.changes.clear();
        s.act();
        EXPECT_EQ(listener.All() & s.must, s.must) << s.what;
        EXPECT_EQ(listener.All() & s.mustNot, 0u) << s.what;
    }
    // A frame notice carries the frame; an added track names itself.
    listener.changes.clear();
    d.UpdateViewsAtFrame(20);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].frame, 20);
    listener.changes.clear();
    d.AddActorCommand(StagePlace{});
    const ShowNode* added = Scene(0).children.back();
    ASSERT_FALSE(listener.changes.empty());
    EXPECT_EQ(listener.changes[0].nodes, std::vector<const ShowNode*>{added});
    d.RemoveListener(&listener);
    // A lookup changes nothing: no notice and the current frame stays.
    listener.changes.clear();
    d.SceneAt(400);
    EXPECT_EQ(d.currentFrame(), 20);
    EXPECT_EQ(d.currentScene(), &Scene(0));
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
    EXPECT_FLOAT_EQ(camera->keys[0].eastWest(), 656.0f);
    EXPECT_FLOAT_EQ(camera->keys[0].northSouth(), 300.0f);
    // tan(15°) x 100 x 2 / sin(15°) = 200 / cos(15°)
    EXPECT_NEAR(camera->keys[0].upDown(), 207.055, 0.01);
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 300.0f);

    // An actor that sticks out past the origin moves everything back into view.
    actor->keys[0].eastWest() = 100.0f;
    d.FitMoves(*actor, 1200, 800, camera);
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 300.0f);  // minX = 100 - 300 = -200
}
