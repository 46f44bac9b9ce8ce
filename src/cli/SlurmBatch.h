#pragma once
// An AVI batch sent to Slurm: one task of a job array per show, each running a one-show
// `quillon-cli batch --avi` with the batch's options, then one last job, started once every
// task has ended however it ended, that checks every AVI file for its frames and writes the
// edit log exactly as a batch run here would (`batch --collect`).

#include <QString>
#include <QStringList>

#include "tape/Batch.h"

namespace quillon::cli {

struct SlurmBatchRequest {
    BatchSettings settings;   // the shows as absolute paths, the log's full path or "None"
    QString cli;              // this program, as the jobs run it
    QString profile;          // the profile file the jobs read
    QString partition;        // empty: the cluster's default
    QStringList passOptions;  // options each show's pass takes over (--fps 25, --reverse, ...)
};

// The job folder's scripts, quoted for /bin/sh. Separate so that tests can read them.
QString ShellQuote(const QString& word);
QString SlurmTaskScript(const SlurmBatchRequest& request, const QString& folder);
QString SlurmCollectScript(const SlurmBatchRequest& request);

// Writes the job folder (beside the log, else in the working folder), submits the array and
// the last job, prints {"array_job", "final_job", "folder"}; with wait, follows the last job
// to its end and returns 0 when it completed. Ctrl-C while waiting cancels both jobs (130).
int RunSlurmBatch(const SlurmBatchRequest& request, bool wait);

}  // namespace quillon::cli
