// Editing on the timeline: the hit tests at computed pixels, the key tolerance, the selection's
// outline and each drag kind's limits, what drops do to the show (Scale Keys stretching, clamping
// into the scene, reordering, key moves and deletions, undo bringing the bytes back), and the
// view driven by mouse and keys: the half-second hold, Shift-right-click's key text, the keys.
#include <gtest/gtest.h>

#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFile.h"
#include "player/Player.h"
#include "timeline/TimelineEdits.h"
#include "timeline/TimelineHits.h"
#include "timeline/TimelineView.h"
#include "viewkit/VerticalMode.h"

using namespace quillon;

namespace {

ShowNode& AddTrack(ShowNode& parent, NodeKind kind, int start, int end, const char* name,
                   std::initializer_list<int> keys = {0}) {
    auto* node = new ShowNode;
    node->kind = kind;
    node->startFrame = start;
    node->endFrame = end;
    node->SetName(name);
    EXPECT_TRUE(parent.AddChild(node, false));
    for (int f : keys) {
        KeyFrame k;
        k.frame = f;
        node->keys.push_back(k);
    }
    return *node;
}

std::vector<int> KeyFrames(const ShowNode& node) {
    std::vector<int> frames;
    for (const KeyFrame& k : node.keys)
        frames.push_back(k.frame);
    return frames;
}

class TimelineEdit : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        profile->WriteInt("System", "FrameRate", 3000);
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);  // scene 1: frames 0 .. 300, four cameras
        // Scene 1: "Al" (0 .. 200) on row 40, "Bob" (0 .. 300, keys 0, 100, 105) on row 52 with
        // "Hat" on 64, the sound track "Hum" (10 .. 100) on the shared row 76. Scene 2 (300 ..
        // 600): the script "Lines" on row 40.
        al = &AddTrack(Scene(0), NodeKind::Actor, 0, 200, "Al");
        bob = &AddTrack(Scene(0), NodeKind::Actor, 0, 300, "Bob", {0, 100, 105});
        hat = &AddTrack(*bob, NodeKind::Actor, 0, 300, "Hat");
        hum = &AddTrack(Scene(0), NodeKind::SoundTrack, 10, 100, "Hum");
        doc->NewScene(300);
        lines = &AddTrack(Scene(1), NodeKind::Script, 300, 600, "Lines");
        doc->UpdateViewsAtFrame(0);
    }
    void TearDown() override {
        view.reset();
        player.reset();
    }
    ShowNode& Scene(int i) { return *doc->root().children[size_t(i)]; }
    void MakeView() {
        player = std::make_unique<Player>(*doc);
        view = std::make_unique<TimelineView>(*doc, *player);
        view->resize(1400, 200);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    int X(int frame) const { return int(TimeScale(30).X(frame)); }
    const ShowNode* Hit(int frame, int y, bool rostrum = false) {
        return ItemAt(doc->root(), TimeScale(30), X(frame), y, rostrum);
    }

    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
    std::unique_ptr<Player> player;
    std::unique_ptr<TimelineView> view;
    ShowNode *al = nullptr, *bob = nullptr, *hat = nullptr, *hum = nullptr, *lines = nullptr;
};

}  // namespace

TEST_F(TimelineEdit, WhatLiesUnderThePoint) {
    const ShowNode* scene1 = &Scene(0);
    const struct {
        int frame, y;
        bool rostrum;
        const ShowNode* hit;
    } cases[] = {
        {100, 10, false, scene1},       // the scene's rows
        {100, 40, false, scene1},       // still above 41
        {700, 10, false, nullptr},      // past the last scene
        {100, 45, false, al},           // Al's row
        {250, 45, false, bob},          // beside Al's short bar: Bob's longer one below
        {150, 70, false, hat},          // Hat's row: Bob's child
        {50, 80, false, hum},           // the sound row
        {150, 80, false, nullptr},      // the sound row where no sound plays
        {400, 45, false, lines},        // scene 2's first row
        {150, 100, false, nullptr},     // the band under the rows...
        {150, 100, true, scene1},       // ...is the scene's in rostrum mode
        {150, 88 + 29, true, nullptr},  // more than 28 below the last row: nothing
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hit(c.frame, c.y, c.rostrum), c.hit)
            << "frame " << c.frame << " y " << c.y << (c.rostrum ? " rostrum" : "");
}

TEST_F(TimelineEdit, KeyToleranceAndTheKeyHit) {
    // Whole frames per second from hundredths, rounded; a quarter of them; the scale over it.
    const struct {
        int scale, rate, tolerance;
    } tolerances[] = {
        {30, 3000, 4}, {15, 2500, 3}, {960, 2997, 137}, {60, 2400, 10}, {30, 200, 30}};
    for (const auto& t : tolerances)
        EXPECT_EQ(KeyTolerance(t.scale, t.rate), t.tolerance) << t.scale << " at " << t.rate;
    // Bob's keys at 0, 100 and 105: the lowest index within the open interval wins.
    const std::pair<int, int> near[] = {{102, 1}, {103, 2}, {98, 1},  {97, -1},
                                        {2, 0},   {107, 2}, {108, -1}};
    for (const auto& [frame, index] : near)
        EXPECT_EQ(KeyIndexNear(*bob, frame, 3), index) << frame;
}

TEST_F(TimelineEdit, SelectionOutlineAndDragLimits) {
    EXPECT_TRUE(SelectionRect(doc->root(), TimeScale(30)).empty());
    al->setSelected(true);
    Scene(1).setSelected(true);
    EXPECT_EQ(SelectionRect(doc->root(), TimeScale(30)), (EdgeRect{X(0), 4, X(600), 52}));

    const EdgeRect track{130, 40, 430, 52};
    const EdgeRect scene{130, 4, 430, 27};
    const struct {
        EdgeRect from;
        DragKind kind;
        QPoint mouse, offset;
        EdgeRect to;
    } drags[] = {
        // A start edge: never left of x = 30, never within 6 pixels of the end.
        {track, DragKind::kStartEdge, {20, 45}, {0, 0}, {30, 40, 430, 52}},
        {track, DragKind::kStartEdge, {30, 45}, {0, 0}, {30, 40, 430, 52}},
        {track, DragKind::kStartEdge, {31, 45}, {0, 0}, {31, 40, 430, 52}},
        {track, DragKind::kStartEdge, {200, 45}, {0, 0}, {200, 40, 430, 52}},
        {track, DragKind::kStartEdge, {500, 45}, {0, 0}, {424, 40, 430, 52}},
        // An end edge: at least 6 right of the start, at most the total width.
        {track, DragKind::kEndEdge, {100, 45}, {0, 0}, {130, 40, 136, 52}},
        {track, DragKind::kEndEdge, {5000, 45}, {0, 0}, {130, 40, 1300, 52}},
        {track, DragKind::kEndEdge, {600, 45}, {-5, 0}, {130, 40, 605, 52}},
        // Whole bars keep their size; rows snap to the 12-pixel grid.
        {track, DragKind::kWhole, {200, 70}, {30, 5}, {170, 64, 470, 76}},
        {track, DragKind::kWhole, {200, 57}, {30, 5}, {170, 52, 470, 64}},
        // A scene's 23-pixel outline stays on the scene rows.
        {scene, DragKind::kWhole, {200, 90}, {30, 5}, {170, 4, 470, 27}},
        // A key line follows the mouse.
        {EdgeRect{130, 0, 131, 200}, DragKind::kKey, {333, 90}, {0, 0}, {333, 0, 334, 200}},
    };
    for (const auto& d : drags)
        EXPECT_EQ(DraggedRect(d.from, d.kind, d.mouse, d.offset, 1300), d.to)
            << int(d.kind) << " to " << d.mouse.x() << "," << d.mouse.y();
    // Which part a press takes.
    EXPECT_EQ(GrabbedPart(track, 135), DragKind::kStartEdge);
    EXPECT_EQ(GrabbedPart(track, 136), DragKind::kWhole);
    EXPECT_EQ(GrabbedPart(track, 419), DragKind::kEndEdge);
    EXPECT_EQ(GrabbedPart(track, 418), DragKind::kWhole);
}

TEST_F(TimelineEdit, ScaleKeysStretchesASceneAndUndoBringsTheBytesBack) {
    // A 60-frame scene whose active camera has keys at 0, 20 and 40.
    doc->Reset(false);
    while (doc->root().childCount() > 0)
        doc->root().RemoveChild(0);
    ShowNode* scene = doc->NewScene(60);
    ShowNode* camera = doc->ActiveTrack(scene);
    ASSERT_NE(camera, scene);
    KeyFrame k = camera->keys[0];
    k.frame = 20;
    camera->keys.push_back(k);
    k.frame = 40;
    camera->keys.push_back(k);
    scene->setSelected(true);
    const std::string before = SerializeShow(doc->root(), doc->captions());

    doc->settings().scaleKeys = true;
    ASSERT_TRUE(ApplyRangeDrop(*doc, scene, scene, {.kind = DragKind::kEndEdge, .newEnd = 90}));
    EXPECT_EQ(scene->endFrame, 90);
    EXPECT_EQ(camera->endFrame, 90);
    EXPECT_EQ(KeyFrames(*camera), (std::vector<int>{0, 30, 60}));
    while (doc->undoCount() > 0)
        doc->Undo();
    EXPECT_EQ(SerializeShow(doc->root(), doc->captions()), before);

    // Without Scale Keys the keys keep their frames.
    doc->settings().scaleKeys = false;
    ASSERT_TRUE(ApplyRangeDrop(*doc, scene, scene, {.kind = DragKind::kEndEdge, .newEnd = 90}));
    EXPECT_EQ(KeyFrames(*camera), (std::vector<int>{0, 20, 40}));
}

TEST_F(TimelineEdit, DropsOnTracks) {
    doc->settings().scaleKeys = false;
    al->setSelected(true);
    // The whole bar 150 frames later: clamped to the scene's end.
    ASSERT_TRUE(ApplyRangeDrop(*doc, al, al, {.kind = DragKind::kWhole, .shift = 150}));
    EXPECT_EQ(al->startFrame, 150);
    EXPECT_EQ(al->endFrame, 300);
    // Wholly out of the scene: refused, nothing stored.
    EXPECT_FALSE(ApplyRangeDrop(*doc, al, al, {.kind = DragKind::kWhole, .shift = 1000}));
    EXPECT_EQ(al->startFrame, 150);
    EXPECT_EQ(al->endFrame, 300);
    // The start edge to frame 40 keeps the end.
    ASSERT_TRUE(ApplyRangeDrop(*doc, al, al, {.kind = DragKind::kStartEdge, .newStart = 40}));
    EXPECT_EQ(al->startFrame, 40);
    EXPECT_EQ(al->endFrame, 300);
    // Onto another track: the first moves before the second in its scene.
    const int alIndex = Scene(0).IndexOf(al);
    ASSERT_TRUE(ApplyRangeDrop(*doc, bob, al, {.kind = DragKind::kWhole}));
    EXPECT_EQ(Scene(0).IndexOf(bob), alIndex);
    EXPECT_EQ(Scene(0).IndexOf(al), alIndex + 1);
    // Onto a scene bar from a track row: nothing.
    EXPECT_FALSE(ApplyRangeDrop(*doc, al, &Scene(0),
                                {.kind = DragKind::kWhole, .pressBelowSceneRows = true}));
    EXPECT_EQ(Scene(0).IndexOf(al), alIndex + 1);
}

TEST_F(TimelineEdit, KeyMovesAndTheDialogsFixUps) {
    // Bob (0 .. 300) keys 0, 100, 105.
    EXPECT_FALSE(MoveKeyFrame(*doc, *bob, 0, 50).moved);  // the first key stays
    KeyMove m = MoveKeyFrame(*doc, *bob, 1, 150);
    EXPECT_TRUE(m.moved);
    EXPECT_EQ(KeyFrames(*bob), (std::vector<int>{0, 105, 150}));
    m = MoveKeyFrame(*doc, *bob, 2, 300);  // at the end: deleted
    EXPECT_TRUE(m.deleted);
    EXPECT_EQ(KeyFrames(*bob), (std::vector<int>{0, 105}));
    m = MoveKeyFrame(*doc, *bob, 1, 2);  // within 3 of the start: deleted
    EXPECT_TRUE(m.deleted);
    EXPECT_EQ(KeyFrames(*bob), (std::vector<int>{0}));
    // A track starting later: frames are the show's.
    ShowNode& late = AddTrack(Scene(0), NodeKind::Actor, 100, 200, "Late", {0, 50});
    m = MoveKeyFrame(*doc, late, 1, 120);
    EXPECT_EQ(KeyFrames(late), (std::vector<int>{0, 20}));
    EXPECT_EQ(m.frame, 120);
    EXPECT_TRUE(MoveKeyFrame(*doc, late, 1, 102).deleted);

    // After the key dialog: the first key back at 0; a key typed out of the track keeps its
    // old frame.
    ShowNode& typed = AddTrack(Scene(0), NodeKind::Actor, 0, 300, "Typed", {5, 0, 400, 50});
    FixKeysAfterDialog(typed, {0, 10, 20, 50});
    EXPECT_EQ(KeyFrames(typed), (std::vector<int>{0, 10, 20, 50}));
}

TEST_F(TimelineEdit, TheHoldDecidesBetweenClickAndDrag) {
    MakeView();
    const QPoint onAl(X(100), 45);
    // Released after 400 ms: a click, which selects.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, onAl);
    QTest::qWait(400);
    EXPECT_FALSE(view->dragging());
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, onAl);
    EXPECT_TRUE(al->selected());
    EXPECT_EQ(al->startFrame, 0);
    EXPECT_EQ(doc->currentFrame(), 100);

    // Held 600 ms: a drag; 60 pixels right is 30 frames later.
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, onAl);
    QTest::qWait(600);
    EXPECT_TRUE(view->dragging());
    EXPECT_EQ(view->dragKind(), DragKind::kWhole);
    QTest::mouseMove(view->viewport(), onAl + QPoint(60, 0));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, onAl + QPoint(60, 0));
    EXPECT_FALSE(view->dragging());
    EXPECT_EQ(al->startFrame, 30);
    EXPECT_EQ(al->endFrame, 230);
    EXPECT_TRUE(al->selected());

    // A key held and dragged past its track's end is deleted.
    const QPoint onKey(X(100), 57);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, onKey);
    QTest::qWait(600);
    ASSERT_EQ(view->dragKind(), DragKind::kKey);
    QTest::mouseMove(view->viewport(), QPoint(X(310), 57));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, QPoint(X(310), 57));
    EXPECT_EQ(KeyFrames(*bob), (std::vector<int>{0, 105}));
}

TEST_F(TimelineEdit, RightClicksAndKeys) {
    MakeView();
    QSignalSpy items(view.get(), &TimelineView::itemInformationRequested);
    QSignalSpy keys(view.get(), &TimelineView::keyInformationRequested);
    // Shift on Bob's key at 100: its numbers as text.
    QTest::mouseClick(view->viewport(), Qt::RightButton, Qt::ShiftModifier, QPoint(X(100), 57));
    ASSERT_EQ(host.texts.size(), 1);
    EXPECT_TRUE(host.texts[0].startsWith(
        "Num: 1, Actor: Bob\r\nFrm: 100, Hold: 0, Act: 0\r\nMat0: 0.000000\r\n"))
        << host.texts[0].toStdString();
    EXPECT_EQ(host.texts[0].count("\r\n"), 14);
    // Without Shift: the key's dialog, at its frame.
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, QPoint(X(100), 57));
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.at(0).at(0).value<ShowNode*>(), bob);
    EXPECT_EQ(keys.at(0).at(1).toInt(), 1);
    EXPECT_EQ(doc->currentFrame(), 100);
    // Elsewhere on a track: its information, recorded for undo first.
    const int undos = doc->undoCount();
    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, QPoint(X(50), 45));
    ASSERT_EQ(items.count(), 1);
    EXPECT_EQ(items.at(0).at(0).value<ShowNode*>(), al);
    EXPECT_EQ(doc->undoCount(), undos + 1);

    // The keys step the frame.
    view->setFocus();
    const int total = 600;
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int from, to;
    } steps[] = {
        {Qt::Key_Home, {}, 250, 0},
        {Qt::Key_End, {}, 10, total - 1},
        {Qt::Key_PageDown, {}, 100, 130},
        {Qt::Key_PageUp, {}, 10, 0},
        {Qt::Key_Right, {}, 100, 101},
        {Qt::Key_Left, {}, 100, 99},
        {Qt::Key_Plus, Qt::KeypadModifier, 100, 101},
        {Qt::Key_Minus, Qt::KeypadModifier, 0, 0},
    };
    for (const auto& s : steps) {
        doc->UpdateViewsAtFrame(s.from);
        QTest::keyClick(view.get(), s.key, s.modifiers);
        EXPECT_EQ(doc->currentFrame(), s.to) << s.key;
    }
    // Tab: Bob's next key after the frame, wrapping to the first.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(X(20), 57));
    ASSERT_TRUE(bob->selected());
    doc->UpdateViewsAtFrame(101);
    QTest::keyClick(view.get(), Qt::Key_Tab);
    EXPECT_EQ(doc->currentFrame(), 105);
    QTest::keyClick(view.get(), Qt::Key_Tab);
    EXPECT_EQ(doc->currentFrame(), 0);
    QTest::keyClick(view.get(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(doc->currentFrame(), 105);
}

// Shift held in the timeline is the program's vertical mode too; any key release or the loss of
// the focus ends it.
TEST_F(TimelineEdit, ShiftIsVerticalMode) {
    MakeView();
    QTest::keyPress(view.get(), Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_TRUE(VerticalMode());
    QTest::keyRelease(view.get(), Qt::Key_Shift);
    EXPECT_FALSE(VerticalMode());
    QTest::keyPress(view.get(), Qt::Key_Shift, Qt::ShiftModifier);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(view.get(), &out);
    EXPECT_FALSE(VerticalMode());
}
