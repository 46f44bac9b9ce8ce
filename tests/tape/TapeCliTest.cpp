// quillon-cli vtr against a recorder emulated on a pseudo-terminal: the bytes each operation
// sends, what it prints, and how it ends on a bad port, a bad recorder and Ctrl-C.
#include <gtest/gtest.h>

#include <signal.h>

#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include "../cli/CliRun.h"
#include "VtrEmulator.h"

using namespace quillon::testing;
using Bytes = std::vector<uint8_t>;

namespace {

struct TapeCli : ::testing::Test {
    QTemporaryDir dir;
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile profile(dir.filePath("profile.ini"));
        ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
        profile.write("[System]\nFrameRate=2500\n");
    }
    CliRun Vtr(const std::string& device, const QStringList& words) {
        return RunCli(dir.filePath("profile.ini"),
                      QStringList{"vtr", "--port", QString::fromStdString(device)} + words);
    }
    // The emulator's thread may still be taking in the last packet when the program ends.
    static std::vector<Bytes> Received(VtrEmulator& recorder, size_t count) {
        for (int i = 0; i < 100 && recorder.packets().size() < count; ++i)
            QThread::msleep(10);
        return recorder.packets();
    }
};

}  // namespace

TEST_F(TapeCli, EachOperationSendsItsPacketsAndSaysWhatCameBack) {
    {
        VtrEmulator recorder(0);
        const CliRun r = Vtr(recorder.device(), {"status"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, "{\"ok\": true, \"status\": [0, 2, 0, 0, 0, 0, 0, 0]}\n");
        EXPECT_EQ(Received(recorder, 1), (std::vector<Bytes>{{0x61, 0x20, 0x07, 0x88}}));
    }
    {
        VtrEmulator recorder(0);
        const CliRun r =
            Vtr(recorder.device(), {"preset", "1:0:0:0", "01:00:10:00", "--video", "--a1", "--a2"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, "{\"ok\": true}\n");
        const std::vector<Bytes> expected = {
            {0x42, 0x30, 0x53, 0xC5},
            {0x44, 0x14, 0x00, 0x00, 0x00, 0x01, 0x59},
            {0x44, 0x15, 0x00, 0x10, 0x00, 0x01, 0x6A},
            {0x20, 0x42, 0x62},
        };
        EXPECT_EQ(Received(recorder, 4), expected);
    }
    {
        // Audio 1 alone.
        VtrEmulator recorder(0);
        const CliRun r = Vtr(recorder.device(), {"preset", "0:0:1:5", "0:0:2:0", "--a1"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        const std::vector<Bytes> expected = {
            {0x42, 0x30, 0x41, 0xB3},
            {0x44, 0x14, 0x05, 0x01, 0x00, 0x00, 0x5E},
            {0x44, 0x15, 0x00, 0x02, 0x00, 0x00, 0x5B},
            {0x20, 0x42, 0x62},
        };
        EXPECT_EQ(Received(recorder, 4), expected);
    }
    {
        VtrEmulator recorder(3);
        const CliRun r = Vtr(recorder.device(), {"record-wait", "--timeout", "20"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, "{\"ok\": true}\n");
        EXPECT_EQ(recorder.statusPolls(), 4);
    }
    {
        VtrEmulator recorder(0);
        const CliRun r = Vtr(recorder.device(), {"stop"});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_EQ(Received(recorder, 1), (std::vector<Bytes>{{0x20, 0x00, 0x20}}));
    }
}

TEST_F(TapeCli, BadRecordersAndBadPorts) {
    for (const auto answer : {VtrEmulator::Answer::kNak, VtrEmulator::Answer::kBadChecksum,
                              VtrEmulator::Answer::kGarbage}) {
        VtrEmulator recorder(0, answer);
        const CliRun r = Vtr(recorder.device(), {"status"});
        EXPECT_EQ(r.status, 1) << int(answer);
        EXPECT_EQ(r.out, "{\"ok\": false}\n") << int(answer);
    }
    {
        // A recorder that never answers never starts: the time limit ends the wait.
        VtrEmulator recorder(0, VtrEmulator::Answer::kSilent);
        const CliRun r = Vtr(recorder.device(), {"record-wait", "--timeout", "0.3"});
        ExpectOneLineError(r);
        EXPECT_EQ(r.err, "quillon-cli: Recorder did not start\n");
    }
    QFile plain(dir.filePath("not-a-terminal"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    for (const std::string& device :
         {std::string("/dev/no-such-recorder"), dir.filePath("not-a-terminal").toStdString()}) {
        const CliRun r = Vtr(device, {"status"});
        ExpectOneLineError(r, {QString::fromStdString(device)});
        EXPECT_TRUE(r.err.startsWith("quillon-cli: cannot open the recorder port")) << r.err.data();
    }
    {
        // A port another program holds.
        VtrEmulator recorder(100);
        QProcess holder;
        holder.start(QStringLiteral(QUILLON_CLI),
                     {"--profile", dir.filePath("profile.ini"), "vtr", "--port",
                      QString::fromStdString(recorder.device()), "record-wait"});
        ASSERT_TRUE(holder.waitForStarted());
        for (int i = 0; i < 300 && recorder.statusPolls() == 0; ++i)
            QThread::msleep(10);
        ASSERT_GT(recorder.statusPolls(), 0);
        const CliRun r = Vtr(recorder.device(), {"stop"});
        ExpectOneLineError(r);
        // The holder is still waiting; Ctrl-C ends its wait with 130.
        EXPECT_EQ(holder.state(), QProcess::Running);
        ::kill(pid_t(holder.processId()), SIGINT);
        ASSERT_TRUE(holder.waitForFinished(5000));
        EXPECT_EQ(holder.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(holder.exitCode(), 130);
    }
}

TEST_F(TapeCli, WordsThatDoNotMakeAnOperation) {
    const QStringList cases[] = {
        {"vtr", "status"},
        {"vtr", "--port", "/dev/null"},
        {"vtr", "--port", "/dev/null", "rewind"},
        {"vtr", "--port", "/dev/null", "preset", "1:0:0:0"},
        {"vtr", "--port", "/dev/null", "preset", "1:0:0:0", "tomorrow"},
        {"vtr", "--port", "/dev/null", "status", "--video"},
        {"vtr", "--port", "/dev/null", "record-wait", "--timeout", "-1"},
        {"vtr", "--port", "/dev/null", "stop", "--timeout", "5"},
    };
    for (const QStringList& words : cases)
        ExpectOneLineError(RunCli(dir.filePath("profile.ini"), words), words);
}
