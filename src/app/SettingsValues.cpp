#include "SettingsValues.h"

#include <algorithm>

#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/ShowNode.h"
#include "model/Timecode.h"

namespace quillon {

const QList<PreferenceChoice>& FrameRateChoices() {
    static const QList<PreferenceChoice> choices = {{"Film - 24 fps", 2400},
                                                    {"PAL - 25 fps", 2500},
                                                    {"Drop - 29.97 fps", 2997},
                                                    {"NTSC - 30 fps", 3000}};
    return choices;
}

const QList<PreferenceChoice>& AspectRatioChoices() {
    static const QList<PreferenceChoice> choices = {
        {"TV - 4x3", 0.75}, {"Wide TV - 16x9", 0.5625}, {"16mm", 0.666},
        {"Super16", 0.52},  {"35mm - 1.85", 0.5405},    {"35mm - 1.66", 0.6002}};
    return choices;
}

const QList<PreferenceChoice>& ReticleRatioChoices() {
    static const QList<PreferenceChoice> choices = {
        {"TV Safe", 0.75}, {"Wide TV - 16x9", 0.5625}, {"16mm", 0.666},
        {"Super16", 0.52}, {"35mm - 1.85", 0.5405},    {"35mm - 1.66", 0.6002}};
    return choices;
}

QString FrameRateText(int rate) {
    for (const PreferenceChoice& c : FrameRateChoices())
        if (int(c.value) == rate) return QString::fromLatin1(c.text);
    return QString::asprintf("%f", rate / 100.0);
}

QString RatioText(const QList<PreferenceChoice>& choices, float ratio) {
    // The ratios are held as floats: a list ratio matches when it is the same float.
    for (const PreferenceChoice& c : choices)
        if (float(c.value) == ratio) return QString::fromLatin1(c.text);
    return QString::asprintf("%f", double(ratio));
}

namespace {

// A typed number as the dialogs read it: leading blanks, then the longest number; anything
// unparsable counts as 0.
double TypedNumber(const QString& text) {
    const QByteArray bytes = text.trimmed().toLatin1();
    char* end = nullptr;
    const double v = std::strtod(bytes.constData(), &end);
    return end == bytes.constData() ? 0.0 : v;
}

}  // namespace

int FrameRateFromText(const QString& text) {
    for (const PreferenceChoice& c : FrameRateChoices())
        if (text == QLatin1String(c.text)) return int(c.value);
    const double typed = TypedNumber(text) * 100;
    const int rate = typed >= 1 && typed < 2147483647.0 ? int(typed) : 0;
    return rate < 1 ? 3000 : rate;
}

float RatioFromText(const QList<PreferenceChoice>& choices, const QString& text) {
    for (const PreferenceChoice& c : choices)
        if (text == QLatin1String(c.text)) return float(c.value);
    const double typed = TypedNumber(text);
    return float(typed < 0.1 || !(typed == typed) ? 0.1 : std::min(typed, 1.0e6));
}

int UnitsFromText(const QString& text) {
    return text == kUnitChoices[0] ? 0 : 1;
}

int CamerasFromText(const QString& text) {
    const double typed = TypedNumber(text);
    const long long whole = typed > -1e15 && typed < 1e15 ? static_cast<long long>(typed) : 0;
    return static_cast<int>(whole % 4);
}

PreferenceTexts CurrentPreferenceTexts(const Document& doc) {
    const DocumentSettings& s = doc.settings();
    PreferenceTexts t;
    t.frameRate = FrameRateText(s.frameRate);
    t.aspectRatio = RatioText(AspectRatioChoices(), s.aspectRatio);
    t.reticleRatio = RatioText(ReticleRatioChoices(), s.reticleRatio);
    t.units = kUnitChoices.value(s.units, kUnitChoices[0]);
    t.cameras = QString::number(s.cameras);
    return t;
}

void ApplyPreferenceTexts(Document& doc, const PreferenceTexts& texts) {
    DocumentSettings& s = doc.settings();
    Profile& profile = doc.profile();
    s.frameRate = FrameRateFromText(texts.frameRate);
    s.aspectRatio = RatioFromText(AspectRatioChoices(), texts.aspectRatio);
    settings::Write(profile, settings::kAspectRatio, int(s.aspectRatio * 10000 + 0.5));
    s.reticleRatio = RatioFromText(ReticleRatioChoices(), texts.reticleRatio);
    settings::Write(profile, settings::kReticleRatio, int(s.reticleRatio * 10000 + 0.5));
    s.units = UnitsFromText(texts.units);
    s.cameras = CamerasFromText(texts.cameras);
    settings::Write(profile, settings::kCameras, s.cameras);
    settings::Write(profile, settings::kFrameRate, s.frameRate);
    settings::Write(profile, settings::kUnits, s.units);
}

QString PartsListText(const Document& doc, const QDate& date) {
    QString text = QString::asprintf("%d/%d/%d\r\n", date.month(), date.day(), date.year() % 100);
    auto add = [&text](const QString& entry) {
        if (!text.contains(entry)) text += entry + QStringLiteral("\r\n");
    };
    add(doc.path().toUpper());
    text += QStringLiteral("\r\n\r\nSETS\r\n\r\n");
    const ShowNode& root = doc.root();
    for (const ShowNode* scene : root.children)
        if (scene->set) add(QString::fromStdString(scene->set->path));
    text += QStringLiteral("\r\nSET PANELS\r\n\r\n");
    for (const ShowNode* scene : root.children)
        if (scene->set)
            for (const SetPanel& p : scene->set->panels)
                add(QString::fromLocal8Bit(p.imagePath,
                                           int(strnlen(p.imagePath, sizeof p.imagePath))));
    text += QStringLiteral("\r\nACTORS\r\n\r\n");
    for (const ShowNode* scene : root.children)
        for (const ShowNode* track : scene->children)
            add(QString::fromStdString(track->GetFileName()));
    return text;
}

int64_t TimecodeAnswer(const QString& text, int rate, int64_t current, int64_t minimum,
                       int64_t maximum) {
    const int64_t value = ParseTimecode(text.toStdString(), rate, current);
    return std::clamp(value, minimum, std::max(minimum, maximum));
}

}  // namespace quillon
