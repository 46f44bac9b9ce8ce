#pragma once
// Where things lie on the timeline: the frame <-> pixel mapping, the zoom steps and their label,
// the rows of a scene, the scroll sizes, the paging that keeps the current frame in view and
// the cut line's strip. Pure functions of the show and a few numbers, shared by the drawing,
// the clicks and the tests.
//
// Pixel x and y are scroll-area pixels (client position + scroll position) unless a name says
// client. x values are 64-bit: a show may run to frame 2^31 - 1, far past any int pixel.

#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <vector>

class QFontMetrics;

namespace quillon {

class ShowNode;

namespace timeline {
constexpr int kLeftMargin = 30;    // frame 0 lies this far from the left edge
constexpr int kBandWidth = 60;     // pixels spanning `scale` frames
constexpr int kTopMargin = 4;      // the first row and the dark bands start here
constexpr int kRowHeight = 12;     // rows lie 12 pixels apart
constexpr int kBarHeight = 11;     // a bar fills 11 of them
constexpr int kFirstItemRow = 40;  // below the scene's three rows
constexpr int kMinScale = 15;
constexpr int kMaxScale = 960;
}  // namespace timeline

// Frames per 60 pixels, kept within kMinScale .. kMaxScale.
class TimeScale {
  public:
    explicit TimeScale(int scale = 30) : scale_(Clamp(scale)) {}
    // Any stored value made usable: below 15 (0 and negatives too) is 15, above 960 is 960.
    static int Clamp(int scale);

    int scale() const { return scale_; }
    // x(frame) = frame x 60 / scale + 30, truncating.
    int64_t X(int64_t frame) const { return frame * timeline::kBandWidth / scale_ + 30; }
    // frame(x) = (x - 30) x scale / 60, truncating toward zero; saturated to the int range.
    int Frame(int64_t x) const;

    // Zoom out halves the scale (a result below 16 becomes 15); zoom in doubles it (a result
    // above 959 becomes 960).
    TimeScale ZoomedOut() const;
    TimeScale ZoomedIn() const;

    bool operator==(const TimeScale&) const = default;

  private:
    int scale_;
};

// The time one 60-pixel band spans, for the status bar: "1/2  Second" when the scale is below
// the whole frames per second, else "%d  Second" with scale / fps and an "s" when the scale is
// above it.
QString TimeScaleLabel(int scale, int frameRate);

// True for the tracks that get a row of their own: everything but cameras, sound tracks and
// movie (type 0) tracks.
bool HasOwnRow(const ShowNode& node);

// The rows of one scene, top to bottom. Every scene starts again at row 4: its own bar, then
// the "Camera %d" row, then the row for rostrum key marks; its tracks start at 40, each followed
// by its own child tracks; then one shared row for all sound tracks and one for all movies,
// each only when the scene has such tracks.
struct SceneRows {
    struct Item {
        const ShowNode* node;
        int row;
    };
    int barRow = timeline::kTopMargin;
    int cameraRow = timeline::kTopMargin + timeline::kRowHeight;
    int rostrumRow = timeline::kTopMargin + 2 * timeline::kRowHeight;
    std::vector<Item> items;
    int soundRow = -1;                     // -1: no sound tracks
    int movieRow = -1;                     // -1: no movie tracks
    int bottom = timeline::kFirstItemRow;  // the row position after the last row
};
SceneRows LayOutScene(const ShowNode& scene);

// The sizes the layout computes after every change of the show.
struct TimelineExtent {
    int totalFrames = 0;    // the largest scene end frame
    int contentHeight = 0;  // the pixel height of the rows
    int totalWidth = 0;     // the scroll sizes
    int totalHeight = 0;
};
// contentHeight is the tallest scene's `bottom` (every row of every scene can be scrolled to);
// totalWidth = max(client width, x(total frames + 1)); totalHeight = max(contentHeight + 4,
// client height - 1).
TimelineExtent ComputeExtent(const ShowNode& root, const TimeScale& scale, QSize client);

// The client rectangle less 30 pixels left and right and 4 at top and bottom (client pixels).
QRect TrackArea(QSize client);

// Go-to-frame's paging: the horizontal scroll position that shows pixel x. Left of the view it
// becomes x less the track area's width (not below 0); right of it, x; otherwise unchanged.
int64_t PageScroll(int64_t x, int64_t scrollX, QSize client);

// The cut line at pixel x: 2 pixels wide, over the track area's height, in client pixels.
QRect CutLineRect(int64_t x, int64_t scrollX, QSize client);

// The text cut to fit `room` pixels: unchanged when it fits, else its longest fitting start
// with "..." appended.
QString FitText(const QString& text, int room, const QFontMetrics& metrics);

}  // namespace quillon
