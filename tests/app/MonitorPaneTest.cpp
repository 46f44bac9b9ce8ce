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

#include "app/Application.h"
#include "app/MovieSettingsDialog.h"
#include "app/PlayerPane.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/ShowFiles.h"
#include "monitor/MonitorWidget.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"

using namespace quillon;

namespace {

const QString kDemo = QStringLiteral(QUILLON_SOURCE_DIR "/data/demo/demo.shw");

struct App {
    explicit App(const QString& profilePath) : profile(profilePath), application(profile, false) {
        QString error;
        EXPECT_TRUE(application.Start(&error)) << error.toStdString();
        // Without the stage's start-up picture, whose end (after 3 s or at the first key)
        // centres the camera on the plan.
        application.SetStartupPicture(false);
        application.Show({});
        QApplication::processEvents();
    }
    Profile profile;
    Application application;
    Document& doc = application.doc();
    MainWindow& window() { return application.window(); }
};

void Key(QWidget* w, int key, const QString& text = QString(),
         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(w, &press);
    QApplication::processEvents();
}

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

class MonitorPaneTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

}  // namespace

TEST_F(MonitorPaneTest, MonitorShowsTheFrameAndGoesFullScreen) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.application.files().ReadShow(kDemo));
    MonitorWidget* monitor = app.window().monitor();
    app.doc.UpdateViewsAtFrame(60, Refresh::kViews);
    QApplication::processEvents();
    // Mid-scene the courtyard is lit: the monitor's picture is not black.
    const QImage picture = monitor->grabFramebuffer();
    ASSERT_FALSE(picture.isNull());
    int lit = 0;
    for (int y = 0; y < picture.height(); y += 7)
        for (int x = 0; x < picture.width(); x += 7)
            lit += qGray(picture.pixel(x, y)) > 40;
    EXPECT_GT(lit, 10);

    const QRect screen = monitor->screen()->geometry();
    const QRect inPane = monitor->geometry();
    Key(monitor, Qt::Key_Z, "z");
    ASSERT_TRUE(monitor->fullScreen());
    WaitFor([&] { return monitor->isWindow() && monitor->width() == screen.width() - 1; });
    EXPECT_EQ(monitor->width(), screen.width() - 1);
    EXPECT_EQ(monitor->height(), screen.height() - 1);
    {
        const QImage full = monitor->grabFramebuffer();
        int litFull = 0;
        for (int y = 0; y < full.height(); y += 7)
            for (int x = 0; x < full.width(); x += 7)
                litFull += qGray(full.pixel(x, y)) > 40;
        EXPECT_GT(litFull, 10) << "full screen";
    }
    // "x" does nothing; the second toggle brings it back into its pane.
    Key(monitor, Qt::Key_X, "x");
    EXPECT_TRUE(monitor->fullScreen());
    Key(monitor, Qt::Key_Z, "Z");
    EXPECT_FALSE(monitor->fullScreen());
    EXPECT_FALSE(monitor->isWindow());
    WaitFor([&] { return monitor->size() == inPane.size(); });
    EXPECT_EQ(monitor->size(), inPane.size());
    // Back in its pane it still draws the frame with the show's textures.
    const QImage again = monitor->grabFramebuffer();
    int litAgain = 0;
    for (int y = 0; y < again.height(); y += 7)
        for (int x = 0; x < again.width(); x += 7)
            litAgain += qGray(again.pixel(x, y)) > 40;
    EXPECT_GT(litAgain, 10);
    // "o" rewinds to frame 0 (play waits for the play loop).
    Key(monitor, Qt::Key_O, "o");
    EXPECT_EQ(app.doc.currentFrame(), 0);
}

TEST_F(MonitorPaneTest, PlayerPaneReadoutAndKeys) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.application.files().ReadShow(kDemo));
    auto* pane = qobject_cast<PlayerPane*>(app.window().playerPane());
    ASSERT_NE(pane, nullptr);
    const QRect box = pane->TransportBox();
    EXPECT_EQ(box.left(), 4);
    EXPECT_EQ(box.right(), 64);
    EXPECT_EQ(box.bottom(), pane->height() - 5);
    EXPECT_EQ(pane->ReadoutBox().size(), QSize(52, 14));
    EXPECT_EQ(pane->ReadoutBox().top(), box.top() + 21);
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
    EXPECT_EQ(app.doc.currentFrame(), app.window().player()->jogAmount());
    Key(pane, Qt::Key_PageDown);
    EXPECT_EQ(app.doc.currentFrame(), 1 + app.window().timelineView()->scale());
    EXPECT_EQ(pane->ReadoutText(),
              QStringLiteral("00:00:01:01 "));  // 31 frames at 30 fps (scale 30)
}

TEST_F(MonitorPaneTest, MakeMovieFromTheMenuWritesAnAvi) {
    App app(Path("p.ini"));
    ASSERT_TRUE(app.application.files().ReadShow(kDemo));
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
        auto* poll = new QTimer(&app.window());
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
    app.window().action(kCmdMakeMovie)->trigger();
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
