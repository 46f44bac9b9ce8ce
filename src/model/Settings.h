#pragma once
// The sections, keys and defaults of the profile, and the values the document mirrors.
//
// Every key the program reads or writes is named once below, with its default; readers and
// writers go through these entries (settings::Get / settings::Write) instead of spelling key
// names and defaults themselves. Three kinds of entry:
//  - IntSetting / StringSetting: a fixed default;
//  - RateSetting: the default follows the show's frame rate (frames per second x 100);
//  - KeyName: the default belongs to the reader (window rectangles, pane sizes) or the key
//    is never read back (Stage/GridSnap); the reader passes its own default.

#include <QString>
#include <cstdint>

#include "Profile.h"

namespace quillon {

// Defaults that depend on the frame rate.
int DefaultTimelineScale(int frameRate);   // (rate + 50) / 100
int DefaultTimecodeStart(int frameRate);   // rate x 36: one hour of frames
int DefaultMovieFrameRate(int frameRate);  // the show's own rate

// A ratio stored as value x 10000 (AspectRatio, ReticleRatio), as the document keeps it.
constexpr float RatioFromProfile(int value) {
    return static_cast<float>(value * 0.0001);
}

namespace settings {

struct KeyName {
    QString section;
    QString key;
};

struct IntSetting {
    QString section;
    QString key;
    int defaultValue;
};

struct StringSetting {
    QString section;
    QString key;
    QString defaultValue;
};

struct RateSetting {
    QString section;
    QString key;
    int (*defaultFor)(int frameRate);
};

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
// Beyond the program's own list: keys of later features each have a section of their own.
inline const QString kRecovery = QStringLiteral("Recovery");

constexpr int kDefaultFrameRate = 3000;
constexpr int kDefaultAspectRatio = 7500;
constexpr int kDefaultReticleRatio = 7500;
constexpr int32_t kDefaultKeyColorValue = 0xFF0000;
inline const QString kDefaultFolder = QStringLiteral("\\");

// --- System: installation-wide show values, read by the document at start-up.
// Frames per second x 100 (2400, 2500, 2997, 3000 from the Preferences list, or typed).
inline const IntSetting kFrameRate{kSystem, QStringLiteral("FrameRate"), kDefaultFrameRate};
// Monitor picture height over width x 10000; the document keeps value x 0.0001.
inline const IntSetting kAspectRatio{kSystem, QStringLiteral("AspectRatio"), kDefaultAspectRatio};
// Reticle (safe frame) height over width x 10000, kept like the aspect ratio.
inline const IntSetting kReticleRatio{kSystem, QStringLiteral("ReticleRatio"),
                                      kDefaultReticleRatio};
// Tape recorder serial port: 0 none, n for "COMn".
inline const IntSetting kVtrPort{kSystem, QStringLiteral("VTRPort"), 0};

// --- Stage
inline const IntSetting kRostrumMode{kStage, QStringLiteral("RostrumMode"), 0};
// 0 inches, 1 centimetres.
inline const IntSetting kUnits{kStage, QStringLiteral("Units"), 0};
// How many of a scene's cameras the next-camera button cycles through.
inline const IntSetting kCameras{kStage, QStringLiteral("Cameras"), 1};
// Render the monitor while dragging on the stage plan.
inline const IntSetting kShowOnDrag{kStage, QStringLiteral("ShowOnDrag"), 1};
// Colour (0x00BBGGRR) of drawn motion paths; -1 when paths are not drawn.
inline const IntSetting kShowCameraPath{kStage, QStringLiteral("ShowCameraPath"), -1};
inline const IntSetting kShowSet{kStage, QStringLiteral("ShowSet"), 1};
inline const IntSetting kShowGrid{kStage, QStringLiteral("ShowGrid"), 0};
// Stage plan zoom; the plan scale is value x 0.001.
inline const IntSetting kStageScale{kStage, QStringLiteral("Scale"), 1000};
// Written by the snap toggle, never read back: the snap state starts off on every run.
inline const KeyName kGridSnap{kStage, QStringLiteral("GridSnap")};

// --- Project
// Folder part (ending in a separator) of the last file chosen in any file dialog.
inline const StringSetting kFolder{kProject, QStringLiteral("Folder"), kDefaultFolder};
// Stretch key frames when a range is stretched.
inline const IntSetting kScaleKeys{kProject, QStringLiteral("ScaleKeys"), 1};

// --- Texture
inline const IntSetting kFiltering{kTexture, QStringLiteral("Filtering"), 1};
inline const IntSetting kFeatherActors{kTexture, QStringLiteral("FeatherActors"), 1};
inline const IntSetting kMipMapped{kTexture, QStringLiteral("MipMapped"), 0};
inline const IntSetting kColorKeying{kTexture, QStringLiteral("ColorKeying"), 1};
// Key colour of new tracks and panels: -1 alpha, 0xFF0000 blue, 0x00FF00 green, 0 black,
// 0xFFFFFF white.
inline const IntSetting kDefaultKeyColor{kTexture, QStringLiteral("DefaultKeyColor"),
                                         kDefaultKeyColorValue};

// --- Player
inline const IntSetting kJogAmount{kPlayer, QStringLiteral("JogAmt"), 1};
inline const IntSetting kMoveCamera{kPlayer, QStringLiteral("MoveCamera"), 0};
inline const IntSetting kPlayAudio{kPlayer, QStringLiteral("PlayAudio"), 1};

// --- Timeline
// Timeline zoom, default (rate + 50) / 100; also the key-matching tolerance x 8.
inline const RateSetting kTimelineScale{kTimeline, QStringLiteral("Scale"), &DefaultTimelineScale};
inline const IntSetting kMovePlay{kTimeline, QStringLiteral("MovePlay"), 1};

// --- Movie (the movie settings dialog)
inline const IntSetting kMovieWidth{kMovie, QStringLiteral("Width"), 720};
inline const IntSetting kMovieHeight{kMovie, QStringLiteral("Height"), 484};
// Movie frame rate x 100, default the show's frame rate.
inline const RateSetting kMovieFrameRate{kMovie, QStringLiteral("FrameRate"),
                                         &DefaultMovieFrameRate};
// 0 AVI, 1 VRML, 2 16-bit TGA, 3 24-bit TGA.
inline const IntSetting kMovieFormat{kMovie, QStringLiteral("Format"), 0};
// 0 frames, 1 even field first, 2 odd field first.
inline const IntSetting kFieldRender{kMovie, QStringLiteral("FieldRender"), 0};

// --- Conform (batch recording)
inline const IntSetting kStartHold{kConform, QStringLiteral("StartHold"), 3};
inline const IntSetting kEndHold{kConform, QStringLiteral("EndHold"), 3};
inline const IntSetting kReverse{kConform, QStringLiteral("Reverse"), 0};
inline const IntSetting kMakeAvi{kConform, QStringLiteral("MakeAVI"), 0};
// First timecode of a batch in frames, default one hour (rate x 36).
inline const RateSetting kTimecodeStart{kConform, QStringLiteral("TimecodeStart"),
                                        &DefaultTimecodeStart};

// --- Script window rectangle
inline const IntSetting kScriptWindowLeft{kScript, QStringLiteral("WindowLeft"), 100};
inline const IntSetting kScriptWindowTop{kScript, QStringLiteral("WindowTop"), 100};
inline const IntSetting kScriptWindowRight{kScript, QStringLiteral("WindowRight"), 300};
inline const IntSetting kScriptWindowBottom{kScript, QStringLiteral("WindowBottom"), 200};

// --- Window: main frame rectangle (default: the frame's initial rectangle) and pane sizes.
inline const KeyName kWindowLeft{kWindow, QStringLiteral("Left")};
inline const KeyName kWindowTop{kWindow, QStringLiteral("Top")};
inline const KeyName kWindowRight{kWindow, QStringLiteral("Right")};
inline const KeyName kWindowBottom{kWindow, QStringLiteral("Bottom")};
// Pane sizes. The main frame computes its default from the frame size; the stage view reads
// them with 600 and 400, every other reader with 100 and 100.
inline const KeyName kStageWidth{kWindow, QStringLiteral("Stage Width")};
inline const KeyName kStageHeight{kWindow, QStringLiteral("Stage Height")};
constexpr int kStageViewDefaultWidth = 600;
constexpr int kStageViewDefaultHeight = 400;
constexpr int kOtherDefaultPaneWidth = 100;
constexpr int kOtherDefaultPaneHeight = 100;

// --- Recovery: minutes between recovery copies of a show with unsaved changes; 0 turns
// autosave off.
inline const IntSetting kAutosaveMinutes{kRecovery, QStringLiteral("AutosaveMinutes"), 2};

// Reading and writing through the entries above.
inline int Get(const Profile& profile, const IntSetting& s) {
    return profile.GetInt(s.section, s.key, s.defaultValue);
}
inline int Get(const Profile& profile, const RateSetting& s, int frameRate) {
    return profile.GetInt(s.section, s.key, s.defaultFor(frameRate));
}
inline int Get(const Profile& profile, const KeyName& s, int defaultValue) {
    return profile.GetInt(s.section, s.key, defaultValue);
}
inline QString Get(const Profile& profile, const StringSetting& s, int size = 256) {
    return profile.GetString(s.section, s.key, s.defaultValue, size);
}
inline void Write(Profile& profile, const IntSetting& s, int value) {
    profile.WriteInt(s.section, s.key, value);
}
inline void Write(Profile& profile, const RateSetting& s, int value) {
    profile.WriteInt(s.section, s.key, value);
}
inline void Write(Profile& profile, const KeyName& s, int value) {
    profile.WriteInt(s.section, s.key, value);
}
inline void Write(Profile& profile, const StringSetting& s, const QString& text) {
    profile.WriteString(s.section, s.key, text);
}

}  // namespace settings

// The settings the document reads at construction, in this order: Project/Folder,
// Stage/RostrumMode, Project/ScaleKeys, Texture/Filtering, Texture/FeatherActors,
// Texture/MipMapped, Texture/ColorKeying, System/FrameRate, System/AspectRatio,
// System/ReticleRatio, Stage/Units, Stage/Cameras, Texture/DefaultKeyColor, System/VTRPort.
// Booleans are 0 or 1 (any non-zero value read is 1). The member defaults equal what an
// empty profile gives.
struct DocumentSettings {
    QString folder = settings::kFolder.defaultValue;
    bool rostrumMode = settings::kRostrumMode.defaultValue != 0;
    bool scaleKeys = settings::kScaleKeys.defaultValue != 0;
    bool filtering = settings::kFiltering.defaultValue != 0;
    bool featherActors = settings::kFeatherActors.defaultValue != 0;
    bool mipMapped = settings::kMipMapped.defaultValue != 0;
    bool colorKeying = settings::kColorKeying.defaultValue != 0;
    int frameRate = settings::kFrameRate.defaultValue;
    float aspectRatio = RatioFromProfile(settings::kAspectRatio.defaultValue);
    float reticleRatio = RatioFromProfile(settings::kReticleRatio.defaultValue);
    int units = settings::kUnits.defaultValue;  // 0 inches, 1 centimetres
    int cameras = settings::kCameras.defaultValue;
    int32_t defaultKeyColor = settings::kDefaultKeyColor.defaultValue;
    int vtrPort = settings::kVtrPort.defaultValue;
};

DocumentSettings ReadDocumentSettings(const Profile& profile);

}  // namespace quillon
