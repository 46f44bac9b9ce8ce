#pragma once
// "Actor / Scene Information": one node's file, label, range, key colour and motion. The file
// label and the "Change" filter follow the node's kind; for a scene, "Speed Ups:" and "Curved
// Path?" are its active camera's. OK writes the fields in order (the range through set-range,
// kept inside the parent, with "&Scale Keys" honoured); Cancel leaves the node as it was.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QLabel;

namespace quillon {

class Document;
class ShowNode;

class NodeInfoDialog final : public QDialog {
    Q_OBJECT
  public:
    NodeInfoDialog(Document& doc, ShowNode& node, QWidget* parent = nullptr);

    // After OK: whether the node's file (or its key colour) changed, so that its picture, set,
    // sound, movie or script is loaded again.
    bool pictureChanged() const { return pictureChanged_; }
    void accept() override;
    // "Change": the kind's open dialog; the chosen path goes into the file field.
    void ChooseFile();

    QLineEdit* fileEdit() const { return file_; }
    QLabel* fileLabel() const { return fileLabel_; }
    QLineEdit* labelEdit() const { return label_; }
    QLineEdit* startEdit() const { return start_; }
    QLineEdit* endEdit() const { return end_; }
    QComboBox* keyColorBox() const { return keyColor_; }
    QComboBox* speedUpsBox() const { return speedUps_; }
    QCheckBox* curvedBox() const { return curved_; }
    QLineEdit* imageSizeEdit() const { return imageSize_; }

  private:
    Document& doc_;
    ShowNode& node_;
    ShowNode& motionNode_;  // the node whose motionMode the motion fields edit
    bool pictureChanged_ = false;
    QString keyColorAtOpening_;
    QLabel* fileLabel_;
    QLineEdit* file_;
    QLineEdit* label_;
    QLineEdit* start_;
    QLineEdit* end_;
    QComboBox* keyColor_;
    QComboBox* speedUps_;
    QCheckBox* curved_;
    QLineEdit* imageSize_;
};

}  // namespace quillon
