#pragma once
// The stage plan's coordinates and shapes, as plain functions of numbers: no widget, no painter.
//
// Three spaces meet on the plan. Stage units (actor and camera east/west and north/south) run
// over a 4000 x 4000 square, east/west to the right and north/south downwards. Set units (panel
// corners) are 200 stage units each, with set (0, 0) at stage (2000, 2000). Plan pixels are
// stage units x scale; client pixels are plan pixels less the scroll position. Every conversion
// to an integer truncates toward zero.
//
// The shapes below are the points the plan draws for a panel, an actor and the camera; the
// mouse editing tests its hits against the same points.

#include <QLine>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <array>
#include <cstdint>

#include "model/KeyFrame.h"
#include "model/SetPanel.h"

namespace quillon {

namespace stage {

constexpr int kPlanUnits = 4000;       // the plan is this many stage units each way
constexpr double kSetUnit = 200.0;     // stage units per set unit
constexpr double kSetOrigin = 2000.0;  // stage position of set unit 0
constexpr int kGridStep = 24;          // grid spacing in pixels, at every scale
constexpr float kMinScale = 0.25f;
constexpr float kMaxScale = 4.0f;
constexpr double kDegreesToRadians = 0.0174532;  // the program's one degree constant
constexpr int kMinActorHalfWidth = 17;           // half-widths below this are drawn as 16
constexpr int kNarrowActorHalfWidth = 16;

// --- scale ---

// A scale the plan can use: NaN, zero and negative values become the smallest zoom, values
// above the largest zoom that zoom.
float ClampScale(float scale);
// "Stage"/"Scale" holds scale x 1000; the value read is clamped.
float ScaleFromProfile(int value);
// The integer part of scale x 1000 + 0.5.
int ScaleToProfile(float scale);
// One "&Enlarge Stage Area" step: +0.25 below 1.0, else +0.5; never above 4.0.
float EnlargeScale(float scale);
// One "&Shrink Stage Area" step: -0.25 at or below 1.0, else -0.5; never below 0.25.
float ShrinkScale(float scale);
// Side of the scroll area in pixels: 4000 x scale.
int PlanSize(float scale);

// --- points ---

// A stage value to plan pixels: value x scale, truncated.
int PlanPixel(double stageUnits, float scale);
QPoint StageToPlan(double eastWest, double northSouth, float scale);
// A panel corner (set units) to plan pixels: (corner x 200 + 2000) x scale, truncated.
QPoint SetToPlan(double cornerEastWest, double cornerNorthSouth, float scale);
// Client pixel to stage units: (client + scroll) x (1.0 / scale).
QPointF ClientToStage(QPoint client, QPoint scroll, float scale);
// Plan pixel to client pixel.
inline QPoint PlanToClient(QPoint plan, QPoint scroll) {
    return plan - scroll;
}
// p turned by angle degrees about centre; a positive angle turns clockwise on the screen.
QPoint RotatePoint(QPoint p, double angleDegrees, QPoint centre);
QLine RotateLine(QLine line, double angleDegrees, QPoint centre);

// --- panels ---

// Floor panels (corners 0 and 3 at one height) show all four edges, walls only corner 0 to 1.
struct PanelShape {
    std::array<QPoint, 4> corners;  // plan pixels
    bool floor = false;
    QPoint handle;  // middle of the corner 0 to corner 2 diagonal
    int EdgeCount() const { return floor ? 4 : 1; }
    QLine Edge(int i) const { return QLine(corners[i], corners[(i + 1) % 4]); }
    // The handle's ellipse: 8 pixels across, left/top inclusive, right/bottom exclusive.
    QRect HandleBox() const { return QRect(handle.x() - 4, handle.y() - 4, 8, 8); }
};
PanelShape MakePanelShape(const SetPanel& panel, float scale);

// --- actors ---

// The card at the actor's pan (plan pixels). At pan 0 the card spreads across the screen and
// the actor faces down the screen.
struct ActorShape {
    QPoint centre;
    int halfWidth = 0;  // at least 16
    int halfDepth = 0;  // halfWidth x aspect
    std::array<QPoint, 3> card;
    QLine facing;
    std::array<QPoint, 3> arrowHead;
    // Rostrum mode: the actor is its bounding rectangle (left/top inclusive, right/bottom
    // exclusive).
    QRect Bounds() const {
        return QRect(centre.x() - halfWidth, centre.y() - halfDepth, 2 * halfWidth, 2 * halfDepth);
    }
};
// The integer of width x 0.5 x scale, raised to 16 when it is below 17.
int ActorHalfWidth(float width, float scale);
ActorShape MakeActorShape(const KeyFrame& pose, float aspect, float scale);

// --- camera ---

// The camera symbol at a centre given in client pixels, every point turned as drawn.
struct CameraSymbol {
    QPoint centre;
    int size = 64;  // s; h = s / 2, t = s / 6
    // Sight lines at pan, pan - half the lens angle and pan + half the lens angle.
    std::array<QLine, 3> sightLines;
    std::array<std::array<QPoint, 3>, 3> sightHeads;
    QLine tiltStalk;
    QRect tiltCircle;  // 7 x 7 around the point 3 pixels beyond the stalk
    QLine heightBar;
    QRect heightBox;  // 11 wide, 12 high, under the bar
    QPoint markerUp;  // triangle markers on the height handle
    QPoint markerDown;
    QPoint numberAt;  // top-left of the camera number
    std::array<QPoint, 3> body;
    std::array<QPoint, 4> lensBlock;
};
// The height bar is the camera's height in pixels, halved for metric units.
CameraSymbol MakeCameraSymbol(QPoint centre, const KeyFrame& pose, int symbolSize, bool metric);

// Rostrum mode: the camera's view on the floor, a rectangle of half sizes a and b turned by pan.
struct CameraFootprint {
    QPoint centre;
    int a = 0;                      // half-width
    int b = 0;                      // half-height
    std::array<QPoint, 4> corners;  // top-left, top-right, bottom-right, bottom-left, turned
    QLine crossHorizontal;
    QLine crossVertical;
};
CameraFootprint MakeCameraFootprint(QPoint centre, const KeyFrame& pose, float scale,
                                    float aspectRatio);

// Width of floor the camera sees at its height: 2 x height x tan(half the lens angle) / aspect.
double FloorWidthSeen(const KeyFrame& pose, float aspectRatio);

}  // namespace stage

}  // namespace quillon
