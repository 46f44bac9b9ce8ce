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

TEST(ShowNode, NewNodeDefaults) {
    ShowNode n;
    EXPECT_EQ(n.kind, NodeKind::Scene);
    EXPECT_EQ(n.flags, 2);
    EXPECT_EQ(n.keyColor, -1);
    EXPECT_FLOAT_EQ(n.aspect, 1.0f);
    EXPECT_EQ(n.childCount(), 0);
    EXPECT_EQ(n.KeyCount(), 0);
    EXPECT_EQ(n.motionMode, 0);
}

TEST(ShowNode, KeyListInvariants) {
    ShowNode n;
    n.startFrame = 100;
    n.endFrame = 200;
    // Out of order insertion ends sorted.
    ASSERT_TRUE(n.AddKey(KeyAt(50, 5), 0));
    ASSERT_TRUE(n.AddKey(KeyAt(10, 1, 10), 0));
    ASSERT_TRUE(n.AddKey(KeyAt(14, 2, -1), 0));
    ASSERT_EQ(n.KeyCount(), 3);
    EXPECT_EQ(n.keys[0].frame, 10);
    EXPECT_EQ(n.keys[1].frame, 14);
    EXPECT_EQ(n.keys[2].frame, 50);
    // A hold of 10 before a key 4 frames later is cut to 4; -1 stays.
    EXPECT_EQ(n.keys[0].hold, 4);
    EXPECT_EQ(n.keys[1].hold, -1);
    EXPECT_EQ(n.keyBytes(), 3 * 56);

    // Within tolerance: values replaced, the old frame kept.
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

TEST(ShowNode, KeysPastTheLengthGoOnNextInsertion) {
    ShowNode n;
    n.endFrame = 100;
    ASSERT_TRUE(n.AddKey(KeyAt(0), 0));
    ASSERT_TRUE(n.AddKey(KeyAt(80), 0));
    n.endFrame = 50;  // range shortened behind the list's back
    EXPECT_EQ(n.KeyCount(), 2);
    ASSERT_TRUE(n.AddKey(KeyAt(20), 0));
    ASSERT_EQ(n.KeyCount(), 2);
    EXPECT_EQ(n.keys[1].frame, 20);
}

TEST(ShowNode, RefusesThe586thKey) {
    ShowNode n;
    n.endFrame = 10000;
    for (int i = 0; i < kMaxKeys; ++i)
        ASSERT_TRUE(n.AddKey(KeyAt(i), 0)) << i;
    EXPECT_EQ(n.keyBytes(), 32760);
    EXPECT_FALSE(n.AddKey(KeyAt(9000), 0));
    EXPECT_EQ(n.KeyCount(), kMaxKeys);
    // Replacing an existing key is still allowed.
    EXPECT_TRUE(n.AddKey(KeyAt(3, 7), 0));
    EXPECT_FLOAT_EQ(n.keys[3].channel[0], 7);
}

TEST(ShowNode, DeleteKeyAndAccessors) {
    ShowNode n;
    n.endFrame = 100;
    n.AddKey(KeyAt(0, 1), 0);
    n.AddKey(KeyAt(10, 2), 0);
    n.AddKey(KeyAt(20, 3), 0);
    KeyFrame k;
    EXPECT_FALSE(n.GetKey(3, k));
    EXPECT_FALSE(n.GetKey(-1, k));
    EXPECT_FALSE(n.DeleteKey(3));
    ASSERT_TRUE(n.DeleteKey(1));
    ASSERT_TRUE(n.GetKey(1, k));
    EXPECT_FLOAT_EQ(k.channel[0], 3);
    EXPECT_TRUE(n.PutKey(0, KeyAt(0, 42)));
    EXPECT_FLOAT_EQ(n.keys[0].channel[0], 42);
    n.DeleteKey(0);
    n.DeleteKey(0);
    EXPECT_EQ(n.KeyCount(), 0);
    EXPECT_EQ(n.keyBytes(), 0);
}

TEST(ShowNode, NamesAreCutAt128Characters) {
    ShowNode n;
    n.SetName(std::string(200, 'x'));
    EXPECT_EQ(n.GetName(), std::string(128, 'x'));
    EXPECT_EQ(n.name[128], 0);
    n.SetFileName("C:\\pics\\a.bmp");
    EXPECT_EQ(n.GetFileName(), "C:\\pics\\a.bmp");
    n.SetName("short");
    EXPECT_EQ(n.GetName(), "short");
    EXPECT_EQ(n.name[6], 0);  // the tail of the old name is gone
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
    scene.AddChild(actor, true);
    scene.AddChild(sound, true);
    scene.AddChild(movie, true);
    EXPECT_EQ(actor->endFrame, 300);
    EXPECT_EQ(actor->parent, &scene);
    EXPECT_EQ(scene.ChildAt(-1), nullptr);
    EXPECT_EQ(scene.ChildAt(scene.childCount()), nullptr);

    // Before a sound track means last.
    EXPECT_TRUE(scene.MoveChildBefore(actor, sound));
    EXPECT_EQ(scene.ChildAt(6), actor);
    // Before a camera: just ahead of it.
    EXPECT_TRUE(scene.MoveChildBefore(actor, cams[1]));
    EXPECT_EQ(scene.ChildAt(1), actor);
    EXPECT_EQ(scene.ChildAt(2), cams[1]);
    // Before a scene: index 3.
    EXPECT_TRUE(scene.MoveChildBefore(actor, &scene));
    EXPECT_EQ(scene.ChildAt(3), actor);
    // Sound tracks, movies and scenes do not move; strangers are not found.
    EXPECT_FALSE(scene.MoveChildBefore(sound, cams[0]));
    EXPECT_FALSE(scene.MoveChildBefore(movie, cams[0]));
    ShowNode stranger;
    stranger.kind = NodeKind::Actor;
    EXPECT_FALSE(scene.MoveChildBefore(&stranger, cams[0]));
    EXPECT_EQ(scene.childCount(), 7);

    scene.RemoveChild(0);
    EXPECT_EQ(scene.childCount(), 6);
    EXPECT_EQ(scene.ChildAt(0), cams[1]);
    cams[1]->Detach();
    EXPECT_EQ(scene.childCount(), 5);
}

TEST(ShowNode, SetRangeClampsIntoParentAndRecurses) {
    ShowNode root;
    root.endFrame = 1000;
    ShowNode* scene = NewNode(NodeKind::Scene, 100, 400);
    root.AddChild(scene, false);
    ShowNode* track = NewNode(NodeKind::Actor, 100, 400);
    scene->AddChild(track, false);

    // Offsets move the scene and, with recurse, its track by the same amount.
    EXPECT_TRUE(
        scene->SetRange(50, 50, RangeValues::kOffsets, KeyTiming::kKeep, RangeChildren::kFollow));
    EXPECT_EQ(scene->startFrame, 150);
    EXPECT_EQ(scene->endFrame, 450);
    EXPECT_EQ(track->startFrame, 150);
    EXPECT_EQ(track->endFrame, 450);

    // Clamped into the parent's range, swapped when reversed.
    EXPECT_TRUE(scene->SetRange(1200, 900, RangeValues::kAbsolute));
    EXPECT_EQ(scene->startFrame, 900);
    EXPECT_EQ(scene->endFrame, 1000);
    // An empty result is refused.
    EXPECT_FALSE(scene->SetRange(2000, 3000, RangeValues::kAbsolute));
    EXPECT_EQ(scene->startFrame, 900);
    // -1 keeps the current value.
    EXPECT_TRUE(scene->SetRange(-1, 950, RangeValues::kAbsolute));
    EXPECT_EQ(scene->startFrame, 900);
    EXPECT_EQ(scene->endFrame, 950);
    // Nothing happens unless the range is editable.
    scene->flags = 0;
    EXPECT_FALSE(scene->SetRange(0, 10, RangeValues::kAbsolute));
    EXPECT_EQ(scene->endFrame, 950);
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
