// Key-frame evaluation, key stretching, constant-speed re-timing and path sampling.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <tuple>
#include <vector>

#include "model/Motion.h"
#include "model/ShowNode.h"

using namespace quillon;

namespace {

constexpr uint8_t kStraight = kStraightMotion;
constexpr double kTight = 1e-9;

// Easing curves at s = 0.3, worked out with 3.1414 and 1.5707:
//   in-out: 1 - 0.5 * (1 + cos(0.94242))  = 0.20608399534040833
//   in:     1 - cos(0.47121)               = 0.10898035674874618
//   out:    -cos(1.5707 + 0.47121)         = 0.45387892003674807
constexpr double kInOut03 = 0.20608399534040833;
constexpr double kIn03 = 0.10898035674874618;
constexpr double kOut03 = 0.45387892003674807;
constexpr double kLinear03 = 0.3;

struct K {
    int frame;
    float value;
    int16_t hold = 0;
};

std::vector<KeyFrame> MakeKeys(const std::vector<K>& list) {
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
    float x;
    float y;
};
void SetPath(ShowNode& node, std::initializer_list<PathKey> list) {
    node.keys.clear();
    for (const PathKey& p : list) {
        KeyFrame key;
        key.frame = p.frame;
        key.eastWest() = p.x;
        key.northSouth() = p.y;
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

}  // namespace

// ---------------------------------------------------------------------------------------------
// EvaluateChannel: two keys, the worked examples.

TEST(EvaluateChannel, TwoKeysStraightLinearAndHalfFrame) {
    const auto keys = MakeKeys({{0, 0.0f}, {10, 10.0f}});
    EXPECT_DOUBLE_EQ(Eval(keys, 5, kStraight | kLinear), 5.0);
    EXPECT_DOUBLE_EQ(Eval(keys, 5, kStraight | kLinear, true), 5.5);
    EXPECT_DOUBLE_EQ(Eval(keys, 0, kStraight | kLinear), 0.0);
    EXPECT_DOUBLE_EQ(Eval(keys, 9, kStraight | kLinear), 9.0);
}

TEST(EvaluateChannel, TwoKeysSlowInOutUsesTheApproximatePi) {
    const auto keys = MakeKeys({{0, 0.0f}, {10, 10.0f}});
    // u(0.5) = 1 - 0.5 * (1 + cos(1.5707)) = 0.49995183..., not exactly 0.5.
    EXPECT_NEAR(Eval(keys, 5, kStraight | kSlowInOut), 4.9995, 5e-5);
    EXPECT_NEAR(Eval(keys, 5, kStraight | kSlowInOut), 4.999518366026262, kTight);
    EXPECT_NEAR(Eval(keys, 1, kStraight | kSlowInOut), 0.2447, 5e-5);
    // Half-frame: s = 0.55.
    EXPECT_NEAR(Eval(keys, 5, kStraight | kSlowInOut, true), 5.781649046124114, kTight);
}

TEST(EvaluateChannel, TwoKeysCurvedUsesZeroInAndWholeStepOutTangent) {
    const auto keys = MakeKeys({{0, 0.0f}, {10, 10.0f}});
    // m0 = 0, m1 = (10 - 0) * 1 = 10: K2 = 30 - 10 = 20, K3 = -20 + 10 = -10,
    // value = u^2 (20 - 10u) with u = 0.49995183... = 3.74939797...
    EXPECT_NEAR(Eval(keys, 5, kSlowInOut), 3.7494, 5e-5);
    EXPECT_NEAR(Eval(keys, 5, kSlowInOut), 3.749397969132509, kTight);
}

TEST(EvaluateChannel, HoldsDelayTheMove) {
    // Hold 3 on key 0: frames 0-2 held, the move covers frames 3-9 (7 frames). A held first
    // key on the last move eases in and out: frame 6 is s = 3/7.
    const auto held = MakeKeys({{0, 0.0f, 3}, {10, 10.0f}});
    for (int t = 0; t <= 3; ++t)
        EXPECT_EQ(Eval(held, t, kStraight | kLinear), 0.0) << "frame " << t;
    EXPECT_NEAR(Eval(held, 6, kStraight | kLinear), 3.886992855378252, kTight);
    EXPECT_EQ(Eval(held, 10, kStraight | kLinear), 10.0);

    // Hold -1 holds the whole gap: v0 up to frame 9, v1 at frame 10, even with half-frame on.
    const auto all = MakeKeys({{0, 0.0f, -1}, {10, 10.0f}});
    for (int t = 0; t <= 9; ++t) {
        EXPECT_EQ(Eval(all, t, kSlowInOut), 0.0) << "frame " << t;
        EXPECT_EQ(Eval(all, t, kSlowInOut, true), 0.0) << "frame " << t;
    }
    EXPECT_EQ(Eval(all, 10, kSlowInOut), 10.0);
}

TEST(EvaluateChannel, OutsideTheKeysGivesTheLastValueExactly) {
    const auto keys = MakeKeys({{5, 1.25f}, {10, 3.5f}, {20, 7.75f}});
    for (uint8_t mode : {uint8_t(0), uint8_t(kStraight | kLinear), uint8_t(kSlowOut)}) {
        EXPECT_EQ(Eval(keys, 20, mode), 7.75);
        EXPECT_EQ(Eval(keys, 21, mode, true), 7.75);
        EXPECT_EQ(Eval(keys, INT_MAX, mode), 7.75);
        // Before the first key no move contains the frame either.
        EXPECT_EQ(Eval(keys, 4, mode), 7.75);
        EXPECT_EQ(Eval(keys, INT_MIN, mode), 7.75);
        // A key's own frame starts its move at s = 0 (u = 0 for in-out and in curves).
        EXPECT_EQ(Eval(keys, 5, mode & ~0x0F), 1.25);
    }
}

TEST(EvaluateChannel, SingleKeyAtEveryFrame) {
    const auto keys = MakeKeys({{7, 42.5f, 3}});
    for (int t : {INT_MIN, -1, 0, 7, 8, 1000, INT_MAX})
        EXPECT_EQ(Eval(keys, t, 0), 42.5);
}

// ---------------------------------------------------------------------------------------------
// The tangent walk across several keys.

TEST(EvaluateChannel, FourKeyCurvedTangentWalk) {
    // Keys at 0, 10, 20, 30 with values 0, 2, 30, 30.5; e = 0, curved.
    //   S starts at |trunc(2 - 0)| = 2.
    //   k = 0: S' = |trunc(30 - 2)| = 28, r = 3 * 2 / 28 = 0.2142857, S = 28
    //          m0 = 0, m1 = 0.5 * (30 - 0) * r = 3.2142857
    //   k = 1: S' = |trunc(30.5 - 30)| = 0 -> 1, r = 3 * 1 / 28 = 0.1071429, S = 1
    //          m0 = 3.2142857, m1 = 0.5 * (30.5 - 2) * r = 1.5267857
    //          K2 = 3 * 28 - 2 * m0 - m1 = 76.0446429, K3 = -56 + m0 + m1 = -51.2589286
    //   k = 2 (last): r = 1, m0 = 1.5267857, m1 = 30.5 - 30 = 0.5
    // Easing with e = 0 and four keys: first move in, middle in-out, last out.
    const auto keys = MakeKeys({{0, 0.0f}, {10, 2.0f}, {20, 30.0f}, {30, 30.5f}});

    // k = 0, t = 5: u = in(0.5) = 0.29285916, K2 = 6 - m1, K3 = -4 + m1.
    EXPECT_NEAR(Eval(keys, 5, kSlowInOut), 0.21918575421450479, kTight);
    // k = 1, t = 15: u = in-out(0.5) = 0.49995184, 2 + u (m0 + u (K2 + u K3)).
    EXPECT_NEAR(Eval(keys, 15, kSlowInOut), 16.208971721885572, kTight);
    // k = 2, t = 25: u = out(0.5) = 0.70700460, K2 = 1.5 - 2 m0 - 0.5, K3 = -1 + m0 + 0.5.
    EXPECT_NEAR(Eval(keys, 25, kSlowInOut), 30.415821757706436, kTight);
}

TEST(EvaluateChannel, TangentRatioIsCappedAtOne) {
    // Keys 0, 10, 30 at frames 0, 10, 20: S = 10, S' = 20, 3 * 10 / 20 = 1.5 -> r = 1.
    //   k = 0: m0 = 0, m1 = 0.5 * 30 = 15: K2 = 30 - 15 = 15, K3 = -20 + 15 = -5; u = in(0.5)
    //   k = 1: m0 = 15, m1 = 20: K2 = 60 - 30 - 20 = 10, K3 = -40 + 35 = -5; u = out(0.5)
    const auto keys = MakeKeys({{0, 0.0f}, {10, 10.0f}, {20, 30.0f}});
    EXPECT_NEAR(Eval(keys, 5, kSlowInOut), 1.1609098286340074, kTight);
    EXPECT_NEAR(Eval(keys, 15, kSlowInOut), 23.836623421880514, kTight);
}

TEST(EvaluateChannel, HoldOnThePreviousKeyResetsTheIncomingTangent) {
    // As above with a hold of 2 on key 0: at k = 1 the running tangent is reset, so m0 = 0:
    //   K2 = 84 - m1 = 82.4732143, K3 = -56 + m1 = -54.4732143, u = in-out(0.5).
    const auto keys = MakeKeys({{0, 0.0f, 2}, {10, 2.0f}, {20, 30.0f}, {30, 30.5f}});
    EXPECT_NEAR(Eval(keys, 15, kSlowInOut), 15.807147308598292, kTight);
}

TEST(EvaluateChannel, FirstStepBelowOneGivesAFlatFirstTangent) {
    // Values 0, 0.5, 10.5: the initial S = |trunc(0.5)| = 0 is not raised to 1, so
    // r = 3 * 0 / 10 = 0 and m1 = 0. Move 0 is then 0.5 * (3u^2 - 2u^3) with u = in(0.5).
    const auto flat = MakeKeys({{0, 0.0f}, {10, 0.5f}, {20, 10.5f}});
    const double u = 0.2928591629686673;
    EXPECT_NEAR(Eval(flat, 5, kSlowInOut), 0.5 * (3 * u * u - 2 * u * u * u), kTight);
    // The second move starts with m0 = 0: K2 = 3 * 10 - m1, K3 = -20 + m1, m1 = 10.
    const double uo = 0.7070046038107998;
    EXPECT_NEAR(Eval(flat, 15, kSlowInOut), 0.5 + uo * uo * (20.0 - 10.0 * uo), kTight);
}

// ---------------------------------------------------------------------------------------------
// Easing rules: holds at either end take precedence, in the order of the rules.

struct EasingCase {
    const char* what;
    std::vector<K> keys;
    uint8_t easing;
    int t;
    double base;  // P0 of the move
    double u;     // expected eased time at s = 0.3
};

TEST(EvaluateChannel, EasingRulePrecedence) {
    // Moves are 10 units long; hold cases use gaps of 12 with a hold of 2, so s = 0.3 too.
    const std::vector<EasingCase> cases = {
        {"NH first e0 -> in-out", {{0, 0}, {10, 10, 2}, {22, 20}}, kSlowInOut, 3, 0, kInOut03},
        {"NH first e1 -> in-out", {{0, 0}, {10, 10, 2}, {22, 20}}, kSlowIn, 3, 0, kInOut03},
        {"NH first e2 -> out", {{0, 0}, {10, 10, 2}, {22, 20}}, kSlowOut, 3, 0, kOut03},
        {"NH e3 -> linear", {{0, 0}, {10, 10, 2}, {22, 20}}, kLinear, 3, 0, kLinear03},
        {"NH middle e1 -> out", {{0, 0}, {10, 10}, {20, 20, 2}, {32, 30}}, kSlowIn, 13, 10, kOut03},
        {"NH middle e0 -> out",
         {{0, 0}, {10, 10}, {20, 20, 2}, {32, 30}},
         kSlowInOut,
         13,
         10,
         kOut03},
        {"NH and H first e0 -> in-out",
         {{0, 0, 2}, {12, 10, 2}, {24, 20}},
         kSlowInOut,
         5,
         0,
         kInOut03},
        {"NH and H first e2 -> out", {{0, 0, 2}, {12, 10, 2}, {24, 20}}, kSlowOut, 5, 0, kOut03},
        {"NH and H first e3 -> in", {{0, 0, 2}, {12, 10, 2}, {24, 20}}, kLinear, 5, 0, kIn03},
        {"H last e3 -> in-out", {{0, 0}, {10, 10, 2}, {22, 20}}, kLinear, 15, 10, kInOut03},
        {"H last e2 -> in-out", {{0, 0}, {10, 10, 2}, {22, 20}}, kSlowOut, 15, 10, kInOut03},
        {"H not last e2 -> in", {{0, 0, 2}, {12, 10}, {22, 20}}, kSlowOut, 5, 0, kIn03},
        {"H not last e3 -> in", {{0, 0, 2}, {12, 10}, {22, 20}}, kLinear, 5, 0, kIn03},
        {"e0 two keys -> in-out", {{0, 0}, {10, 10}}, kSlowInOut, 3, 0, kInOut03},
        {"e0 first -> in", {{0, 0}, {10, 10}, {20, 20}}, kSlowInOut, 3, 0, kIn03},
        {"e0 last -> out", {{0, 0}, {10, 10}, {20, 20}}, kSlowInOut, 13, 10, kOut03},
        {"e0 middle -> in-out",
         {{0, 0}, {10, 10}, {20, 20}, {30, 30}},
         kSlowInOut,
         13,
         10,
         kInOut03},
        {"e1 last -> in", {{0, 0}, {10, 10}, {20, 20}}, kSlowIn, 13, 10, kIn03},
        {"e2 first -> out", {{0, 0}, {10, 10}, {20, 20}}, kSlowOut, 3, 0, kOut03},
        {"e3 two keys -> linear", {{0, 0}, {10, 10}}, kLinear, 3, 0, kLinear03},
        {"e4 acts as linear", {{0, 0}, {10, 10}}, 4, 3, 0, kLinear03},
        {"e15 acts as linear", {{0, 0}, {10, 10}, {20, 20}}, 15, 13, 10, kLinear03},
        {"e7 with NH acts as linear", {{0, 0}, {10, 10, 2}, {22, 20}}, 7, 3, 0, kLinear03},
    };
    for (const EasingCase& c : cases)
        EXPECT_NEAR(Eval(MakeKeys(c.keys), c.t, kStraight | c.easing), c.base + 10.0 * c.u, kTight)
            << c.what;
}

// ---------------------------------------------------------------------------------------------
// Broken key lists must give defined results without overflow, division by zero or hanging.

TEST(EvaluateChannel, HostileKeys) {
    // Keys at the ends of the int32 range: the move is 2^32 - 1 frames long, which only 64-bit
    // frame arithmetic gets right; frame 0 lies half-way.
    const auto wide = MakeKeys({{INT_MIN, 0.0f}, {INT_MAX, 10.0f}});
    EXPECT_NEAR(Eval(wide, 0, kStraight | kLinear), 5.0, 1e-6);
    EXPECT_EQ(Eval(wide, INT_MIN, kStraight | kLinear), 0.0);
    EXPECT_EQ(Eval(wide, INT_MAX, kStraight | kLinear), 10.0);
    EXPECT_TRUE(std::isfinite(Eval(wide, INT_MAX - 1, 0, true)));

    // Unsorted keys: moves that run backwards are never entered.
    const auto unsorted = MakeKeys({{20, 1.0f}, {0, 2.0f}, {10, 3.0f}});
    EXPECT_EQ(Eval(unsorted, 25, 0), 3.0);
    EXPECT_EQ(Eval(unsorted, 15, 0), 3.0);
    EXPECT_TRUE(std::isfinite(Eval(unsorted, 5, 0)));
    EXPECT_EQ(Eval(unsorted, 0, kStraight | kLinear), 2.0);

    // Duplicate frames: the zero-length move is skipped and the next one taken.
    const auto dup = MakeKeys({{0, 0.0f}, {10, 10.0f}, {10, 50.0f}, {20, 60.0f}});
    EXPECT_EQ(Eval(dup, 10, kStraight | kLinear), 50.0);
    EXPECT_DOUBLE_EQ(Eval(dup, 15, kStraight | kLinear), 55.0);

    // Holds longer than the gap, or at the int16 limits.
    const auto longHold = MakeKeys({{0, 0.0f, 100}, {10, 10.0f}});
    for (int t = 0; t < 10; ++t)
        EXPECT_EQ(Eval(longHold, t, 0, true), 0.0);
    const auto maxHold = MakeKeys({{0, 0.0f, INT16_MAX}, {INT_MAX, 10.0f}});
    EXPECT_EQ(Eval(maxHold, INT16_MAX - 1, kLinear), 0.0);
    EXPECT_TRUE(std::isfinite(Eval(maxHold, INT16_MAX + 5, kLinear)));
    const auto minHold = MakeKeys({{0, 0.0f, INT16_MIN}, {10, 10.0f}});
    EXPECT_EQ(Eval(minHold, 9, 0), 0.0);  // any negative hold holds the whole gap

    // Bad arguments.
    EXPECT_EQ(EvaluateChannel(0, wide.data(), 0, 0, false, 0), 0.0);
    EXPECT_EQ(EvaluateChannel(2, nullptr, 0, 0, false, 0), 0.0);
    EXPECT_EQ(EvaluateChannel(2, wide.data(), 12, 0, false, 0), 0.0);
    EXPECT_EQ(EvaluateChannel(2, wide.data(), -1, 0, false, 0), 0.0);
}

// ---------------------------------------------------------------------------------------------
// EvaluateNode.

TEST(EvaluateNode, FillsPoseFromRelativeFrame) {
    ShowNode node;
    node.startFrame = 100;
    node.endFrame = 200;
    node.motionMode = kStraight | kLinear;
    node.keys = MakeKeys({{0, 0.0f}, {10, 10.0f}});
    node.keys[0].channel[kTilt] = -90.0f;
    node.keys[1].channel[kTilt] = -80.0f;
    node.keys[0].channel[kSpare11] = 4.0f;
    node.keys[1].channel[kSpare11] = 8.0f;

    EvaluateNode(node, 105, false);
    EXPECT_FLOAT_EQ(node.pose.eastWest(), 5.0f);
    EXPECT_FLOAT_EQ(node.pose.tilt(), -85.0f);
    EXPECT_FLOAT_EQ(node.pose.channel[kSpare11], 6.0f);
    EXPECT_EQ(node.pose.act, 0);

    EvaluateNode(node, 105, true);
    EXPECT_FLOAT_EQ(node.pose.eastWest(), 5.5f);

    // Every channel agrees with EvaluateChannel (actionFrame aside).
    node.motionMode = kSlowInOut;
    node.keys.push_back(MakeKeys({{30, -4.0f}})[0]);
    node.keys[2].channel[kUpDown] = 12.0f;
    for (int frame : {100, 103, 115, 129, 131}) {
        EvaluateNode(node, frame, false);
        for (int c = 0; c < kChannelCount; ++c) {
            if (c == kActionFrame) continue;
            EXPECT_EQ(node.pose.channel[c],
                      static_cast<float>(EvaluateChannel(3, node.keys.data(), c, frame - 100, false,
                                                         node.motionMode)))
                << "frame " << frame << " channel " << c;
        }
    }
}

TEST(EvaluateNode, RangeFlagIncludesEndFrame) {
    ShowNode node;
    node.startFrame = 100;
    node.endFrame = 200;
    node.keys = MakeKeys({{0, 1.0f}});
    const std::vector<std::pair<int, uint16_t>> expected = {
        {99, 0xFFFF}, {100, 0}, {150, 0}, {199, 0}, {200, 0}, {201, 0xFFFF}, {INT_MIN, 0xFFFF}};
    for (const auto& [frame, act] : expected) {
        EvaluateNode(node, frame, false);
        EXPECT_EQ(node.pose.act, act) << "frame " << frame;
        EXPECT_EQ(node.pose.eastWest(), 1.0f);
    }
}

TEST(EvaluateNode, ActionFrameComesFromTheKeyStartingTheMove) {
    ShowNode node;
    node.startFrame = 50;
    node.endFrame = 100;
    node.keys = MakeKeys({{0, 0.0f}, {10, 10.0f}, {20, 20.0f}});
    node.keys[0].actionFrame() = 1.0f;
    node.keys[1].actionFrame() = 7.0f;
    node.keys[2].actionFrame() = 3.0f;
    const std::vector<std::pair<int, float>> expected = {
        {50, 1.0f}, {59, 1.0f}, {60, 7.0f}, {69, 7.0f},
        {70, 3.0f}, {99, 3.0f}, {49, 3.0f},  // before the first key: the last key
    };
    for (const auto& [frame, action] : expected) {
        EvaluateNode(node, frame, true);
        EXPECT_EQ(node.pose.actionFrame(), action) << "frame " << frame;
    }
}

TEST(EvaluateNode, NodeWithoutKeysKeepsItsPose) {
    ShowNode node;
    node.startFrame = 0;
    node.endFrame = 10;
    for (int c = 0; c < kChannelCount; ++c)
        node.pose.channel[c] = static_cast<float>(c) * 1.5f;
    node.pose.frame = 77;
    node.pose.hold = 3;
    node.pose.act = 0xFFFF;
    const KeyFrame before = node.pose;
    EvaluateNode(node, 5, false);
    EXPECT_EQ(node.pose, before);
}

TEST(EvaluateNode, HostileRangesAndValues) {
    ShowNode node;
    node.startFrame = INT_MIN;
    node.endFrame = INT_MAX;
    node.keys = MakeKeys({{0, -FLT_MAX}, {10, FLT_MAX}, {20, 0.0f}, {30, -FLT_MAX}});
    // frame - startFrame overflows int32: the frame is after every key.
    EvaluateNode(node, INT_MAX, false);
    EXPECT_EQ(node.pose.eastWest(), -FLT_MAX);
    EXPECT_EQ(node.pose.act, 0);
    // This curve overshoots the float range just after key 1 (about 3.438e38 at t = 11 in
    // double); the pose saturates and stays finite.
    EXPECT_GT(EvaluateChannel(4, node.keys.data(), kEastWest, 11, false, 0), double(FLT_MAX));
    EvaluateNode(node, INT_MIN + 11, false);
    EXPECT_EQ(node.pose.eastWest(), FLT_MAX);
    for (int64_t t = 0; t < 30; ++t) {
        EvaluateNode(node, static_cast<int>(INT_MIN + t), t % 2 == 0);
        for (int c = 0; c < kChannelCount; ++c)
            EXPECT_TRUE(std::isfinite(node.pose.channel[c])) << "t " << t << " channel " << c;
    }
}

// ---------------------------------------------------------------------------------------------
// ScaleKeys.

TEST(ScaleKeys, StretchesFramesAndPositiveHolds) {
    ShowNode node;
    node.keys = MakeKeys({{0, 0.0f, 4}, {30, 1.0f, 5}, {60, 2.0f, -1}, {99, 3.0f}});
    ScaleKeys(node, 100, 50);
    // 30 * 0.5 = 15; hold 5 * 0.5 + 0.5 = 3 (truncated); 99 * 0.5 + 0.5 = 50.
    EXPECT_EQ(node.keys[0].frame, 0);
    EXPECT_EQ(node.keys[0].hold, 4);  // the first key keeps its frame and hold
    EXPECT_EQ(node.keys[1].frame, 15);
    EXPECT_EQ(node.keys[1].hold, 3);
    EXPECT_EQ(node.keys[2].frame, 30);
    EXPECT_EQ(node.keys[2].hold, -1);
    EXPECT_EQ(node.keys[3].frame, 50);

    ScaleKeys(node, 3, 10);  // 15 * 10/3 = 50; hold 3 * 10/3 + 0.5 = 10.5 -> 10
    EXPECT_EQ(node.keys[1].frame, 50);
    EXPECT_EQ(node.keys[1].hold, 10);
}

TEST(ScaleKeys, NothingToDo) {
    ShowNode one;
    one.keys = MakeKeys({{5, 1.0f, 2}});
    ScaleKeys(one, 100, 50);
    EXPECT_EQ(one.keys[0].frame, 5);

    ShowNode same;
    same.keys = MakeKeys({{0, 0.0f}, {30, 1.0f, 5}});
    const auto before = same.keys;
    ScaleKeys(same, 100, 100);
    EXPECT_EQ(same.keys, before);
    ScaleKeys(same, 0, 100);  // no ratio from an empty length
    EXPECT_EQ(same.keys, before);
    ScaleKeys(same, -5, 100);
    EXPECT_EQ(same.keys, before);
}

TEST(ScaleKeys, SaturatesInsteadOfOverflowing) {
    ShowNode node;
    node.keys = MakeKeys({{0, 0.0f}, {INT_MAX, 1.0f, 30000}, {INT_MIN, 2.0f}});
    ScaleKeys(node, 1, 2);
    EXPECT_EQ(node.keys[1].frame, INT_MAX);
    EXPECT_EQ(node.keys[1].hold, INT16_MAX);
    EXPECT_EQ(node.keys[2].frame, INT_MIN);
}

TEST(ScaleKeys, RunsFromSetRangeWhenStretching) {
    ShowNode node;
    node.startFrame = 0;
    node.endFrame = 100;
    node.keys = MakeKeys({{0, 0.0f}, {30, 1.0f, 5}});
    ASSERT_TRUE(node.SetRange(0, 50, RangeValues::kAbsolute, KeyTiming::kStretch));
    EXPECT_EQ(node.keys[1].frame, 15);
    EXPECT_EQ(node.keys[1].hold, 3);
    ASSERT_TRUE(node.SetRange(0, 100, RangeValues::kAbsolute));
    EXPECT_EQ(node.keys[1].frame, 15);
}

// ---------------------------------------------------------------------------------------------
// ConstantMotion.

TEST(ConstantMotion, RetimesAMiddleKeyForEvenSpeed) {
    // Straight linear along east-west: 10 units in frames 0-10, then 20 units in 10-20.
    // Steps 0->1 .. 18->19 (the step into frame 20 is not counted): 10 x 1 + 9 x 2 = 28;
    // average = 28 / 20 = 1.4. Key 1: steps 0->1 .. 8->9 = 9; 9 / 1.4 = 6.43 -> frame 6.
    ShowNode node;
    node.motionMode = kStraight | kLinear;
    SetPath(node, {{0, 0, 0}, {10, 10, 0}, {20, 30, 0}});
    ConstantMotion(node, 0, 2592000);
    EXPECT_EQ(node.keys[0].frame, 0);
    EXPECT_EQ(node.keys[1].frame, 6);
    EXPECT_EQ(node.keys[2].frame, 20);
}

TEST(ConstantMotion, LaterKeysAreMeasuredOnTheRetimedPath) {
    // Moves of 10 units over 10 frames, 20 over 10, 10 over 20 (x = 0, 10, 30, 40).
    // Total of steps 0->1 .. 38->39: 10 x 1 + 10 x 2 + 19 x 0.5 = 39.5; average 0.9875.
    // Key 1: 9 / 0.9875 = 9.11 -> 9. Key 2, with key 1 now at 9: x runs 10 -> 30 over
    // frames 9-20, steps 9->10 .. 18->19 = 10 x 20/11 = 18.18; / 0.9875 = 18.41 -> 9 + 18.
    ShowNode node;
    node.motionMode = kStraight | kLinear;
    SetPath(node, {{0, 0, 0}, {10, 10, 0}, {20, 30, 0}, {40, 40, 0}});
    ConstantMotion(node, 0, 2592000);
    EXPECT_EQ(node.keys[1].frame, 9);
    EXPECT_EQ(node.keys[2].frame, 27);
    EXPECT_EQ(node.keys[3].frame, 40);
    EXPECT_EQ(node.keys[0].hold, 0);
}

TEST(ConstantMotion, DiagonalDistanceAndToFrameLimit) {
    // Ground distance uses both axes: a 3-4-5 step per frame, then 6-8-10 per frame.
    // With toFrame 15, end = 15: steps 0->1 .. 13->14 = 10 x 5 + 4 x 10 = 90; avg = 6.
    // Key 1: 9 x 5 = 45 -> 45 / 6 = 7.5 -> 7. Key 2 at 20 >= end is left alone.
    ShowNode node;
    node.motionMode = kStraight | kLinear;
    SetPath(node, {{0, 0, 0}, {10, 30, 40}, {20, 90, 120}});
    ConstantMotion(node, 0, 15);
    EXPECT_EQ(node.keys[1].frame, 7);
    EXPECT_EQ(node.keys[2].frame, 20);
}

// The re-timing again, measured with EvaluateChannel frame by frame as the walk describes it:
// ConstantMotion's own path measurement must land every key on the very same frame.
namespace {
double ReferenceLength(const std::vector<KeyFrame>& k, uint8_t mode, int from, int to) {
    double total = 0.0;
    const int n = int(k.size());
    double px = EvaluateChannel(n, k.data(), kEastWest, from, false, mode);
    double py = EvaluateChannel(n, k.data(), kNorthSouth, from, false, mode);
    for (int a = from + 1; a <= to; ++a) {
        const double x = EvaluateChannel(n, k.data(), kEastWest, a, false, mode);
        const double y = EvaluateChannel(n, k.data(), kNorthSouth, a, false, mode);
        total += std::sqrt((x - px) * (x - px) + (y - py) * (y - py));
        px = x;
        py = y;
    }
    return total;
}
}  // namespace

TEST(ConstantMotion, MatchesAMeasurementByEvaluateChannel) {
    uint32_t seed = 12345;
    auto next = [&seed](uint32_t range) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % range;
    };
    for (int trial = 0; trial < 40; ++trial) {
        ShowNode node;
        node.endFrame = 5000;
        node.motionMode = static_cast<uint8_t>(next(5) | (next(2) ? kStraightMotion : 0));
        const int n = 2 + int(next(7));
        int frame = 0;
        for (int i = 0; i < n; ++i) {
            KeyFrame k;
            k.frame = frame;
            k.eastWest() = float(next(4000));
            k.northSouth() = float(next(4000)) * 0.37f;
            k.hold = static_cast<int16_t>(next(4) == 0 ? -1 : next(3) == 0 ? next(20) : 0);
            node.keys.push_back(k);
            frame += 1 + int(next(300));
        }
        for (size_t i = 0; i + 1 < node.keys.size(); ++i)
            if (node.keys[i].hold > node.keys[i + 1].frame - node.keys[i].frame)
                node.keys[i].hold =
                    static_cast<int16_t>(node.keys[i + 1].frame - node.keys[i].frame);

        std::vector<KeyFrame> expected = node.keys;
        const int last = expected.back().frame;
        const double average = ReferenceLength(expected, node.motionMode, 0, last - 1) / last;
        if (average > 0.0) {
            for (int k = 1; k < n; ++k) {
                if (expected[k].frame >= last) continue;
                const int prev = expected[k - 1].frame;
                const double d =
                    ReferenceLength(expected, node.motionMode, prev, expected[k].frame - 1);
                expected[k].frame = prev + int(std::trunc(d / average));
            }
        }
        ConstantMotion(node, 0, 2592000);
        for (int k = 0; k < n; ++k)
            EXPECT_EQ(node.keys[k].frame, expected[k].frame) << "trial " << trial << " key " << k;
    }
}

TEST(ConstantMotion, NothingToDo) {
    ShowNode single;
    SetPath(single, {{0, 5, 5}});
    ConstantMotion(single, 0, 2592000);
    EXPECT_EQ(single.keys[0].frame, 0);

    ShowNode still;  // no movement on the ground: average 0
    SetPath(still, {{0, 5, 5}, {10, 5, 5}, {20, 5, 5}});
    still.keys[1].upDown() = 100.0f;
    ConstantMotion(still, 0, 2592000);
    EXPECT_EQ(still.keys[1].frame, 10);

    ShowNode early;  // last key at frame 0
    SetPath(early, {{0, 0, 0}, {0, 10, 0}});
    ConstantMotion(early, 0, 2592000);
    EXPECT_EQ(early.keys[1].frame, 0);
}

TEST(ConstantMotion, HostileKeysFinishQuickly) {
    ShowNode node;
    node.motionMode = kSlowInOut;
    SetPath(node, {{INT_MIN, 0, 0}, {10, 100, 50}, {5, -30, 20}, {INT_MAX, 10, 10}});
    node.keys[1].hold = INT16_MAX;
    const auto start = std::chrono::steady_clock::now();
    ConstantMotion(node, 0, 2000);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(5));
    EXPECT_EQ(node.keys[0].frame, INT_MIN);
    EXPECT_EQ(node.keys[3].frame, INT_MAX);
    for (const KeyFrame& k : node.keys)
        EXPECT_TRUE(std::isfinite(k.eastWest()));
}

// ---------------------------------------------------------------------------------------------
// SampleMotionPath.

TEST(SampleMotionPath, SixteenLinesPerMoveStartingAtTheKey) {
    ShowNode node;
    node.motionMode = kStraight | kLinear;
    SetPath(node, {{0, 0, 0}, {16, 160, 32}, {48, 0, 0}});
    const auto lines = Sample(node, 1.0);
    ASSERT_EQ(lines.size(), 32u);
    EXPECT_EQ(lines[0], (Line{0, 0, 10, 2}));
    for (size_t i = 1; i < 16; ++i)
        EXPECT_EQ(lines[i].x0, lines[i - 1].x1);
    EXPECT_EQ(lines[15], (Line{150, 30, 160, 32}));
    // Move 1 starts at key 1 itself; step 2 frames: 160 - 10 per sample, 32 - 2.
    EXPECT_EQ(lines[16], (Line{160, 32, 150, 30}));
    EXPECT_EQ(lines[31], (Line{10, 2, 0, 0}));
}

TEST(SampleMotionPath, SampleFramesAndCoordinatesAreTruncated) {
    // An 8-frame move: step 0.5, sample frames 0, 1, 1, 2, 2, ..., 8.
    // x = -10 * t scaled by 0.25 truncates toward zero: -2.5 -> -2, -5 -> -5, -7.5 -> -7.
    ShowNode node;
    node.motionMode = kStraight | kLinear;
    SetPath(node, {{0, 0, 0}, {8, -80, 8}});
    const auto lines = Sample(node, 0.25);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0], (Line{0, 0, 0, 0}));       // frame 0
    EXPECT_EQ(lines[1], (Line{0, 0, -2, 0}));      // frame 1: (-10, 1) * 0.25
    EXPECT_EQ(lines[2], (Line{-2, 0, -2, 0}));     // frame 1 again
    EXPECT_EQ(lines[3], (Line{-2, 0, -5, 0}));     // frame 2: (-20, 2) * 0.25
    EXPECT_EQ(lines[5], (Line{-5, 0, -7, 0}));     // frame 3: (-30, 3) * 0.25 = (-7.5, 0.75)
    EXPECT_EQ(lines[15], (Line{-17, 1, -20, 2}));  // frame 7 -> frame 8
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
