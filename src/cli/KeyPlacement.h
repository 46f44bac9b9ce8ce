#pragma once
// Keying a show the way a user does it: go to a frame, move the camera and the tracks, then
// "Add or Reset KeyFrame". Shared by the commands that build shows.

#include <functional>

#include "model/Document.h"

namespace quillon::cli {

// Moves the document to the absolute frame, lets `place` change the monitor camera's pose and
// the evaluated poses of the scene's tracks, then keys every change (Document::SetKeyFrames).
// Tracks whose pose `place` leaves alone get no key.
void KeyAtFrame(Document& doc, int frame, const std::function<void(KeyFrame& camera)>& place);

}  // namespace quillon::cli
