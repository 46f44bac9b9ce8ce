#pragma once
// GltfExporter: the show as a glTF 2.0 scene for today's 3D programs. Each scene of the show
// becomes a glTF scene of its own, with its set panels as textured quads (floors and walls),
// every actor as an upright textured card (a flat one in rostrum mode) whose keyed pixels are
// transparent, and the scene's active camera as a perspective camera with the renderer's own
// projection; one animation per scene (time 0 at the scene's first frame) moves the cards and
// the camera by their key frames. Where the motion between two keys is a straight line at an
// even speed the keys are written as they are (a hold is a key written twice); where an ease or
// a curve cannot be expressed, the motion is sampled at every frame of the show rate. A card
// outside its own range within the scene is switched off (scaled to nothing, stepwise).
//
// Lengths are metres (MetresPerStageUnit of the Units preference, StageUnits.h); the world is
// the renderer's (y up, the plan's north-south along z), so the pictures match the monitor.
// Materials are unlit (KHR_materials_unlit), as the monitor draws them. A card's transparency is
// its first key's, scene fades are left out, and a camera's lens angle is the one at its
// scene's first frame: glTF animates none of them without further extensions.
//
// Pictures are read and keyed here as the texture table makes them (colour key, feathering,
// power-of-two texture sizes), so the document needs no texture loader. Nothing of the document
// changes.

#include <QString>
#include <QStringList>
#include <optional>

namespace quillon {

class Document;

struct GltfOptions {
    std::optional<int> scene;  // only this scene (index from 0); every scene when empty
    // Width over height of the picture the cameras frame; the monitor's shape (the inverse of
    // the "System"/"AspectRatio" value) when 0.
    double aspectRatio = 0;
};

class GltfExporter {
  public:
    explicit GltfExporter(const Document& doc);

    // Writes fileName: binary glTF (.glb) when it ends in ".glb" (any case), otherwise JSON
    // glTF with the buffer embedded. The file is replaced whole or not at all. False, with
    // errorString(), when there is nothing to export or the file cannot be written.
    bool Export(const QString& fileName, const GltfOptions& options = {});

    QString errorString() const { return error_; }
    // Pictures that could not be read (their cards and panels are left plain).
    const QStringList& warnings() const { return warnings_; }

  private:
    const Document& doc_;
    QString error_;
    QStringList warnings_;
};

}  // namespace quillon
