#pragma once
// VrmlExporter: writes the whole show as one VRML 2.0 world (a .wrl text file). The main camera
// becomes an animated viewpoint driven by the scenes' own keys, every set panel a textured quad
// and every actor an animated textured card, all run by one time sensor that spans the show and
// starts when the world is clicked. The pictures are converted once each and written beside the
// .wrl file: JPEG for panels, PNG with the keyed areas transparent for actors.
//
// One exporter per export; it reads the document and changes nothing in it.

#include <QString>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "model/KeyFrame.h"

namespace quillon {

class Document;
class ShowNode;

// The four corners of a quad (east-west, up-down, north-south, in world units) and the path of
// its picture.
struct VrmlQuad {
    float eastWest[4] = {0, 0, 0, 0};
    float upDown[4] = {0, 0, 0, 0};
    float northSouth[4] = {0, 0, 0, 0};
    std::string picturePath;
    uint32_t panelColor = 0x00FFFFFF;  // used for a panel without a picture
};

class VrmlExporter {
  public:
    // Interpolator kinds and how their values are formed from a key.
    enum Kind { kPosition = 0, kFieldOfView = 1, kPan = 2, kTilt = 3 };
    // What a texture is drawn on: a card keeps its keyed transparency in a PNG, a panel is a
    // JPEG.
    enum class Surface { kPanel, kActor };

    explicit VrmlExporter(Document& document);

    // Writes fileName (replacing it whole, or not at all) and the texture files into its folder.
    // False, after "Couldn't write file" through the document's host, when the world cannot be
    // written; texture files that cannot be written are left out silently.
    bool Export(const QString& fileName);

    // The world text of the last Export, with "\n" line ends (the file has CR LF).
    const std::string& text() const { return out_; }

    // "v" + the picture's file name up to its first "." + ".png" (actor) or ".jpg" (panel);
    // "/", "\" and ":" all separate folders.
    static std::string TextureName(const std::string& picturePath, Surface surface);

  private:
    struct TextureJob {
        std::string picturePath;
        std::string name;
        Surface surface = Surface::kPanel;
        int32_t keyColor = -1;
    };

    void WriteHeader();
    void WriteCamera();
    // Writes one interpolator from the keys of node, or of every scene when node is null, and
    // returns its first value as formatted (empty when there are no keys).
    std::string WriteInterpolator(const std::string& name, Kind kind, const ShowNode* node);
    void WriteShape(const VrmlQuad& quad, const std::string& def, const std::string& extra,
                    const ShowNode* actor);
    std::string WriteTexture(const std::string& picturePath, const ShowNode* actor);
    void WriteActor(const ShowNode& node, int n);
    void WriteCameraRoutes();
    void Print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::string KeyFraction(long long frame) const;
    std::string FormatValue(Kind kind, const KeyFrame& key, bool first) const;
    bool WriteTextureFile(const TextureJob& job) const;

    Document& document_;
    std::string folder_;
    std::string out_;
    int totalFrames_ = 0;
    std::set<std::string> writtenTextures_;
    std::vector<TextureJob> textures_;
};

}  // namespace quillon
