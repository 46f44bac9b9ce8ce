#include "ActionFrameDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "InfoFields.h"
#include "Prompts.h"
#include "model/Document.h"
#include "pictures/MovieSource.h"
#include "pictures/Picture.h"

namespace quillon {

namespace {

const QRect kRoom(0, 0, 200, 150);

}  // namespace

QRect FitActionBox(const QRect& room, double aspect) {
    if (aspect == 0.0) aspect = 1.0;
    if (aspect <= 1.0) {
        const int w = int(room.height() * aspect);
        return QRect(room.left() + (room.width() - w) / 2, room.top(), w, room.height());
    }
    const int h = int(room.width() / aspect);
    return QRect(room.left(), room.bottom() + 1 - h, room.width(), h);
}

ActionFrameDialog::ActionFrameDialog(Document& doc, const QString& movieFile, int frame,
                                     QWidget* parent)
    : QDialog(parent), doc_(doc), file_(movieFile), frame_(frame) {
    setWindowTitle(QStringLiteral("Choose Action Frame"));
    auto* layout = new QVBoxLayout(this);
    box_ = new QLabel(this);
    box_->setFixedSize(kRoom.size());
    box_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(box_);
    size_ = new QLabel(this);
    countText_ = new QLabel(this);
    auto* info = new QHBoxLayout;
    info->addWidget(size_);
    info->addWidget(countText_);
    layout->addLayout(info);
    auto* steps = new QHBoxLayout;
    auto* back = new QPushButton(QStringLiteral("<--"), this);
    number_ = new QPushButton(QString::number(frame_), this);
    auto* forward = new QPushButton(QStringLiteral("-->"), this);
    steps->addWidget(back);
    steps->addWidget(number_);
    steps->addWidget(forward);
    layout->addLayout(steps);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(back, &QPushButton::clicked, this, &ActionFrameDialog::StepBack);
    connect(forward, &QPushButton::clicked, this, &ActionFrameDialog::StepForward);
    connect(number_, &QPushButton::clicked, this, &ActionFrameDialog::TypeFrame);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    Picture first;
    MovieSource movie;
    count_ = movie.Open(file_, &first);
    if (count_ <= 0 || !movie.ReadFrame(0)) return;
    movieWidth_ = movie.width();
    movieHeight_ = movie.height();
    size_->setText(QStringLiteral("%1 by %2").arg(movieWidth_).arg(movieHeight_));
    countText_->setText(QStringLiteral("%1 Frames").arg(count_));
    movie.Close();
    Show();
}

QRect ActionFrameDialog::PictureBox() const {
    const double aspect = movieHeight_ > 0 ? double(movieWidth_) / double(movieHeight_) : 0.0;
    return FitActionBox(kRoom, aspect);
}

void ActionFrameDialog::Show() {
    number_->setText(QString::number(frame_));
    if (count_ <= 0) return;
    Picture picture;
    if (MovieSource::LoadFrame(file_, frame_, &picture) <= 0) return;
    const QRect fit = PictureBox();
    picture_ = picture.ToImage();
    QImage shown(kRoom.size(), QImage::Format_RGB32);
    shown.fill(palette().window().color());
    QPainter p(&shown);
    p.drawImage(fit, picture_);
    p.end();
    box_->setPixmap(QPixmap::fromImage(shown));
}

void ActionFrameDialog::StepBack() {
    frame_ = std::max(frame_ - 1, 0);
    Show();
}

void ActionFrameDialog::StepForward() {
    frame_ = std::min(frame_ + 1, std::max(count_ - 1, 0));
    Show();
}

void ActionFrameDialog::TypeFrame() {
    QString text = QString::number(frame_);
    if (!AskName(this, &text, QStringLiteral("Type action frame"))) return;
    const double typed = LeadingNumber(text);
    frame_ = int(std::clamp<double>(typed, 0, std::max(count_ - 1, 0)));
    Show();
}

}  // namespace quillon
