#include "StageView.h"

#include <QApplication>
#include <QColorDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <cmath>

#include "DrawingPrimitives.h"
#include "StageGeometry.h"
#include "StageReadout.h"
#include "StartupPicture.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "viewkit/VerticalMode.h"
#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

constexpr int kMinColourBits = 9;
const char kMessageTooFewColours[] = "This Program Requires More than 256 Colors!";
constexpr int kNarrowClient = 100;  // below this the pane's remembered size gives the centre
constexpr float kCentredHeight = 60.0f;
constexpr float kCentredHeightMetric = 150.0f;
constexpr float kCentredLensAngle = 25.0f;
constexpr float kRostrumHeight = 200.0f;
constexpr float kRostrumTilt = -90.0f;
constexpr int kStartupFontHeight = 13;

}  // namespace

StageView::StageView(Document& document, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(document) {
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    startupTimer_.setSingleShot(true);
    connect(&startupTimer_, &QTimer::timeout, this, &StageView::EndStartupPicture);
    viewport()->setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    chooser_ = [](QWidget* parent) -> std::optional<QColor> {
        const QColor c = QColorDialog::getColor(Qt::black, parent);
        if (!c.isValid()) return std::nullopt;
        return c;
    };
    doc_.AddListener(this);
    UpdateScrollBars();
}

StageView::~StageView() {
    if (startupShowing_) qApp->removeEventFilter(this);
    doc_.RemoveListener(this);
}

void StageView::InitialUpdate() {
    const Profile& profile = doc_.profile();
    scale_ = stage::ScaleFromProfile(settings::Get(profile, settings::kStageScale));
    showOnDrag_ = settings::Get(profile, settings::kShowOnDrag) != 0;
    cameraPathColour_ = settings::Get(profile, settings::kShowCameraPath);
    showSet_ = settings::Get(profile, settings::kShowSet) != 0;
    showGrid_ = settings::Get(profile, settings::kShowGrid) != 0;
    // The scroll area always follows the scale, also when the profile starts it zoomed.
    UpdateScrollBars();
    if (const QScreen* s = screen()) bitsPerPixel_ = s->depth();
    doc_.monitorCamera().scale = scale_;
    doc_.UpdateViewsAtFrame(0, Refresh::kViews);
}

void StageView::SetReadout(StageReadout* readout) {
    readout_ = readout;
    UpdateReadout();
}

int StageView::planSize() const {
    return stage::PlanSize(scale_);
}

QPoint StageView::scrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

PlanView StageView::CurrentPlanView() const {
    PlanView v;
    v.scale = scale_;
    v.scroll = scrollPosition();
    v.rostrumMode = doc_.rostrumMode();
    v.metric = doc_.settings().units == 1;
    v.aspectRatio = doc_.settings().aspectRatio;
    v.cameraNumber = doc_.activeCamera() + 1;
    v.symbolSize = doc_.monitorCamera().symbolSize;
    return v;
}

QPoint StageView::StageToClient(double eastWest, double northSouth) const {
    return stage::PlanToClient(stage::StageToPlan(eastWest, northSouth, scale_), scrollPosition());
}

QPointF StageView::ClientToStage(QPoint client) const {
    return stage::ClientToStage(client, scrollPosition(), scale_);
}

StagePlace StageView::VisiblePlace() const {
    const QSize client = viewport()->size();
    const QPointF centre = ClientToStage(QPoint(client.width() / 2, client.height() / 2));
    return StagePlace{centre.x(), centre.y(), client.height()};
}

// --- zoom and toggles ---

void StageView::EnlargeStage() {
    ApplyScale(stage::EnlargeScale(scale_));
}

void StageView::ShrinkStage() {
    ApplyScale(stage::ShrinkScale(scale_));
}

void StageView::ScrollToCentre(QPointF stagePoint) {
    const QSize client = viewport()->size();
    const QPoint plan = stage::StageToPlan(stagePoint.x(), stagePoint.y(), scale_);
    horizontalScrollBar()->setValue(plan.x() - client.width() / 2);
    verticalScrollBar()->setValue(plan.y() - client.height() / 2);
}

void StageView::ApplyScale(float scale) {
    const QSize client = viewport()->size();
    const QPointF middle = ClientToStage(QPoint(client.width() / 2, client.height() / 2));
    scale_ = scale;
    doc_.monitorCamera().scale = scale_;
    UpdateScrollBars();
    ScrollToCentre(middle);
    settings::Write(doc_.profile(), settings::kStageScale, stage::ScaleToProfile(scale_));
    UpdateReadout();
    emit ScaleLabelRedrawRequested();
    viewport()->update();
}

void StageView::ToggleCameraPath() {
    if (cameraPathColour_ != -1) {
        cameraPathColour_ = -1;
    } else {
        const std::optional<QColor> chosen = chooser_ ? chooser_(this) : std::nullopt;
        cameraPathColour_ = chosen ? ColourToRef(*chosen) : 0;
    }
    settings::Write(doc_.profile(), settings::kShowCameraPath, cameraPathColour_);
    viewport()->update();
}

void StageView::ToggleShowOnDrag() {
    showOnDrag_ = !showOnDrag_;
    settings::Write(doc_.profile(), settings::kShowOnDrag, showOnDrag_ ? 1 : 0);
}

void StageView::ToggleShowSet() {
    showSet_ = !showSet_;
    settings::Write(doc_.profile(), settings::kShowSet, showSet_ ? 1 : 0);
    emit MonitorRedrawRequested();
}

void StageView::ToggleShowGrid() {
    showGrid_ = !showGrid_;
    settings::Write(doc_.profile(), settings::kShowGrid, showGrid_ ? 1 : 0);
    emit MonitorRedrawRequested();
}

// --- camera placement and read-out ---

void StageView::CenterCamera() {
    Layout(true);
}

void StageView::ShowCameraAndSet() {
    const KeyFrame& camera = doc_.monitorCamera().pose;
    const QPointF eye(camera.eastWest(), camera.northSouth());
    double left = eye.x(), right = eye.x(), top = eye.y(), bottom = eye.y();
    if (const ShowNode* scene = doc_.currentScene(); scene && scene->set) {
        for (const SetPanel& p : scene->set->panels) {
            for (int k = 0; k < 4; ++k) {
                const double x = p.cornerEastWest[k] * stage::kSetUnit + stage::kSetOrigin;
                const double y = p.cornerNorthSouth[k] * stage::kSetUnit + stage::kSetOrigin;
                // Wild corners (a damaged set) must not take the view off the stage.
                if (!std::isfinite(x) || !std::isfinite(y)) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    // The camera symbol reaches this far round its centre, in stage units.
    const double symbol = doc_.monitorCamera().symbolSize / std::max(scale_, 0.25f);
    const QRectF seen(QPointF(left - symbol, top - symbol),
                      QPointF(right + symbol, bottom + symbol));
    // The middle of both, moved toward the camera as far as needed to keep the camera in view.
    const QSizeF half = QSizeF(viewport()->size()) / std::max(scale_, 0.25f) / 2.0;
    auto keep = [symbol](double middle, double camera, double halfView) {
        const double room = std::max(0.0, halfView - symbol);
        return std::clamp(middle, camera - room, camera + room);
    };
    const QPointF middle = seen.center();
    ScrollToCentre(
        QPointF(keep(middle.x(), eye.x(), half.width()), keep(middle.y(), eye.y(), half.height())));
}

void StageView::Layout(bool redraw) {
    QSize client = viewport()->size();
    if (client.width() < kNarrowClient) {
        // Not laid out yet: the pane's remembered size stands in for the client area.
        const Profile& profile = doc_.profile();
        client = QSize(
            settings::Get(profile, settings::kStageWidth, settings::kStageViewDefaultWidth),
            settings::Get(profile, settings::kStageHeight, settings::kStageViewDefaultHeight));
    }
    const QPointF centre = ClientToStage(QPoint(client.width() / 2, client.height() / 2));
    KeyFrame& pose = doc_.monitorCamera().pose;
    pose.eastWest() = static_cast<float>(static_cast<int>(centre.x()));
    pose.northSouth() = static_cast<float>(static_cast<int>(centre.y()));
    pose.upDown() = doc_.settings().units == 1 ? kCentredHeightMetric : kCentredHeight;
    pose.pan() = 0;
    pose.tilt() = 0;
    pose.width() = kCentredLensAngle;
    if (doc_.rostrumMode()) {
        pose.upDown() = kRostrumHeight;
        pose.tilt() = kRostrumTilt;
        // A rostrum camera centres on what hangs under it, when anything does.
        ShowNode* camera = doc_.ActiveTrack(doc_.SceneAt(doc_.currentFrame()));
        if (const ShowNode* under = camera ? camera->ChildAt(0) : nullptr) {
            pose.eastWest() = under->pose.eastWest();
            pose.northSouth() = under->pose.northSouth();
        }
    }
    UpdateReadout();
    if (redraw) {
        viewport()->update();
        emit MonitorRedrawRequested();
    }
}

void StageView::UpdateReadout() {
    ShowValuesInReadout(doc_.monitorCamera().pose);
}

void StageView::ShowValuesInReadout(const KeyFrame& values) {
    if (readout_) {
        ReadoutValues v;
        v.values = values;
        v.scale = scale_;
        v.metric = doc_.settings().units == 1;
        v.rostrumMode = doc_.rostrumMode();
        v.cameraNumber = doc_.activeCamera() + 1;
        readout_->SetValues(v);
    }
    positionText_ = PositionText(values, doc_.settings().aspectRatio);
    emit PositionTextChanged(positionText_);
}

// --- painting ---

void StageView::UpdateScrollBars() {
    const int plan = planSize();
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, plan - client.width()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    horizontalScrollBar()->setSingleStep(stage::kGridStep);
    verticalScrollBar()->setRange(0, std::max(0, plan - client.height()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    verticalScrollBar()->setSingleStep(stage::kGridStep);
}

void StageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void StageView::scrollContentsBy(int, int) {
    if (dragMode_) MakeDragBase();
    viewport()->update();
}

void StageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    StagePlanPainter plan(painter, CurrentPlanView());
    plan.DrawBackground(event->rect());
    if (firstPaint_) {
        firstPaint_ = false;
        FirstPaint();
    }
    if (startupShowing_) {
        DrawStartupPicture(painter);
        return;
    }
    if (dragMode_ && !dragBase_.isNull()) {
        // A drag: the rest of the plan as it was drawn at the press, the dragged objects
        // inverted over it.
        // (Rectangle by rectangle: the camera's thin sight-line bands span the whole view.)
        const qreal ratio = dragBase_.devicePixelRatio();
        for (const QRect& r : event->region())
            painter.drawImage(r, dragBase_, QRectF(r.topLeft() * ratio, r.size() * ratio));
        DrawDragged(painter);
        return;
    }
    DrawPlanContents(painter, stage::kNoHandle);
}

void StageView::DrawPlanContents(QPainter& painter) {
    DrawPlanContents(painter, stage::kNoHandle);
}

void StageView::DrawPlanContents(QPainter& painter, int leaveOut) {
    pictures_.Prune();
    StagePlanPainter plan(painter, CurrentPlanView(), &pictures_);
    ShowNode* scene = doc_.SceneAt(doc_.currentFrame());
    if (!scene) return;
    if (scene->set) {
        for (const SetPanel& panel : scene->set->panels)
            if (!(stage::IsPanelHandle(leaveOut) && panel.selected)) plan.DrawPanel(panel, false);
    }
    for (const ShowNode* child : scene->children) {
        if (!child->Is(NodeKind::Actor)) continue;
        if (stage::IsActorHandle(leaveOut) && child->selected()) continue;
        plan.DrawActor(*child, false);
    }
    if (cameraPathColour_ != -1) {
        const ShowNode* camera = doc_.ActiveTrack(scene);
        if (camera && camera != scene) plan.DrawCameraPath(*camera, cameraPathColour_);
    }
    if (!stage::IsCameraHandle(leaveOut)) plan.DrawCamera(doc_.monitorCamera().pose, false);
}

// The first paint of the plan (one stage view per run, so the flag is the view's own): the
// colour check, the views refreshed, and the start-up picture until 3 s pass or a key or the
// left button is pressed; then the camera is placed and the plan drawn.
void StageView::FirstPaint() {
    // The plan opens on the middle of the stage, where shows are built, so that the camera
    // placed on the visible part below stands among the set.
    const int middle = static_cast<int>(2000 * scale_);
    horizontalScrollBar()->setValue(middle - viewport()->width() / 2);
    verticalScrollBar()->setValue(middle - viewport()->height() / 2);
    if (bitsPerPixel_ < kMinColourBits) {
        // A message box cannot open inside a paint; it follows as soon as the paint is done.
        QMetaObject::invokeMethod(
            this, [this] { doc_.host().Message(QString::fromLatin1(kMessageTooFewColours)); },
            Qt::QueuedConnection);
    }
    emit ScaleLabelRedrawRequested();
    doc_.UpdateViewsAtFrame(doc_.currentFrame(), Refresh::kViews);
    if (!startupEnabled_) {
        Layout(false);
        return;
    }
    startupShowing_ = true;
    qApp->installEventFilter(this);
    startupTimer_.start(kStartupMilliseconds);
}

void StageView::EndStartupPicture() {
    if (!startupShowing_) return;
    startupShowing_ = false;
    startupTimer_.stop();
    qApp->removeEventFilter(this);
    Layout(false);
    viewport()->update();
}

bool StageView::eventFilter(QObject* watched, QEvent* event) {
    if (startupShowing_) {
        const auto type = event->type();
        if (type == QEvent::KeyPress ||
            (type == QEvent::MouseButtonPress &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)) {
            EndStartupPicture();
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

void StageView::DrawStartupPicture(QPainter& painter) {
    const QImage picture = MakeStartupPicture(pictureMode_);
    const QSize client = viewport()->size();
    const QPoint at((client.width() - picture.width()) / 2,
                    (client.height() - picture.height()) / 2);
    painter.drawImage(at, picture);
    if (pictureMode_) return;
    DrawingPrimitives draw(painter);
    draw.SetFont(MakeViewFont(QStringLiteral("MS Sans Serif"), kStartupFontHeight), Qt::white,
                 DrawingPrimitives::kTransparent);
    draw.Text(at + QPoint(kStartupTextLeft, kStartupTextTop), MaxImageWidthText(maxTextureSize_));
}

// --- document changes ---

void StageView::DocumentChanged(const DocumentChange& change) {
    // A show just opened is looked at where its camera and set are.
    if (change.Has(DocumentChange::kShow) && !firstPaint_) ShowCameraAndSet();
    // Nodes that come and go may take the dragged ones with them.
    if (dragMode_ && change.Has(DocumentChange::kNodes | DocumentChange::kShow)) EndDrag();
    if (change.Has(DocumentChange::kFrame | DocumentChange::kCamera)) UpdateReadout();
    // A frame of play leaves the plan as it is (RedrawCamera moves the camera when asked).
    if (change.playTick) return;
    if (change.Has(~DocumentChange::kScript)) viewport()->update();
}

// What the camera symbol (or, in rostrum mode, its floor footprint) covers in client pixels,
// within `client`: the symbol's body, and a thin band along each sight line (they run far
// across the plan, so their bounding box would be most of it).
QRegion StageView::CameraArea(const PlanView& view, const KeyFrame& pose, const QRect& client) {
    const QPoint centre =
        stage::StageToPlan(pose.eastWest(), pose.northSouth(), view.scale) - view.scroll;
    // Pens up to 3 pixels wide and antialiased edges reach a little beyond the points.
    constexpr int kMargin = 4;
    QPolygon body;
    QRegion area;
    if (view.rostrumMode) {
        const stage::CameraFootprint f =
            stage::MakeCameraFootprint(centre, pose, view.scale, view.aspectRatio);
        for (const QPoint& p : f.corners)
            body << p;
        body << f.crossHorizontal.p1() << f.crossHorizontal.p2() << f.crossVertical.p1()
             << f.crossVertical.p2();
    } else {
        const stage::CameraSymbol s =
            stage::MakeCameraSymbol(centre, pose, view.symbolSize, view.metric);
        // Each sight line as a chain of small boxes along it: a few dozen rectangles, where
        // the scan conversion of a slanted band would give one per pixel row.
        constexpr int kChunk = 32;
        for (const QLine& l : s.sightLines) {
            const QPointF d = l.p2() - l.p1();
            const int steps = std::max(1, int(std::hypot(d.x(), d.y()) / kChunk) + 1);
            for (int i = 0; i < steps; ++i) {
                const QPointF a = QPointF(l.p1()) + d * (double(i) / steps);
                const QPointF b = QPointF(l.p1()) + d * (double(i + 1) / steps);
                const QRect box = QRectF(a, b).normalized().toAlignedRect().adjusted(
                    -kMargin, -kMargin, kMargin, kMargin);
                if (box.intersects(client)) area += box.intersected(client);
            }
        }
        for (const auto& head : s.sightHeads)
            for (const QPoint& p : head)
                body << p;
        for (const QPoint& p : s.body)
            body << p;
        for (const QPoint& p : s.lensBlock)
            body << p;
        body << s.tiltStalk.p1() << s.tiltStalk.p2() << s.heightBar.p1() << s.heightBar.p2()
             << s.tiltCircle.topLeft() << s.tiltCircle.bottomRight() << s.heightBox.topLeft()
             << s.heightBox.bottomRight() << s.markerUp << s.markerDown << s.numberAt
             << s.numberAt + QPoint(24, 16);
    }
    return area + body.boundingRect().adjusted(-kMargin, -kMargin, kMargin, kMargin);
}

void StageView::RedrawCamera(const KeyFrame& from) {
    const PlanView view = CurrentPlanView();
    const QRect client = viewport()->rect();
    viewport()->update(CameraArea(view, from, client) +
                       CameraArea(view, doc_.monitorCamera().pose, client));
}

}  // namespace quillon
