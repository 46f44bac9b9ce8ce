#include "NodeInfoDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "InfoFields.h"
#include "model/Document.h"
#include "model/FileFilters.h"
#include "model/Paths.h"
#include "model/Settings.h"
#include "model/ShowNode.h"
#include "model/Timecode.h"

namespace quillon {

namespace {

constexpr int kFileChars = 48;
constexpr int kLabelChars = 40;
constexpr int kFrameChars = 12;
constexpr uint8_t kEasingBits = 0x0F;

QString FileLabelFor(NodeKind kind) {
    switch (kind) {
        case NodeKind::Scene:
            return QStringLiteral("Set File:");
        case NodeKind::SoundTrack:
            return QStringLiteral("Sound File:");
        case NodeKind::Movie:
            return QStringLiteral("Movie File:");
        case NodeKind::Script:
            return QStringLiteral("Script File:");
        default:
            return QStringLiteral("Actor Image:");
    }
}

QString FilterFor(NodeKind kind) {
    switch (kind) {
        case NodeKind::Scene:
            return filters::kSet;
        case NodeKind::SoundTrack:
            return filters::kWave;
        case NodeKind::Movie:
            return filters::kAvi;
        case NodeKind::Script:
            return filters::kScript;
        default:
            return filters::Pictures();
    }
}

ShowNode& MotionNodeOf(Document& doc, ShowNode& node) {
    if (!node.Is(NodeKind::Scene)) return node;
    ShowNode* camera = doc.ActiveTrack(&node);
    return camera ? *camera : node;
}

}  // namespace

NodeInfoDialog::NodeInfoDialog(Document& doc, ShowNode& node, QWidget* parent)
    : QDialog(parent), doc_(doc), node_(node), motionNode_(MotionNodeOf(doc, node)) {
    setWindowTitle(QStringLiteral("Actor / Scene Information"));
    const int rate = doc_.frameRate();
    auto* form = new QFormLayout(this);

    file_ = new QLineEdit(FromRecordText(node.GetFileName()), this);
    file_->setObjectName(QStringLiteral("fileName"));
    file_->setMaxLength(kFileChars);
    auto* change = new QPushButton(QStringLiteral("Change"), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file_);
    fileRow->addWidget(change);
    fileLabel_ = new QLabel(FileLabelFor(node.kind), this);
    form->addRow(fileLabel_, fileRow);

    label_ = new QLineEdit(FromRecordText(node.GetName()), this);
    label_->setObjectName(QStringLiteral("name"));
    label_->setMaxLength(kLabelChars);
    form->addRow(QStringLiteral("Label:"), label_);

    start_ = new QLineEdit(QString::fromStdString(FormatTimecode(node.startFrame, rate)), this);
    start_->setObjectName(QStringLiteral("startFrame"));
    start_->setMaxLength(kFrameChars);
    end_ = new QLineEdit(QString::fromStdString(FormatTimecode(node.endFrame, rate)), this);
    end_->setObjectName(QStringLiteral("endFrame"));
    end_->setMaxLength(kFrameChars);
    form->addRow(QStringLiteral("Start Frame:"), start_);
    form->addRow(QStringLiteral("End Frame:"), end_);

    keyColor_ = new QComboBox(this);
    keyColor_->setObjectName(QStringLiteral("keyColor"));
    keyColor_->setEditable(true);
    keyColor_->addItems(KeyColorTexts());
    keyColorAtOpening_ = KeyColorText(node.keyColor);
    keyColor_->setCurrentIndex(keyColor_->findText(keyColorAtOpening_));
    keyColor_->setEditText(keyColorAtOpening_);
    form->addRow(QStringLiteral("Key Color:"), keyColor_);

    speedUps_ = new QComboBox(this);
    speedUps_->setObjectName(QStringLiteral("speedUps"));
    speedUps_->addItems({QStringLiteral("Slow In/Out"), QStringLiteral("Slow In"),
                         QStringLiteral("Slow Out"), QStringLiteral("Linear")});
    speedUps_->setCurrentIndex(std::min(motionNode_.motionMode & kEasingBits, 3));
    form->addRow(QStringLiteral("Speed Ups:"), speedUps_);
    curved_ = new QCheckBox(this);
    curved_->setObjectName(QStringLiteral("curvedPath"));
    curved_->setChecked((motionNode_.motionMode & kStraightMotion) == 0);
    form->addRow(QStringLiteral("Curved Path?"), curved_);

    imageSize_ = new QLineEdit(this);
    imageSize_->setObjectName(QStringLiteral("imageSize"));
    imageSize_->setReadOnly(true);
    if (node.Is(NodeKind::Actor))
        imageSize_->setText(QStringLiteral("%1 by %2")
                                .arg(node.pictureWidth)
                                .arg(int(double(node.pictureWidth) * node.aspect + 0.5)));
    form->addRow(QStringLiteral("Image Size:"), imageSize_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(change, &QPushButton::clicked, this, &NodeInfoDialog::ChooseFile);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void NodeInfoDialog::ChooseFile() {
    FileDialogRequest request;
    request.filter = FilterFor(node_.kind);
    request.startFolder = doc_.projectFolder();
    const std::optional<QString> chosen = doc_.host().OpenFileName(request);
    if (!chosen) return;
    // The field shows the whole path even where it is longer than what can be typed.
    file_->setMaxLength(std::max<int>(kFileChars, int(chosen->size())));
    file_->setText(*chosen);
    pictureChanged_ = true;
    doc_.SetProjectFolderFromFile(*chosen);
}

void NodeInfoDialog::accept() {
    const int rate = doc_.frameRate();
    node_.SetName(ToRecordText(label_->text()));
    const QString file = StoredFileName(file_->text());
    if (file.isEmpty()) pictureChanged_ = true;
    node_.SetFileName(ToRecordText(file));
    const int64_t start = ParseTimecode(start_->text().toStdString(), rate, node_.startFrame);
    const int64_t end = ParseTimecode(end_->text().toStdString(), rate, node_.endFrame);
    if (start != node_.startFrame || end != node_.endFrame) {
        // Through set-range: inside the parent's range, keys stretched with "&Scale Keys", a
        // scene's tracks following it. A range that would be empty is refused.
        const auto clampInt = [](int64_t v) { return int(std::clamp<int64_t>(v, 0, INT32_MAX)); };
        node_.SetRange(clampInt(start), clampInt(end), RangeValues::kAbsolute,
                       doc_.settings().scaleKeys ? KeyTiming::kStretch : KeyTiming::kKeep,
                       node_.Is(NodeKind::Scene) ? RangeChildren::kFollow : RangeChildren::kLeave);
    }
    const QString colourText = keyColor_->currentText();
    if (colourText != keyColorAtOpening_) pictureChanged_ = true;
    if (const std::optional<int32_t> colour = KeyColorValue(colourText)) node_.keyColor = *colour;
    doc_.settings().defaultKeyColor = node_.keyColor;
    motionNode_.motionMode = uint8_t(std::max(speedUps_->currentIndex(), 0) |
                                     (curved_->isChecked() ? 0 : kStraightMotion));
    settings::Write(doc_.profile(), settings::kDefaultKeyColor, node_.keyColor);
    QDialog::accept();
}

}  // namespace quillon
