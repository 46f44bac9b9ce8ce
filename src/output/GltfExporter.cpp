#include "GltfExporter.h"

#include <tiny_gltf.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <sstream>
#include <tuple>

#include "model/Document.h"
#include "model/DurableFile.h"
#include "model/Motion.h"
#include "model/Paths.h"
#include "model/StageUnits.h"
#include "pictures/Picture.h"
#include "pictures/Texels.h"

namespace quillon {

namespace {

// The renderer turns actor angles with this value, camera angles with exact radians.
constexpr double kActorRadiansPerDegree = 0.0174532;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;
// The renderer's clipping planes, in world units.
constexpr double kNearWorld = 0.1;
constexpr double kFarWorld = 20.0;
// Texture coordinates of the renderer's quads (texture t counts up from the bottom row).
constexpr float kCardLow = 0.01f, kCardHigh = 0.98f;
constexpr float kPanelLow = 0.01f, kPanelHigh = 0.99f;
constexpr float kTileLow = 0.005f, kTileHigh = 0.995f;
// The renderer's alpha test passes alpha above 0.1.
constexpr double kAlphaCutoff = 0.1;
// Two values closer than this are the same key (metres, scale factors, quaternion parts).
constexpr double kSameValue = 1e-6;
// A run of frames that one straight move covers is checked in pieces no longer than this.
constexpr size_t kLongestRun = 1000;
constexpr int kMaxTextureSide = 4096;

using Vec = std::array<double, 4>;

Vec Quaternion(double yaw, double pitch) {
    // Turn about y by yaw after turning about x by pitch.
    const double sy = std::sin(yaw / 2), cy = std::cos(yaw / 2);
    const double sx = std::sin(pitch / 2), cx = std::cos(pitch / 2);
    return {cy * sx, cx * sy, -sy * sx, cy * cx};
}

double Dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

Vec Slerp(const Vec& a, const Vec& b, double t) {
    double d = std::clamp(Dot(a, b), -1.0, 1.0);
    if (d > 0.9995) {
        Vec r;
        double n = 0;
        for (int i = 0; i < 4; ++i) {
            r[i] = a[i] + t * (b[i] - a[i]);
            n += r[i] * r[i];
        }
        n = std::sqrt(n);
        for (double& v : r)
            v /= n;
        return r;
    }
    const double angle = std::acos(d);
    const double wa = std::sin((1 - t) * angle) / std::sin(angle);
    const double wb = std::sin(t * angle) / std::sin(angle);
    return {wa * a[0] + wb * b[0], wa * a[1] + wb * b[1], wa * a[2] + wb * b[2],
            wa * a[3] + wb * b[3]};
}

// The frames (indices into samples) that must stay keys for linear (or, for rotations,
// spherical) interpolation to give every sample back: the first, the last, and every sample
// where a straight run ends.
std::vector<size_t> KeyIndices(const std::vector<Vec>& samples, int components, bool rotation) {
    std::vector<size_t> keys;
    if (samples.empty()) return keys;
    keys.push_back(0);
    size_t from = 0;
    auto covers = [&](size_t a, size_t b) {
        for (size_t i = a + 1; i < b; ++i) {
            const double t = double(i - a) / double(b - a);
            Vec expected;
            if (rotation) {
                expected = Slerp(samples[a], samples[b], t);
            } else {
                for (int c = 0; c < components; ++c)
                    expected[size_t(c)] =
                        samples[a][size_t(c)] + t * (samples[b][size_t(c)] - samples[a][size_t(c)]);
            }
            for (int c = 0; c < components; ++c)
                if (std::fabs(expected[size_t(c)] - samples[i][size_t(c)]) > kSameValue)
                    return false;
        }
        return true;
    };
    for (size_t i = 2; i < samples.size(); ++i) {
        if (i - from > kLongestRun || !covers(from, i)) {
            from = i - 1;
            keys.push_back(from);
        }
    }
    if (samples.size() > 1) keys.push_back(samples.size() - 1);
    return keys;
}

bool AllSame(const std::vector<Vec>& samples) {
    for (const Vec& v : samples)
        for (size_t c = 0; c < 4; ++c)
            if (std::fabs(v[c] - samples.front()[c]) > kSameValue) return false;
    return true;
}

// Text of a record as valid UTF-8.
std::string Utf8(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).toStdString();
}

// Evaluates a node at any frame without touching the node (its pose may hold an unkeyed drag).
class Evaluator {
  public:
    explicit Evaluator(const ShowNode& node) : node_(node) {
        scratch_.keys = node.keys;
        scratch_.startFrame = node.startFrame;
        scratch_.endFrame = node.endFrame;
        scratch_.motionMode = node.motionMode;
        scratch_.pose = node.pose;
    }
    const KeyFrame& At(int frame) {
        if (!node_.keys.empty()) EvaluateNode(scratch_, frame, false);
        return scratch_.pose;
    }

  private:
    const ShowNode& node_;
    ShowNode scratch_;
};

class Builder {
  public:
    Builder(const Document& doc, const GltfOptions& options, QStringList& warnings)
        : doc_(doc), settings_(doc.settings()), warnings_(warnings) {
        metres_ = MetresPerStageUnit(settings_.units);
        aspect_ = options.aspectRatio > 0     ? options.aspectRatio
                  : settings_.aspectRatio > 0 ? 1.0 / settings_.aspectRatio
                                              : 4.0 / 3.0;
        rate_ = doc.frameRate() > 0 ? doc.frameRate() : 3000;
        model_.asset.version = "2.0";
        model_.asset.generator = "Quillon";
        tinygltf::Sampler sampler;
        sampler.magFilter =
            settings_.filtering ? TINYGLTF_TEXTURE_FILTER_LINEAR : TINYGLTF_TEXTURE_FILTER_NEAREST;
        sampler.minFilter = sampler.magFilter;
        sampler.wrapS = sampler.wrapT = TINYGLTF_TEXTURE_WRAP_CLAMP_TO_EDGE;
        model_.samplers.push_back(sampler);
    }

    void AddScene(int index) {
        const ShowNode& scene = *doc_.root().children[size_t(index)];
        first_ = scene.startFrame;
        last_ = std::max<int64_t>(scene.startFrame, int64_t(scene.endFrame) - 1);
        animation_ = tinygltf::Animation();
        animation_.name = Utf8(scene.GetName());
        if (animation_.name.empty()) animation_.name = "Scene " + std::to_string(index + 1);

        tinygltf::Node root;
        root.name = animation_.name;
        if (scene.set && !scene.set->panels.empty()) root.children.push_back(SetNode(*scene.set));
        // Children 0 to 2, the scene's first cameras, are never drawn; actors from the fourth.
        for (int i = 3; i < scene.childCount(); ++i) {
            const ShowNode& child = *scene.children[size_t(i)];
            if (child.Is(NodeKind::Actor)) root.children.push_back(ActorNode(child));
        }
        root.children.push_back(CameraNode(scene));
        const int rootIndex = AddNode(std::move(root));
        tinygltf::Scene s;
        s.name = animation_.name;
        s.nodes.push_back(rootIndex);
        model_.scenes.push_back(std::move(s));
        if (!animation_.channels.empty()) model_.animations.push_back(std::move(animation_));
    }

    tinygltf::Model& Finish() {
        tinygltf::Buffer buffer;
        buffer.data = std::move(bytes_);
        model_.buffers.push_back(std::move(buffer));
        model_.defaultScene = 0;
        if (!model_.materials.empty()) model_.extensionsUsed.push_back("KHR_materials_unlit");
        return model_;
    }

  private:
    struct Track {
        std::vector<double> times;
        std::vector<Vec> translation, rotation, scale;
        std::vector<bool> visible;
    };

    int AddNode(tinygltf::Node node) {
        model_.nodes.push_back(std::move(node));
        return int(model_.nodes.size()) - 1;
    }

    // --- the buffer ---
    int AddView(const void* data, size_t size, int target) {
        while (bytes_.size() % 4)
            bytes_.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = bytes_.size();
        view.byteLength = size;
        view.target = target;
        const auto* p = static_cast<const unsigned char*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
        model_.bufferViews.push_back(view);
        return int(model_.bufferViews.size()) - 1;
    }

    // components per element; with bounds the accessor carries min and max (positions and
    // animation times must).
    int FloatAccessor(const std::vector<float>& values, int components, int target, bool bounds) {
        tinygltf::Accessor a;
        a.bufferView = AddView(values.data(), values.size() * sizeof(float), target);
        a.componentType = TINYGLTF_COMPONENT_TYPE_FLOAT;
        a.count = values.size() / size_t(components);
        static const int kTypes[] = {0, TINYGLTF_TYPE_SCALAR, TINYGLTF_TYPE_VEC2,
                                     TINYGLTF_TYPE_VEC3, TINYGLTF_TYPE_VEC4};
        a.type = kTypes[components];
        if (bounds) {
            a.minValues.assign(size_t(components), INFINITY);
            a.maxValues.assign(size_t(components), -INFINITY);
            for (size_t i = 0; i < values.size(); ++i) {
                double& lo = a.minValues[i % size_t(components)];
                double& hi = a.maxValues[i % size_t(components)];
                lo = std::min(lo, double(values[i]));
                hi = std::max(hi, double(values[i]));
            }
        }
        model_.accessors.push_back(a);
        return int(model_.accessors.size()) - 1;
    }

    int QuadIndices() {
        if (quadIndices_ < 0) {
            const uint16_t indices[] = {0, 1, 2, 0, 2, 3};
            tinygltf::Accessor a;
            a.bufferView = AddView(indices, sizeof(indices), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
            a.componentType = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
            a.count = 6;
            a.type = TINYGLTF_TYPE_SCALAR;
            model_.accessors.push_back(a);
            quadIndices_ = int(model_.accessors.size()) - 1;
        }
        return quadIndices_;
    }

    // Texture coordinates for a quad whose corners 0 and 1 take texture row `high` and corners
    // 2 and 3 row `low` (the renderer's t, counted from the bottom; glTF counts v from the top).
    int QuadUv(float low, float high) {
        const auto key = std::make_pair(low, high);
        if (const auto it = uvs_.find(key); it != uvs_.end()) return it->second;
        const std::vector<float> uv = {low, 1 - high, high, 1 - high, high, 1 - low, low, 1 - low};
        return uvs_[key] = FloatAccessor(uv, 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    }

    tinygltf::Primitive Quad(int positions, int uv, int material) {
        tinygltf::Primitive p;
        p.attributes["POSITION"] = positions;
        p.attributes["TEXCOORD_0"] = uv;
        p.indices = QuadIndices();
        p.material = material;
        p.mode = TINYGLTF_MODE_TRIANGLES;
        return p;
    }

    // --- pictures, textures and materials ---
    enum class Surface { kCard, kPanel, kRostrum };

    // The texture of a picture as the texture table makes it, -1 when it cannot be read.
    // *transparent tells whether any texel is not fully opaque.
    int Texture(const std::string& path, int32_t keyColor, Surface surface, bool* transparent) {
        const auto key = std::make_tuple(path, keyColor, surface);
        if (const auto it = textures_.find(key); it != textures_.end()) {
            *transparent = it->second.second;
            return it->second.first;
        }
        int texture = -1;
        *transparent = false;
        Picture picture;
        if (path.empty() || !picture.Load(FromRecordText(path), {}, nullptr)) {
            if (!path.empty())
                warnings_ << QStringLiteral("cannot read picture ") + FromRecordText(path);
        } else {
            int width = picture.Width(), height = picture.Height();
            if (surface != Surface::kRostrum) {
                const TextureRounding rounding = surface == Surface::kCard || settings_.rostrumMode
                                                     ? TextureRounding::kSmallestNotBelow
                                                     : TextureRounding::kLargestNotAbove;
                width = TextureDimension(width, rounding, kMaxTextureSide);
                height = TextureDimension(height, rounding, kMaxTextureSide);
            }
            std::vector<uint8_t> texels(size_t(width) * size_t(height) * 4);
            if (FillTexels(picture, width, height, texels.data(), keyColor)) {
                if (settings_.featherActors && picture.BitCount() < 32)
                    FeatherEdges(width, height, texels.data());
                // Rows bottom up in the texels, top down in the image file.
                QImage image(width, height, QImage::Format_RGBA8888);
                for (int y = 0; y < height; ++y)
                    std::memcpy(image.scanLine(height - 1 - y),
                                texels.data() + size_t(y) * size_t(width) * 4, size_t(width) * 4);
                for (size_t i = 3; i < texels.size(); i += 4)
                    *transparent |= texels[i] != 255;
                QByteArray png;
                QBuffer out(&png);
                out.open(QIODevice::WriteOnly);
                image.save(&out, "PNG");
                tinygltf::Image img;
                img.name = Utf8(DisplayName(path));
                img.mimeType = "image/png";
                img.bufferView = AddView(png.constData(), size_t(png.size()), 0);
                model_.images.push_back(std::move(img));
                tinygltf::Texture t;
                t.source = int(model_.images.size()) - 1;
                t.sampler = 0;
                model_.textures.push_back(t);
                texture = int(model_.textures.size()) - 1;
            }
        }
        textures_[key] = {texture, *transparent};
        return texture;
    }

    enum class Alpha { kOpaque, kMask, kBlend };

    int Material(int texture, uint32_t colour, Alpha alpha, double opacity) {
        const auto key = std::make_tuple(texture, texture < 0 ? colour : 0u, alpha, opacity);
        if (const auto it = materials_.find(key); it != materials_.end()) return it->second;
        tinygltf::Material m;
        m.doubleSided = true;
        auto& pbr = m.pbrMetallicRoughness;
        pbr.metallicFactor = 0;
        pbr.roughnessFactor = 1;
        if (texture >= 0) {
            pbr.baseColorTexture.index = texture;
            pbr.baseColorFactor = {1, 1, 1, opacity};
        } else {
            // COLORREF: red in the low byte.
            pbr.baseColorFactor = {(colour & 0xFF) / 255.0, ((colour >> 8) & 0xFF) / 255.0,
                                   ((colour >> 16) & 0xFF) / 255.0, opacity};
        }
        if (opacity < 1) alpha = Alpha::kBlend;
        m.alphaMode = alpha == Alpha::kMask ? "MASK" : alpha == Alpha::kBlend ? "BLEND" : "OPAQUE";
        if (alpha == Alpha::kMask) m.alphaCutoff = kAlphaCutoff;
        m.extensions["KHR_materials_unlit"] = tinygltf::Value(tinygltf::Value::Object());
        model_.materials.push_back(std::move(m));
        return materials_[key] = int(model_.materials.size()) - 1;
    }

    // --- the set ---
    int SetNode(const Set& set) {
        tinygltf::Mesh mesh;
        mesh.name = "Set";
        const double world = kStageUnitsPerWorldUnit * metres_;
        for (const SetPanel& panel : set.panels) {
            std::vector<float> corners;
            for (int i = 0; i < 4; ++i) {
                corners.push_back(float(panel.cornerEastWest[i] * world));
                corners.push_back(float(panel.cornerUpDown[i] * world));
                corners.push_back(float(panel.cornerNorthSouth[i] * world));
            }
            const int positions = FloatAccessor(corners, 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
            const std::string path(panel.imagePath, strnlen(panel.imagePath, kPanelPathBytes));
            bool transparent = false;
            const int texture = path.size() >= 5
                                    ? Texture(path, panel.keyColor, Surface::kPanel, &transparent)
                                    : -1;
            // Keyed panels lose their keyed texels as the alpha test drops them; a panel's own
            // alpha is blended.
            const Alpha alpha = !transparent           ? Alpha::kOpaque
                                : panel.keyColor != -1 ? Alpha::kMask
                                                       : Alpha::kBlend;
            mesh.primitives.push_back(Quad(positions, QuadUv(kPanelLow, kPanelHigh),
                                           Material(texture, panel.panelColor, alpha, 1.0)));
        }
        model_.meshes.push_back(std::move(mesh));
        tinygltf::Node node;
        node.name = "Set";
        node.mesh = int(model_.meshes.size()) - 1;
        return AddNode(std::move(node));
    }

    // --- sampling ---
    Track Sample(const ShowNode& node, const std::function<void(const KeyFrame&, Track&)>& add) {
        Track track;
        Evaluator evaluator(node);
        Vec previous{0, 0, 0, 1};
        for (int64_t f = first_; f <= last_; ++f) {
            const KeyFrame& pose = evaluator.At(int(f));
            track.times.push_back(double(f - first_) * 100.0 / rate_);
            track.visible.push_back(pose.act != 0xFFFF);
            add(pose, track);
            // The shorter way round from one frame's turn to the next.
            Vec& q = track.rotation.back();
            if (Dot(previous, q) < 0)
                for (double& v : q)
                    v = -v;
            previous = q;
        }
        return track;
    }

    // Animates or places the node from its samples.
    void Animate(int nodeIndex, const Track& track) {
        struct Channel {
            const char* path;
            const std::vector<Vec>* samples;
            int components;
        };
        const Channel channels[] = {{"translation", &track.translation, 3},
                                    {"rotation", &track.rotation, 4},
                                    {"scale", &track.scale, 3}};
        tinygltf::Node& node = model_.nodes[size_t(nodeIndex)];
        for (const Channel& c : channels) {
            const std::vector<Vec>& samples = *c.samples;
            if (samples.empty()) continue;
            const Vec& v = samples.front();
            std::vector<double> value(v.begin(), v.begin() + c.components);
            if (c.components == 3)
                (std::strcmp(c.path, "scale") == 0 ? node.scale : node.translation) = value;
            else
                node.rotation = value;
            if (AllSame(samples)) continue;
            const bool rotation = c.components == 4;
            std::vector<float> times, values;
            for (size_t i : KeyIndices(samples, c.components, rotation)) {
                times.push_back(float(track.times[i]));
                for (int k = 0; k < c.components; ++k)
                    values.push_back(float(samples[i][size_t(k)]));
            }
            AddChannel(nodeIndex, c.path, times, values, c.components, "LINEAR");
        }
    }

    void AddChannel(int node, const char* path, const std::vector<float>& times,
                    const std::vector<float>& values, int components, const char* interpolation) {
        tinygltf::AnimationSampler sampler;
        sampler.input = FloatAccessor(times, 1, 0, true);
        sampler.output = FloatAccessor(values, components, 0, false);
        sampler.interpolation = interpolation;
        animation_.samplers.push_back(sampler);
        tinygltf::AnimationChannel channel;
        channel.sampler = int(animation_.samplers.size()) - 1;
        channel.target_node = node;
        channel.target_path = path;
        animation_.channels.push_back(channel);
    }

    // A card outside its range is not drawn: the node that holds it is switched to nothing
    // and back, stepwise, when that happens within the scene.
    int WithVisibility(int inner, const std::string& name, const std::vector<bool>& visible,
                       const std::vector<double>& times) {
        bool always = true;
        for (bool v : visible)
            always &= v;
        if (always) return inner;
        tinygltf::Node outer;
        outer.name = name + " (shown)";
        outer.children.push_back(inner);
        const int index = AddNode(std::move(outer));
        std::vector<float> t, values;
        for (size_t i = 0; i < visible.size(); ++i) {
            if (i > 0 && visible[i] == visible[i - 1]) continue;
            const float s = visible[i] ? 1.0f : 0.0f;
            t.push_back(float(times[i]));
            values.insert(values.end(), {s, s, s});
        }
        model_.nodes[size_t(index)].scale = {values[0], values[1], values[2]};
        if (t.size() > 1) AddChannel(index, "scale", t, values, 3, "STEP");
        return index;
    }

    // --- actors ---
    int ActorNode(const ShowNode& actor) {
        const bool rostrum = settings_.rostrumMode;
        const int reference = actor.textureSlot;
        // A movie's cards show nothing to export but their place.
        const bool movie = !rostrum && reference >= 1000;
        bool transparent = false;
        const int texture =
            movie ? -1
                  : Texture(actor.GetFileName(), actor.keyColor,
                            rostrum ? Surface::kRostrum : Surface::kCard, &transparent);
        const double opacity =
            actor.keys.empty()
                ? 1.0
                : std::clamp(1.0 - double(actor.keys.front().transparency()), 0.0, 1.0);
        // The key says how the picture's transparency is drawn: keyed texels drop out (alpha
        // test), a picture's own alpha is blended.
        const Alpha alpha = !transparent                     ? Alpha::kOpaque
                            : actor.keyColor != kKeyUseAlpha ? Alpha::kMask
                                                             : Alpha::kBlend;
        const int material = Material(texture, 0xFFFFFF, alpha, opacity);
        int& mesh = (rostrum ? rostrumMeshes_ : cardMeshes_)[material];
        if (mesh == 0) {
            // Unit cards: upright from the floor, centred across; flat on the floor in rostrum
            // mode, corner 0 at the north-west. Node scales give them their size.
            const std::vector<float> upright = {-0.5f, 1, 0, 0.5f, 1, 0, 0.5f, 0, 0, -0.5f, 0, 0};
            const std::vector<float> flat = {-0.5f, 0, -0.5f, 0.5f,  0, -0.5f,
                                             0.5f,  0, 0.5f,  -0.5f, 0, 0.5f};
            tinygltf::Mesh m;
            m.name = rostrum ? "Picture" : "Card";
            const int positions =
                FloatAccessor(rostrum ? flat : upright, 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
            m.primitives.push_back(
                Quad(positions, rostrum ? QuadUv(kTileLow, kTileHigh) : QuadUv(kCardLow, kCardHigh),
                     material));
            model_.meshes.push_back(std::move(m));
            mesh = int(model_.meshes.size());  // index + 1, so that 0 means none yet
        }
        tinygltf::Node node;
        node.name = Utf8(actor.GetName());
        if (node.name.empty()) node.name = "Actor";
        node.mesh = mesh - 1;
        const int index = AddNode(node);
        const double m = metres_;
        const Track track = Sample(actor, [m, rostrum](const KeyFrame& p, Track& t) {
            const double x = (p.eastWest() - kStageCentre) * m;
            const double z = (p.northSouth() - kStageCentre) * m;
            if (rostrum) {
                t.translation.push_back({x, 0, z, 0});
                t.rotation.push_back({0, 0, 0, 1});
                t.scale.push_back({p.width() * m, 1, p.height() * m, 0});
            } else {
                t.translation.push_back({x, p.upDown() * m, z, 0});
                t.rotation.push_back(Quaternion(-p.pan() * kActorRadiansPerDegree, 0));
                t.scale.push_back({p.width() * m, p.height() * m, 1, 0});
            }
        });
        Animate(index, track);
        return WithVisibility(index, node.name, track.visible, track.times);
    }

    // --- the camera ---
    int CameraNode(const ShowNode& scene) {
        // The scene's active camera, as the document hands it to the renderer.
        const ShowNode* camera = scene.ChildAt(doc_.activeCamera());
        const double m = metres_;
        auto add = [m](const KeyFrame& p, Track& t) {
            t.translation.push_back({(p.eastWest() - kStageCentre) * m, p.upDown() * m,
                                     (p.northSouth() - kStageCentre) * m, 0});
            t.rotation.push_back(
                Quaternion(-p.pan() * kRadiansPerDegree, p.tilt() * kRadiansPerDegree));
        };
        ShowNode standIn;
        standIn.keys.push_back(DefaultCameraKey(settings_.rostrumMode));
        standIn.startFrame = scene.startFrame;
        standIn.endFrame = scene.endFrame;
        const Track track = Sample(camera && camera != &scene ? *camera : standIn, add);
        const float lens = Evaluator(camera ? *camera : standIn).At(int(first_)).width();

        tinygltf::Camera c;
        c.type = "perspective";
        c.name = "Camera " + std::to_string(doc_.activeCamera() + 1);
        // gluPerspective's fovy is the width channel in degrees; glTF wants it between 0 and pi.
        double yfov = lens * kRadiansPerDegree;
        if (!(yfov > 1e-4 && yfov < std::numbers::pi - 1e-4)) {
            warnings_ << QStringLiteral("lens angle %1 degrees cannot be exported; 25 taken")
                             .arg(double(lens));
            yfov = 25 * kRadiansPerDegree;
        }
        c.perspective.yfov = yfov;
        c.perspective.aspectRatio = aspect_;
        c.perspective.znear = kNearWorld * kStageUnitsPerWorldUnit * metres_;
        c.perspective.zfar = kFarWorld * kStageUnitsPerWorldUnit * metres_;
        model_.cameras.push_back(c);
        tinygltf::Node node;
        node.name = c.name;
        node.camera = int(model_.cameras.size()) - 1;
        const int index = AddNode(node);
        Animate(index, track);
        return index;
    }

    const Document& doc_;
    const DocumentSettings& settings_;
    QStringList& warnings_;
    double metres_ = kMetresPerInch;
    double aspect_ = 4.0 / 3.0;
    double rate_ = 3000;
    int64_t first_ = 0, last_ = 0;
    tinygltf::Model model_;
    tinygltf::Animation animation_;
    std::vector<unsigned char> bytes_;
    int quadIndices_ = -1;
    std::map<std::pair<float, float>, int> uvs_;
    std::map<std::tuple<std::string, int32_t, Surface>, std::pair<int, bool>> textures_;
    std::map<std::tuple<int, uint32_t, Alpha, double>, int> materials_;
    std::map<int, int> cardMeshes_, rostrumMeshes_;
};

}  // namespace

GltfExporter::GltfExporter(const Document& doc) : doc_(doc) {}

bool GltfExporter::Export(const QString& fileName, const GltfOptions& options) {
    error_.clear();
    warnings_.clear();
    const int scenes = doc_.root().childCount();
    if (scenes == 0) {
        error_ = QStringLiteral("the show has no scenes");
        return false;
    }
    if (options.scene && (*options.scene < 0 || *options.scene >= scenes)) {
        error_ = QStringLiteral("no scene %1: the show has scenes 0 to %2")
                     .arg(*options.scene)
                     .arg(scenes - 1);
        return false;
    }
    Builder builder(doc_, options, warnings_);
    for (int i = 0; i < scenes; ++i)
        if (!options.scene || *options.scene == i) builder.AddScene(i);
    tinygltf::Model& model = builder.Finish();

    const bool binary = fileName.endsWith(QStringLiteral(".glb"), Qt::CaseInsensitive);
    std::ostringstream out;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&model, out, !binary, binary)) {
        error_ = QStringLiteral("the glTF scene could not be made");
        return false;
    }
    if (!WriteFileAtomically(QFile::encodeName(fileName).toStdString(), out.str())) {
        error_ = QStringLiteral("Couldn't write file");
        return false;
    }
    return true;
}

}  // namespace quillon
