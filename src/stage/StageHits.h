#pragma once
// What lies under a point of the stage plan and how a drag changes what was grabbed: the handle
// hit tests of the camera, the actors and the set panels, which of them wins a press, the move
// masks of the panel handles and the arithmetic of every drag step. Plain functions over the
// show and the plan's view, shared by the stage view, its tests and benchmarks.
//
// Points are scroll-area pixels (client pixel + scroll position), i.e. plan pixels. Every box
// is a square round a point tested inclusively on all four sides.

#include <QPoint>
#include <vector>

#include "model/KeyFrame.h"
#include "stage/StagePlanPainter.h"

namespace quillon {

class Set;
class ShowNode;
struct SetPanel;

namespace stage {

// The handle codes of a drag (0: nothing).
enum Handle : int {
    kNoHandle = 0,
    kCameraMove = 1,
    kCameraPan = 2,
    kCameraTilt = 3,
    kCameraLens = 4,
    kCameraHeight = 5,
    kCameraZoom = 6,  // rostrum mode: a footprint corner changes the height
    kActorMove = 11,
    kActorPan = 12,
    kActorWidth = 14,
    kWallMove = 21,
    kWallEnd0 = 22,      // corners 0 and 3
    kWallEnd1 = 23,      // corners 1 and 2
    kPanelRaise = 24,    // all four heights
    kPanelRaise01 = 25,  // the heights of corners 0 and 1
    kPanelRaise23 = 26,  // the heights of corners 2 and 3
    kFloorMove = 31,
    kFloorCorner0 = 32,  // to 35: corners 0 to 3
    kFloorCorner3 = 35,
};

inline bool IsCameraHandle(int code) {
    return code >= 1 && code <= 10;
}
inline bool IsActorHandle(int code) {
    return code >= 11 && code <= 20;
}
inline bool IsPanelHandle(int code) {
    return code >= 21;
}
inline bool IsPanelHeightHandle(int code) {
    return code >= kPanelRaise && code <= kPanelRaise23;
}

constexpr int kSnapStep = 12;  // panel drags snap to this many pixels

// --- hit tests of one object ---

// The camera's handle under p: pan, lens angle, tilt, height, move, in that order; in rostrum
// mode the floor footprint (move inside, corners outside: top-right pan, the others zoom).
int CameraHandleAt(const PlanView& view, const KeyFrame& pose, QPoint p);
// An actor's handle under p: move in the middle of its box, pan at the arrow tip, width on the
// rest; in rostrum mode the picture's box (move inside, width on an 8-pixel rim), never while
// the set is locked. Actors outside their frame range are not on the plan and are never hit.
int ActorHandleAt(const PlanView& view, const ShowNode& actor, QPoint p, bool setLocked);
// Whether the point lies on the actor for a click (select, information): the box of
// +/- width x 0.5 x scale round it, never smaller than the card is drawn (in rostrum mode as
// deep as the picture's box).
bool ActorUnder(const PlanView& view, const ShowNode& actor, QPoint p);
// A panel's handle under p (boxes of +/- 4): a floor's corner 0, centre, corners 1 to 3; a
// wall's end at corner 0, end at corner 1, middle. With vertical on, the codes that raise and
// lower instead. A panel whose four corners meet in one pixel has no handles.
int PanelHandleAt(const SetPanel& panel, float scale, QPoint p, bool vertical);

// --- which object a point takes ---

struct StageHit {
    int code = kNoHandle;
    ShowNode* actor = nullptr;  // the actor hit, for actor handles
    int panel = -1;             // the panel hit, for panel handles
};
// What the plan holds for the hit tests; a null scene or set is simply empty.
struct StageContents {
    ShowNode* scene = nullptr;
    Set* set = nullptr;
    const KeyFrame* camera = nullptr;  // null when the scene has no camera to drag
    bool setLocked = false;
    bool vertical = false;
};
enum class PanelScope { kSelected, kAll };
// The camera first, then the selected actors of the scene, then the panels (selected ones for
// a press, all of them for the cursor); panels are skipped while the set is locked.
StageHit HitAt(const PlanView& view, const StageContents& contents, QPoint p, PanelScope panels);

// --- panel handles ---

// Which coordinates a panel code moves: east/west and north/south, or up/down, per corner.
struct MoveMask {
    bool plane[4] = {false, false, false, false};
    bool height[4] = {false, false, false, false};
};
MoveMask PanelMoveMask(int code);
// With two or more panels selected every handle moves whole panels, or raises them.
int EffectivePanelCode(int code, int selectedPanels, bool vertical);
// The corner whose position (or height) the drag's offset is taken from.
int GrabbedCorner(int code);
// A pixel value rounded toward zero to a multiple of 12.
inline int SnapTowardZero(int v) {
    return v / kSnapStep * kSnapStep;
}
// A pixel position to set units: (pixel x (1 / scale) - 2000) x 0.005.
double SetCoordinate(int pixel, float scale);

// --- drag arithmetic ---

// The offset kept between the mouse and the grabbed value so that the value follows without
// a jump.
QPoint CameraDragOffset(int code, const KeyFrame& pose, QPoint click, float scale);
// One step of a camera drag: the pose after the mouse moved to `mouse`.
void ApplyCameraDrag(int code, KeyFrame& pose, QPoint mouse, QPoint offset, const PlanView& view);
// Modifier keys turn a camera move into pan (Ctrl), height (Shift) or tilt (both).
int CameraCodeWithModifiers(int code, bool control, bool shift);

QPoint ActorDragOffset(int code, const KeyFrame& reference, QPoint click, float scale,
                       bool vertical);
// The change the mouse asks of the reference actor (its pose and aspect): added to every
// selected actor's pose. Channels not dragged are 0.
KeyFrame ActorDragChange(int code, const KeyFrame& reference, float aspect, QPoint mouse,
                         QPoint offset, float scale, bool vertical);
void AddChange(KeyFrame& pose, const KeyFrame& change);

// Where the first selected panel's grabbed corner is, in pixels (y from its height for the
// raising codes); the offset is the click less this, snapped toward zero with snap.
QPoint PanelDragOffset(int code, const SetPanel& first, QPoint click, float scale, bool snap);
// One step of a panel drag: the change is taken from the first selected panel and added, by the
// code's mask, to every selected panel. The mouse snaps unless vertical mode is on.
void ApplyPanelDrag(int code, const std::vector<SetPanel*>& selected, QPoint mouse, QPoint offset,
                    float scale, bool snap, bool vertical);

}  // namespace stage

}  // namespace quillon
