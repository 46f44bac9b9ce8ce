#pragma once
// The one record type of the show tree. The root is the show, its children the scenes in time
// order, a scene's children its tracks. A node owns its children, its key list, its set and
// (shared with undo snapshots) its media object.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "KeyFrame.h"
#include "Set.h"

namespace quillon {

enum class NodeKind : uint8_t {
    Movie = 0,
    SoundTrack = 1,
    Actor = 2,
    Scene = 4,  // also the root, and any node as first constructed
    Script = 5,
    Camera = 6,
};

// What a node's file turned into once loaded (a picture, a movie source). Owned by the node;
// undo snapshots share it.
class NodeMedia {
  public:
    virtual ~NodeMedia() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
};

// How SetRange reads its numbers and what it does to keys and children.
enum class RangeValues { kOffsets, kAbsolute };
enum class KeyTiming { kKeep, kStretch };
enum class RangeChildren { kLeave, kFollow };

constexpr int kNodeTextBytes = 129;  // name and fileName: at most 128 characters
constexpr uint16_t kSelected = 1;
constexpr uint16_t kRangeEditable = 2;
constexpr uint8_t kStraightMotion = 16;  // motionMode bit 4
constexpr int kMaxChildren = 32767;      // childCount is a signed 16-bit field

class ShowNode {
  public:
    ShowNode();
    ~ShowNode();
    ShowNode(const ShowNode&) = delete;
    ShowNode& operator=(const ShowNode&) = delete;

    std::shared_ptr<NodeMedia> media;
    std::vector<ShowNode*> children;  // owned, exactly childCount long
    uint32_t reserved = 0;
    char name[kNodeTextBytes] = {};
    char fileName[kNodeTextBytes] = {};
    ShowNode* parent = nullptr;
    int32_t startFrame = 0;
    int32_t endFrame = 0;
    uint16_t flags = kRangeEditable;
    std::vector<KeyFrame> keys;  // sorted by frame; at most kMaxKeys
    NodeKind kind = NodeKind::Scene;
    uint8_t motionMode = 0;
    KeyFrame pose{};
    float aspect = 1.0f;
    int32_t textureSlot = -1;  // -1: no texture
    int32_t keyColor = -1;
    uint16_t pictureWidth = 0;
    std::unique_ptr<Set> set;

    // Identity that survives pointer reuse: the undo ring checks it before restoring.
    uint64_t serial() const { return serial_; }

    int childCount() const { return static_cast<int>(children.size()); }
    int keyBytes() const { return static_cast<int>(keys.size()) * kKeyFrameBytes; }
    bool selected() const { return (flags & kSelected) != 0; }
    void setSelected(bool on) { flags = on ? (flags | kSelected) : (flags & ~kSelected); }
    bool rangeEditable() const { return (flags & kRangeEditable) != 0; }
    bool Is(NodeKind k) const { return kind == k; }
    int length() const { return static_cast<int>(int64_t(endFrame) - startFrame); }

    // --- tree ---
    ShowNode* ChildAt(int i) const;
    int IndexOf(const ShowNode* child) const;
    // Takes ownership of child. With takeRange the child takes this node's range. False (and
    // the child is not taken) when the node already has the most children a file can record.
    bool AddChild(ShowNode* child, bool takeRange);
    // Deletes the child at i with its whole subtree.
    void RemoveChild(int i);
    // Removes this node from its parent and deletes it; `this` is gone afterwards.
    void Detach();
    // Reorders a scene's tracks (see the rules in the .cpp); false when refused.
    bool MoveChildBefore(ShowNode* child, ShowNode* before);
    // Gives up the children without deleting them (undo snapshots share their children).
    void ReleaseChildren() { children.clear(); }

    // Moves or stretches the range. start/end of -1 keep the current value; as kOffsets they
    // are added to the present ends. kStretch rescales the key timing to the new length;
    // kFollow gives every child the same change. Refused (false) unless rangeEditable, or when
    // the range clamped into the parent's is empty.
    bool SetRange(int start, int end, RangeValues values, KeyTiming keys = KeyTiming::kKeep,
                  RangeChildren children = RangeChildren::kLeave);

    void SetName(std::string_view text);
    std::string GetName() const;
    void SetFileName(std::string_view text);
    std::string GetFileName() const;

    // Deep copy for undo: fields, own copies of keys and set, the children pointer array
    // (not the children) and the shared media.
    void CopyFrom(const ShowNode& other);

    // --- key list ---
    int KeyCount() const { return static_cast<int>(keys.size()); }
    int FindKey(int absoluteFrame, int tolerance) const;
    bool GetKey(int i, KeyFrame& out) const;
    bool PutKey(int i, const KeyFrame& in);
    // key.frame is relative. Replaces a key within tolerance, else inserts and normalises.
    // False when the frame lies outside [startFrame, endFrame) or the node is full.
    bool AddKey(const KeyFrame& key, int tolerance);
    bool DeleteKey(int i);

  private:
    void NormaliseKeys();
    uint64_t serial_;
};

// Copies text into a 129-byte field: longer text is cut to 128 characters, the rest zeroed.
void SetBoundedText(char (&field)[kNodeTextBytes], std::string_view text);
std::string BoundedText(const char (&field)[kNodeTextBytes]);

}  // namespace quillon
