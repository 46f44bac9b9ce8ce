// The stage plan drawn into images on the offscreen platform: pixels at places worked out here
// from the plan's geometry (grid every 24 pixels, panel edges, actor cards at their pan, camera
// sight lines at its angles, rostrum rectangles), the zoom steps and their limits with the
// scroll size and the profile, the read-out texts and the position line, the start-up picture
// and broken input (a zero or negative zoom in the profile, wild channel values).
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <cmath>
#include <limits>

#include "../model/ScriptedHost.h"
#include "../pictures/PictureTestUtil.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "pictures/PictureMedia.h"
#include "stage/StageGeometry.h"
#include "stage/StagePlanPainter.h"
#include "stage/StageReadout.h"
#include "stage/StageView.h"
#include "stage/StartupPicture.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

const QColor kGrey(192, 192, 192);
const QColor kGridGrey(160, 160, 160);
const QColor kWhite(255, 255, 255);
const QColor kBlack(0, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kCyan(0, 255, 255);
const QColor kBlue(0, 0, 255);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// True when the colour is at (x, y) or a pixel next to it: a rotated line's pixels may fall one
// pixel either side of the exact point.
bool Near(const QImage& image, int x, int y, QColor colour, int radius = 1) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (image.rect().contains(x + dx, y + dy) && At(image, x + dx, y + dy) == colour)
                return true;
    return false;
}

// The plan's grey or one of its grid lines.
bool Background(QColor c) {
    return c == kGrey || c == kGridGrey;
}

int CountColour(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.rect().contains(x, y) && At(image, x, y) == colour) ++n;
    return n;
}

// A point at distance d straight above (x, y), turned by the angle (degrees, clockwise on the
// screen), as the plan turns its shapes.
QPoint Turned(int x, int y, double d, double degrees) {
    const double a = degrees * std::acos(-1.0) / 180.0;
    return QPoint(int(std::lround(x + d * std::sin(a))), int(std::lround(y - d * std::cos(a))));
}

class StageViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
    }
    void TearDown() override {
        view.reset();
        doc.reset();
    }

    // The document with one new scene and its view, shown and painted once (the first paint
    // places the camera).
    void Make(QSize size = QSize(640, 640), bool startup = false, int bits = 32,
              bool pictureMode = false) {
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        view = std::make_unique<StageView>(*doc);
        view->SetStartupPictureEnabled(startup);
        view->SetPictureMode(pictureMode);
        view->resize(size);
        view->InitialUpdate();
        view->SetBitsPerPixel(bits);
        view->SetMaxTextureSize(4096);
        view->show();
        QApplication::processEvents();
        Render();
        // The first paint opens the plan on the middle of the stage; the drawing tests look
        // at it from the plan's corner.
        firstScroll = view->scrollPosition();
        ScrollTo(0, 0);
    }
    QPoint firstScroll;
    ShowNode& Scene() { return *doc->root().children[0]; }
    ShowNode& Camera() { return *Scene().children[0]; }

    QImage Render() {
        QImage image(view->viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        view->viewport()->render(&image);
        return image;
    }
    void ScrollTo(int x, int y) {
        view->horizontalScrollBar()->setValue(x);
        view->verticalScrollBar()->setValue(y);
    }
    // Poses for frame 0, then the camera moved far off the part of the plan tests look at.
    void Evaluate() {
        doc->UpdateViewsAtFrame(0);
        ParkCamera();
    }
    // Above and left of the plan: every line of the symbol runs away from the plan.
    void ParkCamera() {
        doc->monitorCamera().pose.eastWest() = -2000;
        doc->monitorCamera().pose.northSouth() = -2000;
    }
    ShowNode& AddActor(float eastWest, float northSouth, float width, float pan,
                       bool selected = false) {
        EXPECT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 300, StagePlace{}));
        ShowNode& actor = *Scene().children.back();
        KeyFrame& k = actor.keys[0];
        k.eastWest() = eastWest;
        k.northSouth() = northSouth;
        k.width() = width;
        k.pan() = pan;
        actor.setSelected(selected);
        return actor;
    }
    SetPanel& AddPanel(float x0, float z0, float x1, float z1, bool wall, bool selected) {
        if (!Scene().set) Scene().set = std::make_unique<Set>();
        SetPanel p;
        // Corners 0..3 around the rectangle, as "Add Floor Panel" orders them.
        const float xs[4] = {x0, x1, x1, x0};
        const float zs[4] = {z0, z0, z1, z1};
        for (int i = 0; i < 4; ++i) {
            p.cornerEastWest[i] = xs[i];
            p.cornerNorthSouth[i] = zs[i];
            p.cornerUpDown[i] = wall && i < 2 ? 0.48f : 0.0f;
        }
        p.selected = selected ? 1 : 0;
        return Scene().set->AddPanel(p);
    }
    void SetCameraPose(float eastWest, float northSouth, float upDown, float lens, float pan,
                       float tilt) {
        KeyFrame& k = doc->monitorCamera().pose;
        k.eastWest() = eastWest;
        k.northSouth() = northSouth;
        k.upDown() = upDown;
        k.width() = lens;
        k.pan() = pan;
        k.tilt() = tilt;
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<StageView> view;
};

}  // namespace

// --- arithmetic of the plan ---

TEST(StageGeometry, ScaleStepsAndLimits) {
    // Enlarge from the smallest zoom walks every value the plan can take, then stays at 4.0.
    const float up[] = {0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, 4.0f};
    float s = 0.25f;
    for (float expected : up)
        EXPECT_FLOAT_EQ(s = stage::EnlargeScale(s), expected);
    const float down[] = {3.5f, 3.0f, 2.5f, 2.0f, 1.5f, 1.0f, 0.75f, 0.5f, 0.25f, 0.25f};
    for (float expected : down)
        EXPECT_FLOAT_EQ(s = stage::ShrinkScale(s), expected);

    EXPECT_EQ(stage::PlanSize(0.25f), 1000);
    EXPECT_EQ(stage::PlanSize(4.0f), 16000);
    EXPECT_EQ(stage::ScaleToProfile(0.75f), 750);
    EXPECT_FLOAT_EQ(stage::ScaleFromProfile(1500), 1.5f);
    // Damaged profile values still give a zoom the plan can use.
    EXPECT_FLOAT_EQ(stage::ScaleFromProfile(0), 0.25f);
    EXPECT_FLOAT_EQ(stage::ScaleFromProfile(-2000), 0.25f);
    EXPECT_FLOAT_EQ(stage::ScaleFromProfile(100000), 4.0f);
    EXPECT_FLOAT_EQ(stage::ClampScale(std::numeric_limits<float>::quiet_NaN()), 0.25f);
}

TEST(StageGeometry, CoordinatesTruncateTowardZero) {
    // A quarter turn clockwise on the screen; half a turn lands at -9.49..., truncated to -9.
    EXPECT_EQ(stage::RotatePoint({10, 0}, 90, {0, 0}), QPoint(0, 10));
    EXPECT_EQ(stage::RotatePoint({0, -10}, 90, {0, 0}), QPoint(10, 0));
    EXPECT_EQ(stage::RotatePoint({10, 0}, 180, {0, 0}), QPoint(-9, 0));
    EXPECT_EQ(stage::RotatePoint({105, 50}, 180, {100, 50}), QPoint(96, 50));

    // Set unit (1, -1) is stage (2200, 1800).
    EXPECT_EQ(stage::SetToPlan(1, -1, 1.0f), QPoint(2200, 1800));
    EXPECT_EQ(stage::SetToPlan(1, -1, 0.5f), QPoint(1100, 900));
    EXPECT_EQ(stage::StageToPlan(333.9, 100.5, 0.75f), QPoint(250, 75));
    EXPECT_EQ(stage::ClientToStage({100, 50}, {300, 200}, 2.0f), QPointF(200, 125));

    // Narrow actors are drawn 32 pixels wide.
    EXPECT_EQ(stage::ActorHalfWidth(33, 1.0f), 16);
    EXPECT_EQ(stage::ActorHalfWidth(34, 1.0f), 17);
    EXPECT_EQ(stage::ActorHalfWidth(100, 0.25f), 16);
    EXPECT_EQ(stage::ActorHalfWidth(100, 2.0f), 100);

    // Rostrum footprint: 200 x tan(12.5 degrees) = 44.3 -> 44; / 0.75 -> 58; x 0.75 -> 43.
    KeyFrame camera;
    camera.upDown() = 200;
    camera.width() = 25;
    const auto f = stage::MakeCameraFootprint({0, 0}, camera, 1.0f, 0.75f);
    EXPECT_EQ(f.a, 58);
    EXPECT_EQ(f.b, 43);
}

TEST(StageReadoutText, GridSquareAndPositionLine) {
    EXPECT_EQ(GridSquareText(1.0f, false, false), "24\"");
    EXPECT_EQ(GridSquareText(4.0f, false, false), "6\"");
    EXPECT_EQ(GridSquareText(0.25f, false, false), "96\"");
    EXPECT_EQ(GridSquareText(0.75f, true, false), "33cm");
    EXPECT_EQ(GridSquareText(1.0f, true, false), "25cm");
    EXPECT_EQ(GridSquareText(0.75f, false, true), "75%");

    // 2 x 60 x tan(12.5 degrees) / 0.75 = 35.47: 35 inches of floor in view.
    KeyFrame camera;
    camera.eastWest() = 2000;
    camera.northSouth() = 1500.7f;
    camera.upDown() = 60;
    camera.width() = 25;
    EXPECT_EQ(PositionText(camera, 0.75f), "EW 2000  NS 1500  Wid 35  ");
    camera.eastWest() = 12;
    camera.northSouth() = -3;
    EXPECT_EQ(PositionText(camera, 0.75f), "EW 12    NS -3    Wid 35  ");
}

TEST(StageReadoutText, LinesFromTheTopDown) {
    ReadoutValues v;
    v.values.eastWest() = 1234.9f;
    v.values.northSouth() = 567;
    v.values.upDown() = 60;
    v.values.pan() = -45.5f;
    v.values.tilt() = 10;
    v.values.width() = 25;
    v.cameraNumber = 3;
    const auto lines = ReadoutLines(v);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0].text, "STAGE");
    EXPECT_EQ(lines[0].colour, kBlue);
    EXPECT_EQ(lines[1].top, 7);
    EXPECT_EQ(lines[1].text, "24\"");
    const char* labels[] = {"EW", "NS", "UD", "Pan", "Tilt", "Wid", "Cam"};
    const char* values[] = {"1234", "567", "60", "-45", "10", "25", "3"};
    for (int i = 0; i < 7; ++i) {
        const ReadoutLine& label = lines[2 + 2 * i];
        const ReadoutLine& value = lines[3 + 2 * i];
        EXPECT_EQ(label.top, 20 + 17 * i);
        EXPECT_EQ(label.text, labels[i]);
        EXPECT_EQ(label.colour, kBlack);
        EXPECT_EQ(value.top, 27 + 17 * i);
        EXPECT_EQ(value.text, values[i]);
        EXPECT_EQ(value.colour, kBlue);
    }
    v.rostrumMode = true;
    v.scale = 2.0f;
    const auto rostrum = ReadoutLines(v);
    EXPECT_EQ(rostrum.size(), 14u);  // no camera number
    EXPECT_EQ(rostrum[1].text, "200%");
}

TEST(StageReadoutText, PanelPaintsCentredTextOnGrey) {
    StageReadout panel;
    panel.resize(60, 140);
    ReadoutValues v;
    v.values.eastWest() = 8888;
    panel.SetValues(v);
    QImage image(panel.size(), QImage::Format_RGB32);
    panel.render(&image);
    EXPECT_EQ(At(image, 0, 139), kGrey);
    EXPECT_EQ(At(image, 59, 0), kGrey);
    // "STAGE" in blue in the first 9 rows, centred on the middle; the "EW" label in black.
    int left = 60, right = -1;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 60; ++x)
            if (At(image, x, y) == kBlue) left = std::min(left, x), right = std::max(right, x);
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right) / 2.0, 30, 2.5);
    EXPECT_GT(CountColour(image, QRect(0, 20, 60, 9), kBlack), 0);
    EXPECT_GT(CountColour(image, QRect(0, 27, 60, 9), kBlue), 0);
}

// --- the plan in the view ---

TEST_F(StageViewTest, GridEvery24PixelsFollowsTheScrollNotTheScale) {
    Make();
    ParkCamera();
    QImage image = Render();
    EXPECT_EQ(At(image, 24, 5), kGridGrey);
    EXPECT_EQ(At(image, 48, 100), kGridGrey);
    EXPECT_EQ(At(image, 5, 24), kGridGrey);
    EXPECT_EQ(At(image, 23, 5), kGrey);
    EXPECT_EQ(At(image, 25, 5), kGrey);
    EXPECT_EQ(At(image, 0, 0), kGrey);  // no line at the plan's edge

    // Scrolled by (10, 30): plan lines 24 and 48 show at client 14 and 18.
    ScrollTo(10, 30);
    image = Render();
    EXPECT_EQ(At(image, 14, 5), kGridGrey);
    EXPECT_EQ(At(image, 5, 18), kGridGrey);
    EXPECT_EQ(At(image, 24, 5), kGrey);

    // At 4.0 the lines keep their 24 pixels.
    for (int i = 0; i < 6; ++i)
        view->EnlargeStage();
    EXPECT_FLOAT_EQ(view->scale(), 4.0f);
    ScrollTo(0, 0);
    ParkCamera();
    image = Render();
    EXPECT_EQ(At(image, 72, 3), kGridGrey);
    EXPECT_EQ(At(image, 60, 3), kGrey);
}

TEST_F(StageViewTest, ZoomStepsSizeTheScrollAreaAndPersist) {
    Make();
    const QSize client = view->viewport()->size();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 4000 - client.width());
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 4000 - client.height());

    int labelRedraws = 0;
    QObject::connect(view.get(), &StageView::ScaleLabelRedrawRequested, [&] { ++labelRedraws; });
    view->ShrinkStage();
    EXPECT_FLOAT_EQ(view->scale(), 0.75f);
    view->EnlargeStage();
    EXPECT_FLOAT_EQ(view->scale(), 1.0f);
    view->EnlargeStage();
    EXPECT_FLOAT_EQ(view->scale(), 1.5f);
    EXPECT_EQ(labelRedraws, 3);
    EXPECT_EQ(view->planSize(), 6000);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 6000 - client.width());
    EXPECT_EQ(profile->GetInt("Stage", "Scale", 0), 1500);
    EXPECT_FLOAT_EQ(doc->monitorCamera().scale, 1.5f);

    for (int i = 0; i < 8; ++i)
        view->ShrinkStage();
    EXPECT_FLOAT_EQ(view->scale(), 0.25f);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 1000 - client.width());
    EXPECT_EQ(profile->GetInt("Stage", "Scale", 0), 250);

    // The next view starts at the remembered zoom.
    view.reset();
    Make();
    EXPECT_FLOAT_EQ(view->scale(), 0.25f);
}

TEST_F(StageViewTest, BrokenProfileZoomStillGivesAPlan) {
    for (int stored : {0, -750}) {
        profile->WriteInt("Stage", "Scale", stored);
        Make(QSize(1120, 700));
        EXPECT_FLOAT_EQ(view->scale(), 0.25f);
        EXPECT_EQ(view->planSize(), 1000);
        // An actor at stage (2000, 2000) lands at pixel (500, 500) of the quarter-size plan.
        AddActor(2000, 1000, 40, 0);
        Evaluate();
        const QImage image = Render();
        EXPECT_EQ(At(image, 984, 10), kGridGrey);  // the last line inside the plan
        EXPECT_EQ(At(image, 999, 10), kGrey);
        EXPECT_EQ(At(image, 1000, 10), kWhite);  // beyond the plan's edge
        EXPECT_EQ(At(image, 500, 250 + 8), kCyan);
        view.reset();
        doc.reset();
    }
}

TEST_F(StageViewTest, PanelsFloorsWallsAndSelection) {
    Make();
    // A floor from set (-1, -1) to (1, 1): stage 1800..2200, client 100..500 when scrolled to
    // 1700. A wall along set z = 1.5 (client 600), x from -0.5 to 0.5 (client 200..400).
    AddPanel(-1, -1, 1, 1, false, false);
    Evaluate();
    ScrollTo(1700, 1700);
    QImage image = Render();
    // Black centre line with a white rim on each side, on all four edges.
    EXPECT_EQ(At(image, 300, 100), kBlack);
    EXPECT_EQ(At(image, 300, 99), kWhite);
    EXPECT_EQ(At(image, 300, 101), kWhite);
    EXPECT_EQ(At(image, 500, 300), kBlack);
    EXPECT_EQ(At(image, 300, 500), kBlack);
    EXPECT_EQ(At(image, 100, 300), kBlack);
    EXPECT_EQ(At(image, 300, 103), kGrey);
    // The handle at the middle of the corner 0 to corner 2 diagonal: a ring around (300, 300).
    EXPECT_EQ(At(image, 300, 300), kGrey);
    EXPECT_GT(CountColour(image, QRect(294, 294, 13, 13), kBlack), 8);
    EXPECT_GT(CountColour(image, QRect(294, 294, 13, 13), kWhite), 8);

    Scene().set->panels[0].selected = 1;
    image = Render();
    EXPECT_EQ(At(image, 300, 99), kYellow);
    EXPECT_EQ(At(image, 300, 100), kBlack);
    EXPECT_GT(CountColour(image, QRect(294, 294, 13, 13), kYellow), 8);

    // A wall (corners 0 and 3 at different heights) is one line, corner 0 to corner 1.
    Scene().set->panels.clear();
    AddPanel(-1, -1, 1, 1, true, false);
    image = Render();
    EXPECT_EQ(At(image, 300, 100), kBlack);
    EXPECT_TRUE(Background(At(image, 500, 300)));
    EXPECT_TRUE(Background(At(image, 300, 500)));
    EXPECT_TRUE(Background(At(image, 100, 310)));

    // Only corners 0 and 3 decide: a tiny difference there makes a wall, while corners 1 and 2
    // may differ from them on a floor.
    Scene().set->panels[0].cornerUpDown[0] = 0.0f;
    Scene().set->panels[0].cornerUpDown[3] = 0.001f;
    EXPECT_TRUE(Background(At(Render(), 500, 300)));
    Scene().set->panels[0].cornerUpDown[1] = 0.3f;
    Scene().set->panels[0].cornerUpDown[2] = 0.3f;
    Scene().set->panels[0].cornerUpDown[3] = 0.0f;
    image = Render();
    EXPECT_EQ(At(image, 500, 300), kBlack);
    EXPECT_EQ(At(image, 300, 500), kBlack);
}

TEST_F(StageViewTest, ActorCardsFaceTheirPan) {
    Make();
    // Half-width 50 at scale 1: card from (cx - 50, cy) over (cx, cy - 16) to (cx + 50, cy),
    // facing line to (cx, cy + 50) at pan 0.
    ShowNode& actor = AddActor(300, 300, 100, 0);
    Evaluate();
    QImage image = Render();
    EXPECT_EQ(At(image, 300, 300 - 8), kCyan);  // inside the card
    EXPECT_EQ(At(image, 260, 300), kCyan);      // along its base
    EXPECT_EQ(At(image, 300, 325), kCyan);      // facing down the screen
    EXPECT_EQ(At(image, 300, 275), kGrey);      // nothing behind it
    EXPECT_EQ(At(image, 247, 300), kGrey);      // the card ends at cx - 50

    actor.keys[0].pan() = 180;
    Evaluate();
    image = Render();
    EXPECT_EQ(At(image, 300, 275), kCyan);
    EXPECT_EQ(At(image, 300, 325), kGrey);

    // A quarter turn: facing towards -x, the card standing along x = cx.
    actor.keys[0].pan() = 90;
    Evaluate();
    image = Render();
    EXPECT_EQ(At(image, 275, 300), kCyan);
    EXPECT_EQ(At(image, 325, 300), kGrey);
    EXPECT_EQ(At(image, 305, 300), kCyan);  // inside the card, now on the +x side

    // Selected: blue.
    actor.setSelected(true);
    image = Render();
    EXPECT_EQ(At(image, 275, 300), kBlue);
}

TEST_F(StageViewTest, NarrowAndOutOfRangeActors) {
    Make();
    AddActor(300, 200, 10, 0);  // 5 pixels wide on the stage, drawn 32 wide
    ShowNode& late = AddActor(300, 400, 100, 0);
    ASSERT_TRUE(late.SetRange(100, 300, RangeValues::kAbsolute));
    Evaluate();
    ASSERT_EQ(late.pose.act, 0xFFFF);
    const QImage image = Render();
    EXPECT_EQ(At(image, 285, 200), kCyan);
    EXPECT_EQ(At(image, 315, 200), kCyan);
    EXPECT_EQ(At(image, 282, 200), kGrey);
    EXPECT_EQ(At(image, 318, 200), kGrey);
    // The actor whose range starts at frame 100 is not drawn at frame 0.
    EXPECT_EQ(CountColour(image, QRect(240, 370, 120, 90), kCyan), 0);
    EXPECT_EQ(CountColour(image, QRect(240, 370, 120, 90), kBlue), 0);
}

TEST_F(StageViewTest, CameraSightLinesAtItsAngles) {
    Make();
    Evaluate();
    SetCameraPose(300, 300, 60, 30, 0, 0);
    QImage image = Render();
    // The centre line straight up from (300, 283), the field of view at -15 and +15 degrees.
    EXPECT_EQ(At(image, 300, 150), kYellow);
    EXPECT_EQ(At(image, 300, 10), kYellow);
    for (double angle : {-15.0, 15.0}) {
        const QPoint p = Turned(300, 300, 160, angle);
        EXPECT_TRUE(Near(image, p.x(), p.y(), kYellow)) << angle;
    }
    EXPECT_FALSE(
        Near(image, Turned(300, 300, 160, 25).x(), Turned(300, 300, 160, 25).y(), kYellow));

    // Turned a quarter: looking along +x, the field of view 15 degrees either side of it.
    SetCameraPose(300, 300, 60, 30, 90, 0);
    image = Render();
    EXPECT_EQ(At(image, 450, 300), kYellow);
    EXPECT_EQ(At(image, 300, 150), kGrey);
    const QPoint edge = Turned(300, 300, 160, 105);
    EXPECT_TRUE(Near(image, edge.x(), edge.y(), kYellow));
}

TEST_F(StageViewTest, CameraStalkHeightBarAndMetricUnits) {
    Make();
    Evaluate();
    // Tilt 90 turns the stalk to -x, out of the height bar's way.
    SetCameraPose(300, 200, 60, 30, 0, 90);
    QImage image = Render();
    EXPECT_EQ(At(image, 270, 200), kYellow);  // the stalk
    EXPECT_EQ(At(image, 300, 250), kYellow);  // the height bar, 60 pixels long
    // The box under the bar: 11 wide (x 295..305) from y 260, 12 high.
    EXPECT_EQ(At(image, 295, 266), kYellow);
    EXPECT_EQ(At(image, 305, 266), kYellow);
    EXPECT_EQ(At(image, 293, 266), kGrey);
    EXPECT_EQ(At(image, 307, 266), kGrey);
    EXPECT_EQ(At(image, 300, 290), kGrey);

    // In centimetres the bar is half the height: 120 draws as 60.
    doc->settings().units = 1;
    SetCameraPose(300, 200, 120, 30, 0, 90);
    image = Render();
    EXPECT_EQ(At(image, 295, 266), kYellow);
    doc->settings().units = 0;
    image = Render();
    EXPECT_EQ(At(image, 295, 266), kGrey);
    EXPECT_EQ(At(image, 295, 326), kYellow);
}

TEST_F(StageViewTest, CameraPathInItsColourAndTheToggle) {
    Make();
    // Two camera keys 16 frames apart, (100, 300) to (400, 300): the path runs along y 300.
    ShowNode& camera = Camera();
    camera.keys[0].eastWest() = 100;
    camera.keys[0].northSouth() = 300;
    KeyFrame second = camera.keys[0];
    second.frame = 16;
    second.eastWest() = 400;
    ASSERT_TRUE(camera.AddKey(second, 0));
    doc->UpdateViewsAtFrame(0);

    QImage image = Render();
    EXPECT_EQ(At(image, 250, 300), kGrey);  // -1: no path

    int asked = 0;
    std::optional<QColor> answer = kRed;
    view->SetColourChooser([&](QWidget*) {
        ++asked;
        return answer;
    });
    view->ToggleCameraPath();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(view->cameraPathColour(), 0x0000FF);
    EXPECT_EQ(profile->GetInt("Stage", "ShowCameraPath", 7), 0x0000FF);
    image = Render();
    EXPECT_EQ(At(image, 250, 300), kRed);
    EXPECT_EQ(At(image, 390, 300), kRed);
    EXPECT_EQ(At(image, 250, 303), kGrey);

    view->ToggleCameraPath();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(profile->GetInt("Stage", "ShowCameraPath", 7), -1);
    EXPECT_EQ(At(Render(), 250, 300), kGrey);

    // A cancelled colour dialog gives a black path.
    answer.reset();
    view->ToggleCameraPath();
    EXPECT_EQ(view->cameraPathColour(), 0);
    EXPECT_EQ(At(Render(), 250, 300), kBlack);
}

TEST_F(StageViewTest, RostrumActorsAndCameraFootprint) {
    Make();
    doc->settings().rostrumMode = true;
    ShowNode& actor = AddActor(300, 150, 100, 0);
    actor.aspect = 0.5f;
    auto media = std::make_shared<PictureMedia>();
    Fill(media->picture, 8, 4, 24, [](int, int) { return Bgr{0, 255, 0}; });
    actor.media = media;
    Evaluate();
    SetCameraPose(300, 400, 200, 25, 0, -90);
    const QImage image = Render();
    // The picture fills (250..349, 125..174), outlined in cyan.
    EXPECT_EQ(At(image, 300, 150), kGreen);
    EXPECT_EQ(At(image, 252, 127), kGreen);
    EXPECT_EQ(At(image, 250, 150), kCyan);
    EXPECT_EQ(At(image, 349, 150), kCyan);
    EXPECT_EQ(At(image, 300, 125), kCyan);
    EXPECT_EQ(At(image, 300, 174), kCyan);
    EXPECT_EQ(At(image, 248, 150), kGrey);
    EXPECT_EQ(At(image, 300, 177), kGrey);

    // The camera's view of the floor: (cx +/- 58, cy +/- 43) turned by pan 0, black on a yellow
    // rim. Turning adds 0.5 and truncates toward zero, so the corners on the negative side
    // land one pixel in: -43 becomes -42 and -58 becomes -57.
    EXPECT_EQ(At(image, 280, 400 - 42), kBlack);
    EXPECT_EQ(At(image, 280, 400 - 43), kYellow);
    EXPECT_EQ(At(image, 280, 400 - 41), kYellow);
    EXPECT_EQ(At(image, 300 + 58, 420), kBlack);
    EXPECT_EQ(At(image, 300 - 57, 420), kBlack);
    EXPECT_EQ(At(image, 280, 400 + 43), kBlack);
    EXPECT_TRUE(Background(At(image, 280, 400 - 50)));
    // Cross hair of half-length 58 / 8 = 7.
    EXPECT_EQ(At(image, 305, 400), kBlack);
    EXPECT_EQ(At(image, 300, 395), kBlack);
    EXPECT_EQ(At(image, 300, 380), kGrey);

    // A picture loaded again is a new media object: the plan shows the new one.
    auto red = std::make_shared<PictureMedia>();
    Fill(red->picture, 8, 4, 24, [](int, int) { return Bgr{0, 0, 255}; });
    actor.media = red;
    media.reset();
    EXPECT_EQ(At(Render(), 300, 150), kRed);
    // Artwork larger than the plan keeps of it still fills the actor's rectangle: a picture of
    // 4096 x 64 with its left half green and right half red.
    auto wide = std::make_shared<PictureMedia>();
    Fill(wide->picture, 4096, 64, 24, [](int x, int) {
        return x < 2048 ? Bgr{0, 255, 0} : Bgr{0, 0, 255};
    });
    actor.media = wide;
    const QImage again = Render();
    EXPECT_EQ(At(again, 260, 150), kGreen);
    EXPECT_EQ(At(again, 340, 150), kRed);
}

TEST_F(StageViewTest, InvertedOutlinesTwiceGiveThePlanBack) {
    Make();
    AddPanel(-9, -9, -8, -8, false, true);  // set (-9..-8): stage 200..400
    ShowNode& actor = AddActor(300, 300, 100, 30, true);
    Evaluate();
    SetCameraPose(450, 450, 60, 30, 20, 10);
    const QImage plan = Render();

    QImage image = plan;
    {
        QPainter painter(&image);
        StagePlanPainter draw(painter, view->CurrentPlanView());
        draw.DrawPanel(Scene().set->panels[0], true);
        draw.DrawActor(actor, true);
        draw.DrawCamera(doc->monitorCamera().pose, true);
    }
    EXPECT_NE(image, plan);
    // The card's base corner at pan 30 turned about the centre: blue, inverted to yellow.
    const QPoint corner = stage::RotatePoint({250, 300}, 30, {300, 300});
    EXPECT_TRUE(Near(plan, corner.x(), corner.y(), kBlue));
    EXPECT_TRUE(Near(image, corner.x(), corner.y(), kYellow));
    {
        QPainter painter(&image);
        StagePlanPainter draw(painter, view->CurrentPlanView());
        draw.DrawPanel(Scene().set->panels[0], true);
        draw.DrawActor(actor, true);
        draw.DrawCamera(doc->monitorCamera().pose, true);
    }
    EXPECT_EQ(image, plan);
}

TEST_F(StageViewTest, FirstPaintPlacesTheCameraAndCenterCameraMovesIt) {
    Make();
    const QSize client = view->viewport()->size();
    const KeyFrame& pose = doc->monitorCamera().pose;
    // Opened on the middle of the stage, the camera stands at its centre.
    EXPECT_EQ(firstScroll, QPoint(2000 - client.width() / 2, 2000 - client.height() / 2));
    EXPECT_EQ(pose.eastWest(), firstScroll.x() + client.width() / 2);
    EXPECT_EQ(pose.northSouth(), firstScroll.y() + client.height() / 2);
    EXPECT_NEAR(pose.eastWest(), 2000, 1);
    EXPECT_NEAR(pose.northSouth(), 2000, 1);
    EXPECT_EQ(pose.upDown(), 60);
    EXPECT_EQ(pose.width(), 25);
    EXPECT_EQ(pose.pan(), 0);
    EXPECT_EQ(pose.tilt(), 0);

    int monitorRedraws = 0;
    QObject::connect(view.get(), &StageView::MonitorRedrawRequested, [&] { ++monitorRedraws; });
    view->ShrinkStage();  // 0.75
    ScrollTo(900, 300);
    doc->settings().units = 1;
    view->CenterCamera();
    EXPECT_EQ(monitorRedraws, 1);
    EXPECT_EQ(pose.eastWest(), int((900 + client.width() / 2) * (1.0 / 0.75)));
    EXPECT_EQ(pose.northSouth(), int((300 + client.height() / 2) * (1.0 / 0.75)));
    EXPECT_EQ(pose.upDown(), 150);

    doc->settings().rostrumMode = true;
    view->CenterCamera();
    EXPECT_EQ(pose.upDown(), 200);
    EXPECT_EQ(pose.tilt(), -90);
}

TEST_F(StageViewTest, ANarrowPaneCentresOnItsRememberedSize) {
    // Under 100 pixels wide the pane's remembered size (600 x 400 by default) stands in.
    Make(QSize(90, 90));
    ASSERT_LT(view->viewport()->width(), 100);
    EXPECT_EQ(doc->monitorCamera().pose.eastWest(), firstScroll.x() + 300);
    EXPECT_EQ(doc->monitorCamera().pose.northSouth(), firstScroll.y() + 200);
    view.reset();
    doc.reset();
    profile->WriteInt("Window", "Stage Width", 1000);
    profile->WriteInt("Window", "Stage Height", 240);
    Make(QSize(90, 90));
    EXPECT_EQ(doc->monitorCamera().pose.eastWest(), firstScroll.x() + 500);
    EXPECT_EQ(doc->monitorCamera().pose.northSouth(), firstScroll.y() + 120);
}

TEST_F(StageViewTest, PositionLineAndReadoutFollowTheCamera) {
    Make();
    StageReadout readout;
    view->SetReadout(&readout);
    QString shown;
    QObject::connect(view.get(), &StageView::PositionTextChanged,
                     [&](const QString& text) { shown = text; });
    KeyFrame& k = Camera().keys[0];
    k.eastWest() = 2000;
    k.northSouth() = 1500;
    k.upDown() = 60;
    k.width() = 25;
    doc->UpdateViewsAtFrame(0, Refresh::kViews);
    EXPECT_EQ(shown, "EW 2000  NS 1500  Wid 35  ");
    EXPECT_EQ(view->positionText(), shown);
    EXPECT_EQ(readout.values().values.eastWest(), 2000);
    EXPECT_EQ(readout.values().cameraNumber, 1);

    view->EnlargeStage();
    EXPECT_FLOAT_EQ(readout.values().scale, 1.5f);
}

TEST_F(StageViewTest, StartupPictureUntilAKeyIsPressed) {
    Make(QSize(640, 640), true);
    ASSERT_TRUE(view->startupPictureShowing());
    QImage image = Render();
    const QImage picture = MakeStartupPicture(false);
    const QPoint at((image.width() - picture.width()) / 2, (image.height() - picture.height()) / 2);
    EXPECT_EQ(At(image, at.x() + 300, at.y() + 20), picture.pixelColor(300, 20));
    EXPECT_EQ(At(image, at.x() + 10, at.y() + 60), picture.pixelColor(10, 60));
    // The texture-size line in white over the picture's foot.
    EXPECT_EQ(MaxImageWidthText(4096), "        Max Image Width: 4096");
    const QRect textArea(at + QPoint(kStartupTextLeft, kStartupTextTop), QSize(200, 16));
    EXPECT_GT(CountColour(image, textArea, kWhite), 10);

    QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &key);
    EXPECT_FALSE(view->startupPictureShowing());
    image = Render();
    const QColor after = At(image, at.x() + 10, at.y() + 60);
    EXPECT_TRUE(after == kGrey || after == kGridGrey);
}

TEST_F(StageViewTest, StartupPictureEndsAfterThreeSecondsAndPictureModeHasNoTextLine) {
    Make(QSize(640, 640), true, 32, true);
    const QImage image = Render();
    ASSERT_TRUE(view->startupPictureShowing());
    const QImage picture = MakeStartupPicture(true);
    const QPoint at((image.width() - picture.width()) / 2, (image.height() - picture.height()) / 2);
    const QRect textArea(at + QPoint(kStartupTextLeft, kStartupTextTop), QSize(200, 16));
    EXPECT_EQ(CountColour(image, textArea, kWhite), 0);

    QElapsedTimer clock;
    clock.start();
    while (view->startupPictureShowing() && clock.elapsed() < 6000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_FALSE(view->startupPictureShowing());
    EXPECT_GE(clock.elapsed(), 2800);
}

TEST_F(StageViewTest, FewColoursAreReportedOnce) {
    Make(QSize(640, 640), false, 8);
    QApplication::processEvents();
    Render();
    QApplication::processEvents();
    EXPECT_EQ(host.messages, QStringList{"This Program Requires More than 256 Colors!"});
    view.reset();
    doc.reset();
    host.messages.clear();
    Make(QSize(640, 640), false, 16);
    QApplication::processEvents();
    EXPECT_TRUE(host.messages.isEmpty());
}

TEST_F(StageViewTest, WildValuesDrawWithoutHarm) {
    Make();
    ShowNode& actor = AddActor(1e30f, -1e30f, std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN());
    actor.aspect = std::numeric_limits<float>::quiet_NaN();
    AddPanel(1e20f, -1e20f, std::numeric_limits<float>::quiet_NaN(), 3, false, true);
    Evaluate();
    SetCameraPose(std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f, 1e9f, 1e30f, 0);
    const QImage image = Render();
    EXPECT_EQ(At(image, 24, 5), kGridGrey);
    doc->settings().rostrumMode = true;
    doc->settings().aspectRatio = 0;
    Render();
}
