// The VRML world of a small show built here, compared whole against text worked out by hand,
// and the texture files written beside it.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "model/Document.h"
#include "model/Profile.h"
#include "model/ScriptedHost.h"
#include "output/VrmlExporter.h"
#include "pictures/Picture.h"
#include "pictures/PictureTestUtil.h"

namespace quillon {
namespace {

using testing::Bgr;
using testing::ReadFileBytes;

std::string CrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

KeyFrame Key(int frame, float eastWest, float upDown, float northSouth, float width, float pan,
             float tilt = 0, int hold = 0, float height = 0) {
    KeyFrame k;
    k.frame = frame;
    k.eastWest() = eastWest;
    k.upDown() = upDown;
    k.northSouth() = northSouth;
    k.width() = width;
    k.height() = height;
    k.pan() = pan;
    k.tilt() = tilt;
    k.hold = static_cast<int16_t>(hold);
    return k;
}

SetPanel Panel(std::array<float, 4> ew, std::array<float, 4> ud, std::array<float, 4> ns,
               const std::string& path) {
    SetPanel p;
    for (int i = 0; i < 4; ++i) {
        p.cornerEastWest[i] = ew[size_t(i)];
        p.cornerUpDown[i] = ud[size_t(i)];
        p.cornerNorthSouth[i] = ns[size_t(i)];
    }
    std::strncpy(p.imagePath, path.c_str(), kPanelPathBytes - 1);
    return p;
}

// The part of every shape after its Transform line and extra fields, up to its appearance.
std::string ShapeBody(const std::string& points) {
    return "\tchildren [ Shape {\n"
           "\t\tgeometry IndexedFaceSet {\n"
           "\t\t\tsolid FALSE\n"
           "\t\t\tcoord Coordinate { point [ " +
           points +
           " ] }\n"
           "\t\t\tcoordIndex [ 0 1 2 3 ]\n"
           "\t\t\ttexCoord TextureCoordinate { point [ .02 .98, .98 .98, .98 .02, .02 .02 ] }\n"
           "\t\t\ttexCoordIndex [ 0 1 2 3 ]\n"
           "\t\t\t}\n"
           "\t\tappearance Appearance {\n";
}

const char kShapeEnd[] = "\t\t\t}\n\t\t} ]\n}\n\n";

class VrmlExportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(false);
        while (doc->root().childCount() > 0)
            doc->root().RemoveChild(doc->root().childCount() - 1);
        doc->settings().frameRate = 3000;
        doc->settings().aspectRatio = 0.75f;
        doc->settings().rostrumMode = false;
    }

    // A scene, with a camera key of its own unless keyless.
    ShowNode* AddScene(int start, int end, bool keyless = false) {
        auto* s = new ShowNode;
        s->startFrame = start;
        s->endFrame = end;
        if (!keyless) s->keys = {Key(0, 2000, 0, 2000, 40, 0)};
        EXPECT_TRUE(doc->root().AddChild(s, false));
        return s;
    }
    // A track; an actor gets one key of the size given.
    ShowNode* AddTrack(ShowNode& scene, NodeKind kind, const std::string& file = {},
                       float size = 0) {
        auto* n = new ShowNode;
        n->kind = kind;
        n->SetFileName(file);
        if (size > 0) n->keys = {Key(0, 2000, 0, 2000, size, 0, 0, 0, size)};
        EXPECT_TRUE(scene.AddChild(n, true));
        return n;
    }
    std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
    // A picture file of colour(x, y from the top).
    template <typename Colour>
    std::string Write(const char* name, int width, int height, Colour colour) {
        Picture p;
        testing::Fill(p, width, height, 24, colour);
        EXPECT_TRUE(p.Save(dir.filePath(name), PictureWriteMode::kBmp, nullptr));
        return Path(name);
    }
    // 16 x 16: the upper half orange (red 200, green 100, blue 50), the lower half dark blue.
    std::string WriteBrick(const char* name) {
        return Write(name, 16, 16, [](int, int y) {
            return y < 8 ? Bgr{50, 100, 200} : Bgr{120, 20, 10};
        });
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
};

// Two scenes of 150 frames: T = 300 frames, 10 seconds at 30 frames per second.
TEST_F(VrmlExportTest, WritesTheWholeWorldOfASmallShow) {
    const std::string brick = WriteBrick("brick.bmp");
    // 2 x 2: top row pure blue, white; bottom row pure green, pure red.
    const std::string hero = Write("hero.final.bmp", 2, 2, [](int x, int y) {
        return y == 0 ? (x ? Bgr{255, 255, 255} : Bgr{255, 0, 0})
                      : (x ? Bgr{0, 0, 255} : Bgr{0, 255, 0});
    });

    ShowNode* one = AddScene(0, 150, true);
    ShowNode* two = AddScene(150, 300, true);
    // The camera path is the scenes' own keys.
    one->keys = {Key(0, 2000, 100, 1000, 40, 0, 0),
                 Key(30, 2200, 100, 1200, 40, 90, -10, /*hold*/ 10)};
    two->keys = {Key(0, 1800, 150, 2400, 30, -45, 5, /*hold all*/ -1)};

    one->set = std::make_unique<Set>();
    one->set->panels = {Panel({-2, 2, 2, -2}, {0, 0, 0, 0}, {-2, -2, 2, 2}, brick),
                        Panel({-2, 2, 2, -2}, {2, 2, 0, 0}, {-2, -2, -2, -2}, brick)};
    two->set = std::make_unique<Set>();
    two->set->panels = {Panel({1, 1.5f, 1.5f, 1}, {1, 1, 0, 0}, {.25f, .25f, .25f, .25f}, "")};
    two->set->panels[0].panelColor = 0x000000FF;  // red

    // Scene one: a camera track (number 1, writes nothing), then the hero (ACT-2).
    AddTrack(*one, NodeKind::Camera)->keys = {Key(0, 500, 0, 500, 25, 0)};
    ShowNode* actor = AddTrack(*one, NodeKind::Actor, hero);
    actor->keyColor = 0x0000FF00;  // pure green is keyed out
    // Its first key holds until the next one ("All").
    actor->keys = {Key(0, 2400, 0, 2000, 200, 30, 0, -1, 300), Key(60, 2600, 0, 1800, 400, 30)};
    // Scene two: a sound track (3), then the hero again (ACT-4), starting at frame 150.
    AddTrack(*two, NodeKind::SoundTrack);
    ShowNode* again = AddTrack(*two, NodeKind::Actor, hero);
    again->keys = {Key(0, 2000, 0, 2000, 100, 0, 0, /*hold*/ 5, 100),
                   Key(100, 2200, 0, 2000, 100, -90)};

    const QString wrl = dir.filePath("show.wrl");
    VrmlExporter exporter(*doc);
    ASSERT_TRUE(exporter.Export(wrl));

    // Camera keys: frames 0, 30 and 30 + 10 (the hold), 150 and again 150 (hold all on the
    // last key) over 300: 0.0000 0.1000 0.1333 0.5000 0.5000, each with its trailing blank.
    const std::string cameraKeys = "\tkey [ 0.0000 0.1000 0.1333 0.5000 0.5000  ]\n";
    std::string expected =
        "#VRML V2.0 utf8\n\n"
        "NavigationInfo {\n"
        "\ttype \"NONE\"\n}\n\n"
        "DEF TS TimeSensor {\n"
        "\tstartTime 1\n"
        "\tcycleInterval 10.000000\n"  // 300 / ((3000 + 50) / 100)
        "}\n\n"
        "DEF TCH TouchSensor {}\n"
        "ROUTE TCH.touchTime TO TS.set_startTime\n\n"
        // x = (2000 - 2000) * 0.005, y = 100 * 0.005, z = (1000 - 2000) * 0.005; the held keys
        // give their values twice.
        "DEF PI PositionInterpolator {\n" +
        cameraKeys +
        "\tkeyValue [ 0.000000 0.500000 -5.000000, 1.000000 0.500000 -4.000000, "
        "1.000000 0.500000 -4.000000, -1.000000 0.750000 2.000000, "
        "-1.000000 0.750000 2.000000 ]\n"
        "\t}\n"
        // Pan 90 and -45 degrees times 0.0174532.
        "DEF RI OrientationInterpolator {\n" +
        cameraKeys +
        "\tkeyValue [ 0 -1 0 0.000000, 0 -1 0 1.570788, 0 -1 0 1.570788, "
        "0 -1 0 -0.785394, 0 -1 0 -0.785394 ]\n"
        "\t}\n"
        // Tilt -10 and 5 degrees.
        "DEF TI OrientationInterpolator {\n" +
        cameraKeys +
        "\tkeyValue [ 1 0 0 0.000000, 1 0 0 -0.174532, 1 0 0 -0.174532, "
        "1 0 0 0.087266, 1 0 0 0.087266 ]\n"
        "\t}\n"
        // Width 40 * 0.75 * 0.0174532 = 0.523596; 30 * 0.75 * 0.0174532 = 0.392697. Every
        // value carries a blank on both sides and no comma.
        "DEF SI ScalarInterpolator {\n" +
        cameraKeys +
        "\tkeyValue [ 0.523596  0.523596  0.523596  0.392697  0.392697  ]\n"
        "\t}\n"
        // The first values, with their leading blank.
        "DEF T Transform {\n"
        "\tcenter  0.000000 0.500000 -5.000000\n"
        "\trotation  0 -1 0 0.000000\n"
        "\tchildren [\n"
        "\t\tDEF VP Viewpoint {\n"
        "\t\t\tposition  0.000000 0.500000 -5.000000\n"
        "\t\t\tfieldOfView  0.523596 \n"
        "\t\t\torientation  1 0 0 0.000000\n"
        "\t\t\t}\n"
        "\t\t]\n}\n\n"
        // Floor and wall share one picture and so one texture.
        "Transform {\n" +
        ShapeBody(
            "-2.000000 0.000000 -2.000000, 2.000000 0.000000 -2.000000, "
            "2.000000 0.000000 2.000000, -2.000000 0.000000 2.000000") +
        "\t\t\ttexture ImageTexture {url \"vbrick.jpg\"} \n" + kShapeEnd + "Transform {\n" +
        ShapeBody(
            "-2.000000 2.000000 -2.000000, 2.000000 2.000000 -2.000000, "
            "2.000000 0.000000 -2.000000, -2.000000 0.000000 -2.000000") +
        "\t\t\ttexture ImageTexture {url \"vbrick.jpg\"} \n" + kShapeEnd +
        // The panel without a picture shows its own colour.
        "Transform {\n" +
        ShapeBody(
            "1.000000 1.000000 0.250000, 1.500000 1.000000 0.250000, "
            "1.500000 0.000000 0.250000, 1.000000 0.000000 0.250000") +
        "\t\t\tmaterial Material {diffuseColor 1.000000 0.000000 0.000000} \n" + kShapeEnd +
        // ACT-2: keys at frames 0 and 60 of 300; x = 400 * 0.005, then 600 * 0.005 and
        // z = -200 * 0.005; pan 30 * 0.0174532 = 0.523596.
        "DEF API-2 PositionInterpolator {\n"
        "\tkey [ 0.0000 0.2000 0.2000  ]\n"
        "\tkeyValue [ 2.000000 0.000000 0.000000 2.000000 0.000000 0.000000, "
        "3.000000 0.000000 -1.000000 ]\n"
        "\t}\n"
        "DEF ARI-2 OrientationInterpolator {\n"
        "\tkey [ 0.0000 0.2000 0.2000  ]\n"
        "\tkeyValue [ 0 -1 0 0.523596 0 -1 0 0.523596, 0 -1 0 0.523596 ]\n"
        "\t}\n"
        "DEF ACT-2 Transform {\n"
        "\ttranslation  2.000000 0.000000 0.000000\n"
        "\trotation  0 -1 0 0.523596\n" +
        // The first key's size: half width 200 * 0.0025, height 300 * 0.005.
        ShapeBody(
            "-0.500000 1.500000 0.000000, 0.500000 1.500000 0.000000, "
            "0.500000 0.000000 0.000000, -0.500000 0.000000 0.000000") +
        "\t\t\ttexture ImageTexture {url \"vhero.png\"} \n" + kShapeEnd +
        "ROUTE TS.fraction_changed TO API-2.set_fraction\n"
        "ROUTE TS.fraction_changed TO ARI-2.set_fraction\n"
        "ROUTE API-2.value_changed TO ACT-2.translation\n"
        "ROUTE ARI-2.value_changed TO ACT-2.rotation\n\n"
        // ACT-4 starts at 150: its keys are 150 and 155 (hold 5) and 250 over 300. The held
        // first value is repeated as formatted, without a comma.
        "DEF API-4 PositionInterpolator {\n"
        "\tkey [ 0.5000 0.5167 0.8333  ]\n"
        "\tkeyValue [ 0.000000 0.000000 0.000000 0.000000 0.000000 0.000000, "
        "1.000000 0.000000 0.000000 ]\n"
        "\t}\n"
        "DEF ARI-4 OrientationInterpolator {\n"
        "\tkey [ 0.5000 0.5167 0.8333  ]\n"
        "\tkeyValue [ 0 -1 0 0.000000 0 -1 0 0.000000, 0 -1 0 -1.570788 ]\n"
        "\t}\n"
        "DEF ACT-4 Transform {\n"
        "\ttranslation  0.000000 0.000000 0.000000\n"
        "\trotation  0 -1 0 0.000000\n" +
        ShapeBody(
            "-0.250000 0.500000 0.000000, 0.250000 0.500000 0.000000, "
            "0.250000 0.000000 0.000000, -0.250000 0.000000 0.000000") +
        "\t\t\ttexture ImageTexture {url \"vhero.png\"} \n" + kShapeEnd +
        "ROUTE TS.fraction_changed TO API-4.set_fraction\n"
        "ROUTE TS.fraction_changed TO ARI-4.set_fraction\n"
        "ROUTE API-4.value_changed TO ACT-4.translation\n"
        "ROUTE ARI-4.value_changed TO ACT-4.rotation\n\n"
        "ROUTE TS.fraction_changed TO PI.set_fraction\n"
        "ROUTE TS.fraction_changed TO SI.set_fraction\n"
        "ROUTE TS.fraction_changed TO RI.set_fraction\n"
        "ROUTE TS.fraction_changed TO TI.set_fraction\n"
        "ROUTE PI.value_changed TO VP.position\n"
        "ROUTE PI.value_changed TO T.center\n"
        "ROUTE SI.value_changed TO VP.fieldOfView\n"
        "ROUTE TI.value_changed TO VP.orientation\n"
        "ROUTE RI.value_changed TO T.rotation\n";
    EXPECT_EQ(exporter.text(), expected);
    // Lines end in CR LF in the file.
    EXPECT_EQ(ReadFileBytes(wrl.toStdString()), CrLf(expected));
    EXPECT_TRUE(host.messages.isEmpty());
    ASSERT_EQ(host.beeps.size(), 1u);
    EXPECT_EQ(host.beeps[0], BeepKind::Asterisk);

    // One JPEG and one PNG, each converted once; nothing else beside the world.
    QStringList written = QDir(dir.path()).entryList({"v*"}, QDir::Files, QDir::Name);
    EXPECT_EQ(written, (QStringList{"vbrick.jpg", "vhero.png"}));
    EXPECT_EQ(ReadFileBytes(Path("vbrick.jpg")).substr(0, 3), "\xFF\xD8\xFF");

    // The JPEG stands upright with its colours in place (within the loss of compression).
    QImage panel(dir.filePath("vbrick.jpg"));
    ASSERT_EQ(panel.size(), QSize(16, 16));
    auto near = [](QRgb c, int r, int g, int b) {
        return std::abs(qRed(c) - r) <= 12 && std::abs(qGreen(c) - g) <= 12 &&
               std::abs(qBlue(c) - b) <= 12;
    };
    EXPECT_TRUE(near(panel.pixel(2, 2), 200, 100, 50)) << std::hex << panel.pixel(2, 2);
    EXPECT_TRUE(near(panel.pixel(2, 13), 10, 20, 120)) << std::hex << panel.pixel(2, 13);

    // The PNG: upright, colours in place, pure green keyed to alpha 0, the rest opaque.
    EXPECT_EQ(ReadFileBytes(Path("vhero.png")).substr(0, 8), "\x89PNG\r\n\x1A\n");
    QImage card(dir.filePath("vhero.png"));
    ASSERT_EQ(card.size(), QSize(2, 2));
    EXPECT_TRUE(card.hasAlphaChannel());
    EXPECT_EQ(qAlpha(card.pixel(0, 1)), 0);  // bottom left, green
    EXPECT_EQ(card.pixel(1, 1), qRgba(255, 0, 0, 255));
    EXPECT_EQ(card.pixel(0, 0), qRgba(0, 0, 255, 255));
    EXPECT_EQ(card.pixel(1, 0), qRgba(255, 255, 255, 255));
}

TEST_F(VrmlExportTest, TextureNamesComeFromTheFileTitle) {
    using enum VrmlExporter::Surface;
    for (auto [path, surface, name] : {std::tuple{"C:\\art\\hero.final.tga", kActor, "vhero.png"},
                                       {"/shows/set.v2/stone.wall.jpg", kPanel, "vstone.jpg"},
                                       {"D:plain", kPanel, "vplain.jpg"},
                                       {"", kPanel, "v.jpg"}})
        EXPECT_EQ(VrmlExporter::TextureName(path, surface), name) << path;
}

TEST_F(VrmlExportTest, AtTwentyNineNinetySevenTheCycleStillCountsThirty) {
    AddScene(0, 300)->keys = {Key(150, 2000, 0, 2000, 40, 0)};
    doc->settings().frameRate = 2997;
    VrmlExporter exporter(*doc);
    ASSERT_TRUE(exporter.Export(dir.filePath("show.wrl")));
    EXPECT_NE(exporter.text().find("\tcycleInterval 10.000000\n"), std::string::npos);
    EXPECT_NE(exporter.text().find("\tkey [ 0.5000  ]\n"), std::string::npos);
}

TEST_F(VrmlExportTest, AnUnwritableWorldSaysSoAndLeavesNothing) {
    ShowNode* scene = AddScene(0, 300);
    scene->set = std::make_unique<Set>();
    scene->set->panels = {Panel({0, 1, 1, 0}, {0, 0, 0, 0}, {0, 0, 1, 1}, WriteBrick("brick.bmp"))};
    VrmlExporter exporter(*doc);
    EXPECT_FALSE(exporter.Export(dir.filePath("no such folder/show.wrl")));
    EXPECT_EQ(host.messages, QStringList{"Couldn't write file"});
    EXPECT_TRUE(host.beeps.empty());
    // Only what the test put there: no world, no texture, no temporary file.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"brick.bmp"}));
}

TEST_F(VrmlExportTest, AShowWithoutKeysOrPicturesStillMakesALoadableWorld) {
    ShowNode* scene = AddScene(0, 300, true);    // a scene without keys of its own
    AddTrack(*scene, NodeKind::Actor);           // an actor without keys or picture: left out
    AddTrack(*scene, NodeKind::Actor, "", 100);  // ACT-2, no picture

    const QString wrl = dir.filePath("empty.wrl");
    VrmlExporter exporter(*doc);
    ASSERT_TRUE(exporter.Export(wrl));
    const std::string& text = exporter.text();
    EXPECT_EQ(ReadFileBytes(wrl.toStdString()), CrLf(text));
    // Empty interpolators are valid; the viewpoint stands where a new camera stands:
    // (200 - 2000) * 0.005, 48 * 0.005, (200 - 2000) * 0.005. The keyless actor is skipped
    // with its routes, ACT-2 keeps its number, and a card without a picture gets a plain
    // material instead of a texture nobody could make.
    for (const char* line :
         {"DEF PI PositionInterpolator {\n\tkey [  ]\n\tkeyValue [ ]\n\t}\n",
          "\tcenter  -9.000000 0.240000 -9.000000\n",
          "\t\t\tposition  -9.000000 0.240000 -9.000000\n", "\trotation  0 -1 0 0.000000\n",
          "\t\t\torientation  1 0 0 0.000000\n", "\t\t\tfieldOfView  0.3272",
          "DEF ACT-2 Transform {\n", "ROUTE API-2.value_changed TO ACT-2.translation\n",
          "\t\t\tmaterial Material {} \n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    for (const char* absent : {"ACT-1", "ImageTexture", "center \n", "rotation \n", "position \n",
                               "orientation \n", "fieldOfView \n", "translation \n"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
    EXPECT_TRUE(QDir(dir.path()).entryList({"v*"}, QDir::Files).isEmpty());
    // Brackets and braces balance.
    int braces = 0, brackets = 0;
    for (char c : text) {
        braces += c == '{' ? 1 : c == '}' ? -1 : 0;
        brackets += c == '[' ? 1 : c == ']' ? -1 : 0;
        ASSERT_GE(std::min(braces, brackets), 0);
    }
    EXPECT_EQ(std::pair(braces, brackets), std::pair(0, 0));
}

// Pictures that do not load plainly still give their texture files: a missing picture a black
// 16 x 16 one (a missing Targa is reported, and the export goes on), a panel picture with a
// colour table a JPEG in its colours.
TEST_F(VrmlExportTest, TexturesOfPicturesThatDoNotLoadPlainly) {
    Picture grey;
    ASSERT_TRUE(grey.Create(8, 8, 8));
    for (int y = 0; y < 8; ++y)
        std::memset(grey.Bits(y), 7, size_t(grey.RowBytes()));
    grey.ColorTable()[7] = RgbQuad{40, 90, 160, 0};  // blue, green, red
    // Our Targa files carry no colour map, but a BMP under a ".tga" name is read by our own
    // reader with its colour table, at 8 bits.
    ASSERT_TRUE(grey.Save(dir.filePath("tiles.bmp"), PictureWriteMode::kBmp, nullptr));
    ASSERT_TRUE(QFile::rename(dir.filePath("tiles.bmp"), dir.filePath("tiles.tga")));

    ShowNode* scene = AddScene(0, 300);
    scene->set = std::make_unique<Set>();
    scene->set->panels = {Panel({0, 1, 1, 0}, {0, 0, 0, 0}, {0, 0, 1, 1}, Path("tiles.tga"))};
    AddTrack(*scene, NodeKind::Actor, Path("ghost.bmp"), 100);
    AddTrack(*scene, NodeKind::Actor, Path("gone.tga"), 100);
    VrmlExporter exporter(*doc);
    ASSERT_TRUE(exporter.Export(dir.filePath("show.wrl")));
    EXPECT_EQ(host.messages, QStringList{kMessageErrorOpening});
    for (const char* url : {"{url \"vghost.png\"}", "{url \"vgone.png\"}", "{url \"vtiles.jpg\"}"})
        EXPECT_NE(exporter.text().find(url), std::string::npos) << url;
    for (const char* name : {"vghost.png", "vgone.png"}) {
        QImage card(dir.filePath(name));
        ASSERT_EQ(card.size(), QSize(16, 16)) << name;
        EXPECT_EQ(card.pixel(5, 5), qRgba(0, 0, 0, 255)) << name;
    }
    QImage panel(dir.filePath("vtiles.jpg"));
    ASSERT_EQ(panel.size(), QSize(8, 8));
    const QRgb c = panel.pixel(4, 4);
    EXPECT_NEAR(qRed(c), 160, 8);
    EXPECT_NEAR(qGreen(c), 90, 8);
    EXPECT_NEAR(qBlue(c), 40, 8);
}

}  // namespace
}  // namespace quillon
