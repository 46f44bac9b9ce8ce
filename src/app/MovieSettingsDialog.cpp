#include "MovieSettingsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

#include "model/Document.h"
#include "model/Timecode.h"

namespace quillon {

MovieSettingsDialog::MovieSettingsDialog(Document& doc, QWidget* parent)
    : QDialog(parent), doc_(doc), settings_(ReadMovieSettings(doc)) {
    setWindowTitle(QStringLiteral("Make a Movie"));
    auto* form = new QFormLayout(this);
    const int rate = doc.frameRate();
    format_ = new QComboBox(this);
    format_->addItems(kMovieFormatChoices);
    format_->setCurrentIndex(settings_.format);
    start_ =
        new QLineEdit(QString::fromStdString(FormatTimecode(settings_.startFrame, rate)), this);
    end_ = new QLineEdit(QString::fromStdString(FormatTimecode(settings_.endFrame, rate)), this);
    rate_ = new QLineEdit(QString::asprintf("%.2f", double(settings_.frameRate)), this);
    width_ = new QLineEdit(QString::asprintf("%d", settings_.width), this);
    height_ = new QLineEdit(QString::asprintf("%d", settings_.height), this);
    fields_ = new QComboBox(this);
    fields_->addItems(kFieldModeChoices);
    fields_->setCurrentIndex(settings_.fieldMode);
    codecBox_ = new QComboBox(this);
    for (int i = 0; i < kMovieCodecCount; ++i)
        codecBox_->addItem(MovieCodecName(MovieCodecFromIndex(i)));
    codecBox_->setCurrentIndex(static_cast<int>(ReadMovieCodec(doc.profile())));
    form->addRow(QStringLiteral("Format:"), format_);
    form->addRow(QStringLiteral("Start Frame:"), start_);
    form->addRow(QStringLiteral("End Frame:"), end_);
    form->addRow(QStringLiteral("Frame Rate:"), rate_);
    form->addRow(QStringLiteral("Image Width:"), width_);
    form->addRow(QStringLiteral("Image Height:"), height_);
    form->addRow(QStringLiteral("Field Mode:"), fields_);
    form->addRow(QStringLiteral("Compression:"), codecBox_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void MovieSettingsDialog::accept() {
    const int rate = doc_.frameRate();
    settings_.startFrame = int32_t(ParseTimecode(start_->text().toStdString(), rate));
    settings_.endFrame = int32_t(ParseTimecode(end_->text().toStdString(), rate));
    // Unparsable numbers count as 0; the movie maker refuses what it cannot make.
    settings_.frameRate = rate_->text().trimmed().toFloat();
    settings_.width = width_->text().trimmed().toInt();
    settings_.height = height_->text().trimmed().toInt();
    settings_.format = static_cast<int16_t>(std::max(0, format_->currentIndex()));
    settings_.fieldMode = std::max(0, fields_->currentIndex());
    WriteMovieSettings(doc_.profile(), settings_);
    codec_ = MovieCodecFromIndex(codecBox_->currentIndex());
    WriteMovieCodec(doc_.profile(), codec_);
    QDialog::accept();
}

}  // namespace quillon
