#pragma once
// The sixteen-slot undo ring. Each entry is a snapshot of one node (its fields, keys, set and
// the pointers to its children, which the snapshot shares with the tree) and the live node it
// was taken from. Undo copies the newest snapshot back into its node; redo swaps it back again.
//
// Snapshots share children with the live tree, so an entry is restored only while its node and
// every child it knew are still alive in the tree and no child has joined the node since;
// otherwise the entry is dropped (restoring it would bring deleted nodes back or orphan new
// ones). The ring never owns or frees a live node.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace quillon {

class ShowNode;

class UndoRing {
  public:
    static constexpr int kSlots = 16;
    // undoCount and redoCount never exceed this.
    static constexpr int kMaxCount = kSlots - 1;

    UndoRing();
    ~UndoRing();
    UndoRing(const UndoRing&) = delete;
    UndoRing& operator=(const UndoRing&) = delete;

    // Takes a snapshot of node into the next slot; ends any redo chain.
    void Push(ShowNode& node);
    // Restores the newest entry into its node when that is safe (see above) and steps back.
    // Returns the node restored, or null when there was nothing to undo or the entry was
    // dropped. root is the live tree the nodes must still belong to.
    ShowNode* Undo(const ShowNode& root);
    // Re-applies the entry the last undo restored. Returns the node changed, or null.
    ShowNode* Redo(const ShowNode& root);
    // Forgets every entry (a new or opened show).
    void Clear();

    int index() const { return index_; }
    int undoCount() const { return undoCount_; }
    int redoCount() const { return redoCount_; }

  private:
    struct Slot {
        std::unique_ptr<ShowNode> snapshot;
        ShowNode* target = nullptr;
        uint64_t targetSerial = 0;
        std::vector<uint64_t> childSerials;
    };
    bool Restorable(const Slot& slot, const ShowNode& root) const;
    // Exchanges the snapshot with the node's present state.
    void Swap(Slot& slot);

    std::array<Slot, kSlots> slots_;
    int index_ = -1;
    int undoCount_ = 0;
    int redoCount_ = 0;
    std::vector<int> redoSlots_;  // slots undone, most recent last; -1 for a dropped entry
};

}  // namespace quillon
