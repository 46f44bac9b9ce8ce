// "Batch Record/AVI" in the running window, answered as a user answers it: the Record to Tape
// dialog filled through its own file dialogs, the movie settings in AVI mode, the operator's box
// with no recorder port; what the batch leaves on disk and in the window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QThread>

#include "WindowTestKit.h"
#include "app/MovieSettingsDialog.h"
#include "app/RecordToTapeDialog.h"
#include "app/commands/CommandIds.h"
#include "model/ScriptedHost.h"
#include "monitor/MonitorWidget.h"
#include "pictures/MovieSource.h"
#include "pictures/Picture.h"
#include "tape/VtrEmulator.h"

using namespace quillon;
using namespace quillon::testkit;

namespace {

struct BatchWindow : ::testing::Test {
    QTemporaryDir dir;
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A show of one scene of `frames` frames.
    QString Show(const QString& name, int frames) {
        Profile profile(dir.filePath("maker.ini"));
        ScriptedHost host;
        Document d(profile, host);
        d.Reset(true);
        ShowNode& scene = *d.root().children.front();
        scene.endFrame = scene.startFrame + frames;
        const QString path = dir.filePath(name);
        d.SetShowPath(path);
        EXPECT_TRUE(ShowFiles(d).WriteShow(path));
        return path;
    }

    // Answers the dialogs the command opens, in turn, as they come up; `fill` sets up the
    // Record to Tape dialog before its own "Add" and "Set" are pressed.
    struct Operator {
        QStringList shows;
        QString log;
        std::function<void(RecordToTapeDialog&)> fill;
        QStringList boxes;  // the message boxes' texts
        bool movieSettingsSeen = false;
        bool filled = false, listed = false;
        bool slateSeen = false;
        MonitorWidget* monitor = nullptr;

        void Step() {
            if (monitor && monitor->showingSlate()) slateSeen = true;
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (auto* files = qobject_cast<QFileDialog*>(modal)) {
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                if (!name) return;
                if (files->acceptMode() == QFileDialog::AcceptSave) {
                    name->setText(log);
                } else {
                    QStringList quoted;
                    for (const QString& s : shows)
                        quoted << '"' + QFileInfo(s).fileName() + '"';
                    files->setDirectory(QFileInfo(shows.first()).path());
                    name->setText(quoted.join(' '));
                }
                return static_cast<QDialog*>(files)->accept();
            }
            if (auto* record = qobject_cast<RecordToTapeDialog*>(modal)) {
                if (!filled) {
                    filled = true;
                    fill(*record);
                    // "Add" and "Set" open file dialogs of their own: pressed from a timer of
                    // their own, so this one goes on to answer them.
                    QTimer::singleShot(0, record, [this, record] {
                        record->AddShows();
                        if (!log.isEmpty()) record->ChooseLog();
                        listed = true;
                    });
                    return;
                }
                if (listed) record->accept();
                return;
            }
            if (auto* movie = qobject_cast<MovieSettingsDialog*>(modal)) {
                movieSettingsSeen = true;
                return movie->accept();
            }
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                boxes << box->text();
                return box->accept();
            }
        }
    };

    void Run(App& app, Operator& op) {
        op.monitor = app.window->monitor();
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { op.Step(); });
        timer.start(20);
        app.window->action(kCmdBatchRecord)->trigger();
        timer.stop();
    }
    QByteArray Read(const QString& name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

int FramesOf(const QString& avi) {
    MovieSource movie;
    Picture scratch;
    return movie.Open(avi, &scratch);
}

}  // namespace

TEST_F(BatchWindow, AviModeWritesEachShowWithItsHoldsAndLogsIt) {
    const QString a = Show("a.shw", 12), b = Show("b.shw", 20);
    App app(dir.filePath("p.ini"));
    app.profile.WriteInt("System", "FrameRate", 2500);
    app.profile.WriteInt("Movie", "Width", 64);
    app.profile.WriteInt("Movie", "Height", 48);
    Operator op{.shows = {a, b}, .log = dir.filePath("avi.edl"), .fill = [](RecordToTapeDialog& d) {
                    d.startHoldEdit()->setText("1");
                    d.endHoldEdit()->setText("0");
                    d.timecodeEdit()->setText("02:00:00:00");
                    d.aviBox()->setChecked(true);
                    d.reverseBox()->setChecked(false);
                }};
    Run(app, op);
    EXPECT_TRUE(op.movieSettingsSeen);
    EXPECT_TRUE(op.boxes.isEmpty()) << op.boxes.join('\n').toStdString();
    const int hold = app.doc.frameRate() / 100;  // one second of the show's rate
    EXPECT_EQ(FramesOf(dir.filePath("a.avi")), 12 + hold);
    EXPECT_EQ(FramesOf(dir.filePath("b.avi")), 20 + hold);
    const QByteArray log = Read("avi.edl");
    EXPECT_TRUE(log.startsWith("001  001      AA/V           02:00:00:00 ")) << log.toStdString();
    EXPECT_TRUE(log.contains("NOTE: b \r\n")) << log.toStdString();
    // The batch ends with a new show in the window.
    EXPECT_TRUE(app.doc.path().isEmpty());
    EXPECT_FALSE(app.doc.modified());
}

TEST_F(BatchWindow, TapeWithoutAPortAsksTheOperatorThenPlaysAfterTheSlate) {
    const QString show = Show("short.shw", 8);
    App app(dir.filePath("p.ini"));
    Operator op{
        .shows = {show}, .log = dir.filePath("tape.ale"), .fill = [](RecordToTapeDialog& d) {
            d.startHoldEdit()->setText("0");
            d.endHoldEdit()->setText("0");
            d.timecodeEdit()->setText("01:00:00:00");
            d.aviBox()->setChecked(false);
            d.reverseBox()->setChecked(true);
        }};
    Run(app, op);
    EXPECT_FALSE(op.movieSettingsSeen);
    ASSERT_FALSE(op.boxes.isEmpty());
    EXPECT_EQ(op.boxes.first(), "Put VTR into Record  at 01:00:00:00");
    EXPECT_TRUE(op.slateSeen);
    EXPECT_EQ(op.boxes.size(), 1) << op.boxes.join("\n").toStdString();
    const QByteArray log = Read("tape.ale");
    EXPECT_TRUE(log.startsWith("Heading\r\nFIELD_DELIM\tTABS\r\n")) << log.toStdString();
    EXPECT_EQ(log.count("\tVA1A2\t001\r\n"), 2) << log.toStdString();
    EXPECT_TRUE(log.contains("\tshort Reverse Motion\t")) << log.toStdString();
    // Back in the pane, with a new show.
    EXPECT_FALSE(app.window->monitor()->fullScreen());
    EXPECT_FALSE(app.window->monitor()->showingSlate());
    EXPECT_TRUE(app.doc.path().isEmpty());
}

TEST_F(BatchWindow, TapeWithAPortPresetsTheRecorderAndStopsItAtTheEnd) {
    const QString show = Show("short.shw", 8);
    quillon::testing::VtrEmulator recorder(2);
    App app(dir.filePath("p.ini"));
    app.profile.WriteString("System", "VTRDevice1", QString::fromStdString(recorder.device()));
    Operator op{
        .shows = {show}, .log = dir.filePath("tape.edl"), .fill = [](RecordToTapeDialog& d) {
            d.startHoldEdit()->setText("0");
            d.endHoldEdit()->setText("0");
            d.timecodeEdit()->setText("00:10:00:00");
            d.aviBox()->setChecked(false);
            d.reverseBox()->setChecked(false);
            d.portBox()->setCurrentIndex(1);  // "Com 1"
            d.videoBox()->setChecked(true);
        }};
    Run(app, op);
    // No operator's box: the recorder was started over its port.
    EXPECT_TRUE(op.boxes.isEmpty()) << op.boxes.join('\n').toStdString();
    std::vector<std::vector<uint8_t>> packets;
    for (int i = 0; i < 100; ++i) {
        packets = recorder.packets();
        if (!packets.empty() && packets.back() == std::vector<uint8_t>{0x20, 0x00, 0x20}) break;
        QThread::msleep(10);
    }
    ASSERT_GE(packets.size(), 5u);
    EXPECT_EQ(packets[0], (std::vector<uint8_t>{0x42, 0x30, 0x50, 0xC2}));  // video only
    EXPECT_EQ(packets[1], (std::vector<uint8_t>{0x44, 0x14, 0x00, 0x00, 0x10, 0x00, 0x68}));
    EXPECT_EQ(packets.back(), (std::vector<uint8_t>{0x20, 0x00, 0x20}));
    EXPECT_TRUE(Read("tape.edl").contains("NOTE: short \r\n")) << Read("tape.edl").toStdString();
    EXPECT_FALSE(app.window->monitor()->fullScreen());
}
