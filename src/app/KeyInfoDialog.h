#pragma once
// "KeyFrame Information": one key of an actor or camera. Start and Hold as timecodes (Hold
// "All" for the whole gap), the position, pan, tilt, width (zoom for a camera, the height kept
// in proportion), the opacity in per cent and the action frame of a movie picture. "Cut" and
// "Paste" go through the timeline's key clipboard; "Apply" stores and keeps the dialog open;
// Cancel after no Apply leaves the key as it was.

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quillon {

class Document;
class ShowNode;
struct KeyFrame;

class KeyInfoDialog final : public QDialog {
    Q_OBJECT
  public:
    // owner's key `index`; clipboard is the timeline's one-key clipboard.
    KeyInfoDialog(Document& doc, ShowNode& owner, int index, KeyFrame& clipboard,
                  QWidget* parent = nullptr);

    void accept() override;
    // "Apply": the fields into the key, and the document shows the current frame again.
    void Apply();
    // "All": "All" into the Hold field, or back to "0".
    void ToggleAll();
    // "Cut": the key into the clipboard, marked by frame -1; the key is not changed.
    void Cut();
    // "Paste": after a Cut, the six position fields from the clipboard.
    void Paste();
    // "Action:": Choose Action Frame over the node's movie.
    void ChooseAction();

    QLineEdit* startEdit() const { return start_; }
    QLineEdit* holdEdit() const { return hold_; }
    QPushButton* allButton() const { return all_; }
    QLineEdit* eastWestEdit() const { return eastWest_; }
    QLineEdit* northSouthEdit() const { return northSouth_; }
    QLineEdit* upDownEdit() const { return upDown_; }
    QLineEdit* panEdit() const { return pan_; }
    QLineEdit* tiltEdit() const { return tilt_; }
    QLineEdit* widthEdit() const { return width_; }
    QComboBox* opacityBox() const { return opacity_; }
    QPushButton* actionButton() const { return action_; }

  private:
    void Store();
    KeyFrame& key() const;

    Document& doc_;
    ShowNode& owner_;
    int index_;
    KeyFrame& clipboard_;
    bool camera_;
    QLineEdit* start_;
    QLineEdit* hold_;
    QPushButton* all_;
    QLineEdit* eastWest_;
    QLineEdit* northSouth_;
    QLineEdit* upDown_;
    QLineEdit* pan_;
    QLineEdit* tilt_;
    QLineEdit* width_;
    QComboBox* opacity_;
    QPushButton* action_;
};

}  // namespace quillon
