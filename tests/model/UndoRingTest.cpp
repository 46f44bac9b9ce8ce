// The undo ring on its own: its counts and wrapping, redo, and the entries it refuses because
// their nodes were deleted or gained children since.
#include <gtest/gtest.h>

#include "model/ShowNode.h"
#include "model/UndoRing.h"

using namespace quillon;

namespace {

// A root with one scene of two actors.
struct Tree {
    Tree() {
        scene = new ShowNode;
        scene->endFrame = 100;
        root.AddChild(scene, false);
        for (int i = 0; i < 2; ++i) {
            auto* a = new ShowNode;
            a->kind = NodeKind::Actor;
            scene->AddChild(a, true);
            EXPECT_TRUE(a->AddKey(KeyFrame{}, 0));
        }
    }
    ShowNode& Actor(int i) { return *scene->children[i]; }
    ShowNode root;
    ShowNode* scene;
};

}  // namespace

TEST(UndoRing, WrapsAtSixteenAndKeepsFifteen) {
    Tree t;
    UndoRing ring;
    ShowNode& actor = t.Actor(0);
    EXPECT_EQ(ring.Undo(t.root), nullptr);  // nothing to undo: harmless
    // index after each of 20 pushes: 0, 1, ... 15, 0, 1, 2, 3; counts stop at 15.
    for (int i = 1; i <= 20; ++i) {
        ring.Push(actor);
        actor.keys[0].eastWest() = float(i);
        EXPECT_EQ(ring.index(), (i - 1) % 16) << i;
        EXPECT_EQ(ring.undoCount(), std::min(i, 15)) << i;
    }
    for (int i = 0; i < 20; ++i)
        ring.Undo(t.root);
    EXPECT_EQ(ring.undoCount(), 0);
    EXPECT_EQ(ring.redoCount(), 15);
    EXPECT_FLOAT_EQ(actor.keys[0].eastWest(), 5.0f);  // the last 15 edits undone
    // Redo walks forward over the same ring.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ring.Redo(t.root), &actor);
    EXPECT_FLOAT_EQ(actor.keys[0].eastWest(), 8.0f);
    EXPECT_EQ(ring.redoCount(), 12);
    EXPECT_EQ(ring.Undo(t.root), &actor);
    EXPECT_FLOAT_EQ(actor.keys[0].eastWest(), 7.0f);
    // A new edit ends the redo chain.
    ring.Push(actor);
    EXPECT_EQ(ring.redoCount(), 0);
    EXPECT_EQ(ring.Redo(t.root), nullptr);
    EXPECT_FLOAT_EQ(actor.keys[0].eastWest(), 7.0f);
}

TEST(UndoRing, BelowTheFirstSlotItStopsAtZeroUntilItHasGoneRound) {
    Tree t;
    UndoRing ring;
    ring.Push(t.Actor(0));
    ring.Undo(t.root);
    EXPECT_EQ(ring.index(), 0);
    // Once round the ring (17 entries, the newest in slot 0), undo steps from 0 back to 15.
    ring.Clear();
    for (int i = 0; i < 17; ++i)
        ring.Push(t.Actor(i % 2));
    ASSERT_EQ(ring.index(), 0);
    ring.Undo(t.root);
    EXPECT_EQ(ring.index(), 15);
}

TEST(UndoRing, NeverRestoresDeletedNodes) {
    Tree t;
    UndoRing ring;
    ring.Push(*t.scene);  // shares the scene's children, actor 1 among them
    ring.Push(t.Actor(1));
    t.scene->RemoveChild(1);
    EXPECT_EQ(ring.Undo(t.root), nullptr);  // the actor's own entry: gone
    EXPECT_EQ(ring.Undo(t.root), nullptr);  // would bring the deleted actor back: refused
    EXPECT_EQ(t.scene->childCount(), 1);
    EXPECT_EQ(ring.redoCount(), 2);
    EXPECT_EQ(ring.Redo(t.root), nullptr);
}

TEST(UndoRing, NeverOrphansNodesAddedSince) {
    Tree t;
    UndoRing ring;
    ring.Push(*t.scene);
    auto* late = new ShowNode;
    late->kind = NodeKind::Actor;
    t.scene->AddChild(late, false);
    EXPECT_EQ(ring.Undo(t.root), nullptr);
    EXPECT_EQ(t.scene->childCount(), 3);
    // Reordering the same children does not stand in the way, and the set comes back.
    t.scene->set = std::make_unique<Set>();
    ring.Push(*t.scene);
    t.scene->set->AddPanel(SetPanel{});
    t.scene->keys.clear();
    ASSERT_TRUE(t.scene->MoveChildBefore(late, t.scene->children[0]));
    EXPECT_EQ(ring.Undo(t.root), t.scene);
    EXPECT_EQ(t.scene->set->panelCount(), 0);
    EXPECT_EQ(t.scene->children[2], late);
    EXPECT_EQ(t.scene->parent, &t.root);
    for (const ShowNode* c : t.scene->children)
        EXPECT_EQ(c->parent, t.scene);
}
