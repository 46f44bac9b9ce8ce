#pragma once
// "Choose Action Frame": a movie picture's frames one at a time, to choose the one a key
// shows. "<--" and "-->" step, the number button takes a typed frame; OK returns the frame.
// A movie that cannot be read leaves the dialog without a picture.

#include <QDialog>
#include <QImage>

class QLabel;
class QPushButton;

namespace quillon {

class Document;

class ActionFrameDialog final : public QDialog {
    Q_OBJECT
  public:
    ActionFrameDialog(Document& doc, const QString& movieFile, int frame,
                      QWidget* parent = nullptr);

    int frame() const { return frame_; }
    int frameCount() const { return count_; }
    // The steps of the buttons.
    void StepBack();
    void StepForward();
    void TypeFrame();
    // The frame as shown (null when the movie could not be read).
    const QImage& picture() const { return picture_; }
    // The picture box, fitted to the movie's aspect inside its room.
    QRect PictureBox() const;
    QLabel* sizeLabel() const { return size_; }
    QLabel* countLabel() const { return countText_; }
    QPushButton* numberButton() const { return number_; }

  private:
    void Show();

    Document& doc_;
    QString file_;
    int frame_;
    int count_ = 0;
    int movieWidth_ = 0, movieHeight_ = 0;
    QImage picture_;
    QLabel* box_;
    QLabel* size_;
    QLabel* countText_;
    QPushButton* number_;
};

// The picture box of a movie of the aspect width / height (0 counts as 1) inside room: no wider
// than tall keeps room's height, centred; wider keeps its width, on room's bottom edge.
QRect FitActionBox(const QRect& room, double aspect);

}  // namespace quillon
