#pragma once
// "Record to Tape": the holds, the tape's start timecode, the reverse pass, AVI mode, the
// recorder's port and tracks, the edit log's name and the list of shows of a batch. Opens from
// the profile's "Conform" values and the document's recorder word; "Record" writes them back.

#include <QDialog>

#include "tape/Batch.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon {

class Document;

class RecordToTapeDialog final : public QDialog {
    Q_OBJECT
  public:
    explicit RecordToTapeDialog(Document& doc, QWidget* parent = nullptr);

    // What "Record" settled on.
    const BatchSettings& settings() const { return settings_; }
    // "Record": refused with a message while a hold, the timecode or the list cannot be used;
    // otherwise the profile and the document's recorder word are written.
    void accept() override;
    QString Refusal() const;

    // "Add": shows chosen in the open dialog go at the end of the list (at most 256 in all).
    void AddShows();
    // "Rem": the selected show leaves the list.
    void RemoveShow();
    // "Set": the log file chosen in the save dialog.
    void ChooseLog();

    // The fields, for tests.
    QLineEdit* startHoldEdit() const { return startHold_; }
    QLineEdit* endHoldEdit() const { return endHold_; }
    QLineEdit* timecodeEdit() const { return timecode_; }
    QCheckBox* reverseBox() const { return reverse_; }
    QCheckBox* aviBox() const { return avi_; }
    QComboBox* portBox() const { return port_; }
    QCheckBox* videoBox() const { return video_; }
    QCheckBox* audio1Box() const { return audio1_; }
    QCheckBox* audio2Box() const { return audio2_; }
    QLineEdit* logEdit() const { return log_; }
    QListWidget* showList() const { return list_; }
    QPushButton* removeButton() const { return remove_; }

  private:
    Document& doc_;
    BatchSettings settings_;
    QStringList paths_;  // the full paths, in the list's order
    QString logPath_;    // the chosen log file; the field shows its name
    QLineEdit* startHold_;
    QLineEdit* endHold_;
    QLineEdit* timecode_;
    QCheckBox* reverse_;
    QCheckBox* avi_;
    QComboBox* port_;
    QCheckBox* video_;
    QCheckBox* audio1_;
    QCheckBox* audio2_;
    QLineEdit* log_;
    QListWidget* list_;
    QPushButton* remove_;
};

}  // namespace quillon
