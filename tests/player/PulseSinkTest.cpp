// The clip player on a real sound server: a PulseAudio server of the test's own with a null
// sink (no sound card needed), started before Qt Multimedia looks for devices, so QAudioSink
// has a device. Clips of 8 and 16 bits play to their end in real time, without a message.
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>

#include <csignal>

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "../model/ScriptedHost.h"
#include "WaveBytes.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "player/QtAudioOutput.h"
#include "player/SoundClip.h"

using namespace quillon;
using namespace quillon::testing;

namespace {

// The server, started in a private runtime folder and stopped at the end.
struct PulseServer {
    QTemporaryDir runtime;
    QProcess process;
    bool Start() {
        if (!runtime.isValid()) return false;
        chmod(runtime.path().toLocal8Bit().constData(), 0700);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("HOME", runtime.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The server goes with the test, however the test ends.
        process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process.start("pulseaudio",
                      {"-n", "--daemonize=no", "--exit-idle-time=-1", "--log-level=error", "-L",
                       "module-null-sink", "-L", "module-native-protocol-unix auth-anonymous=1"});
        if (!process.waitForStarted(5000)) return false;
        const QString socket = runtime.filePath("pulse/native");
        for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
            QThread::msleep(50);
        if (!QFile::exists(socket)) return false;
        // This process talks to it, and only to it.
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
        qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
        return true;
    }
    ~PulseServer() {
        process.terminate();
        if (!process.waitForFinished(3000)) process.kill();
    }
};

bool started = false;

class PulseSinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(started) << "the PulseAudio server did not start";
        ASSERT_TRUE(dir.isValid());
        profile = std::make_unique<Profile>(dir.filePath("p.ini"));
        doc = std::make_unique<Document>(*profile, host);
    }
    QTemporaryDir dir;
    ScriptedHost host;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Document> doc;
};

}  // namespace

TEST_F(PulseSinkTest, ClipsPlayToTheirEnd) {
    ASSERT_FALSE(QMediaDevices::defaultAudioOutput().isNull());
    struct Case {
        std::string wave;
        int64_t fromFrame;
        int64_t playMs;  // what is left of the clip from there
    } cases[] = {
        {PcmWave(Ramp(8000)), 15, 500},                             // 8-bit mono, 1 s, from 0.5 s
        {PcmWave(Ramp(22050 * 4 * 6 / 10), 2, 22050, 16), 0, 600},  // 16-bit stereo, 0.6 s
        {PcmWave(Ramp(11025 * 2 * 4 / 10), 1, 11025, 16), 0, 400},  // 16-bit mono, 0.4 s
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.playMs);
        const QString file = dir.filePath("c.wav");
        ASSERT_TRUE(WriteBytes(file, c.wave));
        QtAudioOutput output;
        SoundClip clip(*doc, output);
        clip.SetFileName(file);
        ASSERT_TRUE(clip.OpenAndScan(0, ScanMode::kScanOnly));
        QElapsedTimer wall;
        wall.start();
        ASSERT_TRUE(clip.Play(c.fromFrame));
        int64_t played = 0;
        while (clip.Playing() && wall.elapsed() < 10000) {
            played = std::max(played, output.playedMicroseconds());
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        EXPECT_FALSE(clip.Playing());
        // Played in real time, to the end: the device took the clip's whole duration (the null
        // sink starts a stream after up to two seconds of its own latency).
        EXPECT_GE(wall.elapsed(), c.playMs - 50);
        EXPECT_LT(wall.elapsed(), c.playMs + 5000);
        EXPECT_GE(played, (c.playMs - 150) * 1000);
        EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join('|').toStdString();
    }
}

int main(int argc, char** argv) {
    // The server first: Qt Multimedia finds its devices once, when first asked.
    PulseServer server;
    started = server.Start();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
