#include "timeline/TimelineHits.h"

#include <algorithm>
#include <cstdlib>

#include "model/ShowNode.h"

namespace quillon {

using namespace timeline;

namespace {

bool Holds(const ShowNode& node, int frame) {
    return frame >= node.startFrame && frame < node.endFrame;
}

int64_t Distance(const ShowNode& scene, int frame) {
    if (frame < scene.startFrame) return int64_t(scene.startFrame) - frame;
    if (frame >= scene.endFrame) return int64_t(frame) - scene.endFrame + 1;
    return 0;
}

}  // namespace

const ShowNode* SceneNear(const ShowNode& root, int frame) {
    const ShowNode* best = nullptr;
    int64_t bestDistance = 0;
    for (const ShowNode* scene : root.children) {
        const int64_t d = Distance(*scene, frame);
        if (!best || d < bestDistance) {
            best = scene;
            bestDistance = d;
        }
    }
    return best;
}

const ShowNode* ItemAt(const ShowNode& root, const TimeScale& scale, int64_t x, int y,
                       bool rostrumMode) {
    const int f = scale.Frame(x);
    const ShowNode* scene = SceneNear(root, f);
    if (!scene) return nullptr;
    if (y < kSceneRowsBottom) return Holds(*scene, f) ? scene : nullptr;
    const SceneRows rows = LayOutScene(*scene);
    // From the row at y (or the first below it) on, the first bar at the frame.
    bool reached = false;
    for (const SceneRows::Item& item : rows.items) {
        reached = reached || item.row + kRowHeight >= y;
        if (reached && Holds(*item.node, f)) return item.node;
    }
    for (const auto& [row, kind] : {std::pair{rows.soundRow, NodeKind::SoundTrack},
                                    std::pair{rows.movieRow, NodeKind::Movie}}) {
        if (row < 0 || y < row || y >= row + kRowHeight) continue;
        for (const ShowNode* track : scene->children)
            if (track->Is(kind) && Holds(*track, f)) return track;
        return nullptr;
    }
    if (y > rows.bottom + kRostrumBand) return nullptr;
    if (y >= rows.bottom && rostrumMode && Holds(*scene, f)) return scene;
    return nullptr;
}

int KeyTolerance(int scale, int frameRate) {
    const int fps = (frameRate + 50) / 100;
    const int quarter = fps / 4;
    const int t = quarter > 0 ? scale / quarter : scale;
    return std::max(t, 3);
}

int KeyIndexNear(const ShowNode& owner, int frame, int tolerance) {
    for (int i = 0; i < owner.KeyCount(); ++i) {
        const int64_t k = int64_t(owner.startFrame) + owner.keys[size_t(i)].frame;
        if (int64_t(frame) - tolerance < k && k < int64_t(frame) + tolerance) return i;
    }
    return -1;
}

EdgeRect SelectionRect(const ShowNode& root, const TimeScale& scale) {
    EdgeRect r;
    bool any = false;
    auto add = [&](const ShowNode& node, int top, int bottom) {
        const EdgeRect part{scale.X(node.startFrame), top, scale.X(node.endFrame), bottom};
        if (!any) {
            r = part;
            any = true;
            return;
        }
        r.left = std::min(r.left, part.left);
        r.top = std::min(r.top, part.top);
        r.right = std::max(r.right, part.right);
        r.bottom = std::max(r.bottom, part.bottom);
    };
    for (const ShowNode* scene : root.children) {
        if (scene->selected()) add(*scene, kSceneRectTop, kSceneRectBottom);
        for (const SceneRows::Item& item : LayOutScene(*scene).items)
            if (item.node->selected()) add(*item.node, item.row, item.row + kRowHeight);
    }
    return r;
}

EdgeRect DraggedRect(const EdgeRect& rect, DragKind kind, QPoint mouse, QPoint clickOffset,
                     int64_t totalWidth) {
    EdgeRect r = rect;
    if (kind != DragKind::kKey && r.height() != kSceneRectBottom - kSceneRectTop) {
        // Integer division toward zero, as the rows have always snapped.
        r.top = (int64_t(mouse.y()) - clickOffset.y() - 1) / kRowHeight * kRowHeight + kTopMargin;
        r.bottom = r.top + kRowHeight;
    }
    const int64_t x = mouse.x();
    switch (kind) {
        case DragKind::kStartEdge:
            r.left = std::min<int64_t>(x - clickOffset.x(), r.right - kMinEdgeGap);
            if (r.left < kLeftMargin + 1) r.left = kLeftMargin;
            break;
        case DragKind::kEndEdge:
            r.right = std::max<int64_t>(x - clickOffset.x(), r.left + kMinEdgeGap);
            r.right = std::min(r.right, totalWidth);
            break;
        case DragKind::kWhole: {
            const int64_t w = r.width();
            r.left = x - clickOffset.x();
            r.right = r.left + w;
            break;
        }
        case DragKind::kKey:
            r.left = x;
            r.right = x + 1;
            break;
        case DragKind::kNone:
            break;
    }
    return r;
}

DragKind GrabbedPart(const EdgeRect& selection, int64_t x) {
    if (x - selection.left < kEdgeGrab) return DragKind::kStartEdge;
    if (selection.right - x < kEndGrab) return DragKind::kEndEdge;
    return DragKind::kWhole;
}

}  // namespace quillon
