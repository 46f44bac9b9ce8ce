#pragma once
// The Print / Preview dialog: the storyboard's options (images, captions, blocking, timecode,
// large images, title), the show's storyboard entries as a sorted list of timecodes with the
// selected entry's caption, and the buttons that add and remove entries, preview the pages and
// print them. Modeless: the user moves through the show while it is open. Entries are changed
// through the model's storyboard entry rules; every change marks the show modified.

#include <QDialog>

#include "model/DocumentListener.h"
#include "storyboard/PageLayout.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPrinter;

namespace quillon {

class Document;
class GlTextureUploader;
class MonitorWidget;
class PictureMediaLoader;

class StoryboardDialog final : public QDialog, public DocumentListener {
    Q_OBJECT
  public:
    // Camera pictures are rendered in the monitor's context into a framebuffer of their own
    // (never grabbed from the screen).
    StoryboardDialog(Document& doc, MonitorWidget& monitor, PictureMediaLoader& media,
                     GlTextureUploader& textures, QWidget* parent = nullptr);
    ~StoryboardDialog() override;

    // The options as the check boxes and the title say.
    StoryboardOptions options() const;
    // Draws the storyboard on printer (a preview's or a real one).
    void PrintTo(QPrinter& printer);

    // The dialog's buttons.
    void AddFrame();
    void RemoveFrame();
    void Preview();
    void Print();

    // A new or reopened show brings its own entries.
    void DocumentChanged(const DocumentChange& change) override;

  private:
    void Reload();
    void LineSelected();
    void CaptionEdited(const QString& text);
    QString SelectedTimecode() const;
    void SelectLine(const QString& timecode);

    Document& doc_;
    MonitorWidget& monitor_;
    PictureMediaLoader& media_;
    GlTextureUploader& textures_;
    QCheckBox* images_ = nullptr;
    QCheckBox* captions_ = nullptr;
    QCheckBox* blocking_ = nullptr;
    QCheckBox* timecode_ = nullptr;
    QCheckBox* large_ = nullptr;
    QLineEdit* title_ = nullptr;
    QListWidget* frames_ = nullptr;
    QLineEdit* caption_ = nullptr;
};

}  // namespace quillon
