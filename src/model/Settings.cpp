#include "model/Settings.h"

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

// A hand-edited profile may hold any int as frame rate; the derived defaults are computed
// wide and clamped rather than left to overflow.
int ClampToInt(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, std::numeric_limits<int>::min(),
                                                std::numeric_limits<int>::max()));
}

}  // namespace

int DefaultTimelineScale(int frameRate) {
    return ClampToInt((int64_t{frameRate} + 50) / 100);
}

int DefaultTimecodeStart(int frameRate) {
    return ClampToInt(int64_t{frameRate} * 36);
}

int DefaultMovieFrameRate(int frameRate) {
    return frameRate;
}

DocumentSettings ReadDocumentSettings(const Profile& profile) {
    using namespace settings;
    DocumentSettings s;
    // The order of these reads is the document's start-up order; keep it.
    s.folder = Get(profile, kFolder);
    s.rostrumMode = Get(profile, kRostrumMode) != 0;
    s.scaleKeys = Get(profile, kScaleKeys) != 0;
    s.filtering = Get(profile, kFiltering) != 0;
    s.featherActors = Get(profile, kFeatherActors) != 0;
    s.mipMapped = Get(profile, kMipMapped) != 0;
    s.colorKeying = Get(profile, kColorKeying) != 0;
    s.frameRate = Get(profile, kFrameRate);
    s.aspectRatio = RatioFromProfile(Get(profile, kAspectRatio));
    s.reticleRatio = RatioFromProfile(Get(profile, kReticleRatio));
    s.units = Get(profile, kUnits);
    s.cameras = Get(profile, kCameras);
    s.defaultKeyColor = Get(profile, kDefaultKeyColor);
    s.vtrPort = Get(profile, kVtrPort);
    return s;
}

}  // namespace quillon
