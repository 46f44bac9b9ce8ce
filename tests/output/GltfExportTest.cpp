// glTF export read back: key times and values with holds and easing, cards switched off outside
// their range, the camera's projection, materials by key colour, scene choice, and the Khronos
// validator on the demo, a rostrum show, holds, 256 actors and an empty scene.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "output/GltfExporter.h"

using namespace quillon;

namespace {

constexpr double kInch = 0.0254;
constexpr double kFrame = 1.0 / 30;

// A glTF file read back: its JSON and the floats of any accessor.
struct Gltf {
    explicit Gltf(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        json = QJsonDocument::fromJson(f.readAll()).object();
        const QString uri = json["buffers"][0]["uri"].toString();
        buffer = QByteArray::fromBase64(uri.mid(uri.indexOf(',') + 1).toLatin1());
    }
    QJsonObject Get(const char* kind, int i) const { return json[kind].toArray()[i].toObject(); }
    std::vector<float> Floats(int accessor) const {
        const QJsonObject a = Get("accessors", accessor);
        const QJsonObject v = Get("bufferViews", a["bufferView"].toInt());
        static const QMap<QString, int> kComponents = {
            {"SCALAR", 1}, {"VEC2", 2}, {"VEC3", 3}, {"VEC4", 4}};
        std::vector<float> out(size_t(a["count"].toInt() * kComponents[a["type"].toString()]));
        std::memcpy(out.data(), buffer.constData() + v["byteOffset"].toInt(), out.size() * 4);
        return out;
    }
    int Node(const QString& name) const {
        const QJsonArray nodes = json["nodes"].toArray();
        for (int i = 0; i < nodes.size(); ++i)
            if (nodes[i]["name"].toString() == name) return i;
        return -1;
    }
    // The times and values of the channel that moves node's path, in the first animation
    // that has one.
    std::pair<std::vector<float>, std::vector<float>> Channel(
        int node, const QString& path, QString* interpolation = nullptr) const {
        for (const QJsonValue& anim : json["animations"].toArray()) {
            for (const QJsonValue& c : anim["channels"].toArray()) {
                if (c["target"]["node"].toInt() != node || c["target"]["path"].toString() != path)
                    continue;
                const QJsonObject s = anim["samplers"][c["sampler"].toInt()].toObject();
                if (interpolation) *interpolation = s["interpolation"].toString();
                return {Floats(s["input"].toInt()), Floats(s["output"].toInt())};
            }
        }
        return {};
    }
    QJsonObject json;
    QByteArray buffer;
};

class GltfTest : public ::testing::Test {
  protected:
    void SetUp() override {
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
    }
    ShowNode& Scene(int i = 0) { return *doc->root().children[size_t(i)]; }
    // An actor over frames start..end of scene 0 with keys (frame, eastWest, hold).
    ShowNode& Actor(const char* name, std::vector<std::tuple<int, float, int>> keys, uint8_t motion,
                    int start = 0, int end = 300) {
        auto* a = new ShowNode;
        a->kind = NodeKind::Actor;
        a->SetName(name);
        a->motionMode = motion;
        a->keyColor = -1;
        Scene().AddChild(a, true);
        a->startFrame = start;
        a->endFrame = end;
        for (auto [frame, eastWest, hold] : keys) {
            KeyFrame k;
            k.frame = frame;
            k.eastWest() = eastWest;
            k.northSouth() = 2000;
            k.width() = 100;
            k.height() = 200;
            k.hold = int16_t(hold);
            a->keys.push_back(k);
        }
        return *a;
    }
    QString Picture(const char* name, QRgb background, QRgb figure, bool alpha) {
        QImage image(64, 64, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        image.fill(background);
        for (int y = 16; y < 48; ++y)
            for (int x = 16; x < 48; ++x)
                image.setPixel(x, y, figure);
        const QString path = dir.filePath(name);
        EXPECT_TRUE(image.save(path));
        return path;
    }
    Gltf Export(const GltfOptions& options = {}, const QString& name = "out.gltf") {
        GltfExporter exporter(*doc);
        EXPECT_TRUE(exporter.Export(dir.filePath(name), options))
            << exporter.errorString().toStdString();
        warnings = exporter.warnings();
        return Gltf(dir.filePath(name));
    }

    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
    QStringList warnings;
};

// The glTF validator from npm, installed into the build folder when it is missing. Empty with
// *why when it cannot be had.
QString ValidatorModules(QString* why) {
    const QString prefix = QStringLiteral(QUILLON_BUILD_DIR "/npm");
    const QString modules = prefix + "/node_modules";
    if (QFile::exists(modules + "/gltf-validator/package.json")) return modules;
    if (QStandardPaths::findExecutable("npm").isEmpty() ||
        QStandardPaths::findExecutable("node").isEmpty()) {
        *why = "npm is not installed: the Khronos glTF validator cannot be run";
        return QString();
    }
    QProcess npm;
    npm.start("npm", {"install", "--no-audit", "--no-fund", "--prefix", prefix, "gltf-validator"});
    if (!npm.waitForFinished(300000) || npm.exitCode() != 0) {
        *why =
            "npm install gltf-validator failed: " + QString::fromUtf8(npm.readAllStandardError());
        return QString();
    }
    return modules;
}

}  // namespace

TEST_F(GltfTest, StraightMovesKeepTheirKeysHoldsRepeatThemEasesAreSampled) {
    constexpr uint8_t kStraightLinear = 16 | 3;
    const struct {
        const char* name;
        std::vector<std::tuple<int, float, int>> keys;
        uint8_t motion;
        // The first key times (frames) and x values (stage units from the centre).
        std::vector<std::pair<double, double>> expected;
    } rows[] = {
        {"plain", {{0, 2000, 0}, {30, 2300, 0}}, kStraightLinear, {{0, 0}, {30, 300}, {299, 300}}},
        // A held key repeats its value at the hold's end; the move after it eases in and out
        // (a hold overrides the linear kind), so it is sampled.
        {"hold", {{0, 2000, 10}, {30, 2300, 0}}, kStraightLinear, {{0, 0}, {10, 0}, {11, -1}}},
        {"hold all",
         {{0, 2000, -1}, {30, 2300, 0}},
         kStraightLinear,
         {{0, 0}, {29, 0}, {30, 300}, {299, 300}}},
        {"three keys",
         {{0, 2000, 0}, {30, 2300, 0}, {60, 2300, 0}},
         kStraightLinear,
         {{0, 0}, {30, 300}, {299, 300}}},
        // Slow in and out of two keys 10 apart: a sample at every frame of the move (0.2447 at
        // frame 1 and 4.9995 at frame 5, as the ease gives them).
        {"eased",
         {{0, 2000, 0}, {10, 2010, 0}},
         16 | 0,
         {{0, 0}, {1, 0.2447}, {2, -1}, {3, -1}, {4, -1}, {5, 4.9995}}},
    };
    for (const auto& r : rows)
        Actor(r.name, r.keys, r.motion);
    const Gltf g = Export();
    for (const auto& r : rows) {
        const int node = g.Node(r.name);
        ASSERT_GE(node, 0) << r.name;
        const auto [times, values] = g.Channel(node, "translation");
        ASSERT_GE(times.size(), r.expected.size()) << r.name;
        for (size_t i = 0; i < r.expected.size(); ++i) {
            EXPECT_NEAR(times[i], r.expected[i].first * kFrame, 1e-5) << r.name << " key " << i;
            if (r.expected[i].second >= 0) {
                EXPECT_NEAR(values[i * 3] / kInch, r.expected[i].second, 1e-3)
                    << r.name << " " << i;
            }
        }
        const bool sampled = r.expected.back().second < 0 || std::string(r.name) == "eased";
        if (!sampled) {
            EXPECT_EQ(times.size(), r.expected.size()) << r.name;
        }
        // Cards stand 100 x 200 stage units.
        const QJsonArray scale = g.Get("nodes", node)["scale"].toArray();
        EXPECT_NEAR(scale[0].toDouble(), 100 * kInch, 1e-6);
        EXPECT_NEAR(scale[1].toDouble(), 200 * kInch, 1e-6);
    }
}

TEST_F(GltfTest, CardsOutsideTheirRangeAreSwitchedOff) {
    Actor("late", {{0, 2000, 0}}, 0, 100, 200);
    const Gltf g = Export();
    const int shown = g.Node("late (shown)");
    ASSERT_GE(shown, 0);
    QString interpolation;
    const auto [times, values] = g.Channel(shown, "scale", &interpolation);
    EXPECT_EQ(interpolation, "STEP");
    // Hidden before frame 100, shown to frame 200 (its end frame included), hidden after.
    const std::vector<float> expectedTimes = {0, float(100 * kFrame), float(201 * kFrame)};
    ASSERT_EQ(times.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(times[i], expectedTimes[i], 1e-5);
        EXPECT_EQ(values[i * 3], i == 1 ? 1.0f : 0.0f);
    }
}

TEST_F(GltfTest, CamerasCarryTheRenderersProjection) {
    doc->NewScene(90);
    Scene(1).children[0]->keys[0].width() = 40;
    const struct {
        GltfOptions options;
        size_t scenes;
        double yfovDegrees, aspect;
    } rows[] = {
        {{}, 2, 25, 4.0 / 3},
        {{.scene = 1}, 1, 40, 4.0 / 3},
        {{.scene = 0, .aspectRatio = 16.0 / 9}, 1, 25, 16.0 / 9},
    };
    for (const auto& r : rows) {
        const Gltf g = Export(r.options);
        EXPECT_EQ(g.json["scenes"].toArray().size(), qsizetype(r.scenes));
        const QJsonObject p = g.Get("cameras", 0)["perspective"].toObject();
        EXPECT_NEAR(p["yfov"].toDouble(), r.yfovDegrees * std::acos(-1.0) / 180, 1e-9);
        EXPECT_NEAR(p["aspectRatio"].toDouble(), r.aspect, 1e-9);
        // The renderer clips at 0.1 and 20 world units (200 stage units each).
        EXPECT_NEAR(p["znear"].toDouble(), 20 * kInch, 1e-9);
        EXPECT_NEAR(p["zfar"].toDouble(), 4000 * kInch, 1e-9);
        // The new camera's key (200, 48, 200) in metres from the stage centre.
        const QJsonArray t = g.Get("nodes", g.Node("Camera 1"))["translation"].toArray();
        EXPECT_NEAR(t[0].toDouble(), -1800 * kInch, 1e-5);
        EXPECT_NEAR(t[1].toDouble(), 48 * kInch, 1e-5);
    }
    GltfExporter exporter(*doc);
    EXPECT_FALSE(exporter.Export(dir.filePath("x.gltf"), {.scene = 2}));
    EXPECT_EQ(exporter.errorString(), "no scene 2: the show has scenes 0 to 1");
    EXPECT_FALSE(QFile::exists(dir.filePath("x.gltf")));
}

TEST_F(GltfTest, MaterialsFollowTheKey) {
    const QString keyed = Picture("keyed.png", qRgb(0, 0, 255), qRgb(200, 0, 0), false);
    const QString cutOut = Picture("cut.png", qRgba(0, 0, 0, 0), qRgba(0, 200, 0, 255), true);
    const QString opaque = Picture("opaque.png", qRgb(90, 90, 90), qRgb(200, 0, 0), false);
    const struct {
        const char* name;
        QString picture;
        int32_t keyColor;
        const char* alphaMode;
        bool textured;
    } rows[] = {
        {"keyed", keyed, 0xFF0000, "MASK", true},
        {"cut-out", cutOut, -1, "BLEND", true},
        {"opaque", opaque, 0xFF0000, "OPAQUE", true},
        {"missing", dir.filePath("gone.png"), 0xFF0000, "OPAQUE", false},
    };
    for (const auto& r : rows) {
        ShowNode& a = Actor(r.name, {{0, 2000, 0}}, 0);
        a.SetFileName(r.picture.toStdString());
        a.keyColor = r.keyColor;
    }
    doc->settings().featherActors = false;
    const Gltf g = Export();
    for (const auto& r : rows) {
        const int mesh = g.Get("nodes", g.Node(r.name))["mesh"].toInt();
        const QJsonObject m =
            g.Get("materials", g.Get("meshes", mesh)["primitives"][0]["material"].toInt());
        EXPECT_EQ(m["alphaMode"].toString("OPAQUE"), r.alphaMode) << r.name;
        EXPECT_EQ(m["pbrMetallicRoughness"]["baseColorTexture"].isObject(), r.textured) << r.name;
        EXPECT_TRUE(m["extensions"]["KHR_materials_unlit"].isObject()) << r.name;
    }
    EXPECT_EQ(warnings, QStringList{"cannot read picture " + dir.filePath("gone.png")});
    // The keyed picture's texture: blue gone, red kept, rows top down.
    const QJsonObject image = g.Get("images", 0);
    const QJsonObject view = g.Get("bufferViews", image["bufferView"].toInt());
    QImage png =
        QImage::fromData(g.buffer.mid(view["byteOffset"].toInt(), view["byteLength"].toInt()));
    ASSERT_EQ(png.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(png.pixel(2, 2)), 0);
    EXPECT_EQ(png.pixel(30, 30), qRgba(200, 0, 0, 255));
}

TEST_F(GltfTest, ValidatorFindsNoErrors) {
    QString why;
    const QString modules = ValidatorModules(&why);
    // Without npm, or without a way to the npm registry, the validator cannot be had.
    static const char* const kOffline[] = {"npm is not installed", "ENOTFOUND", "EAI_AGAIN",
                                           "ECONNREFUSED",         "ETIMEDOUT", "ENETUNREACH"};
    for (const char* sign : kOffline)
        if (modules.isEmpty() && why.contains(QLatin1String(sign)))
            GTEST_SKIP() << why.toStdString();
    ASSERT_FALSE(modules.isEmpty()) << why.toStdString();

    QStringList files;
    auto exportShow = [&](const QString& show, const QString& name, Profile& p) {
        ScriptedHost quiet;
        Document d(p, quiet);
        ASSERT_TRUE(ShowFiles(d).ReadShow(show)) << show.toStdString();
        for (const char* ext : {".gltf", ".glb"}) {
            GltfExporter exporter(d);
            ASSERT_TRUE(exporter.Export(dir.filePath(name + ext)));
            files << dir.filePath(name + ext);
        }
    };
    exportShow(QUILLON_DEMO_DIR "/demo.shw", "demo", *profile);
    // Holds of every kind, a card out of range, eased and curved moves, 256 cards, and an empty
    // scene.
    const QString picture = Picture("p.png", qRgb(0, 0, 255), qRgb(200, 0, 0), false);
    Actor("hold", {{0, 2000, 10}, {30, 2300, -1}, {90, 1800, 5}, {120, 2000, 0}}, 0);
    Actor("late", {{0, 2000, 0}, {40, 2100, 0}}, 16 | 3, 100, 200);
    for (int i = 0; i < 256; ++i)
        Actor("many", {{0, float(1000 + i * 8), 0}}, 0).SetFileName(picture.toStdString());
    doc->NewScene(0);
    doc->root().children.back()->endFrame = doc->root().children.back()->startFrame;
    doc->SetShowPath(dir.filePath("holds.shw"));
    ASSERT_TRUE(ShowFiles(*doc).WriteShow(dir.filePath("holds.shw")));
    exportShow(dir.filePath("holds.shw"), "holds", *profile);
    // Rostrum mode: flat pictures under a camera looking straight down.
    Profile rostrum(dir.filePath("rostrum.ini"));
    rostrum.WriteInt("Stage", "RostrumMode", 1);
    {
        ScriptedHost quiet;
        Document d(rostrum, quiet);
        d.Reset(true);
        ASSERT_TRUE(d.AddTrack(NodeKind::Actor, 0, 300, {}, picture));
        d.SetShowPath(dir.filePath("rostrum.shw"));
        ASSERT_TRUE(ShowFiles(d).WriteShow(dir.filePath("rostrum.shw")));
    }
    exportShow(dir.filePath("rostrum.shw"), "rostrum", rostrum);

    QProcess node;
    node.start("node",
               QStringList{QUILLON_SOURCE_DIR "/tests/output/validate-gltf.js", modules} + files);
    ASSERT_TRUE(node.waitForFinished(300000));
    ASSERT_EQ(node.exitCode(), 0) << node.readAllStandardError().toStdString();
    const QList<QByteArray> lines = node.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), files.size());
    for (const QByteArray& line : lines) {
        const QJsonObject report = QJsonDocument::fromJson(line).object();
        EXPECT_EQ(report["errors"].toInt(-1), 0) << line.toStdString();
        EXPECT_EQ(report["warnings"].toInt(-1), 0) << line.toStdString();
    }
}

TEST_F(GltfTest, BlenderImportsTheDemo) {
    const QString blender = QStandardPaths::findExecutable("blender");
    if (blender.isEmpty())
        GTEST_SKIP() << "Blender is not installed: its glTF importer is not tried";
    ScriptedHost quiet;
    Document d(*profile, quiet);
    ASSERT_TRUE(ShowFiles(d).ReadShow(QUILLON_DEMO_DIR "/demo.shw"));
    ASSERT_TRUE(GltfExporter(d).Export(dir.filePath("demo.glb")));
    QProcess p;
    p.start(blender, {"-b", "--factory-startup", "--python-expr",
                      "import bpy, sys\n"
                      "bpy.ops.import_scene.gltf(filepath=sys.argv[-1])\n"
                      "cams = [o for o in bpy.data.objects if o.type == 'CAMERA']\n"
                      "print('IMPORTED', len(bpy.data.objects), len(cams))\n",
                      "--", dir.filePath("demo.glb")});
    ASSERT_TRUE(p.waitForFinished(300000));
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const QRegularExpressionMatch m = QRegularExpression("IMPORTED (\\d+) (\\d+)").match(out);
    ASSERT_TRUE(m.hasMatch()) << out.toStdString();
    EXPECT_GT(m.captured(1).toInt(), 10);
    EXPECT_EQ(m.captured(2).toInt(), 2);  // one camera per scene of the demo
}
