#pragma once
// One key frame of a node's motion: twelve float channels, the frame (relative to the node's
// start), a hold and an "act" word. The in-memory record is the 56-byte file record.

#include <array>
#include <cstdint>

namespace quillon {

// Channel indices, in file order.
enum Channel : int {
    kEastWest = 0,
    kUpDown = 1,
    kNorthSouth = 2,
    kWidth = 3,
    kHeight = 4,
    kTransparency = 5,
    kSpare6 = 6,
    kPan = 7,
    kTilt = 8,
    kActionFrame = 9,
    kSpare10 = 10,
    kSpare11 = 11,
    kChannelCount = 12,
};

struct KeyFrame {
    std::array<float, kChannelCount> channel{};
    int32_t frame = 0;  // relative to the owning node's startFrame
    int16_t hold = 0;   // frames held before moving on; -1 holds the whole gap
    uint16_t act = 0;   // in a pose: 0 in range, 0xFFFF out of range

    float& eastWest() { return channel[kEastWest]; }
    float& upDown() { return channel[kUpDown]; }
    float& northSouth() { return channel[kNorthSouth]; }
    float& width() { return channel[kWidth]; }
    float& height() { return channel[kHeight]; }
    float& transparency() { return channel[kTransparency]; }
    float& pan() { return channel[kPan]; }
    float& tilt() { return channel[kTilt]; }
    float& actionFrame() { return channel[kActionFrame]; }
    float eastWest() const { return channel[kEastWest]; }
    float upDown() const { return channel[kUpDown]; }
    float northSouth() const { return channel[kNorthSouth]; }
    float width() const { return channel[kWidth]; }
    float height() const { return channel[kHeight]; }
    float transparency() const { return channel[kTransparency]; }
    float pan() const { return channel[kPan]; }
    float tilt() const { return channel[kTilt]; }
    float actionFrame() const { return channel[kActionFrame]; }

    bool operator==(const KeyFrame&) const = default;
};

static_assert(sizeof(KeyFrame) == 56, "KeyFrame is the 56-byte file record");

constexpr int kKeyFrameBytes = 56;
// keyBytes is a signed 16-bit field: 585 keys (32,760 bytes) is the most a node can hold.
constexpr int kMaxKeys = 585;

// The default key of a new camera (and of a new scene's own key list).
KeyFrame DefaultCameraKey(bool rostrumMode);

}  // namespace quillon
