#pragma once
// "Preferences": frame rate, aspect ratio, reticle ratio, stage units and cameras, each a combo
// box that also takes typed text. OK stores the values (SettingsValues) and writes the profile.

#include <QDialog>

#include "SettingsValues.h"

class QComboBox;

namespace quillon {

class Document;

class PreferencesDialog final : public QDialog {
    Q_OBJECT
  public:
    PreferencesDialog(Document& doc, QWidget* parent = nullptr);
    PreferenceTexts texts() const;
    void setTexts(const PreferenceTexts& texts);
    void accept() override;

  private:
    Document& doc_;
    QComboBox* frameRate_;
    QComboBox* aspectRatio_;
    QComboBox* reticleRatio_;
    QComboBox* units_;
    QComboBox* cameras_;
};

}  // namespace quillon
