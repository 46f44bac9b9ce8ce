// The information dialogs: the key-colour table and number reading, what each dialog shows,
// what OK, Apply, Cut, Paste and "All" do to the record, what Cancel leaves (the show's bytes),
// and the action-frame chooser over a real movie.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstring>

#include "../model/ScriptedHost.h"
#include "../pictures/MovieTestUtil.h"
#include "app/ActionFrameDialog.h"
#include "app/InfoFields.h"
#include "app/KeyInfoDialog.h"
#include "app/NodeInfoDialog.h"
#include "app/PanelInfoDialog.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/SetPanel.h"
#include "model/ShowFile.h"
#include "model/ShowNode.h"

using namespace quillon;

namespace {

struct InfoDialogs : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    ShowNode* actor = nullptr;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        profile->WriteInt("System", "FrameRate", 3000);
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);  // 0 .. 300
        actor = new ShowNode;
        actor->kind = NodeKind::Actor;
        actor->startFrame = 30;
        actor->endFrame = 200;
        actor->SetName("Bob");
        actor->SetFileName("/pictures/bob.png");
        actor->keyColor = 0xFF0000;
        actor->pictureWidth = 64;
        actor->aspect = 1.5f;
        KeyFrame k;
        k.width() = 20;
        k.height() = 30;
        k.eastWest() = 100;
        k.transparency() = 0.25f;
        actor->keys = {k, k};
        actor->keys[1].frame = 50;
        actor->keys[1].hold = -1;
        ASSERT_TRUE(Scene().AddChild(actor, false));
    }
    ShowNode& Scene() { return *doc->root().children[0]; }
    std::string Bytes() { return SerializeShow(doc->root(), doc->captions()); }
};

}  // namespace

TEST(InfoFields, KeyColoursNumbersAndHeights) {
    EXPECT_EQ(KeyColorTexts(), QStringList({"Black", "Blue", "Green", "Use Alpha", "White"}));
    const std::pair<const char*, std::optional<int32_t>> colours[] = {
        {"Use Alpha", -1},   {"Blue", 0xFF0000},      {"Green", 0x00FF00}, {"Black", 0},
        {"White", 0xFFFFFF}, {"black", std::nullopt}, {"", std::nullopt},  {"Red", std::nullopt}};
    for (const auto& [text, value] : colours)
        EXPECT_EQ(KeyColorValue(text), value) << text;
    EXPECT_EQ(KeyColorText(0x0000FF), "");  // red is not in the list
    EXPECT_EQ(KeyColorText(0), "Black");

    const std::pair<const char*, double> numbers[] = {{"12.5abc", 12.5}, {"abc", 0},    {" -3", -3},
                                                      {".5", 0.5},       {"1e2x", 100}, {"+7", 7},
                                                      {"", 0},           {"4.", 4},     {"-", 0}};
    for (const auto& [text, value] : numbers)
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;

    const std::pair<float, int> opacities[] = {{0.25f, 75}, {0.0f, 100}, {1.0f, 0}, {0.333f, 67}};
    for (const auto& [t, percent] : opacities)
        EXPECT_EQ(OpacityPercent(t), percent) << t;

    KeyFrame k;
    k.width() = 20;
    k.height() = 30;
    SetKeyWidth(k, 40);
    EXPECT_FLOAT_EQ(k.height(), 60);
    k.width() = 0;
    k.height() = 30;
    SetKeyWidth(k, 40);
    EXPECT_FLOAT_EQ(k.height(), 0);

    // A wall from 0.4 down to 0; a new top at the old bottom lays it flat there.
    SetPanel wall;
    wall.cornerUpDown[0] = wall.cornerUpDown[1] = 0.4f;
    EXPECT_EQ(PanelHeightText(0.4f), 80);
    SetPanelHeights(wall, 100, 20);
    EXPECT_FLOAT_EQ(wall.cornerUpDown[0], 0.5f);
    EXPECT_FLOAT_EQ(wall.cornerUpDown[3], 0.1f);
    SetPanelHeights(wall, 20, 90);
    for (float h : wall.cornerUpDown)
        EXPECT_FLOAT_EQ(h, 0.1f);
    EXPECT_EQ(StoredFileName(" Use Alpha"), "");
    EXPECT_EQ(StoredFileName("x Use Alpha"), "");
    EXPECT_EQ(StoredFileName("/a/b.png"), "/a/b.png");
}

TEST_F(InfoDialogs, KeyFrameInformation) {
    KeyFrame clipboard;
    {
        KeyInfoDialog d(*doc, *actor, 1, clipboard);
        EXPECT_EQ(d.windowTitle(), "KeyFrame Information");
        EXPECT_EQ(d.holdEdit()->text(), "All");
        d.ToggleAll();
        EXPECT_EQ(d.holdEdit()->text(), "0");
        d.ToggleAll();
        EXPECT_EQ(d.holdEdit()->text(), "All");
        EXPECT_EQ(d.opacityBox()->currentText(), "75");
        EXPECT_EQ(d.widthEdit()->text(), "20.0");
        EXPECT_EQ(d.startEdit()->text(), "00:00:01:20");
        // Paste with nothing cut changes nothing.
        d.eastWestEdit()->setText("7");
        d.Paste();
        EXPECT_EQ(d.eastWestEdit()->text(), "7");
        EXPECT_TRUE(host.beeps.empty());
    }
    // Typed values, stored by OK.
    const struct {
        const char* start;
        const char* width;
        const char* opacity;
        int frame;
        float height, transparency;
    } typed[] = {
        {"+00:10", "40", "100", 60, 60.0f, 0.0f},  // ten frames later; height in proportion
        {"-5", "40", "0", 55, 60.0f, 1.0f},        // five earlier
        {"2:00", "abc", "50", 60, 0.0f, 0.5f},     // a width that is no number is 0
    };
    for (const auto& t : typed) {
        KeyInfoDialog d(*doc, *actor, 1, clipboard);
        d.startEdit()->setText(t.start);
        d.widthEdit()->setText(t.width);
        d.opacityBox()->setEditText(t.opacity);
        d.accept();
        const KeyFrame& k = actor->keys[1];
        EXPECT_EQ(k.frame, t.frame) << t.start;
        EXPECT_FLOAT_EQ(k.height(), t.height) << t.width;
        EXPECT_FLOAT_EQ(k.transparency(), t.transparency) << t.opacity;
        EXPECT_EQ(k.hold, -1);
    }
    // Cut, then Paste into another key's dialog: six fields and the beep; the key changes only
    // with OK. Cancel leaves the show's bytes as they were.
    actor->keys[1].eastWest() = 321.5f;
    actor->keys[1].northSouth() = 12.25f;
    {
        KeyInfoDialog d(*doc, *actor, 1, clipboard);
        d.Cut();
    }
    EXPECT_EQ(clipboard.frame, -1);
    const std::string before = Bytes();
    {
        KeyInfoDialog d(*doc, *actor, 0, clipboard);
        d.Paste();
        EXPECT_EQ(d.eastWestEdit()->text(), "322");
        EXPECT_EQ(d.northSouthEdit()->text(), "12.2");
        EXPECT_EQ(host.beeps.size(), 1u);
        d.holdEdit()->setText("5");
        d.reject();
    }
    EXPECT_EQ(Bytes(), before);
    {
        KeyInfoDialog d(*doc, *actor, 0, clipboard);
        d.Paste();
        d.Apply();  // stored, the dialog stays
        EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 322.0f);
        d.reject();
    }
    EXPECT_FLOAT_EQ(actor->keys[0].eastWest(), 322.0f);
}

TEST_F(InfoDialogs, CameraKeysSayZoomAndTiltToATenth) {
    ShowNode* camera = doc->ActiveTrack(&Scene());
    camera->keys[0].tilt() = -12.34f;
    KeyFrame clipboard;
    KeyInfoDialog d(*doc, *camera, 0, clipboard);
    EXPECT_EQ(d.tiltEdit()->text(), "-12.3");
    const auto* form = d.findChild<QLabel*>();
    ASSERT_NE(form, nullptr);
    bool zoom = false;
    for (const QLabel* l : d.findChildren<QLabel*>())
        zoom |= l->text() == "Zoom:";
    EXPECT_TRUE(zoom);
}

TEST_F(InfoDialogs, ActorSceneInformation) {
    const std::string before = Bytes();
    {
        NodeInfoDialog d(*doc, *actor);
        EXPECT_EQ(d.windowTitle(), "Actor / Scene Information");
        EXPECT_EQ(d.fileLabel()->text(), "Actor Image:");
        EXPECT_EQ(d.keyColorBox()->currentText(), "Blue");
        EXPECT_EQ(d.imageSizeEdit()->text(), "64 by 96");
        EXPECT_EQ(d.startEdit()->text(), "00:00:01:00");
        d.labelEdit()->setText(QString(200, 'x'));
        EXPECT_EQ(d.labelEdit()->text().size(), 40);
        d.fileEdit()->setText(" Use Alpha");
        d.reject();
    }
    EXPECT_EQ(Bytes(), before);
    {
        NodeInfoDialog d(*doc, *actor);
        d.labelEdit()->setText("Robert");
        d.fileEdit()->setText(" Use Alpha");
        d.startEdit()->setText("+10");
        d.endEdit()->setText("20:00");  // past the scene's end: kept inside it
        d.keyColorBox()->setEditText("Black");
        d.speedUpsBox()->setCurrentIndex(3);
        d.curvedBox()->setChecked(false);
        d.accept();
        EXPECT_TRUE(d.pictureChanged());
    }
    EXPECT_EQ(actor->GetName(), "Robert");
    EXPECT_EQ(actor->GetFileName(), "");
    EXPECT_EQ(actor->startFrame, 40);
    EXPECT_EQ(actor->endFrame, 300);
    EXPECT_EQ(actor->keyColor, 0);
    EXPECT_EQ(doc->settings().defaultKeyColor, 0);
    EXPECT_EQ(profile->GetInt("Texture", "DefaultKeyColor", -5), 0);
    EXPECT_EQ(actor->motionMode, 3 | kStraightMotion);
    {
        // A colour text that is none of the five leaves the value; the same text is no change.
        NodeInfoDialog d(*doc, *actor);
        d.keyColorBox()->setEditText("black");
        d.accept();
        EXPECT_TRUE(d.pictureChanged());
        EXPECT_EQ(actor->keyColor, 0);
    }

    // A scene: its file is a set; its motion fields are its active camera's.
    ShowNode* camera = doc->ActiveTrack(&Scene());
    camera->motionMode = 1;
    NodeInfoDialog d(*doc, Scene());
    EXPECT_EQ(d.fileLabel()->text(), "Set File:");
    EXPECT_EQ(d.speedUpsBox()->currentIndex(), 1);
    EXPECT_TRUE(d.curvedBox()->isChecked());
    EXPECT_EQ(d.imageSizeEdit()->text(), "");
    host.files.push_back(dir.filePath("street.set"));
    d.ChooseFile();
    ASSERT_EQ(host.openRequests.size(), 1u);
    EXPECT_EQ(host.openRequests[0].filter, "Set Files (*.set)|*.set||");
    EXPECT_EQ(d.fileEdit()->text(), dir.filePath("street.set"));
    EXPECT_EQ(doc->projectFolder(), dir.path() + "/");
    d.curvedBox()->setChecked(false);
    d.accept();
    EXPECT_TRUE(d.pictureChanged());
    EXPECT_EQ(camera->motionMode, 1 | kStraightMotion);
    EXPECT_EQ(Scene().motionMode, 0);

    // The file labels and filters of the other kinds.
    const struct {
        NodeKind kind;
        const char* label;
        const char* filter;
    } kinds[] = {
        {NodeKind::SoundTrack, "Sound File:", "Wave Audio Files (*.wav)|*.wav|All Files *.*|*.*||"},
        {NodeKind::Movie, "Movie File:", "AVI Movie Files (*.avi)|*.avi|All Files *.*|*.*||"},
        {NodeKind::Script, "Script File:",
         "Rich Text Files (*.rtf)|*.rtf|Plain Text Files (*.txt)|*.txt|All Files *.*|*.*||"},
        {NodeKind::Camera, "Actor Image:", nullptr},
    };
    for (const auto& k : kinds) {
        ShowNode node;
        node.kind = k.kind;
        node.startFrame = 0;
        node.endFrame = 10;
        NodeInfoDialog n(*doc, node);
        EXPECT_EQ(n.fileLabel()->text(), k.label);
        host.openRequests.clear();
        n.ChooseFile();
        ASSERT_EQ(host.openRequests.size(), 1u);
        if (k.filter) EXPECT_EQ(host.openRequests[0].filter, k.filter);
    }
}

TEST_F(InfoDialogs, PanelInformation) {
    SetPanel panel;
    panel.cornerUpDown[0] = panel.cornerUpDown[1] = 0.5f;
    panel.keyColor = -1;
    panel.panelColor = 0x00FF00;
    {
        PanelInfoDialog d(*doc, panel);
        EXPECT_EQ(d.imageEdit()->text(), " Use Alpha");
        EXPECT_EQ(d.topEdit()->text(), "100");
        EXPECT_EQ(d.bottomEdit()->text(), "0");
        EXPECT_EQ(d.keyColorBox()->currentText(), "Use Alpha");
        d.SetChosenColor(0x123456);
        d.topEdit()->setText("30");
        d.reject();  // the colour goes with Cancel too
    }
    EXPECT_EQ(panel.panelColor, 0x00FF00u);
    EXPECT_FLOAT_EQ(panel.cornerUpDown[0], 0.5f);
    {
        PanelInfoDialog d(*doc, panel);
        d.imageEdit()->setText(dir.filePath("brick.png"));
        d.SetChosenColor(0x123456);
        d.topEdit()->setText("80");
        d.bottomEdit()->setText("10");
        d.keyColorBox()->setEditText("Black");
        d.accept();
        EXPECT_TRUE(d.pictureChanged());
    }
    EXPECT_STREQ(panel.imagePath, dir.filePath("brick.png").toUtf8().constData());
    EXPECT_EQ(panel.panelColor, 0x123456u);
    EXPECT_FLOAT_EQ(panel.cornerUpDown[0], 0.4f);
    EXPECT_FLOAT_EQ(panel.cornerUpDown[3], 0.05f);
    EXPECT_EQ(panel.keyColor, 0);
    {
        // A top at the old bottom's height lays the panel flat there.
        PanelInfoDialog d(*doc, panel);
        d.topEdit()->setText("10");
        d.bottomEdit()->setText("90");
        d.imageEdit()->setText("");
        d.accept();
        EXPECT_TRUE(d.pictureChanged());
    }
    for (float h : panel.cornerUpDown)
        EXPECT_FLOAT_EQ(h, 0.05f);
    EXPECT_STREQ(panel.imagePath, "");
}

TEST_F(InfoDialogs, ChooseActionFrame) {
    const QRect room(0, 0, 200, 150);
    const std::pair<double, QRect> fits[] = {
        {0.5, QRect(62, 0, 75, 150)},   // no wider than tall: the height, centred
        {1.0, QRect(25, 0, 150, 150)},  //
        {0.0, QRect(25, 0, 150, 150)},  // no aspect counts as 1
        {2.0, QRect(0, 50, 200, 100)},  // wider: the width, on the bottom edge
    };
    for (const auto& [aspect, box] : fits)
        EXPECT_EQ(FitActionBox(room, aspect), box) << aspect;

    const std::string movie = dir.filePath("walk.avi").toStdString();
    ASSERT_TRUE(quillon::testing::MakeMovie(movie, 32, 16, 6, quillon::testing::kLossless));
    ActionFrameDialog d(*doc, QString::fromStdString(movie), 4);
    EXPECT_EQ(d.windowTitle(), "Choose Action Frame");
    EXPECT_EQ(d.frameCount(), 6);
    EXPECT_EQ(d.sizeLabel()->text(), "32 by 16");
    EXPECT_EQ(d.countLabel()->text(), "6 Frames");
    EXPECT_EQ(d.numberButton()->text(), "4");
    EXPECT_EQ(d.PictureBox(), QRect(0, 50, 200, 100));
    ASSERT_FALSE(d.picture().isNull());
    // Frame 4's blue channel carries its number (x 2).
    EXPECT_EQ(qBlue(d.picture().pixel(0, 0)), 8);
    d.StepForward();
    d.StepForward();
    EXPECT_EQ(d.frame(), 5);
    for (int i = 0; i < 7; ++i)
        d.StepBack();
    EXPECT_EQ(d.frame(), 0);
    EXPECT_EQ(qBlue(d.picture().pixel(0, 0)), 0);

    // A movie that cannot be read: no picture, no count.
    ActionFrameDialog broken(*doc, dir.filePath("missing.avi"), 3);
    EXPECT_EQ(broken.frameCount(), 0);
    EXPECT_TRUE(broken.picture().isNull());
    broken.StepForward();
    EXPECT_EQ(broken.frame(), 0);
}
