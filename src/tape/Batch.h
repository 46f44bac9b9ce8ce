#pragma once
// "Batch Record/AVI": a list of shows played one after another onto tape or written into AVI
// files, each pass logged with the timecodes it has on the tape. The settings are the Record to
// Tape dialog's; the arithmetic of the timecodes, the names of the AVI files and the order of
// the steps are here, without widgets, so the window and the command line run the same batch.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "output/MovieJob.h"

namespace quillon {

class Document;
class Profile;
class ShowFiles;

struct BatchSettings {
    static constexpr int kMostShows = 256;
    static constexpr int kMostHoldSeconds = 100;

    QStringList shows;
    int startHold = 3;          // seconds, 0 to 100
    int endHold = 3;            // seconds, 0 to 100
    int64_t startTimecode = 0;  // frames
    bool reverse = false;
    bool makeAvi = false;
    int port = 0;  // 0 none, 1 to 4 "Com 1".."Com 4"
    bool video = false, audio1 = false, audio2 = false;
    QString logName = QStringLiteral("None");

    // The dialog's opening values from the profile ("Conform" and "System"/"VTRPort").
    static BatchSettings FromProfile(const Profile& profile, int frameRate);
    // "Record": the values the dialog keeps, written back.
    void WriteTo(Profile& profile) const;
    // Why these settings cannot run, or nothing.
    QString Refusal() const;
};

// Seconds of hold as frames: seconds x frame rate / 100, whole frames.
int HoldFrames(int seconds, int frameRate);
// The AVI file of a show: its path cut at its first "." (even one in a folder's name), then
// ".avi", or "R.avi" for the reverse pass.
QString BatchAviName(const QString& showPath, bool reverse);
// The show's name in the log: the file name without folder and without anything from its
// first ".".
QString BatchShowName(const QString& showPath);

// What the batch says as it goes (the CLI prints it; the window shows a progress bar).
class BatchProgress {
  public:
    virtual ~BatchProgress() = default;
    virtual void PassStarted(int /*show*/, const QString& /*name*/, bool /*reverse*/) {}
    virtual void PassLogged(const QString& /*in*/, const QString& /*out*/) {}
};

struct BatchResult {
    bool completed = false;
    int passes = 0;      // passes written and logged
    QString failedShow;  // the show the batch ended at, when it did not complete
    QString error;       // why
};

// The AVI-mode batch: each show read into the document, written forwards (and backwards) with
// its holds into its AVI file through source, and logged. The movie's size, rate, fields and
// codec come from movie; its file name and range are each pass's own.
BatchResult RunAviBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                        const MovieJob& movie, MovieFrameSource& source, MovieProgress& progress,
                        BatchProgress& report);

}  // namespace quillon
