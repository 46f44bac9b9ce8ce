// The monitor and player panes in the window under Xvfb: the frame drawn on screen, full
// screen one pixel short of the screen and back, the screen keys, the player pane's readout and
// keys, and "Make Movie" from the menu writing an AVI through the monitor's context.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest/QTest>

#include "WindowTestKit.h"
#include "app/Application.h"
#include "app/MovieSettingsDialog.h"
#include "app/PlayerPane.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "monitor/MonitorWidget.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"
#include "viewkit/ViewFonts.h"

using namespace quillon;

using namespace quillon::testkit;

namespace {

class MonitorPaneTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(MonitorPaneTest, MonitorShowsTheFrameAndGoesFullScreen) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    MonitorWidget* monitor = app.window->monitor();
    auto* pane = qobject_cast<PlayerPane*>(app.window->playerPane());
    app.doc.UpdateViewsAtFrame(60, Refresh::kViews);
    // Mid-scene the courtyard is lit: the monitor's picture is not black, on the screen too.
    EXPECT_GT(LitPixels(monitor->grabFramebuffer()), 10);
    WaitFor([&] { return LitPixels(OnScreen(monitor)) > 10; }, 2000);
    EXPECT_GT(LitPixels(OnScreen(monitor)), 10) << "on screen";
    const QImage counter = pane->grab(pane->ReadoutBox()).toImage();

    // "z" and a double click, each twice: full screen one pixel short of the screen, and back.
    const QRect screen = monitor->screen()->geometry();
    const QRect inPane = monitor->geometry();
    for (const char* how : {"z", "double click"}) {
        SCOPED_TRACE(how);
        // Through the X server, as a user presses the key or double-clicks.
        auto toggle = [&](QWidget* target) {
            if (std::string(how) != "z") return XClick(target, target->rect().center(), 2);
            // The pane's monitor takes the focus with a click; the full-screen window has it.
            if (target == monitor) XClick(target, target->rect().center());
            XInput({"key", "z"});
        };
        toggle(monitor);
        ASSERT_TRUE(monitor->fullScreen());
        MonitorWidget* full = monitor->fullScreenWindow();
        ASSERT_NE(full, nullptr);
        EXPECT_TRUE(full->isWindow());
        EXPECT_EQ(full->geometry(),
                  QRect(screen.x(), screen.y(), screen.width() - 1, screen.height() - 1));
        WaitFor([&] { return LitPixels(OnScreen(full)) > 10; }, 2000);
        EXPECT_GT(LitPixels(OnScreen(full)), 10) << "full screen";
        // "x" does nothing; the second toggle, in the full-screen window, ends it.
        Key(full, Qt::Key_X, "x");
        EXPECT_TRUE(monitor->fullScreen());
        toggle(full);
        EXPECT_FALSE(monitor->fullScreen());
        EXPECT_FALSE(monitor->isWindow());
        EXPECT_EQ(monitor->geometry(), inPane);
        // Back in its pane it still draws the frame with the show's textures, frame steps too,
        // and the frame counter is drawn again.
        app.doc.UpdateViewsAtFrame(61, Refresh::kViews);
        WaitFor([&] { return LitPixels(OnScreen(monitor)) > 10; }, 2000);
        EXPECT_GT(LitPixels(OnScreen(monitor)), 10) << "on screen after full screen";
        app.doc.UpdateViewsAtFrame(60, Refresh::kViews);
        QApplication::processEvents();
        EXPECT_EQ(pane->grab(pane->ReadoutBox()).toImage(), counter);
    }
    // "o" rewinds to frame 0 and plays.
    Key(monitor, Qt::Key_O, "o");
    EXPECT_TRUE(app.window->player()->playing());
    app.window->player()->Stop();
    EXPECT_LT(app.doc.currentFrame(), 10);
}

TEST_F(MonitorPaneTest, PlayerPaneReadoutAndKeys) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    auto* pane = qobject_cast<PlayerPane*>(app.window->playerPane());
    ASSERT_NE(pane, nullptr);
    // The transport box from x 4, 102 to 4 pixels above the bottom; the counter's box 21 pixels
    // below its top, centred, at least 52 x 14 and as wide as its text in its font.
    const QRect box = pane->TransportBox();
    EXPECT_EQ(box.left(), 4);
    EXPECT_GE(box.right(), 64);
    EXPECT_EQ(box.bottom(), pane->height() - 5);
    const QRect counter = pane->ReadoutBox();
    EXPECT_EQ(counter.top(), box.top() + 21);
    EXPECT_LE(std::abs(counter.center().x() - box.center().x()), 1);
    EXPECT_GE(counter.width(), 52);
    EXPECT_GE(counter.height(), 14);
    EXPECT_TRUE(box.contains(counter));
    const QFontMetrics digits(TinyFont(10));
    EXPECT_GE(digits.ascent(), 7);  // readable figures
    EXPECT_GE(counter.width(), digits.horizontalAdvance("00:00:00:00 "));
    EXPECT_EQ(pane->ReadoutText(), "00:00:00:00 ");

    Key(pane, Qt::Key_End);
    EXPECT_EQ(app.doc.currentFrame(), app.doc.TotalFrames() - 1);
    Key(pane, Qt::Key_Home);
    EXPECT_EQ(app.doc.currentFrame(), 0);
    Key(pane, Qt::Key_Plus, "+", Qt::KeypadModifier);
    EXPECT_EQ(app.doc.currentFrame(), 1);
    Key(pane, Qt::Key_Minus, "-", Qt::KeypadModifier);
    Key(pane, Qt::Key_Minus, "-", Qt::KeypadModifier);
    EXPECT_EQ(app.doc.currentFrame(), 0);
    Key(pane, Qt::Key_Right);  // by the jog amount, 1 by default
    EXPECT_EQ(app.doc.currentFrame(), app.window->player()->jogAmount());
    Key(pane, Qt::Key_PageDown);
    EXPECT_EQ(app.doc.currentFrame(), 1 + app.window->timelineView()->scale());
    EXPECT_EQ(pane->ReadoutText(),
              QStringLiteral("00:00:01:01 "));  // 31 frames at 30 fps (scale 30)
}

TEST_F(MonitorPaneTest, MakeMovieFromTheMenuWritesAnAvi) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.files.ReadShow(kDemo));
    const QString movie = Path("take.avi");
    // The settings dialog: 160 x 120, frames 1:00 to 2:00, Motion JPEG; then the file dialog.
    QTimer::singleShot(300, [&] {
        auto* dialog = qobject_cast<MovieSettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->startEdit()->setText("1:00");
        dialog->endEdit()->setText("2:00");
        dialog->widthEdit()->setText("160");
        dialog->heightEdit()->setText("120");
        dialog->codecBox()->setCurrentIndex(1);
        // Then the file dialog, once it is up.
        auto* poll = new QTimer(app.window);
        QObject::connect(poll, &QTimer::timeout, [poll, movie] {
            auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!files) return;
            poll->stop();
            // Typed into the name field and confirmed, as a user does.
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            name->setText(movie);
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(name, &enter);
        });
        poll->start(100);
        dialog->accept();
    });
    app.window->action(kCmdMakeMovie)->trigger();
    ASSERT_TRUE(QFile::exists(movie));
    QProcess probe;
    probe.start("ffprobe", {"-v", "error", "-count_frames", "-show_entries",
                            "stream=codec_name,width,height,nb_read_frames", "-of",
                            "default=noprint_wrappers=1", movie});
    ASSERT_TRUE(probe.waitForFinished(60000));
    const QString out = QString::fromUtf8(probe.readAllStandardOutput());
    EXPECT_TRUE(out.contains("codec_name=mjpeg")) << out.toStdString();
    EXPECT_TRUE(out.contains("width=160")) << out.toStdString();
    EXPECT_TRUE(out.contains("height=120")) << out.toStdString();
    EXPECT_TRUE(out.contains("nb_read_frames=30")) << out.toStdString();
    // The settings were kept for the next run.
    EXPECT_EQ(app.profile.GetInt("Movie", "Width", -1), 160);
    EXPECT_EQ(app.profile.GetInt("Movie", "Codec", -1), 1);
    // The document is left at the end frame.
    EXPECT_EQ(app.doc.currentFrame(), 60);
}
