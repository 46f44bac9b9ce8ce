#include "KeyInfoDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <cstdio>

#include "ActionFrameDialog.h"
#include "InfoFields.h"
#include "model/Document.h"
#include "model/Paths.h"
#include "model/ShowNode.h"
#include "model/Timecode.h"

namespace quillon {

namespace {

const QString kAll = QStringLiteral("All");

// The C library's formatting, rounding halves as printf does.
QString Printf(const char* format, double v) {
    char text[64];
    std::snprintf(text, sizeof text, format, v);
    return QString::fromLatin1(text);
}

QString Number(double v, int decimals) {
    return Printf(decimals == 0 ? "%.0f" : "%.1f", v);
}

}  // namespace

KeyInfoDialog::KeyInfoDialog(Document& doc, ShowNode& owner, int index, KeyFrame& clipboard,
                             QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      owner_(owner),
      index_(index),
      clipboard_(clipboard),
      camera_(owner.Is(NodeKind::Camera)) {
    setWindowTitle(QStringLiteral("KeyFrame Information"));
    const KeyFrame& k = key();
    const int rate = doc_.frameRate();
    auto* form = new QFormLayout(this);
    auto edit = [this](const QString& text, const char* name) {
        auto* e = new QLineEdit(text, this);
        e->setObjectName(QString::fromLatin1(name));
        return e;
    };
    start_ = edit(QString::fromStdString(FormatTimecode(k.frame, rate)), "frame");
    form->addRow(QStringLiteral("Start:"), start_);
    hold_ = edit(k.hold < 0 ? kAll : QString::fromStdString(FormatTimecode(k.hold, rate)), "hold");
    all_ = new QPushButton(k.hold < 0 ? QStringLiteral("0") : kAll, this);
    auto* holdRow = new QHBoxLayout;
    holdRow->addWidget(hold_);
    holdRow->addWidget(all_);
    form->addRow(QStringLiteral("Hold:"), holdRow);
    eastWest_ = edit(Number(k.eastWest(), 0), "eastWest");
    northSouth_ = edit(Number(k.northSouth(), 0), "northSouth");
    upDown_ = edit(Number(k.upDown(), 0), "upDown");
    pan_ = edit(Number(k.pan(), 1), "pan");
    tilt_ = edit(Number(k.tilt(), camera_ ? 1 : 0), "tilt");
    width_ = edit(Number(k.width(), 1), "width");
    form->addRow(QStringLiteral("East/West:"), eastWest_);
    form->addRow(QStringLiteral("North/South:"), northSouth_);
    form->addRow(QStringLiteral("Up/Down:"), upDown_);
    form->addRow(QStringLiteral("Pan:"), pan_);
    form->addRow(QStringLiteral("Tilt:"), tilt_);
    form->addRow(camera_ ? QStringLiteral("Zoom:") : QStringLiteral("Width:"), width_);
    opacity_ = new QComboBox(this);
    opacity_->setObjectName(QStringLiteral("opacity"));
    opacity_->setEditable(true);
    opacity_->addItems({"0", "25", "50", "75", "100"});
    opacity_->setEditText(QString::number(OpacityPercent(k.transparency())));
    form->addRow(QStringLiteral("Opacity % "), opacity_);
    action_ = new QPushButton(Number(k.actionFrame(), 0), this);
    action_->setObjectName(QStringLiteral("actionFrame"));
    form->addRow(QStringLiteral("Action:"), action_);

    auto* box = new QDialogButtonBox(this);
    auto* cut = box->addButton(QStringLiteral("Cut"), QDialogButtonBox::ActionRole);
    auto* paste = box->addButton(QStringLiteral("Paste"), QDialogButtonBox::ActionRole);
    auto* apply = box->addButton(QDialogButtonBox::Apply);
    box->addButton(QDialogButtonBox::Ok);
    box->addButton(QDialogButtonBox::Cancel);
    form->addRow(box);
    connect(all_, &QPushButton::clicked, this, &KeyInfoDialog::ToggleAll);
    connect(action_, &QPushButton::clicked, this, &KeyInfoDialog::ChooseAction);
    connect(cut, &QPushButton::clicked, this, &KeyInfoDialog::Cut);
    connect(paste, &QPushButton::clicked, this, &KeyInfoDialog::Paste);
    connect(apply, &QPushButton::clicked, this, &KeyInfoDialog::Apply);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

KeyFrame& KeyInfoDialog::key() const {
    return owner_.keys[size_t(index_)];
}

void KeyInfoDialog::ToggleAll() {
    if (hold_->text() != kAll) {
        hold_->setText(kAll);
        all_->setText(QStringLiteral("0"));
    } else {
        hold_->setText(QStringLiteral("0"));
        all_->setText(kAll);
    }
}

void KeyInfoDialog::Cut() {
    clipboard_ = key();
    clipboard_.frame = -1;
}

void KeyInfoDialog::Paste() {
    if (clipboard_.frame != -1) return;
    eastWest_->setText(Printf("%.0f", clipboard_.eastWest()));
    northSouth_->setText(Printf("%.1f", clipboard_.northSouth()));
    upDown_->setText(Printf("%.0f", clipboard_.upDown()));
    pan_->setText(Printf("%.1f", clipboard_.pan()));
    tilt_->setText(Printf("%.0f", clipboard_.tilt()));
    width_->setText(Printf("%.1f", clipboard_.width()));
    doc_.host().Beep(BeepKind::Asterisk);
}

void KeyInfoDialog::ChooseAction() {
    ActionFrameDialog choose(doc_, FromRecordText(owner_.GetFileName()),
                             int(LeadingNumber(action_->text())), this);
    // The choice shows on the button and goes into the key with Apply or OK.
    if (choose.exec() == QDialog::Accepted) action_->setText(QString::number(choose.frame()));
}

void KeyInfoDialog::Store() {
    KeyFrame& k = key();
    const int rate = doc_.frameRate();
    const int64_t frame = ParseTimecode(start_->text().toStdString(), rate, k.frame);
    k.frame = int32_t(std::clamp<int64_t>(frame, INT32_MIN, INT32_MAX));
    if (hold_->text().contains(kAll)) {
        k.hold = -1;
    } else {
        const int64_t hold = ParseTimecode(hold_->text().toStdString(), rate, k.hold);
        k.hold = int16_t(std::clamp<int64_t>(hold, INT16_MIN, INT16_MAX));
    }
    k.eastWest() = float(LeadingNumber(eastWest_->text()));
    k.northSouth() = float(LeadingNumber(northSouth_->text()));
    k.upDown() = float(LeadingNumber(upDown_->text()));
    k.pan() = float(LeadingNumber(pan_->text()));
    k.tilt() = float(LeadingNumber(tilt_->text()));
    SetKeyWidth(k, LeadingNumber(width_->text()));
    k.transparency() = float(1.0 - std::trunc(LeadingNumber(opacity_->currentText())) / 100.0);
    k.actionFrame() = float(std::trunc(LeadingNumber(action_->text())));
    doc_.NotifyChanged({.aspects = DocumentChange::kKeys, .nodes = {&owner_}});
}

void KeyInfoDialog::Apply() {
    Store();
    doc_.UpdateViewsAtFrame(doc_.currentFrame(), Refresh::kViews);
}

void KeyInfoDialog::accept() {
    Store();
    QDialog::accept();
}

}  // namespace quillon
