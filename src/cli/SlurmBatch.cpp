#include "SlurmBatch.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <cstdio>
#include <string>

#include "CliArgs.h"
#include "Interrupt.h"
#include "Json.h"
#include "model/DurableFile.h"
#include "model/Timecode.h"

namespace quillon::cli {

namespace {

constexpr int kSubmitMs = 60000;
constexpr int kPollMs = 1000;

// The options every pass and the last job share: the profile, then the command.
QStringList Head(const SlurmBatchRequest& r) {
    QStringList words{r.cli};
    if (!r.profile.isEmpty()) words << QStringLiteral("--profile") << r.profile;
    return words << QStringLiteral("batch");
}

QString Line(const QStringList& words) {
    QStringList quoted;
    for (const QString& w : words)
        quoted << ShellQuote(w);
    return quoted.join(u' ');
}

void WriteScript(const QString& path, const QString& text) {
    if (!WriteFileAtomically(path.toStdString(), text.toStdString()))
        throw Failure{"Couldn't write file: " + path.toStdString()};
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                    QFile::ReadGroup | QFile::ExeGroup);
}

// sbatch --parsable answers "JOBID" or "JOBID;CLUSTER".
QString Submit(const QStringList& arguments) {
    QProcess p;
    p.start(QStringLiteral("sbatch"), arguments);
    if (!p.waitForStarted(kSubmitMs))
        throw Failure{"sbatch cannot be run (is Slurm installed and on the path?)"};
    if (!p.waitForFinished(kSubmitMs)) {
        p.kill();
        throw Failure{"sbatch did not answer within a minute"};
    }
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    const QString id = out.section(u';', 0, 0);
    if (p.exitCode() != 0 || id.isEmpty() || id.toLongLong() <= 0)
        throw Failure{"sbatch refused the job: " +
                      QString::fromUtf8(p.readAllStandardError()).trimmed().toStdString()};
    return id;
}

// The job's state and exit code from `scontrol show job -o`; empty while Slurm cannot say.
struct JobState {
    QString state;
    int exitCode = 0;
};
JobState QueryJob(const QString& id) {
    QProcess p;
    p.start(QStringLiteral("scontrol"),
            {QStringLiteral("show"), QStringLiteral("job"), QStringLiteral("-o"), id});
    if (!p.waitForFinished(kSubmitMs) || p.exitCode() != 0) return {};
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    JobState js;
    js.state = QRegularExpression(QStringLiteral("JobState=(\\S+)")).match(out).captured(1);
    js.exitCode =
        QRegularExpression(QStringLiteral("ExitCode=(\\d+):")).match(out).captured(1).toInt();
    return js;
}

bool Finished(const QString& state) {
    static const QStringList kWaiting{"PENDING",  "RUNNING",  "CONFIGURING", "COMPLETING",
                                      "REQUEUED", "RESIZING", "SUSPENDED",   "STAGE_OUT"};
    return !state.isEmpty() && !kWaiting.contains(state);
}

}  // namespace

QString ShellQuote(const QString& word) {
    QString q = word;
    q.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + q + u'\'';
}

QString SlurmTaskScript(const SlurmBatchRequest& r, const QString& folder) {
    QStringList words = Head(r);
    words << QStringLiteral("--avi") << QStringLiteral("--log") << QStringLiteral("None")
          << r.passOptions;
    // Task N makes the AVI files of line N + 1 of the list.
    return QStringLiteral(
               "#!/bin/sh\n"
               "# One show of the batch per task of the job array.\n"
               "show=$(sed -n \"$((SLURM_ARRAY_TASK_ID + 1))p\" %1)\n"
               "[ -n \"$show\" ] || { echo \"no show for task $SLURM_ARRAY_TASK_ID\" >&2; exit 1; "
               "}\n"
               "exec %2 \"$show\"\n")
        .arg(ShellQuote(folder + QStringLiteral("/shows.txt")), Line(words));
}

QString SlurmCollectScript(const SlurmBatchRequest& r) {
    QStringList words = Head(r);
    words << QStringLiteral("--avi") << QStringLiteral("--collect") << QStringLiteral("--log")
          << r.settings.logName << r.passOptions << r.settings.shows;
    return QStringLiteral(
               "#!/bin/sh\n"
               "# The batch's last step: every AVI file checked for its frames, the log written.\n"
               "exec %1\n")
        .arg(Line(words));
}

int RunSlurmBatch(const SlurmBatchRequest& r, bool wait) {
    const int n = int(r.settings.shows.size());
    // The job folder: beside the log when there is one, so the batch's files stay together.
    const QString base = r.settings.logName == QStringLiteral("None")
                             ? QDir::currentPath()
                             : QFileInfo(r.settings.logName).absolutePath();
    const QString folder = QDir(base).filePath(
        QStringLiteral("quillon-batch-%1-%2")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")))
            .arg(QCoreApplication::applicationPid()));
    if (!QDir().mkpath(folder)) throw Failure{"cannot make the job folder " + folder.toStdString()};
    QString list;
    for (const QString& show : r.settings.shows) {
        if (show.contains(u'\n'))
            throw Failure{"a show's path holds a line break: " + show.toStdString()};
        list += show + u'\n';
    }
    if (!WriteFileAtomically((folder + QStringLiteral("/shows.txt")).toStdString(),
                             list.toStdString()))
        throw Failure{"Couldn't write file: " + folder.toStdString() + "/shows.txt"};
    WriteScript(folder + QStringLiteral("/task.sh"), SlurmTaskScript(r, folder));
    WriteScript(folder + QStringLiteral("/collect.sh"), SlurmCollectScript(r));

    QStringList common{QStringLiteral("--parsable"), QStringLiteral("--chdir"), folder};
    if (!r.partition.isEmpty()) common << QStringLiteral("--partition") << r.partition;
    const QString array =
        Submit(QStringList(common) << QStringLiteral("--job-name=quillon-batch")
                                   << QStringLiteral("--array=0-%1").arg(n - 1)
                                   << QStringLiteral("--output=%1/task-%a.out").arg(folder)
                                   << folder + QStringLiteral("/task.sh"));
    QString last;
    try {
        last = Submit(QStringList(common) << QStringLiteral("--job-name=quillon-batch-log")
                                          << QStringLiteral("--dependency=afterany:") + array
                                          << QStringLiteral("--output=%1/collect.out").arg(folder)
                                          << folder + QStringLiteral("/collect.sh"));
    } catch (const Failure&) {
        QProcess::execute(QStringLiteral("scancel"), {array});
        throw;
    }
    std::string line = "{\"array_job\": ";
    json::Int(line, array.toLongLong());
    line += ", \"final_job\": ";
    json::Int(line, last.toLongLong());
    line += ", \"folder\": ";
    json::String(line, folder.toStdString());
    line += "}\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    if (!wait) return 0;

    CtrlC ctrlC;
    for (;;) {
        if (CtrlC::pressed()) {
            QProcess::execute(QStringLiteral("scancel"), {array, last});
            std::fprintf(stderr, "quillon-cli: batch called off; jobs %s and %s cancelled\n",
                         array.toUtf8().constData(), last.toUtf8().constData());
            return 130;
        }
        const JobState js = QueryJob(last);
        if (Finished(js.state)) {
            if (js.state == QStringLiteral("COMPLETED") && js.exitCode == 0) return 0;
            QFile out(folder + QStringLiteral("/collect.out"));
            if (out.open(QIODevice::ReadOnly)) std::fputs(out.readAll().constData(), stderr);
            throw Failure{"the batch's last job ended " + js.state.toStdString() + " (exit " +
                          std::to_string(js.exitCode) + "); see " + folder.toStdString()};
        }
        QThread::msleep(kPollMs);
    }
}

}  // namespace quillon::cli
