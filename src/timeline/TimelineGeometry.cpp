#include "timeline/TimelineGeometry.h"

#include <QFontMetrics>
#include <algorithm>
#include <limits>

#include "model/ShowNode.h"
#include "model/Timecode.h"

namespace quillon {

using namespace timeline;

namespace {

constexpr int64_t kIntMax = std::numeric_limits<int>::max();
constexpr int64_t kIntMin = std::numeric_limits<int>::min();

int Saturate(int64_t v) {
    return static_cast<int>(std::clamp(v, kIntMin, kIntMax));
}

// Scroll sizes stay well inside int so that client + scroll position never overflows.
constexpr int64_t kMaxScrollSize = kIntMax / 2;

}  // namespace

int TimeScale::Clamp(int scale) {
    return std::clamp(scale, kMinScale, kMaxScale);
}

int TimeScale::Frame(int64_t x) const {
    return Saturate((x - kLeftMargin) * scale_ / kBandWidth);
}

TimeScale TimeScale::ZoomedOut() const {
    const int s = scale_ / 2;
    return TimeScale(s < kMinScale + 1 ? kMinScale : s);
}

TimeScale TimeScale::ZoomedIn() const {
    const int s = scale_ * 2;
    return TimeScale(s > kMaxScale - 1 ? kMaxScale : s);
}

QString TimeScaleLabel(int scale, int frameRate) {
    const int fps = WholeFramesPerSecond(frameRate);
    if (scale < fps) return QStringLiteral("1/2  Second");
    QString text = QStringLiteral("%1  Second").arg(scale / fps);
    if (scale > fps) text += QLatin1Char('s');
    return text;
}

bool HasOwnRow(const ShowNode& node) {
    return !node.Is(NodeKind::Camera) && !node.Is(NodeKind::SoundTrack) &&
           !node.Is(NodeKind::Movie);
}

SceneRows LayOutScene(const ShowNode& scene) {
    SceneRows rows;
    int y = kFirstItemRow;
    bool sound = false, movie = false;
    for (const ShowNode* item : scene.children) {
        sound |= item->Is(NodeKind::SoundTrack);
        movie |= item->Is(NodeKind::Movie);
        // A track keeps its row even when its range is locked and it is not drawn, so that
        // rows and the clicks on them agree.
        if (!HasOwnRow(*item)) continue;
        rows.items.push_back({item, y});
        y += kRowHeight;
        for (const ShowNode* child : item->children) {
            rows.items.push_back({child, y});
            y += kRowHeight;
        }
    }
    if (sound) {
        rows.soundRow = y;
        y += kRowHeight;
    }
    if (movie) {
        rows.movieRow = y;
        y += kRowHeight;
    }
    rows.bottom = y;
    return rows;
}

TimelineExtent ComputeExtent(const ShowNode& root, const TimeScale& scale, QSize client) {
    TimelineExtent e;
    // The row count started again at every scene, so the last scene alone would decide the
    // height and the rows of a taller scene before it could not be reached; the tallest decides.
    e.contentHeight = kFirstItemRow;
    for (const ShowNode* scene : root.children) {
        e.totalFrames = std::max<int>(e.totalFrames, scene->endFrame);
        e.contentHeight = std::max(e.contentHeight, LayOutScene(*scene).bottom);
    }
    const int64_t width = std::max<int64_t>(client.width(), scale.X(int64_t(e.totalFrames) + 1));
    e.totalWidth = static_cast<int>(std::min(width, kMaxScrollSize));
    e.totalHeight = std::max(e.contentHeight + kTopMargin, client.height() - 1);
    return e;
}

QRect TrackArea(QSize client) {
    return QRect(kLeftMargin, kTopMargin, client.width() - 2 * kLeftMargin,
                 client.height() - 2 * kTopMargin);
}

int64_t PageScroll(int64_t x, int64_t scrollX, QSize client) {
    if (x < scrollX) return std::max<int64_t>(x - TrackArea(client).width(), 0);
    if (x >= scrollX + client.width()) return x;
    return scrollX;
}

QRect CutLineRect(int64_t x, int64_t scrollX, QSize client) {
    const QRect area = TrackArea(client);
    // Far off-screen places are pinned just outside the client so the rectangle stays valid.
    const int left = static_cast<int>(std::clamp<int64_t>(x - scrollX, -4, client.width() + 4));
    return QRect(left, area.top(), 2, area.height());
}

QString FitText(const QString& text, int room, const QFontMetrics& metrics) {
    if (metrics.horizontalAdvance(text) <= room) return text;
    // The longest start that fits, found by halving: widths grow with the length.
    int lo = 0, hi = static_cast<int>(text.size());
    while (lo < hi) {
        const int mid = (lo + hi + 1) / 2;
        if (metrics.horizontalAdvance(text.left(mid)) <= room)
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.left(lo) + QStringLiteral("...");
}

}  // namespace quillon
