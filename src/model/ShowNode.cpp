#include "ShowNode.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "Motion.h"

namespace quillon {

namespace {
std::atomic<uint64_t> g_nextSerial{1};

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

KeyFrame DefaultCameraKey(bool rostrumMode) {
    KeyFrame k;
    k.eastWest() = 200.0f;
    k.northSouth() = 200.0f;
    k.width() = 25.0f;
    k.upDown() = 48.0f;
    if (rostrumMode) {
        k.upDown() = 200.0f;
        k.tilt() = -90.0f;
    }
    return k;
}

void SetBoundedText(char (&field)[kNodeTextBytes], std::string_view text) {
    const size_t n = std::min<size_t>(text.size(), kNodeTextBytes - 1);
    std::memset(field, 0, kNodeTextBytes);
    std::memcpy(field, text.data(), n);
}

std::string BoundedText(const char (&field)[kNodeTextBytes]) {
    return std::string(field, strnlen(field, kNodeTextBytes - 1));
}

ShowNode::ShowNode() : serial_(g_nextSerial.fetch_add(1)) {}

ShowNode::~ShowNode() {
    for (ShowNode* c : children)
        delete c;
}

ShowNode* ShowNode::ChildAt(int i) const {
    if (i < 0 || i >= childCount()) return nullptr;
    return children[i];
}

int ShowNode::IndexOf(const ShowNode* child) const {
    for (int i = 0; i < childCount(); ++i)
        if (children[i] == child) return i;
    return -1;
}

bool ShowNode::AddChild(ShowNode* child, bool takeRange) {
    if (!child) return false;
    children.push_back(child);
    child->parent = this;
    if (takeRange) {
        child->startFrame = startFrame;
        child->endFrame = endFrame;
    }
    return true;
}

void ShowNode::RemoveChild(int i) {
    if (i < 0 || i >= childCount()) return;
    ShowNode* c = children[i];
    children.erase(children.begin() + i);
    children.shrink_to_fit();
    delete c;
}

void ShowNode::Detach() {
    if (!parent) return;
    const int i = parent->IndexOf(this);
    if (i >= 0) parent->RemoveChild(i);
}

bool ShowNode::MoveChildBefore(ShowNode* child, ShowNode* before) {
    const int from = IndexOf(child);
    if (from < 0) return false;
    if (child->Is(NodeKind::Movie) || child->Is(NodeKind::SoundTrack) || child->Is(NodeKind::Scene))
        return false;
    children.erase(children.begin() + from);
    int to = childCount();
    if (before && !before->Is(NodeKind::SoundTrack) && !before->Is(NodeKind::Movie)) {
        if (before->Is(NodeKind::Scene)) {
            to = std::min(3, childCount());
        } else {
            const int at = IndexOf(before);
            if (at >= 0) to = at;
        }
    }
    children.insert(children.begin() + to, child);
    return true;
}

bool ShowNode::SetRange(int start, int end, RangeValues values, KeyTiming keys,
                        RangeChildren children) {
    int64_t s = start == -1 ? startFrame : start;
    int64_t e = end == -1 ? endFrame : end;
    if (values == RangeValues::kOffsets) {
        s += startFrame;
        e += endFrame;
    }
    if (!rangeEditable()) return false;
    if (parent) {
        s = std::clamp<int64_t>(s, parent->startFrame,
                                std::max(parent->startFrame, parent->endFrame));
        e = std::clamp<int64_t>(e, parent->startFrame,
                                std::max(parent->startFrame, parent->endFrame));
    }
    if (s > e) std::swap(s, e);
    if (s == e) return false;
    const int oldLength = length();
    startFrame = ClampToInt32(s);
    endFrame = ClampToInt32(e);
    if (keys == KeyTiming::kStretch && length() != oldLength) ScaleKeys(*this, oldLength, length());
    if (children == RangeChildren::kFollow)
        for (ShowNode* c : this->children)
            c->SetRange(start, end, values, keys, children);
    return true;
}

void ShowNode::SetName(std::string_view text) {
    SetBoundedText(name, text);
}
std::string ShowNode::GetName() const {
    return BoundedText(name);
}
void ShowNode::SetFileName(std::string_view text) {
    SetBoundedText(fileName, text);
}
std::string ShowNode::GetFileName() const {
    return BoundedText(fileName);
}

void ShowNode::CopyFrom(const ShowNode& other) {
    if (&other == this) return;
    media = other.media;
    children = other.children;
    reserved = other.reserved;
    std::memcpy(name, other.name, kNodeTextBytes);
    std::memcpy(fileName, other.fileName, kNodeTextBytes);
    parent = other.parent;
    startFrame = other.startFrame;
    endFrame = other.endFrame;
    flags = other.flags;
    keys = other.keys;
    kind = other.kind;
    motionMode = other.motionMode;
    pose = other.pose;
    aspect = other.aspect;
    textureSlot = other.textureSlot;
    keyColor = other.keyColor;
    pictureWidth = other.pictureWidth;
    set = other.set ? other.set->CopySet() : nullptr;
}

int ShowNode::FindKey(int absoluteFrame, int tolerance) const {
    const int64_t rel = int64_t(absoluteFrame) - startFrame;
    for (int i = 0; i < KeyCount(); ++i) {
        const int64_t d = int64_t(keys[i].frame) - rel;
        if (d >= -int64_t(tolerance) && d <= int64_t(tolerance)) return i;
    }
    return -1;
}

bool ShowNode::GetKey(int i, KeyFrame& out) const {
    if (i < 0 || i >= KeyCount()) return false;
    out = keys[i];
    return true;
}

bool ShowNode::PutKey(int i, const KeyFrame& in) {
    if (i < 0 || i >= KeyCount()) return false;
    keys[i] = in;
    return true;
}

bool ShowNode::AddKey(const KeyFrame& key, int tolerance) {
    const int64_t absolute = int64_t(key.frame) + startFrame;
    if (absolute < startFrame || absolute >= endFrame) return false;
    const int found = FindKey(static_cast<int>(absolute), tolerance);
    if (found >= 0) {
        KeyFrame& k = keys[found];
        k.channel = key.channel;
        k.hold = key.hold;
        k.act = key.act;
        return true;
    }
    if (KeyCount() >= kMaxKeys) return false;
    keys.push_back(key);
    NormaliseKeys();
    return true;
}

void ShowNode::NormaliseKeys() {
    const int n = KeyCount();
    // Selection sort: the first key with the smallest frame among the rest moves into place.
    for (int i = 0; i < n; ++i) {
        int best = i;
        for (int j = i + 1; j < n; ++j)
            if (keys[j].frame < keys[best].frame) best = j;
        if (best != i) std::swap(keys[i], keys[best]);
    }
    for (int i = 0; i + 1 < n; ++i) {
        const int64_t gap = int64_t(keys[i + 1].frame) - keys[i].frame;
        if (keys[i].hold >= 0 && keys[i].hold > gap) keys[i].hold = static_cast<int16_t>(gap);
    }
    const int64_t len = int64_t(endFrame) - startFrame;
    std::erase_if(keys, [len](const KeyFrame& k) { return k.frame > len; });
    keys.shrink_to_fit();
}

bool ShowNode::DeleteKey(int i) {
    if (i < 0 || i >= KeyCount()) return false;
    keys.erase(keys.begin() + i);
    keys.shrink_to_fit();
    return true;
}

}  // namespace quillon
