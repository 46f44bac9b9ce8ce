#pragma once
// The sections, keys and defaults of the profile, and the values the document mirrors.

#include <QString>
#include <cstdint>

#include "Profile.h"

namespace quillon {

namespace settings {
// Sections
inline const QString kSystem = QStringLiteral("System");
inline const QString kStage = QStringLiteral("Stage");
inline const QString kProject = QStringLiteral("Project");
inline const QString kTexture = QStringLiteral("Texture");
inline const QString kPlayer = QStringLiteral("Player");
inline const QString kTimeline = QStringLiteral("Timeline");
inline const QString kMovie = QStringLiteral("Movie");
inline const QString kConform = QStringLiteral("Conform");
inline const QString kScript = QStringLiteral("Script");
inline const QString kWindow = QStringLiteral("Window");

constexpr int kDefaultFrameRate = 3000;
constexpr int kDefaultAspectRatio = 7500;
constexpr int kDefaultReticleRatio = 7500;
constexpr int32_t kDefaultKeyColorValue = 0xFF0000;
inline const QString kDefaultFolder = QStringLiteral("\\");
}  // namespace settings

// The settings the document reads at construction, in this order: Project/Folder,
// Stage/RostrumMode, Project/ScaleKeys, Texture/Filtering, Texture/FeatherActors,
// Texture/MipMapped, Texture/ColorKeying, System/FrameRate, System/AspectRatio,
// System/ReticleRatio, Stage/Units, Stage/Cameras, Texture/DefaultKeyColor, System/VTRPort.
// Booleans are 0 or 1 (any non-zero value read is 1).
struct DocumentSettings {
    QString folder = settings::kDefaultFolder;
    bool rostrumMode = false;
    bool scaleKeys = true;
    bool filtering = true;
    bool featherActors = true;
    bool mipMapped = false;
    bool colorKeying = true;
    int frameRate = settings::kDefaultFrameRate;
    float aspectRatio = 0.75f;   // AspectRatio x 0.0001
    float reticleRatio = 0.75f;  // ReticleRatio x 0.0001
    int units = 0;               // 0 inches, 1 centimetres
    int cameras = 1;
    int32_t defaultKeyColor = settings::kDefaultKeyColorValue;
    int vtrPort = 0;
};

DocumentSettings ReadDocumentSettings(const Profile& profile);

// Defaults that depend on the frame rate.
int DefaultTimelineScale(int frameRate);  // (rate + 50) / 100
int DefaultTimecodeStart(int frameRate);  // rate x 36: one hour of frames

}  // namespace quillon
