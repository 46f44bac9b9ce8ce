#include "RecoveryDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/RecoveryStore.h"

namespace quillon {

namespace {

enum Column { kShow, kSaved, kFile, kState };

QString StateText(const RecoveryEntry& e, const QString& ownId) {
    switch (e.state) {
        case RecoveryEntry::State::kReady:
            return e.newerThanShow ? QStringLiteral("Ready")
                                   : QStringLiteral("Ready (older than the saved show)");
        case RecoveryEntry::State::kInUse:
            return e.id == ownId ? QStringLiteral("This window's copy")
                                 : QStringLiteral("In use by another Quillon");
        case RecoveryEntry::State::kDamaged:
            break;
    }
    return QStringLiteral("Damaged: ") + e.damage;
}

}  // namespace

RecoveryDialog::RecoveryDialog(const RecoveryStore& store, const QString& ownId, QWidget* parent)
    : QDialog(parent), store_(store), ownId_(ownId) {
    setWindowTitle(QStringLiteral("Recover Unsaved Work"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Recovery copies in ") + store.folder()));
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("recoveryList"));
    list_->setHeaderLabels({QStringLiteral("Show"), QStringLiteral("Saved"), QStringLiteral("File"),
                            QStringLiteral("State")});
    list_->setRootIsDecorated(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox;
    recover_ = buttons->addButton(QStringLiteral("&Recover"), QDialogButtonBox::AcceptRole);
    recover_->setObjectName(QStringLiteral("recoverButton"));
    delete_ = buttons->addButton(QStringLiteral("&Delete"), QDialogButtonBox::ActionRole);
    delete_->setObjectName(QStringLiteral("deleteButton"));
    buttons->addButton(QDialogButtonBox::Close);
    layout->addWidget(buttons);
    connect(recover_, &QPushButton::clicked, this, [this] {
        if (QTreeWidgetItem* item = list_->currentItem())
            chosen_ = item->data(kShow, Qt::UserRole).toString();
        accept();
    });
    connect(delete_, &QPushButton::clicked, this, &RecoveryDialog::DeleteChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::currentItemChanged, this, &RecoveryDialog::UpdateButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (recover_->isEnabled()) recover_->click();
    });
    resize(720, 320);
    Fill();
}

void RecoveryDialog::Fill() {
    list_->clear();
    for (const RecoveryEntry& e : store_.List()) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(kShow, e.hasIndex ? e.title() : e.id);
        item->setText(kSaved, e.hasIndex ? e.index.time.toLocalTime().toString(
                                               QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                         : QString());
        item->setText(kFile, e.hasIndex ? e.index.showPath : QString());
        item->setText(kState, StateText(e, ownId_));
        item->setData(kShow, Qt::UserRole, e.id);
        item->setData(kState, Qt::UserRole, int(e.state));
    }
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    UpdateButtons();
}

void RecoveryDialog::UpdateButtons() {
    const QTreeWidgetItem* item = list_->currentItem();
    const int state = item ? item->data(kState, Qt::UserRole).toInt() : -1;
    recover_->setEnabled(state == int(RecoveryEntry::State::kReady));
    delete_->setEnabled(item && state != int(RecoveryEntry::State::kInUse));
}

void RecoveryDialog::DeleteChosen() {
    const QTreeWidgetItem* item = list_->currentItem();
    if (!item) return;
    if (QMessageBox::question(this, QStringLiteral("Quillon"), QStringLiteral("Are you sure?"),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QString why;
    if (!store_.Remove(item->data(kShow, Qt::UserRole).toString(), &why))
        QMessageBox::warning(this, QStringLiteral("Quillon"),
                             QStringLiteral("Couldn't delete the recovery copy: ") + why);
    Fill();
}

}  // namespace quillon
