// Key-frame evaluation, key stretching, constant-speed re-timing and path sampling.
#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <climits>
#include <cmath>
#include <vector>

#include "model/Motion.h"
#include "model/ShowNode.h"

using namespace quillon;

namespace {

constexpr uint8_t kS = kStraightMotion;
constexpr uint8_t kSL = kStraightMotion | kLinear;

// Keys on eastWest (x) and northSouth (y), with a hold.
struct K {
    int frame;
    float x, y = 0;
    int16_t hold = 0;
};
using Keys = std::vector<K>;

std::vector<KeyFrame> MakeKeys(const Keys& list) {
    std::vector<KeyFrame> keys;
    for (const K& k : list) {
        KeyFrame key;
        key.frame = k.frame;
        key.eastWest() = k.x;
        key.northSouth() = k.y;
        key.hold = k.hold;
        keys.push_back(key);
    }
    return keys;
}

double Eval(const Keys& keys, int t, uint8_t mode, bool half = false) {
    const auto k = MakeKeys(keys);
    return EvaluateChannel(int(k.size()), k.data(), kEastWest, t, half, mode);
}

struct Line {
    int x0, y0, x1, y1;
    bool operator==(const Line&) const = default;
};
std::vector<Line> Sample(const Keys& keys, double scale, uint8_t mode = kSL) {
    ShowNode node;
    node.motionMode = mode;
    node.keys = MakeKeys(keys);
    std::vector<Line> lines;
    SampleMotionPath(node, scale, [&](int x0, int y0, int x1, int y1) {
        lines.push_back({x0, y0, x1, y1});
    });
    return lines;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// EvaluateChannel: the worked examples, holds, the tangent walk, the easing rules and broken
// key lists.

TEST(EvaluateChannel, Values) {
    // Slow in/out eases with 3.1414 and 1.5707 in place of pi and pi/2, so u(0.5) = 0.49995...
    // The curves at s = 0.3:
    const double inOut = 0.20608399534040833, in = 0.10898035674874618, out = 0.45387892003674807;
    const Keys ten = {{0, 0}, {10, 10}}, three = {{0, 0}, {10, 10}, {20, 20}};
    const Keys hold3 = {{0, 0, 0, 3}, {10, 10}}, holdAll = {{0, 0, 0, -1}, {10, 10}};
    // Tangent walk (e = 0, curved): S = 2; move 0: S' = 28, r = 3 x 2 / 28, m1 = 0.5 x 30 x r;
    // move 1: S' = 0 -> 1, r = 3 / 28; move 2 (last): m1 = 0.5. With four keys the first move
    // eases in, the middle one in and out, the last out.
    const Keys walk = {{0, 0}, {10, 2}, {20, 30}, {30, 30.5f}};
    const Keys walkHeld = {{0, 0, 0, 2}, {10, 2}, {20, 30}, {30, 30.5f}};
    const Keys capped = {{0, 0}, {10, 10}, {20, 30}};     // S = 10, S' = 20: 1.5 is capped at 1
    const Keys flat = {{0, 0}, {10, 0.5f}, {20, 10.5f}};  // S = trunc(0.5) = 0: r = 0, m1 = 0
    const Keys wide = {{INT_MIN, 0}, {INT_MAX, 10}};      // needs 64-bit frame arithmetic
    const Keys unsorted = {{20, 1}, {0, 2}, {10, 3}}, dup = {{0, 0}, {10, 10}, {10, 50}, {20, 60}};
    // Easing rules at s = 0.3 over moves of 10 (gaps of 12 with a hold of 2): a hold on the
    // move's next key (NH) or its own key (H) takes precedence over the kind e.
    const Keys nh = {{0, 0}, {10, 10, 0, 2}, {22, 20}};
    const Keys nhMid = {{0, 0}, {10, 10}, {20, 20, 0, 2}, {32, 30}};
    const Keys both = {{0, 0, 0, 2}, {12, 10, 0, 2}, {24, 20}};
    const Keys h = {{0, 0, 0, 2}, {12, 10}, {22, 20}};
    struct Case {
        const char* what;
        const Keys& keys;
        uint8_t mode;
        int t;
        double want, tolerance;  // tolerance 0: exactly
        bool half = false;
    };
    // clang-format off
    const Case cases[] = {
        {"straight linear", ten, kSL, 5, 5.0, 0},
        {"straight linear, half frame", ten, kSL, 5, 5.5, 0, true},
        {"two keys in-out", ten, kS | kSlowInOut, 5, 4.9995, 5e-5},
        {"two keys in-out, frame 1", ten, kS | kSlowInOut, 1, 0.2447, 5e-5},
        {"two keys in-out, half frame", ten, kS | kSlowInOut, 5, 5.781649046124114, 1e-9, true},
        {"curved: m0 = 0, m1 = the whole step", ten, kSlowInOut, 5, 3.7494, 5e-5},
        {"hold 3, frame 2", hold3, kSL, 2, 0.0, 0},
        {"hold 3, frame 6: in-out over 7 frames", hold3, kSL, 6, 3.886992855378252, 1e-9},
        {"hold 3, frame 10", hold3, kSL, 10, 10.0, 0},
        {"hold -1, frame 9", holdAll, kSlowInOut, 9, 0.0, 0},
        {"hold -1, frame 9 half", holdAll, kSlowInOut, 9, 0.0, 0, true},
        {"hold -1, frame 10", holdAll, kSlowInOut, 10, 10.0, 0},
        {"any negative hold", {{0, 0, 0, INT16_MIN}, {10, 10}}, 0, 9, 0.0, 0},
        {"hold past the gap", {{0, 0, 0, 100}, {10, 10}}, 0, 9, 0.0, 0, true},
        {"int16 hold", {{0, 0, 0, INT16_MAX}, {INT_MAX, 10}}, kLinear, INT16_MAX - 1, 0.0, 0},
        {"single key before", {{7, 42.5f, 0, 3}}, 0, INT_MIN, 42.5, 0},
        {"single key after", {{7, 42.5f, 0, 3}}, 0, INT_MAX, 42.5, 0},
        {"walk: first move eases in", walk, 0, 5, 0.21918575421450479, 1e-9},
        {"walk: middle move", walk, 0, 15, 16.208971721885572, 1e-9},
        {"walk: last move eases out", walk, 0, 25, 30.415821757706436, 1e-9},
        {"a hold on key 0 resets m0 of move 1", walkHeld, 0, 15, 15.807147308598292, 1e-9},
        {"ratio capped, move 0", capped, 0, 5, 1.1609098286340074, 1e-9},
        {"ratio capped, move 1", capped, 0, 15, 23.836623421880514, 1e-9},
        {"flat first tangent", flat, 0, 5, 0.10353223172473883, 1e-9},
        {"flat first tangent, move 1", flat, 0, 15, 6.963108729437036, 1e-9},
        {"int32-wide move, middle", wide, kSL, 0, 5.0, 1e-6},
        {"int32-wide move, end", wide, kSL, INT_MAX, 10.0, 0},
        {"unsorted: backwards move not entered", unsorted, 0, 15, 3.0, 0},
        {"unsorted: forward move", unsorted, kSL, 0, 2.0, 0},
        {"duplicate frame: empty move skipped", dup, kSL, 10, 50.0, 0},
        {"after duplicate", dup, kSL, 15, 55.0, 1e-12},
        {"NH first e1 -> in-out", nh, kS | kSlowIn, 3, 10 * inOut, 1e-9},
        {"NH first e2 -> out", nh, kS | kSlowOut, 3, 10 * out, 1e-9},
        {"NH e3 -> linear", nh, kS | kLinear, 3, 3.0, 1e-9},
        {"NH middle e0 -> out", nhMid, kS | kSlowInOut, 13, 10 + 10 * out, 1e-9},
        {"NH and H first e2 -> out", both, kS | kSlowOut, 5, 10 * out, 1e-9},
        {"NH and H first e3 -> in", both, kS | kLinear, 5, 10 * in, 1e-9},
        {"H last e3 -> in-out", nh, kS | kLinear, 15, 10 + 10 * inOut, 1e-9},
        {"H not last e2 -> in", h, kS | kSlowOut, 5, 10 * in, 1e-9},
        {"e0 two keys -> in-out", ten, kS | kSlowInOut, 3, 10 * inOut, 1e-9},
        {"e0 first -> in", three, kS | kSlowInOut, 3, 10 * in, 1e-9},
        {"e0 last -> out", three, kS | kSlowInOut, 13, 10 + 10 * out, 1e-9},
        {"e0 middle -> in-out", {{0, 0}, {10, 10}, {20, 20}, {30, 30}}, kS, 13, 10 + 10 * inOut, 1e-9},
        {"e1 last -> in", three, kS | kSlowIn, 13, 10 + 10 * in, 1e-9},
        {"e2 first -> out", three, kS | kSlowOut, 3, 10 * out, 1e-9},
        {"e4 acts as linear", ten, kS | 4, 3, 3.0, 1e-9},
    };
    // clang-format on
    for (const Case& c : cases) {
        const double v = Eval(c.keys, c.t, c.mode, c.half);
        if (c.tolerance == 0)
            EXPECT_EQ(v, c.want) << c.what;
        else
            EXPECT_NEAR(v, c.want, c.tolerance) << c.what;
    }
}

TEST(EvaluateChannel, OutsideTheKeysGivesTheLastValueExactly) {
    const Keys keys = {{5, 1.25f}, {10, 3.5f}, {20, 7.75f}};
    for (uint8_t mode : {uint8_t(0), kSL, uint8_t(kSlowOut)}) {
        for (int t : {20, 21, INT_MAX, 4, INT_MIN})  // after the last key, and before the first
            EXPECT_EQ(Eval(keys, t, mode, t == 21), 7.75) << int(mode) << " at " << t;
        EXPECT_EQ(Eval(keys, 5, mode & ~0x0F), 1.25) << int(mode);  // s = 0 on a key's frame
    }
}

TEST(EvaluateChannel, BrokenInputStaysFinite) {
    EXPECT_TRUE(std::isfinite(Eval({{INT_MIN, 0}, {INT_MAX, 10}}, INT_MAX - 1, 0, true)));
    EXPECT_TRUE(std::isfinite(Eval({{20, 1}, {0, 2}, {10, 3}}, 5, 0)));
    EXPECT_TRUE(std::isfinite(Eval({{0, 0, 0, INT16_MAX}, {INT_MAX, 10}}, 32772, kLinear)));
    // No keys, no buffer, or a channel out of range.
    const auto keys = MakeKeys({{0, 0}, {10, 10}});
    EXPECT_EQ(EvaluateChannel(0, keys.data(), 0, 0, false, 0), 0.0);
    EXPECT_EQ(EvaluateChannel(2, nullptr, 0, 0, false, 0), 0.0);
    EXPECT_EQ(EvaluateChannel(2, keys.data(), 12, 0, false, 0), 0.0);
    EXPECT_EQ(EvaluateChannel(2, keys.data(), -1, 0, false, 0), 0.0);
}

// ---------------------------------------------------------------------------------------------
// EvaluateNode.

TEST(EvaluateNode, FillsThePoseAtTheRelativeFrame) {
    ShowNode node;
    node.startFrame = 100;
    node.endFrame = 200;
    node.motionMode = kSL;
    node.keys = MakeKeys({{0, 0}, {10, 10}});
    node.keys[0].tilt() = -90.0f;
    node.keys[1].tilt() = -80.0f;
    node.keys[0].channel[kSpare11] = 4.0f;
    node.keys[1].channel[kSpare11] = 8.0f;
    EvaluateNode(node, 105, false);
    EXPECT_EQ(std::tuple(node.pose.eastWest(), node.pose.tilt(), node.pose.channel[kSpare11]),
              std::tuple(5.0f, -85.0f, 6.0f));
    EvaluateNode(node, 105, true);
    EXPECT_FLOAT_EQ(node.pose.eastWest(), 5.5f);

    // The node's walk over all channels at once gives each channel's own value.
    node.motionMode = kSlowInOut;
    node.keys.push_back(MakeKeys({{30, -4.0f}})[0]);
    node.keys[2].upDown() = 12.0f;
    for (int frame : {100, 103, 115, 129, 131}) {
        EvaluateNode(node, frame, false);
        for (int c = 0; c < kChannelCount; ++c) {
            if (c == kActionFrame) continue;
            const float want = EvaluateChannel(3, node.keys.data(), c, frame - 100, false, 0);
            EXPECT_EQ(node.pose.channel[c], want) << "frame " << frame << " channel " << c;
        }
    }
}

TEST(EvaluateNode, RangeFlagAndActionFrame) {
    // In range includes the end frame; the action frame comes from the key starting the move
    // (the last key before the first key or after the last).
    ShowNode node;
    node.startFrame = 100;
    node.endFrame = 200;
    node.keys = MakeKeys({{0, 1}, {10, 1}, {20, 1}});
    const float actions[] = {1, 7, 3};
    for (int k = 0; k < 3; ++k)
        node.keys[k].actionFrame() = actions[k];
    const std::tuple<int, uint16_t, float> cases[] = {
        {99, 0xFFFF, 3}, {100, 0, 1}, {109, 0, 1},      {110, 0, 7},         {119, 0, 7},
        {120, 0, 3},     {200, 0, 3}, {201, 0xFFFF, 3}, {INT_MIN, 0xFFFF, 3}};
    for (const auto& [frame, act, action] : cases) {
        EvaluateNode(node, frame, true);
        EXPECT_EQ(node.pose.act, act) << "frame " << frame;
        EXPECT_EQ(node.pose.actionFrame(), action) << "frame " << frame;
    }
    // A node without keys keeps its pose.
    node.keys.clear();
    node.pose.channel.fill(2.5f);
    const KeyFrame before = node.pose;
    EvaluateNode(node, 150, false);
    EXPECT_EQ(node.pose, before);
}

TEST(EvaluateNode, HostileRangesAndValuesSaturate) {
    ShowNode node;
    node.startFrame = INT_MIN;
    node.endFrame = INT_MAX;
    node.keys = MakeKeys({{0, -FLT_MAX}, {10, FLT_MAX}, {20, 0}, {30, -FLT_MAX}});
    // frame - startFrame overflows int32: the frame is after every key.
    EvaluateNode(node, INT_MAX, false);
    EXPECT_EQ(node.pose.eastWest(), -FLT_MAX);
    EXPECT_EQ(node.pose.act, 0);
    // The curve overshoots the float range just after key 1; the pose saturates.
    EXPECT_GT(EvaluateChannel(4, node.keys.data(), kEastWest, 11, false, 0), double(FLT_MAX));
    EvaluateNode(node, INT_MIN + 11, false);
    EXPECT_EQ(node.pose.eastWest(), FLT_MAX);
    for (int t = 0; t < 30; ++t) {
        EvaluateNode(node, INT_MIN + t, t % 2 == 0);
        for (float v : node.pose.channel)
            EXPECT_TRUE(std::isfinite(v)) << "t " << t;
    }
}

// ---------------------------------------------------------------------------------------------
// ScaleKeys.

TEST(ScaleKeys, StretchesFramesAndPositiveHolds) {
    // From 100 to 50 frames: 30 -> 15 with hold 5 -> 3 (2.5 + 0.5 truncated), 99 -> 50; the
    // first key keeps its hold. Then from 3 to 10: 15 -> 50, hold 3 -> 10 (10.5 truncated). The
    // frames saturate at the int ranges.
    ShowNode node;
    node.keys = MakeKeys({{0, 0, 0, 4}, {30, 1, 0, 5}, {60, 2, 0, -1}, {99, 3}});
    ScaleKeys(node, 100, 50);
    const std::pair<int, int> halved[] = {{0, 4}, {15, 3}, {30, -1}, {50, 0}};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::pair(node.keys[i].frame, int(node.keys[i].hold)), halved[i]) << i;
    ScaleKeys(node, 3, 10);
    EXPECT_EQ(std::pair(node.keys[1].frame, int(node.keys[1].hold)), std::pair(50, 10));
    node.keys = MakeKeys({{0, 0}, {INT_MAX, 1, 0, 30000}, {INT_MIN, 2}});
    ScaleKeys(node, 1, 2);
    EXPECT_EQ(std::tuple(node.keys[1].frame, node.keys[1].hold, node.keys[2].frame),
              std::tuple(INT_MAX, INT16_MAX, INT_MIN));
}

TEST(ScaleKeys, NothingToDoAndSetRange) {
    ShowNode node;
    node.endFrame = 100;
    node.keys = MakeKeys({{5, 1, 0, 2}});
    ScaleKeys(node, 100, 50);  // a single key
    EXPECT_EQ(node.keys[0].frame, 5);
    node.keys = MakeKeys({{0, 0}, {30, 1, 0, 5}});
    const auto before = node.keys;
    const std::pair<int, int> lengths[] = {{100, 100}, {0, 100}, {-5, 100}};
    for (const auto& [from, to] : lengths) {
        ScaleKeys(node, from, to);
        EXPECT_EQ(node.keys, before) << from << " -> " << to;
    }
    // SetRange stretches the keys only when asked.
    ASSERT_TRUE(node.SetRange(0, 50, RangeValues::kAbsolute, KeyTiming::kStretch));
    EXPECT_EQ(std::pair(node.keys[1].frame, int(node.keys[1].hold)), std::pair(15, 3));
    ASSERT_TRUE(node.SetRange(0, 100, RangeValues::kAbsolute));
    EXPECT_EQ(node.keys[1].frame, 15);
}

// ---------------------------------------------------------------------------------------------
// ConstantMotion.

TEST(ConstantMotion, RetimesKeysForAnEvenSpeed) {
    struct Case {
        const char* what;
        Keys path;
        int toFrame;
        std::vector<int> want;
    };
    // Straight linear moves. "middle key": steps 0->1 .. 18->19 (not the step into 20) are
    // 10 x 1 + 9 x 2 = 28, average 1.4; key 1: 9 / 1.4 = 6.43 -> 6. "re-timed path": average
    // 39.5 / 40; key 1: 9 / 0.9875 -> 9; key 2, measured with key 1 at 9: 10 x 20/11 / 0.9875
    // = 18.41 -> 9 + 18. "diagonal": 3-4-5 per frame, then 6-8-10; end 15: (10 x 5 + 4 x 10)
    // / 15 = 6; key 1: 45 / 6 = 7.5 -> 7; key 2 at 20 >= end is left alone.
    // clang-format off
    const Case cases[] = {
        {"middle key", {{0, 0}, {10, 10}, {20, 30}}, 2592000, {0, 6, 20}},
        {"re-timed path", {{0, 0}, {10, 10}, {20, 30}, {40, 40}}, 2592000, {0, 9, 27, 40}},
        {"diagonal, toFrame", {{0, 0, 0}, {10, 30, 40}, {20, 90, 120}}, 15, {0, 7, 20}},
        {"single key", {{0, 5, 5}}, 2592000, {0}},
        {"no ground movement", {{0, 5, 5}, {10, 5, 5}, {20, 5, 5}}, 2592000, {0, 10, 20}},
        {"last key at frame 0", {{0, 0}, {0, 10}}, 2592000, {0, 0}},
    };
    // clang-format on
    for (const Case& c : cases) {
        ShowNode node;
        node.motionMode = kSL;
        node.keys = MakeKeys(c.path);
        if (node.KeyCount() == 3) node.keys[1].upDown() = 100;  // height is not ground
        ConstantMotion(node, 0, c.toFrame);
        std::vector<int> frames;
        for (const KeyFrame& k : node.keys)
            frames.push_back(k.frame);
        EXPECT_EQ(frames, c.want) << c.what;
    }
}

// ConstantMotion measures the ground path with a walk of its own; measured frame by frame
// through EvaluateChannel, every key must land on the very same frame.
TEST(ConstantMotion, MatchesAMeasurementByEvaluateChannel) {
    auto length = [](const std::vector<KeyFrame>& k, uint8_t mode, int from, int to) {
        double total = 0.0, px = 0, py = 0;
        for (int a = from; a <= to; ++a) {
            const double x = EvaluateChannel(int(k.size()), k.data(), kEastWest, a, false, mode);
            const double y = EvaluateChannel(int(k.size()), k.data(), kNorthSouth, a, false, mode);
            if (a > from) total += std::hypot(x - px, y - py);
            px = x;
            py = y;
        }
        return total;
    };
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    for (int trial = 0; trial < 40; ++trial) {
        ShowNode node;
        node.endFrame = 5000;
        node.motionMode = uint8_t(next(5) | (next(2) ? kStraightMotion : 0));
        const int n = 2 + int(next(7));
        for (int i = 0, frame = 0; i < n; ++i, frame += 1 + int(next(300))) {
            KeyFrame k;
            k.frame = frame;
            k.eastWest() = float(next(4000));
            k.northSouth() = float(next(4000)) * 0.37f;
            k.hold = int16_t(next(4) == 0 ? -1 : next(3) == 0 ? next(20) : 0);
            if (i > 0 && node.keys.back().hold > frame - node.keys.back().frame)
                node.keys.back().hold = int16_t(frame - node.keys.back().frame);
            node.keys.push_back(k);
        }
        std::vector<KeyFrame> want = node.keys;
        const int last = want.back().frame;
        const double average = length(want, node.motionMode, 0, last - 1) / last;
        for (int k = 1; k < n && average > 0.0; ++k) {
            if (want[k].frame >= last) continue;
            const int prev = want[k - 1].frame;
            want[k].frame =
                prev + int(length(want, node.motionMode, prev, want[k].frame - 1) / average);
        }
        ConstantMotion(node, 0, 2592000);
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(node.keys[k].frame, want[k].frame) << "trial " << trial << " key " << k;
    }
}

TEST(ConstantMotion, HostileKeysFinishQuickly) {
    ShowNode node;
    node.keys = MakeKeys({{INT_MIN, 0, 0}, {10, 100, 50, INT16_MAX}, {5, -30, 20}, {INT_MAX, 10}});
    const auto start = std::chrono::steady_clock::now();
    ConstantMotion(node, 0, 2000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(node.keys[0].frame, INT_MIN);
    EXPECT_EQ(node.keys[3].frame, INT_MAX);
    for (const KeyFrame& k : node.keys)
        EXPECT_TRUE(std::isfinite(k.eastWest()));
}

// ---------------------------------------------------------------------------------------------
// SampleMotionPath.

TEST(SampleMotionPath, SixteenLinesPerMoveStartingAtTheKey) {
    const auto lines = Sample({{0, 0, 0}, {16, 160, 32}, {48, 0, 0}}, 1.0);
    ASSERT_EQ(lines.size(), 32u);
    for (size_t i = 1; i < 32; ++i)
        EXPECT_EQ(lines[i].x0, lines[i - 1].x1) << i;
    // Move 1 starts at key 1 itself; its step of 2 frames is 10 and 2 units back.
    EXPECT_EQ(lines[0], (Line{0, 0, 10, 2}));
    EXPECT_EQ(lines[15], (Line{150, 30, 160, 32}));
    EXPECT_EQ(lines[16], (Line{160, 32, 150, 30}));
    EXPECT_EQ(lines[31], (Line{10, 2, 0, 0}));
}

TEST(SampleMotionPath, SampleFramesAndCoordinatesAreTruncated) {
    // An 8-frame move: step 0.5, sample frames 0, 1, 1, 2, 2, ..., 8. x = -10 t scaled by 0.25
    // truncates toward zero: -2.5 -> -2, -7.5 -> -7.
    const auto lines = Sample({{0, 0, 0}, {8, -80, 8}}, 0.25);
    ASSERT_EQ(lines.size(), 16u);
    const std::pair<int, Line> want[] = {{0, {0, 0, 0, 0}},   {1, {0, 0, -2, 0}},
                                         {2, {-2, 0, -2, 0}}, {3, {-2, 0, -5, 0}},
                                         {5, {-5, 0, -7, 0}}, {15, {-17, 1, -20, 2}}};
    for (const auto& [i, line] : want)
        EXPECT_EQ(lines[i], line) << "line " << i;
}

TEST(SampleMotionPath, FewKeysAndHostileValues) {
    EXPECT_TRUE(Sample({}, 1.0).empty());
    EXPECT_TRUE(Sample({{0, 10, 10}}, 1.0).empty());
    const Keys wild = {{INT_MAX, FLT_MAX, -FLT_MAX}, {INT_MIN, 1, 1}, {0, 2, 2}};
    EXPECT_EQ(Sample(wild, 1e30, 0).size(), 32u);
    for (const Line& l : Sample(wild, std::nan(""), 0))
        EXPECT_EQ(l, (Line{0, 0, 0, 0}));  // NaN coordinates become 0
}
