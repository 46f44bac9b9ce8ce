#include "Batch.h"

#include "EditLog.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/Timecode.h"

namespace quillon {

BatchSettings BatchSettings::FromProfile(const Profile& profile, int frameRate) {
    BatchSettings s;
    s.startHold = settings::Get(profile, settings::kStartHold);
    s.endHold = settings::Get(profile, settings::kEndHold);
    s.startTimecode = settings::Get(profile, settings::kTimecodeStart, frameRate);
    s.reverse = settings::Get(profile, settings::kReverse) != 0;
    s.makeAvi = settings::Get(profile, settings::kMakeAvi) != 0;
    s.port = settings::Get(profile, settings::kVtrPort);
    return s;
}

void BatchSettings::WriteTo(Profile& profile) const {
    settings::Write(profile, settings::kStartHold, startHold);
    settings::Write(profile, settings::kEndHold, endHold);
    settings::Write(profile, settings::kReverse, reverse ? 1 : 0);
    settings::Write(profile, settings::kMakeAvi, makeAvi ? 1 : 0);
    settings::Write(profile, settings::kTimecodeStart, int(startTimecode));
    settings::Write(profile, settings::kVtrPort, port);
}

QString BatchSettings::Refusal() const {
    if (shows.size() > kMostShows)
        return QStringLiteral("A batch holds at most %1 shows; %2 were given.")
            .arg(kMostShows)
            .arg(shows.size());
    if (startHold < 0 || startHold > kMostHoldSeconds || endHold < 0 || endHold > kMostHoldSeconds)
        return QStringLiteral("Holds are whole seconds from 0 to %1.").arg(kMostHoldSeconds);
    if (port < 0 || port > 4) return QStringLiteral("The port is None or Com 1 to Com 4.");
    return QString();
}

int HoldFrames(int seconds, int frameRate) {
    return int(int64_t(seconds) * frameRate / 100);
}

QString BatchAviName(const QString& showPath, bool reverse) {
    QString cut = showPath;
    const qsizetype dot = cut.indexOf(QLatin1Char('.'));
    if (dot >= 0) cut.truncate(dot);
    return cut + (reverse ? QStringLiteral("R.avi") : QStringLiteral(".avi"));
}

QString BatchShowName(const QString& showPath) {
    return FromRecordText(DisplayName(ToRecordText(showPath)));
}

BatchResult RunAviBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                        const MovieJob& movie, MovieFrameSource& source, MovieProgress& progress,
                        BatchProgress& report) {
    BatchResult result;
    if (const QString refusal = settings.Refusal(); !refusal.isEmpty()) {
        result.error = refusal;
        return result;
    }
    const int rate = doc.frameRate();
    EditLog log;
    if (settings.logName != QStringLiteral("None")) log.Open(settings.logName, rate);
    const int startHold = HoldFrames(settings.startHold, rate);
    const int endHold = HoldFrames(settings.endHold, rate);
    int64_t s = settings.startTimecode;

    for (int i = 0; i < settings.shows.size(); ++i) {
        const QString& show = settings.shows[i];
        doc.Reset(false);
        if (!files.ReadShow(show)) {
            result.failedShow = show;
            result.error = QStringLiteral("Couldn't read file");
            return result;
        }
        const int end = doc.TotalFrames();
        for (bool reverse : {false, true}) {
            if (reverse && !settings.reverse) break;
            QString name = BatchShowName(show);
            if (reverse) name += QStringLiteral(" Reverse Motion");
            report.PassStarted(i, name, reverse);
            MovieJob job = movie;
            job.format = MovieFormat::kAvi;
            job.fileName = BatchAviName(show, reverse);
            job.range = {.start = 0,
                         .end = end,
                         .reverse = reverse,
                         .startHold = startHold,
                         .endHold = endHold};
            const MovieResult made = MakeMovie(doc, source, job, progress);
            if (made.outcome != MovieOutcome::kWritten) {
                result.failedShow = show;
                result.error =
                    made.outcome == MovieOutcome::kStopped
                        ? QStringLiteral("stopped")
                        : QStringLiteral("Couldn't write file: %1%2")
                              .arg(job.fileName,
                                   made.error.isEmpty() ? QString() : " (" + made.error + ")");
                return result;
            }
            const QString in = QString::fromStdString(FormatTimecode(s, rate));
            s += int64_t(end) + startHold + endHold;
            const QString out = QString::fromStdString(FormatTimecode(s, rate));
            log.Add(in, out, name);
            report.PassLogged(in, out);
            ++result.passes;
        }
    }
    result.completed = true;
    return result;
}

}  // namespace quillon
