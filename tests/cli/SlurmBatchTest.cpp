// An AVI batch sent to a real Slurm cluster started on this machine (scripts/slurm-local.sh):
// the job array's files and the last job's log are byte for byte those of the same batch run
// here, and a pass that cannot be made ends the batch at its show.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "CliRun.h"

using namespace quillon::testing;

namespace {

class SlurmBatch : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QStandardPaths::findExecutable("sbatch").isEmpty()) return;
        cluster_ = new QTemporaryDir;
        qputenv("QUILLON_SLURM_DIR", cluster_->filePath("slurm").toUtf8());
        QProcess start;
        start.start("bash", {QUILLON_SOURCE_DIR "/scripts/slurm-local.sh", "start"});
        if (start.waitForFinished(120000) && start.exitCode() == 0) {
            qputenv("SLURM_CONF", cluster_->filePath("slurm/slurm.conf").toUtf8());
            up_ = true;
        } else {
            why_ = start.readAllStandardError().toStdString();
        }
    }
    static void TearDownTestSuite() {
        if (!cluster_) return;
        QProcess::execute("bash", {QUILLON_SOURCE_DIR "/scripts/slurm-local.sh", "stop"});
        delete cluster_;
        cluster_ = nullptr;
    }
    void SetUp() override {
        if (QStandardPaths::findExecutable("sbatch").isEmpty())
            GTEST_SKIP() << "Slurm is not installed (make deps installs slurm-wlm)";
        ASSERT_TRUE(up_) << "the local cluster did not start: " << why_;
        profile = dir.filePath("profile.ini");
        QFile f(profile);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[System]\nFrameRate=2500\n");
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
    CliRun Cli(const QStringList& words, int timeoutMs = 120000) {
        return RunCli(profile, words, dir.path(), timeoutMs);
    }
    QByteArray Read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
    QString profile;
    static inline QTemporaryDir* cluster_ = nullptr;
    static inline bool up_ = false;
    static inline std::string why_;
};

}  // namespace

TEST_F(SlurmBatch, TheClusterMakesWhatTheLocalBatchMakes) {
    QStringList shows;
    for (const auto& [name, frames] : {std::pair{"one", 20}, {"two", 35}, {"three", 5}}) {
        shows << Path(QString(name) + ".shw");
        ASSERT_EQ(Cli({"new", shows.back(), "--length", QString::number(frames)}).status, 0);
    }
    const QStringList options = {"--avi", "--reverse",    "--size", "64x48",      "--codec",
                                 "mjpeg", "--hold-start", "1",      "--hold-end", "0"};
    const CliRun local =
        Cli(QStringList{"batch"} + shows + options + QStringList{"--log", "here.edl"});
    ASSERT_EQ(local.status, 0) << local.err.toStdString();
    QMap<QString, QByteArray> made;
    for (const QString& show : shows)
        for (const char* tail : {".avi", "R.avi"}) {
            const QString avi = show.chopped(4) + tail;
            made[avi] = Read(avi);
            ASSERT_TRUE(QFile::remove(avi));
        }

    const CliRun sent = Cli(QStringList{"batch"} + shows + options +
                                QStringList{"--log", "there.edl", "--engine", "slurm", "--wait"},
                            300000);
    ASSERT_EQ(sent.status, 0) << sent.err.toStdString();
    const QJsonObject jobs = QJsonDocument::fromJson(sent.out).object();
    EXPECT_GT(jobs["array_job"].toInt(), 0) << sent.out.toStdString();
    EXPECT_GT(jobs["final_job"].toInt(), jobs["array_job"].toInt());
    for (auto it = made.begin(); it != made.end(); ++it)
        EXPECT_TRUE(Read(it.key()) == it.value()) << it.key().toStdString();
    EXPECT_EQ(Read(Path("there.edl")), Read(Path("here.edl")));
    // The job folder keeps the list and each task's output.
    const QString folder = jobs["folder"].toString();
    EXPECT_EQ(Read(folder + "/shows.txt"), (shows.join('\n') + '\n').toUtf8());
    EXPECT_TRUE(QFile::exists(folder + "/task-2.out"));

    // A show that cannot be read: its task fails, the last job names it, --wait says so.
    QFile bad(Path("bad.shw"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("nothing");
    bad.close();
    const CliRun failed = Cli({"batch", shows[0], Path("bad.shw"), "--avi", "--size", "64x48",
                               "--log", "failed.edl", "--engine", "slurm", "--wait"},
                              300000);
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(failed.err.contains("batch ended at " + Path("bad.shw").toUtf8()))
        << failed.err.toStdString();
    EXPECT_TRUE(failed.err.contains("the batch's last job ended FAILED"))
        << failed.err.toStdString();
}
