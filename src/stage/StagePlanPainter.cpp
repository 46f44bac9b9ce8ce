#include "StagePlanPainter.h"

#include <QPainter>
#include <array>

#include "PictureImageCache.h"
#include "StageGeometry.h"
#include "model/Motion.h"
#include "model/Set.h"
#include "model/ShowNode.h"
#include "pictures/PictureMedia.h"
#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

constexpr int kRimWidth = 3;
constexpr int kCameraNumberFont = 10;
constexpr int kMarkerSize = 2;
constexpr uint16_t kOutOfRange = 0xFFFF;  // a pose's act outside the node's range

// The open outline of a closed shape: its points and the first again.
template <size_t N>
std::array<QPoint, N + 1> Closed(const std::array<QPoint, N>& points) {
    std::array<QPoint, N + 1> out;
    for (size_t i = 0; i < N; ++i)
        out[i] = points[i];
    out[N] = points[0];
    return out;
}

// Moves a painter to plan pixels for the life of the scope.
class PlanScope {
  public:
    PlanScope(QPainter& p, QPoint scroll) : p_(p) {
        p_.save();
        p_.translate(-scroll);
    }
    ~PlanScope() { p_.restore(); }
    PlanScope(const PlanScope&) = delete;
    PlanScope& operator=(const PlanScope&) = delete;

  private:
    QPainter& p_;
};

}  // namespace

QColor ColourFromRef(int32_t value) {
    const uint32_t v = static_cast<uint32_t>(value);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

int32_t ColourToRef(QColor colour) {
    return int32_t(colour.red() | (colour.green() << 8) | (colour.blue() << 16));
}

StagePlanPainter::StagePlanPainter(QPainter& painter, const PlanView& view,
                                   PictureImageCache* pictures)
    : painter_(painter), draw_(painter), view_(view), pictures_(pictures) {
    view_.scale = stage::ClampScale(view_.scale);
}

void StagePlanPainter::DrawBackground(const QRect& clientArea) {
    const int plan = stage::PlanSize(view_.scale);
    const QRect planArea(-view_.scroll, QSize(plan, plan));
    const QRect inside = clientArea & planArea;
    if (inside != clientArea) draw_.FilledRect(clientArea, kOutsidePlan);
    if (inside.isEmpty()) return;
    draw_.FilledRect(inside, kBackground);

    // Lines at plan pixels 24, 48, ... inside the plan, only those crossing the area.
    const int step = stage::kGridStep;
    const int firstX = std::max(1, (inside.left() + view_.scroll.x() + step - 1) / step);
    const int firstY = std::max(1, (inside.top() + view_.scroll.y() + step - 1) / step);
    for (int x = firstX * step; x < plan && x - view_.scroll.x() <= inside.right(); x += step) {
        const int cx = x - view_.scroll.x();
        draw_.Line(QLine(cx, inside.top(), cx, inside.bottom() + 1), kGridLine);
    }
    for (int y = firstY * step; y < plan && y - view_.scroll.y() <= inside.bottom(); y += step) {
        const int cy = y - view_.scroll.y();
        draw_.Line(QLine(inside.left(), cy, inside.right() + 1, cy), kGridLine);
    }
}

void StagePlanPainter::DrawPanel(const SetPanel& panel, bool inverted) {
    const stage::PanelShape shape = stage::MakePanelShape(panel, view_.scale);
    PlanScope plan(painter_, view_.scroll);
    if (inverted) {
        for (int i = 0; i < shape.EdgeCount(); ++i)
            draw_.InvertedLine(shape.Edge(i));
        return;
    }
    const QColor colour = panel.selected ? kSelectedPanel : kPanel;
    // A coloured rim with a black centre line reads on the grey plan and over pictures alike.
    for (int i = 0; i < shape.EdgeCount(); ++i)
        draw_.Line(shape.Edge(i), colour, kRimWidth);
    for (int i = 0; i < shape.EdgeCount(); ++i)
        draw_.Line(shape.Edge(i), kRim);
    const QRect handle = shape.HandleBox();
    draw_.OutlineEllipse(handle, colour);
    draw_.OutlineEllipse(handle, colour, kRimWidth);
    draw_.OutlineEllipse(handle, kRim);
}

void StagePlanPainter::DrawAllPanels(const Set& set, bool inverted) {
    for (const SetPanel& panel : set.panels)
        DrawPanel(panel, inverted);
}

void StagePlanPainter::DrawActor(const ShowNode& actor, bool inverted) {
    if (actor.pose.act == kOutOfRange) return;
    const stage::ActorShape shape = stage::MakeActorShape(actor.pose, actor.aspect, view_.scale);
    const QColor colour = actor.selected() ? kSelectedActor : kActor;
    PlanScope plan(painter_, view_.scroll);
    if (view_.rostrumMode) {
        const QRect bounds = shape.Bounds();
        if (inverted) {
            draw_.InvertedRect(bounds);
            return;
        }
        if (pictures_) {
            if (const QImage* image = pictures_->ImageFor(actor.media)) {
                // Stretched pixel for pixel, replacing the plan under it, as the picture draws.
                painter_.save();
                painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
                painter_.setCompositionMode(QPainter::CompositionMode_Source);
                painter_.drawImage(QRectF(bounds), *image);
                painter_.restore();
            }
        } else if (const auto* media = dynamic_cast<const PictureMedia*>(actor.media.get())) {
            media->picture.Draw(painter_, bounds);
        }
        draw_.OutlineRect(bounds, colour);
        return;
    }
    if (inverted) {
        draw_.InvertedPolyline(Closed(shape.card));
        draw_.InvertedLine(shape.facing);
        return;
    }
    draw_.Polygon(shape.card, colour, colour);
    draw_.Line(shape.facing, colour);
    draw_.Polygon(shape.arrowHead, colour, colour);
}

void StagePlanPainter::DrawAllActors(const ShowNode& scene, bool inverted) {
    for (const ShowNode* child : scene.children)
        if (child->Is(NodeKind::Actor)) DrawActor(*child, inverted);
}

void StagePlanPainter::DrawCameraPath(const ShowNode& camera, int32_t colour) {
    const QColor pen = ColourFromRef(colour);
    PlanScope plan(painter_, view_.scroll);
    SampleMotionPath(camera, view_.scale, [&](int x0, int y0, int x1, int y1) {
        draw_.Line(QLine(x0, y0, x1, y1), pen);
    });
}

void StagePlanPainter::DrawCamera(const KeyFrame& pose, bool inverted) {
    if (view_.rostrumMode)
        DrawCameraFootprint(pose, inverted);
    else
        DrawCameraSymbol(pose, inverted);
}

void StagePlanPainter::DrawCameraSymbol(const KeyFrame& pose, bool inverted) {
    // The camera's centre is taken to client pixels here, as its sight lines run out to a
    // fixed client distance above it.
    const QPoint centre =
        stage::StageToPlan(pose.eastWest(), pose.northSouth(), view_.scale) - view_.scroll;
    const stage::CameraSymbol sym =
        stage::MakeCameraSymbol(centre, pose, view_.symbolSize, view_.metric);
    if (inverted) {
        for (int i = 0; i < 3; ++i) {
            draw_.InvertedLine(sym.sightLines[i]);
            draw_.InvertedPolyline(Closed(sym.sightHeads[i]));
        }
        draw_.InvertedLine(sym.tiltStalk);
        draw_.InvertedEllipse(sym.tiltCircle);
        draw_.InvertedLine(sym.heightBar);
        draw_.InvertedRect(sym.heightBox);
        draw_.InvertedPolyline(Closed(sym.body));
        draw_.InvertedPolyline(Closed(sym.lensBlock));
        return;
    }
    for (int i = 0; i < 3; ++i) {
        draw_.Line(sym.sightLines[i], kCamera);
        draw_.Polygon(sym.sightHeads[i], kCamera, kCamera);
    }
    draw_.Line(sym.tiltStalk, kCamera);
    draw_.OutlineEllipse(sym.tiltCircle, kCamera);
    draw_.Line(sym.heightBar, kCamera);
    draw_.OutlineRect(sym.heightBox, kCamera);
    draw_.TriangleMarker(sym.markerUp, kMarkerSize, kCamera);
    draw_.TriangleMarker(sym.markerDown, kMarkerSize, kCamera, 180);
    draw_.SetFont(TinyFont(kCameraNumberFont), kCamera, DrawingPrimitives::kTransparent);
    draw_.Text(sym.numberAt, QString(QChar(char16_t('0' + view_.cameraNumber))));
    draw_.Polygon(sym.body, kCamera, kCamera);
    draw_.Polygon(sym.lensBlock, kCamera, kCamera);
}

void StagePlanPainter::DrawCameraFootprint(const KeyFrame& pose, bool inverted) {
    const QPoint centre =
        stage::StageToPlan(pose.eastWest(), pose.northSouth(), view_.scale) - view_.scroll;
    const stage::CameraFootprint f =
        stage::MakeCameraFootprint(centre, pose, view_.scale, view_.aspectRatio);
    const auto outline = Closed(f.corners);
    if (inverted) {
        draw_.InvertedPolyline(outline);
        draw_.InvertedLine(f.crossHorizontal);
        draw_.InvertedLine(f.crossVertical);
        return;
    }
    draw_.Polyline(outline, kCamera, kRimWidth);
    draw_.Polyline(outline, kRim);
    draw_.Line(f.crossHorizontal, kCamera, kRimWidth);
    draw_.Line(f.crossVertical, kCamera, kRimWidth);
    draw_.Line(f.crossHorizontal, kRim);
    draw_.Line(f.crossVertical, kRim);
}

}  // namespace quillon
