#pragma once
// The camera as the renderer uses it, frame by frame: for each frame of the show (or of one
// scene) the active camera's pose exactly as the document hands it to the renderer, and the
// lens it gives: the vertical angle of view is the pose's width channel (gluPerspective's fovy),
// the horizontal one follows from the picture's aspect ratio, and the focal length from a
// sensor width. For motion-control rigs, matchmoving and on-set reference (quillon-cli camera).

#include <optional>
#include <string>
#include <vector>

#include "model/KeyFrame.h"

namespace quillon {

class Document;

struct CameraLens {
    double verticalDegrees = 0;
    double horizontalDegrees = 0;
    double focalMillimetres = 0;  // for the sensor width asked for
};

// aspect is the picture's width over its height; sensorWidth in millimetres.
CameraLens LensFor(double verticalDegrees, double aspect, double sensorWidth);

struct CameraFrame {
    int frame = 0;
    int scene = 0;   // index among the show's scenes
    int camera = 0;  // the document's active camera index
    KeyFrame pose;   // the monitor camera's pose at the frame
};

// Makes each frame current in turn (as playback would) and takes the monitor camera's pose:
// every frame of the show that a scene holds, or of scene `scene` only. The document's current
// frame is changed. Nothing for a scene index that does not exist.
std::vector<CameraFrame> SampleCameraFrames(Document& doc, std::optional<int> scene);

}  // namespace quillon
