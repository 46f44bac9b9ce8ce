#include "BlockingDiagram.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cmath>

#include "model/Document.h"
#include "model/Set.h"
#include "model/ShowNode.h"
#include "stage/StageGeometry.h"

namespace quillon {

namespace {

constexpr uint16_t kOutOfRange = 0xFFFF;  // a pose's act outside the node's range

// Stage values beyond this are left out of the diagram (a broken show's wild poses).
constexpr double kFarthest = 1e6;
bool Plottable(double v) {
    return std::isfinite(v) && std::abs(v) <= kFarthest;
}

// The stage area (stage units) the diagram shows: what the scene holds at this frame.
QRectF PlanExtent(const Document& doc, const ShowNode& scene, const KeyFrame& cameraPose,
                  bool withCamera) {
    double left = 1e30, top = 1e30, right = -1e30, bottom = -1e30;
    auto take = [&](double x, double y, double reach) {
        if (!Plottable(x) || !Plottable(y)) return;
        left = std::min(left, x - reach);
        right = std::max(right, x + reach);
        top = std::min(top, y - reach);
        bottom = std::max(bottom, y + reach);
    };
    if (withCamera) take(cameraPose.eastWest(), cameraPose.northSouth(), 50.0);
    for (const ShowNode* node : scene.children)
        if (node->Is(NodeKind::Actor) && node->pose.act != kOutOfRange)
            take(node->pose.eastWest(), node->pose.northSouth(),
                 std::max(50.0, std::abs(double(node->pose.width())) * 0.5));
    if (!doc.rostrumMode()) {
        if (const Set* set = doc.SetOfSceneAt(doc.currentFrame()))
            for (const SetPanel& panel : set->panels)
                for (int i = 0; i < 4; ++i)
                    take(panel.cornerEastWest[i] * stage::kSetUnit + stage::kSetOrigin,
                         panel.cornerNorthSouth[i] * stage::kSetUnit + stage::kSetOrigin, 0.0);
    }
    if (left > right) return QRectF(0, 0, stage::kPlanUnits, stage::kPlanUnits);
    // Nothing wider than the plan, nothing narrower than a few hundred units.
    QRectF extent(QPointF(left, top), QPointF(right, bottom));
    const double side = 400.0;
    if (extent.width() < side)
        extent.adjust(-(side - extent.width()) / 2, 0, (side - extent.width()) / 2, 0);
    if (extent.height() < side)
        extent.adjust(0, -(side - extent.height()) / 2, 0, (side - extent.height()) / 2);
    return extent;
}

}  // namespace

void DrawBlockingDiagram(QPainter& painter, const Document& doc, QRect box) {
    painter.save();
    painter.setClipRect(box);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const ShowNode* scene = doc.SceneAt(doc.currentFrame());
    if (scene) {
        const ShowNode* camera = doc.ActiveTrack(const_cast<ShowNode*>(scene));
        const bool hasCamera = camera && camera != scene;
        const KeyFrame cameraPose = hasCamera ? camera->pose : KeyFrame{};
        const QRectF extent = PlanExtent(doc, *scene, cameraPose, hasCamera);
        // Plan pixels per stage unit that fit the extent into the box less a tenth.
        const double fit =
            std::min(0.9 * box.width() / extent.width(), 0.9 * box.height() / extent.height());
        const float scale = std::isfinite(fit) ? float(std::clamp(fit, 1e-4, 1e2)) : 1.0f;
        const QPoint middle = stage::StageToPlan(extent.center().x(), extent.center().y(), scale);
        painter.translate(box.center() - middle);
        const QPoint cameraAt =
            stage::StageToPlan(cameraPose.eastWest(), cameraPose.northSouth(), scale);

        if (!doc.rostrumMode()) {
            if (const Set* set = doc.SetOfSceneAt(doc.currentFrame())) {
                painter.setPen(QPen(QColor(128, 128, 128), 3));
                for (const SetPanel& panel : set->panels) {
                    const stage::PanelShape shape = stage::MakePanelShape(panel, scale);
                    for (int e = 0; e < shape.EdgeCount(); ++e)
                        painter.drawLine(shape.Edge(e));
                }
            }
        }
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        for (const ShowNode* node : scene->children) {
            if (!node->Is(NodeKind::Actor) || node->pose.act == kOutOfRange) continue;
            if (!Plottable(node->pose.eastWest()) || !Plottable(node->pose.northSouth()) ||
                !Plottable(node->pose.width()))
                continue;
            const stage::ActorShape shape = stage::MakeActorShape(node->pose, node->aspect, scale);
            // The card's three points, closed back to the first.
            painter.drawPolyline(
                QPolygon({shape.card[0], shape.card[1], shape.card[2], shape.card[0]}));
            painter.drawLine(shape.facing);
        }
        if (hasCamera && Plottable(cameraPose.eastWest()) && Plottable(cameraPose.northSouth())) {
            // Sight lines reach past the box whatever the zoom; the clip cuts them.
            const int reach = 2 * (box.width() + box.height());
            const double halfLens = 0.5 * cameraPose.width();
            const QLine sight(cameraAt, cameraAt - QPoint(0, reach));
            painter.drawLine(stage::RotateLine(sight, cameraPose.pan() - halfLens, cameraAt));
            painter.drawLine(stage::RotateLine(sight, cameraPose.pan() + halfLens, cameraAt));
            const int r = std::max(4, box.width() / 60);
            painter.setBrush(Qt::black);
            painter.drawEllipse(cameraAt, r, r);
        }
    }
    painter.restore();
    // The frame outline: white inside black.
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(box.adjusted(1, 1, -2, -2));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(box.adjusted(0, 0, -1, -1));
    painter.restore();
}

}  // namespace quillon
