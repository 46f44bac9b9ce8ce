#pragma once
// "Batch Record/AVI": a list of shows played one after another onto tape or written into AVI
// files, each pass logged with the timecodes it has on the tape. The settings are the Record to
// Tape dialog's; the arithmetic of the timecodes, the names of the AVI files and the order of
// the steps are here, without widgets, so the window and the command line run the same batch.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "VtrLink.h"
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
    QString startText;          // the start timecode as typed (what the recorder is told)
    bool reverse = false;
    bool makeAvi = false;
    int port = 0;  // 0 none, 1 to 4 "Com 1".."Com 4"
    bool video = false, audio1 = false, audio2 = false;
    QString logName = QStringLiteral("None");

    // The dialog's opening values: holds, start timecode, reverse and AVI mode from the
    // profile's "Conform" section; port and tracks from the document's recorder word.
    static BatchSettings FromProfile(const Profile& profile, int frameRate, int recorderWord);
    // "Record": the values the dialog keeps, written back ("System"/"VTRPort" the port alone).
    void WriteTo(Profile& profile) const;
    // The document's recorder word: the port in bits 0 to 7, video bit 8, audio 1 bit 9,
    // audio 2 bit 10.
    int RecorderWord() const;
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
    // Something worth knowing that does not stop the batch (a sound track left out).
    virtual void Note(const QString& /*text*/) {}
    // The batch is over, however it ended (the window sounds the information beep).
    virtual void Finished() {}
};

struct BatchResult {
    bool completed = false;
    int passes = 0;      // passes written and logged
    QString failedShow;  // the show the batch ended at, when it did not complete
    QString error;       // why
};

// The AVI-mode batch: each show read into the document, written forwards (and backwards) with
// its holds into its AVI file through source, and logged. The movie's size, rate, fields and
// codec come from movie; its file name and range are each pass's own. With movie.includeSound
// each forward pass carries its show's sound tracks. At the end the document holds a new show.
BatchResult RunAviBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                        const MovieJob& movie, MovieFrameSource& source, MovieProgress& progress,
                        BatchProgress& report);

// The last step of an AVI batch whose passes were written elsewhere (a Slurm job array): each
// show read for its length, each of its AVI files checked for the frames its pass has (the
// show, the holds), and the log written with the same In and Out as RunAviBatch. Ends at the
// first show whose file is missing or short, naming it.
BatchResult CollectAviBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                            BatchProgress& report);

// The frames the tape batch draws before a show plays, so every picture the camera will see
// is in memory: the key frames of every scene's active camera, in order.
std::vector<int> WarmUpFrames(const Document& doc);

// In the tape batch, milliseconds since the recorder started as frames at frameRate (frames
// per second x 100): ms x 100 / (10000000 / frameRate), in whole numbers.
int64_t ElapsedFrames(int64_t milliseconds, int frameRate);

// What the tape batch needs of the monitor, the player and the operator. The window plays on
// the screen through the play loop; the command line plays offscreen in real time.
class TapeStage : public BatchProgress {
  public:
    virtual void EnterFullScreen() {}
    virtual void LeaveFullScreen() {}
    // With no port: the message for the operator, who starts the recorder and answers; false
    // calls the batch off (the command line's Ctrl-C).
    virtual bool AskForRecord(const QString& message) = 0;
    // Sounds the information beep (the recorder records).
    virtual void Beep() {}
    // The monitor drawn at frame, at once.
    virtual void DrawFrame(int frame) = 0;
    // The slate: light grey, the slate picture, the name below it.
    virtual void PaintSlate(const QString& name) = 0;
    // Waits, keeping the window alive.
    virtual void Wait(int milliseconds) = 0;
    // Plays from the document's current frame in mode (1 forwards, -1 backwards) until
    // playing stops; the current frame then.
    virtual int Play(int mode) = 0;
    // The wait for the recorder: a key press (or Cancel, Ctrl-C) ends it.
    virtual WaitControl& recordWait() = 0;
    // A millisecond clock.
    virtual int64_t NowMs() = 0;
};

// The tape-mode batch: with a device, the recorder there is opened on link, preset to record
// from the start timecode for an hour and waited for; without one the operator is asked. Each
// show then plays after its slate with its holds, forwards (and backwards), logged with the
// times it lies at on the tape. At the end STOP goes to the recorder, the document holds a new
// show.
BatchResult RunTapeBatch(Document& doc, ShowFiles& files, const BatchSettings& settings,
                         VtrLink& link, const QString& device, TapeStage& stage);

}  // namespace quillon
