#include "MovieSettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>

#include "SettingsValues.h"
#include "model/Document.h"
#include "model/Timecode.h"
#include "output/MovieWriter.h"

namespace quillon {

MovieSettingsDialog::MovieSettingsDialog(Document& doc, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      job_(ReadMovieJob(doc.profile(), doc.frameRate(), doc.TotalFrames())) {
    setWindowTitle(QStringLiteral("Make a Movie"));
    auto* form = new QFormLayout(this);
    const int rate = doc.frameRate();
    format_ = new QComboBox(this);
    format_->addItems(kMovieFormatChoices);
    format_->setCurrentIndex(static_cast<int>(job_.format));
    start_ = new QLineEdit(QString::fromStdString(FormatTimecode(job_.range.start, rate)), this);
    end_ = new QLineEdit(QString::fromStdString(FormatTimecode(job_.range.end, rate)), this);
    rate_ = new QLineEdit(QString::asprintf("%.2f", double(job_.frameRate)), this);
    width_ = new QLineEdit(QString::asprintf("%d", job_.width), this);
    height_ = new QLineEdit(QString::asprintf("%d", job_.height), this);
    fields_ = new QComboBox(this);
    fields_->addItems(kFieldModeChoices);
    fields_->setCurrentIndex(job_.fieldMode);
    codecBox_ = new QComboBox(this);
    for (int i = 0; i < kMovieCodecCount; ++i)
        codecBox_->addItem(MovieCodecName(MovieCodecFromIndex(i)));
    codecBox_->setCurrentIndex(static_cast<int>(job_.codec));
    form->addRow(QStringLiteral("Format:"), format_);
    form->addRow(QStringLiteral("Start Frame:"), start_);
    form->addRow(QStringLiteral("End Frame:"), end_);
    form->addRow(QStringLiteral("Frame Rate:"), rate_);
    form->addRow(QStringLiteral("Image Width:"), width_);
    form->addRow(QStringLiteral("Image Height:"), height_);
    form->addRow(QStringLiteral("Field Mode:"), fields_);
    form->addRow(QStringLiteral("Compression:"), codecBox_);
    sound_ = new QCheckBox(QStringLiteral("Include sound tracks"), this);
    sound_->setObjectName(QStringLiteral("includeSound"));
    sound_->setChecked(job_.includeSound);
    form->addRow(QString(), sound_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

namespace {

constexpr double kMostFramesPerSecond = 1000.0;
constexpr int kMostPixels = 4096;

}  // namespace

QString MovieSettingsDialog::Refusal() const {
    bool ok = false;
    const double fps = rate_->text().trimmed().toDouble(&ok);
    if (!ok || !(fps > 0.0) || fps > kMostFramesPerSecond)
        return QStringLiteral(
            "Frame Rate: type a number of frames per second above 0 and up to "
            "1000.");
    for (const QLineEdit* side : {width_, height_}) {
        const int pixels = side->text().trimmed().toInt(&ok);
        if (!ok || pixels < 1 || pixels > kMostPixels)
            return QStringLiteral(
                "Image Width and Image Height: type whole numbers of pixels "
                "from 1 to 4096.");
    }
    return QString();
}

void MovieSettingsDialog::accept() {
    // A movie that could not be made is refused here, before anything is stored.
    if (const QString refusal = Refusal(); !refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refusal);
        return;
    }
    const int rate = doc_.frameRate();
    job_.range.start = int32_t(ParseTimecode(start_->text().toStdString(), rate));
    job_.range.end = int32_t(ParseTimecode(end_->text().toStdString(), rate));
    job_.frameRate = rate_->text().trimmed().toFloat();
    job_.width = width_->text().trimmed().toInt();
    job_.height = height_->text().trimmed().toInt();
    job_.format = static_cast<MovieFormat>(std::clamp(format_->currentIndex(), 0, 3));
    job_.fieldMode = std::max(0, fields_->currentIndex());
    job_.codec = MovieCodecFromIndex(codecBox_->currentIndex());
    job_.includeSound = sound_->isChecked();
    WriteMovieJob(doc_.profile(), job_);
    QDialog::accept();
}

}  // namespace quillon
