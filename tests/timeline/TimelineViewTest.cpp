// The timeline: the frame <-> pixel mapping and its examples, zoom limits and the scale label,
// rows and scroll sizes of a two-scene show, pixels of the drawn view at places computed from
// the mapping (bands, bars, icons, key and hold marks, camera row, range marks, the cut line),
// the cut line's two-strip repaint, clicks and paging, and shows too long or broken to draw.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPaintEvent>
#include <QRegion>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "../PixelTable.h"
#include "../model/ScriptedHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"

using namespace quillon;
using namespace quillon::testing;
using Rows = std::vector<PixelRow>;

namespace {

const QColor kGrey(192, 192, 192), kDark(128, 128, 128), kCyan(0, 255, 255), kBlue(0, 0, 255),
    kOutline(32, 32, 32), kRed(255, 0, 0), kBlack(0, 0, 0), kWhite(255, 255, 255);

ShowNode& AddTrack(ShowNode& parent, NodeKind kind, int start, int end, const char* name,
                   bool withKey = true) {
    auto* node = new ShowNode;
    node->kind = kind;
    node->startFrame = start;
    node->endFrame = end;
    node->SetName(name);
    EXPECT_TRUE(parent.AddChild(node, false));
    if (withKey) {
        EXPECT_TRUE(node->AddKey(KeyFrame{}, 0));
    }
    return *node;
}

KeyFrame KeyAt(int frame, int hold = 0) {
    KeyFrame k;
    k.frame = frame;
    k.hold = static_cast<int16_t>(hold);
    return k;
}

// Records the region of every paint the viewport receives.
class PaintRecorder : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
    std::vector<QRegion> regions;
};

class TimelineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("profile.ini"));
        doc = std::make_unique<Document>(*profile, host);
        doc->Reset(true);  // scene 1: frames 0 .. 299
    }
    void TearDown() override {
        view.reset();
        player.reset();
    }
    // Scene 1 (0 .. 300): actor "Bob" with a child, actor "Al", a sound track; scene 2
    // (300 .. 600): a script.
    void MakeTwoScenes() {
        ShowNode& s1 = Scene(0);
        ShowNode& bob = AddTrack(s1, NodeKind::Actor, 0, 300, "Bob");
        AddTrack(bob, NodeKind::Actor, 0, 300, "Hat");
        AddTrack(s1, NodeKind::Actor, 0, 200, "Al");
        AddTrack(s1, NodeKind::SoundTrack, 10, 100, "Hum");
        doc->NewScene(300);
        AddTrack(Scene(1), NodeKind::Script, 300, 600, "Lines");
        doc->UpdateViewsAtFrame(0);
    }
    ShowNode& Scene(int i) { return *doc->root().children[i]; }
    void MakeView(QSize size = QSize(480, 300)) {
        player = std::make_unique<Player>(*doc);
        view = std::make_unique<TimelineView>(*doc, *player);
        view->resize(size);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    QImage Grab() { return view->viewport()->grab().toImage(); }
    QColor At(const QImage& image, int64_t x, int64_t y) {
        return image.pixelColor(int(x - view->horizontalScrollBar()->value()), int(y));
    }
    int X(int frame) const { return int(view->timeScale().X(frame)); }
    // Rows in scroll-area pixels: the view's horizontal scroll is taken off.
    void Expect(const QImage& image, const std::vector<PixelRow>& rows) {
        ExpectPixels(image, rows, QPoint(view->horizontalScrollBar()->value(), 0));
    }

    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
    std::unique_ptr<Player> player;
    std::unique_ptr<TimelineView> view;
};

TEST(TimeScaleTest, MappingExamplesAndTruncation) {
    // At 30: frame 30 at x = 90, frame 45 at 120, x = 31 is frame 0; truncation is toward
    // zero (x = 29 is frame 0, not -1); frames saturate to the int range.
    const std::tuple<int, int64_t, int64_t> toX[] = {{30, 0, 30},
                                                     {30, 30, 90},
                                                     {30, 45, 120},
                                                     {960, 959, 89},
                                                     {15, INT32_MAX, int64_t(INT32_MAX) * 4 + 30}};
    for (const auto& [scale, frame, x] : toX)
        EXPECT_EQ(TimeScale(scale).X(frame), x) << scale << " " << frame;
    const std::tuple<int, int64_t, int> toFrame[] = {
        {30, 31, 0},  {30, 90, 30},   {30, 29, 0},
        {30, 0, -15}, {960, 89, 944}, {960, int64_t(1) << 40, INT32_MAX}};
    for (const auto& [scale, x, frame] : toFrame)
        EXPECT_EQ(TimeScale(scale).Frame(x), frame) << scale << " " << x;
}

TEST(TimeScaleTest, ZoomStepsLimitsAndLabel) {
    // From 30 zooming in: 60, 120, ... 960, then 960 again.
    TimeScale s(30);
    std::vector<int> in;
    for (int i = 0; i < 6; ++i)
        in.push_back((s = s.ZoomedIn()).scale());
    EXPECT_EQ(in, (std::vector<int>{60, 120, 240, 480, 960, 960}));
    const std::pair<int, int> out[] = {{30, 15}, {15, 15}, {33, 16}, {24, 15}};
    for (const auto& [from, to] : out)
        EXPECT_EQ(TimeScale(from).ZoomedOut().scale(), to) << from;
    EXPECT_EQ(TimeScale(768).ZoomedIn().scale(), 960);
    // Stored values made usable.
    const std::pair<int, int> stored[] = {{0, 15}, {-30, 15}, {100000, 960}};
    for (const auto& [value, scale] : stored)
        EXPECT_EQ(TimeScale(value).scale(), scale) << value;

    const std::tuple<int, int, const char*> labels[] = {
        {30, 3000, "1  Second"},    {60, 3000, "2  Seconds"}, {15, 3000, "1/2  Second"},
        {45, 3000, "1  Seconds"},  // above the rate: plural
        {960, 2400, "40  Seconds"}, {30, 2997, "1  Second"},  {24, 2500, "1/2  Second"}};
    for (const auto& [scale, rate, want] : labels)
        EXPECT_EQ(TimeScaleLabel(scale, rate), want) << scale << " at " << rate;
}

TEST(TimelineGeometryTest, PagingAndNameFitting) {
    const QSize client(400, 200);  // track area 340 wide
    const std::tuple<int64_t, int64_t, int64_t> pages[] = {
        {500, 0, 500}, {400, 0, 400}, {399, 0, 0}, {1000, 1200, 660}, {100, 300, 0}};
    for (const auto& [x, scroll, want] : pages)
        EXPECT_EQ(PageScroll(x, scroll, client), want) << x << " from " << scroll;
    EXPECT_EQ(CutLineRect(230, 100, client), QRect(130, 4, 2, 192));

    const QFontMetrics fm(TinyFont(10));
    EXPECT_EQ(FitText("Bob", 100, fm), "Bob");
    EXPECT_EQ(FitText("Bob", -5, fm), "...");
    const QString name = "A very long name for a very short bar";
    const QString cut = FitText(name, 60, fm);
    ASSERT_TRUE(cut.endsWith("..."));
    const QString kept = cut.chopped(3);
    EXPECT_TRUE(name.startsWith(kept));
    EXPECT_LE(fm.horizontalAdvance(kept), 60);
    EXPECT_GT(fm.horizontalAdvance(name.left(kept.size() + 1)), 60);
}

TEST_F(TimelineTest, RowsAndScrollSizesOfTwoScenes) {
    MakeTwoScenes();
    // Bob, his child and Al get rows; cameras and sound have none, the sound row comes last.
    const SceneRows one = LayOutScene(Scene(0)), two = LayOutScene(Scene(1));
    ASSERT_EQ(one.items.size(), 3u);
    ASSERT_EQ(two.items.size(), 1u);
    EXPECT_EQ(std::vector({one.items[0].row, one.items[1].row, one.items[2].row, one.soundRow,
                           one.movieRow, one.bottom, two.items[0].row, two.bottom}),
              std::vector({40, 52, 64, 76, -1, 88, 40, 52}));

    MakeView();
    const QSize client = view->viewport()->size();
    const TimelineExtent& e = view->extent();
    // The taller first scene decides the height.
    EXPECT_EQ(std::vector({e.totalFrames, e.contentHeight, e.totalWidth, e.totalHeight}),
              std::vector({600, 88, 601 * 2 + 30, std::max(92, client.height() - 1)}));
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 1232 - client.width());
    EXPECT_EQ(view->horizontalScrollBar()->singleStep(), 32);  // x(jog amount 1)
    EXPECT_EQ(view->verticalScrollBar()->singleStep(), 12);
    player->ApplyJogAmount(60);
    EXPECT_EQ(view->horizontalScrollBar()->singleStep(), 150);
}

TEST_F(TimelineTest, EmptyShowKeepsItsMarginAndClientWidth) {
    doc->root().RemoveChild(0);
    MakeView();
    EXPECT_EQ(view->extent().totalFrames, 0);
    EXPECT_EQ(view->extent().totalWidth, view->viewport()->width());
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    // The first band still starts at x = 30.
    ExpectPixels(Grab(), {{40, 100, kDark}, {29, 100, kGrey}});
}

TEST_F(TimelineTest, ScaleFromProfileIsMadeUsableAndZoomWritesIt) {
    const std::pair<int, int> stored[] = {{0, 15}, {-8, 15}, {5000, 960}};
    for (const auto& [value, scale] : stored) {
        view.reset();
        profile->WriteInt("Timeline", "Scale", value);
        MakeView();
        EXPECT_EQ(view->scale(), scale) << value;
        if (scale == 15) {
            EXPECT_EQ(view->TimeScaleText(), "1/2  Second");
        }
    }
    QSignalSpy label(view.get(), &TimelineView::timeScaleTextChanged);
    view->ZoomIn();  // stays at 960
    view->ZoomOut();
    EXPECT_EQ(view->scale(), 480);
    ASSERT_EQ(label.count(), 2);
    EXPECT_EQ(label.at(1).at(0).toString(), "16  Seconds");
    EXPECT_EQ(settings::Get(*profile, settings::kTimelineScale, 3000), 480);
}

TEST_F(TimelineTest, BandsBarsAndMarksAtComputedPixels) {
    MakeTwoScenes();
    ShowNode& bob = *Scene(0).children[4];
    ShowNode& al = *Scene(0).children[5];
    ASSERT_TRUE(bob.AddKey(KeyAt(150, 30), 0));
    al.setSelected(true);
    ASSERT_TRUE(Scene(0).children[0]->AddKey(KeyAt(150), 0));
    doc->UpdateViewsAtFrame(280);
    MakeView(QSize(700, 300));
    // One line of rows each: the bands, dark from x = 30 for 60 pixels and light for the next
    // 60 (b: under every row, above the band labels); Bob's bar on row 40, outlined at x(0) and
    // x(300), to row 50, with his actor icon's head at (x + 3 + 3, row + 2); his key at 150, a
    // diamond pointing at x(150), and its hold of 30 frames, two lines from x(150) + 4 to
    // x(180) - 4 at rows 45 and 47; Al, selected: a blue bar with a white icon on row 64,
    // ending at x(200); the sound track on row 76 from x(10) to x(100); the scene's camera key
    // at 150, a triangle pointing at x(150), with the small camera beside it; the "Camera 1"
    // row's bracket at x(300), rows 16 to 26; the cut line at 280, 2 pixels wide from the
    // track area's top.
    const int b = 150;
    // clang-format off
    const Rows want = {
        {30, b, kDark}, {89, b, kDark}, {90, b, kGrey}, {150, b, kDark}, {29, b, kGrey},
        {X(0), 45, kOutline}, {X(300), 45, kOutline}, {500, 40, kOutline}, {500, 50, kOutline},
            {500, 45, kCyan}, {500, 51, kGrey}, {449, 51, kDark}, {X(0) + 6, 42, kBlack},
        {X(150), 42, kBlack}, {X(150) - 3, 45, kBlack}, {X(150) - 1, 42, kCyan},
            {X(150) + 4, 45, kBlack}, {X(180) - 5, 47, kBlack}, {X(165), 46, kCyan},
            {X(180) - 4, 45, kCyan},
        {300, 69, kBlue}, {X(200), 69, kOutline}, {X(200) + 1, 69, kDark}, {X(0) + 6, 66, kWhite},
        {X(50), 85, kCyan}, {X(10), 80, kOutline},
        {X(150) - 3, 6, kBlack}, {X(150), 12, kBlack}, {X(150) - 4, 6, kCyan},
            {X(150) + 6, 6, kBlack},
        {X(300), 16, kBlack}, {X(300), 26, kBlack}, {X(300) - 1, 20, kGrey},
        {X(280), 4, kRed}, {X(280) + 1, 45, kRed}, {X(280) + 1, b, kRed}, {X(280) + 2, 45, kCyan},
            {X(280) - 1, 45, kCyan}, {X(280), 3, kRed, false},
    };
    // clang-format on
    Expect(Grab(), want);
}

TEST_F(TimelineTest, ShortBarsLockedTracksAndLongNames) {
    AddTrack(Scene(0), NodeKind::Actor, 100, 105, "");
    AddTrack(Scene(0), NodeKind::Actor, 100, 106, "");
    AddTrack(Scene(0), NodeKind::Actor, 100, 160,
             "A very long name that would run far past the end of its bar");
    ShowNode& locked = AddTrack(Scene(0), NodeKind::Actor, 0, 300, "Locked");
    locked.flags &= ~kRangeEditable;
    AddTrack(Scene(0), NodeKind::Actor, 0, 300, "After");
    doc->UpdateViewsAtFrame(280);
    MakeView(QSize(700, 300));
    const QImage image = Grab();
    // 5 frames: x(100) .. x(105) + 1 is 11 pixels, no icon; 6 frames is 13 pixels, with icon.
    // A track whose range may not change is not drawn but keeps its row: the next is below.
    Expect(image,
           {{X(100) + 6, 42, kCyan}, {X(100) + 6, 54, kBlack}, {250, 81, kGrey}, {250, 93, kCyan}});
    // The long name is cut to the bar: its ink stays inside x(100) + 13 .. x(160) and nothing
    // is written past the bar's end.
    int inside = 0, past = 0;
    for (int y = 64; y < 75; ++y) {
        for (int x = X(100) + 13; x < X(160); ++x)
            inside += At(image, x, y).lightness() < 100;
        for (int x = X(160) + 1; x < X(160) + 200; ++x)
            past += At(image, x, y) != kGrey && At(image, x, y) != kDark;
    }
    EXPECT_GT(inside, 20);
    EXPECT_EQ(past, 0);
}

TEST_F(TimelineTest, RangeMarksOnlyWhileTheRangeIsOn) {
    MakeView();
    doc->UpdateViewsAtFrame(60);
    player->MarkRangeEnd();        // 0 .. 60, range on
    player->ToggleRange();         // off again
    doc->UpdateViewsAtFrame(200);  // the cut line away from the marks
    // The start bracket's upright at x(0 - 2) + 3, the end's at x(60) - 2 + 3.
    for (bool on : {false, true}) {
        SCOPED_TRACE(on ? "range on" : "range off");
        if (on) player->ToggleRange();
        Expect(Grab(), {{X(-2) + 3, 6, kBlack, on}, {X(60) + 1, 6, kBlack, on}});
    }
    Expect(Grab(), {{X(60) + 1, 11, kBlack}});
}

TEST_F(TimelineTest, CutLineMoveRepaintsOnlyTheOldAndNewStrips) {
    MakeTwoScenes();
    MakeView();
    QTest::qWait(50);
    PaintRecorder recorder;
    view->viewport()->installEventFilter(&recorder);
    const QRect before = view->CutLine();
    doc->UpdateViewsAtFrame(100);
    const QRect after = view->CutLine();
    EXPECT_EQ(after.left(), X(100));
    EXPECT_EQ(view->cutLineFrame(), 100);
    QTRY_VERIFY(!recorder.regions.empty());
    QRegion painted;
    for (const QRegion& r : recorder.regions)
        painted += r;
    EXPECT_EQ(painted, QRegion(before) + QRegion(after));
    EXPECT_EQ(after.width(), 2);
    EXPECT_EQ(after.height(), view->viewport()->height() - 8);
    view->viewport()->removeEventFilter(&recorder);
    Expect(Grab(), {{X(100), 60, kRed}, {X(100) + 1, 150, kRed}, {X(0), 150, kRed, false}});
}

TEST_F(TimelineTest, ClickSetsTheFrameAndGoToFramePages) {
    MakeTwoScenes();
    MakeView(QSize(480, 300));
    QSignalSpy counter(view.get(), &TimelineView::frameCounterChanged);
    // x = 90 is frame 30, x = 31 frame 0, left of frame 0 too.
    const std::pair<int, int> clicks[] = {{90, 30}, {31, 0}, {5, 0}};
    for (const auto& [x, frame] : clicks) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(x, 60));
        EXPECT_EQ(doc->currentFrame(), frame) << x;
    }
    // Each press shows the selection's start, each release the frame clicked.
    ASSERT_EQ(counter.count(), 6);
    EXPECT_EQ(counter.at(1).at(0).toInt(), 30);

    // Off screen to the right: the view's left edge goes to x(frame).
    const int width = view->viewport()->width();
    view->GoToFrame(350, false);
    EXPECT_EQ(doc->currentFrame(), 350);
    EXPECT_EQ(view->horizontalScrollBar()->value(), X(350));
    EXPECT_EQ(view->CutLine().left(), 0);
    // A click now lands on frame((client x) + scroll).
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(100, 60));
    EXPECT_EQ(doc->currentFrame(), TimeScale(30).Frame(X(350) + 100));
    // Off screen to the left: the frame ends up a track area's width in from the left.
    view->GoToFrame(200, false);
    EXPECT_EQ(view->horizontalScrollBar()->value(), X(200) - (width - 60));
    // On screen: no paging.
    const int scroll = view->horizontalScrollBar()->value();
    view->GoToFrame(210, false);
    EXPECT_EQ(view->horizontalScrollBar()->value(), scroll);
    // Ctrl-click: the frame changes, the view stays where it is.
    view->horizontalScrollBar()->setValue(0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier, QPoint(width - 1, 60));
    EXPECT_EQ(doc->currentFrame(), TimeScale(30).Frame(width - 1));
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
    // An outside change of frame (a jog) is followed too.
    player->ApplyJogAmount(500);
    player->JogForward();
    EXPECT_EQ(doc->currentFrame(), 599);  // the show's last frame
    EXPECT_EQ(view->horizontalScrollBar()->value(),
              std::min(X(599), view->horizontalScrollBar()->maximum()));
}

TEST_F(TimelineTest, WithoutMovingTimelinePlayLeavesTheViewUntilStop) {
    MakeTwoScenes();
    MakeView();
    view->SetMovePlay(false);
    EXPECT_EQ(settings::Get(*profile, settings::kMovePlay), 0);
    player->SetPlaying(true);
    player->StoreMode(kPlayForwards);
    doc->UpdateViewsAtFrame(400);
    EXPECT_EQ(view->cutLineFrame(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
    player->SetPlaying(false);
    player->StoreMode(kStopped);
    EXPECT_EQ(view->cutLineFrame(), 400);
    EXPECT_EQ(view->horizontalScrollBar()->value(),
              std::min(X(400), view->horizontalScrollBar()->maximum()));

    view->SetMovePlay(true);
    player->SetPlaying(true);
    doc->UpdateViewsAtFrame(20);
    EXPECT_EQ(view->cutLineFrame(), 20);
}

TEST_F(TimelineTest, ShowsTooLongOrBrokenStillDraw) {
    ShowNode& scene = Scene(0);
    scene.endFrame = INT32_MAX;  // a hand-made file may say anything
    for (ShowNode* c : scene.children)
        c->endFrame = INT32_MAX;
    AddTrack(scene, NodeKind::Actor, 500, 100, "Backwards", false);
    scene.children[0]->keys.push_back(KeyAt(INT32_MAX - 10, -1));
    profile->WriteInt("Timeline", "Scale", 15);
    MakeView();
    EXPECT_EQ(view->extent().totalFrames, INT32_MAX);
    EXPECT_EQ(view->extent().totalWidth, INT32_MAX / 2);
    view->GoToFrame(INT32_MAX - 1, false);
    EXPECT_EQ(doc->currentFrame(), INT32_MAX - 1);
    EXPECT_EQ(view->horizontalScrollBar()->value(), view->horizontalScrollBar()->maximum());
    // Far along, the scene's bar still fills its row.
    EXPECT_EQ(Grab().pixelColor(200, 9), kCyan);
    view->GoToFrame(-50, false);
    EXPECT_EQ(doc->currentFrame(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(Grab().pixelColor(30, 150), kRed);
}

}  // namespace
