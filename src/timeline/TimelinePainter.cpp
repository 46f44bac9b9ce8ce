#include "timeline/TimelinePainter.h"

#include <QPainter>
#include <algorithm>

#include "model/Paths.h"
#include "model/ShowNode.h"
#include "model/Timecode.h"

namespace quillon {

using namespace timeline;

namespace {

// Names start 13 pixels into a bar and are cut to fit its width less 35 (36 on the shared sound
// and movie rows); "..." and a cut name on a narrow bar may reach a little past its end.
constexpr int kNameIndent = 13;
constexpr int kNameRoomLess = 35;
constexpr int kSharedRowNameRoomLess = 36;
constexpr int kTextSlack = 64;
constexpr int kLongestText = 2000;  // wider than any 128-character name in the tiny font

QColor InkOn(const ShowNode& node) {
    return node.selected() ? QColor(Qt::white) : QColor(Qt::black);
}

}  // namespace

TimelinePainter::TimelinePainter(QPainter& painter, const TimelineState& state, QPoint scroll,
                                 QRect clip)
    : p_(painter),
      s_(state),
      scroll_(scroll),
      metrics_(TinyFont(10)),
      clip_(clip),
      clipLeft_(int64_t(clip.left()) + scroll.x()),
      clipRight_(int64_t(clip.left()) + clip.width() + scroll.x()) {
    p_.setFont(TinyFont(10));
}

void TimelinePainter::Paint(const ShowNode& root) {
    PaintBackground();
    for (const ShowNode* scene : root.children)
        PaintScene(*scene);
    PaintRangeMarks();
}

void TimelinePainter::PaintCutLine(QPainter& painter, QRect line, QRect clip) {
    painter.fillRect(line.intersected(clip), kCutLine);
}

void TimelinePainter::PaintBackground() {
    p_.fillRect(clip_, kBackground);
    // Dark bands of 60 pixels from x = 30, every 120 pixels while the band ends inside the
    // scroll area; each carries the timecode of the frame at its left edge.
    const int64_t bandTop = kTopMargin;
    const int64_t bandHeight = int64_t(s_.extent.totalHeight) - 2 * kTopMargin;
    const int64_t period = 2 * kBandWidth;
    const int64_t first = std::max<int64_t>(0, (clipLeft_ - kLeftMargin - kBandWidth) / period);
    for (int64_t left = kLeftMargin + first * period;
         left + kBandWidth <= s_.extent.totalWidth && left < clipRight_ + kBandWidth;
         left += period) {
        Fill(left, bandTop, kBandWidth, bandHeight, kDarkBand);
        const int64_t frame = s_.scale.Frame(left);
        const QString label = QString::fromStdString(FormatTimecode(frame, s_.frameRate));
        Text(left, bandTop + bandHeight - 12, label, Qt::white, Qt::AlignHCenter, kBandWidth);
    }
}

void TimelinePainter::PaintScene(const ShowNode& scene) {
    const int64_t left = s_.scale.X(scene.startFrame);
    const int64_t right = s_.scale.X(scene.endFrame) + 1;
    if (!SpansClip(left - kTextSlack, right + kTextSlack)) return;

    const SceneRows rows = LayOutScene(scene);
    if (scene.rangeEditable()) {
        const int64_t nameEnd = PaintBar(scene, rows.barRow, kNameRoomLess);
        PaintCameraRow(scene, rows.cameraRow);
        const ShowNode* camera = scene.ChildAt(s_.activeCamera);
        if (camera && camera->Is(NodeKind::Camera))
            PaintSceneKeys(scene, *camera, rows.barRow, nameEnd);
    }
    for (const SceneRows::Item& item : rows.items) {
        if (!item.node->rangeEditable()) continue;
        const int64_t nameEnd = PaintBar(*item.node, item.row, kNameRoomLess);
        PaintItemKeys(*item.node, item.row, nameEnd, InkOn(*item.node));
    }
    // Sound tracks share one row, movies another; they are drawn without keys.
    for (const ShowNode* child : scene.children) {
        if (!child->rangeEditable()) continue;
        if (child->Is(NodeKind::SoundTrack) && rows.soundRow >= 0)
            PaintBar(*child, rows.soundRow, kSharedRowNameRoomLess);
        else if (child->Is(NodeKind::Movie) && rows.movieRow >= 0)
            PaintBar(*child, rows.movieRow, kSharedRowNameRoomLess);
    }
}

int64_t TimelinePainter::PaintBar(const ShowNode& node, int row, int nameRoomLess) {
    const int64_t left = s_.scale.X(node.startFrame);
    const int64_t right = s_.scale.X(node.endFrame) + 1;
    const int64_t width = right - left;
    if (width <= 0 || !SpansClip(left, right + kTextSlack)) return left + kNameIndent;

    Fill(left, row, width, kBarHeight, kOutline);
    Fill(left + 1, row + 1, width - 2, kBarHeight - 2, node.selected() ? kSelectedBar : kBar);
    const QColor ink = InkOn(node);
    Glyph icon = Glyph::SceneIcon;
    if (width > 12 && IconFor(node.kind, icon)) Mark(icon, left + 3, row + 2, ink);

    const int room = static_cast<int>(std::min<int64_t>(width - nameRoomLess, kLongestText));
    const QString name = FitText(FromRecordText(node.GetName()), room, metrics_);
    if (name.isEmpty()) return left + kNameIndent;
    Text(left + kNameIndent, row, name, ink, Qt::AlignLeft);
    return left + kNameIndent + metrics_.horizontalAdvance(name);
}

void TimelinePainter::PaintCameraRow(const ShowNode& scene, int row) {
    const int64_t left = s_.scale.X(scene.startFrame);
    const int64_t right = s_.scale.X(scene.endFrame);
    const int room = static_cast<int>(std::min<int64_t>(right + 1 - left - kNameRoomLess, 400));
    const QString label =
        FitText(QStringLiteral("Camera %1").arg(s_.activeCamera + 1), room, metrics_);
    const int64_t textLeft = right - 3 - metrics_.horizontalAdvance(label);
    // A closing bracket round the label: top and bottom lines and the scene's right end.
    const int64_t bracketLeft = textLeft - 3;
    Fill(bracketLeft, row, right - bracketLeft + 1, 1, Qt::black);
    Fill(bracketLeft, row + kBarHeight - 1, right - bracketLeft + 1, 1, Qt::black);
    Fill(right, row, 1, kBarHeight, Qt::black);
    Text(textLeft, row, label, Qt::black, Qt::AlignLeft);
}

int64_t TimelinePainter::KeyMarkLeft(int64_t keyX, int64_t barLeft, int64_t barRight) const {
    return std::max(std::min(keyX - kKeyMarkOffset, barRight - kKeyMarkWidth), barLeft);
}

void TimelinePainter::PaintSceneKeys(const ShowNode& scene, const ShowNode& camera, int row,
                                     int64_t nameEnd) {
    const int64_t barLeft = s_.scale.X(scene.startFrame);
    const int64_t barRight = s_.scale.X(scene.endFrame) + 1;
    const QColor ink = InkOn(scene);
    const int tagWidth = GlyphSize(Glyph::CameraKeyTag).width();
    for (int i = 0; i < camera.KeyCount(); ++i) {
        const int64_t keyX = s_.scale.X(int64_t(camera.startFrame) + camera.keys[i].frame);
        PaintHold(camera, i, row + 6, kSceneHold);
        const int64_t left = KeyMarkLeft(keyX, barLeft, barRight);
        if (!SpansClip(left, left + kKeyMarkWidth + tagWidth)) continue;
        Mark(Glyph::CameraKey, left, row + 2, ink);
        if (left > nameEnd && left + kKeyMarkWidth + tagWidth <= barRight)
            Mark(Glyph::CameraKeyTag, left + kKeyMarkWidth, row + 2, ink);
        if (s_.rostrumMode) Mark(Glyph::RostrumKey, left, row + 2 * kRowHeight + 2, Qt::black);
    }
}

void TimelinePainter::PaintItemKeys(const ShowNode& item, int row, int64_t nameEnd, QColor ink) {
    const int64_t barLeft = s_.scale.X(item.startFrame);
    const int64_t barRight = s_.scale.X(item.endFrame) + 1;
    for (int i = 0; i < item.KeyCount(); ++i) {
        PaintHold(item, i, row + 5, ink);
        // The first key always sits at the track's start; it gets no mark.
        if (i == 0) continue;
        const int64_t keyX = s_.scale.X(int64_t(item.startFrame) + item.keys[i].frame);
        const int64_t left = KeyMarkLeft(keyX, barLeft, barRight);
        if (!SpansClip(left, left + kKeyMarkWidth)) continue;
        if (left > nameEnd) {
            Mark(Glyph::ItemKey, left, row + 2, ink);
        } else {
            // Over the name a diamond would hide the text: a short double tick instead.
            Fill(left + kKeyMarkOffset - 1, row + 6, 1, 4, ink);
            Fill(left + kKeyMarkOffset + 1, row + 6, 1, 4, ink);
        }
    }
}

void TimelinePainter::PaintHold(const ShowNode& node, int index, int y, QColor colour) {
    const KeyFrame& key = node.keys[index];
    if (key.hold == 0) return;
    const int64_t keyFrame = int64_t(node.startFrame) + key.frame;
    int64_t holdEnd;
    if (key.hold > 0)
        holdEnd = keyFrame + key.hold;
    else if (index + 1 < node.KeyCount())
        holdEnd = int64_t(node.startFrame) + node.keys[index + 1].frame;
    else
        holdEnd = node.endFrame;  // held to the end of the track
    const int64_t from = s_.scale.X(keyFrame) + 4;
    const int64_t to = s_.scale.X(holdEnd) - 4;
    if (to <= from) return;
    Fill(from, y, to - from, 1, colour);
    Fill(from, y + 2, to - from, 1, colour);
}

void TimelinePainter::PaintRangeMarks() {
    if (!s_.rangeOn) return;
    Mark(Glyph::RangeStart, s_.scale.X(int64_t(s_.rangeStart) - 2), 0, Qt::black);
    Mark(Glyph::RangeEnd, s_.scale.X(s_.rangeEnd) - 2, 0, Qt::black);
}

bool TimelinePainter::SpansClip(int64_t left, int64_t right) const {
    return right > clipLeft_ && left < clipRight_;
}

void TimelinePainter::Fill(int64_t left, int64_t top, int64_t width, int64_t height,
                           QColor colour) {
    if (width <= 0 || height <= 0) return;
    // Clip in 64 bits first: a bar of a long show may lie billions of pixels away.
    const int64_t l = std::max(left - scroll_.x(), int64_t(clip_.left()));
    const int64_t r = std::min(left + width - scroll_.x(), int64_t(clip_.left()) + clip_.width());
    const int64_t t = std::max(top - scroll_.y(), int64_t(clip_.top()));
    const int64_t b = std::min(top + height - scroll_.y(), int64_t(clip_.top()) + clip_.height());
    if (r <= l || b <= t) return;
    p_.fillRect(QRect(int(l), int(t), int(r - l), int(b - t)), colour);
}

void TimelinePainter::Text(int64_t x, int64_t y, const QString& text, QColor colour, int flags,
                           int64_t width) {
    const int64_t cx = x - scroll_.x();
    const int64_t cy = y - scroll_.y();
    const int64_t clipRight = int64_t(clip_.left()) + clip_.width();
    if (cx >= clipRight || cx + std::max<int64_t>(width, kLongestText) <= clip_.left()) return;
    if (cy >= int64_t(clip_.top()) + clip_.height() || cy + kRowHeight + 4 <= clip_.top()) return;
    p_.setPen(colour);
    const int w = static_cast<int>(width > 0 ? width : kLongestText);
    p_.drawText(QRect(int(cx), int(cy), w, kRowHeight + 4),
                flags | Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine, text);
}

void TimelinePainter::Mark(Glyph glyph, int64_t x, int64_t y, QColor colour) {
    const QSize size = GlyphSize(glyph);
    const int64_t cx = x - scroll_.x();
    const int64_t cy = y - scroll_.y();
    const QRect area(int(std::clamp<int64_t>(cx, -64, int64_t(clip_.right()) + 64)),
                     int(std::clamp<int64_t>(cy, -64, int64_t(clip_.bottom()) + 64)), size.width(),
                     size.height());
    if (!area.intersects(clip_) || area.topLeft() != QPoint(int(cx), int(cy))) return;
    DrawGlyph(p_, glyph, area.topLeft(), colour);
}

}  // namespace quillon
