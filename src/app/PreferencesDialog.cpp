#include "PreferencesDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

namespace quillon {

namespace {

QComboBox* EditableCombo(const QStringList& items, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->addItems(items);
    return box;
}

QStringList Texts(const QList<PreferenceChoice>& choices) {
    QStringList list;
    for (const PreferenceChoice& c : choices)
        list << QString::fromLatin1(c.text);
    return list;
}

}  // namespace

PreferencesDialog::PreferencesDialog(Document& doc, QWidget* parent) : QDialog(parent), doc_(doc) {
    setWindowTitle(QStringLiteral("Preferences"));
    auto* form = new QFormLayout(this);
    frameRate_ = EditableCombo(Texts(FrameRateChoices()), this);
    aspectRatio_ = EditableCombo(Texts(AspectRatioChoices()), this);
    reticleRatio_ = EditableCombo(Texts(ReticleRatioChoices()), this);
    units_ = EditableCombo(kUnitChoices, this);
    cameras_ = EditableCombo(kCameraChoices, this);
    form->addRow(QStringLiteral("Frame Rate:"), frameRate_);
    form->addRow(QStringLiteral("Aspect Ratio:"), aspectRatio_);
    form->addRow(QStringLiteral("Reticle Ratio:"), reticleRatio_);
    form->addRow(QStringLiteral("Stage Units:"), units_);
    form->addRow(QStringLiteral("Cameras:"), cameras_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setTexts(CurrentPreferenceTexts(doc_));
}

PreferenceTexts PreferencesDialog::texts() const {
    return {frameRate_->currentText(), aspectRatio_->currentText(), reticleRatio_->currentText(),
            units_->currentText(), cameras_->currentText()};
}

void PreferencesDialog::setTexts(const PreferenceTexts& t) {
    frameRate_->setCurrentText(t.frameRate);
    aspectRatio_->setCurrentText(t.aspectRatio);
    reticleRatio_->setCurrentText(t.reticleRatio);
    units_->setCurrentText(t.units);
    cameras_->setCurrentText(t.cameras);
}

void PreferencesDialog::accept() {
    ApplyPreferenceTexts(doc_, texts());
    QDialog::accept();
}

}  // namespace quillon
