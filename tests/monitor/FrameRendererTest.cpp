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

// Where a world point lands on the square picture, computed the way a camera pose is meant to
// project: perspective with the pose's width as vertical angle, then the tilt and pan
// rotations, then the move to the camera. Pixel y counted from the top.
struct Projected {
    double x = 0, y = 0;
    bool inFront = false;
};
Projected Project(const KeyFrame& camera, double x, double y, double z) {
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
    return {(f * x1 / -z2 + 1) / 2 * kSize, (1 - (f * y2 / -z2 + 1) / 2) * kSize, z2 < 0};
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
    // A wall of the scene's set, upright at z from x0 to x1 and y0 to y1 (corners 0 and 1 on
    // top); the set is made when the scene has none.
    SetPanel& AddWall(float x0, float x1, float y0, float y1, float z, const SetPanel& base = {}) {
        if (!Scene().set) Scene().set = std::make_unique<Set>();
        SetPanel wall = base;
        const float xs[4] = {x0, x1, x1, x0}, ys[4] = {y1, y1, y0, y0};
        for (int k = 0; k < 4; ++k) {
            wall.cornerEastWest[k] = xs[k];
            wall.cornerUpDown[k] = ys[k];
            wall.cornerNorthSouth[k] = z;
        }
        return Scene().set->AddPanel(wall);
    }

    // A solid picture file of one colour.
    QString SolidPicture(const QString& name, Bgr colour) {
        Picture p;
        Fill(p, 64, 64, 24, [&](int, int) { return colour; });
        const QString path = dir.filePath(name);
        EXPECT_TRUE(p.Save(path, PictureWriteMode::kBmp, nullptr));
        return path;
    }
    ShowNode& AddActor(const QString& picture, float eastWest, float northSouth, float width,
                       float height, float pan) {
        EXPECT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 300, StagePlace{}, picture));
        ShowNode& actor = *Scene().children.back();
        for (KeyFrame& k : actor.keys) {
            k.eastWest() = eastWest;
            k.northSouth() = northSouth;
            k.width() = width;
            k.height() = height;
            k.pan() = pan;
            k.upDown() = 0;
        }
        return actor;
    }
    // Renders frame 0 as the given camera sees it and reads it back, top row first.
    QImage Render(const KeyFrame& camera) {
        doc->UpdateViewsAtFrame(0);
        doc->monitorCamera().pose = camera;
        monitor->renderer().RenderFrame(false);
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

// An actor at eastWest 2200, northSouth 1800, 100 wide, 200 high, turned by 90 degrees, spans
// x = 1.0, z from -1.25 to -0.75 and y from 0 to 1; a camera at the origin at floor height looks
// along -z.
TEST_F(RendererTest, ActorCardLandsWhereTheGeometrySays) {
    AddActor(SolidPicture("red.bmp", {0, 0, 255}), 2200, 1800, 100, 200, 90);
    const KeyFrame camera = CameraAt(2000, 0, 2000, 0, 0, 120);
    const QImage image = Render(camera);
    ASSERT_FALSE(image.isNull());
    // Red inside the card (the middle of its span, halfway up); black beyond both ends and
    // above its top edge.
    const std::tuple<double, double, QRgb> places[] = {
        {0.5, -0.85, qRgb(255, 0, 0)}, {0.5, -1.0, qRgb(255, 0, 0)}, {0.5, -1.15, qRgb(255, 0, 0)},
        {0.5, -1.45, qRgb(0, 0, 0)},   {0.5, -0.6, qRgb(0, 0, 0)},   {1.2, -1.0, qRgb(0, 0, 0)}};
    for (const auto& [y, z, colour] : places) {
        const Projected p = Project(camera, 1.0, y, z);
        ASSERT_TRUE(p.inFront);
        EXPECT_EQ(At(image, p), colour) << "y " << y << " z " << z;
    }
    // The card's bottom lies at the camera's height: nothing below the horizon.
    EXPECT_EQ(image.pixel(int(Project(camera, 1.0, 0.5, -1.0).x), kSize / 2 + 5), qRgb(0, 0, 0));
    // The same card seen from the other side of the stage, the camera panned round to it: it
    // looks straight at it.
    const KeyFrame side = CameraAt(1600, 100, 1800, 90, 0, 60);
    const Projected centre = Project(side, 1.0, 0.5, -1.0);
    ASSERT_TRUE(centre.inFront);
    EXPECT_NEAR(centre.x, kSize / 2.0, 1.0);
    EXPECT_EQ(At(Render(side), centre), qRgb(255, 0, 0));
}

TEST_F(RendererTest, BlendingStartsBelowAlphaPointNineFiveOrWithFeathering) {
    ShowNode& actor = AddActor(SolidPicture("white.bmp", {255, 255, 255}), 2000, 1600, 400, 400, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const Projected centre = Project(camera, 0, 1.0, -2.0);
    // Over the black clear colour a blended card is darkened by its alpha; an unblended one is
    // drawn at full strength whatever its alpha.
    const std::tuple<float, bool, double> cases[] = {{0.04f, false, 255},
                                                     {0.06f, false, 0.94 * 255},
                                                     {0.5f, false, 0.5 * 255},
                                                     {0.04f, true, 0.96 * 255}};
    for (const auto& [transparency, feather, red] : cases) {
        for (KeyFrame& k : actor.keys)
            k.transparency() = transparency;
        doc->settings().featherActors = feather;
        EXPECT_NEAR(qRed(At(Render(camera), centre)), red, 1.5)
            << transparency << (feather ? " feathered" : "");
    }
}

TEST_F(RendererTest, SceneFadeDimsPanelsAndActors) {
    SetPanel red;
    red.panelColor = 0x0000FF;
    AddWall(-3, 3, 0, 3, -4, red);
    AddActor(SolidPicture("green.bmp", {0, 255, 0}), 2000, 1600, 200, 200, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const Projected onWall = Project(camera, -2.0, 2.0, -4.0);
    const Projected onActor = Project(camera, 0, 0.8, -2.0);
    auto fade = [&](float f) {
        for (KeyFrame& k : Scene().keys)
            k.transparency() = f;
        return Render(camera);
    };
    QImage image = fade(0);
    EXPECT_EQ(At(image, onWall), qRgb(255, 0, 0));
    EXPECT_EQ(At(image, onActor), qRgb(0, 255, 0));
    // Half faded: the wall at half red; the actor blends half its green over the dimmed wall.
    image = fade(0.5f);
    EXPECT_NEAR(qRed(At(image, onWall)), 128, 1.5);
    EXPECT_NEAR(qGreen(At(image, onActor)), 128, 1.5);
    EXPECT_NEAR(qRed(At(image, onActor)), 64, 1.5);
    // "Draw Set" off: the wall goes, the actor stays.
    monitor->renderer().drawSet = false;
    image = fade(0);
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
    SetPanel red;
    red.panelColor = 0x0000FF;
    AddWall(-3, 3, 0, 3, -4, red);
    doc->settings().defaultKeyColor = -1;  // "Use Alpha" for the new actor
    AddActor(path, 2000, 1600, 200, 200, 0);
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    const QImage image = Render(camera);
    EXPECT_EQ(At(image, Project(camera, -0.25, 0.8, -2.0)), qRgb(255, 0, 0));
    EXPECT_EQ(At(image, Project(camera, 0.25, 0.8, -2.0)), qRgb(0, 255, 0));
}

TEST_F(RendererTest, TexturedPanelShowsThePictureTopAtItsTopEdge) {
    // Top half blue, bottom half yellow (rows of a picture counted from the top here).
    Picture p;
    Fill(p, 64, 64, 24, [](int, int y) { return y < 32 ? Bgr{255, 0, 0} : Bgr{0, 255, 255}; });
    const QString path = dir.filePath("wall.bmp");
    ASSERT_TRUE(p.Save(path, PictureWriteMode::kBmp, nullptr));
    SetPanel& wall = AddWall(-2, 2, 0, 4, -5);
    SetBoundedText(reinterpret_cast<char(&)[kNodeTextBytes]>(wall.imagePath), path.toStdString());
    ASSERT_TRUE(doc->mediaLoader().LoadPanelPicture(*doc, wall));
    ASSERT_GE(wall.textureSlot, 0);
    const KeyFrame camera = CameraAt(2000, 400, 2000, 0, 0, 60);
    const QImage image = Render(camera);
    EXPECT_EQ(At(image, Project(camera, 0, 3.5, -5)), qRgb(0, 0, 255));
    EXPECT_EQ(At(image, Project(camera, 0, 0.5, -5)), qRgb(255, 255, 0));
}

TEST_F(RendererTest, GridFloorAlternatesGreysFromTheFirstSquare) {
    monitor->renderer().drawGridFloor = true;
    const KeyFrame camera = CameraAt(2000, 1000, 2000, 0, -90, 60);  // straight down
    const QImage image = Render(camera);
    // Square (j, i) is number (i + 10) x 21 + (j + 10): (0, 0) is 220, even, grey 0.5; (0, 1)
    // is 241 since rows have an odd length.
    const std::tuple<double, double, double> squares[] = {
        {0.5, 0.5, 0.5}, {1.5, 0.5, 0.8}, {0.5, 1.5, 0.8}, {-0.5, -0.5, 0.5}};
    for (const auto& [x, z, grey] : squares)
        EXPECT_NEAR(qRed(At(image, Project(camera, x, -0.05, z))), grey * 255, 1) << x << ", " << z;
}

TEST_F(RendererTest, RostrumTilesRunRowByRowFromTheLowestZ) {
    doc->settings().rostrumMode = true;
    ShowNode& actor = AddActor(SolidPicture("any.bmp", {9, 9, 9}), 2000, 2000, 600, 400, 0);
    // Six tiles of distinct colours at numbers 10..15, three columns and two rows.
    const std::array<QRgb, 6> colours = {qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(0, 0, 255),
                                         qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(255, 0, 255)};
    for (int i = 0; i < 6; ++i) {
        std::vector<uint8_t> texels;
        for (int t = 0; t < 32 * 32; ++t)
            texels.insert(texels.end(), {uint8_t(qRed(colours[i])), uint8_t(qGreen(colours[i])),
                                         uint8_t(qBlue(colours[i])), 255});
        monitor->textures().Upload(10 + i, 32, 32, texels.data(), UploadOptions{});
    }
    actor.textureSlot = 10 + 21000;
    const KeyFrame camera = CameraAt(2000, 1000, 2000, 0, -90, 60);
    const QImage image = Render(camera);
    // W = 3, H = 2: left -1.5, near -1; tile (r, c) centred at (-1 + c, 0, -0.5 + r).
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(At(image, Project(camera, -1.0 + c, 0, -0.5 + r)), colours[r * 3 + c])
                << "row " << r << " column " << c;
}

TEST_F(RendererTest, NoSceneAtTheFrameLeavesThePictureAlone) {
    AddActor(SolidPicture("red.bmp", {0, 0, 255}), 2000, 1600, 400, 400, 0);
    const QImage drawn = Render(CameraAt(2000, 200, 2000, 0, 0, 60));
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
    for (KeyFrame& k : actor.keys)
        k.actionFrame() = 6.5f;
    const KeyFrame camera = CameraAt(2000, 200, 2000, 0, 0, 60);
    // Action frame 6.5 shows frame 7, uploaded now under its own name; frame 6 is not.
    const QImage image = Render(camera);
    EXPECT_EQ(table.Name(first + 7), movie + "7");
    EXPECT_EQ(table.Name(first + 6)[0], '~');
    EXPECT_EQ(actor.GetFileName(), movie);
    EXPECT_EQ(actor.textureSlot % 1000, first);
    EXPECT_EQ(At(image, Project(camera, 0, 1.0, -2)), qRgb(60, 40, 140));
    // Shown again, the frame is only bound.
    EXPECT_EQ(Render(camera), image);
}

TEST(Reticle, SizesFollowTheClientAreaAndRatio) {
    // "TV Safe" on 640 x 480: 576 x 432 with corners of 86. On 800 x 480 the half width comes
    // from the height (320), then 90 % (288). Other ratios: square corners, two pixels wider
    // on each side.
    const std::tuple<int, int, float, QRect, int> cases[] = {
        {640, 480, 0.75f, QRect(32, 24, 576, 432), 86},
        {800, 480, 0.75f, QRect(400 - 288, 240 - 216, 576, 432), 86},
        {640, 480, 0.5625f, QRect(-2, 240 - 180, 644, 360), 0},
    };
    for (const auto& [width, height, ratio, rect, corner] : cases) {
        const ReticleShape shape = ReticleFor(width, height, ratio);
        EXPECT_EQ(shape.rect, rect) << width << " x " << height << " at " << ratio;
        EXPECT_EQ(shape.corner, corner) << width << " x " << height << " at " << ratio;
    }
}

TEST(Reticle, PaintsBlackOverWhite) {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(qRgb(50, 50, 50));
    {
        QPainter painter(&image);
        PaintReticle(painter, ReticleFor(640, 480, 0.75f));
    }
    // The left edge at mid-height: a black line with white on either side; rounded, so the
    // rectangle's own corner point stays clear.
    const std::tuple<int, int, QRgb> pixels[] = {
        {31, 240, qRgb(255, 255, 255)}, {32, 240, qRgb(0, 0, 0)},
        {33, 240, qRgb(255, 255, 255)}, {29, 240, qRgb(50, 50, 50)},
        {320, 240, qRgb(50, 50, 50)},   {32, 24, qRgb(50, 50, 50)}};
    for (const auto& [x, y, colour] : pixels)
        EXPECT_EQ(image.pixel(x, y), colour) << x << ", " << y;
}

TEST_F(RendererTest, SwapsArePacedOnAScreenButNotOffscreen) {
    doc->settings().frameRate = 2400;
    monitor->renderer().UpdateSwapTicks();
    EXPECT_EQ(monitor->renderer().swapTicks, 1000000000LL / 48);
    doc->settings().frameRate = 3000;
    doc->UpdateViewsAtFrame(0);
    // On a surface someone watches, swapped frames below 50 fps keep half a frame apart.
    struct Screen final : MonitorSurface {
        explicit Screen(QSize s) : size(s) {}
        QSize ClientSize() const override { return size; }
        void SwapBuffers() override {}
        QSize size;
    } screen(monitor->context().ClientSize());
    FrameRenderer paced(*doc, monitor->media(), monitor->textures(), screen);
    paced.UpdateSwapTicks();
    paced.RenderFrame(true);
    const int64_t first = paced.lastSwapTime;
    paced.RenderFrame(true);
    EXPECT_GT(paced.lastSwapTime - first, 1000000000LL / 60);
    EXPECT_GT(paced.pacedNanoseconds, 0);
    // Offscreen nothing is watched: 30 swapped frames at 30 fps wait for nothing.
    FrameRenderer& offscreen = monitor->renderer();
    offscreen.UpdateSwapTicks();
    for (int frame = 0; frame < 30; ++frame) {
        doc->UpdateViewsAtFrame(frame);
        offscreen.RenderFrame(true);
    }
    EXPECT_LT(offscreen.pacedNanoseconds, 1000000000LL / 60);
}
