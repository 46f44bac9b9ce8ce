#include "VrmlExporter.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "model/Document.h"
#include "model/DurableFile.h"
#include "model/Paths.h"
#include "model/ShowNode.h"
#include "pictures/Picture.h"
#include "pictures/Texels.h"

namespace quillon {

namespace {

// Degrees to radians, to six figures: the value the renderer turns angles with.
constexpr double kRadiansPerDegree = 0.0174532;

constexpr char kCouldNotWrite[] = "Couldn't write file";

// Stage units to world units, as the renderer places things (the channel arithmetic is in float,
// the scaling in double).
double WorldX(const KeyFrame& k) {
    return (k.eastWest() - 2000) * 0.005;
}
double WorldY(const KeyFrame& k) {
    return k.upDown() * 0.005;
}
double WorldZ(const KeyFrame& k) {
    return (k.northSouth() - 2000) * 0.005;
}

std::string FormatList(const char* format, va_list args) {
    char buffer[512];
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(buffer, sizeof(buffer), format, args);
    std::string text;
    if (n >= 0 && static_cast<size_t>(n) < sizeof(buffer)) {
        text.assign(buffer, size_t(n));
    } else if (n >= 0) {
        text.assign(size_t(n) + 1, '\0');
        std::vsnprintf(text.data(), text.size(), format, again);
        text.resize(size_t(n));
    }
    va_end(again);
    return text;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatList(format, args);
    va_end(args);
    return text;
}

// Every "\n" of the world goes to the file as CR LF.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

VrmlExporter::VrmlExporter(Document& document) : document_(document) {}

void VrmlExporter::Print(const char* format, ...) {
    va_list args;
    va_start(args, format);
    out_ += FormatList(format, args);
    va_end(args);
}

std::string VrmlExporter::TextureName(const std::string& picturePath, Surface surface) {
    std::string title = BareName(picturePath);
    const size_t dot = title.find('.');
    if (dot != std::string::npos) title.resize(dot);
    return "v" + title + (surface == Surface::kActor ? ".png" : ".jpg");
}

bool VrmlExporter::Export(const QString& fileName) {
    out_.clear();
    writtenTextures_.clear();
    textures_.clear();
    const std::string path = QFile::encodeName(fileName).toStdString();
    folder_ = FolderOf(path);
    totalFrames_ = document_.TotalFrames();

    WriteHeader();
    WriteCamera();
    const ShowNode& root = document_.root();
    for (const ShowNode* scene : root.children) {
        if (!scene->set) continue;
        for (const SetPanel& panel : scene->set->panels) {
            VrmlQuad quad;
            for (int i = 0; i < 4; ++i) {
                quad.eastWest[i] = panel.cornerEastWest[i];
                quad.upDown[i] = panel.cornerUpDown[i];
                quad.northSouth[i] = panel.cornerNorthSouth[i];
            }
            quad.picturePath.assign(panel.imagePath, strnlen(panel.imagePath, kPanelPathBytes));
            quad.panelColor = panel.panelColor;
            WriteShape(quad, std::string(), std::string(), nullptr);
        }
    }
    int n = 0;
    for (const ShowNode* scene : root.children)
        for (const ShowNode* child : scene->children)
            WriteActor(*child, ++n);
    WriteCameraRoutes();

    // The world is written first and whole; only then are the pictures converted, so a world
    // that cannot be written leaves nothing at all behind.
    const std::string bytes = WithCrLf(out_);
    if (!WriteFileAtomically(path, bytes)) {
        document_.host().Message(QString::fromLatin1(kCouldNotWrite));
        textures_.clear();
        writtenTextures_.clear();
        return false;
    }
    for (const TextureJob& job : textures_)
        WriteTextureFile(job);
    document_.host().Beep(BeepKind::Asterisk);
    textures_.clear();
    writtenTextures_.clear();
    return true;
}

void VrmlExporter::WriteHeader() {
    // Seconds per show in whole seconds at whole frames per second (29.97 counts as 30).
    const int framesPerSecond = (document_.frameRate() + 50) / 100;
    const int cycle = framesPerSecond > 0 ? totalFrames_ / framesPerSecond : 0;
    Print("#VRML V2.0 utf8\n\n");
    Print("NavigationInfo {\n");
    Print("\ttype \"NONE\"\n}\n\n");
    Print("DEF TS TimeSensor {\n");
    Print("\tstartTime 1\n");
    Print("\tcycleInterval %f\n", double(cycle));
    Print("}\n\n");
    Print("DEF TCH TouchSensor {}\n");
    Print("ROUTE TCH.touchTime TO TS.set_startTime\n\n");
}

std::string VrmlExporter::KeyFraction(long long frame) const {
    const double fraction = totalFrames_ > 0 ? double(frame) / double(totalFrames_) : 0.0;
    return Format("%.4f ", fraction);
}

std::string VrmlExporter::FormatValue(Kind kind, const KeyFrame& key, bool first) const {
    switch (kind) {
        case kPosition:
            return Format(first ? " %f %f %f" : ", %f %f %f", WorldX(key), WorldY(key),
                          WorldZ(key));
        case kFieldOfView:
            return Format(" %f ",
                          (key.width() * document_.settings().aspectRatio) * kRadiansPerDegree);
        case kPan:
            return Format(first ? " 0 -1 0 %f" : ", 0 -1 0 %f", key.pan() * kRadiansPerDegree);
        case kTilt:
            return Format(first ? " 1 0 0 %f" : ", 1 0 0 %f", key.tilt() * kRadiansPerDegree);
    }
    return std::string();
}

std::string VrmlExporter::WriteInterpolator(const std::string& name, Kind kind,
                                            const ShowNode* node) {
    std::vector<const ShowNode*> nodes;
    if (node)
        nodes.push_back(node);
    else
        nodes.assign(document_.root().children.begin(), document_.root().children.end());

    Print("DEF %sInterpolator {\n", name.c_str());
    Print("\tkey [ ");
    for (const ShowNode* n : nodes) {
        for (size_t i = 0; i < n->keys.size(); ++i) {
            const KeyFrame& k = n->keys[i];
            const long long at = (long long)n->startFrame + k.frame;
            out_ += KeyFraction(at);
            if (k.hold > 0) {
                out_ += KeyFraction(at + k.hold);
            } else if (k.hold < 0) {
                const KeyFrame& next = i + 1 < n->keys.size() ? n->keys[i + 1] : k;
                out_ += KeyFraction((long long)n->startFrame + next.frame);
            }
        }
    }
    Print(" ]\n\tkeyValue [");
    std::string firstValue;
    bool first = true;
    for (const ShowNode* n : nodes) {
        for (const KeyFrame& k : n->keys) {
            // A held key is written twice: the interpolator stands still through the hold.
            const std::string value = FormatValue(kind, k, first);
            if (first) firstValue = value;
            first = false;
            out_ += value;
            if (k.hold != 0) out_ += value;
        }
    }
    Print(" ]\n\t}\n");
    return firstValue;
}

void VrmlExporter::WriteCamera() {
    std::string p = WriteInterpolator("PI Position", kPosition, nullptr);
    std::string r = WriteInterpolator("RI Orientation", kPan, nullptr);
    std::string t = WriteInterpolator("TI Orientation", kTilt, nullptr);
    std::string s = WriteInterpolator("SI Scalar", kFieldOfView, nullptr);
    // Scenes without keys of their own give empty interpolators, which a viewer accepts, but the
    // viewpoint's fields need values: it then stands where a new camera stands.
    if (p.empty()) {
        const KeyFrame home = DefaultCameraKey(document_.rostrumMode());
        p = FormatValue(kPosition, home, true);
        r = FormatValue(kPan, home, true);
        t = FormatValue(kTilt, home, true);
        s = FormatValue(kFieldOfView, home, true);
    }
    Print("DEF T Transform {\n");
    Print("\tcenter %s\n", p.c_str());
    Print("\trotation %s\n", r.c_str());
    Print("\tchildren [\n");
    Print("\t\tDEF VP Viewpoint {\n");
    Print("\t\t\tposition %s\n", p.c_str());
    Print("\t\t\tfieldOfView %s\n", s.c_str());
    Print("\t\t\torientation %s\n", t.c_str());
    Print("\t\t\t}\n");
    Print("\t\t]\n}\n\n");
}

void VrmlExporter::WriteShape(const VrmlQuad& quad, const std::string& def,
                              const std::string& extra, const ShowNode* actor) {
    if (def.empty())
        Print("Transform {\n");
    else
        Print("%s Transform {\n", def.c_str());
    out_ += extra;
    Print("\tchildren [ Shape {\n");
    Print("\t\tgeometry IndexedFaceSet {\n");
    Print("\t\t\tsolid FALSE\n");
    Print("\t\t\tcoord Coordinate { point [ %f %f %f, %f %f %f, %f %f %f, %f %f %f ] }\n",
          double(quad.eastWest[0]), double(quad.upDown[0]), double(quad.northSouth[0]),
          double(quad.eastWest[1]), double(quad.upDown[1]), double(quad.northSouth[1]),
          double(quad.eastWest[2]), double(quad.upDown[2]), double(quad.northSouth[2]),
          double(quad.eastWest[3]), double(quad.upDown[3]), double(quad.northSouth[3]));
    Print("\t\t\tcoordIndex [ 0 1 2 3 ]\n");
    Print("\t\t\ttexCoord TextureCoordinate { point [ .02 .98, .98 .98, .98 .02, .02 .02 ] }\n");
    Print("\t\t\ttexCoordIndex [ 0 1 2 3 ]\n");
    Print("\t\t\t}\n");
    const std::string texture = WriteTexture(quad.picturePath, actor);
    Print("\t\tappearance Appearance {\n");
    if (texture.empty()) {
        // A shape that names no picture would refer to a texture file nobody can make ("v.jpg").
        // It is drawn in a plain material instead: a panel in its own colour, a card in white.
        if (actor) {
            Print("\t\t\tmaterial Material {} \n");
        } else {
            const uint32_t c = quad.panelColor;
            Print("\t\t\tmaterial Material {diffuseColor %f %f %f} \n", (c & 0xFF) / 255.0,
                  ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
        }
    } else {
        Print("\t\t\ttexture ImageTexture {url \"%s\"} \n", texture.c_str());
    }
    Print("\t\t\t}\n\t\t} ]\n}\n\n");
}

std::string VrmlExporter::WriteTexture(const std::string& picturePath, const ShowNode* actor) {
    const Surface surface = actor ? Surface::kActor : Surface::kPanel;
    const std::string name = TextureName(picturePath, surface);
    if (name == TextureName(std::string(), surface)) return std::string();
    // Names are kept as a set, not run together in one string, so that "vhero.png" is not
    // taken as written because "vavhero.png" was.
    if (writtenTextures_.insert(name).second)
        textures_.push_back({picturePath, name, surface, actor ? actor->keyColor : kKeyUseAlpha});
    return name;
}

bool VrmlExporter::WriteTextureFile(const TextureJob& job) const {
    Picture picture;
    if (!picture.Load(FromRecordText(job.picturePath), {.showErrors = true}, &document_.host())) {
        // A picture that will not load still gives its texture file, so that the world finds
        // every file it names: a black 16 x 16 picture stands in.
        if (!picture.Create(16, 16, 24)) return false;
        for (int y = 0; y < 16; ++y)
            std::memset(picture.Bits(y), 0, size_t(picture.RowBytes()));
    }
    const int w = picture.Width();
    const int h = picture.Height();
    const bool actor = job.surface == Surface::kActor;
    Picture image;
    // Panels: a 24-bit copy at the same size.
    const bool copied = !actor && image.Create(w, h, 24) && picture.ResampleTo(image);
    if (!copied) {
        // Cards: the keyed texels at the picture's own size, alpha 0 where the key matches.
        // Panels take this road too when the picture has a colour table, which ResampleTo
        // does not read; their alpha is dropped.
        std::vector<uint8_t> texels(size_t(w) * size_t(h) * 4);
        if (!FillTexels(picture, w, h, texels.data(), job.keyColor)) return false;
        if (!image.Create(w, h, actor ? 32 : 24)) return false;
        const int bytes = actor ? 4 : 3;
        for (int y = 0; y < h; ++y) {
            uint8_t* row = image.Bits(y);
            const uint8_t* t = texels.data() + size_t(y) * size_t(w) * 4;
            // Pictures hold blue, green, red (, alpha); texels are red, green, blue, alpha.
            for (int x = 0; x < w; ++x, t += 4, row += bytes) {
                row[0] = t[2];
                row[1] = t[1];
                row[2] = t[0];
                if (actor) row[3] = t[3];
            }
        }
    }
    // The writers take the first buffer row as the top and the bytes as red, green, blue.
    image.FlipVertical();
    image.SwapRedBlue();
    // The name ends in ".png" or ".jpg", which choose the writer; the mode is not used.
    return image.Save(FromRecordText(JoinFolder(folder_, job.name)), PictureWriteMode::kBmp,
                      nullptr);
}

void VrmlExporter::WriteActor(const ShowNode& node, int n) {
    // A card without keys has neither a size nor a place; it is left out (its number is used
    // up all the same, so the numbers of the others do not depend on it).
    if (!node.Is(NodeKind::Actor) || node.keys.empty()) return;
    const std::string p = WriteInterpolator(Format("API-%d Position", n), kPosition, &node);
    const std::string r = WriteInterpolator(Format("ARI-%d Orientation", n), kPan, &node);

    const KeyFrame& first = node.keys.front();
    const float hw = float(first.width() * 0.0025);
    const float height = float(first.height() * 0.005);
    VrmlQuad quad;
    const float ew[4] = {-hw, hw, hw, -hw};
    const float ud[4] = {height, height, 0, 0};
    for (int i = 0; i < 4; ++i) {
        quad.eastWest[i] = ew[i];
        quad.upDown[i] = ud[i];
        quad.northSouth[i] = 0;
    }
    quad.picturePath = node.GetFileName();
    WriteShape(quad, Format("DEF ACT-%d", n),
               Format("\ttranslation %s\n\trotation %s\n", p.c_str(), r.c_str()), &node);
    Print("ROUTE TS.fraction_changed TO API-%d.set_fraction\n", n);
    Print("ROUTE TS.fraction_changed TO ARI-%d.set_fraction\n", n);
    Print("ROUTE API-%d.value_changed TO ACT-%d.translation\n", n, n);
    Print("ROUTE ARI-%d.value_changed TO ACT-%d.rotation\n\n", n, n);
}

void VrmlExporter::WriteCameraRoutes() {
    Print("ROUTE TS.fraction_changed TO PI.set_fraction\n");
    Print("ROUTE TS.fraction_changed TO SI.set_fraction\n");
    Print("ROUTE TS.fraction_changed TO RI.set_fraction\n");
    Print("ROUTE TS.fraction_changed TO TI.set_fraction\n");
    Print("ROUTE PI.value_changed TO VP.position\n");
    Print("ROUTE PI.value_changed TO T.center\n");
    Print("ROUTE SI.value_changed TO VP.fieldOfView\n");
    Print("ROUTE TI.value_changed TO VP.orientation\n");
    Print("ROUTE RI.value_changed TO T.rotation\n");
}

}  // namespace quillon
