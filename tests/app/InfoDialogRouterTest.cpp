// The information dialogs as the stage plan and the timeline open them: a right click on an
// actor records it for undo and opens its dialog, OK stores and Cancel leaves the show's bytes
// alone; a panel's dialog; a changed file loaded again by the item's kind; a key's dialog and
// a key's values in the read-out panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>
#include <functional>

#include "../model/ScriptedHost.h"
#include "app/InfoDialogRouter.h"
#include "app/KeyInfoDialog.h"
#include "app/NodeInfoDialog.h"
#include "app/PanelInfoDialog.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Set.h"
#include "model/ShowFile.h"
#include "model/ShowFiles.h"
#include "player/Player.h"
#include "stage/StageReadout.h"
#include "stage/StageView.h"
#include "timeline/TimelineView.h"

using namespace quillon;

namespace {

// Sounds are 90 frames long; everything else loads nothing.
struct FakeLoader final : MediaLoader {
    QStringList sounds;
    bool AssignActorPicture(Document&, const QString&, ShowNode&, bool) override { return false; }
    bool LoadPanelPicture(Document&, SetPanel&) override { return false; }
    std::optional<int> LoadSound(Document&, const QString& path, ShowNode&) override {
        sounds << path;
        return 90;
    }
    std::optional<int> MovieFrameCount(const QString&) override { return std::nullopt; }
    void ResetTextures() override {}
};

struct InfoDialogRouterTest : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    FakeLoader loader;
    std::unique_ptr<Document> doc;
    std::unique_ptr<ShowFiles> files;
    std::unique_ptr<Player> player;
    std::unique_ptr<QWidget> window;
    StageView* stage = nullptr;
    TimelineView* timeline = nullptr;
    StageReadout* readout = nullptr;
    ShowNode* actor = nullptr;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        doc->SetMediaLoader(&loader);
        files = std::make_unique<ShowFiles>(*doc);
        player = std::make_unique<Player>(*doc);
        window = std::make_unique<QWidget>();
        stage = new StageView(*doc, window.get());
        stage->SetStartupPictureEnabled(false);
        stage->resize(600, 600);
        timeline = new TimelineView(*doc, *player, window.get());
        readout = new StageReadout(window.get());
        stage->SetReadout(readout);
        new InfoDialogRouter(*doc, *files, *stage, *timeline, window.get());
        stage->InitialUpdate();
        window->show();
        QApplication::processEvents();
        stage->horizontalScrollBar()->setValue(0);
        stage->verticalScrollBar()->setValue(0);
        doc->monitorCamera().pose.eastWest() = -2000;  // out of the way

        actor = new ShowNode;
        actor->kind = NodeKind::Actor;
        actor->SetName("Bob");
        KeyFrame k;
        k.eastWest() = 200;
        k.northSouth() = 200;
        k.width() = 100;
        actor->keys = {k};
        ASSERT_TRUE(Scene().AddChild(actor, true));
        doc->UpdateViewsAtFrame(0);
        doc->monitorCamera().pose.eastWest() = -2000;
    }
    void TearDown() override {
        window.reset();
        doc.reset();
    }
    ShowNode& Scene() { return *doc->root().children[0]; }
    std::string Bytes() { return SerializeShow(doc->root(), doc->captions()); }

    // Acts on the next modal dialog as soon as it opens.
    template <class Dialog>
    void Answer(std::function<void(Dialog&)> act) {
        QTimer::singleShot(0, [act] {
            auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            act(*d);
        });
    }
    void RightClick(QPoint p) {
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(
                type, QPointF(p), stage->viewport()->mapToGlobal(QPointF(p)), Qt::RightButton,
                type == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(stage->viewport(), &e);
        }
    }
};

TEST_F(InfoDialogRouterTest, RightClickOnAnActorEditsItWithUndo) {
    const std::string before = Bytes();
    const int undo = doc->undoCount();
    Answer<NodeInfoDialog>([](NodeInfoDialog& d) {
        d.labelEdit()->setText("Alice");
        d.reject();
    });
    RightClick({210, 205});
    EXPECT_EQ(Bytes(), before);  // Cancel: the show as it was

    Answer<NodeInfoDialog>([](NodeInfoDialog& d) {
        d.labelEdit()->setText("Alice");
        d.accept();
    });
    RightClick({210, 205});
    EXPECT_EQ(actor->GetName(), "Alice");
    EXPECT_EQ(doc->undoCount(), undo + 2);  // one snapshot per opening
    doc->Undo();
    EXPECT_EQ(actor->GetName(), "Bob");
}

TEST_F(InfoDialogRouterTest, RightClickOnAPanel) {
    Scene().set = std::make_unique<Set>();
    SetPanel p;  // a floor at set (-5 .. -4): plan 1000 .. 1200
    const float xs[4] = {-5, -4, -4, -5}, zs[4] = {-5, -5, -4, -4};
    for (int c = 0; c < 4; ++c) {
        p.cornerEastWest[c] = xs[c];
        p.cornerNorthSouth[c] = zs[c];
    }
    Scene().set->AddPanel(p);
    stage->horizontalScrollBar()->setValue(900);
    stage->verticalScrollBar()->setValue(900);
    Answer<PanelInfoDialog>([](PanelInfoDialog& d) {
        d.topEdit()->setText("100");
        d.reject();
    });
    RightClick({200, 200});
    EXPECT_EQ(std::memcmp(&Scene().set->panels[0], &p, sizeof p), 0);
    EXPECT_EQ(Scene().set->dirty, 0);
    Answer<PanelInfoDialog>([](PanelInfoDialog& d) {
        d.topEdit()->setText("100");
        d.bottomEdit()->setText("0");
        d.accept();
    });
    RightClick({200, 200});
    EXPECT_FLOAT_EQ(Scene().set->panels[0].cornerUpDown[0], 0.5f);
    EXPECT_FLOAT_EQ(Scene().set->panels[0].cornerUpDown[3], 0.0f);
    EXPECT_EQ(Scene().set->dirty, 1);
}

// A sound track whose file was changed in its dialog is loaded again and ends where its clip
// does.
TEST_F(InfoDialogRouterTest, ChangedSoundIsLoadedAgain) {
    auto* sound = new ShowNode;
    sound->kind = NodeKind::SoundTrack;
    sound->startFrame = 10;
    sound->endFrame = 250;
    ASSERT_TRUE(Scene().AddChild(sound, false));
    host.files.push_back(QStringLiteral("/sounds/new.wav"));
    Answer<NodeInfoDialog>([](NodeInfoDialog& d) {
        d.ChooseFile();
        d.accept();
    });
    emit timeline->itemInformationRequested(sound);
    EXPECT_EQ(loader.sounds, QStringList{"/sounds/new.wav"});
    EXPECT_EQ(sound->startFrame, 10);
    EXPECT_EQ(sound->endFrame, 100);
    // Nothing changed: nothing loaded.
    Answer<NodeInfoDialog>([](NodeInfoDialog& d) { d.accept(); });
    emit timeline->itemInformationRequested(sound);
    EXPECT_EQ(loader.sounds.size(), 1);
}

TEST_F(InfoDialogRouterTest, KeyDialogAndReadout) {
    Answer<KeyInfoDialog>([](KeyInfoDialog& d) {
        d.eastWestEdit()->setText("123");
        d.accept();
    });
    emit timeline->keyInformationRequested(actor, 0);
    EXPECT_EQ(actor->keys[0].eastWest(), 123);

    actor->keys[0].northSouth() = 456;
    emit timeline->keyReadoutRequested(actor, 0);
    EXPECT_EQ(readout->values().values.eastWest(), 123);
    EXPECT_EQ(readout->values().values.northSouth(), 456);
    // Keys that do not exist are ignored.
    emit timeline->keyReadoutRequested(actor, 5);
    emit timeline->keyInformationRequested(actor, -1);
    EXPECT_EQ(readout->values().values.northSouth(), 456);
}

}  // namespace
