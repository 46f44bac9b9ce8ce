#pragma once
// "Make a Movie": format, start and end frame (timecode), frame rate, image size and field
// mode, opened from the profile's "Movie" section and written back on OK. The compression of
// an AVI is chosen here too (the codec list), and kept under "Movie"/"Codec", and whether the
// show's sound tracks go into it ("Include sound tracks", "Movie"/"Sound").

#include <QDialog>

#include "output/MovieJob.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace quillon {

class Document;

class MovieSettingsDialog final : public QDialog {
    Q_OBJECT
  public:
    MovieSettingsDialog(Document& doc, QWidget* parent = nullptr);
    // The movie after OK (no file name yet).
    const MovieJob& job() const { return job_; }
    // OK: refused with a message (and nothing stored) while the rate or the size is one no
    // movie can have; otherwise the settings are written to the profile.
    void accept() override;
    // Why OK would be refused, or nothing.
    QString Refusal() const;

    // The fields, for tests and scripted use.
    QComboBox* formatBox() const { return format_; }
    QLineEdit* startEdit() const { return start_; }
    QLineEdit* endEdit() const { return end_; }
    QLineEdit* rateEdit() const { return rate_; }
    QLineEdit* widthEdit() const { return width_; }
    QLineEdit* heightEdit() const { return height_; }
    QComboBox* fieldBox() const { return fields_; }
    QComboBox* codecBox() const { return codecBox_; }
    QCheckBox* soundBox() const { return sound_; }

  private:
    Document& doc_;
    MovieJob job_;
    QComboBox* format_;
    QLineEdit* start_;
    QLineEdit* end_;
    QLineEdit* rate_;
    QLineEdit* width_;
    QLineEdit* height_;
    QComboBox* fields_;
    QComboBox* codecBox_;
    QCheckBox* sound_;
};

}  // namespace quillon
