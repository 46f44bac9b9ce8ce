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

struct K {
    int frame;
    float value;
    int16_t hold = 0;
};
using Keys = std::vector<K>;

std::vector<KeyFrame> MakeKeys(const Keys& list) {
    std::vector<KeyFrame> keys;
    for (const K& k : list) {
        KeyFrame key;
        key.frame = k.frame;
        key.channel[kEastWest] = k.value;
        key.hold = k.hold;
        keys.push_back(key);
    }
    return keys;
}

double Eval(const std::vector<KeyFrame>& keys, int t, uint8_t mode, bool half = false) {
    return EvaluateChannel(static_cast<int>(keys.size()), keys.data(), kEastWest, t, half, mode);
}

// A node with keys on eastWest and northSouth.
struct PathKey {
    int frame;
    float x, y, up = 0;
};
void SetPath(ShowNode& node, const std::vector<PathKey>& list) {
    node.keys.clear();
    for (const PathKey& p : list) {
        KeyFrame key;
        key.frame = p.frame;
        key.eastWest() = p.x;
        key.northSouth() = p.y;
        key.upDown() = p.up;
        node.keys.push_back(key);
    }
}

struct Line {
    int x0, y0, x1, y1;
    bool operator==(const Line&) const = default;
};
std::vector<Line> Sample(const ShowNode& node, double scale) {
    std::vector<Line> lines;
    SampleMotionPath(node, scale, [&](int x0, int y0, int x1, int y1) {
        lines.push_back({x0, y0, x1, y1});
    });
    return lines;
}

const Keys kTen = {{0, 0}, {10, 10}};
const Keys kWalk = {{0, 0}, {10, 2}, {20, 30}, {30, 30.5f}};
const Keys kWide = {{INT_MIN, 0}, {INT_MAX, 10}};

}  // namespace

// ---------------------------------------------------------------------------------------------
// EvaluateChannel: the worked examples, holds, the tangent walk and broken key lists.

struct ValueCase {
    const char* what;
    Keys keys;
    uint8_t mode;
    int t;
    bool half;
    double want;
    double tolerance;  // 0: exactly
};

TEST(EvaluateChannel, Values) {
    // Slow in/out eases with 3.1414 and 1.5707 in place of pi and pi/2, so u(0.5) = 0.49995...
    // The tangent walk over kWalk (e = 0, curved): S = 2; move 0: S' = 28, r = 3 x 2 / 28,
    // m1 = 0.5 x 30 x r; move 1: S' = 0 -> 1, r = 3 / 28, m1 = 0.5 x 28.5 x r; move 2 (last):
    // m1 = 0.5. Easing with four keys: first move in, middle in-out, last out.
    const double uIn = 0.2928591629686673, uOut = 0.7070046038107998;
    const std::vector<ValueCase> cases = {
        {"straight linear", kTen, kSL, 5, false, 5.0, 0},
        {"straight linear, half frame", kTen, kSL, 5, true, 5.5, 0},
        {"straight linear, first frame", kTen, kSL, 0, false, 0.0, 0},
        {"straight linear, frame 9", kTen, kSL, 9, false, 9.0, 0},
        {"two keys in-out", kTen, kS | kSlowInOut, 5, false, 4.9995, 5e-5},
        {"two keys in-out, frame 1", kTen, kS | kSlowInOut, 1, false, 0.2447, 5e-5},
        {"two keys in-out, half frame", kTen, kS | kSlowInOut, 5, true, 5.781649046124114, 1e-9},
        {"curved: m0 = 0, m1 = whole step", kTen, kSlowInOut, 5, false, 3.7494, 5e-5},
        {"curved, tight", kTen, kSlowInOut, 5, false, 3.749397969132509, 1e-9},
        {"hold 3, frame 0", {{0, 0, 3}, {10, 10}}, kSL, 0, false, 0.0, 0},
        {"hold 3, frame 2", {{0, 0, 3}, {10, 10}}, kSL, 2, false, 0.0, 0},
        {"hold 3, frame 3", {{0, 0, 3}, {10, 10}}, kSL, 3, false, 0.0, 0},
        // A held first key on the last move eases in and out over 7 frames: s = 3/7.
        {"hold 3, frame 6", {{0, 0, 3}, {10, 10}}, kSL, 6, false, 3.886992855378252, 1e-9},
        {"hold 3, frame 10", {{0, 0, 3}, {10, 10}}, kSL, 10, false, 10.0, 0},
        {"hold -1, frame 0", {{0, 0, -1}, {10, 10}}, kSlowInOut, 0, false, 0.0, 0},
        {"hold -1, frame 9", {{0, 0, -1}, {10, 10}}, kSlowInOut, 9, false, 0.0, 0},
        {"hold -1, frame 9 half", {{0, 0, -1}, {10, 10}}, kSlowInOut, 9, true, 0.0, 0},
        {"hold -1, frame 10", {{0, 0, -1}, {10, 10}}, kSlowInOut, 10, false, 10.0, 0},
        {"any negative hold", {{0, 0, INT16_MIN}, {10, 10}}, 0, 9, false, 0.0, 0},
        {"hold past the gap", {{0, 0, 100}, {10, 10}}, 0, 9, true, 0.0, 0},
        {"single key", {{7, 42.5f, 3}}, 0, INT_MIN, false, 42.5, 0},
        {"single key, own frame", {{7, 42.5f, 3}}, 0, 7, false, 42.5, 0},
        {"single key, later", {{7, 42.5f, 3}}, 0, INT_MAX, false, 42.5, 0},
        {"walk: first move eases in", kWalk, kSlowInOut, 5, false, 0.21918575421450479, 1e-9},
        {"walk: middle move", kWalk, kSlowInOut, 15, false, 16.208971721885572, 1e-9},
        {"walk: last move eases out", kWalk, kSlowInOut, 25, false, 30.415821757706436, 1e-9},
        // S = 10, S' = 20: 3 x 10 / 20 = 1.5 is capped at 1.
        {"ratio cap, move 0", {{0, 0}, {10, 10}, {20, 30}}, 0, 5, false, 1.1609098286340074, 1e-9},
        {"ratio cap, move 1", {{0, 0}, {10, 10}, {20, 30}}, 0, 15, false, 23.836623421880514, 1e-9},
        // A hold on key 0 resets the running tangent when move 1 starts: m0 = 0.
        {"hold resets tangent",
         {{0, 0, 2}, {10, 2}, {20, 30}, {30, 30.5f}},
         0,
         15,
         false,
         15.807147308598292,
         1e-9},
        // First step 0.5: S = |trunc(0.5)| = 0 is not raised to 1, so r = 0 and m1 = 0.
        {"flat first tangent",
         {{0, 0}, {10, 0.5f}, {20, 10.5f}},
         0,
         5,
         false,
         0.5 * (3 * uIn * uIn - 2 * uIn * uIn * uIn),
         1e-9},
        {"flat first tangent, move 1",
         {{0, 0}, {10, 0.5f}, {20, 10.5f}},
         0,
         15,
         false,
         0.5 + uOut * uOut * (20.0 - 10.0 * uOut),
         1e-9},
        // Keys at the ends of int32: a move of 2^32 - 1 frames needs 64-bit frame arithmetic.
        {"int32-wide move, middle", kWide, kSL, 0, false, 5.0, 1e-6},
        {"int32-wide move, start", kWide, kSL, INT_MIN, false, 0.0, 0},
        {"int32-wide move, end", kWide, kSL, INT_MAX, false, 10.0, 0},
        // Unsorted keys: moves that run backwards are never entered.
        {"unsorted, after", {{20, 1}, {0, 2}, {10, 3}}, 0, 25, false, 3.0, 0},
        {"unsorted, inside", {{20, 1}, {0, 2}, {10, 3}}, 0, 15, false, 3.0, 0},
        {"unsorted, forward move", {{20, 1}, {0, 2}, {10, 3}}, kSL, 0, false, 2.0, 0},
        // Duplicate frames: the empty move is skipped and the next one taken.
        {"duplicate frame", {{0, 0}, {10, 10}, {10, 50}, {20, 60}}, kSL, 10, false, 50.0, 0},
        {"after duplicate", {{0, 0}, {10, 10}, {10, 50}, {20, 60}}, kSL, 15, false, 55.0, 1e-12},
        {"int16 hold", {{0, 0, INT16_MAX}, {INT_MAX, 10}}, kLinear, INT16_MAX - 1, false, 0.0, 0},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        const double v = Eval(MakeKeys(c.keys), c.t, c.mode, c.half);
        if (c.tolerance == 0)
            EXPECT_EQ(v, c.want);
        else
            EXPECT_NEAR(v, c.want, c.tolerance);
    }
}

TEST(EvaluateChannel, OutsideTheKeysGivesTheLastValueExactly) {
    const auto keys = MakeKeys({{5, 1.25f}, {10, 3.5f}, {20, 7.75f}});
    for (uint8_t mode : {uint8_t(0), kSL, uint8_t(kSlowOut)}) {
        SCOPED_TRACE(int(mode));
        for (int t : {20, 21, INT_MAX, 4, INT_MIN})  // after the last key, and before the first
            EXPECT_EQ(Eval(keys, t, mode, t == 21), 7.75) << t;
        // A key's own frame starts its move at s = 0.
        EXPECT_EQ(Eval(keys, 5, mode & ~0x0F), 1.25);
    }
}

// Easing curves at s = 0.3 with 3.1414 and 1.5707, and the rule that picks them: holds at
// either end of a move (H on its own key, NH on the next) take precedence over the kind e.
TEST(EvaluateChannel, EasingRulePrecedence) {
    const double inOut = 0.20608399534040833, in = 0.10898035674874618, out = 0.45387892003674807,
                 lin = 0.3;
    // Moves 10 long; gaps of 12 with a hold of 2 also give s = 0.3.
    const Keys nh = {{0, 0}, {10, 10, 2}, {22, 20}};
    const Keys nhMid = {{0, 0}, {10, 10}, {20, 20, 2}, {32, 30}};
    const Keys both = {{0, 0, 2}, {12, 10, 2}, {24, 20}};
    const Keys h = {{0, 0, 2}, {12, 10}, {22, 20}};
    const Keys k3 = {{0, 0}, {10, 10}, {20, 20}};
    const Keys k4 = {{0, 0}, {10, 10}, {20, 20}, {30, 30}};
    struct Case {
        const char* what;
        const Keys& keys;
        uint8_t e;
        int t;
        double base, u;
    };
    const Case cases[] = {
        {"NH first e0 -> in-out", nh, kSlowInOut, 3, 0, inOut},
        {"NH first e1 -> in-out", nh, kSlowIn, 3, 0, inOut},
        {"NH first e2 -> out", nh, kSlowOut, 3, 0, out},
        {"NH e3 -> linear", nh, kLinear, 3, 0, lin},
        {"NH middle e1 -> out", nhMid, kSlowIn, 13, 10, out},
        {"NH middle e0 -> out", nhMid, kSlowInOut, 13, 10, out},
        {"NH and H first e0 -> in-out", both, kSlowInOut, 5, 0, inOut},
        {"NH and H first e2 -> out", both, kSlowOut, 5, 0, out},
        {"NH and H first e3 -> in", both, kLinear, 5, 0, in},
        {"H last e3 -> in-out", nh, kLinear, 15, 10, inOut},
        {"H last e2 -> in-out", nh, kSlowOut, 15, 10, inOut},
        {"H not last e2 -> in", h, kSlowOut, 5, 0, in},
        {"H not last e3 -> in", h, kLinear, 5, 0, in},
        {"e0 two keys -> in-out", kTen, kSlowInOut, 3, 0, inOut},
        {"e0 first -> in", k3, kSlowInOut, 3, 0, in},
        {"e0 last -> out", k3, kSlowInOut, 13, 10, out},
        {"e0 middle -> in-out", k4, kSlowInOut, 13, 10, inOut},
        {"e1 last -> in", k3, kSlowIn, 13, 10, in},
        {"e2 first -> out", k3, kSlowOut, 3, 0, out},
        {"e3 two keys -> linear", kTen, kLinear, 3, 0, lin},
        {"e4 acts as linear", kTen, 4, 3, 0, lin},
        {"e15 acts as linear", k3, 15, 13, 10, lin},
        {"e7 with NH acts as linear", nh, 7, 3, 0, lin},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(Eval(MakeKeys(c.keys), c.t, kS | c.e), c.base + 10.0 * c.u, 1e-9) << c.what;
}

TEST(EvaluateChannel, BrokenInputStaysFinite) {
    EXPECT_TRUE(std::isfinite(Eval(MakeKeys(kWide), INT_MAX - 1, 0, true)));
    EXPECT_TRUE(std::isfinite(Eval(MakeKeys({{20, 1}, {0, 2}, {10, 3}}), 5, 0)));
    EXPECT_TRUE(std::isfinite(Eval(MakeKeys({{0, 0, INT16_MAX}, {INT_MAX, 10}}), 32772, kLinear)));
    // No keys, no buffer, or a channel out of range.
    const auto keys = MakeKeys(kWide);
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
    node.keys = MakeKeys(kTen);
    node.keys[0].tilt() = -90.0f;
    node.keys[1].tilt() = -80.0f;
    node.keys[0].channel[kSpare11] = 4.0f;
    node.keys[1].channel[kSpare11] = 8.0f;
    EvaluateNode(node, 105, false);
    EXPECT_FLOAT_EQ(node.pose.eastWest(), 5.0f);
    EXPECT_FLOAT_EQ(node.pose.tilt(), -85.0f);
    EXPECT_FLOAT_EQ(node.pose.channel[kSpare11], 6.0f);
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

TEST(EvaluateNode, RangeFlagIncludesTheEndFrame) {
    ShowNode node;
    node.startFrame = 100;
    node.endFrame = 200;
    node.keys = MakeKeys({{0, 1.0f}});
    const std::pair<int, uint16_t> cases[] = {{99, 0xFFFF}, {100, 0},      {199, 0},
                                              {200, 0},     {201, 0xFFFF}, {INT_MIN, 0xFFFF}};
    for (const auto& [frame, act] : cases) {
        EvaluateNode(node, frame, false);
        EXPECT_EQ(node.pose.act, act) << "frame " << frame;
        EXPECT_EQ(node.pose.eastWest(), 1.0f);
    }
}

TEST(EvaluateNode, ActionFrameComesFromTheKeyStartingTheMove) {
    ShowNode node;
    node.startFrame = 50;
    node.endFrame = 100;
    node.keys = MakeKeys({{0, 0}, {10, 10}, {20, 20}});
    node.keys[0].actionFrame() = 1.0f;
    node.keys[1].actionFrame() = 7.0f;
    node.keys[2].actionFrame() = 3.0f;
    const std::pair<int, float> cases[] = {
        {50, 1.0f}, {59, 1.0f}, {60, 7.0f}, {69, 7.0f},
        {70, 3.0f}, {99, 3.0f}, {49, 3.0f},  // before the first key: the last key
    };
    for (const auto& [frame, action] : cases) {
        EvaluateNode(node, frame, true);
        EXPECT_EQ(node.pose.actionFrame(), action) << "frame " << frame;
    }
}

TEST(EvaluateNode, NodeWithoutKeysKeepsItsPose) {
    ShowNode node;
    node.endFrame = 10;
    for (int c = 0; c < kChannelCount; ++c)
        node.pose.channel[c] = float(c) * 1.5f;
    node.pose.act = 0xFFFF;
    const KeyFrame before = node.pose;
    EvaluateNode(node, 5, false);
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
        for (int c = 0; c < kChannelCount; ++c)
            EXPECT_TRUE(std::isfinite(node.pose.channel[c])) << "t " << t << " channel " << c;
    }
}

// ---------------------------------------------------------------------------------------------
// ScaleKeys.

TEST(ScaleKeys, StretchesFramesAndPositiveHolds) {
    ShowNode node;
    node.keys = MakeKeys({{0, 0, 4}, {30, 1, 5}, {60, 2, -1}, {99, 3}});
    ScaleKeys(node, 100, 50);
    // 30 -> 15 with hold 5 -> 3 (2.5 + 0.5 truncated); 99 -> 50; the first key keeps its hold.
    const std::pair<int, int> want[] = {{0, 4}, {15, 3}, {30, -1}, {50, 0}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(node.keys[i].frame, want[i].first) << i;
        EXPECT_EQ(node.keys[i].hold, want[i].second) << i;
    }
    ScaleKeys(node, 3, 10);  // 15 x 10/3 = 50; hold 3 x 10/3 + 0.5 = 10.5 -> 10
    EXPECT_EQ(node.keys[1].frame, 50);
    EXPECT_EQ(node.keys[1].hold, 10);
}

TEST(ScaleKeys, NothingToDo) {
    ShowNode one;
    one.keys = MakeKeys({{5, 1, 2}});
    ScaleKeys(one, 100, 50);
    EXPECT_EQ(one.keys[0].frame, 5);
    ShowNode same;
    same.keys = MakeKeys({{0, 0}, {30, 1, 5}});
    const auto before = same.keys;
    const std::pair<int, int> lengths[] = {{100, 100}, {0, 100}, {-5, 100}};
    for (const auto& [from, to] : lengths) {
        ScaleKeys(same, from, to);
        EXPECT_EQ(same.keys, before) << from << " -> " << to;
    }
}

TEST(ScaleKeys, SaturatesInsteadOfOverflowing) {
    ShowNode node;
    node.keys = MakeKeys({{0, 0}, {INT_MAX, 1, 30000}, {INT_MIN, 2}});
    ScaleKeys(node, 1, 2);
    EXPECT_EQ(node.keys[1].frame, INT_MAX);
    EXPECT_EQ(node.keys[1].hold, INT16_MAX);
    EXPECT_EQ(node.keys[2].frame, INT_MIN);
}

TEST(ScaleKeys, RunsFromSetRangeWhenStretching) {
    ShowNode node;
    node.endFrame = 100;
    node.keys = MakeKeys({{0, 0}, {30, 1, 5}});
    ASSERT_TRUE(node.SetRange(0, 50, RangeValues::kAbsolute, KeyTiming::kStretch));
    EXPECT_EQ(node.keys[1].frame, 15);
    EXPECT_EQ(node.keys[1].hold, 3);
    ASSERT_TRUE(node.SetRange(0, 100, RangeValues::kAbsolute));
    EXPECT_EQ(node.keys[1].frame, 15);
}

// ---------------------------------------------------------------------------------------------
// ConstantMotion.

TEST(ConstantMotion, RetimesKeysForAnEvenSpeed) {
    struct Case {
        const char* what;
        std::vector<PathKey> path;
        int toFrame;
        std::vector<int> want;
    };
    const Case cases[] = {
        // Steps 0->1 .. 18->19 (not the step into 20): 10 x 1 + 9 x 2 = 28, average 1.4.
        // Key 1: 9 / 1.4 = 6.43 -> 6.
        {"middle key", {{0, 0, 0}, {10, 10, 0}, {20, 30, 0}}, 2592000, {0, 6, 20}},
        // Average 39.5 / 40; key 1: 9 / 0.9875 -> 9. Key 2 measured with key 1 already at 9:
        // 10 x 20/11 = 18.18 / 0.9875 = 18.41 -> 9 + 18.
        {"later keys on the re-timed path",
         {{0, 0, 0}, {10, 10, 0}, {20, 30, 0}, {40, 40, 0}},
         2592000,
         {0, 9, 27, 40}},
        // Both axes count: 3-4-5 per frame, then 6-8-10. End 15: 10 x 5 + 4 x 10 = 90, average
        // 6; key 1: 45 / 6 = 7.5 -> 7; key 2 at 20 >= end is left alone.
        {"diagonal, toFrame", {{0, 0, 0}, {10, 30, 40}, {20, 90, 120}}, 15, {0, 7, 20}},
        {"single key", {{0, 5, 5}}, 2592000, {0}},
        {"height is not ground", {{0, 5, 5}, {10, 5, 5, 100}, {20, 5, 5}}, 2592000, {0, 10, 20}},
        {"last key at frame 0", {{0, 0, 0}, {0, 10, 0}}, 2592000, {0, 0}},
    };
    for (const Case& c : cases) {
        ShowNode node;
        node.motionMode = kSL;
        SetPath(node, c.path);
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
        for (int k = 1; k < n && average > 0.0; ++k)
            if (want[k].frame < last)
                want[k].frame =
                    want[k - 1].frame +
                    int(length(want, node.motionMode, want[k - 1].frame, want[k].frame - 1) /
                        average);
        ConstantMotion(node, 0, 2592000);
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(node.keys[k].frame, want[k].frame) << "trial " << trial << " key " << k;
    }
}

TEST(ConstantMotion, HostileKeysFinishQuickly) {
    ShowNode node;
    node.motionMode = kSlowInOut;
    SetPath(node, {{INT_MIN, 0, 0}, {10, 100, 50}, {5, -30, 20}, {INT_MAX, 10, 10}});
    node.keys[1].hold = INT16_MAX;
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
    ShowNode node;
    node.motionMode = kSL;
    SetPath(node, {{0, 0, 0}, {16, 160, 32}, {48, 0, 0}});
    const auto lines = Sample(node, 1.0);
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines[0], (Line{0, 0, 10, 2}));
    for (size_t i = 1; i < 16; ++i)
        EXPECT_EQ(lines[i].x0, lines[i - 1].x1);
    EXPECT_EQ(lines[15], (Line{150, 30, 160, 32}));
    // Move 1 starts at key 1 itself; a step of 2 frames is 10 and 2 units back.
    EXPECT_EQ(lines[16], (Line{160, 32, 150, 30}));
    EXPECT_EQ(lines[31], (Line{10, 2, 0, 0}));
}

TEST(SampleMotionPath, SampleFramesAndCoordinatesAreTruncated) {
    // An 8-frame move: step 0.5, sample frames 0, 1, 1, 2, 2, ..., 8. x = -10 t scaled by 0.25
    // truncates toward zero: -2.5 -> -2, -7.5 -> -7.
    ShowNode node;
    node.motionMode = kSL;
    SetPath(node, {{0, 0, 0}, {8, -80, 8}});
    const auto lines = Sample(node, 0.25);
    ASSERT_EQ(lines.size(), 16u);
    const std::pair<int, Line> want[] = {{0, {0, 0, 0, 0}},   {1, {0, 0, -2, 0}},
                                         {2, {-2, 0, -2, 0}}, {3, {-2, 0, -5, 0}},
                                         {5, {-5, 0, -7, 0}}, {15, {-17, 1, -20, 2}}};
    for (const auto& [i, line] : want)
        EXPECT_EQ(lines[i], line) << "line " << i;
}

TEST(SampleMotionPath, NothingForFewerThanTwoKeys) {
    ShowNode none;
    EXPECT_TRUE(Sample(none, 1.0).empty());
    ShowNode one;
    SetPath(one, {{0, 10, 10}});
    EXPECT_TRUE(Sample(one, 1.0).empty());
}

TEST(SampleMotionPath, HostileKeysAndScale) {
    ShowNode node;
    SetPath(node, {{INT_MAX, FLT_MAX, -FLT_MAX}, {INT_MIN, 1, 1}, {0, 2, 2}});
    size_t count = 0;
    SampleMotionPath(node, 1e30, [&](int, int, int, int) { ++count; });
    EXPECT_EQ(count, 32u);
    SampleMotionPath(node, std::nan(""), [&](int x0, int y0, int x1, int y1) {
        EXPECT_EQ(x0 | y0 | x1 | y1, 0);  // NaN coordinates become 0
    });
}
