#include "StageHits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "StageGeometry.h"
#include "model/Set.h"
#include "model/ShowNode.h"

namespace quillon::stage {

namespace {

constexpr uint16_t kOutOfRange = 0xFFFF;  // a pose's act outside the node's range
constexpr int kCameraPanBox = 8;
constexpr int kCameraTiltBox = 6;
constexpr int kLensGrow = 2;
constexpr int kActorPanBox = 8;
constexpr int kRostrumRim = 8;
constexpr int kMinRostrumHalf = 16;
constexpr int kPanelBox = 4;
constexpr float kMaxLensAngle = 180.0f;

bool InBox(QPoint p, QPoint centre, int half) {
    return std::abs(p.x() - centre.x()) <= half && std::abs(p.y() - centre.y()) <= half;
}

int Trunc(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(v, -double(1 << 24), double(1 << 24)));
}

bool OnPlan(const ShowNode& actor) {
    return actor.Is(NodeKind::Actor) && actor.pose.act != kOutOfRange;
}

// The rostrum box of an actor: +/- w across, +/- max(16, w x aspect) down.
int RostrumHalfDepth(const ShowNode& actor, int halfWidth) {
    return std::max(kMinRostrumHalf, Trunc(double(halfWidth) * actor.aspect));
}

}  // namespace

int CameraHandleAt(const PlanView& view, const KeyFrame& pose, QPoint p) {
    const float scale = ClampScale(view.scale);
    const QPoint c = StageToPlan(pose.eastWest(), pose.northSouth(), scale);
    const double pan = pose.pan();
    if (view.rostrumMode) {
        const CameraFootprint f = MakeCameraFootprint(c, pose, scale, view.aspectRatio);
        // Turned back into the footprint's own axes, the inside is a plain rectangle.
        const double a = -pan * kDegreesToRadians;
        const double dx = p.x() - c.x(), dy = p.y() - c.y();
        const double u = std::cos(a) * dx - std::sin(a) * dy;
        const double v = std::sin(a) * dx + std::cos(a) * dy;
        if (std::abs(u) <= f.a && std::abs(v) <= f.b) return kCameraMove;
        const int box = std::max(4, f.a / 6);
        for (int i = 0; i < 4; ++i)
            if (InBox(p, f.corners[i], box)) return i == 1 ? kCameraPan : kCameraZoom;
        return kNoHandle;
    }
    const int s = view.symbolSize;
    const int h = s / 2;
    const int cx = c.x(), cy = c.y();
    if (InBox(p, RotatePoint({cx, cy - s - 2}, pan, c), kCameraPanBox)) return kCameraPan;

    const double halfLens = 0.5 * pose.width();
    const QPoint lensAt(cx, cy - (4 * s / 3) / 2 - 2);
    const QPoint l1 = RotatePoint(lensAt, pan - halfLens, c);
    const QPoint l2 = RotatePoint(lensAt, pan + halfLens, c);
    if (p.x() >= std::min(l1.x(), l2.x()) - kLensGrow &&
        p.x() <= std::max(l1.x(), l2.x()) + kLensGrow &&
        p.y() >= std::min(l1.y(), l2.y()) - kLensGrow &&
        p.y() <= std::max(l1.y(), l2.y()) + kLensGrow)
        return kCameraLens;

    if (InBox(p, RotatePoint({cx, cy + 3 + 3 * s / 4}, pan + pose.tilt(), c), kCameraTiltBox))
        return kCameraTilt;

    // The height handle: the box under the height bar while the bar reaches below the markers,
    // and the two markers half a symbol below the centre.
    const int bar = Trunc(view.metric ? pose.upDown() * 0.5 : pose.upDown());
    if (cx - 6 < p.x() && p.x() < cx + 6) {
        const bool onBox = cy + bar - 3 < p.y() && p.y() < cy + bar + 14 && h - 7 < bar;
        const bool onMarkers = cy + h - 6 < p.y() && p.y() < cy + h + 6;
        if (onBox || onMarkers) return kCameraHeight;
    }
    if (InBox(p, c, h)) return kCameraMove;
    return kNoHandle;
}

int ActorHandleAt(const PlanView& view, const ShowNode& actor, QPoint p, bool setLocked) {
    if (!OnPlan(actor)) return kNoHandle;
    const float scale = ClampScale(view.scale);
    const QPoint c = StageToPlan(actor.pose.eastWest(), actor.pose.northSouth(), scale);
    const int w = ActorHalfWidth(actor.pose.width(), scale);
    const int dx = std::abs(p.x() - c.x()), dy = std::abs(p.y() - c.y());
    if (view.rostrumMode) {
        if (setLocked) return kNoHandle;
        const int d = RostrumHalfDepth(actor, w);
        if (dx > w || dy > d) return kNoHandle;
        return dx <= w - kRostrumRim && dy <= d - kRostrumRim ? kActorMove : kActorWidth;
    }
    if (dx > w || dy > w) return kNoHandle;
    const int inner = w - w / 2;
    if (dx <= inner && dy <= inner) return kActorMove;
    const QPoint tip = RotatePoint({c.x(), c.y() + w}, actor.pose.pan(), c);
    return InBox(p, tip, kActorPanBox) ? kActorPan : kActorWidth;
}

bool ActorUnder(const PlanView& view, const ShowNode& actor, QPoint p) {
    if (!OnPlan(actor)) return false;
    const float scale = ClampScale(view.scale);
    const QPoint c = StageToPlan(actor.pose.eastWest(), actor.pose.northSouth(), scale);
    // The card is never drawn narrower than 32 pixels; a click on what is drawn takes it.
    const int w = std::max(kNarrowActorHalfWidth, Trunc(double(actor.pose.width()) * 0.5 * scale));
    const int d = view.rostrumMode ? RostrumHalfDepth(actor, w) : w;
    return std::abs(p.x() - c.x()) <= w && std::abs(p.y() - c.y()) <= d;
}

int PanelHandleAt(const SetPanel& panel, float scale, QPoint p, bool vertical) {
    const PanelShape shape = MakePanelShape(panel, ClampScale(scale));
    const auto& k = shape.corners;
    if (k[0] == k[1] && k[1] == k[2] && k[2] == k[3]) return kNoHandle;
    if (shape.floor) {
        // Corner 0, the centre, then corners 1 to 3.
        if (InBox(p, k[0], kPanelBox)) return vertical ? kPanelRaise : kFloorCorner0;
        if (InBox(p, shape.handle, kPanelBox)) return vertical ? kPanelRaise : kFloorMove;
        for (int i = 1; i < 4; ++i)
            if (InBox(p, k[i], kPanelBox)) return vertical ? kPanelRaise : kFloorCorner0 + i;
        return kNoHandle;
    }
    if (InBox(p, k[0], kPanelBox)) return vertical ? kPanelRaise01 : kWallEnd0;
    if (InBox(p, k[1], kPanelBox)) return vertical ? kPanelRaise23 : kWallEnd1;
    const QPoint middle((k[0].x() + k[1].x()) / 2, (k[0].y() + k[1].y()) / 2);
    if (InBox(p, middle, kPanelBox)) return vertical ? kPanelRaise : kWallMove;
    return kNoHandle;
}

StageHit HitAt(const PlanView& view, const StageContents& contents, QPoint p, PanelScope panels) {
    StageHit hit;
    if (!contents.scene) return hit;
    if (contents.camera) {
        hit.code = CameraHandleAt(view, *contents.camera, p);
        if (hit.code) return hit;
    }
    for (ShowNode* child : contents.scene->children) {
        if (!child->selected()) continue;
        if (const int code = ActorHandleAt(view, *child, p, contents.setLocked)) {
            hit.code = code;
            hit.actor = child;
            return hit;
        }
    }
    if (!contents.set || contents.setLocked) return hit;
    for (int i = 0; i < contents.set->panelCount(); ++i) {
        const SetPanel& panel = contents.set->panels[size_t(i)];
        if (panels == PanelScope::kSelected && !panel.selected) continue;
        if (const int code = PanelHandleAt(panel, view.scale, p, contents.vertical)) {
            hit.code = code;
            hit.panel = i;
            return hit;
        }
    }
    return hit;
}

MoveMask PanelMoveMask(int code) {
    MoveMask m;
    auto plane = [&m](std::initializer_list<int> corners) {
        for (int c : corners)
            m.plane[c] = true;
    };
    auto height = [&m](std::initializer_list<int> corners) {
        for (int c : corners)
            m.height[c] = true;
    };
    switch (code) {
        case kWallMove:
        case kFloorMove:
            plane({0, 1, 2, 3});
            break;
        case kWallEnd0:
            plane({0, 3});
            break;
        case kWallEnd1:
            plane({1, 2});
            break;
        case kPanelRaise:
            height({0, 1, 2, 3});
            break;
        case kPanelRaise01:
            height({0, 1});
            break;
        case kPanelRaise23:
            height({2, 3});
            break;
        default:
            if (code >= kFloorCorner0 && code <= kFloorCorner3) plane({code - kFloorCorner0});
            break;
    }
    return m;
}

int EffectivePanelCode(int code, int selectedPanels, bool vertical) {
    if (selectedPanels < 2) return code;
    return vertical ? kPanelRaise : kWallMove;
}

int GrabbedCorner(int code) {
    if (code >= kFloorCorner0 && code <= kFloorCorner3) return code - kFloorCorner0;
    if (code == kWallEnd1) return 1;
    if (code == kPanelRaise23) return 2;
    return 0;
}

double SetCoordinate(int pixel, float scale) {
    return (pixel * (1.0 / ClampScale(scale)) - kSetOrigin) * 0.005;
}

QPoint CameraDragOffset(int code, const KeyFrame& pose, QPoint click, float scale) {
    const int x = click.x(), y = click.y();
    switch (code) {
        case kCameraMove:
            return click - StageToPlan(pose.eastWest(), pose.northSouth(), ClampScale(scale));
        case kCameraPan:
            return QPoint(Trunc(x - double(pose.pan())), y);
        case kCameraTilt:
            return QPoint(x, Trunc(y - double(pose.tilt())));
        case kCameraHeight:
            return QPoint(Trunc(x + 0.2 * pose.upDown()), Trunc(y + double(pose.upDown())));
        case kCameraLens:
            return QPoint(Trunc(x - 2.0 * pose.width()), y);
        default:
            return click;
    }
}

void ApplyCameraDrag(int code, KeyFrame& pose, QPoint mouse, QPoint offset, const PlanView& view) {
    const float scale = ClampScale(view.scale);
    const QPoint d = mouse - offset;
    switch (code) {
        case kCameraMove:
            pose.eastWest() = d.x() / scale;
            pose.northSouth() = d.y() / scale;
            break;
        case kCameraPan:
            pose.pan() = float(d.x());
            break;
        case kCameraTilt:
            pose.tilt() = float(d.y());
            break;
        case kCameraLens:
            // The keys keep the lens within 0 .. 180; a drag does too.
            pose.width() = std::min(float(std::abs(d.x()) * 0.5), kMaxLensAngle);
            break;
        case kCameraHeight:
            pose.upDown() =
                view.rostrumMode ? float(std::abs(d.x()) * 5.0) : float(std::abs(d.y()));
            break;
        case kCameraZoom: {
            // The height at which the footprint's corner lies under the mouse.
            const double half = std::sin(0.5 * pose.width() * kDegreesToRadians);
            if (half > 0) {
                const double across = std::abs(pose.eastWest() - mouse.x() / double(scale));
                pose.upDown() = float(across * view.aspectRatio / half);
            }
            break;
        }
        default:
            break;
    }
}

int CameraCodeWithModifiers(int code, bool control, bool shift) {
    if (code != kCameraMove) return code;
    if (control && shift) return kCameraTilt;
    if (control) return kCameraPan;
    if (shift) return kCameraHeight;
    return code;
}

QPoint ActorDragOffset(int code, const KeyFrame& reference, QPoint click, float scale,
                       bool vertical) {
    scale = ClampScale(scale);
    switch (code) {
        case kActorMove: {
            const QPoint at =
                StageToPlan(reference.eastWest(),
                            vertical ? reference.upDown() : reference.northSouth(), scale);
            return click - at;
        }
        case kActorWidth:
            return QPoint(Trunc(click.x() - double(reference.width())), click.y());
        case kActorPan:
            return QPoint(Trunc(click.x() - double(reference.pan())), click.y());
        default:
            return click;
    }
}

KeyFrame ActorDragChange(int code, const KeyFrame& reference, float aspect, QPoint mouse,
                         QPoint offset, float scale, bool vertical) {
    scale = ClampScale(scale);
    KeyFrame change;
    const QPoint d = mouse - offset;
    switch (code) {
        case kActorMove:
            if (vertical) {
                change.upDown() = d.y() / scale - reference.upDown();
            } else {
                change.eastWest() = d.x() / scale - reference.eastWest();
                change.northSouth() = d.y() / scale - reference.northSouth();
            }
            break;
        case kActorWidth:
            change.width() = float(std::abs(d.x())) - reference.width();
            change.height() = change.width() * aspect;
            break;
        case kActorPan:
            change.pan() = float(d.x()) - reference.pan();
            break;
        default:
            break;
    }
    return change;
}

void AddChange(KeyFrame& pose, const KeyFrame& change) {
    for (int c = 0; c < kChannelCount; ++c)
        pose.channel[size_t(c)] += change.channel[size_t(c)];
    // A narrower actor dragged with a wider one stops at nothing rather than turning inside out.
    pose.width() = std::max(pose.width(), 0.0f);
    pose.height() = std::max(pose.height(), 0.0f);
}

QPoint PanelDragOffset(int code, const SetPanel& first, QPoint click, float scale, bool snap) {
    scale = ClampScale(scale);
    const int k = GrabbedCorner(code);
    QPoint at = SetToPlan(first.cornerEastWest[k], first.cornerNorthSouth[k], scale);
    if (IsPanelHeightHandle(code))
        at.setY(PlanPixel(first.cornerUpDown[k] * kSetUnit + kSetOrigin, scale));
    QPoint offset = click - at;
    if (snap) offset = QPoint(SnapTowardZero(offset.x()), SnapTowardZero(offset.y()));
    return offset;
}

void ApplyPanelDrag(int code, const std::vector<SetPanel*>& selected, QPoint mouse, QPoint offset,
                    float scale, bool snap, bool vertical) {
    if (selected.empty()) return;
    if (snap && !vertical) mouse = QPoint(SnapTowardZero(mouse.x()), SnapTowardZero(mouse.y()));
    const SetPanel& first = *selected.front();
    const int k = GrabbedCorner(code);
    const QPoint d = mouse - offset;
    const double x = SetCoordinate(d.x(), scale);
    const double z = SetCoordinate(d.y(), scale);
    const float dEastWest = float(x - first.cornerEastWest[k]);
    const float dNorthSouth = float(z - first.cornerNorthSouth[k]);
    const float dUpDown = float(z - first.cornerUpDown[k]);
    const MoveMask mask = PanelMoveMask(code);
    for (SetPanel* panel : selected) {
        for (int c = 0; c < 4; ++c) {
            if (mask.plane[c]) {
                panel->cornerEastWest[c] += dEastWest;
                panel->cornerNorthSouth[c] += dNorthSouth;
            }
            if (mask.height[c]) panel->cornerUpDown[c] += dUpDown;
        }
    }
}

}  // namespace quillon::stage
