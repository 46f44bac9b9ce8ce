#include "DemoCommands.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "ConsoleHost.h"
#include "DemoPictures.h"
#include "KeyPlacement.h"
#include "model/Document.h"
#include "model/DurableFile.h"
#include "model/Motion.h"
#include "model/Paths.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "pictures/PictureMediaLoader.h"
#include "pictures/RecordingTextureUploader.h"

namespace quillon::cli {

namespace {

// Two scenes of six seconds at the default 30 frames per second. The first fades in from black
// over its first frames, the second out to black over its last.
constexpr int kSceneLength = 180;
constexpr int kFadeFrames = 24;

const char kShowFile[] = "demo.shw";
const char kStreetSet[] = "street.set";
const char kShedSet[] = "shed.set";

// Panel corners are kept in world units; the demo is laid out in plan units like every track.
float World(double plan) {
    return static_cast<float>((plan - 2000.0) * 0.005);
}
float WorldHeight(double height) {
    return static_cast<float>(height * 0.005);
}

// How a panel looks: its picture (a bare name beside the show; none for an empty text) and the
// colour (0x00BBGGRR) it is drawn in without one.
SetPanel PanelLook(const char* picture, uint32_t colour) {
    SetPanel panel;
    panel.panelColor = colour;
    panel.selected = 0;
    panel.textureSlot = -1;
    panel.keyColor = -1;  // opaque pictures: nothing is keyed out of a wall
    SetBoundedText(panel.imagePath, picture);
    return panel;
}

// Floor panels `size` plan units square over the plan rectangle (ew0, ns0) to (ew1, ns1), each
// laid as "Add Floor Panel" lays one: corners 0 and 1 along the edge of smaller north/south.
void AddFloor(Set& set, double ew0, double ns0, double ew1, double ns1, double size,
              const SetPanel& look) {
    const long columns = std::lround((ew1 - ew0) / size);
    const long rows = std::lround((ns1 - ns0) / size);
    for (long r = 0; r < rows; ++r) {
        for (long c = 0; c < columns; ++c) {
            const double west = ew0 + double(c) * size, east = west + size;
            const double north = ns0 + double(r) * size, south = north + size;
            SetPanel panel = look;
            const float x[4] = {World(west), World(east), World(east), World(west)};
            const float z[4] = {World(north), World(north), World(south), World(south)};
            for (int k = 0; k < 4; ++k) {
                panel.cornerEastWest[k] = x[k];
                panel.cornerUpDown[k] = 0.0f;
                panel.cornerNorthSouth[k] = z[k];
            }
            set.AddPanel(panel);
        }
    }
}

// Wall panels `size` plan units square standing on the plan line from A to B, `height` tall.
// Corners 0 and 1 are the top edge from A's end to B's, 2 and 3 the bottom edge back, so the
// picture reads the right way round from the side where A is on the viewer's left.
void AddWall(Set& set, double ewA, double nsA, double ewB, double nsB, double height, double size,
             const SetPanel& look) {
    const long columns = std::lround(std::hypot(ewB - ewA, nsB - nsA) / size);
    const long rows = std::lround(height / size);
    for (long r = 0; r < rows; ++r) {
        const float bottom = WorldHeight(double(r) * size);
        const float top = WorldHeight(double(r + 1) * size);
        for (long c = 0; c < columns; ++c) {
            const double t0 = double(c) / double(columns), t1 = double(c + 1) / double(columns);
            const float x0 = World(ewA + (ewB - ewA) * t0), x1 = World(ewA + (ewB - ewA) * t1);
            const float z0 = World(nsA + (nsB - nsA) * t0), z1 = World(nsA + (nsB - nsA) * t1);
            SetPanel panel = look;
            const float x[4] = {x0, x1, x1, x0};
            const float y[4] = {top, top, bottom, bottom};
            const float z[4] = {z0, z1, z1, z0};
            for (int k = 0; k < 4; ++k) {
                panel.cornerEastWest[k] = x[k];
                panel.cornerUpDown[k] = y[k];
                panel.cornerNorthSouth[k] = z[k];
            }
            set.AddPanel(panel);
        }
    }
}

// Where an actor's card stands: plan position of its bottom centre, height of its bottom above
// the floor and its width, all in plan units. The card keeps its picture's shape.
struct Placement {
    double eastWest, northSouth, upDown, width;
};

void Place(ShowNode& actor, const Placement& at) {
    KeyFrame& pose = actor.pose;
    pose.eastWest() = static_cast<float>(at.eastWest);
    pose.northSouth() = static_cast<float>(at.northSouth);
    pose.upDown() = static_cast<float>(at.upDown);
    pose.width() = static_cast<float>(at.width);
    pose.height() = static_cast<float>(at.width * actor.aspect);
}

// A camera position in plan units, its lens (vertical angle of view, degrees), pan and tilt.
struct CameraStop {
    double eastWest, upDown, northSouth, lens, pan, tilt;
};

void Aim(KeyFrame& camera, const CameraStop& s) {
    camera.eastWest() = static_cast<float>(s.eastWest);
    camera.upDown() = static_cast<float>(s.upDown);
    camera.northSouth() = static_cast<float>(s.northSouth);
    camera.width() = static_cast<float>(s.lens);
    camera.pan() = static_cast<float>(s.pan);
    camera.tilt() = static_cast<float>(s.tilt);
}

// The key at the node-relative frame holds its values for `hold` frames before moving on.
void SetHold(ShowNode& node, int frame, int hold) {
    const int i = node.FindKey(node.startFrame + frame, 0);
    KeyFrame key;
    if (!node.GetKey(i, key)) throw Failure{"no key at frame " + std::to_string(frame)};
    key.hold = static_cast<int16_t>(hold);
    node.PutKey(i, key);
}

// A scene's own transparency fades everything it draws. Its keys move straight and at an even
// speed, so the picture brightens or darkens evenly.
void FadeIn(ShowNode& scene) {
    scene.motionMode = kLinear | kStraightMotion;
    KeyFrame key = scene.keys[0];
    key.transparency() = 1.0f;
    scene.PutKey(0, key);
    key.transparency() = 0.0f;
    key.frame = kFadeFrames;
    scene.AddKey(key, 0);
}

// Clear until the fade starts, then black by the last frame. A key where the fade starts rather
// than a hold on the first: a hold would ease the fade in and out.
void FadeOut(ShowNode& scene) {
    scene.motionMode = kLinear | kStraightMotion;
    const int last = scene.length() - 1;
    KeyFrame key = scene.keys[0];
    key.frame = last - kFadeFrames;
    scene.AddKey(key, 0);
    key.transparency() = 1.0f;
    key.frame = last;
    scene.AddKey(key, 0);
}

class DemoBuilder {
  public:
    DemoBuilder(Document& doc, ShowFiles& files, const QString& folder)
        : doc_(doc), files_(files), folder_(folder) {}

    // "Add Actor" with the picture chosen, the key colour picked beforehand as the default for
    // new tracks so that the picture is keyed with it as it loads.
    ShowNode& AddActor(ShowNode& scene, const char* picture, int32_t keyColor, uint8_t motionMode) {
        const int32_t kept = doc_.settings().defaultKeyColor;
        doc_.settings().defaultKeyColor = keyColor;
        const bool added = doc_.AddTrack(NodeKind::Actor, scene.startFrame, scene.endFrame,
                                         StagePlace{}, folder_ + QString::fromLatin1(picture));
        doc_.settings().defaultKeyColor = kept;
        ShowNode* actor = added ? scene.children.back() : nullptr;
        if (!actor || actor->textureSlot < 0)
            throw Failure{"couldn't load the picture " + folder_.toStdString() + picture};
        actor->motionMode = motionMode;
        return *actor;
    }

    // Gives the scene its set and writes the set file beside the show.
    void GiveSet(ShowNode& scene, std::unique_ptr<Set> set, const char* name) {
        scene.set = std::move(set);
        const QString path = folder_ + QString::fromLatin1(name);
        if (!files_.WriteSet(*scene.set, path))
            throw Failure{"Couldn't write SET file: " + path.toStdString()};
        scene.SetFileName(name);
    }

    // A courtyard: paving, brick walls at the back and right, boards on the left, a lamp, a tree
    // and crates. Someone walks across while the camera closes in, holding at the start and
    // after its first move.
    void Street(ShowNode& scene) {
        auto set = std::make_unique<Set>();
        AddFloor(*set, 1400, 1200, 2600, 3000, 300, PanelLook("paving.png", 0x8C9296));
        AddWall(*set, 1400, 1200, 2600, 1200, 900, 300, PanelLook("brick.png", 0x2E3E94));
        AddWall(*set, 1400, 3000, 1400, 1200, 900, 300, PanelLook("planks.png", 0x3A648E));
        AddWall(*set, 2600, 1200, 2600, 3000, 900, 300, PanelLook("brick.png", 0x2E3E94));
        GiveSet(scene, std::move(set), kStreetSet);

        ShowNode& lamp = AddActor(scene, "lamp.png", kDemoKeyGreen, kSlowInOut);
        ShowNode& tree = AddActor(scene, "tree.png", kDemoKeyGreen, kSlowInOut);
        ShowNode& crate = AddActor(scene, "crate.png", -1, kSlowInOut);
        ShowNode& crate2 = AddActor(scene, "crate.png", -1, kSlowInOut);
        ShowNode& crate3 = AddActor(scene, "crate.png", -1, kSlowInOut);
        // Straight across; the hold before the walk makes it start and stop gently.
        ShowNode& walker = AddActor(scene, "figure.png", kDemoKeyBlue, kStraightMotion);

        const int start = scene.startFrame;
        KeyAtFrame(doc_, start, [&](KeyFrame& camera) {
            Aim(camera, {2000, 200, 3300, 32, 0, -5});
            Place(lamp, {1560, 1500, 0, 180});
            Place(tree, {2380, 1330, 0, 360});
            Place(crate, {2150, 1700, 0, 90});
            Place(crate2, {2245, 1720, 0, 90});
            Place(crate3, {2195, 1705, 90, 80});  // on the two below
            Place(walker, {1500, 1850, 0, 100});
        });
        KeyAtFrame(doc_, start + 100, [](KeyFrame& camera) {
            Aim(camera, {2150, 160, 2600, 30, 0, -3});
        });
        KeyAtFrame(doc_, start + 150, [&](KeyFrame&) { walker.pose.eastWest() = 2450.0f; });
        KeyAtFrame(doc_, start + kSceneLength - 1, [](KeyFrame& camera) {
            Aim(camera, {2300, 150, 2350, 28, 12, -3});
        });

        ShowNode& camera = *doc_.ActiveTrack(&scene);
        SetHold(camera, 0, 30);
        SetHold(camera, 100, 20);
        SetHold(walker, 0, 20);
        FadeIn(scene);
    }

    // Inside a shed: tiled floor, board walls at the back and right, brick on the left, a door
    // without a picture (drawn in its colour) and stacked crates. Someone comes in through the
    // door and walks towards the camera, which follows and then pans across to the crates.
    void Shed(ShowNode& scene) {
        auto set = std::make_unique<Set>();
        AddFloor(*set, 1400, 1200, 2600, 2400, 300, PanelLook("tiles.png", 0x4C6EB4));
        AddWall(*set, 1400, 1200, 2600, 1200, 600, 300, PanelLook("planks.png", 0x3A648E));
        AddWall(*set, 2600, 1200, 2600, 2400, 600, 300, PanelLook("planks.png", 0x3A648E));
        AddWall(*set, 1400, 2400, 1400, 1200, 600, 300, PanelLook("brick.png", 0x2E3E94));
        // Just in front of the back wall, so the two never share a depth.
        AddWall(*set, 1800, 1202, 1960, 1202, 250, 250, PanelLook("", 0x1E3A5C));
        GiveSet(scene, std::move(set), kShedSet);

        ShowNode& crate = AddActor(scene, "crate.png", -1, kSlowInOut);
        ShowNode& crate2 = AddActor(scene, "crate.png", -1, kSlowInOut);
        ShowNode& crate3 = AddActor(scene, "crate.png", -1, kSlowInOut);
        ShowNode& walker = AddActor(scene, "figure.png", kDemoKeyBlue, kSlowInOut);

        const int start = scene.startFrame;
        KeyAtFrame(doc_, start, [&](KeyFrame& camera) {
            Aim(camera, {1700, 170, 2700, 30, 7, -3});
            Place(crate, {2350, 1450, 0, 110});
            Place(crate2, {2470, 1500, 0, 110});
            Place(crate3, {2410, 1475, 110, 100});
            Place(walker, {1880, 1260, 0, 100});
        });
        KeyAtFrame(doc_, start + 120, [](KeyFrame& camera) {
            Aim(camera, {1950, 150, 2550, 26, 10, -4});
        });
        KeyAtFrame(doc_, start + 130, [&](KeyFrame&) {
            walker.pose.eastWest() = 2050.0f;
            walker.pose.northSouth() = 2000.0f;
        });
        KeyAtFrame(doc_, start + kSceneLength - 1, [](KeyFrame& camera) {
            Aim(camera, {1980, 150, 2500, 26, 30, -6});
        });

        ShowNode& camera = *doc_.ActiveTrack(&scene);
        SetHold(camera, 0, 40);
        SetHold(walker, 0, 40);
        FadeOut(scene);
    }

  private:
    Document& doc_;
    ShowFiles& files_;
    QString folder_;  // ends in "/"
};

void SavePng(const QImage& image, const QString& path) {
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG") ||
        !WriteFileAtomically(QFile::encodeName(path).toStdString(), png.toStdString()))
        throw Failure{"Couldn't write file: " + path.toStdString()};
}

}  // namespace

int CmdMakeDemo(const Args& args) {
    args.Allow({});
    if (args.positionals().size() != 1) throw Failure{"expected one output folder"};
    const QString out = QString::fromStdString(args.positionals()[0]);
    if (!QDir().mkpath(out)) throw Failure{"Couldn't make the folder: " + args.positionals()[0]};
    const QString folder = QDir(out).absolutePath() + QLatin1Char('/');

    std::vector<std::string> written;
    for (const DemoPicture& picture : DrawDemoPictures()) {
        SavePng(picture.image, folder + picture.fileName);
        written.push_back(picture.fileName.toStdString());
    }

    // The demo is the same wherever it is made: a fresh profile gives it the default settings
    // (frame rate, key colour, camera defaults, key tolerance) whatever the user's profile says.
    QTemporaryDir scratch;
    if (!scratch.isValid()) throw Failure{"Couldn't make a temporary folder"};
    Profile profile(scratch.filePath(QStringLiteral("make-demo.ini")));
    ConsoleHost host;
    RecordingTextureUploader uploader;
    PictureMediaLoader loader(uploader);
    Document doc(profile, host);
    doc.SetMediaLoader(&loader);
    doc.Reset(false);

    ShowNode* street = doc.NewScene(kSceneLength);
    ShowNode* shed = doc.NewScene(kSceneLength);
    if (!street || !shed) throw Failure{"Couldn't make the scenes"};
    ShowFiles files(doc);
    DemoBuilder builder(doc, files, folder);
    builder.Street(*street);
    written.push_back(kStreetSet);
    builder.Shed(*shed);
    written.push_back(kShedSet);

    // Files beside the show are named without a folder, so the show still finds them when the
    // folder is copied or moved: opening looks for a bare name in the show's own folder. Nothing
    // is selected when the show opens.
    for (ShowNode* scene : doc.root().children) {
        scene->setSelected(false);
        for (ShowNode* track : scene->children) {
            track->setSelected(false);
            if (track->GetFileName().empty()) continue;
            const std::string bare = BareName(track->GetFileName());
            track->SetFileName(bare);
            track->SetName(DisplayName(bare));
        }
    }

    // Every picture loaded and keyed without a word; anything said means the demo is wrong.
    if (!host.messages.isEmpty()) throw Failure{host.Describe("", folder.toStdString())};
    const QString showPath = folder + QString::fromLatin1(kShowFile);
    doc.SetShowPath(showPath);
    if (!files.WriteShow(showPath)) throw Failure{host.Describe("Couldn't write file", kShowFile)};
    written.push_back(kShowFile);

    for (const std::string& name : written)
        std::printf("%s%s\n", folder.toUtf8().constData(), name.c_str());
    return 0;
}

}  // namespace quillon::cli
