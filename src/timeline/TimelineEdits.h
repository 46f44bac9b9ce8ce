#pragma once
// What a drop on the timeline does to the show: ranges set through the nodes' set-range
// operation (kept inside their scene, keys stretched with "&Scale Keys"), tracks reordered
// through move-item, key frames moved or deleted, and the key fix-ups after the key dialog.
// Each change is recorded for undo first.

#include <cstdint>
#include <vector>

#include "timeline/TimelineHits.h"

namespace quillon {

class Document;
class ShowNode;

// A drop of kinds 1 to 3. a is the item under the press, b the item under the drop point on
// the press's row. The same item: kStartEdge makes newStart the start of every selected scene
// and track, kEndEdge newEnd their end, kWhole shifts them by shift frames; selected scenes
// carry their tracks along. Different items: a moves before b in its scene. A drop on a scene
// bar from a track row (pressBelowSceneRows) does nothing. True when the show changed.
struct RangeDrop {
    DragKind kind = DragKind::kNone;
    int newStart = 0;
    int newEnd = 0;
    int shift = 0;
    bool pressBelowSceneRows = false;
};
bool ApplyRangeDrop(Document& doc, ShowNode* a, ShowNode* b, const RangeDrop& drop);

// Moves owner's key `index` to show frame `frame`: the first key never moves; a key taken to
// the track's end or past it, or to within 3 frames of its start, is deleted. Keys are sorted
// again. Returns the key's new show frame, or nothing when nothing moved.
struct KeyMove {
    bool moved = false;
    bool deleted = false;
    int frame = 0;
};
KeyMove MoveKeyFrame(Document& doc, ShowNode& owner, int index, int frame);

// After the key dialog: the first key's frame goes back to 0; any other key whose new frame is
// below 1 or not below the track's length gets its old frame back; keys are sorted again.
void FixKeysAfterDialog(ShowNode& owner, const std::vector<int32_t>& oldFrames);

}  // namespace quillon
