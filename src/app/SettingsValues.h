#pragma once
// What the settings dialogs and prompts show and store, without the dialogs: the Preferences
// lists and how typed text becomes a stored value, the movie settings record, the parts list
// text and the timecode prompt's answer. The dialogs only move text in and out of these.

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace quillon {

class Document;
class Profile;

struct PreferenceChoice {
    const char* text;
    double value;
};

// "Frame Rate:" list: frames per second x 100.
const QList<PreferenceChoice>& FrameRateChoices();
// "Aspect Ratio:" and "Reticle Ratio:" lists: height over width.
const QList<PreferenceChoice>& AspectRatioChoices();
const QList<PreferenceChoice>& ReticleRatioChoices();
inline const QStringList kUnitChoices = {QStringLiteral("Inches"), QStringLiteral("Centimeters")};
inline const QStringList kCameraChoices = {"1", "2", "3", "4"};

// The text a combo shows for a frame rate: its list text, else rate / 100 with "%f".
QString FrameRateText(int rate);
// The text for a ratio: the list text whose ratio equals it exactly, else "%f".
QString RatioText(const QList<PreferenceChoice>& choices, float ratio);

// The stored frame rate of a combo text: the list value when the text is a list text, else the
// typed number x 100 truncated, and 3000 when that is below 1 (unparsable text counts as 0).
int FrameRateFromText(const QString& text);
// The ratio of a combo text: the list value, else the typed number, not less than 0.1.
float RatioFromText(const QList<PreferenceChoice>& choices, const QString& text);
// 0 for exactly "Inches", else 1.
int UnitsFromText(const QString& text);
// The typed whole number modulo 4.
int CamerasFromText(const QString& text);

struct PreferenceTexts {
    QString frameRate, aspectRatio, reticleRatio, units, cameras;
};
// The texts the dialog opens with.
PreferenceTexts CurrentPreferenceTexts(const Document& doc);
// OK: stores the values in the document and writes "System"/"AspectRatio",
// "System"/"ReticleRatio", "Stage"/"Cameras", "System"/"FrameRate", "Stage"/"Units", in that
// order.
void ApplyPreferenceTexts(Document& doc, const PreferenceTexts& texts);

// The movie settings dialog's lists (the record itself is the output library's MovieJob).
inline const QStringList kMovieFormatChoices = {"AVI File", "VRML File", "16-bit TGA Files",
                                                "24-bit TGA Files"};
inline const QStringList kFieldModeChoices = {"Frames", "Even first", "Odd first"};
// The parts list text of the show, dated `date`, lines ending in CR LF, each entry added only
// when the text so far does not already contain it.
QString PartsListText(const Document& doc, const QDate& date);

// The timecode prompt's OK: the edit text read as timecode (relative to current with a leading
// "+" or "-"), clamped to minimum .. maximum.
int64_t TimecodeAnswer(const QString& text, int rate, int64_t current, int64_t minimum,
                       int64_t maximum);

}  // namespace quillon
