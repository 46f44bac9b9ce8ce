#include "ScriptFollowing.h"

#include <cmath>
#include <limits>

namespace quillon {

namespace {

int Truncated(double v) {
    if (!std::isfinite(v)) return 0;
    if (v >= double(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
    if (v <= double(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

}  // namespace

int ScriptLineForFrame(int frame, int sceneStart, int lines, int sceneLength) {
    if (sceneLength == 0) return 0;
    return Truncated((double(frame) - double(sceneStart)) * double(lines) / double(sceneLength));
}

int ScriptFrameForLine(int firstLine, int lines, int sceneStart, int sceneLength) {
    if (lines == 0) return -1;
    return Truncated(double(sceneStart) + double(firstLine) / double(lines) * double(sceneLength));
}

}  // namespace quillon
