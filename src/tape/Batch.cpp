#include "Batch.h"

#include <functional>

#include "EditLog.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/ShowNode.h"
#include "model/Timecode.h"
#include "pictures/MovieSource.h"
#include "pictures/Picture.h"
#include "player/ShowSoundtrack.h"

namespace quillon {

namespace {

constexpr int kVideoBit = 256, kAudio1Bit = 512, kAudio2Bit = 1024;
// A pass that stops this near its far end counts as played through.
constexpr int kEndSlack = 3;
constexpr int kWarmUpPauseMs = 15;
constexpr int kSlateMs = 2000;

}  // namespace

BatchSettings BatchSettings::FromProfile(const Profile& profile, int frameRate, int recorderWord) {
    BatchSettings s;
    s.startHold = settings::Get(profile, settings::kStartHold);
    s.endHold = settings::Get(profile, settings::kEndHold);
    s.startTimecode = settings::Get(profile, settings::kTimecodeStart, frameRate);
    s.startText = QString::fromStdString(FormatTimecode(s.startTimecode, frameRate));
    s.reverse = settings::Get(profile, settings::kReverse) != 0;
    s.makeAvi = settings::Get(profile, settings::kMakeAvi) != 0;
    s.port = recorderWord & 0xFF;
    s.video = (recorderWord & kVideoBit) != 0;
    s.audio1 = (recorderWord & kAudio1Bit) != 0;
    s.audio2 = (recorderWord & kAudio2Bit) != 0;
    return s;
}

int BatchSettings::RecorderWord() const {
    return port + (video ? kVideoBit : 0) + (audio1 ? kAudio1Bit : 0) + (audio2 ? kAudio2Bit : 0);
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
    // Not DisplayName: the folder goes first, so a dot in a folder's name cuts nothing.
    QString name = FromRecordText(BareName(ToRecordText(showPath)));
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    return name;
}

namespace {

// Step one of every show: the document cleared (no scene) and the show read into it.
bool ReadBatchShow(Document& doc, ShowFiles& files, const QString& show, BatchResult& result) {
    doc.Reset(false);
    if (files.ReadShow(show)) return true;
    result.failedShow = show;
    result.error = QStringLiteral("Couldn't read file");
    return false;
}

// The log named in the settings; a log that cannot be written, or whose name gives an empty
// file, is said once and the batch goes on.
void OpenBatchLog(EditLog& log, const BatchSettings& settings, int rate, BatchProgress& report) {
    if (settings.logName == QStringLiteral("None")) return;
    if (!log.Open(settings.logName, rate))
        report.Note(QStringLiteral("Couldn't write file: %1; the batch goes on without its log")
                        .arg(settings.logName));
    else if (log.mode() == EditLog::Mode::kNone)
        report.Note(QStringLiteral("%1 ends in neither \".ale\" nor \".edl\": the log stays empty")
                        .arg(settings.logName));
}

// The end of every batch: a new show of one scene in the document.
BatchResult EndBatch(Document& doc, BatchProgress& report, const BatchResult& result) {
    doc.Reset(true);
    report.Finished();
    return result;
}

}  // namespace

namespace {

// One AVI pass: its show, direction and the frames of its file (the show and both holds).
struct AviPass {
    const QString& show;
    bool reverse;
    QString file;
    MovieRange range;
};

// The AVI batch's walk over its passes, shared by making the files and by collecting files
// made elsewhere: each show read, each pass handed to `pass` (empty: done; otherwise why the
// batch ends there), then logged with S moving on by the pass's frames.
BatchResult WalkAviPasses(Document& doc, ShowFiles& files, const BatchSettings& settings,
                          BatchProgress& report,
                          const std::function<QString(const AviPass&)>& pass) {
    BatchResult result;
    if (const QString refusal = settings.Refusal(); !refusal.isEmpty()) {
        result.error = refusal;
        return result;
    }
    const int rate = doc.frameRate();
    EditLog log;
    OpenBatchLog(log, settings, rate, report);
    const int startHold = HoldFrames(settings.startHold, rate);
    const int endHold = HoldFrames(settings.endHold, rate);
    int64_t s = settings.startTimecode;

    for (int i = 0; i < settings.shows.size(); ++i) {
        const QString& show = settings.shows[i];
        if (!ReadBatchShow(doc, files, show, result)) return EndBatch(doc, report, result);
        const int end = doc.TotalFrames();
        for (bool reverse : {false, true}) {
            if (reverse && !settings.reverse) break;
            QString name = BatchShowName(show);
            if (reverse) name += QStringLiteral(" Reverse Motion");
            report.PassStarted(i, name, reverse);
            const AviPass p{.show = show,
                            .reverse = reverse,
                            .file = BatchAviName(show, reverse),
                            .range = {.start = 0,
                                      .end = end,
                                      .reverse = reverse,
                                      .startHold = startHold,
                                      .endHold = endHold}};
            if (const QString error = pass(p); !error.isEmpty()) {
                result.failedShow = show;
                result.error = error;
                return EndBatch(doc, report, result);
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
    return EndBatch(doc, report, result);
}

}  // namespace

BatchResult RunAviBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                        const MovieJob& movie, MovieFrameSource& source, MovieProgress& progress,
                        BatchProgress& report) {
    return WalkAviPasses(doc, files, settings, report, [&](const AviPass& p) {
        MovieJob job = movie;
        job.format = MovieFormat::kAvi;
        job.fileName = p.file;
        job.range = p.range;
        ShowSoundtrackResult sound;
        const bool withSound = job.includeSound && SoundIgnoredReason(job).isEmpty();
        if (withSound) {
            sound = BuildShowSoundtrack(doc);
            for (const QString& skipped : sound.skipped)
                report.Note(QStringLiteral("sound track left out: ") + skipped);
        }
        const MovieResult made =
            MakeMovie(doc, source, job, progress, withSound ? &sound.sound : nullptr);
        if (made.outcome == MovieOutcome::kWritten) return QString();
        if (made.outcome == MovieOutcome::kStopped) return QStringLiteral("stopped");
        return QStringLiteral("Couldn't write file: %1%2")
            .arg(job.fileName, made.error.isEmpty() ? QString() : " (" + made.error + ")");
    });
}

BatchResult CollectAviBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                            BatchProgress& report) {
    return WalkAviPasses(doc, files, settings, report, [](const AviPass& p) {
        MovieSource movie;
        Picture scratch;
        const int frames = movie.Open(p.file, &scratch);
        const int expected = p.range.end + p.range.startHold + p.range.endHold;
        if (frames == expected) return QString();
        return frames <= 0 ? QStringLiteral("%1 is missing or unreadable (%2)")
                                 .arg(p.file, movie.errorString())
                           : QStringLiteral("%1 has %2 frames, not %3")
                                 .arg(p.file)
                                 .arg(frames)
                                 .arg(expected);
    });
}

std::vector<int> WarmUpFrames(const Document& doc) {
    std::vector<int> frames;
    for (ShowNode* scene : doc.root().children) {
        const ShowNode* camera = doc.ActiveTrack(scene);
        if (!camera || camera == scene) continue;
        for (const KeyFrame& key : camera->keys)
            frames.push_back(int(int64_t(camera->startFrame) + key.frame));
    }
    return frames;
}

int64_t ElapsedFrames(int64_t milliseconds, int frameRate) {
    const int64_t msPerHundredFrames = frameRate > 0 ? 10000000 / frameRate : 0;
    return msPerHundredFrames > 0 ? milliseconds * 100 / msPerHundredFrames : 0;
}

namespace {

void WarmUp(const Document& doc, TapeStage& stage) {
    const int current = doc.currentFrame();
    for (int frame : WarmUpFrames(doc)) {
        stage.DrawFrame(frame);
        stage.Wait(kWarmUpPauseMs);
    }
    stage.DrawFrame(current);
}

}  // namespace

BatchResult RunTapeBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                         VtrLink& link, const QString& device, TapeStage& stage) {
    BatchResult result;
    if (const QString refusal = settings.Refusal(); !refusal.isEmpty()) {
        result.error = refusal;
        return result;
    }
    const int rate = doc.frameRate();
    EditLog log;
    OpenBatchLog(log, settings, rate, stage);
    const int64_t s = settings.startTimecode;
    const bool withRecorder = !device.isEmpty();

    // Ends the batch: STOP to a recorder that was opened, the monitor back in its pane.
    auto end = [&](BatchResult& r) -> BatchResult {
        if (link.isOpen()) {
            link.Stop();
            link.Close();
        }
        stage.LeaveFullScreen();
        return EndBatch(doc, stage, r);
    };

    stage.EnterFullScreen();
    if (!withRecorder) {
        if (!stage.AskForRecord(QStringLiteral("Put VTR into Record  at ") + settings.startText)) {
            result.error = QStringLiteral("stopped");
            return end(result);
        }
    } else {
        if (!link.Open(device)) {
            result.error = QStringLiteral("The recorder port %1 could not be opened: %2")
                               .arg(device, link.openError());
            return end(result);
        }
        // An hour of tape from the start.
        const QString out = QString::fromStdString(FormatTimecode(s + int64_t(rate) * 36, rate));
        if (!link.PresetAndRecord(settings.startText, out, rate, settings.video, settings.audio1,
                                  settings.audio2)) {
            result.error = QStringLiteral("The record commands could not be sent");
            return end(result);
        }
        if (!link.WaitForRecord(stage.recordWait())) {
            result.error = QStringLiteral("The recorder did not start");
            return end(result);
        }
        stage.Beep();
    }

    const int64_t t0 = stage.NowMs();
    auto timecodeNow = [&](int64_t offset) {
        const int64_t e = ElapsedFrames(stage.NowMs() - t0, rate);
        return QString::fromStdString(FormatTimecode(s + e + offset, rate));
    };
    for (int i = 0; i < settings.shows.size(); ++i) {
        const QString& show = settings.shows[i];
        if (!ReadBatchShow(doc, files, show, result)) return end(result);
        const int showEnd = doc.TotalFrames();
        const QString name = BatchShowName(show);
        WarmUp(doc, stage);
        stage.PaintSlate(name.toUpper());
        stage.Wait(kSlateMs);
        WarmUp(doc, stage);
        for (bool reverse : {false, true}) {
            if (reverse && !settings.reverse) break;
            const QString passName = reverse ? name + QStringLiteral(" Reverse Motion") : name;
            stage.PassStarted(i, passName, reverse);
            const QString in = timecodeNow(0);
            doc.UpdateViewsAtFrame(reverse ? showEnd - 1 : 0);
            stage.Wait(settings.startHold * 1000);
            const int stoppedAt = stage.Play(reverse ? -1 : 1);
            if (reverse ? stoppedAt > kEndSlack : stoppedAt < showEnd - kEndSlack) {
                result.failedShow = show;
                result.error = QStringLiteral("Stopped before the end of the show");
                return end(result);
            }
            stage.Wait(settings.endHold * 1000);
            const QString out = timecodeNow(-1);
            log.Add(in, out, passName);
            stage.PassLogged(in, out);
            ++result.passes;
        }
    }
    result.completed = true;
    return end(result);
}

}  // namespace quillon
