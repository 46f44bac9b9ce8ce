#include "UndoRing.h"

#include <algorithm>
#include <unordered_map>

#include "ShowNode.h"

namespace quillon {

namespace {

void CollectLive(const ShowNode& n, std::unordered_map<const ShowNode*, uint64_t>& live) {
    live.emplace(&n, n.serial());
    for (const ShowNode* c : n.children)
        CollectLive(*c, live);
}

}  // namespace

UndoRing::UndoRing() {
    for (Slot& s : slots_)
        s.snapshot = std::make_unique<ShowNode>();
}

UndoRing::~UndoRing() {
    // Snapshots share their children with live nodes; they never own them.
    for (Slot& s : slots_)
        s.snapshot->ReleaseChildren();
}

void UndoRing::Clear() {
    for (Slot& s : slots_) {
        s.snapshot->ReleaseChildren();
        s.snapshot = std::make_unique<ShowNode>();
        s.target = nullptr;
        s.targetSerial = 0;
        s.childSerials.clear();
    }
    index_ = -1;
    undoCount_ = 0;
    redoCount_ = 0;
    redoSlots_.clear();
}

void UndoRing::Push(ShowNode& node) {
    index_ = (index_ + 1) % kSlots;
    Slot& slot = slots_[index_];
    slot.snapshot->ReleaseChildren();
    slot.snapshot->CopyFrom(node);
    slot.target = &node;
    slot.targetSerial = node.serial();
    slot.childSerials.clear();
    for (const ShowNode* c : node.children)
        slot.childSerials.push_back(c->serial());
    undoCount_ = std::min(undoCount_ + 1, kMaxCount);
    redoCount_ = 0;
    redoSlots_.clear();
}

bool UndoRing::Restorable(const Slot& slot, const ShowNode& root) const {
    if (!slot.target) return false;
    std::unordered_map<const ShowNode*, uint64_t> live;
    CollectLive(root, live);
    auto alive = [&live](const ShowNode* n, uint64_t serial) {
        const auto it = live.find(n);
        return it != live.end() && it->second == serial;
    };
    if (!alive(slot.target, slot.targetSerial)) return false;
    const auto& kids = slot.snapshot->children;
    if (kids.size() != slot.childSerials.size()) return false;
    for (size_t i = 0; i < kids.size(); ++i)
        if (!alive(kids[i], slot.childSerials[i])) return false;
    // Children added since would lose their owner: the node must hold the same children, in
    // any order.
    std::vector<const ShowNode*> then(kids.begin(), kids.end());
    std::vector<const ShowNode*> now(slot.target->children.begin(), slot.target->children.end());
    std::sort(then.begin(), then.end());
    std::sort(now.begin(), now.end());
    return then == now;
}

void UndoRing::Swap(Slot& slot) {
    ShowNode* target = slot.target;
    auto current = std::make_unique<ShowNode>();
    current->CopyFrom(*target);
    ShowNode* parent = target->parent;
    const uint64_t serial = target->serial();
    target->CopyFrom(*slot.snapshot);
    target->parent = parent;
    for (ShowNode* c : target->children)
        c->parent = target;
    slot.snapshot->ReleaseChildren();
    slot.snapshot = std::move(current);
    slot.targetSerial = serial;
    slot.childSerials.clear();
    for (const ShowNode* c : slot.snapshot->children)
        slot.childSerials.push_back(c->serial());
}

ShowNode* UndoRing::Undo(const ShowNode& root) {
    if (index_ < 0 || undoCount_ == 0) return nullptr;
    Slot& slot = slots_[index_];
    const int undone = index_;
    ShowNode* restored = nullptr;
    if (Restorable(slot, root)) {
        Swap(slot);
        restored = slot.target;
    } else {
        slot.target = nullptr;  // its node is gone: never restore this entry
    }
    // Back one slot; below 0 the ring wraps to its last slot only once it has gone round.
    index_ = index_ - 1;
    if (index_ < 0) index_ = undoCount_ >= 2 ? kSlots - 1 : 0;
    redoCount_ = std::min(redoCount_ + 1, kMaxCount);
    undoCount_ = std::max(undoCount_ - 1, 0);
    redoSlots_.push_back(restored ? undone : -1);
    return restored;
}

ShowNode* UndoRing::Redo(const ShowNode& root) {
    if (redoCount_ <= 0 || redoSlots_.empty()) return nullptr;
    const int slotIndex = redoSlots_.back();
    redoSlots_.pop_back();
    --redoCount_;
    if (slotIndex < 0) return nullptr;  // the undo it stands for restored nothing
    Slot& slot = slots_[slotIndex];
    ShowNode* changed = nullptr;
    if (Restorable(slot, root)) {
        Swap(slot);
        changed = slot.target;
    }
    index_ = slotIndex;
    undoCount_ = std::min(undoCount_ + 1, kMaxCount);
    return changed;
}

}  // namespace quillon
