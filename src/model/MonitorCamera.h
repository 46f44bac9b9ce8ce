#pragma once
// The one camera the monitor renders and the stage plan draws and drags. The document fills its
// pose from the active camera at every frame change.

#include <cstdint>

#include "KeyFrame.h"

namespace quillon {

struct MonitorCamera {
    int16_t symbolSize = 64;  // camera symbol size on the stage plan, pixels
    KeyFrame pose = InitialPose();
    float scale = 1.0f;  // the stage plan's scale

    static KeyFrame InitialPose() {
        KeyFrame k;
        k.upDown() = 48.0f;
        k.width() = 30.0f;
        return k;
    }
};

}  // namespace quillon
