// Editing on the stage plan, driven by mouse and key events on the offscreen platform: handle
// codes at pixel positions worked out by hand from the plan's geometry (camera symbol and
// rostrum footprint, actor boxes, panel corners and ends, vertical mode), which object a press
// takes, the values every kind of drag leaves in the model, click selection with Shift, the
// keys and the lens limits, capture loss, and presses on broken or empty input that must
// change nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>

#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Set.h"
#include "stage/StageHits.h"
#include "stage/StageView.h"
#include "viewkit/VerticalMode.h"
#include "viewkit/ViewCursors.h"

using namespace quillon;
using namespace quillon::stage;

namespace {

constexpr double kPi = 3.14159265358979;
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
constexpr Qt::KeyboardModifiers kShift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;

class StageEditTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);
        doc->settings().aspectRatio = 0.75f;
        view = std::make_unique<StageView>(*doc);
        view->SetStartupPictureEnabled(false);
        view->resize(660, 660);
        view->InitialUpdate();
        view->show();
        QApplication::processEvents();
        view->viewport()->repaint();
        ScrollTo(0, 0);
        Camera(300, 300);
        SetVerticalMode(false);
    }
    void TearDown() override {
        view.reset();
        doc.reset();
        SetVerticalMode(false);
    }
    ShowNode& Scene() { return *doc->root().children[0]; }
    KeyFrame& Cam() { return doc->monitorCamera().pose; }
    void ScrollTo(int x, int y) {
        view->horizontalScrollBar()->setValue(x);
        view->verticalScrollBar()->setValue(y);
    }
    void Camera(float eastWest, float northSouth, float pan = 0, float lens = 30,
                float height = 48) {
        Cam().eastWest() = eastWest;
        Cam().northSouth() = northSouth;
        Cam().pan() = pan;
        Cam().tilt() = 0;
        Cam().width() = lens;
        Cam().upDown() = height;
    }
    ShowNode& Actor(float eastWest, float northSouth, float width, bool selected,
                    float aspect = 1.0f) {
        auto* a = new ShowNode;
        a->kind = NodeKind::Actor;
        a->aspect = aspect;
        EXPECT_TRUE(Scene().AddChild(a, true));
        a->pose.eastWest() = eastWest;
        a->pose.northSouth() = northSouth;
        a->pose.width() = width;
        a->pose.height() = width * aspect;
        a->pose.act = 0;
        a->setSelected(selected);
        return *a;
    }
    // Corners in set units: a floor square of side 1 at (-5, -5), or a wall from (-5, -5) to
    // (-4, -5) one unit high. At scale 1 set unit -5 is plan pixel 1000, -4 is 1200.
    SetPanel& Panel(bool wall, bool selected) {
        if (!Scene().set) Scene().set = std::make_unique<Set>();
        Scene().set->panels.reserve(8);  // the references handed out stay valid
        SetPanel p;
        const float xs[4] = {-5, -4, -4, -5};
        const float zs[4] = {-5, -5, wall ? -5.0f : -4.0f, wall ? -5.0f : -4.0f};
        for (int c = 0; c < 4; ++c) {
            p.cornerEastWest[c] = xs[c];
            p.cornerNorthSouth[c] = zs[c];
            p.cornerUpDown[c] = wall && c < 2 ? 1.0f : 0.0f;
        }
        p.selected = selected;
        return Scene().set->AddPanel(p);
    }
    PlanView View() const { return view->CurrentPlanView(); }

    void Send(QEvent::Type type, QPoint client, Qt::MouseButton button,
              Qt::KeyboardModifiers mods) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent e(type, QPointF(client), view->viewport()->mapToGlobal(QPointF(client)), button,
                      held, mods);
        QApplication::sendEvent(view->viewport(), &e);
    }
    void Press(QPoint p, Qt::KeyboardModifiers m = kNone) {
        Send(QEvent::MouseButtonPress, p, Qt::LeftButton, m);
    }
    void Move(QPoint p, Qt::KeyboardModifiers m = kNone) {
        Send(QEvent::MouseMove, p, Qt::LeftButton, m);
    }
    void Release(QPoint p, Qt::KeyboardModifiers m = kNone) {
        Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, m);
    }
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = kNone) {
        Press(from, m);
        Move(to, m);
        Release(to, m);
    }
    void Click(QPoint p, Qt::KeyboardModifiers m = kNone) {
        Press(p, m);
        Release(p, m);
    }
    void Key(int key, Qt::KeyboardModifiers m = kNone) {
        QKeyEvent press(QEvent::KeyPress, key, m);
        QApplication::sendEvent(view.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, m);
        QApplication::sendEvent(view.get(), &release);
    }

    QTemporaryDir dir;
    std::unique_ptr<Profile> profile;
    ScriptedHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<StageView> view;
};

// --- hit tests ---

struct HitCase {
    const char* what;
    float pan;
    QPoint at;
    int code;
};

// The camera at plan (300, 300), symbol 64 (h 32), height 48, lens angle 30. The pan handle sits
// 66 above the centre, turned to 65 (a turned point is truncated after adding 0.5); the lens
// handle's two points 44 above, turned -15 and +15 degrees, give x 290 .. 311 at y 258 (grown
// by 2); the tilt knob 51 below; the height box 45 .. 62 below and the markers 26 .. 38 below,
// 5 either side; the move box +/- 32.
TEST_F(StageEditTest, CameraHandles) {
    const HitCase cases[] = {
        {"pan", 0, {300, 234}, kCameraPan},
        {"pan box corner", 0, {308, 243}, kCameraPan},
        {"above the pan box", 0, {300, 226}, kNoHandle},
        {"pan turned 90", 90, {366, 300}, kCameraPan},
        {"lens middle", 0, {300, 258}, kCameraLens},
        {"lens left end grown", 0, {288, 256}, kCameraLens},
        {"below lens", 0, {300, 261}, kNoHandle},
        {"tilt knob", 0, {300, 351}, kCameraTilt},
        {"tilt box edge", 0, {306, 345}, kCameraTilt},
        {"height box", 0, {300, 360}, kCameraHeight},
        {"height markers", 0, {303, 330}, kCameraHeight},
        {"height too wide", 0, {306, 330}, kCameraMove},
        {"move", 0, {320, 300}, kCameraMove},
        {"move box edge", 0, {332, 268}, kCameraMove},
        {"outside", 0, {333, 300}, kNoHandle},
    };
    for (const HitCase& c : cases) {
        Camera(300, 300, c.pan);
        EXPECT_EQ(CameraHandleAt(View(), Cam(), c.at), c.code) << c.what;
    }
}

// Rostrum: height 200, lens 30, aspect 0.75: a = 70, b = 52, corner boxes +/- 11; the corners
// turned by 0 degrees land at (231, 249), (370, 249), (370, 352), (231, 352).
TEST_F(StageEditTest, RostrumCameraFootprint) {
    doc->settings().rostrumMode = true;
    Camera(300, 300, 0, 30, 200);
    const HitCase cases[] = {
        {"centre", 0, {300, 300}, kCameraMove},
        {"inside at a corner", 0, {370, 352}, kCameraMove},
        {"top-right outside", 0, {375, 245}, kCameraPan},
        {"top-left outside", 0, {225, 245}, kCameraZoom},
        {"bottom-right outside", 0, {381, 357}, kCameraZoom},
        {"bottom-left outside", 0, {225, 357}, kCameraZoom},
        {"beyond", 0, {300, 360}, kNoHandle},
    };
    for (const HitCase& c : cases)
        EXPECT_EQ(CameraHandleAt(View(), Cam(), c.at), c.code) << c.what;
}

// An actor 100 wide at (200, 200): half-width 50, move box +/- 25, arrow tip 50 below.
TEST_F(StageEditTest, ActorHandles) {
    ShowNode& a = Actor(200, 200, 100, true);
    ShowNode& small = Actor(500, 200, 10, true);  // drawn 32 wide: move box +/- 8
    const struct {
        const ShowNode* actor;
        QPoint at;
        int code;
    } cases[] = {
        {&a, {225, 175}, kActorMove},      {&a, {205, 245}, kActorPan},
        {&a, {245, 200}, kActorWidth},     {&a, {250, 250}, kActorWidth},
        {&a, {251, 200}, kNoHandle},       {&small, {508, 200}, kActorMove},
        {&small, {514, 200}, kActorWidth}, {&small, {500, 216}, kActorPan},
        {&small, {517, 200}, kNoHandle},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ActorHandleAt(View(), *c.actor, c.at, false), c.code)
            << c.at.x() << "," << c.at.y();
    a.pose.pan() = 90;  // the tip turns to the left
    EXPECT_EQ(ActorHandleAt(View(), a, {150, 200}, false), kActorPan);
    a.pose.act = 0xFFFF;  // outside its range: not on the plan
    EXPECT_EQ(ActorHandleAt(View(), a, {200, 200}, false), kNoHandle);
}

TEST_F(StageEditTest, RostrumActorBoxAndLock) {
    doc->settings().rostrumMode = true;
    ShowNode& a = Actor(200, 200, 100, true, 0.5f);  // +/- 50 by +/- 25, rim 8
    EXPECT_EQ(ActorHandleAt(View(), a, {242, 217}, false), kActorMove);
    EXPECT_EQ(ActorHandleAt(View(), a, {245, 200}, false), kActorWidth);
    EXPECT_EQ(ActorHandleAt(View(), a, {200, 224}, false), kActorWidth);
    EXPECT_EQ(ActorHandleAt(View(), a, {200, 226}, false), kNoHandle);
    EXPECT_EQ(ActorHandleAt(View(), a, {200, 200}, true), kNoHandle);
}

TEST_F(StageEditTest, PanelHandlesAndVerticalCodes) {
    const SetPanel& floor = Panel(false, true);
    const SetPanel& wall = Panel(true, true);
    const struct {
        const SetPanel* panel;
        QPoint at;
        int code, vertical;
    } cases[] = {
        {&floor, {1000, 1000}, 32, 24}, {&floor, {1004, 996}, 32, 24},
        {&floor, {1100, 1100}, 31, 24}, {&floor, {1200, 1000}, 33, 24},
        {&floor, {1200, 1200}, 34, 24}, {&floor, {1000, 1200}, 35, 24},
        {&floor, {1005, 1000}, 0, 0},   {&wall, {1000, 1000}, 22, 25},
        {&wall, {1200, 1000}, 23, 26},  {&wall, {1100, 1003}, 21, 24},
        {&wall, {1100, 1005}, 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PanelHandleAt(*c.panel, 1.0f, c.at, false), c.code)
            << c.at.x() << "," << c.at.y();
        EXPECT_EQ(PanelHandleAt(*c.panel, 1.0f, c.at, true), c.vertical)
            << c.at.x() << "," << c.at.y();
    }
    SetPanel point;  // all four corners at set (0, 0)
    EXPECT_EQ(PanelHandleAt(point, 1.0f, {2000, 2000}, false), kNoHandle);
}

TEST_F(StageEditTest, MoveMasks) {
    const struct {
        int code;
        const char* plane;  // corners whose east/west and north/south move
        const char* height;
    } cases[] = {{21, "0123", ""}, {31, "0123", ""}, {22, "03", ""}, {23, "12", ""}, {32, "0", ""},
                 {35, "3", ""},    {24, "", "0123"}, {25, "", "01"}, {26, "", "23"}};
    for (const auto& c : cases) {
        const MoveMask m = PanelMoveMask(c.code);
        for (int k = 0; k < 4; ++k) {
            EXPECT_EQ(m.plane[k], std::strchr(c.plane, '0' + k) != nullptr) << c.code << " " << k;
            EXPECT_EQ(m.height[k], std::strchr(c.height, '0' + k) != nullptr) << c.code << " " << k;
        }
    }
}

// A press takes the camera before a selected actor under it, a selected actor before a
// selected panel, and nothing unselected.
TEST_F(StageEditTest, WhichObjectWins) {
    ShowNode& under = Actor(300, 300, 100, true);
    Press({310, 305});
    EXPECT_EQ(view->dragMode(), kCameraMove);
    Release({310, 305});  // a click: the actor under it is deselected
    EXPECT_FALSE(under.selected());
    under.setSelected(true);
    Camera(-2000, -2000);
    Press({310, 305});
    EXPECT_EQ(view->dragMode(), kActorMove);
    Release({310, 305});
    under.setSelected(false);
    Press({310, 305});
    EXPECT_EQ(view->dragMode(), kNoHandle);
    Release({310, 305});
}

// --- drags ---

struct DragCase {
    const char* what;
    Qt::KeyboardModifiers mods;
    QPoint from, to;
    int channel;
    double expected;
};

TEST_F(StageEditTest, CameraDrags) {
    const DragCase cases[] = {
        {"move east/west", kNone, {310, 305}, {410, 255}, kEastWest, 400},
        {"move north/south", kNone, {310, 305}, {410, 255}, kNorthSouth, 250},
        {"Ctrl: pan", kCtrl, {310, 305}, {355, 305}, kPan, 45},
        {"pan handle", kNone, {300, 234}, {290, 234}, kPan, -10},
        {"Ctrl+Shift: tilt", kCtrl | kShift, {310, 305}, {310, 325}, kTilt, 20},
        {"Shift: height", kShift, {310, 305}, {310, 325}, kUpDown, 28},
        {"lens", kNone, {300, 258}, {320, 258}, kWidth, 40},
        {"lens at most 180", kNone, {300, 258}, {650, 258}, kWidth, 180},
    };
    for (const DragCase& c : cases) {
        Camera(300, 300);
        Drag(c.from, c.to, c.mods);
        EXPECT_NEAR(Cam().channel[size_t(c.channel)], c.expected, 1e-4) << c.what;
        EXPECT_EQ(view->dragMode(), 0) << c.what;
    }
}

TEST_F(StageEditTest, CameraMoveFollowsTheScale) {
    view->EnlargeStage();  // 1.5
    ScrollTo(0, 0);
    Camera(200, 200);  // plan (300, 300)
    Drag({310, 305}, {460, 155});
    EXPECT_NEAR(Cam().eastWest(), 300, 1e-4);  // (460 - 10) / 1.5
    EXPECT_NEAR(Cam().northSouth(), 100, 1e-4);
}

TEST_F(StageEditTest, RostrumZoomAndHeight) {
    doc->settings().rostrumMode = true;
    Camera(300, 300, 0, 30, 200);
    Drag({225, 357}, {400, 300});  // a bottom-left corner: the height that puts it there
    EXPECT_NEAR(Cam().upDown(), 100 * 0.75 / std::sin(15 * kPi / 180), 0.01);
    Camera(300, 300, 0, 30, 200);
    Drag({300, 300}, {360, 300}, kShift);    // height from across: 5 units a pixel
    EXPECT_NEAR(Cam().upDown(), 100, 1e-4);  // 60 pixels right of the press's 200
}

TEST_F(StageEditTest, ActorDrags) {
    Camera(-2000, -2000);
    const DragCase cases[] = {
        {"move", kNone, {210, 190}, {260, 290}, kEastWest, 250},
        {"move", kNone, {210, 190}, {260, 290}, kNorthSouth, 300},
        {"Shift: up/down", kShift, {210, 190}, {210, 150}, kUpDown, -30},
        {"Shift: not across", kShift, {210, 190}, {260, 150}, kEastWest, 200},
        {"pan", kNone, {200, 250}, {230, 250}, kPan, 30},
        {"width", kNone, {245, 200}, {265, 200}, kWidth, 120},
        {"height with width", kNone, {245, 200}, {265, 200}, kHeight, 60},
    };
    for (const DragCase& c : cases) {
        while (Scene().childCount() > 4)
            Scene().RemoveChild(4);
        ShowNode& a = Actor(200, 200, 100, true, 0.5f);
        a.pose.upDown() = 10;
        ShowNode& b = Actor(400, 400, 60, true, 0.5f);
        const KeyFrame before = b.pose;
        Drag(c.from, c.to, c.mods);
        EXPECT_NEAR(a.pose.channel[size_t(c.channel)], c.expected, 1e-4) << c.what;
        // The other selected actor changes by as much.
        EXPECT_NEAR(b.pose.channel[size_t(c.channel)] - before.channel[size_t(c.channel)],
                    c.expected - (c.channel == kUpDown ? 10 : 0) - (c.channel == kHeight ? 50 : 0) -
                        (c.channel == kEastWest || c.channel == kNorthSouth ? 200
                         : c.channel == kWidth                              ? 100
                                                                            : 0),
                    1e-4)
            << c.what;
    }
}

TEST_F(StageEditTest, SmallActorWidensOneUnitPerPixelAtAnyScale) {
    Camera(-2000, -2000);
    view->ShrinkStage();
    view->ShrinkStage();  // 0.5
    ScrollTo(0, 0);
    ShowNode& a = Actor(400, 400, 10, true);  // plan (200, 200), drawn 32 wide
    Drag({214, 200}, {224, 200});
    EXPECT_NEAR(a.pose.width(), 20, 1e-4);
}

// Panels at scroll (900, 900): client (100, 100) is corner 0 of the floor at plan (1000, 1000).
TEST_F(StageEditTest, PanelDrags) {
    Camera(-2000, -2000);
    struct PanelCase {
        const char* what;
        bool snap, two;
        Qt::KeyboardModifiers mods;
        QPoint from, to;
        float corner0[3];  // east/west, north/south, up/down of corner 0 afterwards
        float corner2[3];
    } cases[] = {
        {"corner 0", false, false, kNone, {100, 100}, {124, 112}, {-4.88f, -4.94f, 0}, {-4, -4, 0}},
        {"corner 0 snapped",
         true,
         false,
         kNone,
         {102, 103},
         {129, 119},
         {-4.9f, -4.96f, 0},
         {-4, -4, 0}},
        {"whole",
         false,
         false,
         kNone,
         {200, 200},
         {250, 230},
         {-4.75f, -4.85f, 0},
         {-3.75f, -3.85f, 0}},
        {"raise", false, false, kShift, {100, 100}, {100, 80}, {-5, -5, -0.1f}, {-4, -4, -0.1f}},
        // Vertical mode does not snap the mouse; the press's offset was snapped (-1000 to -996).
        {"raise, snap on",
         true,
         false,
         kShift,
         {100, 100},
         {100, 85},
         {-5, -5, -0.095f},
         {-4, -4, -0.095f}},
        {"two panels move whole",
         false,
         true,
         kNone,
         {100, 100},
         {110, 105},
         {-4.95f, -4.975f, 0},
         {-3.95f, -3.975f, 0}},
    };
    for (const PanelCase& c : cases) {
        Scene().set.reset();
        ScrollTo(900, 900);
        SetPanel& floor = Panel(false, true);
        SetPanel& wall = Panel(true, c.two);
        const SetPanel wallBefore = wall;
        view->SetSnapToGrid(c.snap);
        Drag(c.from, c.to, c.mods);
        for (int k = 0; k < 3; ++k) {
            const float* f[3] = {floor.cornerEastWest, floor.cornerNorthSouth, floor.cornerUpDown};
            EXPECT_NEAR(f[k][0], c.corner0[k], 1e-4) << c.what << " " << k;
            EXPECT_NEAR(f[k][2], c.corner2[k], 1e-4) << c.what << " " << k;
        }
        if (c.two)
            EXPECT_NEAR(wall.cornerEastWest[2] - wallBefore.cornerEastWest[2], 0.05, 1e-4);
        else
            EXPECT_EQ(std::memcmp(&wall, &wallBefore, sizeof wall), 0) << c.what;
        EXPECT_EQ(Scene().set->dirty, 1) << c.what;
    }
}

TEST_F(StageEditTest, WallEndMovesItsTwoCorners) {
    Camera(-2000, -2000);
    ScrollTo(900, 900);
    SetPanel& wall = Panel(true, true);
    Drag({100, 100}, {80, 140});  // plan (980, 1040): set (-5.1, -4.8)
    EXPECT_NEAR(wall.cornerEastWest[0], -5.1, 1e-4);
    EXPECT_NEAR(wall.cornerNorthSouth[3], -4.8, 1e-4);
    EXPECT_NEAR(wall.cornerEastWest[1], -4, 1e-4);
    EXPECT_NEAR(wall.cornerNorthSouth[2], -5, 1e-4);
}

// --- clicks and selection ---

TEST_F(StageEditTest, ClicksSelectAndShiftAdds) {
    Camera(-2000, -2000);
    ShowNode& a = Actor(200, 200, 100, false);
    ShowNode& b = Actor(400, 200, 100, false);
    Click({200, 200});
    EXPECT_TRUE(a.selected());
    Click({400, 200});
    EXPECT_FALSE(a.selected());
    EXPECT_TRUE(b.selected());
    Click({200, 200}, kShift);
    EXPECT_TRUE(a.selected() && b.selected());
    Click({200, 200});  // selected: a second click deselects it, and the others
    EXPECT_FALSE(a.selected() || b.selected());
    // An unselected actor cannot be dragged: it does not move, the release selects it.
    Drag({210, 190}, {220, 195});
    EXPECT_EQ(a.pose.eastWest(), 200);
    EXPECT_TRUE(a.selected());
    // A drag does not change the selection.
    Drag({210, 190}, {250, 190});
    EXPECT_TRUE(a.selected());
    EXPECT_EQ(a.pose.eastWest(), 240);
}

TEST_F(StageEditTest, PanelClicksAndLockSet) {
    Camera(-2000, -2000);
    ScrollTo(900, 900);
    SetPanel& floor = Panel(false, false);
    SetPanel& wall = Panel(true, false);
    Click({200, 200});
    EXPECT_TRUE(floor.selected);
    Click({200, 100}, kShift);  // the wall's middle is (1100, 1000)
    EXPECT_TRUE(floor.selected && wall.selected);
    Click({200, 200});
    EXPECT_FALSE(floor.selected);
    EXPECT_FALSE(wall.selected);
    doc->SetSetLocked(true);
    Click({200, 200});
    EXPECT_FALSE(floor.selected);
    floor.selected = 1;
    const SetPanel before = floor;
    Drag({100, 100}, {160, 160});
    EXPECT_EQ(std::memcmp(&floor, &before, sizeof floor), 0);
}

// --- keys ---

TEST_F(StageEditTest, KeysNudgeTheCameraAndKeepTheLens) {
    Camera(300, 300, 0, 179);
    const struct {
        int key;
        Qt::KeyboardModifiers mods;
        float eastWest, northSouth, lens;
    } steps[] = {
        {Qt::Key_Left, kNone, 299, 300, 179},
        {Qt::Key_Right, kNone, 300, 300, 179},
        {Qt::Key_Right, kNone, 301, 300, 179},
        {Qt::Key_Up, kNone, 301, 299, 179},
        {Qt::Key_Down, kNone, 301, 300, 179},
        {Qt::Key_Plus, Qt::KeypadModifier, 301, 300, 180},
        {Qt::Key_Plus, Qt::KeypadModifier, 301, 300, 180},
        {Qt::Key_Plus, kNone, 301, 300, 180},  // not the keypad: nothing
        {Qt::Key_Minus, Qt::KeypadModifier, 301, 300, 179},
    };
    for (const auto& s : steps) {
        Key(s.key, s.mods);
        EXPECT_EQ(Cam().eastWest(), s.eastWest);
        EXPECT_EQ(Cam().northSouth(), s.northSouth);
        EXPECT_EQ(Cam().width(), s.lens);
    }
    Cam().width() = 0.5f;
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    Key(Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(Cam().width(), 0);
}

TEST_F(StageEditTest, KeysPlay) {
    QSignalSpy play(view.get(), &StageView::playRequested);
    QSignalSpy rewind(view.get(), &StageView::rewindAndPlayRequested);
    Key(Qt::Key_P);
    Key(Qt::Key_0);
    Key(Qt::Key_O);
    EXPECT_EQ(play.count(), 1);
    EXPECT_EQ(rewind.count(), 2);
}

TEST_F(StageEditTest, ShiftIsVerticalModeUntilAKeyIsReleased) {
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, kShift);
    QApplication::sendEvent(view.get(), &shift);
    EXPECT_TRUE(VerticalMode());
    QKeyEvent other(QEvent::KeyRelease, Qt::Key_A, kShift);
    QApplication::sendEvent(view.get(), &other);
    EXPECT_FALSE(VerticalMode());
}

TEST_F(StageEditTest, LosingTheMouseEndsTheDrag) {
    Press({310, 305}, kShift);
    Move({310, 325}, kShift);
    EXPECT_EQ(view->dragMode(), kCameraHeight);
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(view.get(), &out);
    EXPECT_EQ(view->dragMode(), 0);
    EXPECT_FALSE(VerticalMode());
    const KeyFrame kept = Cam();
    Move({310, 400});
    EXPECT_EQ(std::memcmp(&kept, &Cam(), sizeof kept), 0);
}

// --- what the drag shows ---

// While a drag runs, a paint outside the dragged object leaves the plan as it was at the
// press; the release paints the whole plan with the object where it was dropped.
TEST_F(StageEditTest, DragRepaintsOnlyTheDraggedObject) {
    ShowNode& a = Actor(500, 500, 100, true);
    auto grab = [this] { return view->viewport()->grab().toImage(); };
    const QImage before = grab();
    QSignalSpy monitor(view.get(), &StageView::MonitorRedrawRequested);
    Press({510, 490});
    Move({560, 540});
    EXPECT_EQ(a.pose.eastWest(), 550);
    EXPECT_EQ(monitor.count(), 1);  // show on drag is on by default
    const QImage during = grab();
    // Far from the actor, the picture is the press's.
    EXPECT_EQ(during.copy(0, 0, 200, 200), before.copy(0, 0, 200, 200));
    // The actor's card is no longer filled at its old place.
    EXPECT_EQ(before.pixelColor(500, 495), QColor(0, 0, 255));
    EXPECT_NE(during.pixelColor(500, 495), QColor(0, 0, 255));
    Release({560, 540});
    EXPECT_EQ(grab().pixelColor(550, 545), QColor(0, 0, 255));  // drawn whole, selected blue
}

// Hovering shows the handle's cursor: camera, selected actor (in vertical mode its move is a
// height), panel ends and corners.
TEST_F(StageEditTest, CursorsFollowTheHandles) {
    Actor(500, 200, 100, true);
    SetPanel& wall = Panel(true, false);  // not selected: the cursor shows all the same
    wall.cornerEastWest[0] = wall.cornerEastWest[3] = -9;  // ends at plan (200, 1000), (1200, 1000)
    ScrollTo(0, 500);                                      // plan y 1000 at client 500
    Camera(300, 800);                                      // client (300, 300)
    const struct {
        QPoint at;
        Qt::KeyboardModifiers mods;
        ViewCursor cursor;
    } cases[] = {
        {{300, 236}, kNone, ViewCursor::kPan},     {{300, 258}, kNone, ViewCursor::kLensAngle},
        {{300, 351}, kNone, ViewCursor::kTilt},    {{300, 360}, kNone, ViewCursor::kHeight},
        {{320, 300}, kNone, ViewCursor::kMove},    {{200, 500}, kNone, ViewCursor::kFirstEnd},
        {{200, 500}, kShift, ViewCursor::kHeight}, {{20, 20}, kNone, ViewCursor::kArrow},
    };
    for (const auto& c : cases) {
        Send(QEvent::MouseMove, c.at, Qt::NoButton, c.mods);
        const QCursor want = MakeViewCursor(c.cursor, view->devicePixelRatioF());
        const QCursor got = view->viewport()->cursor();
        EXPECT_EQ(got.shape(), want.shape()) << c.at.x() << "," << c.at.y();
        EXPECT_EQ(got.pixmap().cacheKey(), want.pixmap().cacheKey()) << c.at.x() << "," << c.at.y();
    }
    ScrollTo(0, 0);
    Camera(-2000, -2000);
    const std::pair<QPoint, ViewCursor> actorCases[] = {{{545, 200}, ViewCursor::kWidth},
                                                        {{500, 250}, ViewCursor::kPan},
                                                        {{500, 200}, ViewCursor::kMove}};
    for (const auto& [at, cursor] : actorCases) {
        Send(QEvent::MouseMove, at, Qt::NoButton, kNone);
        EXPECT_EQ(view->viewport()->cursor().pixmap().cacheKey(),
                  MakeViewCursor(cursor, view->devicePixelRatioF()).pixmap().cacheKey());
    }
    Send(QEvent::MouseMove, {500, 200}, Qt::NoButton, kShift);
    EXPECT_EQ(view->viewport()->cursor().pixmap().cacheKey(),
              MakeViewCursor(ViewCursor::kHeight, view->devicePixelRatioF()).pixmap().cacheKey());
}

// --- broken and empty input ---

TEST_F(StageEditTest, NothingToDragChangesNothing) {
    auto pressAll = [this] {
        for (const QPoint p : {QPoint(300, 300), QPoint(310, 305), QPoint(300, 234),
                               QPoint(100, 100), QPoint(2, 2)}) {
            Drag(p, p + QPoint(40, 30));
            Drag(p, p + QPoint(40, 30), kShift);
        }
        Key(Qt::Key_Left);
        Key(Qt::Key_Plus, Qt::KeypadModifier);
    };
    // A scene without cameras: the camera cannot be taken or nudged.
    while (Scene().childCount() > 0)
        Scene().RemoveChild(0);
    KeyFrame before = Cam();
    pressAll();
    EXPECT_EQ(std::memcmp(&before, &Cam(), sizeof before), 0);
    // A set with a panel of four corners on one point, selected, and nothing else selected.
    Scene().set = std::make_unique<Set>();
    SetPanel point;
    point.selected = 1;
    Scene().set->AddPanel(point);
    ScrollTo(1700, 1700);  // set (0, 0) at client (300, 300)
    Actor(2000, 2000, 100, false);
    const SetPanel panelBefore = Scene().set->panels[0];
    pressAll();
    EXPECT_EQ(std::memcmp(&panelBefore, &Scene().set->panels[0], sizeof panelBefore), 0);
    EXPECT_EQ(Scene().set->dirty, 0);
    // No scene at all.
    doc->root().RemoveChild(0);
    before = Cam();
    pressAll();
    EXPECT_EQ(std::memcmp(&before, &Cam(), sizeof before), 0);
    EXPECT_EQ(view->dragMode(), 0);
}

}  // namespace
