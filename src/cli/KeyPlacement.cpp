#include "KeyPlacement.h"

namespace quillon::cli {

void KeyAtFrame(Document& doc, int frame, const std::function<void(KeyFrame& camera)>& place) {
    doc.UpdateViewsAtFrame(frame);
    place(doc.monitorCamera().pose);
    doc.SetKeyFrames(doc.currentFrame(), KeyForce::kMovedOnly);
}

}  // namespace quillon::cli
