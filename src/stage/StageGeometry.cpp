#include "StageGeometry.h"

#include <algorithm>
#include <cmath>

namespace quillon::stage {

namespace {

// Pixel values from a damaged show (huge or NaN channels) are held within a range the painter
// handles; truncation toward zero otherwise.
constexpr double kPixelLimit = 1 << 20;

int Trunc(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -kPixelLimit, kPixelLimit));
}

}  // namespace

float ClampScale(float scale) {
    if (!(scale >= kMinScale)) return kMinScale;  // NaN too
    return std::min(scale, kMaxScale);
}

float ScaleFromProfile(int value) {
    return ClampScale(static_cast<float>(value * 0.001));
}

int ScaleToProfile(float scale) {
    return static_cast<int>(ClampScale(scale) * 1000 + 0.5);
}

float EnlargeScale(float scale) {
    scale = ClampScale(scale);
    scale += scale < 1.0f ? 0.25f : 0.5f;
    return std::min(scale, kMaxScale);
}

float ShrinkScale(float scale) {
    scale = ClampScale(scale);
    scale -= scale <= 1.0f ? 0.25f : 0.5f;
    return std::max(scale, kMinScale);
}

int PlanSize(float scale) {
    return Trunc(kPlanUnits * double(ClampScale(scale)));
}

int PlanPixel(double stageUnits, float scale) {
    return Trunc(stageUnits * scale);
}

QPoint StageToPlan(double eastWest, double northSouth, float scale) {
    return QPoint(PlanPixel(eastWest, scale), PlanPixel(northSouth, scale));
}

QPoint SetToPlan(double cornerEastWest, double cornerNorthSouth, float scale) {
    return StageToPlan(cornerEastWest * kSetUnit + kSetOrigin,
                       cornerNorthSouth * kSetUnit + kSetOrigin, scale);
}

QPointF ClientToStage(QPoint client, QPoint scroll, float scale) {
    const double inverse = 1.0 / ClampScale(scale);
    return QPointF((client.x() + scroll.x()) * inverse, (client.y() + scroll.y()) * inverse);
}

QPoint RotatePoint(QPoint p, double angleDegrees, QPoint centre) {
    const double a = angleDegrees * kDegreesToRadians;
    const double c = std::cos(a);
    const double s = std::sin(a);
    const double dx = p.x() - centre.x();
    const double dy = p.y() - centre.y();
    return QPoint(centre.x() + Trunc(c * dx - s * dy + 0.5),
                  centre.y() + Trunc(s * dx + c * dy + 0.5));
}

QLine RotateLine(QLine line, double angleDegrees, QPoint centre) {
    return QLine(RotatePoint(line.p1(), angleDegrees, centre),
                 RotatePoint(line.p2(), angleDegrees, centre));
}

PanelShape MakePanelShape(const SetPanel& panel, float scale) {
    PanelShape shape;
    for (int i = 0; i < 4; ++i)
        shape.corners[i] = SetToPlan(panel.cornerEastWest[i], panel.cornerNorthSouth[i], scale);
    // Only corners 0 and 3 decide: a wall leaning by any amount is still seen edge-on.
    shape.floor = panel.cornerUpDown[0] == panel.cornerUpDown[3];
    shape.handle = QPoint((shape.corners[0].x() + shape.corners[2].x()) / 2,
                          (shape.corners[0].y() + shape.corners[2].y()) / 2);
    return shape;
}

int ActorHalfWidth(float width, float scale) {
    const int w = Trunc(double(width) * 0.5 * scale);
    return w < kMinActorHalfWidth ? kNarrowActorHalfWidth : w;
}

ActorShape MakeActorShape(const KeyFrame& pose, float aspect, float scale) {
    ActorShape shape;
    const QPoint c = StageToPlan(pose.eastWest(), pose.northSouth(), scale);
    const int w = ActorHalfWidth(pose.width(), scale);
    const double pan = pose.pan();
    shape.centre = c;
    shape.halfWidth = w;
    shape.halfDepth = Trunc(double(w) * aspect);
    const int cx = c.x(), cy = c.y();
    shape.card = {RotatePoint({cx - w, cy}, pan, c), RotatePoint({cx, cy - w / 3}, pan, c),
                  RotatePoint({cx + w, cy}, pan, c)};
    shape.facing = RotateLine(QLine(c, QPoint(cx, cy + w)), pan, c);
    shape.arrowHead = {RotatePoint({cx - 3, cy + w - 5}, pan, c), RotatePoint({cx, cy + w}, pan, c),
                       RotatePoint({cx + 3, cy + w - 5}, pan, c)};
    return shape;
}

CameraSymbol MakeCameraSymbol(QPoint centre, const KeyFrame& pose, int symbolSize, bool metric) {
    CameraSymbol sym;
    const int s = symbolSize;
    const int h = s / 2;
    const int t = s / 6;
    const int cx = centre.x(), cy = centre.y();
    const double pan = pose.pan();
    const double halfLens = 0.5 * pose.width();
    sym.centre = centre;
    sym.size = s;

    // The centre line's head sits at s, the two field-of-view lines' at 4h/3.
    const double angles[3] = {pan, pan - halfLens, pan + halfLens};
    const int headAt[3] = {s, 4 * h / 3, 4 * h / 3};
    const QLine sight(QPoint(cx, cy - 2 * t + 3), QPoint(cx, -2000));
    for (int i = 0; i < 3; ++i) {
        sym.sightLines[i] = RotateLine(sight, angles[i], centre);
        const int y = cy - headAt[i];
        sym.sightHeads[i] = {RotatePoint({cx - 3, y}, angles[i], centre),
                             RotatePoint({cx, y - 5}, angles[i], centre),
                             RotatePoint({cx + 3, y}, angles[i], centre)};
    }

    const double tilt = pan + pose.tilt();
    sym.tiltStalk = RotateLine(QLine(centre, QPoint(cx, cy + 3 * s / 4)), tilt, centre);
    const QPoint knob = RotatePoint({cx, cy + 3 * s / 4 + 3}, tilt, centre);
    sym.tiltCircle = QRect(knob.x() - 3, knob.y() - 3, 7, 7);

    const double height = metric ? pose.upDown() * 0.5 : pose.upDown();
    const int barEnd = cy + Trunc(height);
    sym.heightBar = QLine(centre, QPoint(cx, barEnd));
    sym.heightBox = QRect(cx - 5, barEnd, 11, 12);
    sym.markerUp = QPoint(cx, cy - 5 + h);
    sym.markerDown = QPoint(cx, cy + 3 + h);
    sym.numberAt = QPoint(cx - 3, sym.heightBox.top() + 1);

    sym.body = {RotatePoint({cx, cy + 3}, pan, centre),
                RotatePoint({cx - t, cy - 2 * t + 3}, pan, centre),
                RotatePoint({cx + t, cy - 2 * t + 3}, pan, centre)};
    sym.lensBlock = {RotatePoint({cx - t, cy}, pan, centre), RotatePoint({cx + t, cy}, pan, centre),
                     RotatePoint({cx + t, cy + 2 * t}, pan, centre),
                     RotatePoint({cx - t, cy + 2 * t}, pan, centre)};
    return sym;
}

CameraFootprint MakeCameraFootprint(QPoint centre, const KeyFrame& pose, float scale,
                                    float aspectRatio) {
    CameraFootprint f;
    const double halfLens = pose.width() * 0.5 * kDegreesToRadians;
    int a = Trunc(double(scale) * pose.upDown() * std::tan(halfLens));
    // A zero aspect ratio from a damaged profile would divide by zero; the square view is the
    // nearest sensible picture.
    const double aspect = aspectRatio > 0 ? aspectRatio : 1.0;
    a = Trunc(a / aspect);
    const int b = Trunc(a * aspect);
    const int cx = centre.x(), cy = centre.y();
    const double pan = pose.pan();
    f.centre = centre;
    f.a = a;
    f.b = b;
    f.corners = {
        RotatePoint({cx - a, cy - b}, pan, centre), RotatePoint({cx + a, cy - b}, pan, centre),
        RotatePoint({cx + a, cy + b}, pan, centre), RotatePoint({cx - a, cy + b}, pan, centre)};
    const int cross = std::max(4, a / 8);
    f.crossHorizontal = RotateLine(QLine(cx - cross, cy, cx + cross, cy), pan, centre);
    f.crossVertical = RotateLine(QLine(cx, cy - cross, cx, cy + cross), pan, centre);
    return f;
}

double FloorWidthSeen(const KeyFrame& pose, float aspectRatio) {
    const double aspect = aspectRatio > 0 ? aspectRatio : 1.0;
    return 2.0 * pose.upDown() * std::tan(pose.width() * 0.5 * kDegreesToRadians) / aspect;
}

}  // namespace quillon::stage
