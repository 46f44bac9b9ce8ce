// Key-frame evaluation: which move a frame falls in, holds, easing of time within a move, and
// the straight or curved (cubic Hermite) path between two keys. Also the operations that
// rewrite key timing: stretching, constant-speed re-timing and sampling the ground path.
//
// Frames are int32 in the model but every sum of frames is taken in 64 bits, so keys read from
// a damaged file (unsorted, INT32_MIN/MAX frames, holds longer than their move) give a defined
// result: a move whose next key is not later than its own key is simply never entered.

#include "Motion.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <vector>

#include "ShowNode.h"

namespace quillon {

namespace {

constexpr double kHalfFrameOffset = 0.5;
constexpr double kTangentScale = 0.5;
constexpr double kTangentRatioFactor = 3.0;
// The easing curves use these instead of pi and pi/2; results must match them exactly.
constexpr double kEaseAngleFull = 3.1414;
constexpr double kEaseAngleHalf = 1.5707;
constexpr double kPathStep = 0.0625;  // 16 samples per move
constexpr double kScaleRounding = 0.5;
constexpr int kPathSamples = 16;

enum class Curve { InOut, In, Out, Linear };

int EasingOf(uint8_t motionMode) {
    const int e = motionMode & 0x0F;
    return e > kLinear ? kLinear : e;
}

// Holds at either end of a move override the node's easing kind; the first matching rule wins.
Curve ChooseCurve(int k, int n, bool holdHere, bool holdNext, int e) {
    const bool first = k == 0;
    const bool last = k == n - 2;
    if (holdNext && first && e <= kSlowIn) return Curve::InOut;
    if (holdNext && e <= kSlowOut) return Curve::Out;
    if (holdHere && last) return Curve::InOut;
    if (holdHere) return Curve::In;
    switch (e) {
        case kSlowInOut:
            if (n == 2) return Curve::InOut;
            if (first) return Curve::In;
            if (last) return Curve::Out;
            return Curve::InOut;
        case kSlowIn:
            return Curve::In;
        case kSlowOut:
            return Curve::Out;
        default:
            return Curve::Linear;
    }
}

double ApplyCurve(Curve curve, double s) {
    switch (curve) {
        case Curve::InOut:
            return 1.0 - 0.5 * (1.0 + std::cos(kEaseAngleFull * s));
        case Curve::In:
            return 1.0 - std::cos(kEaseAngleHalf * s);
        case Curve::Out:
            return -std::cos(kEaseAngleHalf + kEaseAngleHalf * s);
        case Curve::Linear:
            break;
    }
    return s;
}

// Size of a step between neighbouring key values, in whole units.
double StepSize(double delta) {
    return std::fabs(std::trunc(delta));
}

// Stores a double in a float channel without leaving the float range (NaN passes through).
float ToChannel(double v) {
    if (v > FLT_MAX) return FLT_MAX;
    if (v < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(v);
}

// Truncating conversion that saturates instead of overflowing; NaN gives the fallback.
int32_t TruncToInt32(double v, int32_t fallback) {
    if (std::isnan(v)) return fallback;
    if (v >= static_cast<double>(INT32_MAX)) return INT32_MAX;
    if (v <= static_cast<double>(INT32_MIN)) return INT32_MIN;
    return static_cast<int32_t>(v);
}

int16_t TruncToInt16(double v, int16_t fallback) {
    if (std::isnan(v)) return fallback;
    if (v >= static_cast<double>(INT16_MAX)) return INT16_MAX;
    if (v <= static_cast<double>(INT16_MIN)) return INT16_MIN;
    return static_cast<int16_t>(v);
}

int ScaledCoordinate(double v, double scale) {
    return TruncToInt32(v * scale, 0);
}

// Outgoing tangent of move k for channel c, (P2 - P0) x 0.5 x r, or the whole step for the last
// move. prevStep is the running step size S of the walk; it moves on to the next step here.
[[gnu::always_inline]] inline double OutgoingTangent(const KeyFrame* keys, int n, int k, int c,
                                                     double& prevStep) {
    const double p0 = keys[k].channel[c];
    const double p1 = keys[k + 1].channel[c];
    if (k == n - 2) return p1 - p0;  // r is 1 for the last move
    const double p2 = keys[k + 2].channel[c];
    double nextStep = StepSize(p2 - p1);
    if (nextStep == 0.0) nextStep = 1.0;
    const double lo = std::min(prevStep, nextStep);
    const double hi = std::max(prevStep, nextStep);
    // hi >= 1 because nextStep >= 1 (only NaN keys can make it otherwise).
    double r = kTangentRatioFactor * lo / hi;
    if (r > 1.0) r = 1.0;
    prevStep = nextStep;
    return kTangentScale * (p2 - p0) * r;
}

// The value at eased time u of a move from p0 to p1: straight, or the cubic through the two
// keys with tangents m0 and m1.
[[gnu::always_inline]] inline double MoveValue(double p0, double p1, double m0, double m1, double u,
                                               bool straight) {
    if (straight) return p0 + u * (p1 - p0);
    const double k0 = p0;
    const double k1 = m0;
    const double k2 = 3.0 * (p1 - p0) - 2.0 * m0 - m1;
    const double k3 = 2.0 * (p0 - p1) + m0 + m1;
    return k0 + u * (k1 + u * (k2 + u * k3));
}

// Evaluates N channels at relative frame t in one walk over the moves. Each channel carries
// its own running tangent T and previous step size S; the walk, the segment test and the
// easing are shared. EvaluateChannel is this with N = 1, so every caller gets the same bits.
template <int N>
void EvaluateChannels(const KeyFrame* keys, int n, const int (&channels)[N], int64_t t,
                      bool halfFrame, uint8_t motionMode, double (&out)[N]) {
    if (n == 1) {
        for (int i = 0; i < N; ++i)
            out[i] = keys[0].channel[channels[i]];
        return;
    }

    double prevStep[N];  // S
    double tangent[N];   // T
    double m0[N];
    for (int i = 0; i < N; ++i) {
        const int c = channels[i];
        prevStep[i] = StepSize(double(keys[1].channel[c]) - double(keys[0].channel[c]));
        tangent[i] = 0.0;
    }

    for (int k = 0; k <= n - 2; ++k) {
        const KeyFrame& a = keys[k];
        const KeyFrame& b = keys[k + 1];
        const bool resetTangent = k > 0 && keys[k - 1].hold != 0;

        for (int i = 0; i < N; ++i) {
            const double m1 = OutgoingTangent(keys, n, k, channels[i], prevStep[i]);
            if (resetTangent) tangent[i] = 0.0;
            m0[i] = tangent[i];
            tangent[i] = m1;
        }

        const int64_t fk = a.frame;
        const int64_t length = int64_t(b.frame) - fk;
        if (t < fk || t >= fk + length) continue;

        // Found the move containing t; tangent[i] is now its outgoing tangent m1.
        const int64_t hold = a.hold < 0 ? length : int64_t(a.hold);
        if (t < fk + hold) {
            for (int i = 0; i < N; ++i)
                out[i] = a.channel[channels[i]];
            return;
        }
        // Here fk + hold <= t < fk + length, so the divisor is at least 1.
        const double s =
            (double(t - fk - hold) + (halfFrame ? kHalfFrameOffset : 0.0)) / double(length - hold);
        const Curve curve = ChooseCurve(k, n, a.hold != 0, b.hold != 0, EasingOf(motionMode));
        const double u = ApplyCurve(curve, s);
        const bool straight = (motionMode & kStraightMotion) != 0;
        for (int i = 0; i < N; ++i) {
            const int c = channels[i];
            out[i] = MoveValue(a.channel[c], b.channel[c], m0[i], tangent[i], u, straight);
        }
        return;
    }

    // After the last key or before the first: the last key's value.
    for (int i = 0; i < N; ++i)
        out[i] = keys[n - 1].channel[channels[i]];
}

struct GroundPoint {
    double x;
    double y;
};

GroundPoint GroundAt(const KeyFrame* keys, int n, int64_t t, uint8_t motionMode) {
    static constexpr int kGround[2] = {kEastWest, kNorthSouth};
    double v[2];
    EvaluateChannels(keys, n, kGround, t, false, motionMode, v);
    return {v[0], v[1]};
}

// The ground path (east-west, north-south) of a key list, prepared for evaluation at many
// frames. The tangents of every move depend only on the moves before it, so one walk records
// them all; a frame then costs a search for its move and one curve, not a walk from the first
// key. The arithmetic is EvaluateChannels' own, step for step, so the values are the same bits.
class GroundWalk {
  public:
    GroundWalk(const KeyFrame* keys, int n, uint8_t motionMode)
        : keys_(keys), n_(n), mode_(motionMode) {
        if (n_ < 2) return;
        moves_.resize(size_t(n_ - 1));
        static constexpr int kGround[2] = {kEastWest, kNorthSouth};
        double prevStep[2], tangent[2] = {0.0, 0.0};
        for (int i = 0; i < 2; ++i)
            prevStep[i] =
                StepSize(double(keys[1].channel[kGround[i]]) - double(keys[0].channel[kGround[i]]));
        sorted_ = true;
        for (int k = 0; k <= n_ - 2; ++k) {
            const bool resetTangent = k > 0 && keys[k - 1].hold != 0;
            Move& m = moves_[size_t(k)];
            for (int i = 0; i < 2; ++i) {
                const double m1 = OutgoingTangent(keys, n_, k, kGround[i], prevStep[i]);
                if (resetTangent) tangent[i] = 0.0;
                m.m0[i] = tangent[i];
                m.m1[i] = m1;
                tangent[i] = m1;
            }
            if (keys[k + 1].frame <= keys[k].frame) sorted_ = false;
        }
    }

    GroundPoint At(int64_t t) {
        if (n_ == 1) return {keys_[0].channel[kEastWest], keys_[0].channel[kNorthSouth]};
        const int k = FindMove(t);
        if (k < 0) return {keys_[n_ - 1].channel[kEastWest], keys_[n_ - 1].channel[kNorthSouth]};
        const KeyFrame& a = keys_[k];
        const KeyFrame& b = keys_[k + 1];
        const int64_t fk = a.frame;
        const int64_t length = int64_t(b.frame) - fk;
        const int64_t hold = a.hold < 0 ? length : int64_t(a.hold);
        if (t < fk + hold) return {a.channel[kEastWest], a.channel[kNorthSouth]};
        const double s = double(t - fk - hold) / double(length - hold);
        const Curve curve = ChooseCurve(k, n_, a.hold != 0, b.hold != 0, EasingOf(mode_));
        const double u = ApplyCurve(curve, s);
        const bool straight = (mode_ & kStraightMotion) != 0;
        const Move& m = moves_[size_t(k)];
        double out[2];
        static constexpr int kGround[2] = {kEastWest, kNorthSouth};
        for (int i = 0; i < 2; ++i)
            out[i] = MoveValue(a.channel[kGround[i]], b.channel[kGround[i]], m.m0[i], m.m1[i], u,
                               straight);
        return {out[0], out[1]};
    }

  private:
    struct Move {
        double m0[2];
        double m1[2];
    };

    bool Contains(int k, int64_t t) const {
        const int64_t fk = keys_[k].frame;
        return t >= fk && t < int64_t(keys_[k + 1].frame);
    }

    // The first move, in key order, that holds t; -1 for none. With strictly rising frames at
    // most one move holds any frame, so the search starts where the last one ended.
    int FindMove(int64_t t) {
        if (sorted_) {
            int k = std::clamp(hint_, 0, n_ - 2);
            while (k > 0 && t < int64_t(keys_[k].frame))
                --k;
            while (k < n_ - 2 && t >= int64_t(keys_[k + 1].frame))
                ++k;
            hint_ = k;
            return Contains(k, t) ? k : -1;
        }
        for (int k = 0; k <= n_ - 2; ++k)
            if (Contains(k, t)) return k;
        return -1;
    }

    const KeyFrame* keys_;
    int n_;
    uint8_t mode_;
    bool sorted_ = false;
    int hint_ = 0;
    std::vector<Move> moves_;
};

// Length of the ground path stepping one frame at a time from `from` to `to` (no steps when
// to <= from).
double PathLength(const KeyFrame* keys, int n, uint8_t motionMode, int64_t from, int64_t to) {
    if (to <= from) return 0.0;
    GroundWalk walk(keys, n, motionMode);
    double total = 0.0;
    GroundPoint prev = walk.At(from);
    for (int64_t a = from + 1; a <= to; ++a) {
        const GroundPoint p = walk.At(a);
        const double dx = p.x - prev.x;
        const double dy = p.y - prev.y;
        total += std::sqrt(dx * dx + dy * dy);
        prev = p;
    }
    return total;
}

}  // namespace

double EvaluateChannel(int n, const KeyFrame* keys, int c, int t, bool halfFrame,
                       uint8_t motionMode) {
    if (n < 1 || keys == nullptr || c < 0 || c >= kChannelCount) return 0.0;
    const int channel[1] = {c};
    double v[1];
    EvaluateChannels(keys, n, channel, t, halfFrame, motionMode, v);
    return v[0];
}

void EvaluateNode(ShowNode& node, int frame, bool halfFrame) {
    const int n = node.KeyCount();
    if (n == 0) return;
    const KeyFrame* keys = node.keys.data();
    // 64-bit: frame - startFrame does not fit in int32 for every pair of int32 values.
    const int64_t t = int64_t(frame) - node.startFrame;

    // actionFrame is never interpolated, so it is left out of the walk and taken from the key
    // that starts the current move below.
    static constexpr int kInterpolated[kChannelCount - 1] = {
        kEastWest, kUpDown, kNorthSouth, kWidth,   kHeight,  kTransparency,
        kSpare6,   kPan,    kTilt,       kSpare10, kSpare11,
    };
    double v[kChannelCount - 1];
    EvaluateChannels(keys, n, kInterpolated, t, halfFrame, node.motionMode, v);
    for (int i = 0; i < kChannelCount - 1; ++i)
        node.pose.channel[kInterpolated[i]] = ToChannel(v[i]);

    int actionKey = n - 1;
    for (int k = 0; k <= n - 2; ++k) {
        if (keys[k].frame <= t && t < keys[k + 1].frame) {
            actionKey = k;
            break;
        }
    }
    node.pose.channel[kActionFrame] = keys[actionKey].channel[kActionFrame];

    // The end frame counts as in range here, unlike the node's half-open range elsewhere.
    const bool inRange = node.startFrame <= frame && frame <= node.endFrame;
    node.pose.act = inRange ? 0 : 0xFFFF;
}

void ScaleKeys(ShowNode& node, int oldLength, int newLength) {
    if (node.KeyCount() < 2 || oldLength == newLength) return;
    // A stretch from or to a non-positive length has no meaningful ratio.
    if (oldLength <= 0 || newLength < 0) return;
    const double ratio = double(newLength) / double(oldLength);
    for (size_t i = 1; i < node.keys.size(); ++i) {
        KeyFrame& key = node.keys[i];
        if (key.hold > 0)
            key.hold = TruncToInt16(std::trunc(key.hold * ratio + kScaleRounding), key.hold);
        key.frame = TruncToInt32(std::trunc(key.frame * ratio + kScaleRounding), key.frame);
    }
}

void ConstantMotion(ShowNode& node, int fromFrame, int toFrame) {
    const int n = node.KeyCount();
    if (n < 2) return;
    KeyFrame* keys = node.keys.data();
    const uint8_t mode = node.motionMode;

    const int64_t lastFrame = keys[n - 1].frame;
    if (lastFrame < 1) return;
    const int64_t from = fromFrame;
    const int64_t end = std::min<int64_t>(lastFrame, toFrame);
    if (end <= from) return;

    // Steps from `from` up to end - 1 (the step into `end` itself is not counted), averaged
    // over end - from frames.
    const double total = PathLength(keys, n, mode, from, end - 1);
    const double average = total / double(end - from);
    if (!(average > 0.0)) return;

    for (int k = 1; k < n; ++k) {
        const int64_t fk = keys[k].frame;
        if (fk < from || fk >= end) continue;
        const int64_t prev = keys[k - 1].frame;
        // Measured with the keys re-timed so far. The measurement never starts before `from`:
        // only a damaged key list has a key before it, and the walk stays bounded by the range.
        const double d = PathLength(keys, n, mode, std::max(prev, from), fk - 1);
        keys[k].frame = TruncToInt32(double(prev) + std::trunc(d / average), keys[k].frame);
    }
}

void SampleMotionPath(const ShowNode& node, double scale, const PathLineSink& emit) {
    const int n = node.KeyCount();
    if (n < 2 || !emit) return;
    const KeyFrame* keys = node.keys.data();
    const uint8_t mode = node.motionMode;
    for (int k = 0; k <= n - 2; ++k) {
        const int64_t fk = keys[k].frame;
        const double step = double(int64_t(keys[k + 1].frame) - fk) * kPathStep;
        int x0 = ScaledCoordinate(keys[k].eastWest(), scale);
        int y0 = ScaledCoordinate(keys[k].northSouth(), scale);
        for (int j = 1; j <= kPathSamples; ++j) {
            const int64_t at = fk + static_cast<int64_t>(std::trunc(j * step));
            const GroundPoint p = GroundAt(keys, n, at, mode);
            const int x1 = ScaledCoordinate(p.x, scale);
            const int y1 = ScaledCoordinate(p.y, scale);
            emit(x0, y0, x1, y1);
            x0 = x1;
            y0 = y1;
        }
    }
}

}  // namespace quillon
