#pragma once
// "Recover Unsaved Work...": every recovery copy in the recovery folder, with the show it
// belongs to, when it was written and what state it is in (ready, kept by a running Quillon,
// damaged). "Recover" accepts the dialog with the chosen copy; "Delete" removes a copy that no
// running Quillon keeps, after "Are you sure?".

#include <QDialog>
#include <QString>

class QPushButton;
class QTreeWidget;

namespace quillon {

class RecoveryStore;

class RecoveryDialog final : public QDialog {
    Q_OBJECT
  public:
    // ownId is this process's own copy, shown as such.
    RecoveryDialog(const RecoveryStore& store, const QString& ownId, QWidget* parent = nullptr);

    // The copy "Recover" was pressed for.
    const QString& chosenId() const { return chosen_; }
    QTreeWidget* list() const { return list_; }

  private:
    void Fill();
    void UpdateButtons();
    void DeleteChosen();

    const RecoveryStore& store_;
    QString ownId_;
    QString chosen_;
    QTreeWidget* list_ = nullptr;
    QPushButton* recover_ = nullptr;
    QPushButton* delete_ = nullptr;
};

}  // namespace quillon
