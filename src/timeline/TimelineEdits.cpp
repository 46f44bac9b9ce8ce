#include "timeline/TimelineEdits.h"

#include <algorithm>

#include "model/Document.h"
#include "model/ShowNode.h"

namespace quillon {

namespace {

constexpr int kKeyNearStart = 3;

void SortKeys(ShowNode& node) {
    std::stable_sort(node.keys.begin(), node.keys.end(),
                     [](const KeyFrame& a, const KeyFrame& b) { return a.frame < b.frame; });
}

// A selected scene moves with its tracks; each is recorded so that undo can bring every one
// back (the newest first: the scene).
bool SetRangeOf(Document& doc, ShowNode& node, const RangeDrop& drop, KeyTiming keys) {
    const bool scene = node.Is(NodeKind::Scene);
    if (scene)
        for (ShowNode* track : node.children)
            doc.PushUndo(track);
    doc.PushUndo(&node);
    const RangeChildren children = scene ? RangeChildren::kFollow : RangeChildren::kLeave;
    switch (drop.kind) {
        case DragKind::kStartEdge:
            return node.SetRange(drop.newStart, -1, RangeValues::kAbsolute, keys, children);
        case DragKind::kEndEdge:
            return node.SetRange(-1, drop.newEnd, RangeValues::kAbsolute, keys, children);
        case DragKind::kWhole:
            return node.SetRange(drop.shift, drop.shift, RangeValues::kOffsets, keys, children);
        default:
            return false;
    }
}

}  // namespace

bool ApplyRangeDrop(Document& doc, ShowNode* a, ShowNode* b, const RangeDrop& drop) {
    if (!a || !b) return false;
    if (b->Is(NodeKind::Scene) && drop.pressBelowSceneRows) return false;
    if (a != b) {
        ShowNode* scene = a->parent;
        if (!scene || a->Is(NodeKind::Scene)) return false;
        doc.PushUndo(scene);
        const bool moved = scene->MoveChildBefore(a, b);
        doc.NotifyChanged({.aspects = DocumentChange::kNodes, .nodes = {a}});
        return moved;
    }
    const KeyTiming keys = doc.settings().scaleKeys ? KeyTiming::kStretch : KeyTiming::kKeep;
    std::vector<const ShowNode*> changed;
    for (ShowNode* scene : doc.root().children) {
        if (scene->selected()) {
            if (SetRangeOf(doc, *scene, drop, keys)) changed.push_back(scene);
            continue;
        }
        for (ShowNode* track : scene->children)
            if (track->selected() && SetRangeOf(doc, *track, drop, keys)) changed.push_back(track);
    }
    if (changed.empty()) return false;
    doc.NotifyChanged(
        {.aspects = DocumentChange::kRange | DocumentChange::kKeys, .nodes = changed});
    return true;
}

KeyMove MoveKeyFrame(Document& doc, ShowNode& owner, int index, int frame) {
    KeyMove result;
    if (index <= 0 || index >= owner.KeyCount()) return result;
    doc.PushUndo(&owner);
    result.moved = true;
    if (int64_t(frame) >= owner.endFrame ||
        int64_t(frame) < int64_t(owner.startFrame) + kKeyNearStart) {
        owner.keys.erase(owner.keys.begin() + index);
        result.deleted = true;
        result.frame = frame;
    } else {
        owner.keys[size_t(index)].frame = frame - owner.startFrame;
        SortKeys(owner);
        result.frame = frame;
    }
    doc.NotifyChanged({.aspects = DocumentChange::kKeys, .nodes = {&owner}});
    return result;
}

void FixKeysAfterDialog(ShowNode& owner, const std::vector<int32_t>& oldFrames) {
    if (owner.keys.empty()) return;
    owner.keys[0].frame = 0;
    const int length = owner.length();
    for (size_t i = 1; i < owner.keys.size() && i < oldFrames.size(); ++i) {
        KeyFrame& k = owner.keys[i];
        if (k.frame < 1 || k.frame >= length) k.frame = oldFrames[i];
    }
    SortKeys(owner);
}

}  // namespace quillon
