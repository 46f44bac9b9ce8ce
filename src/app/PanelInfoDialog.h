#pragma once
// "Panel Information": one set panel's picture, colour, top and bottom heights and key colour.
// OK writes them (a top at the old bottom's height lays the panel flat there); Cancel leaves
// the panel as it was, the colour too.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

namespace quillon {

class Document;
struct SetPanel;

class PanelInfoDialog final : public QDialog {
    Q_OBJECT
  public:
    PanelInfoDialog(Document& doc, SetPanel& panel, QWidget* parent = nullptr);

    bool pictureChanged() const { return pictureChanged_; }
    void accept() override;
    // "Change" by the picture: the picture filter's open dialog.
    void ChooseImage();
    // "Change" by the colour: the colour dialog, its choice shown on the swatch.
    void ChooseColor();
    // The colour OK stores, as 0x00BBGGRR.
    uint32_t chosenColor() const { return color_; }
    void SetChosenColor(uint32_t bgr);

    QLineEdit* imageEdit() const { return image_; }
    QLineEdit* topEdit() const { return top_; }
    QLineEdit* bottomEdit() const { return bottom_; }
    QComboBox* keyColorBox() const { return keyColor_; }
    QLabel* swatch() const { return swatch_; }

  private:
    Document& doc_;
    SetPanel& panel_;
    bool pictureChanged_ = false;
    uint32_t color_;
    QString keyColorAtOpening_;
    QLineEdit* image_;
    QLabel* swatch_;
    QLineEdit* top_;
    QLineEdit* bottom_;
    QComboBox* keyColor_;
};

}  // namespace quillon
