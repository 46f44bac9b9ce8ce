#pragma once
// The rules the information dialogs read and write fields by: the key-colour names, numbers
// read from the front of a text, the key's opacity and width, and a panel's corner heights.
// Plain functions, so that the rules are tested without the dialogs.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace quillon {

struct KeyFrame;
struct SetPanel;

// The "Key Color:" list: "Use Alpha" -1, "Blue" 0xFF0000, "Green" 0x00FF00, "Black" 0,
// "White" 0xFFFFFF (colour values 0x00BBGGRR), sorted by text.
QStringList KeyColorTexts();
// The text of a value; empty for a value that is none of the five.
QString KeyColorText(int32_t value);
// The value of a text (compared case-sensitively); nothing for any other text.
std::optional<int32_t> KeyColorValue(const QString& text);

// The decimal number at the start of text (after blanks; a sign, digits, a fraction and an
// exponent); 0 when the text does not begin with one.
double LeadingNumber(const QString& text);

// A key's opacity in per cent: (1 - transparency) x 100 + 0.5, truncated.
int OpacityPercent(float transparency);
// "Width:" typed: the width, and the height kept in proportion (0 when the old width is 0).
void SetKeyWidth(KeyFrame& key, double width);

// "Top / Bottom:" of a panel, shown: a corner's height x 200 + 0.5, truncated.
int PanelHeightText(float cornerUpDown);
// Stored on OK: the top edge at left x 0.005; a top equal to the old bottom lays the panel flat
// at that height (right is ignored); otherwise the bottom edge at right x 0.005.
void SetPanelHeights(SetPanel& panel, int left, int right);

// The file field's stand-in for "no picture".
inline const QString kUseAlphaFile = QStringLiteral(" Use Alpha");
// A file field as stored: empty when it is empty or holds " Use Alpha".
QString StoredFileName(const QString& field);

}  // namespace quillon
