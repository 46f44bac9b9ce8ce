#pragma once
// The batch's edit log: Avid ALE or CMX EDL text, chosen by the log file's name (".ale" or
// ".edl", exactly in lower case; any other name gives a file with nothing in it), with carriage
// return and line feed line ends. The whole log is written again after every line, atomically,
// so a batch that stops leaves the lines it logged.

#include <QByteArray>
#include <QString>

namespace quillon {

class EditLog {
  public:
    enum class Mode { kNone, kAle, kEdl };

    static Mode ModeFor(const QString& fileName);

    // Creates (or empties) the file; the ALE header is written at once. frameRate is frames
    // per second x 100. False when the file cannot be written: the batch goes on without it.
    bool Open(const QString& path, int frameRate);
    bool isOpen() const { return !path_.isEmpty(); }
    Mode mode() const { return mode_; }

    // One recorded pass: In and Out in long timecode, the show's name.
    bool Add(const QString& in, const QString& out, const QString& name);

    const QByteArray& bytes() const { return bytes_; }

  private:
    bool Flush();

    QString path_;
    Mode mode_ = Mode::kNone;
    QByteArray bytes_;
    int edit_ = 0;
};

}  // namespace quillon
