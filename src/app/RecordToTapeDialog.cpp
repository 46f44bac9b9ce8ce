#include "RecordToTapeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "model/Document.h"
#include "model/DocumentHost.h"
#include "model/Timecode.h"

namespace quillon {

namespace {

const QString kLogFilter = QStringLiteral(
    "Avid MediaLog Format (*.ale)|*.ale|CMX EDL Format (*.edl)|*.edl|All Files *.*|*.*||");
const QString kShowFilter = QStringLiteral("SHOW Files (*.shw)|*.shw||");
const QString kNoLog = QStringLiteral("None");

bool ReadHold(const QLineEdit* edit, int* seconds) {
    bool ok = false;
    *seconds = edit->text().trimmed().toInt(&ok);
    return ok && *seconds >= 0 && *seconds <= BatchSettings::kMostHoldSeconds;
}

bool IsTimecodeText(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    for (const QChar c : t)
        if (!c.isDigit() && c != QLatin1Char(':') && c != QLatin1Char(';') && c != QLatin1Char('.'))
            return false;
    return true;
}

}  // namespace

RecordToTapeDialog::RecordToTapeDialog(Document& doc, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      settings_(
          BatchSettings::FromProfile(doc.profile(), doc.frameRate(), doc.settings().vtrPort)) {
    setWindowTitle(QStringLiteral("Record to Tape"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    startHold_ = new QLineEdit(QString::number(settings_.startHold), this);
    endHold_ = new QLineEdit(QString::number(settings_.endHold), this);
    timecode_ = new QLineEdit(settings_.startText, this);
    reverse_ = new QCheckBox(this);
    reverse_->setChecked(settings_.reverse);
    avi_ = new QCheckBox(this);
    avi_->setChecked(settings_.makeAvi);
    form->addRow(QStringLiteral("Seconds to hold at start of show:"), startHold_);
    form->addRow(QStringLiteral("Seconds to hold at end of show:"), endHold_);
    form->addRow(QStringLiteral("VTR Timecode to start recording:"), timecode_);
    form->addRow(QStringLiteral("Record show in reverse too?"), reverse_);
    form->addRow(QStringLiteral("Make AVI File Only:"), avi_);

    auto* portRow = new QHBoxLayout;
    port_ = new QComboBox(this);
    port_->addItems({QStringLiteral("None"), QStringLiteral("Com 1"), QStringLiteral("Com 2"),
                     QStringLiteral("Com 3"), QStringLiteral("Com 4")});
    port_->setCurrentIndex(settings_.port >= 0 && settings_.port <= 4 ? settings_.port : 0);
    video_ = new QCheckBox(QStringLiteral("V"), this);
    audio1_ = new QCheckBox(QStringLiteral("A1"), this);
    audio2_ = new QCheckBox(QStringLiteral("A2"), this);
    video_->setChecked(settings_.video);
    audio1_->setChecked(settings_.audio1);
    audio2_->setChecked(settings_.audio2);
    portRow->addWidget(port_);
    portRow->addWidget(video_);
    portRow->addWidget(audio1_);
    portRow->addWidget(audio2_);
    form->addRow(QStringLiteral("VTR Control Port and Tracks:"), portRow);

    auto* logRow = new QHBoxLayout;
    log_ = new QLineEdit(kNoLog, this);
    log_->setReadOnly(true);
    auto* set = new QPushButton(QStringLiteral("Set"), this);
    logRow->addWidget(log_);
    logRow->addWidget(set);
    form->addRow(QStringLiteral("Name of LOG file:"), logRow);

    auto* showRow = new QHBoxLayout;
    list_ = new QListWidget(this);
    auto* buttons = new QVBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add"), this);
    remove_ = new QPushButton(QStringLiteral("Rem"), this);
    remove_->setEnabled(false);
    buttons->addWidget(add);
    buttons->addWidget(remove_);
    buttons->addStretch();
    showRow->addWidget(list_);
    showRow->addLayout(buttons);
    form->addRow(QStringLiteral("Shows to record:"), showRow);

    auto* box = new QDialogButtonBox(this);
    box->addButton(QStringLiteral("Record"), QDialogButtonBox::AcceptRole);
    box->addButton(QDialogButtonBox::Cancel);
    layout->addWidget(box);

    connect(set, &QPushButton::clicked, this, &RecordToTapeDialog::ChooseLog);
    connect(add, &QPushButton::clicked, this, &RecordToTapeDialog::AddShows);
    connect(remove_, &QPushButton::clicked, this, &RecordToTapeDialog::RemoveShow);
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { remove_->setEnabled(row >= 0); });
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void RecordToTapeDialog::AddShows() {
    FileDialogRequest request;
    request.filter = kShowFilter;
    request.defaultExtension = QStringLiteral("shw");
    request.startFolder = doc_.projectFolder();
    const QStringList chosen = doc_.host().OpenFileNames(request);
    const qsizetype room = BatchSettings::kMostShows - paths_.size();
    for (qsizetype i = 0; i < chosen.size() && i < room; ++i) {
        paths_ << chosen[i];
        list_->addItem(BatchShowName(chosen[i]));
    }
    if (chosen.size() > room)
        doc_.host().Message(QStringLiteral("A batch holds at most %1 shows: %2 of those chosen "
                                           "were not added.")
                                .arg(BatchSettings::kMostShows)
                                .arg(chosen.size() - std::max<qsizetype>(room, 0)));
}

void RecordToTapeDialog::RemoveShow() {
    const int row = list_->currentRow();
    if (row < 0 || row >= paths_.size()) return;
    paths_.removeAt(row);
    delete list_->takeItem(row);
    remove_->setEnabled(list_->currentRow() >= 0);
}

void RecordToTapeDialog::ChooseLog() {
    FileDialogRequest request;
    request.filter = kLogFilter;
    request.startFolder = doc_.projectFolder();
    request.overwritePrompt = true;
    const std::optional<QString> chosen = doc_.host().SaveFileName(request);
    if (!chosen) return;
    logPath_ = *chosen;
    log_->setText(QFileInfo(*chosen).fileName());
}

QString RecordToTapeDialog::Refusal() const {
    int seconds = 0;
    if (!ReadHold(startHold_, &seconds) || !ReadHold(endHold_, &seconds))
        return QStringLiteral("Holds are whole seconds from 0 to %1.")
            .arg(BatchSettings::kMostHoldSeconds);
    if (!IsTimecodeText(timecode_->text()))
        return QStringLiteral("Type the VTR timecode as hours:minutes:seconds:frames.");
    if (paths_.isEmpty()) return QStringLiteral("Add the shows to record first.");
    return QString();
}

void RecordToTapeDialog::accept() {
    if (const QString refusal = Refusal(); !refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refusal);
        return;
    }
    ReadHold(startHold_, &settings_.startHold);
    ReadHold(endHold_, &settings_.endHold);
    settings_.reverse = reverse_->isChecked();
    settings_.makeAvi = avi_->isChecked();
    settings_.shows = paths_;
    settings_.startText = timecode_->text().trimmed();
    settings_.startTimecode = ParseTimecode(settings_.startText.toStdString(), doc_.frameRate());
    settings_.port = port_->currentIndex();
    settings_.video = video_->isChecked();
    settings_.audio1 = audio1_->isChecked();
    settings_.audio2 = audio2_->isChecked();
    // The log goes where it was chosen; "None" (or a name typed elsewhere) is kept as it is.
    settings_.logName = logPath_.isEmpty() ? log_->text() : logPath_;
    settings_.WriteTo(doc_.profile());
    doc_.settings().vtrPort = settings_.RecorderWord();
    QDialog::accept();
}

}  // namespace quillon
