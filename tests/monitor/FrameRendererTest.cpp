// The frame renderer on a real offscreen OpenGL context (Mesa's software renderer through EGL):
// pixels at places computed here from the camera and the stage geometry, the blending and fade
// rules, rostrum tiles, the grid floor, panels, movie frames uploaded on first use, the reticle
// and the frame pacing.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <array>
#include <cmath>

#include "../model/ScriptedHost.h"
#include "../pictures/MovieTestUtil.h"
#include "../pictures/PictureTestUtil.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "monitor/OffscreenMonitor.h"
#include "monitor/ReticlePainter.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

constexpr int kSize = 200;

// Where a world point lands on a width x height picture, computed the way a camera pose is
// meant to project: perspective with the pose's width as vertical angle, then the tilt and pan
// rotations, then the move to the camera. Pixel y counted from the top.
struct Projected {
    double x = 0, y = 0;
    bool inFront = false;
};
Projected Project(const KeyFrame& camera, double x, double y, double z, int width, int height) {
    const double pi = std::acos(-1.0);
    // Translate.
    x += (2000 - camera.eastWest()) * 0.005;
    y += -camera.upDown() * 0.005;
    z += (2000 - camera.northSouth()) * 0.005;
    // Rotate by pan about y (a positive angle turns z towards x).
    const double p = camera.pan() * pi / 180;
    const double x1 = std::cos(p) * x + std::sin(p) * z;
    const double z1 = -std::sin(p) * x + std::cos(p) * z;
    // Rotate by -tilt about x.
    const double t = -camera.tilt() * pi / 180;
    const double y2 = std::cos(t) * y - std::sin(t) * z1;
    const double z2 = std::sin(t) * y + std::cos(t) * z1;
    const double f = 1 / std::tan(camera.width() * pi / 360);
    const double aspect = double(width) / height;
    Projected out;
    out.inFront = z2 < 0;
    const double ndcX = f / aspect * x1 / -z2;
    const double ndcY = f * y2 / -z2;
    out.x = (ndcX + 1) / 2 * width;
    out.y = (1 - (ndcY + 1) / 2) * height;
    return out;
}

KeyFrame CameraAt(float eastWest, float upDown, float northSouth, float pan, float tilt,
                  float angle) {
    KeyFrame k;
    k.eastWest() = eastWest;
    k.upDown() = upDown;
    k.northSouth() = northSouth;
    k.pan() = pan;
    k.tilt() = tilt;
    k.width() = angle;
    return k;
}

class RendererTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        QString error;
        monitor = OffscreenMonitor::Create(*doc, kSize, kSize, &error);
        ASSERT_TRUE(monitor) << error.toStdString();
        doc->settings().featherActors = false;
    }
    void TearDown() override {
        monitor.reset();
        doc.reset();
    }
    ShowNode& Scene() { return *doc->root().children[0]; }

    // A solid picture file of one colour.
    QString SolidPicture(const QString& name, Bgr colour, int width = 64, int height = 64) {
        Picture p;
        Fill(p, width, height, 24, [&](int, int) { return colour; });
        const QString path = dir.filePath(name);
        EXPECT_TRUE(p.Save(path, PictureWriteMode::kBmp, nullptr));
        return path;
    }
    // A red wall without a picture, 6 wide and 3 high, across z = -4.
    void AddRedWall() {
        Scene().set = std::make_unique<Set>();
        SetPanel wall;
        wall.panelColor = 0x0000FF;
        const float xs[4] = {-3, 3, 3, -3}, ys[4] = {3, 3, 0, 0};
        for (int k = 0; k < 4; ++k) {
            wall.cornerEastWest[k] = xs[k];
            wall.cornerUpDown[k] = ys[k];
            wall.cornerNorthSouth[k] = -4;
        }
        Scene().set->panels = {wall};
    }
    ShowNode& AddActor(const QString& picture, float eastWest, float northSouth, float width,
                       float height, float pan, float upDown = 0) {
        EXPECT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 300, picture));
        ShowNode& actor = *Scene().children.back();
        for (KeyFrame& k : actor.keys) {
            k.eastWest() = eastWest;
            k.northSouth() = northSouth;
            k.width() = width;
            k.height() = height;
            k.pan() = pan;
            k.upDown() = upDown;
        }
        return actor;
    }
    // Renders the frame as the given camera sees it and reads it back, top row first.
    QImage Render(const KeyFrame& camera, int frame = 0) {
        doc->UpdateViewsAtFrame(frame, false, false);
        doc->monitorCamera().pose = camera;
        FrameRenderer& r = monitor->renderer();
        r.RenderFrame(false);
        return Read();
    }
    QImage Read() {
        std::vector<uint8_t> bgra(kSize * kSize * 4);
        EXPECT_TRUE(monitor->renderer().ReadPixels(kSize, kSize, bgra.data()));
        QImage image(kSize, kSize, QImage::Format_RGB32);
        for (int y = 0; y < kSize; ++y)
            std::memcpy(image.scanLine(kSize - 1 - y), bgra.data() + y * kSize * 4, kSize * 4);
        return image;
    }
    static QRgb At(const QImage& image, const Projected& p) {
        return image.pixel(int(p.x), int(p.y));
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<OffscreenMonitor> monitor;
};

}  // namespace

// The described example: an actor at eastWest 2200, northSouth 1800, 100 wide, 200 high, turned
// by 90 degrees, spans x = 1.0, z from -1.25 to -0.75 and y from 0 to 1; a camera at the origin
// at floor height looks along -z.
TEST_F(RendererTest, ActorCardLandsWhereTheGeometrySays) {
    AddActor(SolidPicture("red.bmp", {0, 0, 255}), 2200, 1800, 100, 200, 90);
    const KeyFrame camera = CameraAt(2000, 0, 2000, 0, 0, 120);
    const QImage image = Render(camera);
    ASSERT_FALSE(image.isNull());

    // Inside the card: the middle of its span, halfway up.
    for (double z : {-0.85, -1.0, -1.15}) {
        const Projected inside = Project(camera, 1.0, 0.5, z, kSize, kSize);
        ASSERT_TRUE(inside.inFront);
        EXPECT_EQ(At(image, inside), qRgb(255, 0, 0)) << "z " << z;
    }
    // Beyond both ends and above the top edge the picture is black.
    for (auto [y, z] : {std::pair{0.5, -1.45}, std::pair{0.5, -0.6}, std::pair{1.2, -1.0}}) {
        const Projected outside = Project(camera, 1.0, y, z, kSize, kSize);
        EXPECT_EQ(At(image, outside), qRgb(0, 0, 0)) << "y " << y << " z " << z;
    }
    // The card's bottom lies at the camera's height: nothing below the horizon.
    EXPECT_EQ(image.pixel(int(Project(camera, 1.0, 0.5, -1.0, kSize, kSize).x), kSize / 2 + 5),
              qRgb(0, 0, 0));
    // The same card seen from the other side of the stage, the camera panned round to it.
    const KeyFrame side = CameraAt(1600, 100, 1800, 90, 0, 60);
    const QImage turned = Render(side);
    const Projected centre = Project(side, 1.0, 0.5, -1.0, kSize, kSize);
    ASSERT_TRUE(centre.inFront);
    EXPECT_NEAR(centre.x, kSize / 2.0, 1.0);  // panned 90 degrees, it looks straight at it
    EXPECT_EQ(At(turned, centre), qRgb(255, 0, 0));
}

TEST_F(RendererTest, BlendingStartsBelowAlphaPointNineFiveOrWithFeathering) {
    ShowNode& actor = AddActor(SolidPicture("white.bmp", {255, 255, 255}), 2000, 1600, 400, 400, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const Projected centre = Project(camera, 0, 1.0, -2.0, kSize, kSize);
    auto redAt = [&](float transparency) {
        for (KeyFrame& k : actor.keys)
            k.transparency() = transparency;
        return qRed(At(Render(camera), centre));
    };
    // Over the black clear colour a blended card is darkened by its alpha; an unblended one
    // is drawn at full strength whatever its alpha.
    EXPECT_EQ(redAt(0.04f), 255);
    EXPECT_NEAR(redAt(0.06f), 0.94 * 255, 1.5);
    EXPECT_NEAR(redAt(0.5f), 0.5 * 255, 1.5);
    doc->settings().featherActors = true;
    EXPECT_NEAR(redAt(0.04f), 0.96 * 255, 1.5);
}

TEST_F(RendererTest, SceneFadeDimsPanelsAndActors) {
    AddRedWall();
    AddActor(SolidPicture("green.bmp", {0, 255, 0}), 2000, 1600, 200, 200, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const Projected onWall = Project(camera, -2.0, 2.0, -4.0, kSize, kSize);
    const Projected onActor = Project(camera, 0, 0.8, -2.0, kSize, kSize);

    QImage image = Render(camera);
    EXPECT_EQ(At(image, onWall), qRgb(255, 0, 0));
    EXPECT_EQ(At(image, onActor), qRgb(0, 255, 0));

    for (KeyFrame& k : Scene().keys)
        k.transparency() = 0.5f;
    image = Render(camera);
    EXPECT_NEAR(qRed(At(image, onWall)), 128, 1.5);
    // The actor blends over the dimmed wall: half its green over half-red-on-black.
    const QRgb actor = At(image, onActor);
    EXPECT_NEAR(qGreen(actor), 128, 1.5);
    EXPECT_NEAR(qRed(actor), 64, 1.5);

    // "Draw Set" off: the wall goes, the actor stays.
    for (KeyFrame& k : Scene().keys)
        k.transparency() = 0;
    monitor->renderer().drawSet = false;
    image = Render(camera);
    EXPECT_EQ(At(image, onWall), qRgb(0, 0, 0));
    EXPECT_EQ(At(image, onActor), qRgb(0, 255, 0));
}

// A PNG cut-out with "Use Alpha": its transparent half shows the red wall behind it, its opaque
// half the picture.
TEST_F(RendererTest, PngCutOutShowsThePanelThroughItsTransparentPart) {
    QImage cutOut(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            cutOut.setPixel(x, y, x < 32 ? qRgba(0, 0, 255, 0) : qRgba(0, 255, 0, 255));
    const QString path = dir.filePath("cutout.png");
    ASSERT_TRUE(cutOut.save(path));
    AddRedWall();
    doc->settings().defaultKeyColor = -1;  // "Use Alpha" for the new actor
    AddActor(path, 2000, 1600, 200, 200, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const QImage image = Render(camera);
    EXPECT_EQ(At(image, Project(camera, -0.25, 0.8, -2.0, kSize, kSize)), qRgb(255, 0, 0));
    EXPECT_EQ(At(image, Project(camera, 0.25, 0.8, -2.0, kSize, kSize)), qRgb(0, 255, 0));
}

TEST_F(RendererTest, TexturedPanelShowsThePictureTopAtItsTopEdge) {
    // Top half blue, bottom half yellow (rows of a picture counted from the top here).
    Picture p;
    Fill(p, 64, 64, 24, [](int, int y) { return y < 32 ? Bgr{255, 0, 0} : Bgr{0, 255, 255}; });
    const QString path = dir.filePath("wall.bmp");
    ASSERT_TRUE(p.Save(path, PictureWriteMode::kBmp, nullptr));
    Scene().set = std::make_unique<Set>();
    SetPanel wall;
    SetBoundedText(reinterpret_cast<char(&)[kNodeTextBytes]>(wall.imagePath), path.toStdString());
    const float xs[4] = {-2, 2, 2, -2}, ys[4] = {4, 4, 0, 0};
    for (int k = 0; k < 4; ++k) {
        wall.cornerEastWest[k] = xs[k];
        wall.cornerUpDown[k] = ys[k];
        wall.cornerNorthSouth[k] = -5;
    }
    ASSERT_TRUE(doc->mediaLoader().LoadPanelPicture(*doc, wall));
    ASSERT_GE(wall.textureSlot, 0);
    Scene().set->panels = {wall};
    const KeyFrame camera = CameraAt(2000, 400, 2000, 0, 0, 60);
    const QImage image = Render(camera);
    EXPECT_EQ(At(image, Project(camera, 0, 3.5, -5, kSize, kSize)), qRgb(0, 0, 255));
    EXPECT_EQ(At(image, Project(camera, 0, 0.5, -5, kSize, kSize)), qRgb(255, 255, 0));
}

TEST_F(RendererTest, GridFloorAlternatesGreysFromTheFirstSquare) {
    monitor->renderer().drawGridFloor = true;
    const KeyFrame camera = CameraAt(2000, 1000, 2000, 0, -90, 60);  // straight down
    const QImage image = Render(camera);
    // Square (j, i) is number (i + 10) x 21 + (j + 10): (0, 0) is 220, even, grey 0.5.
    auto greyAt = [&](double x, double z) {
        return qRed(At(image, Project(camera, x, -0.05, z, kSize, kSize)));
    };
    EXPECT_NEAR(greyAt(0.5, 0.5), 0.5 * 255, 1);
    EXPECT_NEAR(greyAt(1.5, 0.5), 0.8 * 255, 1);
    EXPECT_NEAR(greyAt(0.5, 1.5), 0.8 * 255, 1);  // 241: rows have an odd length
    EXPECT_NEAR(greyAt(-0.5, -0.5), 0.5 * 255, 1);
}

TEST_F(RendererTest, RostrumTilesRunRowByRowFromTheLowestZ) {
    doc->settings().rostrumMode = true;
    ShowNode& actor = AddActor(SolidPicture("any.bmp", {9, 9, 9}), 2000, 2000, 600, 400, 0);
    // Six tiles of distinct colours at numbers 10..15, three columns and two rows.
    const std::array<QRgb, 6> colours = {qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255),
                                         qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};
    for (int i = 0; i < 6; ++i) {
        std::vector<uint8_t> texels(32 * 32 * 4);
        for (size_t t = 0; t < texels.size(); t += 4) {
            texels[t] = uint8_t(qRed(colours[i]));
            texels[t + 1] = uint8_t(qGreen(colours[i]));
            texels[t + 2] = uint8_t(qBlue(colours[i]));
            texels[t + 3] = 255;
        }
        monitor->textures().Upload(10 + i, 32, 32, texels.data(), UploadOptions{});
    }
    actor.textureSlot = 10 + 21000;
    const KeyFrame camera = CameraAt(2000, 1000, 2000, 0, -90, 60);
    const QImage image = Render(camera);
    // W = 3, H = 2: left -1.5, near -1; tile (r, c) centred at (-1 + c, 0, -0.5 + r).
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(At(image, Project(camera, -1.0 + c, 0, -0.5 + r, kSize, kSize)),
                      colours[r * 3 + c])
                << "row " << r << " column " << c;
}

TEST_F(RendererTest, NoSceneAtTheFrameLeavesThePictureAlone) {
    AddActor(SolidPicture("red.bmp", {0, 0, 255}), 2000, 1600, 400, 400, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const QImage drawn = Render(camera);
    // The scene moves away from the current frame: nothing is drawn and nothing cleared, even
    // with the camera turned round.
    Scene().startFrame = 10;
    doc->monitorCamera().pose = CameraAt(2000, 200, 2000, 180, 0, 60);
    monitor->renderer().RenderFrame(false);
    EXPECT_FALSE(monitor->renderer().drewLastFrame());
    EXPECT_EQ(Read(), drawn);
    EXPECT_TRUE(monitor->RenderImage(0).isNull());
}

TEST_F(RendererTest, MovieFramesUploadOnFirstShowAndRoundActionFrame) {
    const std::string movie = dir.filePath("clip.avi").toStdString();
    // Frame n is a flat colour with n x 20 in blue.
    ASSERT_TRUE(MakeMovie(movie, 32, 32, 10, kLossless, [](int n, int, int) {
        return Bgr{uint8_t(n * 20), 40, 60};
    }));
    ShowNode& actor = AddActor(QString::fromStdString(movie), 2000, 1600, 400, 400, 0);
    ASSERT_GE(actor.textureSlot, 1000);
    const int first = actor.textureSlot % 1000;
    TextureTable& table = monitor->media().textures();
    ASSERT_EQ(table.Name(first + 7)[0], '~');
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    for (KeyFrame& k : actor.keys) {
        k.actionFrame() = 6.5f;
        k.width() = 400;
        k.height() = 400;
    }
    const QImage image = Render(camera);
    EXPECT_EQ(table.Name(first + 7), movie + "7");
    EXPECT_EQ(table.Name(first + 6)[0], '~');
    EXPECT_EQ(actor.GetFileName(), movie);
    EXPECT_EQ(actor.textureSlot % 1000, first);
    EXPECT_EQ(At(image, Project(camera, 0, 1.0, -2, kSize, kSize)), qRgb(60, 40, 140));
    // Shown again, the frame is only bound.
    EXPECT_EQ(Render(camera), image);
}

TEST(Reticle, SizesFollowTheClientAreaAndRatio) {
    ReticleShape tv = ReticleFor(640, 480, 0.75f);
    EXPECT_EQ(tv.rect.width(), 576);
    EXPECT_EQ(tv.rect.height(), 432);
    EXPECT_EQ(tv.rect.left(), 32);
    EXPECT_EQ(tv.rect.top(), 24);
    EXPECT_EQ(tv.corner, 86);
    // Wide window: the height decides (320), then 90 %.
    tv = ReticleFor(800, 480, 0.75f);
    EXPECT_EQ(tv.rect.width(), 2 * 288);
    EXPECT_EQ(tv.rect.left(), 400 - 288);
    EXPECT_EQ(tv.rect.height(), 2 * 216);
    // Other ratios: square corners, two pixels wider on each side.
    const ReticleShape wide = ReticleFor(640, 480, 0.5625f);
    EXPECT_EQ(wide.corner, 0);
    EXPECT_EQ(wide.rect.left(), -2);
    EXPECT_EQ(wide.rect.width(), 644);
    EXPECT_EQ(wide.rect.height(), 2 * 180);
}

TEST(Reticle, PaintsBlackOverWhite) {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(qRgb(50, 50, 50));
    {
        QPainter painter(&image);
        PaintReticle(painter, ReticleFor(640, 480, 0.75f));
    }
    // The left edge at mid-height: a black line with white on either side.
    EXPECT_EQ(image.pixel(31, 240), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(32, 240), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(33, 240), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(29, 240), qRgb(50, 50, 50));
    EXPECT_EQ(image.pixel(320, 240), qRgb(50, 50, 50));
    // Rounded: the rectangle's own corner point stays clear.
    EXPECT_EQ(image.pixel(32, 24), qRgb(50, 50, 50));
}

TEST_F(RendererTest, SwapTicksAreHalfAFramePeriod) {
    doc->settings().frameRate = 2400;
    monitor->renderer().UpdateSwapTicks();
    EXPECT_EQ(monitor->renderer().swapTicks, 1000000000LL / 48);
    // Swapped frames below 50 fps keep at least that far apart.
    doc->settings().frameRate = 3000;
    monitor->renderer().UpdateSwapTicks();
    doc->UpdateViewsAtFrame(0, false, false);
    monitor->renderer().RenderFrame(true);
    const int64_t first = monitor->renderer().lastSwapTime;
    monitor->renderer().RenderFrame(true);
    EXPECT_GT(monitor->renderer().lastSwapTime - first, 1000000000LL / 60);
}
