// Key-list invariants, tree operations and the bounded text fields of ShowNode and Set.
#include <gtest/gtest.h>

#include <string>

#include "model/ShowNode.h"

using namespace quillon;

namespace {

KeyFrame KeyAt(int frame, float value = 0.0f, int16_t hold = 0) {
    KeyFrame k;
    k.frame = frame;
    k.channel[0] = value;
    k.hold = hold;
    return k;
}

ShowNode* NewNode(NodeKind kind, int start, int end) {
    auto* n = new ShowNode;
    n->kind = kind;
    n->startFrame = start;
    n->endFrame = end;
    return n;
}

}  // namespace

TEST(ShowNode, KeyListInvariants) {
    ShowNode n;
    n.startFrame = 100;
    n.endFrame = 200;
    // Out of order insertion ends sorted; a hold of 10 before a key 4 frames later is cut to 4,
    // a hold of -1 stays.
    ASSERT_TRUE(n.AddKey(KeyAt(50, 5), 0));
    ASSERT_TRUE(n.AddKey(KeyAt(10, 1, 10), 0));
    ASSERT_TRUE(n.AddKey(KeyAt(14, 2, -1), 0));
    const std::pair<int, int> sorted[] = {{10, 4}, {14, -1}, {50, 0}};
    ASSERT_EQ(n.KeyCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(n.keys[i].frame, sorted[i].first) << i;
        EXPECT_EQ(n.keys[i].hold, sorted[i].second) << i;
    }
    EXPECT_EQ(n.keyBytes(), 3 * 56);

    // Within tolerance: values, hold and act replaced, the old frame kept.
    KeyFrame r = KeyAt(52, 9, 3);
    r.act = 65535;
    ASSERT_TRUE(n.AddKey(r, 2));
    ASSERT_EQ(n.KeyCount(), 3);
    EXPECT_EQ(n.keys[2].frame, 50);
    EXPECT_FLOAT_EQ(n.keys[2].channel[0], 9);
    EXPECT_EQ(n.keys[2].hold, 3);
    EXPECT_EQ(n.keys[2].act, 65535);

    // The end frame itself is outside the range; so is anything before the start.
    EXPECT_FALSE(n.AddKey(KeyAt(100), 0));
    EXPECT_FALSE(n.AddKey(KeyAt(-1), 0));
    EXPECT_TRUE(n.AddKey(KeyAt(99), 0));
    EXPECT_EQ(n.FindKey(199, 0), 3);
    EXPECT_EQ(n.FindKey(198, 0), -1);
    EXPECT_EQ(n.FindKey(198, 1), 3);
}

TEST(ShowNode, KeysPastTheLengthGoOnTheNextInsertion) {
    ShowNode n;
    n.endFrame = 100;
    ASSERT_TRUE(n.AddKey(KeyAt(0), 0));
    ASSERT_TRUE(n.AddKey(KeyAt(80), 0));
    n.endFrame = 50;  // range shortened behind the list's back
    ASSERT_TRUE(n.AddKey(KeyAt(20), 0));
    ASSERT_EQ(n.KeyCount(), 2);
    EXPECT_EQ(n.keys[1].frame, 20);
}

TEST(ShowNode, RefusesThe586thKeyButStillReplaces) {
    ShowNode n;
    n.endFrame = 10000;
    for (int i = 0; i < 585; ++i)
        ASSERT_TRUE(n.AddKey(KeyAt(i), 0)) << i;
    EXPECT_EQ(n.keyBytes(), 32760);
    EXPECT_FALSE(n.AddKey(KeyAt(9000), 0));
    EXPECT_EQ(n.KeyCount(), 585);
    EXPECT_TRUE(n.AddKey(KeyAt(3, 7), 0));
    EXPECT_FLOAT_EQ(n.keys[3].channel[0], 7);
}

TEST(ShowNode, DeleteKeyAndAccessors) {
    ShowNode n;
    n.endFrame = 100;
    for (int i = 0; i < 3; ++i)
        n.AddKey(KeyAt(10 * i, float(i + 1)), 0);
    KeyFrame k;
    EXPECT_FALSE(n.GetKey(3, k));
    EXPECT_FALSE(n.GetKey(-1, k));
    EXPECT_FALSE(n.DeleteKey(3));
    ASSERT_TRUE(n.DeleteKey(1));
    ASSERT_TRUE(n.GetKey(1, k));
    EXPECT_FLOAT_EQ(k.channel[0], 3);
    EXPECT_TRUE(n.PutKey(0, KeyAt(0, 42)));
    EXPECT_FLOAT_EQ(n.keys[0].channel[0], 42);
    EXPECT_FALSE(n.PutKey(2, KeyAt(0)));
    n.DeleteKey(0);
    n.DeleteKey(0);
    EXPECT_EQ(n.keyBytes(), 0);
}

TEST(ShowNode, NamesAreCutAt128Characters) {
    ShowNode n;
    n.SetName(std::string(200, 'x'));
    EXPECT_EQ(n.GetName(), std::string(128, 'x'));
    EXPECT_EQ(n.name[128], 0);
    n.SetName("short");
    EXPECT_EQ(n.GetName(), "short");
    EXPECT_EQ(n.name[6], 0);  // the tail of the old name is gone
    n.SetFileName(std::string(129, 'f'));
    EXPECT_EQ(n.GetFileName(), std::string(128, 'f'));
}

TEST(ShowNode, ChildAtAndMoveChildBefore) {
    ShowNode scene;
    scene.endFrame = 300;
    ShowNode* cams[4];
    for (auto& c : cams) {
        c = NewNode(NodeKind::Camera, 0, 300);
        scene.AddChild(c, false);
    }
    ShowNode* actor = NewNode(NodeKind::Actor, 0, 0);
    ShowNode* sound = NewNode(NodeKind::SoundTrack, 0, 0);
    ShowNode* movie = NewNode(NodeKind::Movie, 0, 0);
    for (ShowNode* c : {actor, sound, movie})
        scene.AddChild(c, true);
    EXPECT_EQ(actor->endFrame, 300);
    EXPECT_EQ(actor->parent, &scene);
    EXPECT_EQ(scene.ChildAt(-1), nullptr);
    EXPECT_EQ(scene.ChildAt(scene.childCount()), nullptr);

    // Before a sound track or a movie: last. Before a camera: just ahead of it. Before a
    // scene: index 3.
    ShowNode stranger;
    stranger.kind = NodeKind::Actor;
    struct Case {
        const char* what;
        ShowNode* child;
        ShowNode* before;
        bool moved;
        int at;
    } cases[] = {
        {"before sound", actor, sound, true, 6},     {"before camera 1", actor, cams[1], true, 1},
        {"before scene", actor, &scene, true, 3},    {"before movie", actor, movie, true, 6},
        {"before nothing", actor, nullptr, true, 6}, {"sound", sound, cams[0], false, 4},
        {"movie", movie, cams[0], false, 5},         {"stranger", &stranger, cams[0], false, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scene.MoveChildBefore(c.child, c.before), c.moved) << c.what;
        EXPECT_EQ(scene.IndexOf(c.child), c.at) << c.what;
    }
    EXPECT_EQ(scene.childCount(), 7);

    scene.RemoveChild(0);
    EXPECT_EQ(scene.childCount(), 6);
    EXPECT_EQ(scene.ChildAt(0), cams[1]);
    cams[1]->Detach();
    EXPECT_EQ(scene.childCount(), 5);
    EXPECT_EQ(scene.ChildAt(0), cams[2]);
}

TEST(ShowNode, SetRangeClampsIntoTheParentAndRecurses) {
    // A scene of 100 .. 400 inside a root of 0 .. 1000; each row starts from there.
    struct Case {
        const char* what;
        int start, end;
        RangeValues values;
        bool editable, ok;
        int wantStart, wantEnd;
    } cases[] = {
        {"offsets", 50, 50, RangeValues::kOffsets, true, true, 150, 450},
        {"clamped and swapped", 1200, 900, RangeValues::kAbsolute, true, true, 900, 1000},
        {"clamped below", -50, 200, RangeValues::kAbsolute, true, true, 0, 200},
        {"empty after clamping", 2000, 3000, RangeValues::kAbsolute, true, false, 100, 400},
        {"empty", 250, 250, RangeValues::kAbsolute, true, false, 100, 400},
        {"-1 keeps the start", -1, 950, RangeValues::kAbsolute, true, true, 100, 950},
        {"-1 keeps the end", 50, -1, RangeValues::kAbsolute, true, true, 50, 400},
        {"not editable", 0, 10, RangeValues::kAbsolute, false, false, 100, 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShowNode root;
        root.endFrame = 1000;
        ShowNode* scene = NewNode(NodeKind::Scene, 100, 400);
        root.AddChild(scene, false);
        ShowNode* track = NewNode(NodeKind::Actor, 100, 400);
        scene->AddChild(track, false);
        if (!c.editable) scene->flags = 0;
        EXPECT_EQ(
            scene->SetRange(c.start, c.end, c.values, KeyTiming::kKeep, RangeChildren::kFollow),
            c.ok);
        EXPECT_EQ(scene->startFrame, c.wantStart);
        EXPECT_EQ(scene->endFrame, c.wantEnd);
        // The track follows the scene (its own parent's range is the new one).
        EXPECT_EQ(track->startFrame, c.wantStart);
        EXPECT_EQ(track->endFrame, c.wantEnd);
    }
}

TEST(ShowNode, CopyFromSharesChildrenAndCopiesKeysAndSet) {
    ShowNode scene;
    scene.endFrame = 100;
    scene.AddKey(KeyAt(0, 1), 0);
    scene.set = std::make_unique<Set>();
    scene.set->AddPanel(SetPanel{});
    ShowNode* child = NewNode(NodeKind::Actor, 0, 100);
    scene.AddChild(child, false);

    ShowNode snap;
    snap.CopyFrom(scene);
    EXPECT_EQ(snap.ChildAt(0), child);
    ASSERT_NE(snap.set, nullptr);
    EXPECT_NE(snap.set.get(), scene.set.get());
    EXPECT_EQ(snap.set->panelCount(), 1);
    scene.keys[0].channel[0] = 5;
    EXPECT_FLOAT_EQ(snap.keys[0].channel[0], 1);
    snap.ReleaseChildren();  // the snapshot does not own the child
}

TEST(Set, PanelOperations) {
    Set s;
    SetPanel p;
    s.AddPanel(p).selected = 1;
    s.AddPanel(p);
    EXPECT_EQ(s.panelCount(), 2);
    EXPECT_TRUE(s.AnySelected());
    s.SelectAll(false);
    EXPECT_FALSE(s.AnySelected());
    EXPECT_FALSE(s.DeletePanel(2));
    EXPECT_EQ(s.dirty, 0);
    EXPECT_TRUE(s.DeletePanel(0));
    EXPECT_EQ(s.dirty, 1);
    s.path = "x.set";
    auto copy = s.CopySet();
    EXPECT_EQ(copy->path, "x.set");
    EXPECT_EQ(copy->dirty, 1);
    s.Clear();
    EXPECT_EQ(s.panelCount(), 0);
    EXPECT_EQ(s.dirty, 0);
    EXPECT_TRUE(s.path.empty());
    EXPECT_EQ(copy->panelCount(), 1);
}
