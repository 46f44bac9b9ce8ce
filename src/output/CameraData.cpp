#include "CameraData.h"

#include <cmath>
#include <numbers>

#include "model/Document.h"

namespace quillon {

CameraLens LensFor(double verticalDegrees, double aspect, double sensorWidth) {
    constexpr double kRadians = std::numbers::pi / 180.0;
    CameraLens lens;
    lens.verticalDegrees = verticalDegrees;
    const double halfHorizontal = std::atan(std::tan(verticalDegrees * kRadians / 2) * aspect);
    lens.horizontalDegrees = 2 * halfHorizontal / kRadians;
    lens.focalMillimetres = sensorWidth / 2 / std::tan(halfHorizontal);
    return lens;
}

std::vector<CameraFrame> SampleCameraFrames(Document& doc, std::optional<int> scene) {
    std::vector<CameraFrame> frames;
    const ShowNode& root = doc.root();
    for (int i = 0; i < root.childCount(); ++i) {
        if (scene && *scene != i) continue;
        const ShowNode& s = *root.children[size_t(i)];
        for (int64_t f = s.startFrame; f < s.endFrame; ++f) {
            const int frame = static_cast<int>(f);
            // A frame of overlapping scenes belongs to the first that holds it, as on screen.
            if (doc.SceneAt(frame) != &s) continue;
            doc.UpdateViewsAtFrame(frame);
            frames.push_back({frame, i, doc.activeCamera(), doc.monitorCamera().pose});
        }
    }
    return frames;
}

}  // namespace quillon
