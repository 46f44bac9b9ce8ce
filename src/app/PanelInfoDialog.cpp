#include "PanelInfoDialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstring>

#include "InfoFields.h"
#include "model/Document.h"
#include "model/FileFilters.h"
#include "model/Paths.h"
#include "model/SetPanel.h"

namespace quillon {

namespace {

QColor FromBgr(uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

uint32_t ToBgr(const QColor& c) {
    return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

}  // namespace

PanelInfoDialog::PanelInfoDialog(Document& doc, SetPanel& panel, QWidget* parent)
    : QDialog(parent), doc_(doc), panel_(panel), color_(panel.panelColor) {
    setWindowTitle(QStringLiteral("Panel Information"));
    auto* form = new QFormLayout(this);
    const QString path = FromRecordText(
        std::string(panel.imagePath, strnlen(panel.imagePath, sizeof panel.imagePath)));
    image_ = new QLineEdit(path.isEmpty() ? kUseAlphaFile : path, this);
    image_->setObjectName(QStringLiteral("imagePath"));
    auto* changeImage = new QPushButton(QStringLiteral("Change"), this);
    auto* imageRow = new QHBoxLayout;
    imageRow->addWidget(image_);
    imageRow->addWidget(changeImage);
    form->addRow(QStringLiteral("Panel Image:"), imageRow);

    swatch_ = new QLabel(this);
    swatch_->setObjectName(QStringLiteral("panelColor"));
    swatch_->setFixedSize(48, 20);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setAutoFillBackground(true);
    SetChosenColor(color_);
    auto* changeColor = new QPushButton(QStringLiteral("Change"), this);
    auto* colorRow = new QHBoxLayout;
    colorRow->addWidget(swatch_);
    colorRow->addWidget(changeColor);
    colorRow->addStretch();
    form->addRow(QStringLiteral("Panel Color:"), colorRow);

    top_ = new QLineEdit(QString::number(PanelHeightText(panel.cornerUpDown[0])), this);
    top_->setObjectName(QStringLiteral("topHeight"));
    bottom_ = new QLineEdit(QString::number(PanelHeightText(panel.cornerUpDown[3])), this);
    bottom_->setObjectName(QStringLiteral("bottomHeight"));
    auto* heights = new QHBoxLayout;
    heights->addWidget(top_);
    heights->addWidget(bottom_);
    form->addRow(QStringLiteral("Top / Bottom:"), heights);

    keyColor_ = new QComboBox(this);
    keyColor_->setObjectName(QStringLiteral("keyColor"));
    keyColor_->setEditable(true);
    keyColor_->addItems(KeyColorTexts());
    keyColorAtOpening_ = KeyColorText(panel.keyColor);
    keyColor_->setCurrentIndex(keyColor_->findText(keyColorAtOpening_));
    keyColor_->setEditText(keyColorAtOpening_);
    form->addRow(QStringLiteral("Key Color:"), keyColor_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(changeImage, &QPushButton::clicked, this, &PanelInfoDialog::ChooseImage);
    connect(changeColor, &QPushButton::clicked, this, &PanelInfoDialog::ChooseColor);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void PanelInfoDialog::SetChosenColor(uint32_t bgr) {
    color_ = bgr & 0xFFFFFF;
    QPalette p = swatch_->palette();
    p.setColor(QPalette::Window, FromBgr(color_));
    swatch_->setPalette(p);
}

void PanelInfoDialog::ChooseImage() {
    FileDialogRequest request;
    request.filter = filters::Pictures();
    request.startFolder = doc_.projectFolder();
    const std::optional<QString> chosen = doc_.host().OpenFileName(request);
    if (!chosen) return;
    image_->setText(*chosen);
    pictureChanged_ = true;
    doc_.SetProjectFolderFromFile(*chosen);
}

void PanelInfoDialog::ChooseColor() {
    const QColor chosen = QColorDialog::getColor(FromBgr(color_), this);
    if (chosen.isValid()) SetChosenColor(ToBgr(chosen));
}

void PanelInfoDialog::accept() {
    const QString text = image_->text();
    if (text.isEmpty()) pictureChanged_ = true;
    const std::string stored = ToRecordText(StoredFileName(text));
    std::memset(panel_.imagePath, 0, sizeof panel_.imagePath);
    std::memcpy(panel_.imagePath, stored.data(),
                std::min(stored.size(), sizeof panel_.imagePath - 1));
    panel_.panelColor = color_;
    SetPanelHeights(panel_, int(LeadingNumber(top_->text())), int(LeadingNumber(bottom_->text())));
    const QString colourText = keyColor_->currentText();
    if (colourText != keyColorAtOpening_) pictureChanged_ = true;
    if (const std::optional<int32_t> colour = KeyColorValue(colourText)) panel_.keyColor = *colour;
    QDialog::accept();
}

}  // namespace quillon
