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

#include "../PixelTable.h"
#include "../model/ScriptedHost.h"
#include "../pictures/PictureTestUtil.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "pictures/PictureMedia.h"
#include "stage/StageGeometry.h"
#include "stage/StagePlanPainter.h"
#include "stage/StageReadout.h"
#include "stage/StageView.h"
#include "stage/StartupPicture.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

const QColor kGrey(192, 192, 192), kGridGrey(160, 160, 160), kWhite(255, 255, 255), kBlack(0, 0, 0),
    kYellow(255, 255, 0), kCyan(0, 255, 255), kBlue(0, 0, 255), kGreen(0, 255, 0), kRed(255, 0, 0);
using Rows = std::vector<PixelRow>;

// The plan's grey or one of its grid lines.
bool Background(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    return c == kGrey || c == kGridGrey;
}

int CountColour(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.rect().contains(x, y) && image.pixelColor(x, y) == colour;
    return n;
}

// A row for the colour near the point 160 pixels straight above (300, 300), turned by the angle
// (degrees, clockwise on the screen) as the plan turns its shapes.
PixelRow Turned(double degrees, QColor colour, bool is = true) {
    const double a = degrees * std::acos(-1.0) / 180.0;
    return {int(std::lround(300 + 160 * std::sin(a))), int(std::lround(300 - 160 * std::cos(a))),
            colour, is, 1};
}

class StageViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
    }
    void TearDown() override { Drop(); }
    void Drop() {
        view.reset();
        doc.reset();
    }

    // The document with one new scene and its view, shown and painted once (the first paint
    // opens the plan on the middle of the stage and places the camera there); the drawing
    // tests then look at the plan from its corner.
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
        firstScroll = view->scrollPosition();
        ScrollTo(0, 0);
    }
    ShowNode& Scene() { return *doc->root().children[0]; }
    KeyFrame& Pose() { return doc->monitorCamera().pose; }

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
    // Poses for frame 0, then the camera parked above and left of the plan, where every line of
    // its symbol runs away from the part the tests look at.
    void Evaluate() {
        doc->UpdateViewsAtFrame(0);
        Pose().eastWest() = Pose().northSouth() = -2000;
    }
    ShowNode& AddActor(float eastWest, float northSouth, float width, float pan) {
        EXPECT_TRUE(doc->AddTrack(NodeKind::Actor, 0, 300, StagePlace{}));
        ShowNode& actor = *Scene().children.back();
        KeyFrame& k = actor.keys[0];
        k.eastWest() = eastWest;
        k.northSouth() = northSouth;
        k.width() = width;
        k.pan() = pan;
        actor.setSelected(false);
        return actor;
    }
    // Corners 0..3 around the rectangle, as "Add Floor Panel" orders them; a wall's top edge
    // (corners 0 and 1) stands 0.48 high.
    SetPanel& AddPanel(float x0, float z0, float x1, float z1, bool wall, bool selected) {
        if (!Scene().set) Scene().set = std::make_unique<Set>();
        SetPanel p;
        const float xs[4] = {x0, x1, x1, x0}, zs[4] = {z0, z0, z1, z1};
        for (int i = 0; i < 4; ++i) {
            p.cornerEastWest[i] = xs[i];
            p.cornerNorthSouth[i] = zs[i];
            p.cornerUpDown[i] = wall && i < 2 ? 0.48f : 0.0f;
        }
        p.selected = selected;
        return Scene().set->AddPanel(p);
    }
    void SetCameraPose(float eastWest, float northSouth, float upDown, float lens, float pan,
                       float tilt) {
        KeyFrame& k = Pose();
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
    QPoint firstScroll;
};

}  // namespace

// --- arithmetic of the plan ---

TEST(StageGeometry, ScaleStepsAndLimits) {
    // Enlarge from the smallest zoom walks every value the plan can take, then stays at 4.0;
    // shrink walks back and stays at 0.25.
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
    // Profile values, damaged ones included, give a zoom the plan can use.
    const std::pair<int, float> stored[] = {
        {1500, 1.5f}, {0, 0.25f}, {-2000, 0.25f}, {100000, 4.0f}};
    for (const auto& [value, scale] : stored)
        EXPECT_FLOAT_EQ(stage::ScaleFromProfile(value), scale) << value;
    EXPECT_FLOAT_EQ(stage::ClampScale(std::numeric_limits<float>::quiet_NaN()), 0.25f);
}

TEST(StageGeometry, CoordinatesTruncateTowardZero) {
    // A quarter turn is clockwise on the screen; half a turn lands at -9.49..., truncated to -9.
    const std::tuple<QPoint, double, QPoint, QPoint> turns[] = {
        {{10, 0}, 90, {0, 0}, {0, 10}},
        {{0, -10}, 90, {0, 0}, {10, 0}},
        {{10, 0}, 180, {0, 0}, {-9, 0}},
        {{105, 50}, 180, {100, 50}, {96, 50}},
    };
    for (const auto& [p, angle, centre, want] : turns)
        EXPECT_EQ(stage::RotatePoint(p, angle, centre), want) << angle;

    // Set unit (1, -1) is stage (2200, 1800).
    EXPECT_EQ(stage::SetToPlan(1, -1, 1.0f), QPoint(2200, 1800));
    EXPECT_EQ(stage::SetToPlan(1, -1, 0.5f), QPoint(1100, 900));
    EXPECT_EQ(stage::StageToPlan(333.9, 100.5, 0.75f), QPoint(250, 75));
    EXPECT_EQ(stage::ClientToStage({100, 50}, {300, 200}, 2.0f), QPointF(200, 125));

    // Narrow actors are drawn 32 pixels wide.
    const std::tuple<float, float, int> halves[] = {
        {33, 1.0f, 16}, {34, 1.0f, 17}, {100, 0.25f, 16}, {100, 2.0f, 100}};
    for (const auto& [width, scale, half] : halves)
        EXPECT_EQ(stage::ActorHalfWidth(width, scale), half) << width << " at " << scale;

    // Rostrum footprint: 200 x tan(12.5 degrees) = 44.3 -> 44; / 0.75 -> 58; x 0.75 -> 43.
    KeyFrame camera;
    camera.upDown() = 200;
    camera.width() = 25;
    const auto f = stage::MakeCameraFootprint({0, 0}, camera, 1.0f, 0.75f);
    EXPECT_EQ(f.a, 58);
    EXPECT_EQ(f.b, 43);
}

TEST(StageReadoutText, GridSquareAndPositionLine) {
    // 24 inches at 1.0, 6 at 4.0, 96 at 0.25; 25 / scale centimetres; percent in rostrum mode.
    const std::tuple<float, bool, bool, const char*> squares[] = {
        {1.0f, false, false, "24\""}, {4.0f, false, false, "6\""}, {0.25f, false, false, "96\""},
        {0.75f, true, false, "33cm"}, {1.0f, true, false, "25cm"}, {0.75f, false, true, "75%"},
    };
    for (const auto& [scale, metric, rostrum, want] : squares)
        EXPECT_EQ(GridSquareText(scale, metric, rostrum), want) << scale;

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
    v.values.channel = {1234.9f, 60, 567, 25, 0, 0, 0, -45.5f, 10};
    v.cameraNumber = 3;
    const auto lines = ReadoutLines(v);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[0].text, "STAGE");
    EXPECT_EQ(lines[0].colour, kBlue);
    EXPECT_EQ(lines[1].top, 7);
    EXPECT_EQ(lines[1].text, "24\"");
    // Black labels 17 pixels apart from 20 down, each with its value 7 below in blue.
    const char* labels[] = {"EW", "NS", "UD", "Pan", "Tilt", "Wid", "Cam"};
    const char* values[] = {"1234", "567", "60", "-45", "10", "25", "3"};
    for (int i = 0; i < 7; ++i) {
        const ReadoutLine& label = lines[2 + 2 * i];
        const ReadoutLine& value = lines[3 + 2 * i];
        EXPECT_EQ(std::tuple(label.top, label.text, label.colour),
                  std::tuple(20 + 17 * i, QString(labels[i]), kBlack));
        EXPECT_EQ(std::tuple(value.top, value.text, value.colour),
                  std::tuple(27 + 17 * i, QString(values[i]), kBlue));
    }
    v.rostrumMode = true;
    v.scale = 2.0f;
    const auto rostrum = ReadoutLines(v);
    EXPECT_EQ(rostrum.size(), 14u);  // no camera number
    EXPECT_EQ(rostrum[1].text, "200%");

    // Painted on grey, the "STAGE" line centred on the panel's middle.
    StageReadout panel;
    panel.resize(60, 140);
    panel.SetValues(v);
    QImage image(panel.size(), QImage::Format_RGB32);
    panel.render(&image);
    int left = 60, right = -1;
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 60; ++x)
            if (image.pixelColor(x, y) == kBlue)
                left = std::min(left, x), right = std::max(right, x);
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right) / 2.0, 30, 2.5);
    ExpectPixels(image, {{0, 139, kGrey}, {59, 0, kGrey}});
}

// --- the plan in the view ---

TEST_F(StageViewTest, GridEvery24PixelsFollowsTheScrollNotTheScale) {
    Make();
    Evaluate();
    // No line at the plan's edge, the first at 24; scrolled by (10, 30), plan lines 24 and 48
    // show at client 14 and 18; at 4.0 the lines keep their 24 pixels.
    const Rows plain = {{24, 5, kGridGrey}, {5, 24, kGridGrey}, {23, 5, kGrey}, {0, 0, kGrey}};
    ExpectPixels(Render(), plain);
    ScrollTo(10, 30);
    ExpectPixels(Render(), {{14, 5, kGridGrey}, {5, 18, kGridGrey}, {24, 5, kGrey}});
    for (int i = 0; i < 6; ++i)
        view->EnlargeStage();
    ASSERT_FLOAT_EQ(view->scale(), 4.0f);
    ScrollTo(0, 0);
    Evaluate();
    ExpectPixels(Render(), {{72, 3, kGridGrey}, {60, 3, kGrey}});
}

TEST_F(StageViewTest, ZoomSizesTheScrollAreaAndPersists) {
    Make();
    const QSize client = view->viewport()->size();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 4000 - client.width());
    EXPECT_EQ(view->verticalScrollBar()->maximum(), 4000 - client.height());
    int labelRedraws = 0;
    QObject::connect(view.get(), &StageView::ScaleLabelRedrawRequested, [&] { ++labelRedraws; });
    view->EnlargeStage();
    EXPECT_EQ(labelRedraws, 1);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 6000 - client.width());
    EXPECT_EQ(profile->GetInt("Stage", "Scale", 0), 1500);
    EXPECT_FLOAT_EQ(doc->monitorCamera().scale, 1.5f);
    for (int i = 0; i < 8; ++i)
        view->ShrinkStage();
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 1000 - client.width());
    EXPECT_EQ(profile->GetInt("Stage", "Scale", 0), 250);
    // The next view starts at the remembered zoom.
    Drop();
    Make();
    EXPECT_FLOAT_EQ(view->scale(), 0.25f);
}

TEST_F(StageViewTest, BrokenProfileZoomStillGivesAPlan) {
    for (int stored : {0, -750}) {
        profile->WriteInt("Stage", "Scale", stored);
        Make(QSize(1120, 700));
        EXPECT_EQ(view->planSize(), 1000);
        // An actor at stage (2000, 1000) lands at pixel (500, 250) of the quarter-size plan;
        // the last grid line is at 984 and white lies beyond the plan's edge.
        AddActor(2000, 1000, 40, 0);
        Evaluate();
        const Rows want = {
            {984, 10, kGridGrey}, {999, 10, kGrey}, {1000, 10, kWhite}, {500, 258, kCyan}};
        ExpectPixels(Render(), want);
        Drop();
    }
}

TEST_F(StageViewTest, PanelsFloorsWallsAndSelection) {
    Make();
    // A floor from set (-1, -1) to (1, 1): stage 1800..2200, client 100..500 when scrolled to
    // 1700. Black centre lines with a white rim (yellow when selected) on all four edges, and
    // a ring around the handle at the middle of the corner 0 to corner 2 diagonal, (300, 300).
    AddPanel(-1, -1, 1, 1, false, false);
    Evaluate();
    ScrollTo(1700, 1700);
    for (bool selected : {false, true}) {
        Scene().set->panels[0].selected = selected;
        const QColor rim = selected ? kYellow : kWhite;
        const QImage image = Render();
        const Rows want = {{300, 100, kBlack}, {300, 99, rim},     {300, 101, rim},
                           {500, 300, kBlack}, {300, 500, kBlack}, {100, 300, kBlack},
                           {300, 103, kGrey},  {300, 300, kGrey}};
        ExpectPixels(image, want);
        EXPECT_GT(CountColour(image, QRect(294, 294, 13, 13), kBlack), 8);
        EXPECT_GT(CountColour(image, QRect(294, 294, 13, 13), rim), 8);
    }
    // A wall (corners 0 and 3 at different heights, by any amount) is one line, corner 0 to
    // corner 1; corners 1 and 2 do not decide.
    float* up = Scene().set->panels[0].cornerUpDown;
    const std::tuple<float, float, bool> heights[] = {
        {0.48f, 0, true}, {0.001f, 0, true}, {0, 0.3f, false}};
    for (const auto& [corner3, corners12, wall] : heights) {
        up[0] = 0;
        up[3] = corner3;
        up[1] = up[2] = corners12;
        const QImage image = Render();
        EXPECT_EQ(image.pixelColor(300, 100), kBlack);
        EXPECT_EQ(Background(image, 500, 300), wall) << corner3;
        EXPECT_EQ(Background(image, 300, 500), wall) << corner3;
    }
}

TEST_F(StageViewTest, ActorCardsFaceTheirPan) {
    Make();
    // Half-width 50 at scale 1: at pan 0 the card runs from (cx - 50, cy) over (cx, cy - 16)
    // to (cx + 50, cy) and faces down the screen along (cx, cy) to (cx, cy + 50); at pan 90 it
    // faces -x and stands along x = cx. A narrow actor is drawn 32 wide.
    ShowNode& actor = AddActor(300, 300, 100, 0);
    AddActor(300, 200, 10, 0);
    struct Case {
        float pan;
        bool selected;
        Rows pixels;
    };
    // clang-format off
    const Case cases[] = {
        {0, false, {{300, 292, kCyan}, {260, 300, kCyan}, {300, 325, kCyan}, {300, 275, kGrey},
                    {247, 300, kGrey}, {285, 200, kCyan}, {315, 200, kCyan}, {282, 200, kGrey},
                    {318, 200, kGrey}}},
        {180, false, {{300, 275, kCyan}, {300, 325, kGrey}}},
        {90, false, {{275, 300, kCyan}, {325, 300, kGrey}, {305, 300, kCyan}}},
        {90, true, {{275, 300, kBlue}, {305, 300, kBlue}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "pan " << c.pan << " selected " << c.selected);
        actor.keys[0].pan() = c.pan;
        actor.setSelected(c.selected);
        Evaluate();
        ExpectPixels(Render(), c.pixels);
    }
    // An actor whose range starts at frame 100 is not drawn at frame 0.
    ASSERT_TRUE(actor.SetRange(100, 300, RangeValues::kAbsolute));
    Evaluate();
    ASSERT_EQ(actor.pose.act, 0xFFFF);
    EXPECT_EQ(CountColour(Render(), QRect(240, 260, 120, 90), kBlue), 0);
}

TEST_F(StageViewTest, CameraSymbol) {
    Make();
    Evaluate();
    // Sight lines up from (300, 283) and 15 degrees either side of it (not 25); turned a
    // quarter they look along +x. Tilt 90 turns the stalk to -x, out of the way of the height
    // bar (60 long, in centimetres half the height) and the 11 x 12 box under it.
    struct Case {
        float upDown, pan, tilt;
        int units;
        Rows pixels;
    };
    // clang-format off
    const Case cases[] = {
        {60, 0, 0, 0, {{300, 150, kYellow}, {300, 10, kYellow}, Turned(-15, kYellow),
                       Turned(15, kYellow), Turned(25, kYellow, false)}},
        {60, 90, 0, 0, {{450, 300, kYellow}, {300, 150, kGrey}, Turned(105, kYellow)}},
        {60, 0, 90, 0, {{270, 300, kYellow}, {300, 350, kYellow}, {295, 366, kYellow},
                        {305, 366, kYellow}, {293, 366, kGrey}, {307, 366, kGrey},
                        {300, 390, kGrey}}},
        {120, 0, 90, 1, {{295, 366, kYellow}}},
        {120, 0, 90, 0, {{295, 366, kGrey}, {295, 426, kYellow}}},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "height " << c.upDown << " pan " << c.pan << " tilt "
                                          << c.tilt << " units " << c.units);
        doc->settings().units = c.units;
        SetCameraPose(300, 300, c.upDown, 30, c.pan, c.tilt);
        ExpectPixels(Render(), c.pixels);
    }
}

TEST_F(StageViewTest, CameraPathInItsColourAndTheToggle) {
    Make();
    // Two camera keys 16 frames apart, (100, 300) to (400, 300): the path runs along y 300.
    ShowNode& camera = *Scene().children[0];
    camera.keys[0].eastWest() = 100;
    camera.keys[0].northSouth() = 300;
    KeyFrame second = camera.keys[0];
    second.frame = 16;
    second.eastWest() = 400;
    ASSERT_TRUE(camera.AddKey(second, 0));
    doc->UpdateViewsAtFrame(0);
    EXPECT_EQ(Render().pixelColor(250, 300), kGrey);  // -1: no path

    int asked = 0;
    std::optional<QColor> answer = kRed;
    view->SetColourChooser([&](QWidget*) {
        ++asked;
        return answer;
    });
    // On: the chosen colour; off: no question; on with the dialog cancelled: black.
    const std::tuple<bool, int, int, QColor> toggles[] = {
        {false, 1, 0x0000FF, kRed}, {false, 1, -1, kGrey}, {true, 2, 0, kBlack}};
    for (const auto& [cancel, questions, stored, colour] : toggles) {
        if (cancel) answer.reset();
        view->ToggleCameraPath();
        EXPECT_EQ(asked, questions);
        EXPECT_EQ(view->cameraPathColour(), stored);
        EXPECT_EQ(profile->GetInt("Stage", "ShowCameraPath", 7), stored);
        const Rows want = {{250, 300, colour}, {390, 300, colour}, {250, 303, kGrey}};
        ExpectPixels(Render(), want);
    }
}

TEST_F(StageViewTest, RostrumActorsAndCameraFootprint) {
    Make();
    doc->settings().rostrumMode = true;
    ShowNode& actor = AddActor(300, 150, 100, 0);
    actor.aspect = 0.5f;
    // A picture green on its left half and the given colour on its right.
    auto picture = [](int width, int height, Bgr right) {
        auto media = std::make_shared<PictureMedia>();
        Fill(media->picture, width, height, 24, [=](int x, int) {
            return x < width / 2 ? Bgr{0, 255, 0} : right;
        });
        return media;
    };
    actor.media = picture(8, 4, Bgr{0, 255, 0});
    Evaluate();
    SetCameraPose(300, 400, 200, 25, 0, -90);
    // The picture fills (250..349, 125..174), outlined in cyan. The
    // camera's view of the floor is (cx +/- 58, cy +/- 43) turned by pan 0, black on a yellow
    // rim; turning adds 0.5 and truncates toward zero, so -43 becomes -42 and -58 becomes -57.
    // Its cross hair has a half-length of 58 / 8 = 7.
    const Rows want = {
        {260, 150, kGreen}, {252, 127, kGreen}, {340, 150, kGreen},  {250, 150, kCyan},
        {349, 150, kCyan},  {300, 125, kCyan},  {300, 174, kCyan},   {248, 150, kGrey},
        {300, 177, kGrey},  {280, 358, kBlack}, {280, 357, kYellow}, {280, 359, kYellow},
        {358, 420, kBlack}, {243, 420, kBlack}, {280, 443, kBlack},  {305, 400, kBlack},
        {300, 395, kBlack}, {300, 380, kGrey},
    };
    ExpectPixels(Render(), want);
    // A picture loaded again is a new media object: the plan shows the new one, and one larger
    // than the plan keeps of it still fills the actor's rectangle.
    actor.media = picture(4096, 64, Bgr{0, 0, 255});
    ExpectPixels(Render(), {{260, 150, kGreen}, {340, 150, kRed}});
}

TEST_F(StageViewTest, InvertedOutlinesTwiceGiveThePlanBack) {
    Make();
    AddPanel(-9, -9, -8, -8, false, true);  // set (-9..-8): stage 200..400
    ShowNode& actor = AddActor(300, 300, 100, 30);
    actor.setSelected(true);
    Evaluate();
    SetCameraPose(450, 450, 60, 30, 20, 10);
    const QImage plan = Render();
    QImage image = plan;
    auto drawInverted = [&] {
        QPainter painter(&image);
        StagePlanPainter draw(painter, view->CurrentPlanView());
        draw.DrawPanel(Scene().set->panels[0], true);
        draw.DrawActor(actor, true);
        draw.DrawCamera(Pose(), true);
    };
    drawInverted();
    // The card's base corner at pan 30 turned about the centre: blue, inverted to yellow.
    const QPoint corner = stage::RotatePoint({250, 300}, 30, {300, 300});
    EXPECT_TRUE(ColourNear(plan, corner.x(), corner.y(), kBlue, 1));
    EXPECT_TRUE(ColourNear(image, corner.x(), corner.y(), kYellow, 1));
    drawInverted();
    EXPECT_EQ(image, plan);
}

TEST_F(StageViewTest, FirstPaintPlacesTheCameraAndCenterCameraMovesIt) {
    Make();
    const QSize client = view->viewport()->size();
    // Opened on the middle of the stage, the camera stands at its centre, 60 high with a 25
    // degree lens, looking straight ahead.
    EXPECT_EQ(firstScroll, QPoint(2000 - client.width() / 2, 2000 - client.height() / 2));
    EXPECT_EQ(Pose().eastWest(), firstScroll.x() + client.width() / 2);
    EXPECT_EQ(Pose().northSouth(), firstScroll.y() + client.height() / 2);
    EXPECT_EQ(std::vector<float>({Pose().upDown(), Pose().width(), Pose().pan(), Pose().tilt()}),
              std::vector<float>({60, 25, 0, 0}));

    int monitorRedraws = 0;
    QObject::connect(view.get(), &StageView::MonitorRedrawRequested, [&] { ++monitorRedraws; });
    view->ShrinkStage();  // 0.75
    ScrollTo(900, 300);
    doc->settings().units = 1;
    view->CenterCamera();
    EXPECT_EQ(monitorRedraws, 1);
    EXPECT_EQ(Pose().eastWest(), int((900 + client.width() / 2) * (1.0 / 0.75)));
    EXPECT_EQ(Pose().northSouth(), int((300 + client.height() / 2) * (1.0 / 0.75)));
    EXPECT_EQ(Pose().upDown(), 150);
    doc->settings().rostrumMode = true;
    view->CenterCamera();
    EXPECT_EQ(Pose().upDown(), 200);
    EXPECT_EQ(Pose().tilt(), -90);

    // Under 100 pixels wide the pane's remembered size (600 x 400 by default) stands in; the
    // plan at scale 1 again.
    profile->WriteInt("Stage", "Scale", 1000);
    const std::tuple<int, int, int, int> narrow[] = {{-1, -1, 300, 200}, {1000, 240, 500, 120}};
    for (const auto& [width, height, x, y] : narrow) {
        Drop();
        if (width > 0) profile->WriteInt("Window", "Stage Width", width);
        if (height > 0) profile->WriteInt("Window", "Stage Height", height);
        Make(QSize(90, 90));
        EXPECT_EQ(Pose().eastWest(), firstScroll.x() + x) << width;
        EXPECT_EQ(Pose().northSouth(), firstScroll.y() + y) << width;
    }
}

TEST_F(StageViewTest, PositionLineAndReadoutFollowTheCamera) {
    Make();
    StageReadout readout;
    view->SetReadout(&readout);
    QString shown;
    QObject::connect(view.get(), &StageView::PositionTextChanged,
                     [&](const QString& text) { shown = text; });
    KeyFrame& k = Scene().children[0]->keys[0];
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

TEST_F(StageViewTest, StartupPictureUntilAKeyIsPressedOrThreeSeconds) {
    for (bool pictureMode : {false, true}) {
        SCOPED_TRACE(pictureMode ? "picture mode" : "plan mode");
        Make(QSize(640, 640), true, 32, pictureMode);
        ASSERT_TRUE(view->startupPictureShowing());
        const QImage image = Render();
        const QImage picture = MakeStartupPicture(pictureMode);
        const QPoint at((image.width() - picture.width()) / 2,
                        (image.height() - picture.height()) / 2);
        EXPECT_EQ(image.pixelColor(at + QPoint(300, 20)), picture.pixelColor(300, 20));
        EXPECT_EQ(image.pixelColor(at + QPoint(10, 60)), picture.pixelColor(10, 60));
        // The texture-size line in white over the picture's foot, outside picture mode only.
        const QRect textArea(at + QPoint(kStartupTextLeft, kStartupTextTop), QSize(200, 16));
        EXPECT_EQ(CountColour(image, textArea, kWhite) > 10, !pictureMode);
        QElapsedTimer clock;
        clock.start();
        if (pictureMode) {
            while (view->startupPictureShowing() && clock.elapsed() < 6000)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            EXPECT_GE(clock.elapsed(), 2800);
        } else {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
            QApplication::sendEvent(view.get(), &key);
        }
        EXPECT_FALSE(view->startupPictureShowing());
        EXPECT_TRUE(Background(Render(), at.x() + 10, at.y() + 60));
        Drop();
    }
    EXPECT_EQ(MaxImageWidthText(4096), "        Max Image Width: 4096");
}

TEST_F(StageViewTest, FewColoursAreReportedOnce) {
    for (int bits : {8, 16}) {
        host.messages.clear();
        Make(QSize(640, 640), false, bits);
        QApplication::processEvents();
        Render();
        QApplication::processEvents();
        EXPECT_EQ(host.messages.size(), bits < 9 ? 1 : 0) << bits;
        EXPECT_EQ(host.messages.value(0, "none"),
                  bits < 9 ? "This Program Requires More than 256 Colors!" : "none");
        Drop();
    }
}

TEST_F(StageViewTest, WildValuesDrawWithoutHarm) {
    Make();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    ShowNode& actor = AddActor(1e30f, -1e30f, std::numeric_limits<float>::infinity(), nan);
    actor.aspect = nan;
    AddPanel(1e20f, -1e20f, nan, 3, false, true);
    Evaluate();
    SetCameraPose(nan, 1e30f, -1e30f, 1e9f, 1e30f, 0);
    EXPECT_EQ(Render().pixelColor(24, 5), kGridGrey);
    doc->settings().rostrumMode = true;
    doc->settings().aspectRatio = 0;
    Render();
}
