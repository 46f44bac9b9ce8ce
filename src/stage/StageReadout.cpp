#include "StageReadout.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "DrawingPrimitives.h"
#include "StageGeometry.h"
#include "viewkit/ViewFonts.h"

namespace quillon {

namespace {

constexpr QColor kLabelColour{0, 0, 0};
constexpr QColor kValueColour{0, 0, 255};
constexpr int kGridTextTop = 7;
constexpr int kFirstRowTop = 20;
constexpr int kRowSpacing = 17;
constexpr int kValueBelowLabel = 7;
constexpr int kReadoutFontHeight = 9;

// "%d" of a channel value: truncated, and held in range for damaged values.
int Whole(double v) {
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0));
}

QString Number(double v) {
    return QString::asprintf("%d", Whole(v));
}

}  // namespace

QString GridSquareText(float scale, bool metric, bool rostrumMode) {
    scale = stage::ClampScale(scale);
    if (rostrumMode) return QString::asprintf("%d%%", Whole(scale * 100.0));
    if (metric) return QString::asprintf("%dcm", Whole(25.0 / scale));
    return QString::asprintf("%d\"", Whole(24.0 / scale));
}

QString PositionText(const KeyFrame& values, float aspectRatio) {
    return QString::asprintf("EW %-4d  NS %-4d  Wid %-4d", Whole(values.eastWest()),
                             Whole(values.northSouth()),
                             Whole(stage::FloorWidthSeen(values, aspectRatio)));
}

std::vector<ReadoutLine> ReadoutLines(const ReadoutValues& v) {
    std::vector<ReadoutLine> lines;
    lines.push_back({0, QStringLiteral("STAGE"), kValueColour});
    lines.push_back({kGridTextTop, GridSquareText(v.scale, v.metric, v.rostrumMode), kValueColour});
    const struct {
        const char* label;
        float value;
    } rows[] = {{"EW", v.values.eastWest()}, {"NS", v.values.northSouth()},
                {"UD", v.values.upDown()},   {"Pan", v.values.pan()},
                {"Tilt", v.values.tilt()},   {"Wid", v.values.width()}};
    int top = kFirstRowTop;
    for (const auto& row : rows) {
        lines.push_back({top, QString::fromLatin1(row.label), kLabelColour});
        lines.push_back({top + kValueBelowLabel, Number(row.value), kValueColour});
        top += kRowSpacing;
    }
    if (!v.rostrumMode) {
        lines.push_back({top, QStringLiteral("Cam"), kLabelColour});
        lines.push_back({top + kValueBelowLabel, Number(v.cameraNumber), kValueColour});
    }
    return lines;
}

int StageReadout::PanelWidth() {
    return TextBox(TinyFont(kReadoutFontHeight), QStringLiteral("-2000"), QSize(26, 0), 1).width();
}

StageReadout::StageReadout(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StageReadout::SetValues(const ReadoutValues& values) {
    values_ = values;
    update();
}

void StageReadout::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawingPrimitives draw(painter);
    draw.FilledRect(rect(), kBackground);
    const QFont font = TinyFont(kReadoutFontHeight);
    const int middle = width() / 2;
    for (const ReadoutLine& line : ReadoutLines(values_)) {
        draw.SetFont(font, line.colour, DrawingPrimitives::kTransparent);
        draw.Text(QPoint(middle, line.top), line.text, DrawingPrimitives::kAlignCentre);
    }
}

}  // namespace quillon
