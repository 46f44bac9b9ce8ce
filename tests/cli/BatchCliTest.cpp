// quillon-cli batch as a user runs it: AVI passes with their holds and their log, the check
// that collects them, the tape batch with an operator at the terminal or a recorder on a
// pseudo-terminal, and the refusals of bad lists and options.
#include <gtest/gtest.h>

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "../tape/VtrEmulator.h"
#include "CliRun.h"

using namespace quillon::testing;

namespace {

struct BatchCli : ::testing::Test {
    QTemporaryDir dir;
    QString profile;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        profile = dir.filePath("profile.ini");
        QFile f(profile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[System]\nFrameRate=2500\n");
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    CliRun Cli(const QStringList& words) { return RunCli(profile, words, dir.path()); }
    CliRun Batch(const QStringList& words) { return Cli(QStringList{"batch"} + words); }
    // A show of one scene of `frames` frames at 25 fps.
    QString Show(const QString& name, int frames) {
        QDir().mkpath(QFileInfo(Path(name)).path());
        const CliRun r =
            Cli({"new", Path(name), "--scenes", "1", "--length", QString::number(frames)});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        return Path(name);
    }
    int MovieFrames(const QString& avi) {
        const CliRun r = Cli({"movie", avi});
        if (r.status != 0) return -1;
        return QJsonDocument::fromJson(r.out).object()["frames"].toInt(-1);
    }
    QByteArray Read(const QString& name) {
        QFile f(Path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

const QStringList kSmallAvi = {"--avi", "--size", "64x48", "--codec", "mjpeg"};

}  // namespace

TEST_F(BatchCli, AviPassesCarryTheirHoldsAndTheLogTheirPlaceOnTape) {
    // The AVI's name is the show's path cut at its first dot, even one in a folder's name.
    const QString a = Show("a.shw", 25);
    const QString b = Show("take.v2/b.shw", 50);
    const CliRun r = Batch(QStringList{a, b, "--reverse", "--hold-start", "1", "--hold-end", "2",
                                       "--start", "10:00:00:00", "--log", "batch.edl"} +
                           kSmallAvi);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "{\"completed\": true, \"passes\": 4}\n");
    const struct {
        const char* file;
        int frames;  // the show, then 1 s and 2 s of hold at 25 fps
    } files[] = {
        {"a.avi", 25 + 75}, {"aR.avi", 25 + 75}, {"take.avi", 50 + 75}, {"takeR.avi", 50 + 75}};
    for (const auto& f : files)
        EXPECT_EQ(MovieFrames(Path(f.file)), f.frames) << f.file;
    const QByteArray log = Read("batch.edl");
    for (const char* line :
         {"10:00:00:00 10:00:04:00 10:00:00:00 10:00:04:00", "NOTE: a Reverse Motion",
          "10:00:04:00 10:00:08:00", "10:00:08:00 10:00:13:00", "10:00:13:00 10:00:18:00",
          "NOTE: b Reverse Motion"})
        EXPECT_TRUE(log.contains(line)) << line << "\n" << log.toStdString();

    // The last step of a batch made elsewhere: the same log from the files alone.
    const QStringList collect = {
        a,   b,         "--avi",       "--collect", "--reverse", "--hold-start", "1", "--hold-end",
        "2", "--start", "10:00:00:00", "--log"};
    EXPECT_EQ(Batch(collect + QStringList{"again.edl"}).status, 0);
    EXPECT_EQ(Read("again.edl"), log);
    // A file cut short or gone ends it at its show, named.
    ASSERT_TRUE(QFile::remove(Path("takeR.avi")));
    const CliRun missing = Batch(collect + QStringList{"third.edl"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains("batch ended at " + b.toUtf8())) << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains("takeR.avi")) << missing.err.toStdString();
}

TEST_F(BatchCli, AShowThatCannotBeReadEndsTheBatchThere) {
    const QString good = Show("good.shw", 10);
    QFile bad(Path("bad.shw"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a show at all");
    bad.close();
    const CliRun r = Batch(QStringList{good, Path("bad.shw"), good} + kSmallAvi);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "{\"completed\": false, \"passes\": 1}\n");
    EXPECT_TRUE(r.err.contains("batch ended at " + Path("bad.shw").toUtf8() + ": "))
        << r.err.toStdString();
}

TEST_F(BatchCli, TapeWithoutARecorderStartsWhenTheOperatorSaysSo) {
    const QString show = Show("short.shw", 10);
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(QUILLON_CLI),
            {"--profile", profile, "batch", show, "--hold-start", "0", "--hold-end", "0", "--start",
             "01:00:00:00", "--log", "tape.ale", "--no-audio", "--size", "64x48"});
    ASSERT_TRUE(p.waitForStarted());
    // The question comes first; nothing plays until Enter.
    QByteArray err;
    for (int i = 0; i < 200 && !err.contains("Put VTR into Record  at 01:00:00:00"); ++i) {
        p.waitForReadyRead(50);
        err += p.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("Put VTR into Record  at 01:00:00:00")) << err.toStdString();
    EXPECT_FALSE(err.contains("slate")) << err.toStdString();
    p.write("\n");
    ASSERT_TRUE(p.waitForFinished(60000));
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_EQ(p.readAllStandardOutput(), "{\"completed\": true, \"passes\": 1}\n");
    EXPECT_TRUE(err.contains("slate: SHORT")) << err.toStdString();
    // Logged after the slate's two seconds, ending a frame before the tape's time at the end.
    const QByteArray log = Read("tape.ale");
    EXPECT_TRUE(log.contains("01:00:02:")) << log.toStdString();
    EXPECT_TRUE(log.contains("short")) << log.toStdString();

    // No operator: the input ends and the batch is called off before anything plays.
    QProcess none;
    none.setWorkingDirectory(dir.path());
    none.setStandardInputFile(QProcess::nullDevice());
    none.start(QStringLiteral(QUILLON_CLI),
               {"--profile", profile, "batch", show, "--no-audio", "--size", "64x48"});
    ASSERT_TRUE(none.waitForFinished(30000));
    EXPECT_EQ(none.exitCode(), 1);
    const QByteArray noneErr = none.readAllStandardError();
    EXPECT_TRUE(noneErr.endsWith("quillon-cli: batch called off\n")) << noneErr.toStdString();
    EXPECT_FALSE(noneErr.contains("slate")) << noneErr.toStdString();
}

TEST_F(BatchCli, TapeWithARecorderPresetsItWaitsAndStopsIt) {
    const QString show = Show("short.shw", 10);
    VtrEmulator recorder(2);
    const CliRun r =
        Batch({show, "--port", QString::fromStdString(recorder.device()), "--video", "--hold-start",
               "0", "--hold-end", "0", "--start", "00:10:00:00", "--no-audio", "--size", "64x48"});
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    std::vector<std::vector<uint8_t>> packets;
    for (int i = 0; i < 100; ++i) {
        packets = recorder.packets();
        if (!packets.empty() && packets.back() == std::vector<uint8_t>{0x20, 0x00, 0x20}) break;
        QThread::msleep(10);
    }
    ASSERT_GE(packets.size(), 5u);
    // Edit preset of video only, in at 00:10:00:00 and out an hour later, then record.
    EXPECT_EQ(packets[0], (std::vector<uint8_t>{0x42, 0x30, 0x50, 0xC2}));
    EXPECT_EQ(packets[1], (std::vector<uint8_t>{0x44, 0x14, 0x00, 0x00, 0x10, 0x00, 0x68}));
    EXPECT_EQ(packets[2], (std::vector<uint8_t>{0x44, 0x15, 0x00, 0x00, 0x10, 0x01, 0x6A}));
    EXPECT_EQ(packets[3], (std::vector<uint8_t>{0x20, 0x42, 0x62}));
    EXPECT_EQ(packets.back(), (std::vector<uint8_t>{0x20, 0x00, 0x20}));  // STOP at the end
}

TEST_F(BatchCli, BadListsAndOptionsAreRefusedBeforeAnythingIsWritten) {
    const QString show = Show("s.shw", 10);
    QStringList many;
    for (int i = 0; i < 257; ++i)
        many << show;
    const QList<QStringList> cases = {
        {},
        {Path("nowhere.shw"), "--avi"},
        many + QStringList{"--avi"},
        {show, "--avi", "--engine", "cloud"},
        {show, "--engine", "slurm"},
        {show, "--avi", "--collect", "--engine", "slurm"},
        {show, "--avi", "--wait"},
        {show, "--avi", "--port", "/dev/null"},
        {show, "--video"},
        {show, "--fps", "25"},
        {show, "--avi", "--hold-start", "101"},
        {show, "--avi", "--hold-end", "-1"},
        {show, "--avi", "--start", "ten o'clock"},
        {show, "--avi", "--size", "0x0"},
        {show, "--avi", "--colour"},
    };
    for (const QStringList& words : cases) {
        const CliRun r = Batch(words);
        ExpectOneLineError(r, words.mid(0, 6));
    }
    EXPECT_FALSE(QFile::exists(Path("s.avi")));
}

TEST_F(BatchCli, CtrlCWhilePlayingCallsTheBatchOffAndKeepsWhatWasLogged) {
    const QString first = Show("first.shw", 5);
    const QString longer = Show("long.shw", 25 * 60);  // a minute: stopped long before its end
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(QUILLON_CLI),
            {"--profile", profile, "batch", first, longer, "--hold-start", "0", "--hold-end", "0",
             "--log", "cut.edl", "--no-audio", "--size", "64x48"});
    ASSERT_TRUE(p.waitForStarted());
    p.write("\n");
    QByteArray err;
    for (int i = 0; i < 400 && !err.contains("show 2 of 2: long"); ++i) {
        p.waitForReadyRead(50);
        err += p.readAllStandardError();
    }
    ASSERT_TRUE(err.contains("show 2 of 2: long")) << err.toStdString();
    QThread::msleep(300);
    ::kill(pid_t(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(10000)) << "Ctrl-C did not end the batch";
    err += p.readAllStandardError();
    EXPECT_EQ(p.exitCode(), 130) << err.toStdString();
    EXPECT_EQ(p.readAllStandardOutput(), "{\"completed\": false, \"passes\": 1}\n");
    // The first show's pass stays in the log.
    const QByteArray log = Read("cut.edl");
    EXPECT_TRUE(log.contains("NOTE: first \r\n")) << log.toStdString();
    EXPECT_FALSE(log.contains("NOTE: long")) << log.toStdString();
}
