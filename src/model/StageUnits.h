#pragma once
// Stage units in the real world, for what goes to other programs (glTF scenes, camera data).
// The stage plan measures in inches, or in centimetres when the "Stage"/"Units" preference says
// so (its 24-unit grid squares are labelled 24" or 25cm). The renderer's world puts the plan
// point (2000, 2000) at its origin and takes 200 stage units as one world unit; set-panel
// corners are held in world units.

namespace quillon {

constexpr double kMetresPerInch = 0.0254;
constexpr double kMetresPerCentimetre = 0.01;
constexpr double kStageCentre = 2000.0;
constexpr double kStageUnitsPerWorldUnit = 200.0;

// Metres per stage unit for the "Stage"/"Units" value: 1 centimetres, anything else inches.
constexpr double MetresPerStageUnit(int units) {
    return units == 1 ? kMetresPerCentimetre : kMetresPerInch;
}

}  // namespace quillon
