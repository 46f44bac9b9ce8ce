#pragma once
// Key-frame evaluation and the operations that rewrite key timing. Everything is computed in
// double precision and stored as 32-bit floats; nothing here allocates or fails.

#include <cstdint>
#include <functional>

#include "KeyFrame.h"

namespace quillon {

class ShowNode;

// Easing kinds held in motionMode bits 0..3 ("Speed Ups:" list order). Values above 3 act as 3.
enum Easing : uint8_t { kSlowInOut = 0, kSlowIn = 1, kSlowOut = 2, kLinear = 3 };

// Value of channel c at frame t (relative to the node's start) for n >= 1 sorted keys.
double EvaluateChannel(int n, const KeyFrame* keys, int c, int t, bool halfFrame,
                       uint8_t motionMode);

// Fills node.pose for the absolute frame. A node without keys keeps its pose.
void EvaluateNode(ShowNode& node, int frame, bool halfFrame);

// Stretches key timing from oldLength to newLength frames (first key untouched).
void ScaleKeys(ShowNode& node, int oldLength, int newLength);

// Re-times keys so the ground path is covered at an even speed.
void ConstantMotion(ShowNode& node, int fromFrame, int toFrame);

// Emits the node's ground path as lines (x0, y0, x1, y1), scaled and truncated toward zero.
using PathLineSink = std::function<void(int x0, int y0, int x1, int y1)>;
void SampleMotionPath(const ShowNode& node, double scale, const PathLineSink& emit);

}  // namespace quillon
