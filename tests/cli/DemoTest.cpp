// The demo show as "quillon-cli make-demo" writes it: the committed copy under data/demo is
// exactly what the code makes whatever the profile and folder, it opens from any copy of its
// folder with every picture loaded and keyed, and the camera holds and scene fades are the ones
// it was keyed with.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QTemporaryDir>
#include <cstring>

#include "../model/ScriptedHost.h"
#include "CliRun.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "pictures/PictureMediaLoader.h"
#include "pictures/RecordingTextureUploader.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

const QStringList kPictures = {"brick.png",  "planks.png", "paving.png", "tiles.png",
                               "figure.png", "lamp.png",   "tree.png",   "crate.png"};
const QStringList kSets = {"street.set", "shed.set"};

QStringList DemoFiles() {
    return kPictures + kSets + QStringList{"demo.shw"};
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class DemoTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }

    CliRun Cli(const QStringList& args, const QString& profile, const QString& folder = {}) {
        return RunCli(profile.isEmpty() ? Path("profile.ini") : profile, args, folder);
    }

    QTemporaryDir dir;
};

// The show opened as the application opens it, with the picture loader and its textures.
struct OpenedShow {
    explicit OpenedShow(const QString& profilePath) : profile(profilePath) {
        doc = std::make_unique<Document>(profile, host);
        doc->SetMediaLoader(&loader);
    }
    Profile profile;
    ScriptedHost host;
    RecordingTextureUploader gl;
    PictureMediaLoader loader{gl};
    std::unique_ptr<Document> doc;  // goes before the loader it uses
};

uint8_t Alpha(const RecordingTextureUploader::Texture& t, int x, int y) {
    return t.texels[(size_t(y) * size_t(t.width) + size_t(x)) * 4 + 3];
}

}  // namespace

TEST_F(DemoTest, MakesTheCommittedDemoWhateverTheProfileAndFolder) {
    // Settings that would change new cameras, tracks and key matching if the demo used them,
    // another working folder, and an output folder made as needed.
    const QString odd = Path("odd.ini");
    {
        QSettings ini(odd, QSettings::IniFormat);
        ini.setValue("Stage/RostrumMode", 1);
        ini.setValue("Texture/DefaultKeyColor", 0);
        ini.setValue("Timeline/Scale", 4000);
        ini.setValue("System/FrameRate", 2500);
    }
    ASSERT_TRUE(QDir().mkpath(Path("elsewhere")));
    const CliRun r = Cli({"make-demo", Path("out/demo")}, odd, Path("elsewhere"));
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    const QString folder = QDir(Path("out/demo")).absolutePath() + "/";
    QStringList listed, all = DemoFiles();
    for (const QString& name : all)
        listed << folder + name;
    EXPECT_EQ(QString::fromUtf8(r.out).trimmed().split('\n'), listed);
    all.sort();
    const QString committed = QStringLiteral(QUILLON_DEMO_DIR) + "/";
    EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name), all);
    EXPECT_EQ(QDir(committed).entryList(QDir::Files, QDir::Name), all);
    // The show and sets byte for byte, with no absolute path of the folder kept in them.
    for (const QString& name : kSets + QStringList{"demo.shw"}) {
        const QByteArray made = ReadAll(folder + name);
        EXPECT_TRUE(made == ReadAll(committed + name))
            << name.toStdString() << " differs: run quillon-cli make-demo data/demo";
        EXPECT_FALSE(made.contains(folder.toUtf8())) << name.toStdString();
    }
    // Pictures by their pixels (another build of the PNG encoder may pack them differently),
    // each a whole texture: powers of two from 32 to 256.
    for (const QString& name : kPictures) {
        const QImage made = QImage(folder + name).convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(made.isNull()) << name.toStdString();
        EXPECT_TRUE(QImage(committed + name).convertToFormat(QImage::Format_RGB32) == made)
            << name.toStdString() << " differs: run quillon-cli make-demo data/demo";
        for (int side : {made.width(), made.height()})
            EXPECT_TRUE(side >= 32 && side <= 256 && (side & (side - 1)) == 0) << side;
    }
}

TEST_F(DemoTest, OpensFromACopiedFolderWithEveryPictureLoaded) {
    const CliRun made = Cli({"make-demo", Path("made")}, {});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    // Copy the folder, then remove the original: nothing may still point at it.
    ASSERT_TRUE(QDir().mkpath(Path("moved/copy")));
    for (const QString& name : DemoFiles())
        ASSERT_TRUE(QFile::copy(Path("made/") + name, Path("moved/copy/") + name));
    ASSERT_TRUE(QDir(Path("made")).removeRecursively());

    OpenedShow show(Path("open.ini"));
    ASSERT_TRUE(ShowFiles(*show.doc).ReadShow(Path("moved/copy/demo.shw")));
    EXPECT_TRUE(show.host.missing.isEmpty()) << show.host.missing.join(", ").toStdString();
    EXPECT_TRUE(show.host.openRequests.empty());
    EXPECT_TRUE(show.host.messages.isEmpty()) << show.host.messages.join(", ").toStdString();

    const std::string copy = QDir(Path("moved/copy")).absolutePath().toStdString() + "/";
    ShowNode& root = show.doc->root();
    ASSERT_EQ(root.childCount(), 2);
    int untextured = 0;
    for (int s = 0; s < 2; ++s) {
        SCOPED_TRACE("scene " + std::to_string(s));
        ShowNode& scene = *root.children[s];
        EXPECT_EQ(scene.GetFileName(), copy + kSets[s].toStdString());
        ASSERT_NE(scene.set, nullptr);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(scene.children[i]->kind, NodeKind::Camera);

        // Every panel picture found in the copy and loaded whole; one panel has none and is
        // drawn in its colour.
        for (const SetPanel& panel : scene.set->panels) {
            if (panel.imagePath[0] == '\0') {
                EXPECT_EQ(panel.textureSlot, -1);
                ++untextured;
                continue;
            }
            EXPECT_EQ(std::string(panel.imagePath).rfind(copy, 0), 0u) << panel.imagePath;
            const auto* texture = show.gl.Find(panel.textureSlot);
            ASSERT_NE(texture, nullptr) << panel.imagePath;
            EXPECT_EQ(std::pair(texture->width, texture->height), std::pair(256, 256));
        }
        int actors = 0, moving = 0;
        for (int i = 4; i < scene.childCount(); ++i) {
            const ShowNode& actor = *scene.children[i];
            ASSERT_EQ(actor.kind, NodeKind::Actor);
            ++actors;
            EXPECT_EQ(actor.GetFileName().rfind(copy, 0), 0u) << actor.GetFileName();
            ASSERT_GE(actor.textureSlot, 0) << actor.GetFileName();
            const auto* t = show.gl.Find(actor.textureSlot);
            ASSERT_NE(t, nullptr);
            // The card has the picture's shape.
            EXPECT_FLOAT_EQ(actor.aspect, float(t->height) / float(t->width));
            EXPECT_FLOAT_EQ(actor.keys[0].height(), actor.keys[0].width() * actor.aspect);
            if (actor.KeyCount() > 1) ++moving;
            // Keyed pictures lose their background and keep their middle; the crate, under
            // "Use Alpha" with no alpha of its own, stays whole.
            EXPECT_EQ(Alpha(*t, 0, 0), actor.keyColor == -1 ? 255 : 0) << actor.GetFileName();
            EXPECT_EQ(Alpha(*t, t->width / 2, t->height / 2), 255) << actor.GetFileName();
        }
        EXPECT_GE(actors, 4);
        EXPECT_EQ(moving, 1);
    }
    EXPECT_EQ(untextured, 1);
}

TEST_F(DemoTest, CameraHoldsEasesAndScenesFade) {
    // The committed show, evaluated as the renderer gets it: the scene's pose gives the fade,
    // the monitor camera the active camera's pose.
    Profile profile(Path("eval.ini"));
    ScriptedHost host;
    Document doc(profile, host);
    ASSERT_TRUE(ShowFiles(doc).ReadShow(QStringLiteral(QUILLON_DEMO_DIR) + "/demo.shw"));
    ASSERT_EQ(doc.root().childCount(), 2);
    ShowNode& street = *doc.root().children[0];
    ShowNode& shed = *doc.root().children[1];
    ASSERT_EQ(street.startFrame, 0);
    ASSERT_EQ(shed.startFrame, street.endFrame);
    const int last = shed.endFrame - 1;

    auto camera = [&](int frame) {
        doc.UpdateViewsAtFrame(frame);
        return doc.monitorCamera().pose;
    };
    auto fade = [&](int frame) {
        doc.UpdateViewsAtFrame(frame);
        return doc.SceneAt(frame)->pose.transparency();
    };
    // The street camera holds its first key for 30 frames and its second (at 100) for 20, the
    // shed camera its first for 40.
    const ShowNode& cam = *street.children[0];
    const ShowNode& shedCam = *shed.children[0];
    ASSERT_EQ(cam.KeyCount(), 3);
    EXPECT_EQ(std::tuple(cam.keys[0].hold, cam.keys[1].frame, cam.keys[1].hold),
              std::tuple(30, 100, 20));
    const std::tuple<int, const KeyFrame*, bool> holds[] = {
        {0, &cam.keys[0], true},
        {29, &cam.keys[0], true},
        {30, &cam.keys[0], true},
        {35, &cam.keys[0], false},
        {100, &cam.keys[1], true},
        {120, &cam.keys[1], true},
        {125, &cam.keys[1], false},
        {street.endFrame - 1, &cam.keys[2], true},
        {shed.startFrame + 40, &shedCam.keys[0], true},
        {shed.startFrame + 45, &shedCam.keys[0], false}};
    for (const auto& [frame, key, held] : holds)
        EXPECT_EQ(camera(frame).channel == key->channel, held) << "frame " << frame;
    // The first move eases in and out: behind an even pace early on, ahead of it near the end.
    const double from = cam.keys[0].eastWest(), to = cam.keys[1].eastWest();
    ASSERT_NE(from, to);
    const double early = (camera(47).eastWest() - from) / (to - from);
    const double late = (camera(95).eastWest() - from) / (to - from);
    EXPECT_GT(early, 0.0);
    EXPECT_LT(early, 17.0 / 70.0);
    EXPECT_GT(late, 65.0 / 70.0);
    EXPECT_LT(late, 1.0);

    // The walker crossing the street stands for 20 frames, then walks straight across, easing
    // in and out (a hold takes precedence over the node's easing), halfway at mid-walk.
    const ShowNode& walker = *street.children.back();
    ASSERT_EQ(walker.GetName(), "figure");
    ASSERT_EQ(walker.KeyCount(), 2);
    auto walkerAt = [&](int frame) {
        doc.UpdateViewsAtFrame(frame);
        return walker.pose;
    };
    const float startX = walker.keys[0].eastWest(), endX = walker.keys[1].eastWest();
    EXPECT_EQ(walkerAt(20).eastWest(), startX);
    EXPECT_NEAR(walkerAt(85).eastWest(), (startX + endX) / 2, 0.1);
    EXPECT_LT(walkerAt(30).eastWest() - startX, (endX - startX) * 10 / 130);
    EXPECT_EQ(walkerAt(150).eastWest(), endX);
    for (int f : {20, 60, 85, 130})  // no curve: straight along the line between the keys
        EXPECT_EQ(walkerAt(f).northSouth(), walker.keys[0].northSouth());

    // Fade in over the street's first 24 frames, out over the shed's last 24, falling and
    // rising at every frame.
    const std::pair<int, float> fades[] = {
        {0, 1.0f},         {12, 0.5f},        {24, 0.0f},  {100, 0.0f}, {shed.startFrame, 0.0f},
        {last - 24, 0.0f}, {last - 12, 0.5f}, {last, 1.0f}};
    for (const auto& [frame, want] : fades)
        EXPECT_EQ(fade(frame), want) << "frame " << frame;
    for (int f = 1; f <= 24; ++f) {
        EXPECT_LT(fade(f), fade(f - 1)) << "frame " << f;
        EXPECT_GT(fade(last - 24 + f), fade(last - 25 + f)) << "frame " << last - 24 + f;
    }
}

TEST_F(DemoTest, RefusesWhatIsNotOneUsableFolder) {
    QFile plain(Path("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (const QStringList& args :
         {QStringList{"make-demo"}, QStringList{"make-demo", "a", "b"},
          QStringList{"make-demo", Path("plain")}, QStringList{"make-demo", Path("plain/inside")},
          QStringList{"make-demo", Path("x"), "--scenes", "3"}})
        ExpectOneLineError(Cli(args, {}), args);
    EXPECT_FALSE(QFile::exists(Path("x/demo.shw")));
}
