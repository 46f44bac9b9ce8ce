#include "InfoFields.h"

#include <QRegularExpression>
#include <algorithm>

#include "model/KeyFrame.h"
#include "model/SetPanel.h"

namespace quillon {

namespace {

struct KeyColorChoice {
    const char* text;
    int32_t value;
};
constexpr KeyColorChoice kKeyColors[] = {
    {"Use Alpha", -1},   {"Blue", 0xFF0000},  {"Green", 0x00FF00},
    {"Black", 0x000000}, {"White", 0xFFFFFF},
};

}  // namespace

QStringList KeyColorTexts() {
    QStringList texts;
    for (const KeyColorChoice& c : kKeyColors)
        texts << QString::fromLatin1(c.text);
    texts.sort(Qt::CaseSensitive);
    return texts;
}

QString KeyColorText(int32_t value) {
    for (const KeyColorChoice& c : kKeyColors)
        if (c.value == value) return QString::fromLatin1(c.text);
    return QString();
}

std::optional<int32_t> KeyColorValue(const QString& text) {
    for (const KeyColorChoice& c : kKeyColors)
        if (text == QLatin1String(c.text)) return c.value;
    return std::nullopt;
}

double LeadingNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^\\s*[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch()) return 0.0;
    bool ok = false;
    const double v = m.captured(0).trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

int OpacityPercent(float transparency) {
    return int((1.0 - double(transparency)) * 100.0 + 0.5);
}

void SetKeyWidth(KeyFrame& key, double width) {
    const double oldWidth = key.width();
    const double oldHeight = key.height();
    key.width() = float(width);
    key.height() = oldWidth != 0.0 ? float(width * (oldHeight / oldWidth)) : float(0.0 * width);
}

int PanelHeightText(float cornerUpDown) {
    return int(double(cornerUpDown) * 200.0 + 0.5);
}

void SetPanelHeights(SetPanel& panel, int left, int right) {
    const float top = float(left * 0.005);
    const float oldBottom = panel.cornerUpDown[3];
    panel.cornerUpDown[0] = panel.cornerUpDown[1] = top;
    if (top == oldBottom) {
        panel.cornerUpDown[2] = panel.cornerUpDown[3] = top;
    } else {
        panel.cornerUpDown[2] = panel.cornerUpDown[3] = float(right * 0.005);
    }
}

QString StoredFileName(const QString& field) {
    return field.isEmpty() || field.contains(kUseAlphaFile) ? QString() : field;
}

}  // namespace quillon
